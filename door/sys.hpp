// The clock, the pauses and the random generator, reached through one replaceable seam.
// The running game uses the real clock and really sleeps; tests install their own.
#pragma once
#include <cstdint>

struct local_time {
    int year = 1980, month = 1, day = 1;  // month 1-12, day 1-31
    int hour = 0, minute = 0, second = 0, hundredths = 0;
    int weekday = 0;  // 0 Sunday .. 6 Saturday
};

class system_seam {
public:
    virtual ~system_seam() = default;
    virtual local_time now();
    virtual void sleep_ms(int ms);  // a pause of the game (Delay)
    // A wait for another node to finish its work (the hold), up to ms. Given lock_fd, an open
    // file that the other node keeps locked, it ends as soon as that node lets go. Where the
    // game's own pauses are made instant (tests) it still takes its time, or the other node
    // gets none. Returns the milliseconds it waited.
    virtual int wait_for_node_ms(int ms, int lock_fd = -1) {
        (void)lock_fd;
        sleep_ms(ms);
        return ms;
    }
    virtual void randomize();  // reseed from the clock's whole seconds and a count
    virtual void seed(std::uint32_t s);
    virtual int random(int n);  // 0 .. n-1; 0 when n < 1
    // A moment a test may stop the program at to end it there: every pause of the game, and
    // every write of a game file about to begin. The running game goes straight on.
    virtual void moment() {}

protected:
    std::uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

// The seam in use; never null.
system_seam& sys();
// Replace the seam (tests); null restores the real one. Returns the previous one.
system_seam* set_sys(system_seam* s);

// Convenience wrappers used throughout the code.
inline local_time clock_now() { return sys().now(); }
inline void delay_ms(int ms) {
    sys().moment();
    sys().sleep_ms(ms);
}
inline int random_n(int n) { return sys().random(n); }
inline void randomize() { sys().randomize(); }
