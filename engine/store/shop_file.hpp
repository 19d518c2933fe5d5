// The shops' stock files ("weapon.shp", "armor.shp", "shield.shp" and any other *.shp the
// sysop makes): 52-byte entries back to back, no header, each naming an item of the item
// registry by name and ScriptID with the price the listing shows and how many are left
// (0 sold out, below 0 never runs out). The game and the sysop's utility both read and write
// them through this unit, which uses no game globals.
//
// Every rewrite goes through a temporary file and a rename under the file's own lock, and
// the game's "take one from stock" re-reads, decrements and rewrites under that same lock:
// two nodes never both sell the last item, and one node's sale never undoes another's.
#pragma once
#include <cstdint>
#include <functional>
#include <list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "door/fstr.hpp"
#include "engine/store/item_registry.hpp"

constexpr const char* weapon_stock_file = "weapon.shp";
constexpr const char* armour_stock_file = "armor.shp";
constexpr const char* shield_stock_file = "shield.shp";

struct shop_entry {
    static constexpr std::size_t record_size = 52;

    fstr<20> name;           //  0 the registry item's name
    fstr<20> script_id;      // 21 and its ScriptID
    std::int32_t cost = 0;   // 42 the price the listing shows
    std::int16_t count = 0;  // 46 left: 0 sold out, below 0 never runs out
    // 48..51: the list link of old, written as zeros, ignored on reading.
};

using shop_list = std::list<shop_entry>;

template <class R>
struct record_field;
template <class R>
std::span<const record_field<R>> record_fields();
// The count is an amount: the nodes' sales add up, and a count the sysop typed stands.
template <>
std::span<const record_field<shop_entry>> record_fields<shop_entry>();

std::string encode_record(const shop_entry& e);
void decode_record(std::string_view image, shop_entry& e);

// The entries of a whole file image in file order; a short last entry (a file whose size is
// not a whole number of entries) reads as if zero-filled.
std::vector<shop_entry> parse_shop_image(std::string_view image);

// Which entries a reader keeps.
using shop_keep = std::function<bool(const shop_entry&)>;
// The utility's rule: every entry whose item the registry holds (by the registry's matching
// rule), sold out or not.
shop_keep registry_keep(const std::vector<registry_record>& registry);

// The kept entries of the stock file, in file order. A missing file is an empty list; a
// busy one is waited for (then code 5); one that cannot be read ends with code 5.
shop_list read_shop_file(const std::string& name, const shop_keep& keep);
// Rewrites the stock file from the list, in list order. A failed write keeps the old file
// and ends with code 5.
void write_shop_file(const std::string& name, const shop_list& list);
// Writes the sysop's stock list back under the file's lock on a fresh read, taking from it only
// what the sysop changed since base (the list as read): entries are matched by name, ScriptID
// and their place among the entries of that item; an entry the sysop removed goes, one added
// is appended, and a count the sysop changed is the count typed, whatever was sold meanwhile
// (a sysop who types a stock count expects that count on the shelf). What another
// writer added meanwhile stays; the fresh read keeps the entries the rule keeps. A write that
// fails ends with code 5.
void merge_shop_file(const std::string& name, const shop_list& base, const shop_list& mine, const shop_keep& keep);
// Frees every entry.
void del_shop_list(shop_list& list);

enum class stock_take { sold, gone };
// One item of that name and ScriptID leaves the stock: under the file's lock the file is
// re-read with the rule given and the last kept entry of that name and ScriptID taken. None,
// or its count 0: gone. A count below 0: sold, the file untouched. Above 0: one less and the
// kept entries written back; sold. A write that fails ends with code 5.
stock_take take_one_from_stock(const std::string& name, std::string_view item_name, std::string_view script_id,
                               const shop_keep& keep);
// A sale undone: one item back into the stock under the file's lock. The last entry of that
// name and ScriptID counts one more (one that never runs out stays so); with none in the file,
// an entry of one at the cost given is added at its end. A write that fails ends with code 5.
void return_one_to_stock(const std::string& name, std::string_view item_name, std::string_view script_id,
                         std::int32_t cost);
