// The healers' temple: hit points restored for gold, at a price per point that grows with
// the level. Reached from the town square, from the realms (key H) and by a script's HEALER;
// wherever it is entered, the character's location goes back as it was when it ends.
#pragma once
#include <cstdint>

#include "engine/store/records.hpp"

constexpr const char* healers_location = "bHealers Temple";
constexpr const char* healers_section = "healers";

// A price per level (a hit point, a room) for the level: level x cost, never below 0, so a
// negative cost in "quorstat.dat" gives nothing away.
std::int32_t price_for_level(std::int16_t level, std::int16_t cost);

// How many of the wanted points the gold pays for at the price: all of them when the price
// is 0, never fewer than 0.
std::int32_t affordable_points(std::int32_t wanted, std::int32_t price, std::int32_t gold);

// Runs the temple until the player leaves or is fully healed. Needs a playing character.
void do_healers();
