// The travelling sage: the wagon that a random encounter of the realms leads into, once a
// game day. The sage tells lore, shows another player's statistics, and for 4 gems raises a
// class's skill percentage (4 points in a class of the character, 2 in any other).
#pragma once
#include <cstdint>

#include "engine/store/records.hpp"

// The highest skill percentage the sage teaches to: the same ceiling the masters keep at a
// level rise, so a change of study (level = percentage / 5) stays within levels 1 to 20.
constexpr std::int16_t sage_percent_cap = 99;

// The whole visit, from the wagon's text to the two closing lines; sets status bit 10
// (met the traveller).
void ancient_sage();

// The sage's look-up screen of another character (key S).
void sage_lookup_screen(const character_record& who);
