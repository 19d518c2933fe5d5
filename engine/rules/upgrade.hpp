// The start-up data upgrade: brings the data of older versions of the game up to the
// current one, once, at the start of the game (after the statistics are read and before the
// character file is loaded).
//
// Each step runs under the hold and checks again there whether another node, starting at
// the same moment, has done it already; its key wait comes after the hold is released.
#pragma once
#include <string_view>

// The item step (stock items into the registry, up to version "1.10" of the items, kept in
// the flag ITEMS_LOADED_TO_VER of "mainflag.dat"), then the 1.05 patch (two class bits
// swapped) and the 1.07 patch (the fixed equipment slots become inventory items), each when
// game_stats.data_version is below it.
void update_item_data();

// The playing character's (cur_char) equipment slot becomes an equipped item of
// cur_inventory, priced from its tier in the equipment file; nothing when the slot's power
// is 0 or less or cur_inventory already holds an equipped item of that position.
void convert_weapon_slot();
void convert_armor_slot();
void convert_shield_slot();

// "items.dat" is an item registry of the older form (46-byte records): its size is a whole
// number of 46-byte records, and it is no whole number of today's 116-byte records or its
// first record does not read as one of today's.
bool registry_is_older_form(std::string_view image);
