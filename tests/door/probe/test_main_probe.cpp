// A test program built on the tests' own main, for the check of that main: each test does
// one thing a test body must not get away with, or may do, and the check runs it alone.
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

#include "door/door.hpp"
#include "support/child.hpp"
#include "support/pty.hpp"

// The orderly exit in the test body itself: the program must fail, not end with status 0.
TEST(probe, ends_in_its_body) {
    add_exit_proc([] { std::printf("exit chain ran\n"); });
    halt(0);
}

// The orderly exit in a child is the child's own end.
TEST(probe, ends_in_a_child) {
    child_result r = run_in_child([] { halt(3); });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, 3);
}

// A key wait with nothing fed sees no key and no end of input, whatever the program was
// started from.
TEST(probe, waits_for_no_key) {
    EXPECT_FALSE(stdin_ready_ms(200));
    EXPECT_TRUE(carrier_present);
    EXPECT_FALSE(carrier_lost);
}

// Leaves a child and a program on a terminal running and waits to be killed. Both deaf to
// hang-ups, as a game that holds a hang-up until its save is.
TEST(probe, leaves_children_behind) {
    pid_t child = start_child([] {
        std::signal(SIGHUP, SIG_IGN);
        for (;;) pause();
    });
    pty_process::options o;
    o.args = {"-c", "trap '' HUP; exec sleep 1000"};
    pty_process sleeper("/bin/sh", o);
    std::printf("children %d %d\n", static_cast<int>(child), static_cast<int>(sleeper.pid()));
    std::fflush(stdout);
    for (;;) pause();
}
