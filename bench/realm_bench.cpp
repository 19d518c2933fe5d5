// What a realm that has grown costs a caller: leaving the game among 10,000 and 30,000
// characters (with and without 1,000 and 3,000 guilds), the guild rankings screen, a news
// item added to a day of 10,000 items and a post added to a board of 10,000 posts.
//
// Leaving is measured from outside: the parent takes the child's whole processor time and
// page faults from wait4 and subtracts what the child had used when it called end_prog, so
// the figure holds everything the exit does, the freeing of the lists included. Least of 5.
//
// Side by side with an earlier build: build this same file there (copy it into that tree's
// bench/ and `make bench`) and name the binary in QV_EARLIER; each case then prints the
// earlier build's figure below its own.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/bench_support.hpp"
#include "bench/scratch_dir.hpp"
#include "door/door.hpp"
#include "door/sys.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/news_file.hpp"
#include "engine/store/record_file.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "multi/boards.hpp"
#include "multi/news.hpp"

namespace {
// No pauses: nothing here waits on another node.
struct no_pauses : system_seam {
    no_pauses() { set_sys(this); }
    void sleep_ms(int) override {}
};

struct figures {
    double cpu_ms = 0;
    long faults = 0;
    long written = 0;
};

double cpu_ms_of(const rusage& u) {
    auto ms = [](const timeval& v) { return v.tv_sec * 1000.0 + v.tv_usec / 1000.0; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

figures figures_now() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return {cpu_ms_of(u), u.ru_minflt, bench::counter("/proc/self/io", "wchar:")};
}

// The realm's files: count characters, guilds guilds with the characters spread over them.
void make_realm(int count, int guilds) {
    std::vector<character_record> chars;
    for (int n = 1; n <= count; ++n) {
        character_record c = bench::realm_character(n);
        c.experience = 1000 + n * 37 % 100000;
        c.class_bits = static_cast<std::int16_t>(1 << (n % 6));
        c.guild = static_cast<std::int16_t>(guilds ? 1 + n % guilds : 0);
        chars.push_back(c);
    }
    write_record_file<character_record>(players_file_name, chars);
    std::vector<guild_record> list;
    for (int g = 1; g <= guilds; ++g) {
        guild_record r;
        r.number = static_cast<std::int16_t>(g);
        r.name = "Guild " + std::to_string(g);
        r.leader = static_cast<std::int16_t>(g);
        r.has_hall = g % 2;
        list.push_back(r);
    }
    write_record_file<guild_record>(guilds_file_name, list);
    bench::realm_stat_file();
}

std::string fresh_dir() {
    std::string dir = bench::make_scratch_dir("qvrealm");
    if (dir.empty()) std::exit(1);
    return dir;
}

void remove_dir(const std::string& dir) { std::system(("rm -rf " + dir).c_str()); }

// Runs body in a child in dir with standard output to a file; the child's figures come back
// through a pipe. False when the child failed.
bool in_child(const std::string& dir, const std::function<void(int report_fd)>& body, figures* whole = nullptr,
              std::string* report = nullptr) {
    int p[2];
    if (pipe(p) != 0) return false;
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        close(p[0]);
        if (chdir(dir.c_str()) != 0) _exit(1);
        int fd = open(".screen", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        close(fd);
        body(p[1]);
        _exit(0);
    }
    close(p[1]);
    std::string got;
    char buf[512];
    for (ssize_t n; (n = read(p[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<std::size_t>(n));
    close(p[0]);
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    if (whole) *whole = {cpu_ms_of(u), u.ru_minflt, 0};
    if (report) *report = got;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void send(int fd, const std::string& text) {
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) _exit(3);
}

int report_fd_at_exit = -1;
long wchar_at_start = 0;

// Runs body in a child in a fresh game directory (with the realm's files when count is not
// 0), set up as the game is; body sends its figures through the descriptor it is given.
bool in_realm(int count, int guilds, const std::function<void(int fd)>& body, std::string& report,
              figures* whole = nullptr) {
    std::string dir = fresh_dir();
    if (count) in_child(dir, [&](int) { make_realm(count, guilds); });
    bool ok = in_child(
        dir,
        [&](int fd) {
            no_pauses pauses;
            bench::game_setup();
            body(fd);
        },
        whole, &report);
    remove_dir(dir);
    return ok;
}

// Leaving the game: the playing character saved, the statistics and the ranking files
// written, through the orderly exit with code 0.
figures leave_once(int count, int guilds) {
    figures whole{};
    std::string report;
    bool ok = in_realm(
        count, guilds,
        [&](int fd) {
            read_stat_file(game_stats);
            read_char_file();
            read_guild_file();
            cur_char = char_num_ptr(static_cast<std::int16_t>(count / 2));
            cur_char->online = 1;
            figures start = figures_now();
            wchar_at_start = start.written;
            report_fd_at_exit = fd;
            send(fd, std::to_string(start.cpu_ms) + " " + std::to_string(start.faults) + " ");
            std::atexit([] {
                send(report_fd_at_exit, std::to_string(bench::counter("/proc/self/io", "wchar:") - wchar_at_start));
            });
            end_prog(0);
        },
        report, &whole);
    if (!ok) return {-1, -1, -1};
    figures start{};
    std::sscanf(report.c_str(), "%lf %ld %ld", &start.cpu_ms, &start.faults, &start.written);
    return {whole.cpu_ms - start.cpu_ms, whole.faults - start.faults, start.written};
}

figures least_of_5(const std::function<figures()>& run) {
    figures best{1e18, 0, 0};
    for (int i = 0; i < 5; ++i) {
        figures f = run();
        if (f.cpu_ms < 0) return f;
        if (f.cpu_ms < best.cpu_ms) best = f;
    }
    return best;
}

std::string leave_line(const figures& f) {
    if (f.cpu_ms < 0) return "FAILED";
    char buf[160];
    std::snprintf(buf, sizeof buf, "%7.1f ms cpu, %5ld page faults, %.2f MB written", f.cpu_ms, f.faults,
                  f.written / 1e6);
    return buf;
}

// A case that reports a line: what body returns.
std::string reported(int count, int guilds, const std::function<std::string()>& body) {
    std::string report;
    return in_realm(
               count, guilds, [&](int fd) { send(fd, body()); }, report)
               ? report
               : "FAILED";
}

// The guild rankings screen, least of 5, with the lists loaded.
std::string rankings_screen(int count, int guilds) {
    return reported(count, guilds, [] {
        read_char_file();
        read_guild_file();
        double best = 1e18;
        for (int i = 0; i < 5; ++i) {
            double t = figures_now().cpu_ms;
            guild_rankings(ranks_show);
            best = std::min(best, figures_now().cpu_ms - t);
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, "%7.1f ms cpu", best);
        return std::string(buf);
    });
}

long file_size(const char* name) {
    struct stat st;
    return stat(name, &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// Bytes written by add (the screen's output taken off), beside the file's size after it.
std::string bytes_of_one(const std::function<void()>& prepare, const std::function<void()>& add, const char* file) {
    return reported(0, 0, [&] {
        prepare();
        long screen = file_size(".screen");
        long before = bench::counter("/proc/self/io", "wchar:");
        double t = figures_now().cpu_ms;
        add();
        double cpu = figures_now().cpu_ms - t;
        flush_output();
        long written = bench::counter("/proc/self/io", "wchar:") - before - (file_size(".screen") - screen);
        char buf[160];
        std::snprintf(buf, sizeof buf, "%9ld bytes written (file %ld bytes), %6.2f ms cpu", written, file_size(file),
                      cpu);
        return std::string(buf);
    });
}

std::string news_item(int items) {
    return bytes_of_one(
        [items] {
            std::string day = news_header();
            for (int i = 0; i < items; ++i)
                day += "`3Player42 slew the dragon of the mountain with a rusty spoon.\n" +
                       std::string(news_short_divider) + "\n";
            rewrite_file(news_file_name(0), day);
        },
        [] {
            text_list item;
            add_desc_line("Player43 fell in the forest.", item);
            add_news(item);
        },
        "news0.dat");
}

std::string board_post(int posts, int limit) {
    return bytes_of_one(
        [posts, limit] {
            std::string board;
            for (int n = 1; n <= posts; ++n)
                board += "@#" + std::to_string(n) + "\nPlayer" + std::to_string(n) +
                         "\nMon Jan  1 12:00:00 2099\nA subject of some length\n  The first line of the post.\n"
                         "  And a second one.\n";
            rewrite_file("tavern.msg", board);
            max_board_messages = limit;
            character_record c;
            c.number = 1;
            c.name = "POSTER";
            char_list.push_back(c);
            cur_char = &char_list.back();
            bench::type_ahead("Subject\rA line\r\rx");
        },
        [] { enter_post("tavern.msg"); }, "tavern.msg");
}

// The earlier build's line for the case, when QV_EARLIER names its binary.
void earlier(int n) {
    const char* other = std::getenv("QV_EARLIER");
    if (!other || !*other) return;
    std::string cmd = "env -u QV_EARLIER " + std::string(other) + " " + std::to_string(n) + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return;
    char buf[512];
    std::string out;
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    // Its second line is the case's: the figures start after the title's column.
    std::size_t line = out.find('\n');
    std::string last = line == std::string::npos ? std::string() : out.substr(line + 1);
    while (!last.empty() && last.back() == '\n') last.pop_back();
    std::printf("  %-44s %s\n", "  (earlier build)", last.size() > 47 ? last.c_str() + 47 : "-");
}
}  // namespace

int main(int argc, char** argv) {
    // A case's number alone runs only that case (for a profiler, and for the side by side).
    int only = argc > 1 ? std::atoi(argv[1]) : 0;
    int n = 0;
    auto run = [&](const std::string& title, const std::function<std::string()>& body) {
        ++n;
        if (only != 0 && n != only) return;
        std::printf("  %-44s %s\n", title.c_str(), body().c_str());
        std::fflush(stdout);
        if (only == 0) earlier(n);
    };
    std::printf("A realm that has grown:\n");
    run("leaving among 10,000", [] { return leave_line(least_of_5([] { return leave_once(10000, 0); })); });
    run("leaving among 30,000", [] { return leave_line(least_of_5([] { return leave_once(30000, 0); })); });
    run("leaving among 10,000, 1,000 guilds",
        [] { return leave_line(least_of_5([] { return leave_once(10000, 1000); })); });
    run("leaving among 10,000, 3,000 guilds",
        [] { return leave_line(least_of_5([] { return leave_once(10000, 3000); })); });
    run("guild rankings, 1,000 guilds among 10,000", [] { return rankings_screen(10000, 1000); });
    run("guild rankings, 3,000 guilds among 10,000", [] { return rankings_screen(10000, 3000); });
    run("a news item to 10,000 items", [] { return news_item(10000); });
    run("a post to a board of 10,000 posts", [] { return board_post(10000, 20000); });
    run("a post to a full board of 14 posts", [] { return board_post(14, 14); });
    return 0;
}
