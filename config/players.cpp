// The Player Editor: the sysop pages through the players and mends them. Nodes may be playing
// meanwhile, so only what the sysop changed is written, as typed, under the hold, on a fresh
// read; a player in play then is written only when the sysop says so at the write.
#include <algorithm>
#include <functional>
#include <map>

#include "config/console.hpp"
#include "config/options.hpp"
#include "config/quorcfg.hpp"
#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "door/keys.hpp"
#include "engine/rules/maintenance.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/record_fields.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/lookups.hpp"

namespace cfg {
namespace {
constexpr int first_row = 4;
constexpr int write_row = 23;  // below the longest page (rows 4 to 22)

// The players the sysop took up, as read: the bases of the write. Only these are kept beside
// the list, so a game of many thousand players is not held twice.
std::map<const character_record*, character_record> bases;

// ---- Fields of the two menu pages, named as the record's field list names them ----
enum class kind { text, toggle, sex, number, classes, status, skills, reset, page };
struct field {
    const char* label;
    kind k;
    const char* name = nullptr;  // the record's field
    std::int64_t lo = 0, hi = 0;
};
constexpr std::int64_t big16 = 32767;

const std::vector<field> menu_one = {
    {"Name              : ", kind::text, "name"},
    {"BBS Name          : ", kind::text, "real_name"},
    {"Sex               : ", kind::sex, "sex"},
    {"Dead              : ", kind::toggle, "dead"},
    {"Sleeping in Inn   : ", kind::toggle, "sleeping_inn"},
    {"Sleeping in Guild : ", kind::toggle, "sleeping_guild"},
    {"Online            : ", kind::toggle, "online"},
    {"Creature fights   : ", kind::number, "creature_fights_left", 0, big16},
    {"Player fights     : ", kind::number, "player_fights_left", 0, big16},
    {"Last day played   : ", kind::number, "last_day", -1, big16},
    {"Day of death      : ", kind::number, "death_day", 0, big16},
    {"Skill uses a day  : ", kind::number, "skill_uses_per_day", 0, big16},
    {"Skill uses left   : ", kind::number, "skill_uses_left", 0, big16},
    {"Net address       : ", kind::text, "net_address"},
    {"`#  Class Screen", kind::classes},
    {"`#  Status Bits", kind::status},
    {"`#  Skill Percentages", kind::skills},
    {"`9  Reset Daily Stats for This Player", kind::reset},
    {"`#  Go to Menu #2", kind::page},
};
const std::vector<field> menu_two = {
    {"Level             : ", kind::number, "level", 1, 20},
    {"Hit points        : ", kind::number, "hit_points", 0, big16},
    {"Max. hit points   : ", kind::number, "max_hit_points", 1, big16},
    {"Attack            : ", kind::number, "attack", 0, big16},
    {"Defence           : ", kind::number, "defense", 0, big16},
    {"Shield value      : ", kind::number, "shield_value", 1, 87},
    {"Charm             : ", kind::number, "charm", 0, big16},
    {"Shame             : ", kind::number, "shame", 0, big16},
    {"Luck              : ", kind::number, "luck", -30, 30},
    {"Gems              : ", kind::number, "gems", 0, big16},
    {"Gold              : ", kind::number, "gold", 0, max_gold},
    {"Bank gold         : ", kind::number, "bank_gold", 0, max_gold},
    {"Experience        : ", kind::number, "experience", 1, 100'000'000},
    {"`#  Go to Menu #1", kind::page},
};

bool labelled(const field& f) { return f.label[0] != '`'; }

const record_field<character_record>& record_field_of(const field& f) { return *field_named<character_record>(f.name); }

std::string value_of(const character_record& c, const field& f) {
    switch (f.k) {
    case kind::text: return std::string(record_field_of(f).get_text(c));
    case kind::toggle: return record_field_of(f).get_int(c) ? "TRUE" : "FALSE";
    case kind::sex: return c.sex == 1 ? "Male" : c.sex == 2 ? "Female" : c.sex == 3 ? "Neither" : int_to_str(c.sex);
    case kind::number: return number_text(record_field_of(f).get_int(c));
    default: return "";
    }
}

void message(const std::string& text) { foot_message({text}); }

// ---- The list screens (class, status bits, skills) ----
struct list_screen {
    std::vector<std::string> heading;
    std::vector<std::string> labels;
    std::function<std::string(int)> value;
    std::function<void(int)> enter;
    std::function<std::string()> leave_refusal;  // a line that keeps the sysop on the screen
    std::function<void()> on_escape;             // Escape: undo, and leave at once
};

void run_list_screen(const character_record& c, const list_screen& s) {
    cursor_menu menu;
    int top = first_row + static_cast<int>(s.heading.size()) + 1;
    for (std::size_t i = 0; i <= s.labels.size(); ++i) menu.rows.push_back(top + static_cast<int>(i));
    for (;;) {
        clear_console();
        frame_line("`!  Player Editor");
        goto_xy_console(1, 2);
        print_labelled("`9  Player #" + int_to_str(c.number) + " : `%", c.name.view());
        goto_xy_console(1, first_row);
        for (const std::string& h : s.heading) print_line(h);
        for (std::size_t i = 0; i < s.labels.size(); ++i) {
            goto_xy_console(1, top + static_cast<int>(i));
            print_text(s.labels[i] + s.value(static_cast<int>(i)));
        }
        goto_xy_console(1, top + static_cast<int>(s.labels.size()));
        print_text("`#  Return to Previous Menu");
        draw_menu_arrow(menu);
        menu_input in;
        bool extended = false;
        char k = 0;
        while (in.event == menu_event::none || in.event == menu_event::key) {
            k = get_key(extended);
            in = cursor_menu_apply(menu, k, extended);
        }
        if (k == 27 && !extended && s.on_escape) return s.on_escape();
        if (in.event == menu_event::quit || menu.selected == static_cast<int>(menu.rows.size())) {
            std::string why = s.leave_refusal ? s.leave_refusal() : "";
            if (why.empty()) return;
            message(why);
            continue;
        }
        s.enter(menu.selected - 1);
    }
}

const char* const class_names[6] = {"Warrior", "Mage   ", "Thief  ", "Healer ", "Ranger ", "Paladin"};

void class_screen(character_record& c) {
    list_screen s;
    for (const char* n : class_names) s.labels.push_back("`3  " + std::string(n) + " : `%");
    auto current = [&c](int i) { return (c.class_bits & (1 << i)) != 0; };
    auto mastered = [&c](int i) { return (c.class_bits & (64 << i)) != 0; };
    s.value = [&](int i) {
        return std::string(current(i) && mastered(i) ? "Current, Mastered"
                           : current(i)              ? "Current"
                           : mastered(i)             ? "Mastered"
                                                     : "No Ability");
    };
    // No Ability, then current (the only one), then mastered.
    s.enter = [&](int i) {
        auto bits = static_cast<std::uint16_t>(c.class_bits);
        if (current(i)) {
            bits = static_cast<std::uint16_t>((bits & ~(1u << i)) | (64u << i));
        } else if (mastered(i)) {
            bits = static_cast<std::uint16_t>(bits & ~(64u << i));
        } else {
            auto cls = static_cast<std::int16_t>(bits);
            clear_current_classes(cls);
            bits = static_cast<std::uint16_t>(static_cast<std::uint16_t>(cls) | (1u << i));
        }
        c.class_bits = static_cast<std::int16_t>(bits);
    };
    s.leave_refusal = [&c]() -> std::string {
        if ((c.class_bits & (c.class_bits >> 6) & 63) != 0) return "`9  No class can be both mastered and current.";
        if ((c.class_bits & 63) == 0) return "`9   Make sure at least one class is current.";
        return "";
    };
    std::int16_t on_entry = c.class_bits;
    s.on_escape = [&c, on_entry] { c.class_bits = on_entry; };
    run_list_screen(c, s);
}

const char* const status_labels[15] = {
    "`3  Brought Shame to Master       : `%", "`3  Master avoids Character Today : `%",
    "`3  Expert Mode On                : `%", "`3  Louis Thwarted Char Today     : `%",
    "`3  Found Quorvath Today          : `%", "`3  Entered Quorvath Today        : `%",
    "`3  Character has a bow           : `%", "`3  Character hunted by Thug      : `%",
    "`3  Character saw Shady today     : `%", "`3  Character is drunk            : `%",
    "`3  Character met traveller today : `%", "`3  Character performed Secret #1 : `%",
    "`3  Character performed Secret #2 : `%", "`3  Character performed Secret #3 : `%",
    "`3  Character performed Secret #4 : `%",
};

void status_screen(character_record& c) {
    list_screen s;
    s.heading = {"`9  These are the boolean variables that affect this character."};
    s.labels.assign(std::begin(status_labels), std::end(status_labels));
    s.value = [&c](int i) { return std::string(c.status_bits & (1 << i) ? "TRUE" : "FALSE"); };
    s.enter = [&c](int i) { c.status_bits ^= (1 << i); };
    run_list_screen(c, s);
}

const char* const skill_labels[6] = {"  Warrior`3    : `%", "  Mage   `3    : `%", "  Thief  `3    : `%",
                                     "  Healer `3    : `%", "  Ranger `3    : `%", "  Paladin`3    : `%"};

// A number typed into a field at the row; refused values say why and keep the old one.
void edit_number(std::int64_t& value, std::int64_t lo, std::int64_t hi, int column, int row) {
    std::string text = number_text(value), initial = text;
    bool abort = false;
    edit_field(text, initial, column, 14, row, 0, abort);
    if (abort || text == initial) return;
    std::string why;
    if (auto v = typed_number(text, true, lo, hi, why)) value = *v;
    if (!why.empty()) message(why);
}

void skill_screen(character_record& c) {
    list_screen s;
    s.heading = {"`9  These are the skill percentages the character has in each class."};
    s.labels.assign(std::begin(skill_labels), std::end(skill_labels));
    s.value = [&c](int i) { return int_to_str(c.skill_percent[static_cast<std::size_t>(i)]); };
    int top = first_row + 2;
    s.enter = [&c, top](int i) {
        std::int64_t v = c.skill_percent[static_cast<std::size_t>(i)];
        edit_number(v, 1, 99, 18, top + i);
        c.skill_percent[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(v);
    };
    run_list_screen(c, s);
}

void edit_text(character_record& c, const field& f, int row) {
    const record_field<character_record>& rf = record_field_of(f);
    std::string text(rf.get_text(c)), initial = text;
    bool abort = false;
    edit_field(text, initial, 23, rf.size, row, 0, abort);
    if (abort || text == initial) return;
    if (rf.name != "name") {
        rf.set_text(c, controls_to_dots(text));
        return;
    }
    std::string name = upcase_str(std::string(trim_blanks(text)));
    // The player's own name is no clash.
    std::vector<std::string> why;
    if (char_full_name_ptr(name) != &c) why = name_refusal(name);
    if (!why.empty()) return foot_message(why);
    c.name = name;
}

void edit_item(character_record& c, const field& f, int row, bool& page_two) {
    if (f.k == kind::page) {
        page_two = !page_two;
        return;
    }
    edit_player(c);
    switch (f.k) {
    case kind::text: edit_text(c, f, row); break;
    case kind::toggle: record_field_of(f).set_int(c, !record_field_of(f).get_int(c)); break;
    case kind::sex: c.sex = static_cast<std::int16_t>(c.sex >= 1 && c.sex < 3 ? c.sex + 1 : 1); break;
    case kind::number: {
        std::int64_t v = record_field_of(f).get_int(c);
        edit_number(v, f.lo, f.hi, 23, row);
        record_field_of(f).set_int(c, v);
        break;
    }
    case kind::classes: class_screen(c); break;
    case kind::status: status_screen(c); break;
    case kind::skills: skill_screen(c); break;
    case kind::reset: reset_daily_stats(c); break;
    default: break;
    }
}

void draw_page(const std::vector<character_record*>& players, std::size_t at, bool page_two, const cursor_menu& menu) {
    clear_console();
    frame_line("`!  Player Editor");
    goto_xy_console(1, 2);
    const character_record& c = *players[at];
    print_text("`9  Player #`%" + int_to_str(c.number) + "`9 (" + int_to_str(static_cast<std::int64_t>(at + 1)) +
               " of " + int_to_str(static_cast<std::int64_t>(players.size())) + ")   `3Menu #" +
               (page_two ? "2" : "1") + "   `9Left/Right: another player");
    const std::vector<field>& items = page_two ? menu_two : menu_one;
    for (std::size_t i = 0; i < items.size(); ++i) {
        goto_xy_console(1, first_row + static_cast<int>(i));
        const field& f = items[i];
        if (labelled(f))
            print_labelled("  `3" + std::string(f.label) + "`%", value_of(c, f));
        else
            print_text(f.label);
    }
    draw_menu_arrow(menu);
}

std::vector<character_record*> players_in_order() {
    std::vector<character_record*> players;
    for (character_record& c : char_list) players.push_back(&c);
    std::sort(players.begin(), players.end(), [](auto* a, auto* b) { return a->number < b->number; });
    return players;
}

// The question at the write for a player in play now.
bool write_in_play(const character_record& c) {
    clear_console();
    frame_line("`!  Player Editor");
    goto_xy_console(1, 3);
    print_text("`%");
    print_literal(c.name.view());
    print_line("`9 is playing now: the game keeps what it changes meanwhile,");
    print_line("`9  and your changes to the other fields reach it.");
    print_text("`9  The values you typed stand as you typed them. Write them? ");
    return yes_no(false) == 'Y';
}
}  // namespace

void reset_daily_stats(character_record& c) {
    if (c.dead) {
        c.hit_points = c.max_hit_points;
        c.dead = 0;
    }
    c.creature_fights_left = game_stats.creature_fights;
    c.player_fights_left = game_stats.player_fights;
    c.transfers_today = 0;
    c.status_bits &= ~(status_master_avoids | status_thwarted | status_found_quorvath | status_entered_quorvath |
                       status_saw_shady | status_drunk | status_met_traveller);
    c.skill_uses_left = c.skill_uses_per_day;
    c.last_day = clamp_to<std::int16_t>(std::int64_t(game_stats.day) - 1);
    c.death_day = 0;
    pay_interest(c);
}

void begin_player_edit() {
    del_char_list();
    players_loaded = false;
    read_player_list();
    bases.clear();
}

character_record& edit_player(character_record& c) {
    bases.try_emplace(&c, c);
    return c;
}

player_write write_player_changes(const std::function<bool(const character_record&)>& ask) {
    // Only the players the sysop changed, each with its record as read.
    std::vector<std::pair<character_record, character_record>> changes;
    player_write w;
    for (const auto& [c, base] : bases) {
        if (same_fields(*c, base)) continue;
        if (!ask || !character_in_play(c->number) || ask(*c))
            changes.emplace_back(base, *c);
        else
            w.declined.push_back(std::string(c->name.view()));
    }
    bases.clear();
    if (changes.empty()) return w;
    // Asked before the hold is taken: the nodes never wait on the sysop's answers.
    sysop_hold hold;
    if (!hold.taken) {
        w.written = false;
        return w;
    }
    update_under_hold([&] {
        for (const auto& [base, mine] : changes) {
            character_record* fresh = char_num_ptr(base.number);
            if (!fresh || fresh->created_time != base.created_time) {
                w.gone.push_back(std::string(base.name.view()));
                continue;
            }
            merge_typed_fields(*fresh, base, mine);
        }
    });
    return w;
}

std::string player_write_line(const player_write& w) {
    if (!w.written) return "`4  Changes not saved";
    std::string names;
    for (const std::vector<std::string>* list : {&w.declined, &w.gone})
        for (const std::string& name : *list) names += (names.empty() ? "" : ", ") + name;
    if (names.empty()) return "";
    // The names are the players' own text: shown as typed, never acted on.
    std::string said = "`!  Changes saved`4, not for " + literal_codes(names);
    return said.size() > 75 ? "`!  Changes saved`4, not for every player" : said;
}

void player_editor() {
    clear_console();
    begin_player_edit();
    std::vector<character_record*> players = players_in_order();
    if (players.empty()) {
        clear_console();
        frame_line("`!  Player Editor");
        goto_xy_console(1, 3);
        print_line("`9  There are `4NO`9 players in the game.");
        hit_any_key();
        return;
    }
    std::size_t at = 0;
    bool page_two = false;
    cursor_menu menu;
    for (;;) {
        const std::vector<field>& items = page_two ? menu_two : menu_one;
        menu.rows.clear();
        for (std::size_t i = 0; i < items.size(); ++i) menu.rows.push_back(first_row + static_cast<int>(i));
        menu.selected = std::min(menu.selected, static_cast<int>(items.size()));
        draw_page(players, at, page_two, menu);
        bool extended;
        char k = get_key(extended);
        if (extended && (k == key_left || k == key_right)) {
            at = k == key_right ? (at + 1) % players.size() : (at + players.size() - 1) % players.size();
            continue;
        }
        menu_input in = cursor_menu_apply(menu, k, extended);
        if (in.event == menu_event::quit) break;
        if (in.event != menu_event::enter) continue;
        std::size_t item = static_cast<std::size_t>(menu.selected - 1);
        bool was_two = page_two;
        edit_item(*players[at], items[item], first_row + static_cast<int>(item), page_two);
        if (was_two != page_two) menu.selected = 1;
    }
    ask_write_changes(write_row, [] { return player_write_line(write_player_changes(write_in_play)); });
}

}  // namespace cfg
