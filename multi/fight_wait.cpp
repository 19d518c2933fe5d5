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

// One wait: the opponent, what was heard of it, and how the fight ended.
struct fight_wait {
    std::int16_t foe_number;
    std::string foe_name;
    std::int32_t heard;  // when the last line of the fight came
    bool begun = false;
    bool done = false;
    bool won = false;
};

// The opponent ran, left or is gone: this side wins, with nothing paid.
void opponent_fled(fight_wait& w) {
    show_fled(w.foe_name);
    w.won = w.done = true;
}

// A node gone from the list, or one that answers nothing because it is gone: counts as run,
// unless it wrote this side's death first.
void opponent_vanished(fight_wait& w) {
    fall_if_killed();
    opponent_fled(w);
}

// X, or a long silence.
void bailed(fight_wait& w) {
    w.won = bail_out(w.foe_number);
    w.done = true;
}

// ---- The player's keys ----

using wait_key_handler = void (*)(fight_wait& w);
constexpr menu_key<wait_key_handler> wait_keys[] = {{'X', bailed}};

// ---- The opponent's lines ----

void on_creceive(fight_wait& w, const character_record& foe, const fight_line&) {
    if (!w.begun) begin_fight(foe);
    w.begun = true;
}

void on_surprise(fight_wait& w, const character_record&, const fight_line&) {
    disp_line("`9  " + w.foe_name + "`9 surprises you!");
}

void on_attack(fight_wait& w, const character_record&, const fight_line&) { online_fight_round(w.foe_name, false); }

void on_run(fight_wait& w, const character_record&, const fight_line&) { opponent_fled(w); }

void on_leaverealm(fight_wait& w, const character_record&, const fight_line&) { opponent_vanished(w); }

void on_flee(fight_wait& w, const character_record&, const fight_line&) {
    disp_line("`9  You run for your `4LIFE`9.  What a coward.");
    w.won = false;
    w.done = true;
}

void on_victory(fight_wait& w, const character_record&, const fight_line&) { w.won = w.done = true; }

void on_damage(fight_wait& w, const character_record& foe, const fight_line& f) {
    // A hit never heals: a negative amount counts as a miss.
    show_player_hit(foe, std::max<std::int32_t>(f.amount, 0), f.verb == ddamage);
    online_fight_round(w.foe_name, false);
}

using line_handler = void (*)(fight_wait& w, const character_record& foe, const fight_line& f);
constexpr menu_key<line_handler, node_verb> line_table[] = {
    {creceive, on_creceive}, {surprise, on_surprise},     {attack, on_attack},
    {run, on_run},           {leaverealm, on_leaverealm}, {flee, on_flee},
    {victory, on_victory},   {damage, on_damage},         {ddamage, on_damage},
};

// Nothing of the fight came: a node that is gone answers nothing, and the fight is over and
// pays nothing; a long silence is bailed out of.
void on_silence(fight_wait& w, const character_record& foe) {
    if (!character_on_line(foe)) return opponent_vanished(w);
    if (unix_time_now() - w.heard < fight_silence_limit_s) return;
    disp_line("`9  " + w.foe_name + "`9 does not answer.");
    bailed(w);
}

// One look at the own queue for the next line of this fight.
void poll_queue(fight_wait& w) {
    const character_record* foe = char_num_ptr(w.foe_number);
    if (!foe) return opponent_vanished(w);
    std::string line = take_node_msg_if([&](std::string_view l) { return pick_for(l, w.foe_number); });
    if (line.empty()) return on_silence(w, *foe);
    w.heard = unix_time_now();
    fight_line f = parse_fight_line(line);
    if (!f.verb) return;
    if (line_handler h = key_handler(line_table, *f.verb)) h(w, *foe, f);
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
    fight_wait w{found->number, proper_name_of(*found), unix_time_now()};
    std::int32_t polls = 0;
    while (!w.done) {
        if (key_waiting()) {
            if (wait_key_handler h = key_handler(wait_keys, upcase_key(read_key()))) h(w);
            if (w.done) break;
        } else if (carrier_lost || !carrier_present) {
            read_key();  // the door kit ends the session
        }
        if (++polls < std::max<std::int32_t>(check_frequency, 1)) continue;
        polls = 0;
        poll_queue(w);
    }
    debug_leave("Leaving online_fight_wait");
    return w.won;
}
