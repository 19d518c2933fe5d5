// The link to the caller: standard input and output, the terminal's mode, and the signals
// by which the BBS tells that the caller has gone.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "door/door.hpp"
#include "door/door_internal.hpp"

namespace {
struct termios saved_termios;
volatile std::sig_atomic_t raw_on = 0;
bool last_was_cr = false;  // an LF right after a CR is the rest of the same Enter
bool unit_ready = false;

constexpr int fatal_signals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction old_fatal[sizeof fatal_signals / sizeof fatal_signals[0]];

void lose_carrier() {
    carrier_present = 0;
    carrier_lost = true;
}

// Hang-up and terminate only set the flag; the next key wait or output acts on it.
void on_hangup(int) { carrier_present = 0; }

// A crash must not leave the caller's terminal raw: put it back, then let the signal take
// its earlier course.
void on_fatal(int sig) {
    door_state::restore_terminal();
    for (std::size_t i = 0; i < sizeof fatal_signals / sizeof fatal_signals[0]; ++i)
        if (fatal_signals[i] == sig) sigaction(sig, &old_fatal[i], nullptr);
    raise(sig);
}

void install_fatal_handlers() {
    static bool done = false;
    if (done) return;
    done = true;
    struct sigaction sa = {};
    sa.sa_handler = on_fatal;
    sigemptyset(&sa.sa_mask);
    for (std::size_t i = 0; i < sizeof fatal_signals / sizeof fatal_signals[0]; ++i)
        sigaction(fatal_signals[i], &sa, &old_fatal[i]);
}

// Runs after the whole exit chain: what later exit procedures wrote still reaches the caller
// (unless the carrier is gone), and the terminal gets its settings back.
void final_exit() {
    door_state::end_screen();
    flush_output();
    door_state::restore_terminal();
}
}  // namespace

namespace door_state {
bool carrier_ok() {
    if (carrier_present && !carrier_lost) return true;
    lose_carrier();
    if (hold_count > 0 || in_carrier_exit || halting()) return false;
    carrier_lost_exit();
}

bool wait_readable(int ms) {
    sigset_t block, old;
    sigemptyset(&block);
    sigaddset(&block, SIGHUP);
    sigaddset(&block, SIGTERM);
    sigprocmask(SIG_BLOCK, &block, &old);
    if (!carrier_present) {
        sigprocmask(SIG_SETMASK, &old, nullptr);
        return false;
    }
    struct pollfd p = {0, POLLIN, 0};
    struct timespec ts = {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    // The signals are let in only while waiting, so a hang-up can never slip in between the
    // check above and the wait.
    int r = ppoll(&p, 1, &ts, &old);
    sigprocmask(SIG_SETMASK, &old, nullptr);
    if (r <= 0) return false;
    if (p.revents & POLLNVAL) {
        lose_carrier();
        return false;
    }
    return (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

int take_byte() {
    unsigned char c;
    ssize_t n = ::read(0, &c, 1);
    if (n == 1) {
        bool after_cr = last_was_cr;
        last_was_cr = c == '\r';
        if (c == 0) return -1;
        if (c == '\n' && after_cr) return -1;
        return c;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return -1;
    lose_carrier();  // end of input or a broken line
    return -1;
}

int wait_byte() {
    for (;;) {
        flush_output();
        if (!carrier_ok()) return -1;
        if (wait_readable(1000)) {
            int b = take_byte();
            if (b > 0) return b;
        }
    }
}

std::string read_plain_line() {
    std::string s;
    for (;;) {
        int b = wait_byte();
        if (b < 0 || b == '\r' || b == '\n') break;
        if (b == 8 || b == 127) {
            if (!s.empty()) s.pop_back();
        } else if (s.size() < 255) {
            s.push_back(static_cast<char>(b));
        }
    }
    return s;
}

void enter_raw_mode() {
    if (raw_on || !isatty(0)) return;
    if (tcgetattr(0, &saved_termios) != 0) return;
    struct termios t = saved_termios;
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB);
    t.c_cflag |= CS8;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    install_fatal_handlers();
    if (tcsetattr(0, TCSANOW, &t) == 0) raw_on = 1;
}

void restore_terminal() {
    if (!raw_on) return;
    tcsetattr(0, TCSANOW, &saved_termios);
    raw_on = 0;
}
}  // namespace door_state

void comms_unit_init() {
    struct sigaction sa = {};
    sa.sa_handler = on_hangup;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no restart: a hang-up cuts short any wait
    sigaction(SIGHUP, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    // A BBS may start the door with these blocked; the door would then never hear that the
    // caller is gone, and a terminate would end it unsaved when the BBS gives up waiting.
    sigset_t carrier_signals;
    sigemptyset(&carrier_signals);
    sigaddset(&carrier_signals, SIGHUP);
    sigaddset(&carrier_signals, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &carrier_signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    carrier_present = 1;
    carrier_lost = false;
    last_was_cr = false;
    if (!unit_ready) {
        unit_ready = true;
        std::atexit(final_exit);
    }
}

std::uint8_t read_stdin_byte() {
    int b = door_state::take_byte();
    return b > 0 ? static_cast<std::uint8_t>(b) : 0;
}

bool stdin_ready() { return door_state::wait_readable(10); }
bool stdin_ready_ms(int ms) { return door_state::wait_readable(ms); }

void purge_output() {
    door_state::discard_output();
    if (isatty(1)) tcflush(1, TCOFLUSH);
}

void purge_io() {
    purge_output();
    if (isatty(0)) tcflush(0, TCIFLUSH);
    door_state::link_ready = true;
}
