// The guardian of a guild's hall: its statistics that the leader buys with gold, its level
// bought with gems, and its names.
#include "multi/guild_hall.hpp"

#include <algorithm>
#include <functional>

#include "door/door.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "multi/guild_hall_shared.hpp"
#include "multi/guilds.hpp"

namespace {
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

}  // namespace

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

void show_guard_stats(std::int16_t guild) {
    const guild_record* g = guild_num_ptr(guild);
    if (!g) return;
    disp_lines({"`c                     Guard Stats for `4" + g->name.str(), hall_long_rule,
                "`9  Guard Name    : `%" + g->guard_name.str(), "`9  Guard Level   : `%" + int_to_str(g->guard_level),
                "`9  Guard HP      : `%" + int_to_str(g->guard_hit_points),
                "`9  Guard Attack  : `%" + int_to_str(g->guard_attack),
                "`9  Guard Defense : `%" + int_to_str(g->guard_defense),
                "`9  Guard Shield  : `%" + int_to_str(g->guard_shield),
                "`9  Weapon Name   : `%" + g->guard_weapon.str(), "`9  Armor Name    : `%" + g->guard_armour.str()});
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
        disp_lines({"",
                    "`9  Attack Upgrade `%: " + price(guard_stat::attack) + "`9 Defense Upgrade `%: " +
                        price(guard_stat::defense) + "`9 Shield Upgrade `%: " + price(guard_stat::shield),
                    "`9  Hit Points     `%: " + price(guard_stat::hit_points) +
                        "`9 Level Upgrade   `%: " + int_to_str(2 * g->guard_level) + " gems."});
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
