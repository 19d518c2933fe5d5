// The creature editor: a realm's creature file, one creature at a time.
#include "config/creature_editor.hpp"

#include <algorithm>
#include <limits>

#include "config/console.hpp"
#include "config/quorcfg.hpp"
#include "door/keys.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/strings.hpp"

namespace cfg {
namespace {
constexpr int first_item_row = 5;
constexpr int value_column = 22;
constexpr int prompt_row = 23;
constexpr int race_page_size = 12;
constexpr std::int16_t most_points = 32000;

enum creature_item {
    level_item = 1,
    name_item,
    hit_points_item,
    attack_item,
    defense_item,
    shield_item,
    weapon_item,
    armour_item,
    gold_item,
    experience_item,
    race_item,
    verification_item,
    death_item,
    add_item,
    delete_item,
    print_item,
    return_item
};
constexpr int item_count = return_item;

const char* const item_labels[item_count] = {"`3  Level             : `%",
                                             "`3  Name              : `%",
                                             "`3  Hit Points        : `%",
                                             "`3  Attack            : `%",
                                             "`3  Defense           : `%",
                                             "`3  Damage Resistance : `%",
                                             "`3  Weapon Name       : `%",
                                             "`3  Armor Name        : `%",
                                             "`3  Gold              : `%",
                                             "`3  Experience        : `%",
                                             "`3  Race              : `%",
                                             "`3  Verification #    : `%",
                                             "`3  `9\"`7",
                                             "`3  Add a New Creature",
                                             "`4  Delete This Creature",
                                             "`@  Print This Creature File",
                                             "`#  Return to Previous Menu"};

struct realm_choice {
    const char* line;
    const char* stem;
};
const realm_choice realm_choices[] = {
    {"`3  Forest Creatures    `%: `0\"FOREST.DAT\"", "forest"},
    {"`3  Valley Creatures    `%: `0\"VALLEY.DAT\"", "valley"},
    {"`3  Mountain Creatures  `%: `0\"MOUNTAIN.DAT\"", "mountain"},
    {"`3  Caves Creatures     `%: `0\"CAVES.DAT\"", "caves"},
    {"`3  Graveyard Creatures `%: `0\"GRAVES.DAT\"", "graves"},
    {"`3  Other Creature File `%: `0\"??????.DAT\"", nullptr},
    {"`#  Return to Previous Menu", nullptr},
};
constexpr int other_choice = 6;

monster_record new_creature() {
    monster_record m;
    m.level = 1;
    m.name = "New Creature";
    m.attack = 1;
    m.defense = 1;
    m.shield_value = 1;
    m.hit_points = 10;
    m.weapon = "Generic Weapon";
    m.armour = "Generic Armor";
    m.death_text = "Arrgh";
    m.gold = 10;
    m.experience = 10;
    return m;
}

void auto_calculate(monster_record& m) {
    calculate(m, game_stats.heal_cost, game_stats.mob_gold_mult, game_stats.mob_exp_mult);
}

std::string item_value(const monster_record& m, int item) {
    switch (item) {
    case level_item: return int_to_str(m.level);
    case name_item: return m.name.str();
    case hit_points_item: return number_text(m.hit_points);
    case attack_item: return number_text(m.attack);
    case defense_item: return number_text(m.defense);
    case shield_item: return int_to_str(m.shield_value);
    case weapon_item: return m.weapon.str();
    case armour_item: return m.armour.str();
    case gold_item: return number_text(m.gold);
    case experience_item: return number_text(m.experience);
    case race_item: return race_name_by_number(m.race);
    case verification_item: return number_text(m.strength);
    case death_item: return m.death_text.str();
    default: return "";
    }
}

void draw_counts(const std::string& stem, std::string_view banner, int count, int on) {
    clear_console();
    frame_line("`!  Mobile Editor");
    print_line(std::string(banner) + "`0   Editing \"" + literal_codes(upcase_str(stem)) + ".DAT\"");
    print_line("`2                                                        # of Creatures : " + int_to_str(count));
    print_line("`2                                                         On Creature # : " + int_to_str(on));
}

void draw_creature(const std::string& stem, const creature_list& list, const monster_record* m, int on,
                   const cursor_menu& menu) {
    draw_counts(stem, "`4Use the Left and Right Arrow Keys to Change Creatures", static_cast<int>(list.size()), on);
    for (int item = 1; item <= item_count; ++item) {
        goto_xy_console(1, first_item_row + item - 1);
        bool shows_value = item <= death_item && m;
        // Values as they are; the death text between its quotes, cut to the row.
        print_labelled(item_labels[item - 1],
                       shows_value ? item_value(*m, item).substr(0, item == death_item ? 75 : 80) : std::string());
        if (item == death_item) print_text("`9\"");
    }
    draw_menu_arrow(menu);
}

// A text field on the item's row; false when left with Escape.
bool edit_item_text(int item, std::string& text, std::size_t width) {
    bool abort = false;
    std::string initial = text;
    if (item == death_item)
        edit_long_field(text, initial, width, first_item_row + item - 1, 0, abort);
    else
        edit_field(text, initial, value_column, width, first_item_row + item - 1, 0, abort);
    return !abort;
}

// A typed number for the item, or nothing (empty, refused or Escape: the value stays); a
// refused one says why.
std::optional<std::int64_t> edit_item_number(const monster_record& m, int item, std::size_t width, std::int64_t lo,
                                             std::int64_t hi) {
    std::string text = item_value(m, item);
    if (!edit_item_text(item, text, width)) return std::nullopt;
    std::string why;
    std::optional<std::int64_t> n = typed_number(text, false, lo, hi, why);
    if (!why.empty()) foot_message({why});
    return n;
}

// A name field: it starts blank while it holds its placeholder; an empty result keeps the old.
void edit_name(int item, auto& field, std::string_view placeholder, std::size_t width) {
    std::string text = upcase_str(field.view()) == placeholder ? std::string() : field.str();
    if (!edit_item_text(item, text, width)) return;
    text = trim_trailing(trim_leading(text));
    if (!text.empty()) field = text;
}

// Above 0; above 32000 becomes 32000.
void edit_points(monster_record& m, int item, std::int16_t& value) {
    if (auto n = edit_item_number(m, item, 6, 1, 999999))
        value = static_cast<std::int16_t>(std::min<std::int64_t>(*n, most_points));
}

// Any 32-bit number; -1 stores the computed figure instead.
void edit_reward(monster_record& m, int item, std::int32_t& value) {
    auto n = edit_item_number(m, item, 14, std::numeric_limits<std::int32_t>::min(),
                              std::numeric_limits<std::int32_t>::max());
    if (!n) return;
    if (*n != -1) {
        value = static_cast<std::int32_t>(*n);
        return;
    }
    monster_record computed = m;
    auto_calculate(computed);
    value = item == gold_item ? computed.gold : computed.experience;
}

void edit_item(const std::string& stem, creature_list& list, monster_record& m, int item, int on) {
    switch (item) {
    case level_item:
        if (auto n = edit_item_number(m, item, 2, 1, 20)) m.level = static_cast<std::int16_t>(*n);
        break;
    case name_item: edit_name(item, m.name, "NEW CREATURE", 20); break;
    case hit_points_item: edit_points(m, item, m.hit_points); break;
    case attack_item: edit_points(m, item, m.attack); break;
    case defense_item: edit_points(m, item, m.defense); break;
    case shield_item:
        if (auto n = edit_item_number(m, item, 2, 1, 99)) m.shield_value = static_cast<std::int16_t>(*n);
        break;
    case weapon_item: edit_name(item, m.weapon, "GENERIC WEAPON", 20); break;
    case armour_item: edit_name(item, m.armour, "GENERIC ARMOR", 20); break;
    case gold_item: edit_reward(m, item, m.gold); break;
    case experience_item: edit_reward(m, item, m.experience); break;
    case race_item: m.race = pick_creature_race(stem, m.race, static_cast<int>(list.size()), on); break;
    case death_item: {
        std::string text = m.death_text.str();
        if (edit_item_text(item, text, 86)) m.death_text = text;
        break;
    }
    default: break;
    }
}

void print_listing(const creature_list& list, const std::string& stem) {
    creature_list sorted;
    for (const monster_record& m : list) insert_creature_sorted(m, sorted);
    std::string name = stem + ".lst";
    goto_xy_console(1, prompt_row);
    if (atomic_rewrite(name, print_creature_list(sorted)))
        print_line("`9  Listing written to `%\"" + literal_codes(name) + "\"");
    else
        print_line("`9  Could not write `4\"" + literal_codes(name) + "\"");
    hit_any_key();
}

bool is_number_stem(std::string_view stem, std::string_view prefix, std::size_t digits) {
    if (stem.size() != prefix.size() + digits || stem.substr(0, prefix.size()) != prefix) return false;
    return std::all_of(stem.begin() + static_cast<std::ptrdiff_t>(prefix.size()), stem.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// The file being edited and the creature shown (from 1).
struct creature_session {
    const std::string& stem;
    creature_list& list;
    int on = 1;
    bool leave = false;
};
// What Enter does on a row of the editor, to the creature shown (null in an empty file).
using row_handler = void (*)(creature_session& s, monster_record* m, int row);

void add_creature(creature_session& s, monster_record*, int) {
    s.list.push_back(new_creature());
    s.on = static_cast<int>(s.list.size());
}

void delete_creature(creature_session& s, monster_record* m, int) {
    if (!m) return;
    goto_xy_console(1, prompt_row);
    print_text("`9  Are you Sure? ");
    if (yes_no(true) == 'Y') {
        s.list.erase(std::next(s.list.begin(), s.on - 1));
        s.on = std::max(1, std::min(s.on, static_cast<int>(s.list.size())));
    }
}

void print_creatures(creature_session& s, monster_record*, int) { print_listing(s.list, s.stem); }

void leave_creatures(creature_session& s, monster_record*, int) { s.leave = true; }

void edit_field(creature_session& s, monster_record* m, int row) {
    if (m) edit_item(s.stem, s.list, *m, row, s.on);
}

struct row_entry {
    int row;
    row_handler handler;
};

constexpr row_entry row_table[] = {
    {add_item, add_creature},
    {delete_item, delete_creature},
    {print_item, print_creatures},
    {return_item, leave_creatures},
};

// The rows of the creature's fields edit that field.
row_handler row_handler_of(int row) {
    for (const row_entry& e : row_table)
        if (e.row == row) return e.handler;
    return edit_field;
}

// Left and right: the previous or the next creature, wrapping. False (nothing to draw again)
// in an empty file.
bool browse_creatures(creature_session& s, char k) {
    int count = static_cast<int>(s.list.size());
    if (count == 0) return false;
    s.on = k == key_left ? (s.on + count - 2) % count + 1 : s.on % count + 1;
    return true;
}

// One key on the creature shown; true when the screen is to be drawn again.
bool creature_key(creature_session& s, monster_record* m, cursor_menu& menu) {
    bool extended;
    char k = get_key(extended);
    if (extended && (k == key_left || k == key_right)) return browse_creatures(s, k);
    menu_input in = cursor_menu_apply(menu, k, extended);
    if (in.event == menu_event::quit) s.leave = true;
    if (in.event != menu_event::enter) return false;
    row_handler_of(menu.selected)(s, m, menu.selected);
    return true;
}

// The file read whole; a file the game would stop on is reported, and false. The sysop may
// still mend it from a copy.
bool load_creature_file(const std::string& stem, creature_list& list) {
    std::string name = stem + ".dat";
    create_if_missing(name);
    std::string image;
    if (read_whole_file(name, image) == file_status::ok &&
        parse_creature_image(image, list, true, 0) != creature_form::torn)
        return true;
    clear_console();
    print_line("`c`9\"" + literal_codes(upcase_str(name)) + "\" is `4CORRUPTED`9, Please inform SysOp");
    hit_any_key();
    return false;
}
}  // namespace

std::string creature_stem_refusal(std::string_view typed) {
    std::string stem = lowcase_str(typed);
    if (stem.empty()) return "`4A creature file needs a name.";
    if (stem.find('/') != std::string::npos || stem.find("..") != std::string::npos)
        return "`4A creature file stays in the game directory: no \"/\" or \"..\".";
    static const char* const own_files[] = {"players",  "guilds",  "quorstat", "items",    "weapons",
                                            "armors",   "shields", "races",    "mainflag", "quortext",
                                            "quorvath", "events",  "exmods",   "hold"};
    bool own = std::find(std::begin(own_files), std::end(own_files), stem) != std::end(own_files) ||
               (is_number_stem(stem, "news", 1) && stem.back() <= '7');
    for (const char* prefix : {"user", "flag", "invt", "hall"}) own = own || is_number_stem(stem, prefix, 4);
    if (own) return "`4\"" + stem + ".dat\" is one of the game's own files.";
    return "";
}

std::string race_name_by_number(std::int16_t number) {
    for (const race_node& r : race_list)
        if (r.number == number) return r.name.str();
    return "";
}

std::string race_name_by_index(int n) {
    const race_node* r = entry_by_index(race_list, n);
    return r ? r->name.str() : "";
}

std::int16_t pick_creature_race(const std::string& stem, std::int16_t current, int count, int on) {
    int races = static_cast<int>(race_list.size());
    int first = 1;  // the first race of the page
    for (;;) {
        int shown = std::min(race_page_size, races - first + 1);
        draw_counts(stem, "`4                                                     ", count, on);
        cursor_menu menu;
        for (int i = 1; i <= shown; ++i) {
            menu.rows.push_back(first_item_row + i - 1);
            goto_xy_console(1, first_item_row + i - 1);
            print_labelled("  `3", race_name_by_index(first + i - 1));
        }
        const char* const page_lines[] = {"`!  Next Page", "`!  Previous Page", "`#  Return to Previous Menu"};
        for (const char* line : page_lines) {
            menu.rows.push_back(first_item_row + static_cast<int>(menu.rows.size()));
            goto_xy_console(1, menu.rows.back());
            print_text(line);
        }
        draw_menu_arrow(menu);
        for (;;) {
            menu_input in = cursor_menu_key(menu);
            if (in.event == menu_event::quit) return current;
            if (in.event != menu_event::enter) continue;
            if (menu.selected <= shown) return entry_by_index(race_list, first + menu.selected - 1)->number;
            int page_line = menu.selected - shown;
            if (page_line == 3) return current;
            if (page_line == 1 && first + race_page_size <= races) first += race_page_size;
            if (page_line == 2 && first > 1) first -= race_page_size;
            break;
        }
    }
}

void write_creature_file(const creature_list& list, const std::string& stem) {
    std::string name = stem + ".dat";
    file_there(name);  // waits while a node holds it open
    rewrite_or_stop(name, records_image<monster_record>(list));
}

std::string print_creature_list(const creature_list& list) {
    std::string out =
        "\f      Lv.   Name                 HP   Attack  Defense  Shield  Verification\n"
        "      ---------------------------------------------------------------------\n";
    bool first = true;
    std::int16_t level = 0;
    for (const monster_record& m : list) {
        if (first || m.level != level) {
            out += "\n        Level " + int_to_str(m.level) + "\n      --------------------\n";
            level = m.level;
            first = false;
        }
        out += "      " + pad_right(int_to_str(m.level), 6) + pad_right(m.name.view(), 20) + " " +
               pad_right(comma_number(m.hit_points), 5) + pad_right(comma_number(m.attack), 8) +
               pad_right(comma_number(m.defense), 9) + pad_right(comma_number(m.shield_value), 8) +
               comma_number(m.strength) + "\n";
    }
    return out;
}

void edit_creature_file(const std::string& stem) {
    creature_list list;
    if (!load_creature_file(stem, list)) return;
    bool auto_calc = game_stats.auto_calc != 0;
    if (auto_calc)
        for (monster_record& m : list) auto_calculate(m);
    if (list.empty()) {
        print_line("`c`9There are `4NO`9 creatures in this file.");
        hit_any_key();
        list.push_back(new_creature());
    }
    cursor_menu menu;
    for (int item = 1; item <= item_count; ++item) menu.rows.push_back(first_item_row + item - 1);
    creature_session s{stem, list};
    while (!s.leave) {
        monster_record* m = list.empty() ? nullptr : entry_by_index(list, s.on);
        if (m && auto_calc) auto_calculate(*m);
        draw_creature(stem, list, m, m ? s.on : 0, menu);
        for (bool redraw = false; !redraw && !s.leave;) redraw = creature_key(s, m, menu);
    }
    ask_write_changes(prompt_row, [&] {
        write_creature_file(list, stem);
        return std::string();
    });
    del_creature_list(list);
}

void creature_editor_menu() {
    cursor_menu menu;
    for (int i = 0; i < 7; ++i) menu.rows.push_back(3 + i);
    for (;;) {
        clear_console();
        frame_line("`!  Mobile Editor");
        print_line();
        for (const realm_choice& c : realm_choices) print_line(c.line);
        draw_menu_arrow(menu);
        menu_input in;
        while (in.event != menu_event::enter && in.event != menu_event::quit) in = cursor_menu_key(menu);
        if (in.event == menu_event::quit || menu.selected == 7) return;
        std::optional<std::string> stem = menu.selected == other_choice
                                              ? ask_file_stem(12, creature_stem_refusal)
                                              : std::optional<std::string>(realm_choices[menu.selected - 1].stem);
        if (stem) edit_creature_file(*stem);
    }
}

}  // namespace cfg
