// Items and inventories: the playing character's inventory cur_inventory, the inventory
// files invt<NNNN>.dat, the list operations, and what an item does when it is worn,
// removed, used (in or out of combat), identified, dropped, or when its owner dies.
//
// An inventory list holds the items in list order; new items are pushed at the head, so a
// list read from a file stands in reverse file order and is written from the head. Items
// are counted from 1 in list order. A pointer to an item stays valid until that item is
// dropped or its list freed; the operations here never free the nodes of cur_inventory
// behind the caller's back.
//
// What an item does beyond raising attack, defense or shield value comes from its script
// items/<n>.scr (n its registry number), run through the script hook (play_hooks.hpp) with
// the event's name as the parameter line. A script may drop or destroy the item that runs
// it: every operation here finds the item again after its script returns and does nothing
// more with it when it is gone.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/store/data_files.hpp"
#include "engine/store/records.hpp"
#include "engine/text/item_hooks.hpp"

// The playing character's inventory; empty before log-on.
extern inventory_list cur_inventory;

constexpr int max_inventory_items = 12;
constexpr std::int32_t identify_cost = 500;

// "Head" .. "Other" for positions 1-10; empty for any other.
std::string_view position_name(int position);
// The event's name: "WEAR", "USE", "REMOVE", "ONATTACK", "ONDAMAGE", "ONDEATH", "USECOMBAT",
// "IDENTIFY", "LASTUSE", "DROP", "FLAGS" for the bits 1 .. 1024; empty for others.
std::string_view event_name(std::int32_t event_bit);
// The item has the event's bit in its script events.
bool has_event(const item_record& item, std::int32_t event_bit);

// ---- Files ----
// Reads invt<NNNN>.dat into items (replaced), each record pushed at the head. A missing
// file gives an empty list; a busy file is waited for; an unreadable or torn file shows
// "`9Inventory `4CORRUPTED `9Please inform SysOp" and ends with code 3.
void read_inventory(std::int16_t number, inventory_list& items);
// Rewrites the playing character's inventory file from cur_inventory (nothing without a
// playing character).
void write_own_inventory();
// Frees every item of the list.
void del_inv(inventory_list& items);

// A plain piece of equipment as a character wears it from the start or after a conversion:
// identified, equipped, level 1, no charges, flags or scripts.
item_record plain_equipment(std::string_view name, std::int16_t position, std::int16_t power, std::int32_t cost);

// ---- List operations ----
// Push at the head. add_to_inv then holds the player in the inventory menu while
// cur_inventory holds more than 12 items ("`3  You are now carrying too many items, you may
// not continue until you", "`3  drop one or more", a key, do_inv); add_to_inv_NW does not.
// The result is the new item, or null when the player dropped it in that menu.
item_record* add_to_inv(inventory_list& items, const item_record& item);
item_record* add_to_inv_NW(inventory_list& items, const item_record& item);
// What add_to_inv does after the push, for an item added with add_to_inv_NW under the hold.
item_record* carry_or_drop(item_record* added);
// Fewer than 12 items.
bool can_get_new_item(const inventory_list& items);
// 1-based position of the item in cur_inventory, -1 when it is not there.
int item_num_from_ptr(const item_record* item);
// The n-th item, the n-th unequipped item (from 1, list order); null for any other n.
item_record* inv_item_num_ptr(inventory_list& items, int n);
item_record* inv_unequipped_num_ptr(inventory_list& items, int n);
// The first equipped item at position 7, 3 or 8; null when there is none.
item_record* weapon_equipped_ptr(inventory_list& items);
item_record* armor_equipped_ptr(inventory_list& items);
item_record* shield_equipped_ptr(inventory_list& items);
// The last equipped item (list order) at the position; null when there is none.
item_record* list_equipped_at_pos_ptr(inventory_list& items, int position);

// Drops the n-th item of the list: its DROP section first when run_drop is set and it has
// the DROP event, then the item is freed and the playing character's inventory file is
// rewritten from cur_inventory. An n that names no item drops nothing.
void drop_item_num(inventory_list& items, int n, bool run_drop);
// Drops the n-th unequipped item (without its DROP section).
void drop_unequipped_item_num(inventory_list& items, int n);
// Drops this item of cur_inventory (see drop_item_num); nothing when it is not there.
void drop_item(item_record* item, bool run_drop);

// ---- What items do (items of cur_inventory, for the playing character) ----
// Equips: refused below the required level ("`4  You need more experience to use this
// item."); else marks it equipped, adds its power to attack (7), defense (3) or shield value
// (8), runs WEAR or shows "`3  You equip the " + name, and writes the inventory file.
void equip_item(item_record* item);
// Takes the power back, runs REMOVE or shows "`3  You remove the " + name, writes the file.
void unequip_item(item_record* item);
// Uses the item out of combat (USE) or in combat (USECOMBAT): its section and one charge,
// or the refusals; writes the inventory file.
void use_item(item_record* item);
void combatuse_item(item_record* item);
// One charge less; at below 1: LASTUSE, and an item whose flags are 1 is dropped from
// cur_inventory (without DROP).
void remove_charge(item_record* item);
// Offers to identify the item for 500 gold in hand.
void identify_item(item_record* item);
// Runs an event's section of the item's script ("items/<n>.scr", the event's name).
void run_item_event(const item_record& item, std::int32_t event_bit);
// The ONDEATH section of every equipped item with that event and charges left, each
// followed by remove_charge, in list order.
void begin_ondeath_item();
// "`9  Use which Item #? : " and use_item / combatuse_item of the answer.
void begin_use_item();
void begin_combat_use_item();

// ---- The charge adjusters ----
// The weapon adjusters act on the inventory of the character given: the playing
// character's equipped weapon in cur_inventory (and its file), another player's in that
// player's inventory file. power becomes the smaller of power + amount and max_power;
// max_power the smaller of max_power + amount and 1200. No lower bound. Nothing without
// an equipped weapon, or for a record that is no player (number below 1).
void add_weapon_charge(const character_record& who, std::int32_t amount);
void add_weapon_max_charge(const character_record& who, std::int32_t amount);
// The armour and shield adjusters act on cur_inventory whatever character is given, and
// write no file. Maximum power caps: armour 1200, shield 60.
void add_armor_charge(const character_record& who, std::int32_t amount);
void add_armor_max_charge(const character_record& who, std::int32_t amount);
void add_shield_charge(const character_record& who, std::int32_t amount);
void add_shield_max_charge(const character_record& who, std::int32_t amount);
// The adjuster of a slot's power (or maximum power) for any record: the weapon adjusters as
// above; the playing character's armour and shield in cur_inventory; another player's
// armour and shield in that player's own inventory file (written), never the playing
// character's; a creature's nothing. The text macros' charge hooks and ADD ^OSnn use it.
void add_item_power(const character_record& who, equip_slot slot, bool maximum, std::int32_t amount);
// The max-charge adjuster, then the charge adjuster, with the same amount.
void add_weapon_power(const character_record& who, std::int32_t amount);
void add_armor_power(const character_record& who, std::int32_t amount);
void add_shield_power(const character_record& who, std::int32_t amount);
