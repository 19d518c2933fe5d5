// A class skill used in the fight: the choice of class, the roll, and the skill's effect on
// the opponent.
#include "game/combat.hpp"

#include <algorithm>
#include <string>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/chance.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "game/combat_internal.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "game/skills.hpp"

namespace {
// The class whose skill Enter picks: the last of W M T H R P that the player holds.
int default_skill_class() {
    int pick = 0;
    for (int c = 1; c <= 6; ++c)
        if (class_bit_set(me(), class_letters[c - 1])) pick = c;
    return pick;
}
}  // namespace

bool use_class_skill(character_record& foe, bool& result) {
    disp_line("");
    for (int c = 1; c <= 6; ++c) {
        std::int16_t pct = me().skill_percent[c - 1];
        if (pct <= 1) continue;
        std::string name(class_name(c));
        disp_line("  `9(`%" + std::string(1, class_letters[c - 1]) + "`9)" + pad_right(name.substr(1), 10) +
                  "`%: " + pad_left(int_to_str(pct), 2) + "%");
    }
    disp_line("");
    disp_text("`9  Use the Skill of which Class? : `%");
    char k = upcase_key(read_key());
    int cls = k == '\r' ? default_skill_class() : class_of_letter(k);
    echo_key(cls ? class_letters[cls - 1] : k);
    if (cls == 0) return false;
    if (!skill_roll(me(), cls)) {
        disp_line("");
        disp_line("  `9You bungled the move, but manage a normal attack.");
        disp_line("");
        return combat_round(foe);
    }
    bool done = false;
    skill_result s = class_skill_menu(me(), cls);
    switch (s.effect) {
    case skill_effect::damage:
        player_hits(foe, s.damage);
        if (foe.hit_points > 0)
            monster_attacks(foe);
        else
            done = true;
        break;
    case skill_effect::nothing: break;
    case skill_effect::escape:
        result = false;
        done = true;
        hit_any_key();
        break;
    case skill_effect::kill:
        // The blow that, after the opponent's shield, takes exactly its hit points: it
        // falls at 0, never left standing at 1 by a rounding.
        hold_shield(foe);
        land_blow(foe, std::max<std::int16_t>(foe.hit_points, 0));
        done = true;
        break;
    case skill_effect::grab_gold: {
        std::int64_t g = nearest(random_real() * foe.gold) + 1;
        if (!is_mob(foe)) g = take_players_gold(foe, g);
        disp_line("  You manage to grab " + comma_number(g) + " gold before you decide to bail.");
        add_gold(me(), g);
        monster_attacks(foe);
        hit_any_key();
        result = false;
        done = true;
        break;
    }
    case skill_effect::slow:
        foe.attack = scaled(foe.attack, 1 / 1.5);
        foe.defense = scaled(foe.defense, 1 / 1.5);
        break;
    case skill_effect::reverse_body: foe.shield_value = scaled(foe.shield_value, 1 / 3.0); break;
    case skill_effect::weaken: foe.attack = scaled(foe.attack, 1 / 3.0); break;
    case skill_effect::crumble: foe.hit_points = scaled(foe.hit_points, 0.15); break;
    }
    add_skill_points(me(), -1);
    return done || test_lost(foe);
}
