// What a game of many years costs: a new character among 30,000, the daily maintenance with
// 10,000 characters marked online (and with 1,600 sections in "mainflag.dat"), reading a
// mailbox of 800 bank notices, reading back 3,200 flags, and a log-on to the town square
// among 10,000 characters. Each case runs in a child of its own, in a fresh game directory;
// times are the case's own cost: wall time less the pauses the game asks for.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/bench_support.hpp"
#include "bench/scratch_dir.hpp"
#include "door/door.hpp"
#include "door/sys.hpp"
#include "engine/rules/maintenance.hpp"
#include "engine/script/items_init.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_init.hpp"
#include "game/entry.hpp"
#include "game/game_init.hpp"
#include "game/hooks.hpp"
#include "game/new_char.hpp"
#include "multi/mail.hpp"
#include "multi/multi_init.hpp"

namespace {
using clock_type = std::chrono::steady_clock;

// Real pauses, counted, so that they can be taken off the wall time; a case whose pauses
// would only make it long counts them without sleeping.
struct counted_pauses : system_seam {
    long slept_ms = 0;
    bool real = true;
    counted_pauses() { set_sys(this); }
    void sleep_ms(int ms) override {
        if (!real) return;
        slept_ms += ms;
        system_seam::sleep_ms(ms);
    }
};

character_record bench_char(int n, bool online) {
    character_record c;
    c.number = static_cast<std::int16_t>(n);
    c.name = "PLAYER" + std::to_string(n);
    c.real_name = "CALLER NUMBER " + std::to_string(n);
    c.gold = n * 3;
    c.bank_gold = 1000 + n;
    c.level = 1 + n % 20;
    c.hit_points = c.max_hit_points = 20;
    c.luck = 1;
    c.last_day = 5;
    c.online = online ? 1 : 0;
    c.location = "tTown Square";
    return c;
}

void players_file(int count, bool online) {
    std::vector<character_record> recs;
    for (int i = 1; i <= count; ++i) recs.push_back(bench_char(i, online));
    write_record_file<character_record>(players_file_name, recs);
}

void stat_file(const char* last_maint) {
    create_stat_file(game_stats);
    game_stats.day = 5;
    game_stats.last_maint_date = last_maint;
    rewrite_file(stat_file_name, encode_record(game_stats));
}

// Bytes the process wrote to files: every write, less what went to standard output.
long file_bytes_written(const std::string& out_file) {
    std::ifstream out(out_file, std::ios::ate | std::ios::binary);
    return bench::counter("/proc/self/io", "wchar:") - static_cast<long>(out.tellg());
}

// Runs the case in a child in a fresh game directory (a copy of the default data when
// with_data); the case prints its own line.
void run_case(const char* title, bool with_data,
              const std::function<void(counted_pauses&, clock_type::time_point&)>& prepare,
              const std::function<std::string(counted_pauses&, clock_type::time_point)>& measured) {
    std::string dir = bench::make_scratch_dir("qvscale");
    if (dir.empty()) return;
    if (with_data) std::system((std::string("cp -r ") + QV_SOURCE_DIR + "/data/. " + dir).c_str());
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(1);
        std::string out = dir + "/.screen";
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int keep = dup(1);
        dup2(fd, 1);
        counted_pauses pauses;
        clock_type::time_point t;
        prepare(pauses, t);
        std::string line = measured(pauses, t);
        std::fflush(stdout);
        dup2(keep, 1);
        std::printf("  %-46s %s\n", title, line.c_str());
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf("  %-46s FAILED (%d)\n", title, status);
    std::system((std::string("rm -rf ") + dir).c_str());
}

double cpu_ms() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    auto ms = [](const timeval& v) { return v.tv_sec * 1000.0 + v.tv_usec / 1000.0; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}
double cpu_at_start = 0;

// Wall time less the pauses, and processor time (the machine may be busy with others' work).
std::string own_ms(counted_pauses& p, clock_type::time_point t) {
    double wall = std::chrono::duration<double, std::milli>(clock_type::now() - t).count();
    char buf[128];
    std::snprintf(buf, sizeof buf, "%8.1f ms own, %8.1f ms cpu (%ld ms of pauses)", wall - p.slept_ms,
                  cpu_ms() - cpu_at_start, p.slept_ms);
    return buf;
}

void start(counted_pauses& p, clock_type::time_point& t) {
    p.slept_ms = 0;
    cpu_at_start = cpu_ms();
    t = clock_type::now();
}

void new_character_case(int count) {
    run_case(("new character among " + std::to_string(count)).c_str(), false,
             [count](counted_pauses& p, clock_type::time_point& t) {
                 bench::game_setup();
                 players_file(count, false);
                 read_char_file();
                 start(p, t);
             },
             [](counted_pauses& p, clock_type::time_point t) {
                 character_record rec = new_character_record("NEWCOMER", 1, 1);
                 save_new_character(rec);
                 auto letters = clock_type::now();
                 tell_fellow_students(*cur_char);
                 char buf[64];
                 std::snprintf(buf, sizeof buf, " (letters %.1f ms)",
                               std::chrono::duration<double, std::milli>(clock_type::now() - letters).count());
                 return own_ms(p, t) + buf;
             });
}

void maintenance_case(int count, bool online, int flag_sections) {
    std::string title = "maintenance, " + std::to_string(count) + (online ? " online" : " offline");
    if (flag_sections) title += ", " + std::to_string(flag_sections) + " flag sections";
    run_case(
        title.c_str(), false,
        [=](counted_pauses& p, clock_type::time_point& t) {
            bench::game_setup();
            stat_file("20000101");
            players_file(count, online);
            std::string flags = "@#FLAGS\n";
            for (int s = 0; s < flag_sections; ++s)
                flags += "@#QUEST" + std::to_string(s) + "\nSTEP 3 1\nDONE TRUE 2\nGONE -1 -1\n";
            flags += "@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n";
            rewrite_file(main_flag_file_name, flags);
            start(p, t);
        },
        [](counted_pauses& p, clock_type::time_point t) {
            auto_maintenance();
            return own_ms(p, t);
        });
}

void mail_case(int messages) {
    run_case(
        (std::to_string(messages) + " bank notices read").c_str(), false,
        [messages](counted_pauses& p, clock_type::time_point& t) {
            bench::game_setup();
            stat_file("20991231");
            players_file(2, false);
            read_char_file();
            cur_char = char_num_ptr(1);
            std::string box;
            for (int m = 0; m < messages; ++m)
                box +=
                    "#0000 `%Bank Notice.\nYour account has earned interest!\n60 has been added to your account.\n~\n"
                    "ADD BNK 60\nREFRESH\n";
            rewrite_file(mailbox_file_name(1), box);
            bench::type_ahead(std::string(messages + 10, 'x'));
            p.real = false;  // a hold check for every deposit
            start(p, t);
        },
        [](counted_pauses& p, clock_type::time_point t) {
            long before = file_bytes_written(".screen");
            read_mail();
            long written = file_bytes_written(".screen") - before;
            char buf[64];
            std::snprintf(buf, sizeof buf, ", %.2f MB written", written / 1e6);
            return own_ms(p, t) + buf + ", bank " + std::to_string(cur_char->bank_gold);
        });
}

void flags_case(int flags) {
    run_case(
        ("read back " + std::to_string(flags) + " flags").c_str(), false,
        [flags](counted_pauses& p, clock_type::time_point& t) {
            bench::game_setup();
            std::string image = "@#FLAGS\n";
            for (int f = 0; f < flags; ++f) image += "FLAG" + std::to_string(f) + " " + std::to_string(f) + " 2\n";
            image += "@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n";
            rewrite_file(flag_file_name(1), image);
            start(p, t);
        },
        [flags](counted_pauses& p, clock_type::time_point t) {
            long wrong = 0;
            for (int f = 0; f < flags; ++f)
                if (return_flag("FLAG" + std::to_string(f), flag_file_name(1), flags_section_name) != std::to_string(f))
                    ++wrong;
            return own_ms(p, t) + (wrong ? ", " + std::to_string(wrong) + " WRONG" : std::string());
        });
}

void log_on_case(int count) {
    run_case(("log-on to the square among " + std::to_string(count)).c_str(), true,
             [count](counted_pauses& p, clock_type::time_point& t) {
                 {
                     // The files are made by a child, so that the measured process holds
                     // only what the game itself allocates.
                     pid_t maker = fork();
                     if (maker == 0) {
                         stat_file("20991231");
                         players_file(count, false);
                         _exit(0);
                     }
                     waitpid(maker, nullptr, 0);
                 }
                 bench::game_setup();
                 user_first_name = "CALLER";
                 user_last_name = "NUMBER " + std::to_string(count / 2);
                 // Through the entry menu and the day's report into the square, then out.
                 bench::type_ahead("xExxxxxxxxLY");
                 start(p, t);
             },
             [](counted_pauses& p, clock_type::time_point t) {
                 long base = bench::counter("/proc/self/status", "VmHWM:");
                 read_stat_file(game_stats);
                 game_hooks.update_item_data();
                 read_char_file();
                 read_guild_file();
                 read_standard_flags();
                 enter_realm();
                 std::string r = own_ms(p, t);
                 long hwm = bench::counter("/proc/self/status", "VmHWM:");
                 // The program's code and libraries (file pages) are shared by every node; the
                 // node's own memory is the anonymous part.
                 long own = bench::counter("/proc/self/status", "RssAnon:");
                 char buf[128];
                 std::snprintf(buf, sizeof buf, ", peak memory %.1f MB (%.1f MB before the log-on; own %.1f MB after)",
                               hwm / 1024.0, base / 1024.0, own / 1024.0);
                 return r + buf;
             });
}
}  // namespace

int main(int argc, char** argv) {
    // A case's number alone runs only that case (for a profiler).
    int only = argc > 1 ? std::atoi(argv[1]) : 0;
    int n = 0;
    auto want = [&] { return only == 0 || ++n == only; };
    std::printf("A game of many years:\n");
    if (want()) new_character_case(10000);
    if (want()) new_character_case(30000);
    if (want()) maintenance_case(10000, false, 0);
    if (want()) maintenance_case(10000, true, 0);
    if (want()) maintenance_case(200, false, 1600);
    if (want()) mail_case(800);
    if (want()) flags_case(3200);
    if (want()) log_on_case(10000);
    return 0;
}
