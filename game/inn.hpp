// The Tall Tallow Inn: a room for the night, where the character sleeps safe while the
// player is away and wakes at the next call; and Louis the innkeeper, who tells who is
// staying and whose keys can be had by a player bold enough to break into a guest's room.
#pragma once
#include <optional>
#include <string_view>

#include "engine/store/records.hpp"

constexpr const char* inn_location = "bTall Tallow Inn";
constexpr const char* inn_section = "tallowinn";
constexpr const char* innkeeper_section = "innkeeper";

// Runs the inn until the player leaves it (sub_location below 2) or takes a room, which ends
// the program through the orderly exit. Needs a playing character.
void inn();

// The talk with Louis, from the inn's T; returns when sub_location falls below 3 (2 back in
// the inn, 1 shown out to the street).
void innkeeper();

// Asleep in a room of the inn: the flag set and nobody playing the character. A caller
// who has just logged in is online while the flag is still set.
bool asleep_at_inn(const character_record& c);

// The guest found again by name in "players.dat", under the hold: a copy of the record when
// the character is still asleep at the inn; nothing when it was deleted, woke up or is
// online. The playing character is saved with it. The hold is free again on return, so the
// copy can be fought.
std::optional<character_record> find_sleeping_guest(std::string_view name);

// Puts the inn and the healers' temple into the town's table of places (the square's I and
// H, the realms' H, a script's HEALER). The game's main calls it after game_init.
void game_inn_init();
