// What the fight's files share: the fight itself (combat.cpp), the class skills used in it
// (combat_skills.cpp), the settlement of a player fought while away (away_victim.cpp) and
// the settlement of the playing character's death (death_settlement.cpp).
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

#include "engine/store/records.hpp"

// A whole-number field times a real factor, rounded, kept within 16 bits.
std::int16_t scaled(std::int16_t v, double factor);

// The opponent's name as stored (proper_name_of gives it proper-cased).
std::string name_of(const character_record& foe);

void subtract_hit_points(character_record& c, std::int64_t damage);

// News lines with their phrase codes filled in.
void news(std::initializer_list<std::string> lines);

// A player opponent's record in char_list after a refresh; null when that player is gone.
character_record* player_record(const character_record& foe);

// The opponent's shield held within 1 and the most a fight allows.
void hold_shield(character_record& foe);
// The player's blow after the opponent's shield: its text, and a win when the opponent falls.
void land_blow(character_record& foe, std::int64_t dealt);

// A master's test leaves a beaten player standing at 0 hit points, and the test is over.
// Against anyone else a player at 0 hit points (back from a failed test) still fights: the
// fight is not over, let alone won, until a blow decides it.
bool test_lost(const character_record& foe);

// U: a class skill. Sets result false when the skill ended the fight without a win; true
// when the fight is over.
bool use_class_skill(character_record& foe, bool& result);

// The end of a fight won over a player who is away, in one write under the hold on a fresh
// read: its death, and its experience share and all its gold in hand to the player, so that
// no kill of this node loses the spoils. False, and nothing moves, when the player is no
// longer as the fight found it. Otherwise the fight's copy takes the experience and gold
// that the stored record held.
bool settle_victim(character_record& foe);
// Gold grabbed from a player who is away comes out of its stored record, at most what it
// holds; a player no longer as the fight found it loses nothing.
std::int64_t take_players_gold(const character_record& foe, std::int64_t wanted);
