#include "support/pty.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/child.hpp"

extern char** environ;

namespace {
using clock_type = std::chrono::steady_clock;

long ms_left(clock_type::time_point deadline) {
    auto d = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now()).count();
    return d < 0 ? 0 : d;
}

std::vector<std::string> merged_environment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& x : extra)
            if (x.substr(0, x.find('=')) == name) replaced = true;
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> c_strings(std::vector<std::string>& v) {
    std::vector<char*> r;
    for (auto& s : v) r.push_back(s.data());
    r.push_back(nullptr);
    return r;
}
}  // namespace

std::string qv_binary(const std::string& name) {
    const char* dir = std::getenv("QV_BIN_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
}

pty_process::pty_process(const std::string& program, const options& opts) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) throw std::runtime_error("no pseudo-terminal");
    std::string slave_name = ptsname(master_);
    struct winsize ws = {};
    ws.ws_row = static_cast<unsigned short>(opts.rows);
    ws.ws_col = static_cast<unsigned short>(opts.cols);
    ioctl(master_, TIOCSWINSZ, &ws);
    tcgetattr(master_, &initial_);

    // Everything the child needs is built before the fork: after it only plain system calls.
    std::vector<std::string> argv_s{program};
    argv_s.insert(argv_s.end(), opts.args.begin(), opts.args.end());
    std::vector<std::string> env_s = merged_environment(opts.env);
    std::vector<char*> argv = c_strings(argv_s);
    std::vector<char*> envp = c_strings(env_s);

    pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        die_with_parent(parent);
        setsid();
        int slave = open(slave_name.c_str(), O_RDWR);
        if (slave < 0) _exit(126);
        ioctl(slave, TIOCSCTTY, 0);
        int in = slave;
        if (opts.stdin_from_null) in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(slave, 1);
        dup2(slave, 2);
        if (slave > 2) close(slave);
        if (in > 2 && in != slave) close(in);
        struct sigaction dfl = {};
        dfl.sa_handler = SIG_DFL;
        for (int s : {SIGHUP, SIGTERM, SIGPIPE, SIGINT}) sigaction(s, &dfl, nullptr);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (chdir(opts.dir.c_str()) != 0) _exit(126);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    slave_ = open(slave_name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

pty_process::~pty_process() {
    if (pid_ > 0 && !status_) {
        kill(pid_, SIGKILL);
        int st;
        waitpid(pid_, &st, 0);
    }
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
}

void pty_process::send(std::string_view keys) {
    while (!keys.empty() && master_ >= 0) {
        ssize_t n = write(master_, keys.data(), keys.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pump(10);
                continue;
            }
            return;
        }
        keys.remove_prefix(static_cast<std::size_t>(n));
    }
}

bool pty_process::pump(int ms) {
    if (master_ < 0) return false;
    struct pollfd p = {master_, POLLIN, 0};
    int ready = poll(&p, 1, ms);
    // Asked before the read: a read hands over everything the terminal was still passing on
    // (poll does not wait for that), so a program gone by now has all its output read below.
    bool alive = ms > 0 && running();
    bool got = false;
    char buf[4096];
    for (;;) {
        ssize_t n = read(master_, buf, sizeof buf);
        if (n > 0) {
            out_.append(buf, static_cast<std::size_t>(n));
            got = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        return got;  // EIO: no program holds the terminal any more
    }
    // Quiet and the program gone: its output is all here.
    return got || ready > 0 || ms == 0 || alive;
}

bool pty_process::wait_for(std::string_view text, int timeout_ms) {
    auto deadline = clock_type::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        std::size_t at = out_.find(text, match_pos_);
        if (at != std::string::npos) {
            match_pos_ = at + text.size();
            return true;
        }
        long left = ms_left(deadline);
        if (left == 0) return false;
        if (!pump(static_cast<int>(std::min(left, 50L)))) {
            // The program is gone; what it left is all there is.
            at = out_.find(text, match_pos_);
            if (at != std::string::npos) match_pos_ = at + text.size();
            return at != std::string::npos;
        }
    }
}

std::string pty_process::read_for(int ms) {
    std::size_t from = out_.size();
    auto deadline = clock_type::now() + std::chrono::milliseconds(ms);
    while (long left = ms_left(deadline)) {
        if (!pump(static_cast<int>(std::min(left, 50L)))) break;
    }
    return out_.substr(from);
}

std::string pty_process::take() {
    std::string r = out_.substr(take_pos_);
    take_pos_ = out_.size();
    return r;
}

void pty_process::hangup() { signal(SIGHUP); }

void pty_process::signal(int sig) {
    if (pid_ > 0 && !status_) kill(pid_, sig);
}

void pty_process::close_master() {
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    master_ = slave_ = -1;
}

std::optional<int> pty_process::wait_exit(int timeout_ms) {
    auto deadline = clock_type::now() + std::chrono::milliseconds(timeout_ms);
    while (!status_) {
        int st;
        pid_t r = waitpid(pid_, &st, WNOHANG);
        if (r == pid_) {
            status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            break;
        }
        long left = ms_left(deadline);
        if (left == 0) return std::nullopt;
        if (master_ < 0 || !pump(static_cast<int>(std::min(left, 20L)))) usleep(5000);
    }
    // The rest of what it wrote before it ended.
    for (int i = 0; i < 1000 && master_ >= 0; ++i) {
        std::size_t before = out_.size();
        if (!pump(20) || out_.size() == before) break;
    }
    return status_;
}

bool pty_process::running() {
    if (status_) return false;
    int st;
    pid_t r = waitpid(pid_, &st, WNOHANG);
    if (r == pid_) {
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        pump(0);  // what it wrote before it ended, so that a look after this one finds it
        return false;
    }
    return true;
}

struct termios pty_process::terminal_settings() const {
    struct termios t = {};
    if (master_ >= 0) tcgetattr(master_, &t);  // a master reports its slave's settings
    return t;
}

bool is_raw(const struct termios& t) {
    return !(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) && !(t.c_iflag & (ICRNL | IXON | INLCR | IGNCR)) &&
           !(t.c_oflag & OPOST);
}

bool same_settings(const struct termios& a, const struct termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag && a.c_cflag == b.c_cflag &&
           a.c_cc[VMIN] == b.c_cc[VMIN] && a.c_cc[VTIME] == b.c_cc[VTIME];
}
