// What the text macros need from items, inventories and creatures, which later parts of the
// game provide. Each is a plain function pointer with a setter; passing null restores the
// default. The defaults are safe: no items at all, and no change to any item.
//
// The items part installs: the playing character's inventory (cur_inventory), read_inventory,
// the equipped look-ups (weapon_equipped_ptr, armor_equipped_ptr, shield_equipped_ptr) and
// the charge adjusters (add_weapon_charge, add_weapon_max_charge, add_armor_charge, ...).
// The creature part installs is_mob.
#pragma once
#include <cstdint>

#include "engine/store/data_files.hpp"
#include "engine/store/records.hpp"

// The three equipment slots, by their wear position.
enum class equip_slot : std::int16_t { weapon = 7, armour = 3, shield = 8 };

// The playing character's inventory (cur_inventory). Default: none (null).
using current_inventory_fn = inventory_list* (*)();
void set_current_inventory_hook(current_inventory_fn f);
inventory_list* hook_current_inventory();

// Reads player number's inventory file invt<NNNN>.dat into items (replaced), as the items
// part reads every inventory. Default: items left empty.
using read_inventory_fn = void (*)(std::int16_t number, inventory_list& items);
void set_read_inventory_hook(read_inventory_fn f);
void hook_read_inventory(std::int16_t number, inventory_list& items);

// The first equipped item of the slot in the list, or null. Default: null.
using equipped_item_fn = item_record* (*)(inventory_list& items, equip_slot slot);
void set_equipped_item_hook(equipped_item_fn f);
item_record* hook_equipped_item(inventory_list& items, equip_slot slot);

// The charge adjusters: add amount to the power (charge) or the maximum power (max charge)
// of the character's equipped item of the slot, with the items part's own limits and file
// writes. Default: nothing.
using charge_fn = void (*)(character_record& who, equip_slot slot, std::int32_t amount);
void set_charge_hook(charge_fn f);
void set_max_charge_hook(charge_fn f);
void hook_add_charge(character_record& who, equip_slot slot, std::int32_t amount);
void hook_add_max_charge(character_record& who, equip_slot slot, std::int32_t amount);

// The record is a creature (or a master's test monster), not a player. Default: its BBS-name
// field is "MOB" or "MOB LEVEL-FIGHT".
using is_mob_fn = bool (*)(const character_record& who);
void set_is_mob_hook(is_mob_fn f);
bool hook_is_mob(const character_record& who);
