// The item browser and the shop editor. Stock files go through the engine's shop-file unit,
// the same one the game's shops sell from.
#include "config/shop_editor.hpp"

#include <limits>

#include "config/console.hpp"
#include "config/quorcfg.hpp"
#include "door/keys.hpp"
#include "engine/rules/items.hpp"
#include "engine/store/shop_file.hpp"
#include "engine/store/strings.hpp"

namespace cfg {
namespace {
constexpr int first_value_row = 6;
constexpr int prompt_row = 17;

// The screen every record pager starts with; its counts say Weapons for every file.
void pager_frame(std::string_view editor_name, const std::string& file_name, int count, int on) {
    clear_console();
    frame_line(editor_name);
    print_line("`4Use the Left and Right Arrow Keys to Change Items    `0   Editing \"" + literal_codes(file_name) +
               "\"");
    print_line("`2                                                        # of Weapons   : " + int_to_str(count));
    print_line("`2                                                         On Weapon   # : " + int_to_str(on));
}

// One key of a pager: Left and Right change the record (wrapping; true when it changed), the
// rest goes to the menu.
bool pager_key(cursor_menu& menu, int& on, int count, menu_input& in) {
    bool extended;
    char k = get_key(extended);
    in = {};
    if (extended && (k == key_left || k == key_right)) {
        if (count == 0) return false;
        on = k == key_left ? (on + count - 2) % count + 1 : on % count + 1;
        return true;
    }
    in = cursor_menu_apply(menu, k, extended);
    return false;
}

void place_menu(cursor_menu& menu, const std::vector<const char*>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        goto_xy_console(1, menu.rows[i]);
        print_text(lines[i]);
    }
    draw_menu_arrow(menu);
}

std::string wear_name(int position) {
    std::string_view name = position_name(position);
    return name.empty() ? int_to_str(position) : std::string(name);
}

std::string event_names(std::int32_t events) {
    std::string names;
    for (std::int32_t bit = 1; bit <= event_flags; bit <<= 1)
        if (events & bit) names += (names.empty() ? "" : " ") + std::string(event_name(bit));
    return names;
}

void show_registry_record(const registry_record* r) {
    static const char* const labels[] = {
        "`9  Name           `%: ", "`9  ScriptID       `%: ", "`9  Filename       `%: ", "`9  Attack         `%: ",
        "`9  MaxAttack      `%: ", "`9  Cost           `%: ", "`9  Charges        `%: ", "`9  Wear Flags     `%: ",
        "`9  Required Level `%: ", "`9  Flags          `%: ", "`9  Scripts Used   `%: "};
    std::vector<std::string> values(std::size(labels), "N/A");
    if (r) {
        const item_record& it = r->item;
        values = {r->name.str(),          r->script_id.str(),          int_to_str(r->number),
                  int_to_str(it.power),   int_to_str(it.max_power),    comma_number(it.cost),
                  int_to_str(it.charges), wear_name(it.position),      int_to_str(it.required_level),
                  int_to_str(it.flags),   int_to_str(it.script_events)};
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        goto_xy_console(1, first_value_row + static_cast<int>(i));
        print_labelled(labels[i], values[i]);
    }
    goto_xy_console(1, first_value_row + static_cast<int>(values.size()));
    if (r) print_text("`3  " + event_names(r->item.script_events));
}

void show_shop_entry(const shop_entry* e) {
    goto_xy_console(1, first_value_row);
    if (!e) {
        for (const char* label : {"Name              ", "Value             ", "Cost              "})
            print_line("`3  " + std::string(label) + ": `%N/A");
        print_text("`3  Quantity          : `%N/A");
        return;
    }
    print_labelled("`3  Name              : `%", e->name.view());
    goto_xy_console(1, first_value_row + 1);
    print_labelled("`3  ScriptID          : `%", e->script_id.view());
    goto_xy_console(1, first_value_row + 2);
    print_text("`3  Cost              : `%" + comma_number(e->cost));
    goto_xy_console(1, first_value_row + 3);
    print_text("`3  Quantity          : `%" + int_to_str(e->count));
}

constexpr int quantity_row = first_value_row + 3;
constexpr int quantity_column = 22;

void edit_quantity(shop_entry& e) {
    std::string text = int_to_str(e.count);
    bool abort = false;
    edit_field(text, int_to_str(e.count), quantity_column, 4, quantity_row, 0, abort);
    std::string why;
    if (abort) return;
    if (auto n = typed_number(text, true, std::numeric_limits<std::int16_t>::min(),
                              std::numeric_limits<std::int16_t>::max(), why))
        e.count = static_cast<std::int16_t>(*n);
    if (!why.empty()) foot_message({why});
}

void add_to_shop(shop_list& shop, const item_list& registry, int& on) {
    goto_xy_console(1, prompt_row);
    print_line("`9  Enter the ScriptID of the item to place in the shop.");
    print_text("`9  >`%");
    std::string id;
    bool abort = false;
    edit_field(id, "", 4, 20, prompt_row + 1, 0, abort);
    goto_xy_console(1, prompt_row + 2);
    // By ScriptID alone: the first registered record of that ScriptID.
    const registry_record* found = nullptr;
    for (const registry_record& r : registry)
        if (!abort && !found && r.script_id.view() == id) found = &r;
    if (!found) {
        print_line("  Item Not Found");
    } else {
        print_line("  Item Found");
        shop_entry e;
        e.name = found->name.view();
        e.script_id = found->script_id.view();
        e.cost = found->item.cost;
        shop.push_back(e);
        on = static_cast<int>(shop.size());
    }
    hit_any_key();
}
}  // namespace

std::string shop_name_refusal(std::string_view name) {
    if (name.empty()) return "`4A shop needs a name.";
    if (name.find('/') != std::string_view::npos || name.find("..") != std::string_view::npos)
        return "`4A shop's file stays in the game directory: no \"/\" or \"..\".";
    return "";
}

void item_browser(const std::string& file_name) {
    create_if_missing(file_name);
    bool damaged = false;
    item_list registry = read_itreg_file(file_name, &damaged);
    if (damaged) return;
    int count = static_cast<int>(registry.size());
    int on = count > 0 ? 1 : 0;
    cursor_menu menu{{19}};
    for (;;) {
        pager_frame("`!  Item Browser", file_name, count, on);
        show_registry_record(item_by_index(registry, on));
        place_menu(menu, {"`#  Return to Previous Menu"});
        menu_input in;
        while (!pager_key(menu, on, count, in) && in.event != menu_event::quit && in.event != menu_event::enter) {
        }
        if (in.event == menu_event::quit || in.event == menu_event::enter) break;
    }
    del_itreg_list(registry);
}

void shop_editor(const std::string& file_name) {
    create_if_missing(file_name);
    bool damaged = false;
    item_list registry = read_itreg_file(registry_file_name, &damaged);
    if (damaged) return;
    if (registry.empty()) {
        clear_console();
        print_line("`9  You need to run `1T`9he `1Q`9uorvath at least `4ONCE`9 before");
        print_line("   this feature becomes available");
        hit_any_key();
        return;
    }
    shop_list shop = read_shop_file(file_name, registry_keep(registry));
    // As read: a sale on a node while the editor is open counts with the sysop's changes.
    const shop_list as_read = shop;
    // Entries of items no longer registered are dropped; the sysop sees how many.
    std::size_t dropped = read_shop_file(file_name, [](const shop_entry&) { return true; }).size() - shop.size();
    int on = shop.empty() ? 0 : 1;
    cursor_menu menu{{quantity_row, quantity_row + 1, quantity_row + 2, quantity_row + 3, quantity_row + 4}};
    for (bool leave = false; !leave;) {
        int count = static_cast<int>(shop.size());
        pager_frame("`!  Shop Editor", file_name, count, on);
        shop_entry* current = shop_entry_by_index(shop, on);
        show_shop_entry(current);
        place_menu(menu, {"`3  Quantity", "`3  Add an Item to this Shop", "`4  Remove this Item from the Shop",
                          "`@  Browse Registered Items", "`#  Return to Previous Menu"});
        // The Quantity row is the quantity line itself: its value stands after the label.
        if (dropped > 0) {
            goto_xy_console(1, quantity_row + 6);
            print_text("`4  " + int_to_str(static_cast<std::int64_t>(dropped)) +
                       " entries name items no longer registered: saving removes them.");
        }
        menu_input in;
        while (!pager_key(menu, on, count, in) && in.event != menu_event::quit && in.event != menu_event::enter) {
        }
        if (in.event == menu_event::quit) break;
        if (in.event != menu_event::enter) continue;
        switch (menu.selected) {
        case 1:
            if (current) edit_quantity(*current);
            break;
        case 2: add_to_shop(shop, registry, on); break;
        case 3:
            if (!current) break;
            goto_xy_console(1, prompt_row);
            print_text("`9  Are you Sure? ");
            if (yes_no(true) == 'Y') {
                shop.erase(std::next(shop.begin(), on - 1));
                on = std::min(on, static_cast<int>(shop.size()));
            }
            break;
        case 4: item_browser(registry_file_name); break;
        default: leave = true; break;
        }
    }
    ask_write_changes(prompt_row + 3, [&] {
        merge_shop_file(file_name, as_read, shop, registry_keep(registry));
        return std::string();
    });
    del_shop_list(shop);
    del_itreg_list(registry);
}

void shop_menu() {
    static const char* const lines[] = {"`3  Weapon Shop         `%: `0\"WEAPON.SHP\"",
                                        "`3  Armor Shop          `%: `0\"ARMOR.SHP\"",
                                        "`3  Shield Shop         `%: `0\"SHIELD.SHP\"",
                                        "`3  Other Shop          `%: `0\"?????.SHP\"", "`#  Return to Previous Menu"};
    static const char* const files[] = {weapon_stock_file, armour_stock_file, shield_stock_file};
    cursor_menu menu{{3, 4, 5, 6, 7}};
    for (;;) {
        clear_console();
        frame_line("`!  Shop Editor");
        print_line();
        for (const char* line : lines) print_line(line);
        draw_menu_arrow(menu);
        menu_input in;
        while (in.event != menu_event::enter && in.event != menu_event::quit) in = cursor_menu_key(menu);
        if (in.event == menu_event::quit || menu.selected == 5) return;
        if (menu.selected <= 3) {
            shop_editor(files[menu.selected - 1]);
            continue;
        }
        if (std::optional<std::string> name = ask_file_stem(10, shop_name_refusal)) shop_editor(*name + ".shp");
    }
}

}  // namespace cfg
