// The three shops of the town square: Alfonse's weapons, Bartrich's shields and Tonio's
// armour. One shop with three sets of texts: it lists and sells the items of its stock file
// (priced by the item registry, counted down as they sell) and buys back what the player
// carries unequipped for a share of the item's cost that charm raises.
#pragma once
#include <cstdint>
#include <optional>

#include "engine/store/records.hpp"
#include "engine/store/shop_file.hpp"

// The game's rule for a stock entry: its item is in the registry by name and ScriptID, and
// it is not sold out.
bool shop_entry_for_sale(const shop_entry& e);

// The listing: the heading and one line per entry (number, name, the entry's cost).
void show_shop_list(const shop_list& list);
// A copy of the registry's item of the n-th entry (from 1); none when there is no such
// entry or the registry no longer holds its item.
std::optional<item_record> shop_item_by_number(const shop_list& list, int n);
// What the shop offers for an item: round(p x cost / 100), halves to even, p = charm + 35
// but at most 75.
std::int64_t sale_offer(std::int16_t charm, std::int32_t cost);

// Run a shop until the player leaves.
void weapon_shop();
void shield_shop();
void armour_shop();

// Puts the shops into the town's table of places. The game's main calls it.
void game_shops_init();
