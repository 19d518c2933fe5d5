#include "game/healers.hpp"

#include <algorithm>
#include <string>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/text_file.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"

namespace {
std::int32_t point_price() { return price_for_level(me().level, game_stats.heal_cost); }

// At or above the maximum: a script may have raised the hit points past it, and a heal must
// never lower them (nor pay out for it).
bool unhurt() { return me().hit_points >= me().max_hit_points; }

void nothing_wrong() { disp_line("`%  \"But I see nothing wrong with you `n\" `9says the healer."); }

void show_health() {
    disp_line("");
    disp_line("  `9Your current Hit Points : `%" + int_to_str(me().hit_points) + " / " +
              int_to_str(me().max_hit_points));
    disp_line("   `3It will cost `4" + int_to_str(point_price()) + "`3 gold per hit point to heal you.");
}

void raise_hit_points(std::int64_t points) { me().hit_points = clamp_to<std::int16_t>(me().hit_points + points); }

// A heal paid from the gold on file: the points healed, and whether they are all the wanted
// ones as the healer sees it.
struct healing {
    std::int32_t points = 0;
    bool all = true;
};

// Heals the wanted points when the gold on file pays for them, else the part it pays for, in
// one write. below_purse: all of them only when their price is below the purse, not equal.
healing heal_paid(std::int32_t wanted, bool below_purse) {
    std::int32_t price = point_price();
    std::int64_t cost = std::int64_t(wanted) * price;
    healing h{wanted, true};
    pay_from_purse(
        {cost},
        [&] {
            // A purse of exactly the price pays for all of them, but hears the regret.
            if (below_purse && me().gold == cost) h.all = false;
            raise_hit_points(wanted);
            return true;
        },
        [&] {
            h = {affordable_points(wanted, price, me().gold), false};
            raise_hit_points(h.points);
            add_gold(me(), -std::int64_t(h.points) * price);
        });
    return h;
}

void healed_line(std::int64_t points) {
    disp_line("`3  The healers heal `4" + int_to_str(points) + "`3 hit points, taking you to `4" +
              int_to_str(me().hit_points));
}

// The part of the wanted points that the gold pays for, healed, with the healer's regret.
void heal_what_gold_allows(std::int32_t k) {
    disp_line("");
    disp_line("`3  The healer says to you  :");
    disp_line("`%  \"I'm sorry, you can only afford to be healed `4" + int_to_str(k) + "`% hit points.\"");
    healed_line(k);
}

// The first look at the patient, by how much of the maximum is left (a maximum below 1
// counts as 1).
void first_look() {
    std::int64_t hp = me().hit_points, most = std::max<std::int64_t>(me().max_hit_points, 1);
    if (10 * hp > 9 * most)
        disp_lines({"`c`9  One of the healers runs over with a small bandage and asks you to",
                    "  hold out your finger so he can make it all better."});
    else if (10 * hp > 6 * most)
        disp_lines({"`c`9  One of the healers runs over with a large splint and asks you to",
                    "  lift your arm to make sure it's not broken."});
    else if (10 * hp > 4 * most)
        disp_lines({"`c`9  One of the healers runs over with a large bucket of Plaster of Paris,",
                    "  sighs, and mumbles something about `%\"Where do I begin?\""});
    else
        disp_lines({"`c`9  One of the healers starts to run over, but trips over the leg you left",
                    "  lying near the entrance, picks it up and starts to work on you."});
}

// H: true when the player is healed whole and leaves.
bool heal_all() {
    if (unhurt()) {
        nothing_wrong();
        return false;
    }
    first_look();
    std::int32_t wanted = me().max_hit_points - me().hit_points;
    healing h = heal_paid(wanted, false);
    if (!h.all) {
        heal_what_gold_allows(h.points);
        return false;
    }
    disp_line("");
    disp_line("`3  The healers heal `4" + int_to_str(wanted) + "`3 hit points, taking you to `4" +
              int_to_str(me().max_hit_points));
    hit_any_key();
    return true;
}

// P: as many points as the player asks for, up to the maximum.
void heal_part() {
    if (unhurt()) {
        nothing_wrong();
        return;
    }
    disp_text("`9  How many hit points would you like healed? : `%");
    std::int32_t wanted = read_int();
    // Nothing, or less than nothing, is no heal at all: never hit points down for gold back.
    if (wanted <= 0) {
        disp_line("`%  \"Suit yourself, its no skin off my back.\" `9says a younger healer.");
        return;
    }
    wanted = std::min<std::int32_t>(wanted, me().max_hit_points - me().hit_points);
    healing h = heal_paid(wanted, true);
    if (h.all) {
        disp_line("");
        healed_line(wanted);
    } else {
        heal_what_gold_allows(h.points);
    }
}
}  // namespace

std::int32_t price_for_level(std::int16_t level, std::int16_t cost) {
    return std::max<std::int32_t>(std::int32_t(level) * cost, 0);
}

std::int32_t affordable_points(std::int32_t wanted, std::int32_t price, std::int32_t gold) {
    if (price <= 0) return std::max(wanted, 0);
    return std::clamp<std::int32_t>(gold / price, 0, std::max(wanted, 0));
}

void do_healers() {
    if (!cur_char) return;
    debug_enter("Entering do_healers");
    std::string came_from = me().location.str();
    me().location = healers_location;
    write_char_file(true);
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, healers_section, menu, keys);
    show_menu_text(menu);
    show_health();

    menu_loop m;
    m.title = "`9   Healers Temple`%:";
    m.keys = keys;
    // The temple runs at whatever depth it was entered from: the square, a realm, a script.
    m.level = sub_location;
    m.poll = menu_poll::queue;
    m.common_keys = "VFR";
    m.default_key = [] { return me().hit_points < me().max_hit_points ? 'H' : 'L'; };
    m.on_key = [&](char k) {
        switch (k) {
        case 'H': return !heal_all();
        case 'P': heal_part(); break;
        case 'L': return false;
        case '?':
            dispdesc(menu);
            show_health();
            break;
        default: break;
        }
        return true;
    };
    run_menu_loop(m);

    me().location = came_from;
    write_char_file(true);
    deldesc(menu);
    debug_leave("Leaving do_healers");
}
