// Puts the town in place: every menu's key wait polls as the town's loops do, and a script's
// HEALER command reaches the healers through the town's table of places. The game's main
// calls it after the engine's own inits and before the other parts set their places.
#pragma once

void game_init();
