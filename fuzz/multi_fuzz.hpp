// Shared set-up of the queue and mailbox fuzz targets: three characters in a scratch game
// directory, the playing one first, and a caller whose keys never run out.
#pragma once
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "door/door.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/text/lookups.hpp"
#include "fuzz/record_fuzz.hpp"
#include "fuzz/scratch_name.hpp"
#include "multi/multi_init.hpp"
#include "multi/node_queue.hpp"

namespace fuzzing {
// Standard output to nowhere; standard input a file of keys that answers every question
// (Y, N, Enter, and blank lines that end every typed text).
inline void multi_setup() {
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    std::string name = scratch_template("qvfuzzkeys");
    int keys = mkstemp(name.data());
    if (keys < 0) std::abort();
    unlink(name.c_str());
    std::string pattern;
    for (int i = 0; i < 1 << 18; ++i) pattern += "YN\r\r";
    if (write(keys, pattern.data(), pattern.size()) != static_cast<ssize_t>(pattern.size())) std::abort();
    dup2(keys, 0);
    graphics_mode = 3;
    install_multi();
}

// The characters as they stand at the start of every input, written to "players.dat".
inline void fresh_players() {
    lseek(0, 0, SEEK_SET);
    del_char_list();
    del_guild_list();
    const char* names[] = {"Anna", "Bob", "Carl"};
    for (int n = 3; n >= 1; --n) {
        character_record c;
        c.number = static_cast<std::int16_t>(n);
        c.name = names[n - 1];
        c.real_name = names[n - 1];
        c.sex = static_cast<std::int16_t>(n);
        c.level = static_cast<std::int16_t>(3 * n);
        c.hit_points = c.max_hit_points = 32000;
        c.attack = c.defense = 20;
        c.gold = 1000;
        c.guild = 1;
        c.online = 1;
        c.location = "tTown Square";
        add_char(c);
    }
    guild_record g;
    g.number = 1;
    g.name = "Fuzzers";
    g.guard_name = "Guard";
    add_guild(g);
    cur_char = char_num_ptr(1);
    write_char_file(false);
    chars_loaded = true;
}
// Every line of the queue (missing or not) is one line of printable text within a queue
// line's capacity.
inline void check_queue(const char* name) {
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

// One input: the scratch directory entered, the characters fresh, and the input's bytes.
struct multi_run {
    scratch_dir scratch;
    std::string bytes;
    multi_run(const std::uint8_t* data, std::size_t size) : bytes(reinterpret_cast<const char*>(data), size) {
        static bool ready = (multi_setup(), true);
        (void)ready;
        fresh_players();
    }
};
}  // namespace fuzzing
