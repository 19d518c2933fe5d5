// The creatures as the script interpreter reaches them.
#pragma once

// Installs is_mob and the creature-file hooks of the script interpreter (CREATUREFILE,
// DISPLAYCREATURES, MONSTERAVAILABLE, COMBAT EXT).
void engine_creatures_init();
