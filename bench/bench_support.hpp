// What the benchmarks share: the game set up as it starts, keys typed ahead, and the
// kernel's counters of the process.
#pragma once
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "door/door.hpp"
#include "engine/script/items_init.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/records.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/text_init.hpp"
#include "game/game_init.hpp"
#include "multi/multi_init.hpp"

namespace bench {
// The game's units wired as the game wires them, for an ASCII caller.
inline void game_setup() {
    engine_text_init();
    engine_items_init();
    engine_scripts_init();
    game_init();
    install_multi();
    graphics_mode = 1;
    set_default_tunables();
}

// Character n of a realm: "PLAYER<n>" of the caller "CALLER NUMBER <n>", level 1 to 20.
inline character_record realm_character(int n) {
    character_record c;
    c.number = static_cast<std::int16_t>(n);
    c.name = "PLAYER" + std::to_string(n);
    c.real_name = "CALLER NUMBER " + std::to_string(n);
    c.level = static_cast<std::int16_t>(1 + n % 20);
    c.hit_points = c.max_hit_points = 20;
    c.location = "tTown Square";
    return c;
}

// "quorstat.dat" of a game on day 5 whose maintenance has run.
inline void realm_stat_file() {
    stat_record s;
    create_stat_file(s);
    s.day = 5;
    s.last_maint_date = "20991231";
    rewrite_file(stat_file_name, encode_record(s));
}

// count characters who last played the day before, in a game on day 5; local_names gives
// them the names a local log-on makes of "CALLER NUMBER<n>" (it drops the blanks in the
// last name).
inline void realm_of_yesterday(int count, bool local_names = false) {
    std::vector<character_record> recs;
    for (int n = 1; n <= count; ++n) {
        character_record c = realm_character(n);
        c.created_time = 900000000 + n;
        c.gold = n * 3;
        c.bank_gold = 1000 + n;
        c.experience = 1000 + n;
        c.last_day = 4;
        if (local_names) c.real_name = "CALLER NUMBER" + std::to_string(n);
        recs.push_back(c);
    }
    write_record_file<character_record>(players_file_name, recs);
    realm_stat_file();
}

// A fresh directory under TMPDIR (else /tmp) named after stem; empty when none could be made.
inline std::string scratch_dir(const std::string& stem) {
    const char* base = std::getenv("TMPDIR");
    std::string dir = std::string(base && *base ? base : "/tmp") + "/" + stem + ".XXXXXX";
    std::vector<char> tmpl(dir.begin(), dir.end());
    tmpl.push_back('\0');
    return mkdtemp(tmpl.data()) ? std::string(tmpl.data()) : std::string();
}

// A scratch directory holding realm_of_yesterday(count, local_names), with the game's default
// data beside it when with_data is set. The realm is made in a child of its own, so that the
// caller's processor time holds none of it. Empty when it could not be made.
inline std::string realm_dir(const std::string& stem, int count, bool with_data, bool local_names = false) {
    std::string dir = scratch_dir(stem);
    if (dir.empty()) return dir;
    if (with_data) std::system(("cp -r " + std::string(QV_SOURCE_DIR) + "/data/. " + dir).c_str());
    std::fflush(stdout);
    pid_t maker = fork();
    if (maker == 0) {
        if (chdir(dir.c_str()) != 0) _exit(1);
        realm_of_yesterday(count, local_names);
        _exit(0);
    }
    int status = 0;
    waitpid(maker, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? dir : std::string();
}

// Keys waiting on standard input, as a caller who types ahead.
inline void type_ahead(const std::string& keys) {
    int p[2];
    if (pipe(p) != 0) _exit(90);
    fcntl(p[1], F_SETPIPE_SZ, 1 << 20);
    if (write(p[1], keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) _exit(91);
    close(p[1]);
    dup2(p[0], 0);
    close(p[0]);
}

// The number after key in a /proc file of "key value" words; -1 when it is not there.
inline long counter(const char* file, const char* key) {
    std::ifstream in(file);
    std::string k;
    long v = 0;
    while (in >> k)
        if (k == key && in >> v) return v;
    return -1;
}
}  // namespace bench
