// The files a player number owns besides its record: the message queue, and the erasing of
// what a former character of the number left (a new character takes the number; the
// utility's reset erases every player).
#pragma once
#include <cstdint>
#include <string>

// The player's message queue file: "node" + the player number in four digits + ".msg".
std::string queue_file_name(std::int16_t number);

// Erases what a former character of this number left behind: its flag file, mailbox (and a
// mailbox left half read) and message queue.
void clear_leftover_files(std::int16_t number);
