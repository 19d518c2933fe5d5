#include "game/valley.hpp"

#include <algorithm>

#include "door/door.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/script.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/forest.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "game/realm.hpp"

namespace {
void ambush(const text_list& menu) {
    disp_lines({"`9  You are walking through the valley when you think you spot an",
                "  ambush up ahead.  You think you can sneak up on them and ambush", "  whoever is waiting for you.",
                ""});
    disp_text("`9  Ambush the Ambushers? (`3Y`9/`3N`9) [`%Y`9] `%: ");
    if (yes_no_key('Y') != 'Y') {
        disp_line("No.");
        return;
    }
    disp_lines({"Yes.", "`9  You move as quietly as you possibly can and try to maneuver behind", "  them."});
    fight_creature(brigands(me().level), menu);
}

// A nap that cost the gold in hand.
void robbed_of_gold() {
    disp_lines(
        {"`3  When you wake up, you discover that someone has taken all of", "  your gold.  You are `4BROKE`3."});
    me().gold = 0;
}

void lake_nap() {
    disp_lines({"`9  You are making your way through a dense section of the valley when",
                "`9  you spot a large lake surrounded by trees up ahead.  The aura of it looks",
                "`9  very comfortable and relaxing.  You think it would be an excellent place", "`9  to take a nap.",
                ""});
    disp_text("`9  Take a Nap? (`3Y`9/`3N`9) [`%Y`9] `%: ");
    if (yes_no_key('Y') != 'Y') {
        disp_lines({"No.", "`9  Taking a nap here would be a dangerous thing indeed."});
        return;
    }
    disp_lines({"Yes.", "`9  You lay down under a large tree for a refreshing nap."});
    int n = static_cast<int>(std::clamp<std::int64_t>(random_n(100) + 1 + std::int64_t(me().luck), 1, 100));
    if (n <= 40) {
        // The thief's take is saved at once: leaving by a dropped line does not undo it.
        std::int64_t g = n <= 20 ? 0 : round_half_even(random_real() * me().gems);
        if (g > 0) {
            disp_lines({"`3  When you wake up, you discover that someone has taken a few of", "  your gems.",
                        "`%  (You lose `2" + int_to_str(g) + "`% gems.)"});
            add_gems(me(), -g);
        } else {
            robbed_of_gold();
        }
        write_char_file(true);
        return;
    }
    const std::string fight = "`%  (You gain `11`% forest fight.)", maxed = "`%  (Your `3Hit Points`% are `4MAXED`%.)";
    add_creature_fights(me(), 1);
    if (n <= 60) {
        disp_lines({"`3  You wake up, feeling refreshed, with a little extra spring in your", "  step.", fight});
        return;
    }
    me().hit_points = me().max_hit_points;
    if (n <= 80) {
        disp_lines({"`3  You wake up, feeling refreshed, relaxed and fit as a fiddle.", fight, maxed});
        return;
    }
    disp_lines({"`3  You wake up, feeling refreshed, relaxed and fit as a fiddle,",
                "  and ready to take on any challenges the world can throw at you.", fight,
                "`%  (You gain `25`% attack points.)"});
    add_attack_value(me(), 5);
    if (n == 100) {
        disp_line("`%  (You gain `25`% defense points.)");
        add_defense_value(me(), 5);
    }
    disp_line(maxed);
}

void singing() {
    disp_lines({"`9  You are walking through a barren section of the valley when you hear",
                "`9  The singing of the most beautiful voice you have ever heard.",
                "`9  The song makes you a more beautiful person inside.", "`%  (You gain `51`% charm.)"});
    add_crm(me(), 1);
}

void rabbit() {
    disp_lines({"`9  You can't believe your luck as you stumble across a rabbit without", "`9  a foot.",
                "`%  (You lose `21`% luck.)"});
    adjust_capped_stat(me(), -1);
}

void puppy() {
    disp_lines({"`9  Huddling in a small cave, you find a small, frightened puppy.",
                "`9  You decide to take it back to town and give it to a poor child.",
                "`%  (Your charm goes up by `32`%.)"});
    add_crm(me(), 2);
}

// Without a weapon in hand the text names "Nothing" and only the attack rises.
void silvery_scroll() {
    disp_lines({"`9  Stumbing along, you find a silvery scroll partially hidden under a",
                "`9  fallen boulder.  You pick it up and begin reading it.  As you read",
                "`9  the scroll, your ^CS13 begins to take on that same silvery", "`9  shimmer."});
    add_attack_value(me(), 2);
    add_weapon_power(me(), 2);
}

void fallen_hero() {
    if (realm_event_script_ready()) {
        hook_run_script(realm_event_script, "1");
        return;
    }
    disp_lines({"`9  You find the corpse of a recently fallen hero.",
                "`9  You check his corpse, and finding nothing, bury him.", "`%  (Your shame goes down by `31`%.)"});
    add_shm(me(), -1);
}

bool valley_key(char k) {
    if (k != '/') return false;
    hook_run_script(realm_event_script, "1");
    return true;
}

const realm valley_realm{
    .name = "valley",
    .creature_file = "valley.dat",
    .section = "valley",
    .location = valley_location,
    .ansi_section = "valley_ansi_1",
    .title = "`6   Valley of Fear",
    .empty_message = "  `9The valley is empty.  Perhaps you should return tomorrow.",
    .branch_line = realm_branch_line,
    .events = 9,
    .special_event = valley_special_event,
    .own_key = valley_key,
};
}  // namespace

monster_record brigands(std::int16_t level) {
    monster_record m = cave_bear(level);
    m.name = "Brigand Troup";
    m.weapon = "Scimitars";
    m.armour = "Padded Turbans";
    m.death_text = "Oh... we did not mean you any har....";
    return m;
}

void valley_special_event(int e, const text_list& menu) {
    switch (e) {
    case 1: ambush(menu); break;
    case 2: random_encounter(1); break;
    case 3: lake_nap(); break;
    case 4: singing(); break;
    case 5: rabbit(); break;
    case 6: random_encounter(2); break;
    case 7: puppy(); break;
    case 8: silvery_scroll(); break;
    case 9: fallen_hero(); break;
    default: break;
    }
}

void valley_search(const creature_list& creatures, const text_list& menu) {
    realm_search(valley_realm, creatures, menu);
}

void valley() { run_realm(valley_realm); }
