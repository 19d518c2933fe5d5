#include "engine/text/item_hooks.hpp"

#include "engine/text/hooks.hpp"

namespace {
inventory_list* no_inventory() { return nullptr; }
void no_items(std::int16_t, inventory_list& items) { items.clear(); }
item_record* no_item(inventory_list&, equip_slot) { return nullptr; }
void no_charge(character_record&, equip_slot, std::int32_t) {}
bool mob_by_real_name(const character_record& who) {
    return who.real_name.view() == "MOB" || who.real_name.view() == "MOB LEVEL-FIGHT";
}

hook_slot<current_inventory_fn> current_inventory{no_inventory, "current_inventory"};
hook_slot<read_inventory_fn> read_inventory_file{no_items, "read_inventory"};
hook_slot<equipped_item_fn> equipped_item{no_item, "equipped_item"};
hook_slot<charge_fn> charge{no_charge, "charge"};
hook_slot<charge_fn> max_charge{no_charge, "max_charge"};
hook_slot<is_mob_fn> is_mob_test{mob_by_real_name, "is_mob"};
}  // namespace

void set_current_inventory_hook(current_inventory_fn f) { current_inventory.set(f); }
inventory_list* hook_current_inventory() { return current_inventory(); }

void set_read_inventory_hook(read_inventory_fn f) { read_inventory_file.set(f); }
void hook_read_inventory(std::int16_t number, inventory_list& items) {
    items.clear();
    read_inventory_file(number, items);
}

void set_equipped_item_hook(equipped_item_fn f) { equipped_item.set(f); }
item_record* hook_equipped_item(inventory_list& items, equip_slot slot) { return equipped_item(items, slot); }

void set_charge_hook(charge_fn f) { charge.set(f); }
void set_max_charge_hook(charge_fn f) { max_charge.set(f); }
void hook_add_charge(character_record& who, equip_slot slot, std::int32_t amount) { charge(who, slot, amount); }
void hook_add_max_charge(character_record& who, equip_slot slot, std::int32_t amount) { max_charge(who, slot, amount); }

void set_is_mob_hook(is_mob_fn f) { is_mob_test.set(f); }
bool hook_is_mob(const character_record& who) { return is_mob_test(who); }
