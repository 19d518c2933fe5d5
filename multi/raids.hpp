// Raids on another guild's hall, in stages: the choice of the hall, the fight against its
// guardian, online fights against every member in the hall, then the conquered hall with its
// treasury, board, guardian screen and sleeping quarters, whose sleepers may be attacked.
//
// The raider's location marks the stages for the other nodes: "oRaiding Guild" in the
// guardian fight, "oGuild Hall" inside. Members in the hall hear of the raid through their
// queues (RUCKUS, GUARDDIE, RAIDFLEE) and are fought one at a time (GUILDCOMBAT); a member
// who enters the hall meanwhile asks every raider (GNUMQUERY), and the raider who holds it
// fights again.
#pragma once
#include <cstdint>

#include "engine/rules/creatures.hpp"
#include "engine/store/records.hpp"

// The guild area's R.
void raid_guild_hall();
// The guardian of the guild as a creature.
monster_record guardian_monster(const guild_record& g);
void raid_guardian(std::int16_t guild);
void raid_hall_members(std::int16_t guild);
void raided_guild_hall(std::int16_t guild);
void raid_sleeping_quarters(std::int16_t guild);
// Fights every member in the hall until a pass finds none; true when the raider lost or fled
// one of these fights.
bool call_guild_combat(std::int16_t guild);
