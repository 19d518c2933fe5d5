// Puts the message queues and the mail in place: the orderly exit's LEAVEREALM messages, the
// menu loops' poll, and the script interpreter's queue check go through them from then on.
// The game's main calls it at start.
#pragma once

void multi_init();
