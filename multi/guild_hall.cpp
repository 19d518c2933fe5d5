// The guild hall's menu: the purchase, the hall and its sleeping quarters, the description,
// and the sub-menus' frame that the treasury and the guardian use.
#include "multi/guild_hall.hpp"

#include <algorithm>
#include <functional>

#include "door/door.hpp"
#include "door/halt.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/record_fields.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "multi/boards.hpp"
#include "multi/guild_hall_shared.hpp"
#include "multi/guilds.hpp"

namespace {
constexpr const char* hall_location = "hGuild Hall";
constexpr const char* square_location = "tTown Square";
// Hall menus re-read "guilds.dat" every turn; this many polls of 10 ms make about a second.
constexpr std::int32_t polls_a_second = 100;

// The player fled a raider: out to the town square at once, saved before the menus unwind,
// so that the raider's next pass does not find the player in the hall.
void flee_hall() {
    me().location = square_location;
    write_char_file(true);
    sub_location = 1;
}

void on_member_result(const std::string& result) {
    if (result == "FLEEGUILD") flee_hall();
}

// ---- The purchase ----

void show_purchase_screen() {
    disp_lines({"`c                           `%Building a Guild Hall:", hall_long_rule,
                "`9  To build a guild hall requires the following resources : ",
                "`4  " + pad_left(comma_number(hall_price_gold), 8) + " `%Gold Coins.",
                "`4  " + pad_left(int_to_str(hall_price_gems), 8) + " `%Gems.", "",
                "`9  A Guildhall will do the following for you.", "`!  Provide a free place to sleep for the night.",
                "`!  Allow you to write messages that only people in your guild hall can read.",
                "`!  Transfer Unlimited amounts of gold and gems.",
                "`!  A Guild Guardian that must be defeated before anyone can raid the hall.",
                "`!  Guardian is upgradable by master making it progressively more difficult", "`!    to defeat.", ""});
}

// The guardian's name typed and confirmed; empty when the leader gave none.
std::string ask_guardian_name() {
    for (;;) {
        disp_lines({"", "`9  Enter the name of your guild guardian `%:"});
        disp_text("`9  >`3");
        std::string name = typed_text(read_line()).substr(0, 20);
        if (name.empty()) return name;
        disp_lines({"", "  `3" + name});
        if (ask_yes(confirm_prompt, true)) return name;
    }
}

void set_new_guardian(guild_record& g, const std::string& name) {
    g.has_hall = 1;
    g.treasury_gold = 0;
    g.treasury_gems = 0;
    g.guard_level = 8;
    g.guard_name = name;
    g.guard_attack = 320;
    g.guard_defense = 240;
    g.guard_shield = 38;
    g.guard_hit_points = 480;
    g.guard_weapon = "Guardsman's Sword";
    g.guard_armour = "Guardsman's Armor";
}

void write_generic_description(std::int16_t guild) {
    text_list desc;
    for (const char* line :
         {"`9  This is a generic description for a guild hall.", "`9  it can be changed by the guild master.",
          "`!  Remember, you can sleep in the guild hall and be protected", "`!  by the guardian."})
        add_desc_line(line, desc);
    writedesc(writedesc_plain, hall_file_name(guild), desc);
}

// ---- The hall's menu ----

struct hall_menu {
    text_list text;
    std::string keys;
    void build(std::int16_t guild, bool leader) {
        keys.clear();
        read_guild_menu(guild, text);
        read_text_section(text_file_name, "ghall", text, keys);
        if (leader) read_text_section(text_file_name, "ghall_1", text, keys);
        read_text_section(text_file_name, "ghall_2", text, keys);
    }
};

// Every raider on line is asked whether it holds this hall, and each answer awaited: true
// when all answered; false when the player fled a raider's fight or bailed out with X.
bool raiders_answered() {
    std::vector<std::int16_t> raiders;
    for (const character_record& c : char_list)
        if (&c != cur_char && raiding(c) && character_on_line(c)) {
            raiders.push_back(c.number);
            hook_send_node_message(c, {node_verb::gnumquery, int_to_str(me().number)});
        }
    if (raiders.empty()) return true;
    disp_line("`9  Waiting for response from other node.  Hit `4X`9 to bail.");
    std::size_t answers = 0, waiting_for = raiders.size();
    std::int32_t polls = 0, since_read = 0;
    while (answers < waiting_for) {
        if (key_waiting()) {
            if (upcase_key(read_key()) == 'X') return false;
            continue;
        }
        if (carrier_lost || !carrier_present) read_key();  // the door kit ends the session
        if (++since_read >= polls_a_second) {
            // A raider whose game ended without a word never answers.
            since_read = 0;
            refresh_char_file();
            waiting_for = std::count_if(raiders.begin(), raiders.end(), [](std::int16_t n) {
                const character_record* c = char_num_ptr(n);
                return c && raiding(*c) && character_on_line(*c);
            });
        }
        if (++polls < std::max<std::int32_t>(1, check_frequency)) continue;
        polls = 0;
        if (!hook_node_msg_waiting()) {
            hook_check_for_random_event();
            continue;
        }
        std::string result = hook_check_node_messages(0);
        if (result == "FLEEGUILD") return false;
        if (result == "HOLDGUILD" || result == "HALLCLEAR") ++answers;
    }
    return true;
}
// The hall's menu read afresh for the player's standing, and shown.
void redraw_hall(hall_menu& menu, menu_loop& m, std::int16_t guild) {
    const guild_record* now = fresh_hall(guild);
    menu.build(guild, now && leads(*now));
    m.keys = menu.keys;
    show_menu_text(menu.text);
}

// A key of the hall's menu, with the guild as read for this key; false ends the menu.
struct hall_turn {
    std::int16_t guild;
    const guild_record* now;
    bool leader;
    hall_menu& menu;
    menu_loop& loop;
};
using hall_key_handler = bool (*)(const hall_turn& t);

// Back from a room of the hall: its menu again, unless the room sent the player further out.
bool back_in_hall(const hall_turn& t) {
    if (sub_location >= 3) show_menu_text(t.menu.text);
    return true;
}

bool hall_leave(const hall_turn&) {
    sub_location = 1;
    return false;
}

bool hall_messages(const hall_turn& t) {
    const std::int16_t guild = t.guild;
    message_board_menu(hall_board_name(guild), t.now ? t.now->name.str() : "", guild, [guild](menu_loop& b) {
        follow_hall(b, guild, 2, "`9   Messages for ", member_of);
        b.on_result = on_member_result;
    });
    return back_in_hall(t);
}

bool hall_guardian_stats(const hall_turn& t) {
    if (fresh_hall(t.guild)) show_guard_stats(t.guild);
    return true;
}

bool hall_sleep(const hall_turn& t) {
    hall_sleeping_quarters();
    return back_in_hall(t);
}

bool hall_treasury(const hall_turn& t) {
    guild_treasury(t.guild);
    return back_in_hall(t);
}

bool hall_upgrade_guardian(const hall_turn& t) {
    if (!t.leader) return true;
    upgrade_guardian();
    return back_in_hall(t);
}

bool hall_description(const hall_turn& t) {
    if (!t.leader) return true;
    edit_hall_description();
    if (sub_location >= 3) redraw_hall(t.menu, t.loop, t.guild);
    return true;
}

constexpr menu_key<hall_key_handler> hall_key_table[] = {
    {'L', hall_leave},    {'M', hall_messages},         {'I', hall_guardian_stats}, {'S', hall_sleep},
    {'G', hall_treasury}, {'U', hall_upgrade_guardian}, {'C', hall_description},
};
}  // namespace

const guild_record* fresh_hall(std::int16_t guild) {
    load_guild_file();
    const guild_record* g = guild_num_ptr(guild);
    return g && g->has_hall ? g : nullptr;
}

bool leads(const guild_record& g) { return g.has_hall && g.leader == me().number && me().guild == g.number; }
bool member_of(const guild_record& g) { return me().guild == g.number; }

bool guild_deal(std::int16_t guild, bool character_gives, const std::function<bool(guild_record&)>& deal) {
    hold_guard hold;
    refresh_char_file();
    load_guild_file();
    guild_record* g = guild_num_ptr(guild);
    if (!g) return false;
    const guild_record before = *g;
    if (!deal(*g)) return false;
    const guild_record changed = *g;
    auto write_guild = [&] {
        update_guilds_under_hold([&] {
            if (guild_record* f = guild_num_ptr(guild))
                log_short_amounts(guilds_file_name, f->name.view(), merge_fields(*f, before, changed));
        });
    };
    if (!character_gives) write_guild();
    write_char_file(false);
    if (character_gives) write_guild();
    return true;
}

hall_submenu::hall_submenu(std::string_view section, std::int16_t level) {
    read_text_section(text_file_name, section, text, keys);
    show_menu_text(text);
    sub_location = level;
    loop.level = level;
    loop.keys = keys;
    loop.default_key = [] { return 'L'; };
    loop.common_keys = hall_common_keys;
    loop.on_result = on_member_result;
}

void follow_hall(menu_loop& m, std::int16_t guild, std::int16_t parent, const std::string& head,
                 bool (*allowed)(const guild_record&), bool with_name) {
    m.each_turn = [&m, guild, parent, head, allowed, with_name] {
        const guild_record* g = fresh_hall(guild);
        if (!g || (allowed && !allowed(*g))) {
            sub_location = parent;
            return;
        }
        m.title = with_name ? head + g->name.str() + "`%:" : head;
    };
    if (!allowed) return;
    // A key acts only for a member still allowed on fresh reads of both files: a kick or a
    // disband on another node takes the hall away at once.
    m.before_key = [guild, parent, allowed] {
        refresh_char_file();
        const guild_record* g = fresh_hall(guild);
        if (g && allowed(*g)) return true;
        sub_location = parent;
        return false;
    };
}

bool hall_common_key(char k, const text_list& menu) {
    switch (k) {
    case '?': show_menu_text(menu); return true;
    default: return false;
    }
}

bool in_guild_hall(const character_record& c, std::int16_t guild) {
    char first = c.location.view().empty() ? 0 : c.location.view()[0];
    return !c.dead && guild != 0 && c.guild == guild && (first == 'h' || first == 'H') && character_on_line(c);
}

bool raiding(const character_record& c) {
    char first = c.location.view().empty() ? 0 : c.location.view()[0];
    return first == 'o' || first == 'O';
}

std::vector<std::int16_t> members_in_hall(std::int16_t guild) {
    std::vector<std::int16_t> numbers;
    for (const character_record& c : char_list)
        if (&c != cur_char && in_guild_hall(c, guild)) numbers.push_back(c.number);
    return numbers;
}

void build_guild_hall() {
    if (!cur_char) return;
    debug_enter("Entering build_guild_hall");
    show_purchase_screen();
    bool poor = false;
    if (me().gold < hall_price_gold) {
        disp_line("`9  You need more `4GOLD`9 to build a guild hall.");
        poor = true;
    }
    if (me().gems < hall_price_gems) {
        disp_line("`9  You need more `4GEMS`9 to build a guild hall.");
        poor = true;
    }
    std::string name;
    if (!poor && ask_yes("`9  Build a guild hall? (`3Y`9/`3N`9) [`%Y`9]`% : ", true, ".")) name = ask_guardian_name();
    const std::int16_t guild = me().guild;
    bool built = !name.empty() && guild_deal(guild, true, [&](guild_record& g) {
        if (g.has_hall || g.leader != me().number || me().gold < hall_price_gold || me().gems < hall_price_gems)
            return false;
        me().gold -= hall_price_gold;
        me().gems = static_cast<std::int16_t>(me().gems - hall_price_gems);
        set_new_guardian(g, name);
        return true;
    });
    if (built) {
        write_generic_description(guild);
        disp_line("`9  Guild hall `4CREATED`9.");
    }
    debug_leave("Leaving build_guild_hall");
}

void guild_hall() {
    if (!cur_char) return;
    debug_enter("Entering guild_hall");
    const std::int16_t guild = me().guild;
    const guild_record* g = fresh_hall(guild);
    if (!g) {
        debug_leave("Leaving guild_hall");
        return;
    }
    me().location = hall_location;
    write_char_file(true);
    // Kicked out meanwhile: the merge has brought the guild number of the file.
    if (me().guild != guild) {
        debug_leave("Leaving guild_hall");
        return;
    }
    if (!raiders_answered()) {
        flee_hall();
        debug_leave("Leaving guild_hall");
        return;
    }
    sub_location = 3;
    hall_menu menu;
    menu_loop m;
    redraw_hall(menu, m, guild);
    m.level = 3;
    m.common_keys = hall_common_keys;
    m.default_key = [] { return 'L'; };
    m.on_result = on_member_result;
    follow_hall(m, guild, 2, "`9   Guild Hall of ", member_of);
    m.on_key = [&](char k) {
        const guild_record* now = fresh_hall(guild);
        const hall_turn turn{guild, now, now && leads(*now), menu, m};
        if (hall_common_key(k, menu.text)) return true;
        hall_key_handler handler = key_handler(hall_key_table, k);
        return handler ? handler(turn) : true;
    };
    run_menu_loop(m);
    deldesc(menu.text);
    debug_leave("Leaving guild_hall");
}

void show_sleepers(std::int16_t guild) {
    refresh_char_file();
    disp_lines({"", "`9  People Sleeping here : "});
    for (const character_record& c : char_list)
        if (c.guild == guild && c.sleeping_guild) disp_line("`3  " + proper_case(c.name.view()));
}

void hall_sleeping_quarters() {
    if (!cur_char) return;
    const std::int16_t guild = me().guild;
    hall_submenu sub("hall_sleep", 4);
    menu_loop& m = sub.loop;
    const text_list& menu = sub.text;
    follow_hall(m, guild, 3, "`9   Sleeping Quarters for ", member_of);
    m.on_key = [&](char k) {
        if (hall_common_key(k, menu)) return true;
        switch (k) {
        case 'L': sub_location = 3; return false;
        case 'C': show_sleepers(guild); break;
        case 'G':
            disp_line("");
            if (!ask_yes("`9  Are you sure you want to go to sleep/leave game? (`3Y`9/`3N`9) [`%Y`9] `%: ", true,
                         ".")) {
                disp_line("`9  You decide you still need to adventure more.");
                break;
            }
            disp_lines({"`9  You decide it is time to succumb to your lack of energy and climb",
                        "`9  into your bed, feeling much safer than you would out on the streets.",
                        "`9  You think you may actually have pleasant dreams tonight."});
            me().sleeping_guild = 1;
            me().online = 0;
            write_char_file(true);
            end_prog(exit_normal);
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
}

void edit_hall_description() {
    if (!cur_char) return;
    const std::int16_t guild = me().guild;
    text_list old;
    read_guild_menu(guild, old);
    disp_line("`c`9  Old Description : `3");
    dispdesc(old);
    deldesc(old);
    disp_line(hall_long_rule);
    text_list typed = enter_description();
    if (!typed.empty()) {
        const guild_record* g = fresh_hall(guild);
        if (g && leads(*g)) writedesc(writedesc_plain, hall_file_name(guild), typed);
    }
    hit_any_key();
}

bool confirm_yes_no() {
    disp_text("`9  Is this what you want? (`3Y`9/`3N`9) [`%Y`9]`% : ");
    bool yes = upcase_key(read_key()) != 'N';
    write_line(yes ? "Yes." : "No.");
    return yes;
}
