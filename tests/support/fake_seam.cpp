#include "support/fake_seam.hpp"

#include <ctime>

fake_seam::fake_seam() {
    set_time(2026, 1, 15, 12, 0, 0);
    previous_ = set_sys(this);
}

fake_seam::~fake_seam() { set_sys(previous_ == this ? nullptr : previous_); }

void fake_seam::sleep_ms(int ms) {
    sleeps.push_back(ms);
    slept_total += ms;
    if (advance_on_sleep) advance_ms(ms);
}

int fake_seam::random(int n) {
    random_ranges.push_back(n);
    if (n < 1) return 0;
    if (rolls.empty()) return 0;
    int r = rolls.front();
    rolls.pop_front();
    r %= n;
    if (r < 0) r += n;
    return r;
}

void fake_seam::set_time(int year, int month, int day, int hour, int minute, int second) {
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    timegm(&t);  // normalises and fills tm_wday
    time.year = t.tm_year + 1900;
    time.month = t.tm_mon + 1;
    time.day = t.tm_mday;
    time.hour = t.tm_hour;
    time.minute = t.tm_min;
    time.second = t.tm_sec;
    time.hundredths = 0;
    time.weekday = t.tm_wday;
}

void fake_seam::advance_ms(long ms) {
    // Short pauses add up: five pauses of 2 ms move the clock one hundredth.
    ms += spare_ms_;
    spare_ms_ = ms % 10;
    long total_cs = time.hundredths + ms / 10;
    long secs = time.second + total_cs / 100;
    int hundredths = static_cast<int>(total_cs % 100);
    set_time(time.year, time.month, time.day, time.hour, time.minute, 0);
    struct tm t = {};
    t.tm_year = time.year - 1900;
    t.tm_mon = time.month - 1;
    t.tm_mday = time.day;
    t.tm_hour = time.hour;
    t.tm_min = time.minute;
    t.tm_sec = static_cast<int>(secs);
    time_t flat = timegm(&t);
    struct tm out;
    gmtime_r(&flat, &out);
    set_time(out.tm_year + 1900, out.tm_mon + 1, out.tm_mday, out.tm_hour, out.tm_min, out.tm_sec);
    time.hundredths = hundredths;
}
