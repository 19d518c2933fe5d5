// The Forest of Wolves, the first realm outside town: searches for creatures of the player's
// level, the special events a search may turn into, and the hidden word that leads to a
// trivia question once a game day (the bank's, see steal_from_bank). Also the travel
// encounters that the other realms and the scripts share (`random_encounter`).
#pragma once
#include <cstdint>
#include <string_view>

#include "engine/rules/creatures.hpp"
#include "engine/text/text_file.hpp"
#include "game/realm.hpp"

// The forest's location text, the section of "quortext.dat" and the ANSI picture.
constexpr const char* forest_location = "fForest of Wolves";
constexpr const char* forest_section = "forest";
constexpr const char* forest_ansi_section = "forest_ansi_1";
constexpr const char* forest_creature_file = "forest.dat";

// The hidden word of the forest.
constexpr std::string_view forest_hidden_word = "BRAMX";

// Runs the forest until the player goes back to town (sub_location drops below 3). Ends the
// program through the orderly exit when "forest.dat" or "quortext.dat" is missing (code 12),
// and when the player dies in it.
void forest();

// One search (key S): a creature of the player's level from the list, a special event when
// Random(100) + 1 < luck + 20, else the fight. The menu text is shown after a fight unless
// the player is in expert mode.
void forest_search(const creature_list& creatures, const text_list& menu);

// Special event e (1-14) of a search, after its heading; any other e does nothing.
void forest_special_event(int e, const text_list& menu);

// The cave bear of a player of the level, built in place.
monster_record cave_bear(std::int16_t level);

// Travel encounters: 1 the sage's wagon, 2 the golden gem, 3 the leprechaun; 0 draws one of
// the three after reseeding. Any other kind does nothing.
void random_encounter(std::int16_t kind);

// Puts the forest into the town's table of places and random_encounter into the script
// interpreter's SHAREDEVENT command. The game's main calls it after game_combat_init.
void game_forest_init();
