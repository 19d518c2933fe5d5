#include "multi/guild_hall.hpp"

#include <algorithm>
#include <functional>

#include "door/door.hpp"
#include "door/halt.hpp"
#include "engine/char_lock.hpp"
#include "engine/colour.hpp"
#include "engine/data_files.hpp"
#include "engine/record_fields.hpp"
#include "engine/debug_log.hpp"
#include "engine/exit.hpp"
#include "engine/flags.hpp"
#include "engine/hold.hpp"
#include "engine/hooks.hpp"
#include "engine/lookups.hpp"
#include "engine/screens.hpp"
#include "engine/stats.hpp"
#include "engine/script_hooks.hpp"
#include "engine/strings.hpp"
#include "engine/text_file.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "multi/boards.hpp"
#include "multi/guilds.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* hall_location = "hGuild Hall";
constexpr const char* square_location = "tTown Square";
constexpr const char* nothing_done = "`9  Nothing `4DONE`9.";
// Hall menus re-read "guilds.dat" every turn; this many polls of 10 ms make about a second.
constexpr std::int32_t polls_a_second = 100;

// The hall of the guild as "guilds.dat" stands now; null when the guild or its hall is gone.
const guild_record* fresh_hall(std::int16_t guild) {
    load_guild_file();
    const guild_record* g = guild_num_ptr(guild);
    return g && g->has_hall ? g : nullptr;
}

bool leads(const guild_record& g) { return g.has_hall && g.leader == me().number && me().guild == g.number; }
// As this node last merged "players.dat": a kick reaches the member at its next refresh.
bool member_of(const guild_record& g) { return me().guild == g.number; }

// Under one hold, on fresh reads of both files: deal decides and changes the guild's record
// and the playing character (false: nothing is written). Then both are written, the giving
// side first. False when the guild is gone or deal refused.
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
            if (guild_record* f = guild_num_ptr(guild)) merge_fields(*f, before, changed);
        });
    };
    if (!character_gives) write_guild();
    write_char_file(false);
    if (character_gives) write_guild();
    return true;
}

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
    disp_lines({"`c                           `%Building a Guild Hall:", long_rule,
                "`9  To build a guild hall requires the following resources : ",
                "`4  " + pad_left(comma_number(hall_price_gold), 8) + " `%Gold Coins.",
                "`4  " + pad_left(int_to_str(hall_price_gems), 8) + " `%Gems.", "",
                "`9  A Guildhall will do the following for you.", "`!  Provide a free place to sleep for the night.",
                "`!  Allow you to write messages that only people in your guild hall can read.",
                "`!  Transfer Unlimited amounts of gold and gems.",
                "`!  A Guild Guardian that must be defeated before anyone can raid the hall.",
                "`!  Guardian is upgradable by master making it progressively more difficult", "`!    to defeat.",
                ""});
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
    for (const char* line : {"`9  This is a generic description for a guild hall.",
                             "`9  it can be changed by the guild master.",
                             "`!  Remember, you can sleep in the guild hall and be protected", "`!  by the guardian."})
        add_desc_line(line, desc);
    writedesc(writedesc_plain, hall_file_name(guild), desc);
}

// ---- The treasury ----

struct treasury_key {
    char key;
    const char* question;
    const char* refusal;
    const char* done_head;
    const char* done_tail;
    bool gems;
    bool to_hall;
};

const treasury_key treasury_keys[] = {
    {'1', "`9  How many gems do you wish to leave? `%: ", "`9  Sorry, you don't have that many `4GEMS`9.",
     "`9  You have left `%", "`9 gems in the guild hall.", true, true},
    {'2', "`9  How many gems do you wish to take? `%: ", "`9  Sorry, there aren't that many `4GEMS`9 present.",
     "`9  You have taken `%", "`9 gems from the guild hall.", true, false},
    {'3', "`9  How much gold do you wish to leave? `%: ", "`9  Sorry, you don't have that much `4GOLD`9.",
     "`9  You have left `%", "`9 gold in the guild hall.", false, true},
    {'4', "`9  How much gold do you wish to take? `%: ", "`9  Sorry, there isn't that much `4GOLD`9 present.",
     "`9  You have taken `%", "`9 gold from the guild hall.", false, false},
};

// One move of the treasury, by a member or a raider who beat the hall; false when the hall is
// gone or the player is no longer a member.
bool move_treasure(std::int16_t guild, const treasury_key& t, bool raiding) {
    disp_line("");
    disp_text(t.question);
    std::int32_t n = read_longint();
    if (n <= 0) return true;
    bool refused = false, moved_any = false;
    std::int64_t moved = 0;
    bool dealt = guild_deal(guild, t.to_hall, [&](guild_record& g) {
        if (!g.has_hall || (!raiding && !member_of(g))) return false;
        std::int64_t hall_has = t.gems ? g.treasury_gems : g.treasury_gold;
        std::int64_t mine = t.gems ? me().gems : me().gold;
        std::int64_t hall_cap = t.gems ? gems_cap : treasury_gold_cap;
        std::int64_t my_cap = t.gems ? gems_cap : max_gold;
        std::int64_t from = t.to_hall ? mine : hall_has;
        std::int64_t room = t.to_hall ? hall_cap - hall_has : my_cap - mine;
        if (n > from) {
            refused = true;
            return false;
        }
        moved = std::clamp<std::int64_t>(room, 0, n);
        std::int64_t sign = t.to_hall ? 1 : -1;
        hall_has += sign * moved;
        mine -= sign * moved;
        if (t.gems) {
            g.treasury_gems = static_cast<std::int16_t>(hall_has);
            me().gems = static_cast<std::int16_t>(mine);
        } else {
            g.treasury_gold = static_cast<std::int32_t>(hall_has);
            me().gold = static_cast<std::int32_t>(mine);
        }
        moved_any = true;
        return true;
    });
    if (refused) disp_line(t.refusal);
    if (dealt && moved_any) disp_line(t.done_head + comma_number(moved) + t.done_tail);
    return dealt || refused;
}

// ---- The guardian ----

struct point_key {
    char key;
    guard_stat stat;
};
const point_key point_keys[] = {
    {'A', guard_stat::attack}, {'D', guard_stat::defense}, {'S', guard_stat::shield}, {'H', guard_stat::hit_points}};

std::int16_t& stat_of(guild_record& g, guard_stat s) {
    switch (s) {
    case guard_stat::attack: return g.guard_attack;
    case guard_stat::defense: return g.guard_defense;
    case guard_stat::shield: return g.guard_shield;
    default: return g.guard_hit_points;
    }
}

// Sum of step x i for i = 1..level.
std::int32_t stepped(std::int32_t step, std::int16_t level) {
    std::int32_t l = std::max<std::int32_t>(level, 0);
    return step * l * (l + 1) / 2;
}

void add_guardian_points(std::int16_t guild, guard_stat s) {
    std::int32_t price = guard_point_price(s);
    std::int64_t p = buy_guardian_points(price);
    if (p <= 0) return;
    bool added = false;
    guild_deal(guild, true, [&](guild_record& g) {
        if (!leads(g)) return false;
        std::int16_t& value = stat_of(g, s);
        std::int32_t bound = guardian_bound(s, g.guard_level);
        if (value + p >= bound) {
            guardian_point_cap(bound);
            p = std::max<std::int64_t>(0, bound - value - 1);
        }
        std::int64_t cost = p * price;
        if (p == 0 || cost > me().gold) return false;
        me().gold = static_cast<std::int32_t>(me().gold - cost);
        value = static_cast<std::int16_t>(value + p);
        added = true;
        return true;
    });
    if (added) disp_line("`9  Points `4ADDED`9.");
}

void raise_guardian_level(std::int16_t guild) {
    const guild_record* g = fresh_hall(guild);
    if (!g) return;
    std::int32_t cost = 2 * g->guard_level;
    if (me().gems < cost) {
        disp_line("`9  You can't afford `4THAT`9.");
        return;
    }
    if (g->guard_level >= guardian_max_level) {
        disp_line("`9  Your guard is at the `4MAXIMUM`9 level.");
        return;
    }
    disp_lines({"", "`9  It will cost `%" + int_to_str(cost) + "`9 gems to upgrade " + g->guard_name.str()});
    if (!confirm_yes_no()) {
        disp_line(nothing_done);
        return;
    }
    bool added = guild_deal(guild, true, [&](guild_record& f) {
        std::int32_t now = 2 * f.guard_level;
        if (!leads(f) || f.guard_level >= guardian_max_level || me().gems < now) return false;
        me().gems = static_cast<std::int16_t>(me().gems - now);
        ++f.guard_level;
        return true;
    });
    disp_line(added ? "`9  Level `4ADDED`9." : nothing_done);
}

struct name_key {
    char key;
    const char* question;
    fstr<20> guild_record::*field;
};
const name_key name_keys[] = {
    {'G', "`9  Enter the `4NEW`9 name for your guild guardian `%:", &guild_record::guard_name},
    {'W', "`9  Enter the `4NEW`9 name for your guardian's weapon `%:", &guild_record::guard_weapon},
    {'A', "`9  Enter the `4NEW`9 name for your guardian's armor `%:", &guild_record::guard_armour},
};

void rename_part(std::int16_t guild, const name_key& n) {
    disp_line(n.question);
    disp_text("`9  >`3");
    std::string name = typed_text(read_line()).substr(0, 20);
    if (name.empty()) return;
    disp_line("`!  " + name);
    bool changed = false;
    if (confirm_yes_no()) {
        update_guilds_under_hold([&] {
            guild_record* g = guild_num_ptr(guild);
            if (!g || !leads(*g)) return;
            g->*n.field = name;
            changed = true;
        });
    }
    disp_line(changed ? "`9  Name `4CHANGED`9." : nothing_done);
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
}  // namespace

hall_submenu::hall_submenu(std::string_view section, std::int16_t level) {
    read_text_section(text_file_name, section, text, keys);
    show_menu_text(text);
    sub_location = level;
    loop.level = level;
    loop.keys = keys;
    loop.default_key = [] { return 'L'; };
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
    case 'V': display_stats(); return true;
    case 'F': list_players_online(); return true;
    case 'R': display_ranks(ranks_show); return true;
    default: return false;
    }
}

std::int32_t guard_point_price(guard_stat s) {
    switch (s) {
    case guard_stat::attack: return 10'000;
    case guard_stat::defense: return 14'000;
    case guard_stat::shield: return 22'000;
    default: return 3'000;
    }
}

std::int32_t guardian_bound(guard_stat s, std::int16_t level) {
    switch (s) {
    case guard_stat::attack: return 8 + stepped(10, level);
    case guard_stat::defense: return 4 + stepped(8, level);
    case guard_stat::shield: return 1 + 5 * std::max<std::int32_t>(level, 0);
    default: return 20 + stepped(16, level);
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
    auto redraw = [&] {
        const guild_record* now = fresh_hall(guild);
        menu.build(guild, now && leads(*now));
        m.keys = menu.keys;
        show_menu_text(menu.text);
    };
    redraw();
    m.level = 3;
    m.default_key = [] { return 'L'; };
    m.on_result = on_member_result;
    follow_hall(m, guild, 2, "`9   Guild Hall of ", member_of);
    m.on_key = [&](char k) {
        const guild_record* now = fresh_hall(guild);
        const bool leader = now && leads(*now);
        if (hall_common_key(k, menu.text)) return true;
        switch (k) {
        case 'L': sub_location = 1; return false;
        case 'M':
            message_board_menu(hall_board_name(guild), now ? now->name.str() : "", guild, [guild](menu_loop& b) {
                follow_hall(b, guild, 2, "`9   Messages for ", member_of);
                b.on_result = on_member_result;
            });
            if (sub_location >= 3) show_menu_text(menu.text);
            break;
        case 'I':
            if (fresh_hall(guild)) show_guard_stats(guild);
            break;
        case 'S':
            hall_sleeping_quarters();
            if (sub_location >= 3) show_menu_text(menu.text);
            break;
        case 'G':
            guild_treasury(guild);
            if (sub_location >= 3) show_menu_text(menu.text);
            break;
        case 'U':
            if (!leader) break;
            upgrade_guardian();
            if (sub_location >= 3) show_menu_text(menu.text);
            break;
        case 'C':
            if (!leader) break;
            edit_hall_description();
            if (sub_location >= 3) redraw();
            break;
        default: break;
        }
        return true;
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
            if (!ask_yes("`9  Are you sure you want to go to sleep/leave game? (`3Y`9/`3N`9) [`%Y`9] `%: ", true, ".")) {
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

void guild_treasury(std::int16_t guild, const menu_loop* raid_loop) {
    if (!cur_char) return;
    const std::int16_t parent = 3;
    hall_submenu sub("hall_gng", 4);
    menu_loop& m = sub.loop;
    const text_list& menu = sub.text;
    if (raid_loop) {
        m.raided_guild = raid_loop->raided_guild;
        m.on_result = raid_loop->on_result;
    }
    follow_hall(m, guild, parent, "`9   Treasury of ", raid_loop ? nullptr : member_of);
    m.before_title = [guild] {
        const guild_record* g = guild_num_ptr(guild);
        if (!g) return;
        disp_lines({"", "`9  Gold Present `%: " + pad_right(comma_number(g->treasury_gold), 12) + "`9   Gems Present `%: " +
                            pad_right(comma_number(g->treasury_gems), 12)});
    };
    m.on_key = [&](char k) {
        if (hall_common_key(k, menu)) return true;
        if (k == 'L') {
            sub_location = parent;
            return false;
        }
        for (const treasury_key& t : treasury_keys)
            if (t.key == k && !move_treasure(guild, t, raid_loop != nullptr)) sub_location = parent;
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
    disp_line(long_rule);
    text_list typed = enter_description();
    if (!typed.empty()) {
        const guild_record* g = fresh_hall(guild);
        if (g && leads(*g)) writedesc(writedesc_plain, hall_file_name(guild), typed);
    }
    hit_any_key();
}

void show_guard_stats(std::int16_t guild) {
    const guild_record* g = guild_num_ptr(guild);
    if (!g) return;
    disp_lines({"`c                     Guard Stats for `4" + g->name.str(), long_rule,
                "`9  Guard Name    : `%" + g->guard_name.str(), "`9  Guard Level   : `%" + int_to_str(g->guard_level),
                "`9  Guard HP      : `%" + int_to_str(g->guard_hit_points),
                "`9  Guard Attack  : `%" + int_to_str(g->guard_attack),
                "`9  Guard Defense : `%" + int_to_str(g->guard_defense),
                "`9  Guard Shield  : `%" + int_to_str(g->guard_shield), "`9  Weapon Name   : `%" + g->guard_weapon.str(),
                "`9  Armor Name    : `%" + g->guard_armour.str()});
}

void upgrade_guardian() {
    if (!cur_char) return;
    const std::int16_t guild = me().guild;
    hall_submenu sub("up_guard", 5);
    menu_loop& m = sub.loop;
    const text_list& menu = sub.text;
    follow_hall(m, guild, 3, "`9   Upgrade Guardian for ", leads);
    m.before_title = [guild] {
        const guild_record* g = guild_num_ptr(guild);
        if (!g) return;
        auto price = [](guard_stat s) { return pad_right(comma_number(guard_point_price(s)), 7); };
        disp_lines({"", "`9  Attack Upgrade `%: " + price(guard_stat::attack) + "`9 Defense Upgrade `%: " +
                            price(guard_stat::defense) + "`9 Shield Upgrade `%: " + price(guard_stat::shield),
                    "`9  Hit Points     `%: " + price(guard_stat::hit_points) + "`9 Level Upgrade   `%: " +
                        int_to_str(2 * g->guard_level) + " gems."});
    };
    m.on_key = [&](char k) {
        if (hall_common_key(k, menu)) return true;
        switch (k) {
        case 'L': sub_location = 3; return false;
        case 'I': show_guard_stats(guild); break;
        case 'N':
            rename_guardian();
            if (sub_location >= 5) show_menu_text(menu);
            break;
        case 'E': raise_guardian_level(guild); break;
        default:
            for (const point_key& p : point_keys)
                if (p.key == k) add_guardian_points(guild, p.stat);
            break;
        }
        return true;
    };
    run_menu_loop(m);
}

std::int32_t buy_guardian_points(std::int32_t price) {
    disp_line("");
    std::int32_t affordable = price > 0 ? std::max<std::int32_t>(me().gold, 0) / price : 0;
    if (affordable <= 0) {
        disp_line("`9  You can't afford `4ANY`9 points!");
        return 0;
    }
    disp_text("`9  How many points do you wish to buy? [`%" + comma_number(affordable) + "`9] `%: ");
    std::string line = read_line();
    std::int32_t wanted = line.empty() ? affordable : str_to_int(line);
    if (wanted > affordable) {
        disp_line("`9  You can't afford that `4MANY`9 points.");
        return 0;
    }
    return std::max<std::int32_t>(wanted, 0);
}

void guardian_point_cap(std::int32_t bound) {
    std::string highest = comma_number(std::int64_t(bound) - 1);
    disp_lines({"`9  The point total cannot exceed`% " + highest + "`9.", "`9  Stat set to `4" + highest + "`9."});
}

void rename_guardian() {
    if (!cur_char) return;
    const std::int16_t guild = me().guild;
    hall_submenu sub("up_names", 6);
    menu_loop& m = sub.loop;
    const text_list& menu = sub.text;
    follow_hall(m, guild, 5, "`9   Upgrade Names for guardian `%:", leads, false);
    m.on_key = [&](char k) {
        if (hall_common_key(k, menu)) return true;
        if (k == 'L') {
            sub_location = 5;
            return false;
        }
        if (k == 'I') show_guard_stats(guild);
        for (const name_key& n : name_keys)
            if (n.key == k) rename_part(guild, n);
        return true;
    };
    run_menu_loop(m);
}

bool confirm_yes_no() {
    disp_text("`9  Is this what you want? (`3Y`9/`3N`9) [`%Y`9]`% : ");
    bool yes = upcase_key(read_key()) != 'N';
    write_line(yes ? "Yes." : "No.");
    return yes;
}
