#include "engine/rules/items.hpp"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "door/door.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/item_hooks.hpp"
#include "engine/text/play_hooks.hpp"

inventory_list cur_inventory;

namespace {
const char* const position_names[10] = {"Head", "Neck",   "Armor",  "Hands",    "Ring",
                                        "Feet", "Weapon", "Shield", "Treasure", "Other"};
const char* const event_names[11] = {"WEAR",      "USE",      "REMOVE",  "ONATTACK", "ONDAMAGE", "ONDEATH",
                                     "USECOMBAT", "IDENTIFY", "LASTUSE", "DROP",     "FLAGS"};

std::int16_t to_i16(std::int64_t v) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int16_t>::min(),
                                                              std::numeric_limits<std::int16_t>::max()));
}

// An item an operation holds on to while a script runs. A script may drop the item or free
// its list; every removal clears the watches on the removed items, so the operation sees
// that the item is gone instead of touching freed memory.
class item_watch {
public:
    explicit item_watch(item_record* item) : item(item) { watches().push_back(this); }
    ~item_watch() { std::erase(watches(), this); }
    item_watch(const item_watch&) = delete;
    item_watch& operator=(const item_watch&) = delete;

    item_record* item;

    static std::vector<item_watch*>& watches() {
        static std::vector<item_watch*> all;
        return all;
    }
    static void forget(const item_record* gone) {
        for (item_watch* w : watches())
            if (w->item == gone) w->item = nullptr;
    }
};

void forget_all(const inventory_list& items) {
    if (item_watch::watches().empty()) return;
    for (const item_record& i : items) item_watch::forget(&i);
}

// Unlinks and frees the item when it is a node of the list.
void erase_item(inventory_list& items, const item_record* item) {
    for (auto it = items.begin(); it != items.end(); ++it)
        if (&*it == item) {
            item_watch::forget(item);
            items.erase(it);
            return;
        }
}

bool below_level(const item_record& item) { return cur_char && cur_char->level < item.required_level; }

// Adds the item's power (sign +1) or takes it back (-1) for the three equipment positions.
void apply_power(const item_record& item, int sign) {
    if (!cur_char) return;
    std::int64_t amount = std::int64_t(sign) * item.power;
    switch (item.position) {
    case pos_weapon: add_attack_value(*cur_char, amount); break;
    case pos_armor: add_defense_value(*cur_char, amount); break;
    case pos_shield: add_shield_value(*cur_char, amount); break;
    default: break;
    }
}

// Drops an item of the list, running DROP first when asked; the playing character's
// inventory file is rewritten from cur_inventory.
void drop_from(inventory_list& items, item_record* item, bool run_drop) {
    item_watch watch(item);
    if (run_drop && has_event(*item, event_drop)) run_item_event(*item, event_drop);
    if (watch.item) erase_item(items, watch.item);
    write_own_inventory();
}

void use_with(item_record* item, std::int32_t event, const std::string& refusal) {
    if (!item) return;
    if (below_level(*item)) {
        disp_line("`4  You need more experience to use this item.");
    } else if (!has_event(*item, event)) {
        disp_line(refusal);
    } else if (item->charges > 0) {
        item_watch watch(item);
        run_item_event(*item, event);
        if (watch.item) remove_charge(watch.item);
    } else {
        disp_line("`4  The " + item->name + "`4 seems to be out of power.");
    }
    write_own_inventory();
}

void ask_and_use(bool combat) {
    disp_text("`9  Use which Item #? : ");
    int n = read_int();
    if (n == 0) {
        disp_line("`%  Nothing Used");
        return;
    }
    item_record* item = inv_item_num_ptr(cur_inventory, n);
    if (!item) {
        disp_line("`4  You do not seem to have that item");
        return;
    }
    if (combat)
        combatuse_item(item);
    else
        use_item(item);
}

// The equipped item of a slot in a list.
item_record* first_equipped(inventory_list& items, std::int16_t position) {
    for (item_record& i : items)
        if (i.equipped && i.position == position) return &i;
    return nullptr;
}

std::int16_t raised_power(const item_record& item, std::int32_t amount) {
    return to_i16(std::min<std::int64_t>(std::int64_t(item.power) + amount, item.max_power));
}
std::int16_t raised_max(const item_record& item, std::int32_t amount, std::int16_t cap) {
    return to_i16(std::min<std::int64_t>(std::int64_t(item.max_power) + amount, cap));
}

// The one way the charge adjusters reach an equipped item: the playing character's is changed
// in cur_inventory in place (pointers to it stay valid) and written when write_own is set;
// another player's in that player's inventory file. A record that is no player (a creature,
// number 0) carries none.
void change_equipped(const character_record& who, std::int16_t position, void (*change)(item_record&, std::int32_t),
                     std::int32_t amount, bool write_own) {
    if (who.number < 1 || hook_is_mob(who)) return;
    if (cur_char && write_own) write_inventory(cur_char->number, cur_inventory);
    if (cur_char && who.number == cur_char->number) {
        if (item_record* i = first_equipped(cur_inventory, position)) {
            change(*i, amount);
            if (write_own) write_inventory(cur_char->number, cur_inventory);
        }
        return;
    }
    inventory_list theirs;
    read_inventory(who.number, theirs);
    if (item_record* i = first_equipped(theirs, position)) {
        change(*i, amount);
        write_inventory(who.number, theirs);
    }
}

void raise_power(item_record& i, std::int32_t a) { i.power = raised_power(i, a); }
void raise_weapon_max(item_record& i, std::int32_t a) { i.max_power = raised_max(i, a, 1200); }
void raise_armour_max(item_record& i, std::int32_t a) { i.max_power = raised_max(i, a, 1200); }
void raise_shield_max(item_record& i, std::int32_t a) { i.max_power = raised_max(i, a, 60); }
}  // namespace

std::string_view position_name(int position) {
    return (position >= 1 && position <= 10) ? position_names[position - 1] : "";
}

std::string_view event_name(std::int32_t event_bit) {
    for (int k = 0; k < 11; ++k)
        if (event_bit == (std::int32_t(1) << k)) return event_names[k];
    return "";
}

bool has_event(const item_record& item, std::int32_t event_bit) { return (item.script_events & event_bit) != 0; }

// ---- Files ----

void read_inventory(std::int16_t number, inventory_list& items) {
    debug_enter("Entering read_inventory");
    del_inv(items);
    std::vector<item_record> recs;
    file_status st = read_record_file<item_record>(inventory_file_name(number), recs);
    if (st == file_status::corrupt) {
        disp_line("`9Inventory `4CORRUPTED `9Please inform SysOp");
        end_prog(exit_char_corrupt);
    }
    for (const item_record& r : recs) add_to_inv_NW(items, r);
    debug_leave("Leaving read_inventory");
}

void write_own_inventory() {
    if (cur_char) write_inventory(cur_char->number, cur_inventory);
}

void del_inv(inventory_list& items) {
    forget_all(items);
    items.clear();
}

// ---- List operations ----

item_record* add_to_inv_NW(inventory_list& items, const item_record& item) {
    items.push_front(item);
    return &items.front();
}

item_record plain_equipment(std::string_view name, std::int16_t position, std::int16_t power, std::int32_t cost) {
    item_record item;
    item.name = name;
    item.power = item.max_power = power;
    item.cost = cost;
    item.position = position;
    item.required_level = 1;
    item.identified = 1;
    item.equipped = 1;
    return item;
}

item_record* add_to_inv(inventory_list& items, const item_record& item) {
    return carry_or_drop(add_to_inv_NW(items, item));
}

item_record* carry_or_drop(item_record* added) {
    if (list_length(cur_inventory) > max_inventory_items) {
        item_watch watch(added);
        disp_line("`3  You are now carrying too many items, you may not continue until you");
        disp_line("`3  drop one or more");
        hit_any_key();
        hook_do_inv();
        added = watch.item;
    }
    return added;
}

bool can_get_new_item(const inventory_list& items) { return list_length(items) < max_inventory_items; }

int item_num_from_ptr(const item_record* item) {
    int n = 1;
    for (const item_record& i : cur_inventory) {
        if (&i == item) return n;
        ++n;
    }
    return -1;
}

item_record* inv_item_num_ptr(inventory_list& items, int n) {
    if (n < 1) return nullptr;
    for (item_record& i : items)
        if (--n == 0) return &i;
    return nullptr;
}

item_record* inv_unequipped_num_ptr(inventory_list& items, int n) {
    if (n < 1) return nullptr;
    for (item_record& i : items)
        if (!i.equipped && --n == 0) return &i;
    return nullptr;
}

item_record* weapon_equipped_ptr(inventory_list& items) { return first_equipped(items, pos_weapon); }
item_record* armor_equipped_ptr(inventory_list& items) { return first_equipped(items, pos_armor); }
item_record* shield_equipped_ptr(inventory_list& items) { return first_equipped(items, pos_shield); }

item_record* list_equipped_at_pos_ptr(inventory_list& items, int position) {
    item_record* found = nullptr;
    for (item_record& i : items)
        if (i.equipped && i.position == position) found = &i;
    return found;
}

void drop_item_num(inventory_list& items, int n, bool run_drop) {
    debug_enter("Entering drop_item_num");
    if (item_record* item = inv_item_num_ptr(items, n)) drop_from(items, item, run_drop);
    debug_leave("Leaving drop_item_num");
}

void drop_unequipped_item_num(inventory_list& items, int n) {
    item_record* item = inv_unequipped_num_ptr(items, n);
    if (!item) return;
    int pos = 1;
    for (const item_record& i : items) {
        if (&i == item) break;
        ++pos;
    }
    drop_item_num(items, pos, false);
}

void drop_item(item_record* item, bool run_drop) {
    if (item && item_num_from_ptr(item) > 0) drop_from(cur_inventory, item, run_drop);
}

// ---- What items do ----

void run_item_event(const item_record& item, std::int32_t event_bit) {
    std::string file = item_script_file(get_item_script_num(item));
    hook_run_script(file, event_name(event_bit));
}

void equip_item(item_record* item) {
    if (!item || !cur_char) return;
    if (below_level(*item)) {
        disp_line("`4  You need more experience to use this item.");
        return;
    }
    item->equipped = 1;
    apply_power(*item, +1);
    if (has_event(*item, event_wear))
        run_item_event(*item, event_wear);
    else
        disp_line("`3  You equip the " + item->name);
    write_own_inventory();
}

void unequip_item(item_record* item) {
    if (!item || !cur_char) return;
    item->equipped = 0;
    apply_power(*item, -1);
    if (has_event(*item, event_remove))
        run_item_event(*item, event_remove);
    else
        disp_line("`3  You remove the " + item->name);
    write_own_inventory();
}

void use_item(item_record* item) {
    if (item) use_with(item, event_use, "`3  You cannot use the " + item->name);
}

void combatuse_item(item_record* item) {
    if (item) use_with(item, event_usecombat, "`3  You cannot use the " + item->name + "`3 in combat.");
}

void remove_charge(item_record* item) {
    if (!item) return;
    item->charges = to_i16(std::int64_t(item->charges) - 1);
    if (item->charges >= 1) return;
    item_watch watch(item);
    if (has_event(*item, event_lastuse)) run_item_event(*item, event_lastuse);
    if (watch.item && watch.item->flags == 1) drop_item(watch.item, false);
}

void identify_item(item_record* item) {
    if (!item || !cur_char) return;
    disp_line("`3  It will cost " + int_to_str(identify_cost) + " to identify this item");
    disp_text("`9  Are you sure? (`3Y`9/`3N`9) [`%N`9] : `%");
    char k = read_key();
    if (k != 'Y' && k != 'y') {
        write_line("No");
        write_line();
        disp_line("`%  Nothing Identified");
        return;
    }
    write_line("Yes");
    write_line();
    bool paid = false;
    {
        // Paid from the gold on file, then the item marked known in the same hold; a hang-up
        // waits for both.
        hold_guard hold;
        paid = pay_from_purse({identify_cost});
        if (paid) {
            item->identified = 1;
            write_own_inventory();
        }
    }
    if (!paid) {
        disp_line("`4  You cannot afford to identify this item.");
        return;
    }
    disp_line("`%  Item Identified");
}

void begin_ondeath_item() {
    debug_enter("Entering begin_ondeath_item");
    // The scripts may change the inventory while it is walked: walk a copy of the order and
    // skip what is gone.
    std::vector<item_record*> order;
    for (item_record& i : cur_inventory) order.push_back(&i);
    std::vector<std::unique_ptr<item_watch>> watches;
    for (item_record* i : order) watches.push_back(std::make_unique<item_watch>(i));
    for (auto& w : watches) {
        item_record* item = w->item;
        if (!item || !item->equipped || !has_event(*item, event_ondeath) || item->charges <= 0) continue;
        run_item_event(*item, event_ondeath);
        if (w->item) remove_charge(w->item);
    }
    // The charges spent must outlast the death that ends the game.
    write_own_inventory();
    debug_leave("Leaving begin_ondeath_item");
}

void begin_use_item() { ask_and_use(false); }
void begin_combat_use_item() { ask_and_use(true); }

// ---- The charge adjusters ----

void add_weapon_charge(const character_record& who, std::int32_t amount) {
    change_equipped(who, pos_weapon, raise_power, amount, true);
}
void add_weapon_max_charge(const character_record& who, std::int32_t amount) {
    change_equipped(who, pos_weapon, raise_weapon_max, amount, true);
}
void add_armor_charge(const character_record&, std::int32_t amount) {
    if (item_record* a = armor_equipped_ptr(cur_inventory)) raise_power(*a, amount);
}
void add_armor_max_charge(const character_record&, std::int32_t amount) {
    if (item_record* a = armor_equipped_ptr(cur_inventory)) raise_armour_max(*a, amount);
}
void add_shield_charge(const character_record&, std::int32_t amount) {
    if (item_record* s = shield_equipped_ptr(cur_inventory)) raise_power(*s, amount);
}
void add_shield_max_charge(const character_record&, std::int32_t amount) {
    if (item_record* s = shield_equipped_ptr(cur_inventory)) raise_shield_max(*s, amount);
}
void add_weapon_power(const character_record& who, std::int32_t amount) {
    add_weapon_max_charge(who, amount);
    add_weapon_charge(who, amount);
}
void add_armor_power(const character_record& who, std::int32_t amount) {
    add_armor_max_charge(who, amount);
    add_armor_charge(who, amount);
}
void add_shield_power(const character_record& who, std::int32_t amount) {
    add_shield_max_charge(who, amount);
    add_shield_charge(who, amount);
}

void add_item_power(const character_record& who, equip_slot slot, bool maximum, std::int32_t amount) {
    switch (slot) {
    case equip_slot::weapon: maximum ? add_weapon_max_charge(who, amount) : add_weapon_charge(who, amount); return;
    case equip_slot::armour:
    case equip_slot::shield: break;
    }
    bool armour = slot == equip_slot::armour;
    // Another player's armour and shield are those in that player's own file, never the
    // playing character's (a creature has none).
    if (!cur_char || who.number != cur_char->number) {
        void (*raise_max)(item_record&, std::int32_t) = armour ? raise_armour_max : raise_shield_max;
        change_equipped(who, armour ? pos_armor : pos_shield, maximum ? raise_max : raise_power, amount, false);
        return;
    }
    if (armour)
        maximum ? add_armor_max_charge(who, amount) : add_armor_charge(who, amount);
    else
        maximum ? add_shield_max_charge(who, amount) : add_shield_charge(who, amount);
}
