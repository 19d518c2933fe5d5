// Puts the town in place: every menu's key wait polls as the town's loops do, and a script's
// HEALER command reaches the healers through the town's table of places.
#pragma once

void game_init();

// Puts the valley and the mountain into the town's table of places; install_game calls it
// after game_forest_init.
void game_realms_init();

// Everything the town and the adventure fill at start-up: game_init, the fights, the realms,
// the inn, the shops, the bank, the tavern, the masters, other realms, and the day's
// maintenance, the data upgrade and the timed events that the entry and the square reach
// through the table of places. The game's main calls it once, after install_engine and before
// install_multi.
void install_game();
