#include "engine/script/script_commands.hpp"

#include <algorithm>
#include <limits>

#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/script.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/item_hooks.hpp"
#include "engine/text/lookups.hpp"

namespace {
// ---- Message boards ----
void no_board(const std::string& board_file, std::string_view title, int) {
    debug_log("No message boards for " + board_file + " " + std::string(title));
}
hook_slot<message_board_fn> board_menu{no_board, "message_board"};

// ---- The game-bound commands ----

// One command line as the interpreter hands it over.
struct command {
    std::string_view keyword;
    std::string_view rest;
    const std::string& file;
    std::string_view section;
    std::string_view script_name;
    int line_number;
    script_vars& vars;

    int words() const { return word_count(rest); }
    std::string word(int n) const { return n <= words() ? word_at(rest, n) : std::string(); }
    bool fail() const {
        script_error(file, keyword, rest, section, line_number);
        return true;
    }
};

// The flag file and section of a scope word; nothing for a letter that names no file (and
// for C before a character plays).
struct flag_place {
    std::string file;
    std::string section;
};
std::optional<flag_place> scope_of(std::string_view scope_word, std::string_view script_name) {
    char letter = scope_word.empty() ? 'C' : upcase_first(scope_word.substr(0, 1))[0];
    switch (letter) {
    case 'C':
        if (!cur_char) return std::nullopt;
        return flag_place{flag_file_name(cur_char->number), flags_section_name};
    case 'M': return flag_place{main_flag_file_name, flags_section_name};
    case 'S': return flag_place{main_flag_file_name, upcase_str(script_name)};
    default: return std::nullopt;
    }
}

std::string expanded(std::string text, const script_vars& vars) {
    expand_macros(text);
    expand_vars(text, vars);
    return text;
}

bool cmd_message_board(const command& c) {
    if (c.words() < 2) return c.fail();
    std::string title(c.rest);
    if (!unquote(title)) return c.fail();
    hook_message_board(script_board_file(c.script_name, str_to_int(c.word(1))), title, 0);
    return false;
}

bool cmd_add_flag(const command& c) {
    if (c.words() != 3 && c.words() != 4) return c.fail();
    std::string name = c.word(1), value = c.word(2);
    if (name.find("@#") != std::string::npos || value.find("@#") != std::string::npos) return c.fail();
    if (auto place = scope_of(c.word(4), c.script_name))
        add_flag(expanded(name, c.vars), expanded(value, c.vars), str_to_int(c.word(3)), place->file, place->section);
    return false;
}

bool cmd_remove_flag(const command& c) {
    if (c.words() != 1 && c.words() != 2) return c.fail();
    if (auto place = scope_of(c.word(2), c.script_name)) remove_flag(c.word(1), place->file, place->section);
    return false;
}

bool cmd_flag_value(const command& c) {
    if (c.words() != 2 && c.words() != 3) return c.fail();
    // A scope that reaches no file reads as an absent flag.
    std::string value = "-1";
    if (auto place = scope_of(c.word(3), c.script_name)) value = return_flag(c.word(2), place->file, place->section);
    set_macro_value(c.word(1), value, c.vars);
    return false;
}

// WRITELN and WRITE: the quoted text, or the whole rest (and an error) without one.
bool cmd_write(const command& c, bool line_end) {
    std::string text(c.rest);
    bool error = !unquote(text) && c.fail();
    expand_vars(text, c.vars);
    if (line_end)
        disp_line(text);
    else
        disp_text(text);
    return error;
}

// ---- ADD ----

using adder = void (*)(character_record&, std::int64_t);

// The stat adder of field nn (rows that change a number of the record itself); null for the
// fields ADD leaves alone and for the item powers.
adder stat_adder(int nn) {
    switch (nn) {
    case 3: return add_attack_value;
    case 4: return add_defense_value;
    case 5: return add_shield_value;
    case 6: return add_crm;
    case 7: return add_shm;
    case 8: return adjust_capped_stat;
    case 10: return add_hit_points;
    case 11: return add_max_hit_points;
    case 18: return add_gold;
    case 19: return add_bank_gold;
    case 20: return add_gems;
    case 21: return add_experience;
    case 23: return add_skill_points;
    case 24: return add_max_skill_points;
    case 26: return add_creature_fights;
    case 27: return add_player_fights;
    default: return nullptr;
    }
}

std::int32_t to_i32(std::int64_t v) { return clamp_to<std::int32_t>(v); }

// The item slot and kind of a power field: 12/29 weapon, 14/30 armour, 16/31 shield; the
// second number of each pair is the maximum power.
equip_slot power_slot(int nn) {
    if (nn == 12 || nn == 29) return equip_slot::weapon;
    if (nn == 14 || nn == 30) return equip_slot::armour;
    return equip_slot::shield;
}
bool is_power_field(int nn) { return nn == 12 || nn == 14 || nn == 16 || (nn >= 29 && nn <= 31); }

void add_to_opponent(int nn, std::int64_t amount) {
    // The opponent is never the one who runs the script.
    if (!opponent || opponent == cur_char) return;
    if (is_power_field(nn)) {
        add_item_power(*opponent, power_slot(nn), nn >= 29, to_i32(amount));
        return;
    }
    adder add = stat_adder(nn);
    if (!add && nn != 22) return;
    if (hook_is_mob(*opponent)) {
        if (add) add(*opponent, amount);
        return;
    }
    // A player: changed in "players.dat" under the hold, found again by number after the
    // re-read (its hit points are only clamped there: add_hit_points kills no one but the
    // playing character). The opponent stays the fight's own record and takes the same
    // change, so the fight goes on with it. The level stays, but the file is still re-read
    // and written.
    character_record* fight_record = opponent;
    std::int16_t number = fight_record->number;
    update_under_hold([&] {
        character_record* again = char_num_ptr(number);
        if (!again || again == cur_char || !add) return;
        add(*again, amount);
        if (fight_record != again) add(*fight_record, amount);
    });
}
}  // namespace

void set_message_board_hook(message_board_fn f) { board_menu.set(f); }
void hook_message_board(const std::string& board_file, std::string_view title, int mode) {
    board_menu(board_file, title, mode);
}

std::string script_board_file(std::string_view script_name, std::int32_t number) {
    std::size_t dot = script_name.find('.');
    std::string base = dot == std::string_view::npos ? std::string() : std::string(script_name.substr(0, dot + 1));
    return base + "B" + zero_pad(number, 2);
}

bool exec_flag_command(std::string_view keyword, std::string_view rest, const std::string& file,
                       std::string_view section, std::string_view script_name, int line_number, script_vars& vars) {
    command c{keyword, rest, file, section, script_name, line_number, vars};
    std::string k = upcase_str(keyword);
    if (k == "MESSAGEBOARD") return cmd_message_board(c);
    if (k == "ADDFLAG") return cmd_add_flag(c);
    if (k == "REMOVEFLAG") return cmd_remove_flag(c);
    if (k == "FLAGVALUE") return cmd_flag_value(c);
    if (k == "MENUFILE") vars.set(24, upcase_str(rest));
    if (k == "ITEMFILE") vars.set(25, upcase_str(rest));
    if (k == "WRITELN") return cmd_write(c, true);
    if (k == "WRITE") return cmd_write(c, false);
    if (k == "DISPLAYSTATS") display_stats();
    if (k == "DISPLAYRANKS") display_ranks(ranks_show);
    if (k == "FINDPLAYERS") list_players_online();
    return false;
}

void adjust_script_value(std::string_view target, std::string_view amount_text, script_vars& vars) {
    if (target.size() < 5) return;
    std::string_view kind = target.substr(0, 3);
    int nn = str_to_int(target.substr(3, 2));
    std::int64_t amount = to_i32(parse_whole(amount_text).value_or(0));
    if (kind == "^VR") {
        if (nn < 1 || nn > script_vars::count) return;
        std::int64_t value = to_i32(parse_whole(vars.get(nn)).value_or(0));
        vars.set(nn, int_to_str(to_i32(value + amount)));
    } else if (kind == "^CS") {
        if (nn < 1 || nn > 31 || !cur_char) return;
        if (adder add = stat_adder(nn))
            add(*cur_char, amount);
        else if (is_power_field(nn))
            add_item_power(*cur_char, power_slot(nn), nn >= 29, to_i32(amount));
    } else if (kind == "^OS") {
        if (nn < 1 || nn > 31) return;
        add_to_opponent(nn, amount);
    }
}

// ---- Definition sections ----

namespace {
// Opens a script file for its definitions and moves past the header of its first section
// of that name; false when there is none. A missing file ends the game (code 12).
bool find_definitions(const std::string& file, std::string_view header, text_reader& reader) {
    if (!reader.open(file)) {
        disp_line("`9  Error : File " + file + " missing.");
        end_prog(exit_critical_missing);
    }
    std::string line;
    while (reader.read_line(line))
        if (line.substr(0, 2) == "@#" && upcase_str(std::string_view(line).substr(2)) == header) return true;
    return false;
}

// One definition line for n, expanded, with its key; the lines of other numbers are passed.
struct definition_line {
    std::string text;
    std::string key;
    int words = 0;
    std::string word(int k) const { return k <= words ? word_at(text, k) : std::string(); }
    // The quoted text of the line; false (and the text untouched) without one.
    bool quoted(std::string& out) const {
        out = text;
        return unquote(out);
    }
};

// Calls on_line for each line of the section that belongs to definition n.
template <typename F>
void for_each_definition_line(text_reader& file, std::int32_t n, const script_vars& vars, F on_line) {
    std::string line;
    while (file.read_line(line)) {
        if (line.substr(0, 2) == "@#" || line.substr(0, 1) == "~") break;
        if (word_count(line) < 2 || str_to_int(word_at(line, 2)) != n) continue;
        definition_line d;
        d.text = expanded(line, vars);
        d.words = word_count(d.text);
        d.key = upcase_str(d.word(1));
        on_line(d);
    }
}

void definition_error(std::string_view what, std::string_view key, std::int32_t n, std::string_view section) {
    script_error(what, key, int_to_str(n), section, 0);
    hit_any_key();
}

template <typename T>
T number_word(const definition_line& d, int k) {
    return number_or_zero<T>(d.word(k));
}
}  // namespace

bool parse_monster_section(text_reader& file, std::int32_t n, monster_record& m, script_vars& vars) {
    bool found = false;
    for_each_definition_line(file, n, vars, [&](const definition_line& d) {
        found = true;
        std::string text;
        bool ok = true;
        if (d.key == "STATS") {
            ok = d.words == 9;
            if (ok) {
                m.attack = number_word<std::int16_t>(d, 3);
                m.defense = number_word<std::int16_t>(d, 4);
                m.shield_value = number_word<std::int16_t>(d, 5);
                m.experience = number_word<std::int32_t>(d, 6);
                m.gold = number_word<std::int32_t>(d, 7);
                m.hit_points = number_word<std::int16_t>(d, 8);
                m.level = number_word<std::int16_t>(d, 9);
            }
        } else if (d.key == "NAME" || d.key == "WNAME" || d.key == "ANAME" || d.key == "DEATH") {
            ok = d.quoted(text);
            if (ok && d.key == "NAME") m.name = text;
            if (ok && d.key == "WNAME") m.weapon = text;
            if (ok && d.key == "ANAME") m.armour = text;
            if (ok && d.key == "DEATH") m.death_text = text;
        }
        if (!ok) definition_error("INT_MONSTER", d.key, n, "MONSTER");
    });
    return found;
}

bool parse_item_section(text_reader& file, std::int32_t n, item_record& item, script_vars& vars) {
    bool found = false;
    int counted = 0;
    std::int32_t events = 0;
    for_each_definition_line(file, n, vars, [&](const definition_line& d) {
        found = true;
        std::string text;
        bool ok = true;
        if (d.key == "NAME" || d.key == "SCRID") {
            ok = d.quoted(text);
            if (ok && d.key == "NAME") item.name = text;
            if (ok && d.key == "SCRID") item.script_id = text;
            counted += ok;
        } else if (d.key == "STAT1") {
            ok = d.words == 7;
            if (ok) {
                item.power = number_word<std::int16_t>(d, 3);
                item.max_power = number_word<std::int16_t>(d, 4);
                item.cost = number_word<std::int32_t>(d, 5);
                item.charges = number_word<std::int16_t>(d, 6);
                item.position = number_word<std::int16_t>(d, 7);
                ++counted;
            }
        } else if (d.key == "STAT2") {
            ok = d.words == 5;
            if (ok) {
                item.required_level = number_word<std::int16_t>(d, 3);
                item.flags = number_word<std::int32_t>(d, 4);
                item.identified = str_to_int(d.word(5)) == 1 ? 1 : 0;
                ++counted;
            }
        } else if (d.key == "SCUSE") {
            ok = d.words == 13;
            for (int k = 1; ok && k <= 11; ++k)
                if (str_to_int(d.word(k + 2)) == 1) events |= std::int32_t(1) << (k - 1);
        }
        if (!ok) definition_error("INT_ITEM", d.key, n, "ITEMS");
    });
    if (!found || counted != 4) return false;
    item.script_events = events;
    return true;
}

std::shared_ptr<monster_record> read_internal_monster(const std::string& file, std::int32_t n, script_vars& vars) {
    text_reader reader;
    if (!find_definitions(file, "MONSTER", reader)) return nullptr;
    auto m = std::make_shared<monster_record>();
    if (!parse_monster_section(reader, n, *m, vars)) return nullptr;
    return m;
}

std::optional<item_record> read_internal_item(const std::string& file, std::int32_t n, script_vars& vars) {
    debug_enter("Entering read_internal_item");
    std::optional<item_record> result;
    text_reader reader;
    if (find_definitions(file, "ITEMS", reader)) {
        item_record item;
        if (parse_item_section(reader, n, item, vars)) result = item;
    }
    debug_leave("leaving read_internal_item");
    return result;
}
