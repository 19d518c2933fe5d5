// The utility's external modules: the browser of "exmods.dat", installing a module from a
// file of the game directory, and the description editor.
#include "config/console.hpp"
#include "config/quorcfg.hpp"
#include "door/keys.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/lookups.hpp"

namespace cfg {
namespace {
constexpr int first_item_row = 5;
constexpr int desc_row = 12;
constexpr std::size_t desc_rows = 10;  // rows 13 to 22: above the write question and its answer
constexpr int prompt_row = 23;
constexpr int desc_edit_first_row = 3, desc_edit_last_row = 22;
enum exmod_item { name_item = 1, command_item, desc_item, install_item, remove_item, leave_item };

const char* const item_labels[] = {
    "`3  Module Name         `%: ", "`3  Command Line        `%: ", "`3  Description         `%: See Below",
    "`@  Install a new ExMod",      "`4  Remove this ExMod",        "`#  Return to Previous Menu"};
// The name's and command line's field: its first quote stands on the blank after the label's
// colon, so the text stays where the value was drawn.
const int value_column = static_cast<int>(strip_codes(item_labels[0]).size());

void draw_browser(std::list<exmod_entry>& list, int current, const cursor_menu& menu) {
    exmod_entry* e = exmod_by_index(list, current);
    clear_console();
    frame_line("`!   ExMod Maintenance");
    print_line("`4Use the Left and Right Arrow Keys to Change Modules  `0   Editing \"EXMODS.DAT\"");
    print_line("`2 On ExMods # : " + int_to_str(e ? current : 0) +
               "      `2Total ExMods : " + int_to_str(static_cast<std::int64_t>(list.size())));
    for (int item = name_item; item <= leave_item; ++item) {
        goto_xy_console(1, first_item_row + item - 1);
        std::string value;
        if (e && item == name_item) value = e->name.str();
        if (e && item == command_item) value = e->command.str();
        print_labelled(item_labels[item - 1], value);
    }
    goto_xy_console(1, desc_row);
    print_line("`9  Description:`3");
    if (e) print_desc_lines(e->description, desc_rows);
    draw_menu_arrow(menu);
}

// A line the sysop typed for the module's file: one that "exmods.dat" would read back as
// the start of a section or the end of the block is refused, as the line below says.
bool storable(std::string_view text, bool description) {
    const char* why = nullptr;
    if (text.starts_with("@#")) why = "`4  A line may not begin with \"@#\".";
    if (description && text.starts_with("~")) why = "`4  A description line may not begin with \"~\".";
    if (!why) return true;
    foot_message({why});
    return false;
}

void edit_value(exmod_entry& e, int item) {
    bool abort = false;
    std::string text = item == name_item ? e.name.str() : e.command.str();
    std::string initial = text;
    edit_field(text, initial, value_column, 86, first_item_row + item - 1, 0, abort);
    if (abort || !storable(text, false)) return;
    if (item == name_item) {
        e.name = text;
    } else if (trim_leading(text).empty()) {
        foot_message({"`4  A module needs a command line."});
    } else {
        e.command = text;
    }
}

void remove_current(std::list<exmod_entry>& list, int& current) {
    goto_xy_console(1, prompt_row);
    print_text("`9  Are you sure? ");
    if (yes_no(false) != 'Y' || !exmod_by_index(list, current)) {
        print_text("`4  Nothing Done      ");
    } else {
        list.erase(std::next(list.begin(), current - 1));
        if (current > static_cast<int>(list.size())) current = static_cast<int>(list.size());
        print_text("`!  ExMod Removed     ");
    }
    hit_any_key();
}

std::string file_stem(const std::string& name) { return name.substr(0, name.rfind('.')); }
}  // namespace

void print_desc_lines(const text_list& lines, std::size_t most) {
    std::size_t shown = 0;
    for (const text_line& l : lines) {
        if (lines.size() > most && shown + 1 == most) {
            print_line("`9  ... " + int_to_str(static_cast<std::int64_t>(lines.size() - shown)) +
                       " more lines: Enter on Description shows them all.");
            return;
        }
        print_labelled("", l.view());
        print_line();
        ++shown;
    }
}

void free_desc_lines(text_list& head) { deldesc(head); }

void write_exmod_file(const std::list<exmod_entry>& list) { rewrite_or_stop(exmods_file_name, exmods_image(list)); }

void edit_exmod_desc(exmod_entry& e) {
    int row = desc_edit_last_row + 1;
    auto it = e.description.begin();
    for (;; ++row) {
        // A long description goes on over as many pages as it needs.
        if (row > desc_edit_last_row) {
            clear_console();
            print_labelled("`9  Description of `%", e.name.view());
            print_line();
            print_line("`9  Enter keeps a line, Escape stops; a new line is added at the end.");
            row = desc_edit_first_row;
        }
        bool adding = it == e.description.end();
        std::string text = adding ? std::string() : it->str();
        bool abort = false;
        std::string initial = text;
        edit_long_field(text, initial, 100, row, 0, abort);
        if (abort || (adding && text.empty())) break;
        if (!storable(text, true)) {
            --row;
            continue;
        }
        if (adding) {
            add_desc_line(text, e.description);
            it = e.description.end();
        } else {
            *it = text;
            ++it;
        }
    }
}

void install_exmod(std::list<exmod_entry>& list) {
    clear_console();
    print_line("`9  Install an ExMod:");
    print_line("`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-");
    print_line("`3  This ExMod will be placed in the Other Realms area.");
    print_line();
    const std::string prompt = "`9  Enter the ExMod File name `%: ";
    print_text(prompt);
    cursor_visible(true);
    std::string typed;
    bool abort = false;
    edit_field(typed, "", static_cast<int>(strip_codes(prompt).size()) + 1, 86, 5, 0, abort);
    cursor_visible(false);
    print_line();
    std::string name(trim_trailing(trim_leading(typed)));
    if (abort || name.empty()) {
        print_line("`%Install Aborted");
        hit_any_key();
        return;
    }
    if (name.find('.') == std::string::npos) name = name.substr(0, 8) + ".scr";
    // The game's own test: what it runs as a script is installed as one.
    bool script = is_script_module(name);
    // Only a file of the game directory: the game resolves module files the same way.
    std::optional<std::string> path = name.starts_with("@#") ? std::nullopt : game_path(name);
    if (!path || !is_plain_file(*path)) {
        print_line("`4  File not Found.");
        hit_any_key();
        return;
    }
    print_line("`!  File Found!");
    print_text("`9  Install? ");
    if (yes_no(true) == 'N') {
        print_line("`%No.");
        print_line("`!  Nothing done.");
        hit_any_key();
        return;
    }
    print_line("`%Yes!");
    exmod_entry e;
    e.command = *path;
    std::optional<std::string> desc_file = path;
    if (!script) {
        std::string dsc = file_stem(*path) + ".dsc";
        print_line("  `4Installing Non-Script, looking for `%" + literal_codes(dsc) + "`4 file :");
        desc_file = game_path(dsc);
        if (desc_file && is_plain_file(*desc_file)) {
            print_line("`!  File Found!");
        } else {
            print_line("`4  File not Found.");
            desc_file.reset();
        }
    }
    if (desc_file) read_script_section(*desc_file, "Install", e.description);
    print_line(e.description.empty() ? "`4  WARNING : No Install section found" : "`!  Description Added");
    e.name = e.description.empty() ? std::string("(Unknown)") : e.description.front().str();
    list.push_back(std::move(e));
    hit_any_key();
}

void exmod_maintenance() {
    std::list<exmod_entry> list;
    read_exmods_file(list);
    int current = list.empty() ? 0 : 1;
    cursor_menu menu;
    for (int item = name_item; item <= leave_item; ++item) menu.rows.push_back(first_item_row + item - 1);
    for (bool done = false; !done;) {
        draw_browser(list, current, menu);
        bool extended;
        char k = get_key(extended);
        int count = static_cast<int>(list.size());
        if (extended && (k == key_left || k == key_right)) {
            if (count > 0)
                current = k == key_left ? (current > 1 ? current - 1 : count) : (current < count ? current + 1 : 1);
            continue;
        }
        menu_input in = cursor_menu_apply(menu, k, extended);
        if (in.event == menu_event::quit) break;
        if (in.event != menu_event::enter) continue;
        exmod_entry* e = exmod_by_index(list, current);
        switch (menu.selected) {
        case name_item:
        case command_item:
            if (e) edit_value(*e, menu.selected);
            break;
        case desc_item:
            if (e) edit_exmod_desc(*e);
            break;
        case install_item:
            install_exmod(list);
            if (!list.empty()) current = static_cast<int>(list.size());
            break;
        case remove_item: remove_current(list, current); break;
        default: done = true; break;
        }
    }
    ask_write_changes(prompt_row, [&] {
        write_exmod_file(list);
        return std::string();
    });
}

}  // namespace cfg
