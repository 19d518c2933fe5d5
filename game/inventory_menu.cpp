#include "game/inventory_menu.hpp"

#include <string>

#include "door/door.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/play_hooks.hpp"
#include "engine/text/text_file.hpp"

namespace {
constexpr const char* list_heading = "`%   #   Item Name              Value  Location  Eqpd";
constexpr const char* list_rule = "`9  -=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* menu_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

std::int16_t own_level() { return cur_char ? cur_char->level : 0; }

// The tail of a table line: the wear position and the equipped mark.
std::string position_tail(const item_record& item) {
    return "  " + pad_right(position_name(item.position), 12) + (item.equipped ? "*" : " ");
}

std::string truth(bool b) { return b ? "TRUE" : "FALSE"; }

char upcase_key(char k) { return (k >= 'a' && k <= 'z') ? static_cast<char>(k - 'a' + 'A') : k; }

// Asks for an item number: the item, or null after the answer's message (0 shows nothing_text).
item_record* ask_item(const std::string& prompt, const std::string& nothing_text) {
    disp_text(prompt);
    int n = read_int();
    if (n == 0) {
        disp_line(nothing_text);
        return nullptr;
    }
    item_record* item = inv_item_num_ptr(cur_inventory, n);
    if (!item) disp_line("`4  You do not seem to have that item");
    return item;
}

void menu_remove() {
    item_record* item = ask_item("`9  Remove which Item #? : ", "`%  Nothing Removed");
    if (!item) return;
    if (!item->equipped)
        disp_line("`4  You cannot remove an item that you are not wearing");
    else
        unequip_item(item);
}

void menu_equip() {
    item_record* item = ask_item("`9  Equip which Item #? : ", "`%  Nothing Equipped");
    if (!item) return;
    if (item->equipped)
        disp_line("`4  You are already wearing that item.");
    else if (list_equipped_at_pos_ptr(cur_inventory, item->position))
        disp_line("`3  You are wearing something at that position already");
    else
        equip_item(item);
}

void menu_identify() {
    item_record* item = ask_item("`9  Identify which Item #? : ", "`%  Nothing Identified");
    if (!item) return;
    if (item->script_id.empty() || !has_event(*item, event_identify)) {
        disp_line("`3  There is nothing special about that item");
        return;
    }
    if (!item->identified) identify_item(item);
    if (item->identified) run_item_event(*item, event_identify);
}

void menu_drop() {
    item_record* item = ask_item("`9  Drop which Item #? : ", "`%  Nothing Dropped");
    if (!item) return;
    if (item->equipped) {
        disp_line("`4  You must remove the item first.");
        return;
    }
    disp_line("`4  You are about to drop the " + item->name);
    disp_text("`9  Are you sure? (`3Y`9/`3N`9) [`%N`9] : `%");
    char k = upcase_key(read_key());
    write_line(k == 'Y' ? "Yes" : "No");
    if (k != 'Y') {
        disp_line("`%  Nothing Dropped");
        return;
    }
    disp_line("`3  You drop the " + item->name);
    drop_item(item, true);
    write_char_file(true);
}
}  // namespace

void disp_inv() {
    disp_line("`3  You are Carrying:");
    if (cur_inventory.empty()) {
        disp_line("`!   Nothing!");
        return;
    }
    for (const item_record& i : cur_inventory) disp_line("`!    " + i.name);
}

void list_inv(const inventory_list& items) {
    disp_line(list_heading);
    disp_line(list_rule);
    int n = 0;
    for (const item_record& i : items) {
        const char* colour = own_level() < i.required_level ? "`4" : i.equipped ? "`%" : !i.identified ? "`6" : "`!";
        std::string value =
            i.max_power == 0 ? std::string(9, ' ') : pad_left(int_to_str(i.power) + "/" + int_to_str(i.max_power), 9);
        disp_line(colour + ("  " + pad_left(int_to_str(++n), 2)) + "  " + pad_right(strip_codes(i.name.view()), 20) +
                  value + position_tail(i));
    }
}

void list_unequipped_inv(const inventory_list& items) {
    disp_line(list_heading);
    disp_line(list_rule);
    int n = 0;
    for (const item_record& i : items) {
        if (i.equipped) continue;
        const char* colour = i.required_level > own_level() ? "`4" : "`!";
        disp_line(colour + ("  " + pad_left(int_to_str(++n), 2)) + "  " + pad_right(strip_codes(i.name.view()), 20) +
                  pad_left(int_to_str(i.power), 6) + position_tail(i));
    }
}

void display_all_item(const item_record& item) {
    disp_line("Name       " + item.name);
    disp_line("ScriptID   " + item.script_id);
    disp_line("Attack     " + int_to_str(item.power));
    disp_line("MaxAttack  " + int_to_str(item.max_power));
    disp_line("Cost       " + int_to_str(item.cost));
    disp_line("Charges    " + int_to_str(item.charges));
    disp_line("WearFlags  " + int_to_str(item.position));
    disp_line("Req. Level " + int_to_str(item.required_level));
    disp_line("Flags      " + int_to_str(item.flags));
    disp_line("Identified " + truth(item.identified));
    write_line("REALEQUIP  " + truth(item.equipped));
    disp_line("Equipped   " + truth(item.equipped));
    disp_line("ScriptUsed " + int_to_str(item.script_events));
}

void do_inv() {
    debug_enter("Entering do_inv");
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, "item_menu", menu, keys);
    if (cur_char) {
        std::string location = cur_char->location.str();
        if (location.empty()) location = "i";
        location[0] = 'i';
        cur_char->location = location;
        write_char_file(true);
    }
    bool redraw = true, prompt = true;
    std::int32_t polls = 0;
    for (;;) {
        if (redraw) {
            disp_line("`c                          `%Inventory Menu");
            disp_line(menu_rule);
            list_inv(cur_inventory);
            disp_line("");
            dispdesc(menu);
            redraw = false;
            prompt = true;
        }
        if (prompt) {
            disp_line("");
            disp_text("   `2Inventory Commands : ");
            disp_key_list(keys);
            disp_line("");
            disp_text("`9  Command? [`!?`9] : `%");
            prompt = false;
        }
        char k = menu_poll_key(polls);
        if (k == 0) {
            prompt = true;
            continue;
        }
        if (k == '\r') k = '?';
        k = upcase_key(k);
        write_line(std::string(1, k));
        prompt = true;
        switch (k) {
        case 'L':
            if (list_length(cur_inventory) <= max_inventory_items) {
                deldesc(menu);
                debug_leave("Leaving do_inv");
                return;
            }
            disp_line("`4  You must discard something to continue.");
            break;
        case 'R': menu_remove(); break;
        case 'E': menu_equip(); break;
        case 'U': begin_use_item(); break;
        case 'I': menu_identify(); break;
        case 'D': menu_drop(); break;
        case 'V': display_stats(); break;
        case '?': redraw = true; break;
        default: break;
        }
    }
}
