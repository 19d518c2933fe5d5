// Class skills: the roll of an attempt and the seventeen skills of the six classes, each
// with its text, what it does to the player at once, and what it asks the fight to do to
// the opponent.
#pragma once
#include <cstdint>

#include "engine/store/records.hpp"

// What a successful skill asks of the fight. The damage travels beside the effect, so no
// damage, however large, can be taken for another effect.
enum class skill_effect : std::int16_t {
    damage = 0,         // deal skill_result::damage, then the opponent strikes back if it stands
    nothing = -1,       // the skill healed the player
    escape = -2,        // the fight ends without a win
    kill = -3,          // the opponent falls (with the rewards of a win)
    grab_gold = -4,     // some of the opponent's gold, one more blow, and away
    slow = -5,          // the opponent's attack and defense / 1.5
    reverse_body = -6,  // the opponent's shield value / 3
    weaken = -7,        // the opponent's attack / 3
    crumble = -8,       // the opponent's hit points to 15 percent
};

struct skill_result {
    skill_effect effect = skill_effect::nothing;
    std::int32_t damage = 0;
};

// Class numbers 1-6 and their letters in class order.
constexpr const char* class_letters = "WMTHRP";
// The class number of a letter W M T H R P (either case); 0 for any other.
int class_of_letter(char letter);

// Reseeds, then succeeds when Random(100) + 1 - luck is at most the skill percentage of the
// class (1-6). False for any other class.
bool skill_roll(const character_record& who, int class_number);

// The skill menu of the class (the Warrior has none), the chosen skill's text and its effect
// on the player; the result tells the fight the rest. Keys are read until an offered skill's
// key comes. A class outside 1-6 shows nothing and asks nothing.
skill_result class_skill_menu(character_record& who, int class_number);

// The damage of a skill with multiplier k: nearest(attack x k) + nearest(r x (attack - 1) + 1).
std::int32_t skill_damage(const character_record& who, double k);
