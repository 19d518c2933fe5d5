#include "engine/player_files.hpp"

#include "engine/file_access.hpp"
#include "engine/flags.hpp"
#include "engine/strings.hpp"
#include "engine/text_file.hpp"

std::string queue_file_name(std::int16_t number) { return "node" + zero_pad(number, 4) + ".msg"; }

void clear_leftover_files(std::int16_t number) {
    erase_file(flag_file_name(number));
    erase_file(mailbox_file_name(number));
    erase_file("user" + zero_pad(number, 4) + ".tmp");
    erase_file(queue_file_name(number));
}
