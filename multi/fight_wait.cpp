// The online fight's wait: the opponent's lines, taken from the own queue one at a time, and
// the player's X to bail out.
#include "multi/player_fight.hpp"

#include <algorithm>

#include "door/door.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "multi/node_queue.hpp"
#include "multi/player_fight_internal.hpp"

namespace {
using enum node_verb;

// The line belongs to the fight against this opponent. The opponent's LEAVEREALM ends the
// wait but stays queued for the dispatcher; the fight's own lines are taken.
queue_pick pick_for(std::string_view line, std::int16_t foe_number) {
    fight_line f = parse_fight_line(line);
    if (f.names != foe_number || foe_number < 1) return queue_pick::pass;
    return f.verb == leaverealm ? queue_pick::look : queue_pick::take;
}


// X, or a wait that hears nothing: this side runs, the opponent is told.
bool bail_out(std::int16_t foe_number) {
    send_to(foe_number, {run, "0 " + own_number()});
    return false;
}

void show_fled(const std::string& foe_name) { disp_line("`9  " + foe_name + " has `4FLED`9!  What a coward."); }

// CRECEIVE: the fight begins, and the attacker may surprise the defender.
void begin_fight(const character_record& foe) {
    disp_line("`9  Combat `4BEGINS`9!");
    int r = random_n(100) + 1;
    double edge = me().level / 3.0 + 10 - foe.level / 3.0;
    if (r < edge) {
        disp_line("`9  You manage to surprise " + proper_name_of(foe) + "!");
        send_to(foe.number, {surprise, "0 " + own_number()});
        send_to(me().number, {attack, "0 " + int_to_str(foe.number)});
    } else {
        send_to(foe.number, {attack, "0 " + own_number()});
    }
}

}  // namespace

bool online_fight_wait(std::string_view opponent_name) {
    if (!cur_char) return false;
    debug_enter("Entering online_fight_wait");
    disp_line("`9  Waiting for response from other node.  Hit `4X`9 to bail.");
    const character_record* found = char_full_name_ptr(opponent_name);
    if (!found) {
        debug_leave("Leaving online_fight_wait");
        return true;
    }
    std::int16_t foe_number = found->number;
    std::string foe_name = proper_name_of(*found);
    bool done = false, won = false, begun = false;
    std::int32_t polls = 0;
    std::int32_t heard = unix_time_now();
    while (!done) {
        if (key_waiting()) {
            if (upcase_key(read_key()) == 'X') {
                won = bail_out(foe_number);
                break;
            }
        } else if (carrier_lost || !carrier_present) {
            read_key();  // the door kit ends the session
        }
        if (++polls < std::max<std::int32_t>(check_frequency, 1)) continue;
        polls = 0;
        const character_record* foe = char_num_ptr(foe_number);
        std::string line = foe ? take_node_msg_if([&](std::string_view l) { return pick_for(l, foe_number); }) : "";
        if (!foe) {
            // Gone from the list: counts as run.
            fall_if_killed();
            show_fled(foe_name);
            won = done = true;
            break;
        }
        if (line.empty()) {
            // A node that is gone answers nothing: the fight is over and pays nothing.
            if (!character_on_line(*foe)) {
                fall_if_killed();
                show_fled(foe_name);
                won = done = true;
                break;
            }
            if (unix_time_now() - heard >= fight_silence_limit_s) {
                disp_line("`9  " + foe_name + "`9 does not answer.");
                won = bail_out(foe_number);
                break;
            }
            continue;
        }
        heard = unix_time_now();
        fight_line f = parse_fight_line(line);
        if (f.verb == creceive) {
            if (!begun) begin_fight(*foe);
            begun = true;
        } else if (f.verb == surprise) {
            disp_line("`9  " + foe_name + "`9 surprises you!");
        } else if (f.verb == attack) {
            online_fight_round(foe_name, false);
        } else if (f.verb == run || f.verb == leaverealm) {
            if (f.verb == leaverealm) fall_if_killed();
            show_fled(foe_name);
            won = done = true;
        } else if (f.verb == flee) {
            disp_line("`9  You run for your `4LIFE`9.  What a coward.");
            won = false;
            done = true;
        } else if (f.verb == victory) {
            won = done = true;
        } else if (f.verb == damage || f.verb == ddamage) {
            // A hit never heals: a negative amount counts as a miss.
            show_player_hit(*foe, std::max<std::int32_t>(f.amount, 0), f.verb == ddamage);
            online_fight_round(foe_name, false);
        }
    }
    debug_leave("Leaving online_fight_wait");
    return won;
}
