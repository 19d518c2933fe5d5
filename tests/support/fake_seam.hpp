// A replaceable clock, pause and dice for tests: time stands still unless moved, pauses are
// recorded (and advance the clock) instead of sleeping, and random numbers come from a queue.
#pragma once
#include <deque>
#include <vector>

#include "door/sys.hpp"

class fake_seam : public system_seam {
public:
    fake_seam();            // installs itself
    ~fake_seam() override;  // restores the previous seam

    local_time now() override { return time; }
    void sleep_ms(int ms) override;
    void randomize() override { ++randomize_calls; }
    int random(int n) override;

    // Sets the clock; the weekday is computed from the date.
    void set_time(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);
    void advance_ms(long ms);

    local_time time;
    std::vector<int> sleeps;  // every pause asked for, in order
    long slept_total = 0;
    bool advance_on_sleep = true;
    std::deque<int> rolls;           // next results of random(); each is taken mod n
    std::vector<int> random_ranges;  // every n asked for
    int randomize_calls = 0;

private:
    system_seam* previous_ = nullptr;
    long spare_ms_ = 0;  // what is left below a hundredth after a move
};
