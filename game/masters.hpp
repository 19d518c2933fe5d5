// The masters' house: where a character takes its master's test to rise a level, is
// punished for shaming its master, hears who its fellow students are, and changes its area
// of study (mastering the classes it leaves above 95 percent). Every character's master is
// the name alias_name gives it; characters with the same master are fellow students.
#pragma once
#include <cstdint>

#include "engine/rules/creatures.hpp"

// The house's location text and its section of "quortext.dat"; the conversation's section.
constexpr const char* masters_location = "bMasters House";
constexpr const char* masters_section = "masters";
constexpr const char* converse_section = "converse";

// The highest level; no test is offered at it.
constexpr std::int16_t top_level = 20;

// The experience the test at the level needs more than: 100 x 2^level, formed in 64 bits
// (a level below 0 counts as 0, one above 40 as 40), so no level wraps or reads as ready.
std::int64_t test_need(std::int16_t level);

// The master's test monster for a player of the level, before the difficulty multiplier.
monster_record master_test_monster(std::int16_t level);

// The house's menu loop (town square key M).
void masters_house();

// The test (key P): the avoidance, the experience still needed, the highest level, or the
// fight against the test monster with the rise of a level when it is won.
void level_test();

// The rise from the playing character's level to the next: the news, the gains, the lines.
void advance_level();

// The talk with the master (key C): the avoidance, the shame punishment, or the
// conversation's menu.
void converse_master();

// The choice of a new class, mastering the old ones above 95 percent.
void change_study();

// Installs the house into the town's table of places.
void game_masters_init();
