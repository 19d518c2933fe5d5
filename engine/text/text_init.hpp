// Puts the text layer in place: the engine's own messages and the door kit's section display
// go through the colour codes and macros from then on. The game's main calls it first.
#pragma once

void engine_text_init();
