#include "door/sys.hpp"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

namespace {
// The local clock, shifted by offset seconds.
local_time local_clock(long offset) {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    struct tm tmv;
    time_t secs = tv.tv_sec + offset;
    localtime_r(&secs, &tmv);
    local_time t;
    t.year = tmv.tm_year + 1900;
    t.month = tmv.tm_mon + 1;
    t.day = tmv.tm_mday;
    t.hour = tmv.tm_hour;
    t.minute = tmv.tm_min;
    t.second = tmv.tm_sec;
    t.hundredths = static_cast<int>(tv.tv_usec / 10000);
    t.weekday = tmv.tm_wday;
    return t;
}

void real_sleep(int ms) {
    if (ms <= 0) return;
    struct timespec ts;
    ts.tv_sec = ms / 1000;
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0) {
    }
}
}  // namespace

local_time system_seam::now() { return local_clock(0); }

void system_seam::sleep_ms(int ms) { real_sleep(ms); }

void system_seam::seed(std::uint32_t s) {
    state_ = 0x9E3779B97F4A7C15ULL ^ s;
    if (state_ == 0) state_ = 1;
}

void system_seam::randomize() {
    // The clock's seconds, and how many reseeds came before: the seconds alone gave every
    // reseed within one second the same dice, so a caller pressing a key twice quickly met
    // the same creature, or took the same sack of gold or gem again.
    static std::uint32_t reseeds = 0;
    local_time t = now();
    std::uint32_t s = static_cast<std::uint32_t>(((t.hour * 60 + t.minute) * 60 + t.second));
    std::uint32_t x = s ^ (++reseeds * 0x9E3779B9U);
    x = (x ^ (x >> 16)) * 0x85EBCA6BU;
    x = (x ^ (x >> 13)) * 0xC2B2AE35U;
    seed(x ^ (x >> 16));
}

int system_seam::random(int n) {
    if (n < 1) return 0;
    // xorshift64*: small, fast and good enough for dice.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    std::uint64_t r = state_ * 0x2545F4914F6CDD1DULL;
    return static_cast<int>((r >> 32) % static_cast<std::uint64_t>(n));
}

namespace {
// The signal that ends a wait on another node's lock when its time is up. Never blocked
// during the wait, and its handler does nothing: it only cuts the lock wait short.
int lock_wake_signal() { return SIGRTMIN + 2; }
void on_lock_wake(int) {}

long ms_since(const timespec& t) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - t.tv_sec) * 1000L + (now.tv_nsec - t.tv_nsec) / 1000000L;
}

// Waits up to ms for a shared lock on fd, which another node holds exclusively while it
// works: it is granted the moment that node lets go (or ends). Without a file, or where no
// timer can be had, a plain sleep. Returns the milliseconds waited.
int wait_on_lock(int fd, int ms) {
    if (ms <= 0) return 0;
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    static bool handler_set = false;
    if (fd >= 0 && !handler_set) {
        struct sigaction sa = {};
        sa.sa_handler = on_lock_wake;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;  // no restart: the signal must end the lock wait
        handler_set = sigaction(lock_wake_signal(), &sa, nullptr) == 0;
    }
    timer_t timer;
    sigevent ev = {};
    ev.sigev_notify = SIGEV_SIGNAL;
    ev.sigev_signo = lock_wake_signal();
    if (fd < 0 || !handler_set || timer_create(CLOCK_MONOTONIC, &ev, &timer) != 0) {
        real_sleep(ms);
        return ms;
    }
    sigset_t wake, old;
    sigemptyset(&wake);
    sigaddset(&wake, lock_wake_signal());
    sigprocmask(SIG_UNBLOCK, &wake, &old);
    // It repeats after the time is up: a signal that came just before the lock wait began
    // is followed by another.
    itimerspec when = {};
    when.it_value.tv_sec = ms / 1000;
    when.it_value.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    when.it_interval.tv_nsec = 1000000L;
    timer_settime(timer, 0, &when, nullptr);
    // Ends early on a hang-up too; the caller looks again and waits out the rest.
    bool got = ::flock(fd, LOCK_SH) == 0;
    timer_delete(timer);
    sigprocmask(SIG_SETMASK, &old, nullptr);
    if (got) ::flock(fd, LOCK_UN);
    long waited = ms_since(start);
    return static_cast<int>(waited < 0 ? 0 : waited > ms ? ms : waited);
}

// End-to-end tests drive the real program with a shifted clock, instant pauses or fixed
// dice, through the environment: QV_TEST_CLOCK=YYYYMMDDHHMMSS, QV_TEST_NOSLEEP=1,
// QV_TEST_SEED=n. Without them the real clock, real pauses and clock seeding are used.
// A wait for another node is never made instant: that node needs the time to finish.
// QV_TEST_STOP_AT names a file a test may put a count n in: the n-th moment after that
// removes the file and stops the program (SIGSTOP), for the test to end it there.
class environment_seam : public system_seam {
public:
    environment_seam() {
        if (const char* c = std::getenv("QV_TEST_CLOCK")) {
            struct tm t = {};
            if (std::sscanf(c, "%4d%2d%2d%2d%2d%2d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                            &t.tm_sec) == 6) {
                t.tm_year -= 1900;
                t.tm_mon -= 1;
                t.tm_isdst = -1;
                offset_ = static_cast<long>(mktime(&t) - time(nullptr));
            }
        }
        if (const char* s = std::getenv("QV_TEST_NOSLEEP")) nosleep_ = s[0] == '1';
        if (const char* s = std::getenv("QV_TEST_SEED")) {
            fixed_seed_ = true;
            seed(static_cast<std::uint32_t>(std::strtoul(s, nullptr, 10)));
        }
        if (const char* s = std::getenv("QV_TEST_STOP_AT")) stop_file_ = s;
    }
    void moment() override {
        if (stop_file_.empty()) return;
        int fd = ::open(stop_file_.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) return;
        char count[16] = {};
        long n = ::read(fd, count, sizeof count - 1) > 0 ? std::strtol(count, nullptr, 10) : 0;
        if (n > 1) {
            std::string left = std::to_string(n - 1);
            (void)!::ftruncate(fd, 0);
            (void)!::pwrite(fd, left.data(), left.size(), 0);
            ::close(fd);
            return;
        }
        ::close(fd);
        ::unlink(stop_file_.c_str());
        ::raise(SIGSTOP);
    }
    local_time now() override { return local_clock(offset_); }
    void sleep_ms(int ms) override {
        if (!nosleep_) system_seam::sleep_ms(ms);
    }
    int wait_for_node_ms(int ms, int lock_fd) override { return wait_on_lock(lock_fd, ms); }
    void randomize() override {
        if (!fixed_seed_) system_seam::randomize();
    }

private:
    long offset_ = 0;
    std::string stop_file_;
    bool nosleep_ = false;
    bool fixed_seed_ = false;
};

environment_seam real_seam;
system_seam* current_seam = &real_seam;
}  // namespace

system_seam& sys() { return *current_seam; }

system_seam* set_sys(system_seam* s) {
    system_seam* old = current_seam;
    current_seam = s ? s : &real_seam;
    return old;
}
