#include "engine/rules/player_files.hpp"

#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/text_file.hpp"

std::string queue_file_name(std::int16_t number) { return "node" + zero_pad(number, 4) + ".msg"; }

void clear_leftover_files(std::int16_t number) {
    erase_file(flag_file_name(number));
    erase_file(mailbox_file_name(number));
    erase_file("user" + zero_pad(number, 4) + ".tmp");
    erase_file(queue_file_name(number));
}
