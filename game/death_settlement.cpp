// The playing character's fatal blow: the church's rescue, the death scripts' chance to undo
// it, and its settlement (the fall, the news, the winner's share) as one write.
#include "game/combat.hpp"

#include <algorithm>
#include <string>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/text_file.hpp"
#include "game/combat_internal.hpp"
#include "game/me.hpp"

namespace {
// The church's rescue of a player at 0 hit points or below: the hit points are whole again
// before anything is shown, so that no exit in between finds the player fallen.
void church_rescue() {
    if (me().hit_points > 0 ||
        return_flag("FOREST_CHAMPION_OF_THE_CHURCH", flag_file_name(me().number), flags_section_name) != "TRUE" ||
        !file_exists("events.scc") || read_file_number("events.scc") != 113)
        return;
    randomize();
    if (random_n(100) + 1 >= me().luck + 12) return;
    me().hit_points = me().max_hit_points;
    disp_line("");
    disp_line("`!  As you start to feel the darkness overcome you, the shadows melt away and you");
    disp_line("`!  feel whole again.  From somewhere out of the corner of your eye, a lone");
    disp_line("`!  figure cloaked in the colors of the Church of the Divine Nature scurries away");
    disp_line("`!  (You are healed completely)");
}

// A creature's kill: the news, then the fall, and the gold the player carried into the pot
// (written after the character, which gives it up).
void creature_kill_settled(const character_record& foe) {
    // Whatever ends the game from here on finds the player fallen.
    fall_in_memory();
    disarm_death();
    news({"`%In ~ar fight today :",
          "`3  ~Tb `!" + own_proper_name() + "`3 was killed by ~ag `!" + name_of(foe) + "`3."});
    if (has_status_bit(me(), status_hunted) && foe.name == "hired thug") me().status_bits &= ~status_hunted;
    save_fall([](const death_loss& lost) {
        game_stats.floating_gold =
            clamp_to<std::int32_t>(std::max<std::int64_t>(std::int64_t(game_stats.floating_gold) + lost.gold, 0));
    });
}

// A player's win in self defense: the loser's fall and the winner's share in one write of
// "players.dat" (a winner away is paid there); a winner on line holds its own record and is
// paid by the command lines of its letter, appended only once the fall is written. A hang-up
// meanwhile waits for the hold, so the letter goes out too.
void player_win_settled(const character_record& foe) {
    std::string player = own_proper_name();
    std::string my_name = me().name.str();
    death_loss lost = fall_in_memory();
    disarm_death();
    bool on_line = false;
    {
        hold_guard hold;
        save_fall([&](const death_loss& l) {
            character_record* v = player_record(foe);
            if (!v || v == cur_char) return;
            on_line = character_on_line(*v);
            if (on_line) return;
            add_experience(*v, l.experience);
            add_gold(*v, l.gold);
            v->hit_points = v->max_hit_points;
        });
        std::initializer_list<std::string> told = {
            "#0000 `%System Message",
            "  `4" + player + " has attacked you!",
            "  `3You have killed " + my_name + " in self defense.",
            "  You have gained `4" + comma_number(lost.experience) + "`3 experience.",
            "  You have taken `4" + comma_number(lost.gold) + "`3 gold from the corpse.",
            "~"};
        text_list message;
        for (const std::string& l : told) add_desc_line(l, message);
        if (on_line) {
            add_desc_line("ADD EXP " + int_to_str(lost.experience), message);
            add_desc_line("ADD GLD " + int_to_str(lost.gold), message);
        }
        append_user_file(name_of(foe), message);
    }
    news({"`%In ~ar `4player fight`% today :",
          "  ~Tg `!" + proper_name_of(foe) + "`3 killed ~tb `!" + player + "`3 in self defense."});
}

void death_settled(const character_record& foe) {
    if (is_mob(foe))
        creature_kill_settled(foe);
    else
        player_win_settled(foe);
}
}  // namespace

void player_death(std::int32_t damage, character_record& foe) {
    subtract_hit_points(me(), damage);
    church_rescue();
    if (me().hit_points > 0) return;
    if (is_level_fight(foe)) {
        master_fight_failed(foe);
        return;
    }
    // The blow is fatal unless the player's items undo it; till then any exit settles it.
    arm_death([&foe] { death_settled(foe); });
    begin_ondeath_item();
    if (me().hit_points > 0) {
        disarm_death();
        return;
    }
    if (is_mob(foe))
        news_monster_kill(foe);
    else
        player_attacked_message(foe);
}

void master_fight_failed(const character_record& foe) {
    news({"The gossip about ~tb `!^CA's`3 failure to perform",
          "for ^CD master spreads like wildfire throughout the town."});
    disp_line("");
    disp_line("`9  The `8" + name_of(foe) + "`9 is ready to kill you when you hear");
    disp_line("`9  `m claps ^DD hands together and the `8" + name_of(foe) + " `9disappears.");
    disp_line("`%  \"You have failed `n.  Seek me when you are truly ready.\"");
    me().hit_points = 0;
    toggle_status_bit(me(), status_master_avoids);
}

void news_monster_kill(const character_record& foe) {
    creature_kill_settled(foe);
    player_killed();
}

void player_attacked_message(const character_record& foe) {
    player_win_settled(foe);
    player_killed();
}
