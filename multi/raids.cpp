#include "multi/raids.hpp"

#include "door/door.hpp"
#include "door/sys.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"
#include "game/combat.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "multi/boards.hpp"
#include "multi/fight_hooks.hpp"
#include "multi/guild_hall.hpp"
#include "multi/guilds.hpp"
#include "multi/node_queue.hpp"
#include "multi/player_fight.hpp"

namespace {
constexpr const char* guardian_fight_location = "oRaiding Guild";
constexpr const char* raided_hall_location = "oGuild Hall";
constexpr const char* area_location = "tGuild Area";

// Every member in the hall, on a fresh read, hears the line.
void tell_members(std::int16_t guild, const node_line& line) {
    refresh_char_file();
    for (std::int16_t n : members_in_hall(guild)) send_node_msg_to(n, line);
}

enum class walk { nobody, all_beaten, lost };

// One walk over the members in the hall, the list as it stands: each is sent the line and
// fought. The numbers are taken first, and each looked up again: a refresh inside a fight
// may remove records.
walk fight_members(std::int16_t guild, const node_line& line) {
    walk result = walk::nobody;
    for (std::int16_t n : members_in_hall(guild)) {
        const character_record* m = char_num_ptr(n);
        if (!m || !in_guild_hall(*m, guild)) continue;
        std::string name = proper_case(m->name.view());
        result = walk::all_beaten;
        send_node_msg_to(n, line);
        if (!hook_online_fight_wait(name)) return walk::lost;
    }
    return result;
}

// The raid's end after a fight the raider fled as defender: back in the guild area.
void leave_raid() {
    me().location = area_location;
    write_char_file(true);
    sub_location = 2;
}

// The queue rule of the conquered hall's menus; a guild gone meanwhile ends the raid.
void raid_loop(menu_loop& m, std::int16_t guild, const std::string& head) {
    m.raided_guild = guild;
    follow_hall(m, guild, 2, head);
    m.on_result = [guild](const std::string& result) {
        if (result == "HOLDGUILD" && call_guild_combat(guild)) sub_location = 2;
        if (result == "FLEEGUILD") leave_raid();
    };
}

// A: a sleeper of the raided guild, stored, fought as a player who is away.
void attack_sleeper(std::int16_t guild) {
    if (me().player_fights_left < 1) {
        disp_line("`9  You don't have any `4PLAYER`9 fights left today!");
        return;
    }
    const character_record* target = ask_attack_target();
    if (!target) return;
    if (target == cur_char || character_on_line(*target) || target->dead || target->sleeping_inn ||
        !target->sleeping_guild || target->guild != guild) {
        refuse_attack();
        return;
    }
    attack_away_player(*target, guild);
}
}  // namespace

void raid_guild_hall() {
    if (!cur_char) return;
    debug_enter("Entering raid_guild_hall");
    guild_rankings(ranks_show);
    disp_line("");
    disp_text("`9  Raid which Guild Hall? : `%");
    std::int16_t number = read_int();
    load_guild_file();
    const guild_record* g = number > 0 ? guild_num_ptr(number) : nullptr;
    if (!g) {
        disp_line("`9  There is no guild with `4THAT`9 number");
    } else if (number == me().guild) {
        disp_line("`9  You cannot raid your `4OWN`9 guild!");
    } else if (!g->has_hall) {
        disp_line("`9  That guild does not have a hall.");
    } else if (ask_yes("`9  Raid the hall of " + g->name.str() + " (`3Y`9/`3N`9) [`%Y`9] :`% ", true)) {
        disp_line("");
        raid_guardian(number);
    } else {
        disp_lines({"", "`9  You decide you better not raid their hall"});
    }
    debug_leave("Leaving raid_guild_hall");
}

monster_record guardian_monster(const guild_record& g) {
    monster_record m;
    m.name = g.guard_name.view();
    m.level = g.guard_level;
    m.attack = g.guard_attack;
    m.defense = g.guard_defense;
    m.shield_value = g.guard_shield;
    m.hit_points = g.guard_hit_points;
    m.weapon = g.guard_weapon.view();
    m.armour = g.guard_armour.view();
    m.death_text = "The guardian lets out a blood-curdling scream as it slumps to the ground.";
    m.gold = 0;
    m.experience = 0;
    m.strength = 0;
    return m;
}

void raid_guardian(std::int16_t guild) {
    if (!cur_char) return;
    me().location = guardian_fight_location;
    write_char_file(true);
    load_guild_file();
    const guild_record* g = guild_num_ptr(guild);
    if (!g || !g->has_hall) return;
    monster_record guardian = guardian_monster(*g);
    tell_members(guild, node_verb::ruckus);
    bool won = thug_fight(guardian);
    tell_members(guild, won ? node_verb::guarddie : node_verb::raidflee);
    if (!won) return;
    disp_lines({"", "`!  With the guardian defeated, the fruits of your labor await within the", "  guild hall."});
    delay_ms(4000);
    hit_any_key();
    raid_hall_members(guild);
}

void raid_hall_members(std::int16_t guild) {
    if (!cur_char) return;
    const node_line challenge(node_verb::guildcombat, own_number() + " " + own_proper_name());
    walk w;
    do {
        write_char_file(true);
        w = fight_members(guild, challenge);
    } while (w == walk::all_beaten);
    if (w == walk::lost) {
        disp_line("`9  You abandon all hope of entering the guild hall.");
        return;
    }
    disp_lines(
        {"", "`!  You have defeated all the members of the guild present.  Their", "  hall is at your disposal."});
    raided_guild_hall(guild);
}

bool call_guild_combat(std::int16_t guild) {
    if (!cur_char) return false;
    for (;;) {
        delay_ms(1000);
        refresh_char_file();
        walk w = fight_members(guild, {node_verb::guildcombat, own_number()});
        if (w != walk::all_beaten) return w == walk::lost;
    }
}

void raided_guild_hall(std::int16_t guild) {
    if (!cur_char) return;
    debug_enter("Entering raided_guild_hall");
    me().location = raided_hall_location;
    write_char_file(true);
    sub_location = 3;
    text_list menu;
    std::string keys;
    read_guild_menu(guild, menu);
    read_text_section(text_file_name, "ghall", menu, keys);
    show_menu_text(menu);
    menu_loop m;
    m.level = 3;
    m.default_key = [] { return 'L'; };
    m.keys = keys;
    m.common_keys = hall_common_keys;
    raid_loop(m, guild, "`9   Guild Hall of ");
    m.on_key = [&](char k) {
        if (hall_common_key(k, menu)) return true;
        switch (k) {
        case 'L': sub_location = 2; return false;
        case 'M': {
            // The board answers a member who comes in as the conquered hall does.
            const guild_record* g = guild_num_ptr(guild);
            message_board_menu(hall_board_name(guild), g ? g->name.str() : "", guild,
                               [guild](menu_loop& b) { raid_loop(b, guild, "`9   Messages for "); });
            break;
        }
        case 'G': guild_treasury(guild, &m); break;
        case 'S': raid_sleeping_quarters(guild); break;
        case 'I': show_guard_stats(guild); break;
        default: return true;
        }
        if (sub_location >= 3 && k != 'I') show_menu_text(menu);
        return true;
    };
    run_menu_loop(m);
    deldesc(menu);
    debug_leave("Leaving raided_guild_hall");
}

void raid_sleeping_quarters(std::int16_t guild) {
    if (!cur_char) return;
    hall_submenu sub("raid_sleep", 4);
    menu_loop& m = sub.loop;
    const text_list& menu = sub.text;
    raid_loop(m, guild, "`9   Sleeping Quarters for ");
    m.on_key = [&](char k) {
        if (hall_common_key(k, menu)) return true;
        switch (k) {
        case 'L': sub_location = 3; return false;
        case 'C': show_sleepers(guild); break;
        case 'A': attack_sleeper(guild); break;
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
}
