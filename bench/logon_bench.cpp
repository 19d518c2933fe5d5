// What a caller's session costs in "players.dat" as the realm grows: a log-on on a new game
// day, from the start to the town square, and the session's end, from the square's L to the
// end of the process (the square left, the orderly exit), among 10,000, 30,000 and 100,000
// characters. For each: how many times the file is read and written and the bytes, beside
// the file's size, the holds taken, and the processor time (least of 5); beside them the
// floor, a program that reads the file once and rewrites it as the game does (a temporary
// file renamed over it).
//
// The bytes are counted at the system calls: this program's own read and write stand in
// front of the C library's and count what goes to "players.dat" and to the temporary files
// that replace it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/bench_support.hpp"
#include "door/door.hpp"
#include "door/sys.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/record_file.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/hooks.hpp"
#include "game/entry.hpp"
#include "game/hooks.hpp"
#include "game/menu.hpp"

namespace {
struct tally {
    long reads = 0, read_bytes = 0, writes = 0, written_bytes = 0, holds = 0;
    double cpu_ms = 0;
};

bool counting = false;
tally now_tally;  // from the start of the log-on
tally at_square;  // when the square reads its first command key (L)
bool square_reached = false;
int report_fd = -1;

double cpu_ms() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    auto ms = [](const timeval& v) { return v.tv_sec * 1000.0 + v.tv_usec / 1000.0; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

std::string fd_name(int fd) {
    char link[64], path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0) return {};
    std::string_view p(path, static_cast<std::size_t>(n));
    std::size_t slash = p.rfind('/');
    return std::string(slash == std::string_view::npos ? p : p.substr(slash + 1));
}

// A piece of a file read or written: a new read or write when it starts at the file's start.
void note(int fd, ssize_t n, bool writing) {
    if (!counting || fd <= 2 || n <= 0) return;
    int saved = errno;
    std::string name = fd_name(fd);
    bool first = lseek(fd, 0, SEEK_CUR) == n;
    if (!writing && name == "players.dat") {
        now_tally.reads += first;
        now_tally.read_bytes += n;
    } else if (writing && name.starts_with(".players.dat.") && name.ends_with(".tmp")) {
        now_tally.writes += first;
        now_tally.written_bytes += n;
    } else if (writing && name == "hold.dat") {
        ++now_tally.holds;
    }
    errno = saved;
}
}  // namespace

extern "C" ssize_t read(int fd, void* buf, size_t n) {
    ssize_t r = syscall(SYS_read, fd, buf, n);
    note(fd, r, false);
    // The square's first command is the typed-ahead L: the log-on is over.
    if (counting && fd == 0 && r == 1 && static_cast<char*>(buf)[0] == 'L' && !square_reached && cur_char &&
        sub_location == 1) {
        square_reached = true;
        at_square = now_tally;
        at_square.cpu_ms = cpu_ms();
    }
    return r;
}

extern "C" ssize_t write(int fd, const void* buf, size_t n) {
    ssize_t r = syscall(SYS_write, fd, buf, n);
    note(fd, r, true);
    return r;
}

namespace {
struct no_pauses : system_seam {
    no_pauses() { set_sys(this); }
    void sleep_ms(int) override {}
};

void send(const std::string& text) {
    if (::write(report_fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) _exit(3);
}

std::string tally_text(const tally& t) {
    return std::to_string(t.reads) + " " + std::to_string(t.read_bytes) + " " + std::to_string(t.writes) + " " +
           std::to_string(t.written_bytes) + " " + std::to_string(t.holds) + " " + std::to_string(t.cpu_ms) + " ";
}

struct session {
    tally log_on, leaving;
    long file_size = 0;
    bool ok = false;
};

// One session in a child in a fresh copy of the default data: the log-on as the game runs
// it, the square left at once, the orderly exit.
session one_session(int count) {
    session s;
    // The measured child's processor time, taken whole when it ends, holds only the session.
    std::string dir = bench::realm_dir("qvlogon", count, true);
    if (dir.empty()) return s;
    int p[2];
    if (pipe(p) != 0) return s;
    pid_t pid = fork();
    if (pid == 0) {
        close(p[0]);
        report_fd = p[1];
        if (chdir(dir.c_str()) != 0) _exit(1);
        int fd = open(".screen", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        close(fd);
        no_pauses pauses;
        bench::game_setup();
        user_first_name = "CALLER";
        user_last_name = "NUMBER " + std::to_string(count / 2);
        // Through the entry menu and the day's report into the square, then out.
        bench::type_ahead("xExxxxxxxxLY");
        std::atexit([] {
            tally t = now_tally;
            t.cpu_ms = cpu_ms();
            send(tally_text(at_square) + tally_text(t));
        });
        double start = cpu_ms();
        send(std::to_string(start) + " ");
        counting = true;
        read_stat_file(game_stats);
        game_hooks.update_item_data();
        read_char_file();
        read_guild_file();
        read_standard_flags();
        enter_game();
        end_prog(exit_normal);
    }
    close(p[1]);
    std::string got;
    char buf[512];
    for (ssize_t n; (n = ::read(p[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<std::size_t>(n));
    close(p[0]);
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    struct stat st;
    if (::stat((dir + "/players.dat").c_str(), &st) == 0) s.file_size = st.st_size;
    std::system(("rm -rf " + dir).c_str());
    double start = 0;
    tally sq, end;
    int fields = std::sscanf(got.c_str(), "%lf %ld %ld %ld %ld %ld %lf %ld %ld %ld %ld %ld %lf", &start, &sq.reads,
                             &sq.read_bytes, &sq.writes, &sq.written_bytes, &sq.holds, &sq.cpu_ms, &end.reads,
                             &end.read_bytes, &end.writes, &end.written_bytes, &end.holds, &end.cpu_ms);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || fields != 13 || sq.cpu_ms == 0) return s;
    auto whole_ms = [](const timeval& v) { return v.tv_sec * 1000.0 + v.tv_usec / 1000.0; };
    double whole = whole_ms(u.ru_utime) + whole_ms(u.ru_stime);
    s.log_on = sq;
    s.log_on.cpu_ms = sq.cpu_ms - start;
    s.leaving = {end.reads - sq.reads,   end.read_bytes - sq.read_bytes,
                 end.writes - sq.writes, end.written_bytes - sq.written_bytes,
                 end.holds - sq.holds,   whole - sq.cpu_ms};
    s.ok = true;
    return s;
}

// The floor: one read of the whole file and its rewrite, in a child, least processor time of 5.
double floor_ms(int count) {
    std::string dir = bench::realm_dir("qvfloor", count, false);
    if (dir.empty()) return -1;
    double best = -1;
    for (int i = 0; i < 5; ++i) {
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(1);
            std::vector<char> all;
            char buf[1 << 16];
            int in = open("players.dat", O_RDONLY);
            for (ssize_t n; (n = ::read(in, buf, sizeof buf)) > 0;) all.insert(all.end(), buf, buf + n);
            close(in);
            int out = open(".players.dat.floor.tmp", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (::write(out, all.data(), all.size()) != static_cast<ssize_t>(all.size())) _exit(2);
            fdatasync(out);
            close(out);
            _exit(rename(".players.dat.floor.tmp", "players.dat") == 0 ? 0 : 3);
        }
        int status = 0;
        rusage u{};
        wait4(pid, &status, 0, &u);
        auto ms = [](const timeval& v) { return v.tv_sec * 1000.0 + v.tv_usec / 1000.0; };
        double used = ms(u.ru_utime) + ms(u.ru_stime);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && (best < 0 || used < best)) best = used;
    }
    std::system(("rm -rf " + dir).c_str());
    return best;
}

std::string line_of(const tally& t, long size) {
    char buf[200];
    std::snprintf(buf, sizeof buf,
                  "read %ld x (%6.2f MB), written %ld x (%6.2f MB), %ld holds; file %.2f MB; %6.1f ms cpu", t.reads,
                  t.read_bytes / 1e6, t.writes, t.written_bytes / 1e6, t.holds, size / 1e6, t.cpu_ms);
    return buf;
}
}  // namespace

int main(int argc, char** argv) {
    // A number alone runs only the realm of that many characters.
    int only = argc > 1 ? std::atoi(argv[1]) : 0;
    std::printf("A session's players.dat (new game day, least cpu of 5):\n");
    for (int count : {10000, 30000, 100000}) {
        if (only != 0 && only != count) continue;
        session best;
        for (int i = 0; i < 5; ++i) {
            session s = one_session(count);
            if (!s.ok) {
                best = s;
                break;
            }
            if (!best.ok) best = s;
            best.log_on.cpu_ms = std::min(best.log_on.cpu_ms, s.log_on.cpu_ms);
            best.leaving.cpu_ms = std::min(best.leaving.cpu_ms, s.leaving.cpu_ms);
        }
        std::string n = std::to_string(count / 1000) + ",000";
        if (!best.ok) {
            std::printf("  %-26s FAILED\n", ("among " + n).c_str());
            continue;
        }
        std::printf("  %-26s %s\n", ("log-on among " + n).c_str(), line_of(best.log_on, best.file_size).c_str());
        std::printf("  %-26s %s\n", ("leaving among " + n).c_str(), line_of(best.leaving, best.file_size).c_str());
        double floor = floor_ms(count);
        std::printf("  %-26s %6.1f ms cpu (log-on %.2f times it)\n", "read once, rewrite", floor,
                    best.log_on.cpu_ms / std::max(floor, 0.1));
        std::fflush(stdout);
    }
    return 0;
}
