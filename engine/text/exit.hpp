// The one orderly exit of the game and the game's exit procedure (the exit codes are
// exit_codes.hpp's).
#pragma once
#include <cstdint>
#include <functional>

#include "engine/store/exit_codes.hpp"

// The orderly exit: releases this node's hold, saves what the code allows (the playing
// character offline with a refresh unless 3, 8 or 13; the statistics unless 2, 6 or 13; the
// rankings unless 13, from memory), tells the other online players LEAVEREALM unless 13,
// logs, and halts with the code. Called again while it runs (a save failed), it skips the
// saves and halts at once with the new code.
[[noreturn]] void end_prog(int code);

// True once the orderly exit has started or the program halts.
bool program_ending();
// The code the program is ending with (meaningful while program_ending()).
int ending_code();

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

// A fatal blow that the player's own items may still undo (their death scripts run first):
// until it is settled or undone, the orderly exit and a hang-up settle it before they save,
// so that no exit saves a fallen character standing. settle must fall first of all. The
// fight arms it (player_death, game/death_settlement.cpp); exit.cpp keeps it as the pending
// death.
void arm_death(std::function<void()> settle);
void disarm_death();
// Runs the armed settle, if any, once.
void settle_armed_death();
