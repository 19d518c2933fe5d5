// Puts the item and ranking units in place: the text macros reach the inventory through
// them, the scripts' ITEM, INVENTORY and DISPLAYGAMESTATS reach the registry, the
// inventory menu and the settings screen, and the orderly exit writes the ranking files.
// The game's main calls it at start.
#pragma once

void engine_items_init();
