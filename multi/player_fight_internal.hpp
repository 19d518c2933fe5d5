// What the player fight's files share: the turn and the menus (player_fight.cpp), the wait
// for the opponent's lines (fight_wait.cpp) and the spoils of a win (fight_spoils.cpp).
#pragma once
#include <cstdint>
#include <string>

#include "engine/store/records.hpp"
#include "engine/text/node_verbs.hpp"

void send_to(std::int16_t number, const node_line& line);

// An opponent that ended without a word may have won: its node writes this side's death
// before it sends the blow. A death on file stands, and this side dies of it, never flees.
void fall_if_killed();

// The killing blow's end, written whole: in one write under the hold, the loser's fall (as
// its own death writes it) and its experience share and gold to this side; then, still under
// the hold, the blow is queued to the loser, since a hang-up is acted on as the hold ends.
// Whatever ends either node at any moment, the gold lands once and the loser is dead. False,
// and nothing moves, when the loser's node is gone or the loser is dead already.
bool take_spoils(std::int16_t foe_number, const node_line& blow, std::int32_t& gain, std::int32_t& gold);
// The opponent fell and its spoils are taken: the rewards shown, the end of the fight and the news.
void win_over(const std::string& foe_name, std::int16_t foe_number, std::int32_t gain, std::int32_t gold, bool chat);
