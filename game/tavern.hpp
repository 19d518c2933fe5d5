// The Stout Mug, the town square's tavern: the bar, the tavern's two boards, and Shady, who
// sells harm against other players (a beating by hired thugs, a purse emptied, a room at the
// inn left unlocked) and, to a Ranger, a bow.
#pragma once
#include <cstdint>
#include <string_view>

constexpr const char* tavern_location = "bThe Stout Mug";

// Runs the tavern until the player leaves it; a bow asked of Shady is then paid for behind
// the tavern. Needs a playing character.
void tavern();

// What a talk with Shady leaves the tavern to do.
struct shady_result {
    bool bow = false;   // meet him behind the tavern for the bow
    bool room = false;  // a room at the inn was paid for (the break-in has run)
};
// The talk with Shady; marks him seen today, and runs a paid break-in at its end.
shady_result shady_character();

// The price of a beating or a theft (per_level 1000) or a break-in (400): per_level x L x L
// with L the greater of the two levels, in 64 bits, so no level can wrap it.
std::int64_t service_price(std::int64_t per_level, std::int16_t buyer_level, std::int16_t victim_level);

// A paid theft from the named player: the merge, the roll and the system message. False when
// the victim has gone from "players.dat" (nothing is sent).
bool shady_pickpocket(std::string_view victim_name);
// The same without the merge, on the list as it stands: for a theft paid under the hold, whose
// refresh has just read the list.
bool pickpocket_now(std::string_view victim_name);

// Puts the tavern into the town's table of places (the square's T). The game's main calls it
// after game_init.
void game_tavern_init();
