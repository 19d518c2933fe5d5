// The main of every test program. Two things no test may do:
// - read the terminal the tests were started from: standard input is an idle pipe whose
//   writer this process holds, so a key wait that a test did not feed sees no key and no end
//   of input (input_feed puts its own pipe on top of it);
// - end the program before its tests finished (the game's orderly exit leaves with status 0):
//   such an exit fails the program, naming the test that was running.
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
pid_t main_pid = 0;
bool tests_finished = false;

void idle_standard_input() {
    int p[2];
    if (pipe2(p, O_CLOEXEC) != 0) {
        std::perror("test main: pipe");
        std::exit(1);
    }
    // The reading side becomes descriptor 0 (inherited by forked children); the writer is
    // never closed, and never passed to a program a test starts.
    if (p[0] == 0) {
        fcntl(0, F_SETFD, 0);
    } else {
        dup2(p[0], 0);
        close(p[0]);
    }
}

// Runs last of the exit procedures. Children forked by a test end as they please.
void check_finished() {
    if (tests_finished || getpid() != main_pid) return;
    const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = t ? std::string(t->test_suite_name()) + "." + t->name() : "no test (outside the tests)";
    std::fflush(stdout);
    std::fprintf(stderr, "\n[  FAILED  ] The test program ended before its tests finished, in %s\n", name.c_str());
    std::fflush(stderr);
    _exit(1);
}
}  // namespace

int main(int argc, char** argv) {
    main_pid = getpid();
    idle_standard_input();
    std::atexit(check_finished);
    ::testing::InitGoogleTest(&argc, argv);
    int r = RUN_ALL_TESTS();
    tests_finished = true;
    return r;
}
