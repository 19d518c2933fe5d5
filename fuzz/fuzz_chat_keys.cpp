// Any bytes as the keys a caller types in the chat room, with Anna and Bob in the room and
// Carl in the square: every line and command is handled without a crash, and every line that
// lands in a queue is one line of printable text. Anna's own queue (her echo) is then
// dispatched by the room.
#include <cstdint>
#include <string>

#include "engine/store/file_access.hpp"
#include "engine/text/lookups.hpp"
#include "fuzz/multi_fuzz.hpp"
#include "multi/chat.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::multi_run run(data, size);
    for (const char* name : {"node0001.msg", "node0002.msg", "node0003.msg", "flag0001.dat"}) erase_file(name);
    if (!atomic_rewrite("quortext.dat", "@#chat_help\n`3Help\n@#\n")) std::abort();
    for (std::int16_t n : {1, 2}) char_num_ptr(n)->location = chat_room_location;
    write_char_file(false);
    chat_state room;
    for (char k : run.bytes)
        if (chat_key(room, k)) {
            std::string line = std::move(room.line);
            room.line.clear();
            chat_line(room, line);
        }
    if (room.line.size() > chat_line_capacity) std::abort();
    for (const char* name : {"node0001.msg", "node0002.msg", "node0003.msg"}) fuzzing::check_queue(name);
    for (int n = 0; n < 20 && node_msg_waiting(); ++n) chat_message(room);
    erase_file("olmess.txt");
    return 0;
}
