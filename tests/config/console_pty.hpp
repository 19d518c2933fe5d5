// The utility as the sysop starts it on a 24-line console in a game directory, on the test's
// clock and without pauses.
#pragma once
#include "support/pty.hpp"
#include "support/temp_dir.hpp"

constexpr int console_wait_ms = 10000;

inline pty_process::options console_in(const temp_dir& dir) {
    pty_process::options o;
    o.dir = dir.path();
    o.rows = 24;
    o.env = {"QV_TEST_CLOCK=20261208070503", "QV_TEST_NOSLEEP=1"};
    return o;
}
