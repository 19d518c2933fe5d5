// The Player Editor: the sysop pages through the players and mends them. Nodes may be playing
// meanwhile, so only what the sysop changed is written, under the hold, on a fresh read.
#include <algorithm>
#include <functional>
#include <map>

#include "config/console.hpp"
#include "config/options.hpp"
#include "config/quorcfg.hpp"
#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "door/keys.hpp"
#include "engine/data_files.hpp"
#include "engine/lookups.hpp"
#include "engine/maintenance.hpp"
#include "engine/stats.hpp"
#include "engine/strings.hpp"

namespace cfg {
namespace {
constexpr int first_row = 4;
constexpr int message_row = 24;

// The records as read at the editor's start, by player number.
std::map<std::int16_t, character_record> as_read;
// Players marked online whose change the sysop allowed (true) or declined (false).
std::map<std::int16_t, bool> online_answer;

// Where each field of a player record lies (offset, size). Bank gold and the class and status
// bits are merged apart.
constexpr std::pair<std::size_t, std::size_t> char_fields[] = {
    {0, 21},   {21, 41},  {66, 2},   {68, 2},   {70, 2},   {72, 2},   {74, 2},   {76, 2},   {78, 2},
    {80, 2},   {86, 2},   {88, 2},   {90, 2},   {92, 21},  {113, 2},  {115, 21}, {136, 2},  {138, 21},
    {159, 4},  {167, 2},  {169, 2},  {171, 4},  {175, 2},  {177, 2},  {179, 2},  {181, 2},  {183, 2},
    {185, 2},  {187, 2},  {189, 2},  {191, 2},  {193, 21}, {214, 41}, {255, 2},  {257, 2},  {259, 24},
    {287, 2},  {289, 2},  {291, 1},  {292, 1},  {293, 1},  {294, 1},
};

template <class T>
T merge_bits(T fresh, T before, T after) {
    T changed = static_cast<T>(before ^ after);
    return static_cast<T>((fresh & ~changed) | (after & changed));
}

void merge_player(character_record& fresh, const character_record& before, const character_record& after) {
    std::string f = encode_record(fresh), b = encode_record(before), a = encode_record(after);
    for (auto [at, size] : char_fields)
        if (a.compare(at, size, b, at, size) != 0) f.replace(at, size, a, at, size);
    std::int32_t bank = fresh.bank_gold;
    decode_record(f, fresh);
    fresh.bank_gold = bank;
    // A transfer paid in meanwhile stays.
    add_bank_gold(fresh, std::int64_t(after.bank_gold) - before.bank_gold);
    fresh.status_bits = merge_bits(fresh.status_bits, before.status_bits, after.status_bits);
    fresh.class_bits = merge_bits(fresh.class_bits, before.class_bits, after.class_bits);
}

// ---- Fields of the two menu pages ----
enum class kind { text, toggle, sex, number, classes, status, skills, reset, page };
struct field {
    const char* label;
    kind k;
    std::int64_t lo = 0, hi = 0;
    std::int16_t character_record::*i16 = nullptr;
    std::int32_t character_record::*i32 = nullptr;
    std::uint8_t character_record::*u8 = nullptr;
};
using cr = character_record;
constexpr std::int64_t big16 = 32767;

const std::vector<field> menu_one = {
    {"Name              : ", kind::text},
    {"BBS Name          : ", kind::text},
    {"Sex               : ", kind::sex},
    {"Dead              : ", kind::toggle, 0, 0, nullptr, nullptr, &cr::dead},
    {"Sleeping in Inn   : ", kind::toggle, 0, 0, nullptr, nullptr, &cr::sleeping_inn},
    {"Sleeping in Guild : ", kind::toggle, 0, 0, nullptr, nullptr, &cr::sleeping_guild},
    {"Online            : ", kind::toggle, 0, 0, nullptr, nullptr, &cr::online},
    {"Creature fights   : ", kind::number, 0, big16, &cr::creature_fights_left},
    {"Player fights     : ", kind::number, 0, big16, &cr::player_fights_left},
    {"Last day played   : ", kind::number, -1, big16, &cr::last_day},
    {"Day of death      : ", kind::number, 0, big16, &cr::death_day},
    {"Skill uses a day  : ", kind::number, 0, big16, &cr::skill_uses_per_day},
    {"Skill uses left   : ", kind::number, 0, big16, &cr::skill_uses_left},
    {"Net address       : ", kind::text},
    {"`#  Class Screen", kind::classes},
    {"`#  Status Bits", kind::status},
    {"`#  Skill Percentages", kind::skills},
    {"`9  Reset Daily Stats for This Player", kind::reset},
    {"`#  Go to Menu #2", kind::page},
};
const std::vector<field> menu_two = {
    {"Level             : ", kind::number, 1, 20, &cr::level},
    {"Hit points        : ", kind::number, 0, big16, &cr::hit_points},
    {"Max. hit points   : ", kind::number, 1, big16, &cr::max_hit_points},
    {"Attack            : ", kind::number, 0, big16, &cr::attack},
    {"Defence           : ", kind::number, 0, big16, &cr::defense},
    {"Shield value      : ", kind::number, 1, 87, &cr::shield_value},
    {"Charm             : ", kind::number, 0, big16, &cr::charm},
    {"Shame             : ", kind::number, 0, big16, &cr::shame},
    {"Luck              : ", kind::number, -30, 30, &cr::luck},
    {"Gems              : ", kind::number, 0, big16, &cr::gems},
    {"Gold              : ", kind::number, 0, max_gold, nullptr, &cr::gold},
    {"Bank gold         : ", kind::number, 0, max_gold, nullptr, &cr::bank_gold},
    {"Experience        : ", kind::number, 1, 100'000'000, nullptr, &cr::experience},
    {"`#  Go to Menu #1", kind::page},
};

bool labelled(const field& f) { return f.label[0] != '`'; }

std::string text_of(const character_record& c, int index) {
    if (index == 0) return std::string(c.name.view());
    if (index == 1) return std::string(c.real_name.view());
    return std::string(c.net_address.view());
}

std::string value_of(const character_record& c, const field& f, int index) {
    switch (f.k) {
    case kind::text: return text_of(c, index);
    case kind::toggle: return c.*f.u8 ? "TRUE" : "FALSE";
    case kind::sex: return c.sex == 1 ? "Male" : c.sex == 2 ? "Female" : c.sex == 3 ? "Neither" : int_to_str(c.sex);
    case kind::number: return number_text(f.i16 ? c.*f.i16 : c.*f.i32);
    default: return "";
    }
}

void message(const std::string& text) {
    goto_xy_console(1, message_row);
    print_text(text + "`9  [ Hit any key ]");
    bool extended;
    get_key(extended);
}

// The first change to a player in play asks first: their game may write over it.
bool may_change(const character_record& c) {
    if (!c.online) return true;
    auto it = online_answer.find(c.number);
    if (it != online_answer.end()) return it->second;
    goto_xy_console(1, message_row);
    print_text("`%" + std::string(c.name.view()) + "`9 is playing now; the game may undo changes. Go on? ");
    bool yes = yes_no(false) == 'Y';
    online_answer[c.number] = yes;
    return yes;
}

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
        print_text("`9  Player #" + int_to_str(c.number) + " : `%" + std::string(c.name.view()));
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

void edit_text(character_record& c, int index, int row) {
    std::string text = text_of(c, index), initial = text;
    bool abort = false;
    std::size_t max = index == 0 ? 20 : index == 1 ? 40 : 23;
    edit_field(text, initial, 23, max, row, 0, abort);
    if (abort || text == initial) return;
    if (index == 1) {
        c.real_name = controls_to_dots(text);
    } else if (index == 2) {
        c.net_address = controls_to_dots(text);
    } else {
        std::string name = upcase_str(std::string(trim_blanks(text)));
        // The player's own name is no clash.
        std::vector<std::string> why;
        if (char_full_name_ptr(name) != &c) why = name_refusal(name);
        if (!why.empty()) return message(why.front() + (why.size() > 1 ? " " + why[1] : ""));
        c.name = name;
    }
}

void edit_item(character_record& c, const field& f, int index, int row, bool& page_two) {
    if (f.k == kind::page) {
        page_two = !page_two;
        return;
    }
    if (!may_change(c)) return;
    switch (f.k) {
    case kind::text: edit_text(c, index, row); break;
    case kind::toggle: c.*f.u8 = !(c.*f.u8); break;
    case kind::sex: c.sex = static_cast<std::int16_t>(c.sex >= 1 && c.sex < 3 ? c.sex + 1 : 1); break;
    case kind::number: {
        std::int64_t v = f.i16 ? c.*f.i16 : c.*f.i32;
        edit_number(v, f.lo, f.hi, 23, row);
        if (f.i16)
            c.*f.i16 = static_cast<std::int16_t>(v);
        else
            c.*f.i32 = static_cast<std::int32_t>(v);
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
    print_text("`9  Player #`%" + int_to_str(c.number) + "`9 (" + int_to_str(static_cast<std::int64_t>(at + 1)) + " of " +
               int_to_str(static_cast<std::int64_t>(players.size())) + ")   `3Menu #" + (page_two ? "2" : "1") +
               "   `9Left/Right: another player");
    const std::vector<field>& items = page_two ? menu_two : menu_one;
    for (std::size_t i = 0; i < items.size(); ++i) {
        goto_xy_console(1, first_row + static_cast<int>(i));
        const field& f = items[i];
        print_text(labelled(f) ? "  `3" + std::string(f.label) + "`%" + value_of(c, f, static_cast<int>(i)) : f.label);
    }
    draw_menu_arrow(menu);
}

std::vector<character_record*> players_in_order() {
    std::vector<character_record*> players;
    for (character_record& c : char_list) players.push_back(&c);
    std::sort(players.begin(), players.end(), [](auto* a, auto* b) { return a->number < b->number; });
    return players;
}

bool anything_changed() {
    for (const character_record& c : char_list) {
        auto it = as_read.find(c.number);
        if (it == as_read.end() || encode_record(it->second) != encode_record(c)) return true;
    }
    return false;
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
    as_read.clear();
    online_answer.clear();
    for (const character_record& c : char_list) as_read[c.number] = c;
}

std::vector<std::string> write_player_changes() {
    std::vector<character_record> edited(char_list.begin(), char_list.end());
    std::vector<std::string> gone;
    update_under_hold([&] {
        for (const character_record& after : edited) {
            auto it = as_read.find(after.number);
            if (it == as_read.end() || encode_record(it->second) == encode_record(after)) continue;
            character_record* fresh = player_by_number(after.number);
            if (!fresh || fresh->created_time != it->second.created_time) {
                gone.push_back(std::string(it->second.name.view()));
                continue;
            }
            merge_player(*fresh, it->second, after);
        }
    });
    as_read.clear();
    for (const character_record& c : char_list) as_read[c.number] = c;
    return gone;
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
        edit_item(*players[at], items[item], static_cast<int>(item), first_row + static_cast<int>(item), page_two);
        if (was_two != page_two) menu.selected = 1;
    }
    goto_xy_console(1, message_row);
    print_text("`9Write Changes? ");
    if (yes_no(true) != 'Y' || !anything_changed()) return;
    std::vector<std::string> gone = write_player_changes();
    for (const std::string& name : gone) {
        clear_console();
        message("`%" + name + "`9 left the game meanwhile: not written.");
    }
}

}  // namespace cfg
