// Any bytes as a player's message queue: the dispatcher takes every message without a crash,
// and every reply it sends is one line of printable text. Then the same lines wait for an
// online fight against Bob: the wait takes only the fight's lines and always ends.
#include <cstdint>
#include <string>

#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "fuzz/multi_fuzz.hpp"
#include "multi/fight_hooks.hpp"
#include "multi/node_queue.hpp"
#include "multi/player_fight.hpp"

namespace {
// A hit of 32000 or more is a death, which ends the program: such hits are made smaller
// (below `cap`), and at most max_lines lines are kept.
std::string without_deaths(const std::string& bytes, int cap = 1000, std::size_t max_lines = SIZE_MAX) {
    std::string out, line;
    std::size_t lines = 0;
    for (std::size_t i = 0; i <= bytes.size() && lines < max_lines; ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            line += bytes[i];
            continue;
        }
        if (upcase_str(word_at(line, 1)).find("DAMAGE") != std::string::npos)
            line = word_at(line, 1) + " " + int_to_str(str_to_int(word_at(line, 2)) % cap) + " " + word_at(line, 3);
        out += line + (i < bytes.size() ? "\n" : "");
        line.clear();
        ++lines;
    }
    return out;
}

// The wait of an online fight against Bob (number 2) over the input's first 200 lines, with
// hits below 100 so that no one dies, and Bob's run behind them so that the wait ends;
// every line it sends Bob is one line of printable text.
void wait_for_bob(const std::string& bytes) {
    erase_file("node0002.msg");
    std::string lines = without_deaths(bytes, 100, 200);
    if (!atomic_rewrite("node0001.msg", lines + "\nRUN 0 2\n")) std::abort();
    cur_char->hit_points = 32000;
    online_fight_wait("Bob");
    fuzzing::check_queue("node0002.msg");
    erase_file("node0001.msg");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::multi_run run(data, size);
    // The dispatcher's defender bails out at once; the wait is run on its own below.
    set_online_fight_wait_hook(nullptr);
    check_frequency = 1;
    erase_file("node0002.msg");
    erase_file("node0003.msg");
    if (!atomic_rewrite("node0001.msg", without_deaths(run.bytes))) std::abort();
    for (int n = 0; n < 300 && node_msg_waiting(); ++n) {
        cur_char->hit_points = 32000;
        std::string result = check_node_messages(static_cast<std::int16_t>(n % 3));
        if (result.size() > node_message_capacity) std::abort();
    }
    fuzzing::check_queue("node0002.msg");
    fuzzing::check_queue("node0003.msg");
    erase_file("node0001.msg");
    fuzzing::fresh_players();
    wait_for_bob(run.bytes);
    erase_file("olmess.txt");
    return 0;
}
