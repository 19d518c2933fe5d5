// The codes the game ends with. Storage names them in what it reports (store_status.hpp);
// the orderly exit (exit.hpp) ends with them.
//
// 0 normal end, 2 "quorstat.dat" corrupt, 3 "players.dat" or an inventory corrupt or
// "players.dat" gone, 4 an equipment file missing or corrupt, 5 a file stuck open or a failed
// rewrite, 6 "quorstat.dat" stuck, 8 "players.dat" stuck, 9/10/11 "weapons.dat",
// "armors.dat", "shields.dat" stuck, 12 a critical file missing, 13 the hold held too long,
// 19 "guilds.dat" corrupt, 20 the item registry unreadable; 254 asks the start script to
// run an external module.
#pragma once

constexpr int exit_normal = 0;
constexpr int exit_stat_corrupt = 2;
constexpr int exit_char_corrupt = 3;
constexpr int exit_equipment_corrupt = 4;
constexpr int exit_file_stuck = 5;
constexpr int exit_stat_stuck = 6;
constexpr int exit_players_stuck = 8;
constexpr int exit_weapons_stuck = 9;
constexpr int exit_armors_stuck = 10;
constexpr int exit_shields_stuck = 11;
constexpr int exit_critical_missing = 12;
constexpr int exit_hold_too_long = 13;
constexpr int exit_guild_corrupt = 19;
constexpr int exit_registry_unreadable = 20;
constexpr int exit_external_module = 254;
