// Chance as the rules draw it: the creatures met, the day's draws, the scripts' RANDOM.
#pragma once

// A random real in [0, 1) from the game's random generator (door/sys.hpp).
double random_real();
