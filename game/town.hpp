// The town square, the game's main loop, and the realm choice at its gate.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/rules/player_files.hpp"  // queue_file_name
#include "engine/store/records.hpp"
#include "game/hooks.hpp"

// The square: its entry steps (statistics, news, mail and the arrival told to the other
// nodes unless resuming from an external module), then its menu loop until sub_location
// drops below 1. resume is set on the return from an external module.
void town_square(bool resume);
// The way out to the realms, with the hired thug's ambush first when the player is hunted;
// returns when sub_location drops below 2.
void choose_realm();
// The square's "/" command: a creature of the player's level from "forest.dat" as the
// opponent while "script.scr" runs.
void script_test();

// What a player sees on coming in: the statistics, a key, today's news and waiting mail.
void day_report();

// The thug built from the hunted player's values.
monster_record build_thug(const character_record& c);
// The realm choice's default key for the character: "L" without creature fights left, else
// the key string's 1st to 5th key by level (up to 5, above 5, 10, 15, 20); "L" when the key
// string is too short to hold that key (or holds no visible key there).
char realm_default_key(const character_record& c, std::string_view keys);
// Which of the six realm keys (1 forest ... 6 back to town) the key is, or 0. A key string
// shorter than six keys leaves "L" as the way back to town.
int realm_key_number(std::string_view keys, char key);
