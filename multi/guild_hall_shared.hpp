// What the hall's menu, its treasury and its guardian share: the hall as "guilds.dat" stands
// now, who leads it and who belongs to it, and the one deal that moves goods between the
// guild's record and the playing character under the hold.
#pragma once
#include <cstdint>
#include <functional>

#include "engine/store/records.hpp"

inline constexpr const char* hall_long_rule =
    "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
inline constexpr const char* nothing_done = "`9  Nothing `4DONE`9.";

// The hall of the guild as "guilds.dat" stands now; null when the guild or its hall is gone.
const guild_record* fresh_hall(std::int16_t guild);
// The playing character leads the guild, which has a hall.
bool leads(const guild_record& g);
// As this node last merged "players.dat": a kick reaches the member at its next refresh.
bool member_of(const guild_record& g);
// Under one hold, on fresh reads of both files: deal decides and changes the guild's record
// and the playing character (false: nothing is written). Then both are written, the giving
// side first. False when the guild is gone or deal refused.
bool guild_deal(std::int16_t guild, bool character_gives, const std::function<bool(guild_record&)>& deal);
