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
std::string guild_cell(std::int16_t guild) {
    return pad_right(guild == 0 ? "" : pad_left(int_to_str(guild), 6), 9);
}

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
        const bool leader = member && leads(*cur_char);
        switch (k) {
        case 'L': sub_location = 1; return false;
        case '?': show_menu_text(menu.text); break;
        case 'C':
            if (found_if_allowed()) menu.draw();
            break;
        case 'J':
            if (leader) {
                disp_lines({"", master_line, "`9  leadership before you can change guilds."});
                break;
            }
            join_guild();
            hit_any_key();
            menu.draw();
            break;
        case 'N': if (leader) new_password(); break;
        case 'K': if (leader) kick_guild_member(); break;
        case 'T':
            if (!leader) break;
            transfer_guild_leadership();
            hit_any_key();
            menu.draw();
            break;
        case 'D':
            if (!leader) break;
            disband_guild();
            menu.draw();
            break;
        case 'Q':
            if (!member) break;
            if (leader) {
                disp_lines({"", master_line, "`9  leadership before you can quit your guild."});
                break;
            }
            quit_guild();
            hit_any_key();
            menu.draw();
            break;
        case 'E': if (member) enter_hall(menu); break;
        case 'B':
            if (!leader) break;
            build_hall();
            menu.draw();
            break;
        case 'M': if (member) display_guild_members(cur_char->guild); break;
        case 'G': guild_rankings(ranks_show); break;
        case 'R': raid(menu); break;
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
    deldesc(menu.text);
}
