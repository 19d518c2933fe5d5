// Puts the message queues and the mail in place: the orderly exit's LEAVEREALM and the town
// square's ENTERREALM messages, the queue check of the menu loops and of the script
// interpreter, and the square's mail keys and polls go through them from then on. The
// game's main calls it once, after install_game.
#pragma once

void install_multi();
