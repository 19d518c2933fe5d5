// The caller's inventory menu and the item listings.
#pragma once
#include "engine/rules/items.hpp"

// "`3  You are Carrying:" and each name of cur_inventory, or "`!   Nothing!".
void disp_inv();
// The numbered item table of all items, of the unequipped items.
void list_inv(const inventory_list& items);
void list_unequipped_inv(const inventory_list& items);
// One line per field of the item, for debugging.
void display_all_item(const item_record& item);
// The inventory menu; returns while cur_inventory holds at most 12 items.
void do_inv();
