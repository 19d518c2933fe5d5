// The tests' own main, checked on a small test program built on it: an orderly exit in a test
// body fails the program and names the test; one in a child does not; a key wait sees no key
// whether the program runs on a terminal or with its input at an end; and what a test started
// goes when the test program is killed, as a time-out kills it.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>

#include "support/pty.hpp"

namespace {
struct run_result {
    std::optional<int> status;
    std::string out;
};

run_result run_probe(const std::string& test, bool stdin_from_null) {
    pty_process::options o;
    o.args = {"--gtest_filter=probe." + test, "--gtest_color=no"};
    o.stdin_from_null = stdin_from_null;
    pty_process p(qv_binary("test_main_probe"), o);
    run_result r;
    r.status = p.wait_exit(10000);
    r.out = p.output();
    return r;
}

// Gone, or a corpse waiting for whoever inherited it.
bool gone(pid_t pid) {
    std::string stat;
    if (FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r")) {
        char buf[512] = {};
        std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
        std::fclose(f);
        stat.assign(buf, n);
    }
    std::size_t paren = stat.rfind(')');
    return paren == std::string::npos || stat.compare(paren + 1, 3, " Z ") == 0;
}
}  // namespace

TEST(test_main, an_end_in_a_test_body_fails_the_program_on_a_terminal_or_not) {
    struct row {
        const char* test;
        int status;
        const char* shown;
    } rows[] = {
        {"ends_in_its_body", 1, "The test program ended before its tests finished, in probe.ends_in_its_body"},
        {"ends_in_a_child", 0, "[  PASSED  ] 1 test."},
        {"waits_for_no_key", 0, "[  PASSED  ] 1 test."},
    };
    for (const row& r : rows) {
        for (bool null_input : {false, true}) {
            SCOPED_TRACE(std::string(r.test) + (null_input ? " with input at its end" : " on a terminal"));
            run_result got = run_probe(r.test, null_input);
            EXPECT_EQ(got.status, r.status);
            EXPECT_NE(got.out.find(r.shown), std::string::npos) << got.out;
        }
    }
    // The exit chain ran before the program failed: the game's exit had its course.
    EXPECT_NE(run_probe("ends_in_its_body", true).out.find("exit chain ran"), std::string::npos);
}

TEST(test_main, a_killed_test_program_takes_its_children_along) {
    pty_process::options o;
    o.args = {"--gtest_filter=probe.leaves_children_behind"};
    pty_process p(qv_binary("test_main_probe"), o);
    ASSERT_TRUE(p.wait_for("children ", 10000));
    ASSERT_TRUE(p.wait_for("\n"));
    int child = 0, sleeper = 0;
    std::size_t at = p.output().find("children ");
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(std::sscanf(p.output().c_str() + at, "children %d %d", &child, &sleeper), 2);
    EXPECT_FALSE(gone(child));
    EXPECT_FALSE(gone(sleeper));
    p.signal(SIGKILL);
    EXPECT_EQ(p.wait_exit(), 128 + SIGKILL);
    for (int i = 0; i < 500 && !(gone(child) && gone(sleeper)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(gone(child));
    EXPECT_TRUE(gone(sleeper));
}
