// Any bytes as a player's message queue: the dispatcher takes every message without a crash,
// and every reply it sends is one line of printable text.
#include <cstdint>
#include <string>

#include "engine/file_access.hpp"
#include "engine/strings.hpp"
#include "fuzz/multi_fuzz.hpp"
#include "multi/node_queue.hpp"

namespace {
// A hit of 32000 or more is a death, which ends the program: such hits are made smaller.
std::string without_deaths(const std::string& bytes) {
    std::string out, line;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            line += bytes[i];
            continue;
        }
        if (upcase_str(word_at(line, 1)).find("DAMAGE") != std::string::npos)
            line = word_at(line, 1) + " " + int_to_str(str_to_int(word_at(line, 2)) % 1000) + " " + word_at(line, 3);
        out += line + (i < bytes.size() ? "\n" : "");
        line.clear();
    }
    return out;
}

void check_queue(const char* name) {
    std::string contents;
    if (read_whole_file(name, contents) == file_status::corrupt) std::abort();
    std::size_t length = 0;
    for (char c : contents) {
        if (c == '\n') {
            length = 0;
            continue;
        }
        if (static_cast<unsigned char>(c) < 32 || c == 127 || ++length > node_line_capacity) std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::multi_run run(data, size);
    erase_file("node0002.msg");
    erase_file("node0003.msg");
    if (!atomic_rewrite("node0001.msg", without_deaths(run.bytes))) std::abort();
    for (int n = 0; n < 300 && node_msg_waiting(); ++n) {
        cur_char->hit_points = 32000;
        std::string result = check_node_messages(static_cast<std::int16_t>(n % 3));
        if (result.size() > node_message_capacity) std::abort();
    }
    check_queue("node0002.msg");
    check_queue("node0003.msg");
    erase_file("node0001.msg");
    erase_file("olmess.txt");
    return 0;
}
