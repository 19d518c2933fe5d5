// The guild area of the town square: its menu, the member list and the top of the hall menus,
// and the questions and names the guilds' rules and the halls share.
#include "multi/guilds.hpp"

#include <algorithm>

#include "door/door.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "game/hooks.hpp"
#include "game/menu.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* master_line = "`9  You are the `4MASTER`9 of your current guild, you must transfer the";
constexpr std::int16_t founding_level = 6;
constexpr std::int16_t hall_level = 8;

// The playing character's guild, when its number names one.
guild_record* own_guild() { return cur_char && cur_char->guild ? guild_num_ptr(cur_char->guild) : nullptr; }
bool leads(const character_record& c) { return is_guild_leader(c); }

// The member list's cell of the guild number: right-justified in 6 within 9 (blank for 0).
std::string guild_cell(std::int16_t guild) { return pad_right(guild == 0 ? "" : pad_left(int_to_str(guild), 6), 9); }

std::string member_line(const character_record& c, bool on_line) {
    std::string line = " ";
    for (char letter : {'W', 'M', 'T', 'H', 'P', 'R'}) {
        const char* code = class_bit_set(c, letter) ? "`%" : master_bit_set(c, letter) ? "`1" : "`8";
        line += code + std::string(1, letter) + "   ";
    }
    line += "`9" + pad_right(proper_case(c.name.view()), 24);
    line += "`! " + pad_left(int_to_str(c.level), 3);
    line += " `3" + pad_left(comma_number(c.experience), 14);
    line += pad_left(c.dead ? "`4Dead " : "`0Alive", 12);
    line += "`%" + guild_cell(c.guild);
    if (on_line) line += "`@`bOn!";
    return line;
}

struct guild_menu {
    text_list text;
    std::string keys;

    // The menu of the player's standing in its guild, read afresh.
    void build() {
        text.clear();
        keys.clear();
        read_text_section(text_file_name, "guild", text, keys);
        const guild_record* g = own_guild();
        if (g) read_text_section(text_file_name, "guild_1", text, keys);
        if (g && g->has_hall) read_text_section(text_file_name, "guild_2", text, keys);
        if (g && g->leader == cur_char->number) read_text_section(text_file_name, "guild_3", text, keys);
        read_text_section(text_file_name, "guild_4", text, keys);
    }
    void draw() {
        build();
        show_menu_text(text);
    }
};

// True when the founding ran (the menu is then drawn again).
bool found_if_allowed() {
    // Another node may have founded or disbanded a guild since the area was entered.
    load_guild_file();
    if (cur_char->level < founding_level) {
        disp_lines({"", "`9  Sorry, you must be at least level `4SIX`9 to create a guild."});
    } else if (guild_count >= game_stats.max_guilds) {
        disp_lines({"", "`9  Sorry, the `4MAXIMUM`9 number of guilds has been reached."});
    } else if (own_guild()) {
        disp_line("`9  You already belong to a guild (you must join a different one instead)");
    } else {
        create_guild();
        hit_any_key();
        return true;
    }
    return false;
}

void new_password() {
    std::string password = enter_guild_password();
    bool stored = false;
    if (!password.empty()) {
        update_guilds_under_hold([&] {
            guild_record* g = own_guild();
            if (g && g->leader == cur_char->number) {
                g->password = password;
                stored = true;
            }
        });
    }
    disp_line(stored ? "`9  Password `4CHANGED`9." : "`9  Password `4UNCHANGED`9.");
}

void enter_hall(guild_menu& menu) {
    if (!own_guild()->has_hall) {
        disp_lines({"", "`9  Your Guild doesn't have a `4HALL`9."});
        hit_any_key();
        return;
    }
    game_hooks.guild_hall();
    if (sub_location != 2) return;
    cur_char->location = "tGuild Area";
    write_char_file(true);
    menu.draw();
}

void build_hall() {
    disp_line("");
    if (cur_char->level < hall_level)
        disp_line("`9  You must be level `48`9 to build a guild hall.");
    else if (own_guild()->has_hall)
        disp_line("`9  You already have a guild hall.");
    else
        game_hooks.build_guild_hall();
    hit_any_key();
}

void raid(guild_menu& menu) {
    game_hooks.raid_guild_hall();
    if (sub_location != 2) return;
    menu.build();
    show_menu_text(menu.text);
    cur_char->location = "tGuild Area";
    write_char_file(true);
}
// A key of the area's menu, with who the player is in the guilds on the fresh reads of this
// key; false ends the menu.
struct area_turn {
    guild_menu& menu;
    bool member;
    bool leader;
};
using area_key_handler = bool (*)(const area_turn& t);

bool area_leave(const area_turn&) {
    sub_location = 1;
    return false;
}

bool area_help(const area_turn& t) {
    show_menu_text(t.menu.text);
    return true;
}

bool area_create(const area_turn& t) {
    if (found_if_allowed()) t.menu.draw();
    return true;
}

// A change of the guild, then the menu of the new standing (after a key when pause is set).
bool change_and_redraw(const area_turn& t, void (*change)(), bool pause) {
    change();
    if (pause) hit_any_key();
    t.menu.draw();
    return true;
}

// The master leaves a guild only after handing its leadership on.
bool master_stays(std::string_view what) {
    disp_lines({"", master_line, "`9  leadership before you can " + std::string(what) + "."});
    return true;
}

bool area_join(const area_turn& t) {
    if (t.leader) return master_stays("change guilds");
    return change_and_redraw(t, join_guild, true);
}

bool area_new_password(const area_turn& t) {
    if (t.leader) new_password();
    return true;
}

bool area_kick(const area_turn& t) {
    if (t.leader) kick_guild_member();
    return true;
}

bool area_transfer(const area_turn& t) {
    if (!t.leader) return true;
    return change_and_redraw(t, transfer_guild_leadership, true);
}

bool area_disband(const area_turn& t) {
    if (!t.leader) return true;
    return change_and_redraw(t, disband_guild, false);
}

bool area_quit(const area_turn& t) {
    if (!t.member) return true;
    if (t.leader) return master_stays("quit your guild");
    return change_and_redraw(t, quit_guild, true);
}

bool area_enter_hall(const area_turn& t) {
    if (t.member) enter_hall(t.menu);
    return true;
}

bool area_build_hall(const area_turn& t) {
    if (!t.leader) return true;
    return change_and_redraw(t, build_hall, false);
}

bool area_members(const area_turn& t) {
    if (t.member) display_guild_members(cur_char->guild);
    return true;
}

bool area_rankings(const area_turn&) {
    guild_rankings(ranks_show);
    return true;
}

bool area_raid(const area_turn& t) {
    raid(t.menu);
    return true;
}

constexpr menu_key<area_key_handler> area_key_table[] = {
    {'L', area_leave},      {'?', area_help},     {'C', area_create},   {'J', area_join}, {'N', area_new_password},
    {'K', area_kick},       {'T', area_transfer}, {'D', area_disband},  {'Q', area_quit}, {'E', area_enter_hall},
    {'B', area_build_hall}, {'M', area_members},  {'G', area_rankings}, {'R', area_raid},
};
}  // namespace

bool ask_yes(std::string_view prompt, bool enter_is_yes, std::string_view mark) {
    disp_text(prompt);
    char k = read_key();
    bool yes = k == 'Y' || k == 'y' || ((k == '\r' || k == '\n') && enter_is_yes);
    write_line(std::string(yes ? "Yes" : "No") + std::string(mark));
    return yes;
}

std::string typed_text(std::string_view line) {
    std::string s = controls_to_dots(line);
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '^' || c == '&'; }), s.end());
    return s;
}

std::string hall_file_name(std::int16_t guild) { return "hall" + zero_pad(guild, 4) + ".dat"; }

std::string hall_board_name(std::int16_t guild) { return "hall" + zero_pad(guild, 4) + ".msg"; }

void display_guild_members(std::int16_t guild) {
    refresh_char_file();
    rank_players();
    const guild_record* g = guild_num_ptr(guild);
    disp_lines({"`c                       `%Members of `4" + (g ? g->name.str() : std::string()), "",
                " `9Class    Name                    Level    Experience    Status  Guild", long_rule});
    const on_line_now on_line;
    for (const character_record& c : char_list)
        if (c.guild == guild) disp_line(member_line(c, on_line(c)));
}

void read_guild_menu(std::int16_t guild, text_list& list) {
    debug_log("entering read_guild_menu");
    list.clear();
    const guild_record* g = guild_num_ptr(guild);
    add_desc_line("", list);
    add_desc_line("`c`%                         Guild Hall of " + (g ? g->name.str() : std::string()) + " :", list);
    add_desc_line(long_rule, list);
    text_reader file;
    if (!file.open(hall_file_name(guild))) {
        debug_log("Guild file missing for Guild # " + int_to_str(guild));
        return;
    }
    for (std::string line; file.read_line(line);) add_desc_line(line, list);
}

void guild_area() {
    if (!cur_char) return;
    load_guild_file();
    cur_char->location = "tGuild Area";
    write_char_file(true);
    sub_location = 2;
    guild_menu menu;
    menu.draw();

    menu_loop m;
    m.title = "`9   Guild Menu`%:";
    m.level = 2;
    m.common_keys = "V";
    m.default_key = [] { return 'L'; };
    m.each_turn = [&] { m.keys = menu.keys; };
    // Who the player is in the guilds is decided on fresh reads: a kick or a disband on
    // another node counts at once.
    m.before_key = [] {
        refresh_char_file();
        load_guild_file();
        return true;
    };
    m.on_key = [&](char k) {
        // Who may do what is decided here, whatever keys the sysop's sections offer.
        const bool member = own_guild() != nullptr;
        const area_turn turn{menu, member, member && leads(*cur_char)};
        area_key_handler handler = key_handler(area_key_table, k);
        return handler ? handler(turn) : true;
    };
    run_menu_loop(m);
    deldesc(menu.text);
}
