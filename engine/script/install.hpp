// Puts the engine's own layers in place at start-up: the texts' colour codes and macros, the
// items and inventories, the scripts and the creatures. The game's main calls it once, before
// the town's and the multi-node play's install functions.
#pragma once

void install_engine();
