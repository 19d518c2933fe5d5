// The one orderly exit of the game and the game's exit procedure.
//
// Exit codes: 0 normal end, 2 "quorstat.dat" corrupt, 3 "players.dat" or an inventory
// corrupt or "players.dat" gone, 4 an equipment file missing or corrupt, 5 a file stuck open
// or a failed rewrite, 6 "quorstat.dat" stuck, 8 "players.dat" stuck, 9/10/11 "weapons.dat",
// "armors.dat", "shields.dat" stuck, 12 a critical file missing, 13 the hold held too long,
// 19 "guilds.dat" corrupt, 20 the item registry unreadable; 254 asks the start script to
// run an external module.
#pragma once
#include <cstdint>

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

// The orderly exit: releases this node's hold, saves what the code allows (the playing
// character offline with a refresh unless 3, 8 or 13; the statistics unless 2, 6 or 13; the
// rankings unless 13, from memory), tells the other online players LEAVEREALM unless 13,
// logs, and halts with the code. Called again while it runs (a save failed), it skips the
// saves and halts at once with the new code.
[[noreturn]] void end_prog(int code);

// True once the orderly exit has started or the program halts.
bool program_ending();

// The game's exit procedure: runs at every end of the program (after the door kit's own
// exit procedure) and writes the report and the saves of its exit code. On carrier loss it
// saves the playing character as for code 14 (offline, with refresh, guilds written) and
// tells the other online players; the exit status stays 0.
void exit_handler();

// Chains exit_handler into the halt chain and sets up the release of the hold on fatal
// signals and on the stop signals (hang-up, terminate, interrupt, quit) until the door kit
// takes over hang-up and terminate. The game's main calls it first, before door_init, so that the door kit's exit
// procedure runs before it.
void install_exit_handler();
