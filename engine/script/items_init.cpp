#include "engine/script/items_init.hpp"

#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/item_hooks.hpp"

namespace {
inventory_list* current_inventory() { return &cur_inventory; }

item_record* equipped(inventory_list& items, equip_slot slot) {
    switch (slot) {
    case equip_slot::weapon: return weapon_equipped_ptr(items);
    case equip_slot::armour: return armor_equipped_ptr(items);
    case equip_slot::shield: return shield_equipped_ptr(items);
    }
    return nullptr;
}

// The text macros' charge hooks: another player's items in that player's own file.
void charge(character_record& who, equip_slot slot, std::int32_t amount) { add_item_power(who, slot, false, amount); }
void max_charge(character_record& who, equip_slot slot, std::int32_t amount) {
    add_item_power(who, slot, true, amount);
}
}  // namespace

void engine_items_init() {
    set_current_inventory_hook(current_inventory);
    set_read_inventory_hook(read_inventory);
    set_equipped_item_hook(equipped);
    set_charge_hook(charge);
    set_max_charge_hook(max_charge);
    set_rankings_hook(write_ranking_files);
    // What the scripts' ITEM and DISPLAYGAMESTATS reach (INVENTORY: the game installs do_inv).
    set_register_item_hook(register_item);
    set_get_item_script_num_hook(get_item_script_num);
    set_add_to_inv_hook(add_to_inv);
    set_display_game_settings_hook(display_game_settings);
}
