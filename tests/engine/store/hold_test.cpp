// The hold between nodes with a replaced clock: checks, pauses, the display, ownership.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

#include "engine/engine_state.hpp"
#include "engine/store/hold.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/lookups.hpp"
#include "support/capture.hpp"
#include "support/child.hpp"
#include "support/live_hold.hpp"

namespace {

std::string expected_wait_display(int checks) {
    std::string s = "\x1b[2J\x1b[H`9  Temporary hold placed on file activity :        `4";
    for (int i = 1; i <= checks; ++i) s += std::string(7, '\b') + (i % 2 == 0 ? "WAITING" : ".......");
    return s;
}

const std::string held_too_long = "\r\n`9  File Activity has been held too long, Please inform SysOp.\r\n";

fake_seam* child_seam = nullptr;
void report_pauses() {
    write_file("pauses.txt", std::to_string(child_seam->sleeps.size()) + " " + std::to_string(child_seam->slept_total));
}

struct hold : ::testing::Test {
    engine_state st;
    output_capture out;
};
}  // namespace

TEST_F(hold, no_hold_means_one_check_and_one_pause) {
    EXPECT_FALSE(wait_for_hold());
    EXPECT_EQ(st.seam.sleeps, std::vector<int>{500});
    EXPECT_EQ(out.take(), "");
}

TEST_F(hold, taking_a_free_hold_creates_the_file_and_releasing_erases_it) {
    place_hold();
    EXPECT_TRUE(hold_owned());
    EXPECT_EQ(read_file("hold.dat"), std::string(1, '\0'));
    EXPECT_EQ(st.seam.sleeps, std::vector<int>{}) << "a free hold is taken without a pause";
    EXPECT_FALSE(wait_for_hold()) << "a node never waits for its own hold";
    place_hold();  // nested: one level more
    remove_hold();
    EXPECT_TRUE(file_present("hold.dat"));
    remove_hold();
    EXPECT_FALSE(file_present("hold.dat"));
    EXPECT_FALSE(hold_owned());
    EXPECT_EQ(out.take(), "");
}

TEST_F(hold, another_nodes_hold_is_never_removed) {
    live_hold other;
    remove_hold();
    release_own_hold();
    EXPECT_TRUE(file_present("hold.dat"));
}

TEST_F(hold, a_hold_replaced_by_another_nodes_after_the_sysop_erased_ours_stays) {
    place_hold();
    // The sysop erases "hold.dat" by hand and another node takes the hold.
    write_file("hold.new", std::string(1, '\0'));
    ASSERT_EQ(::rename("hold.new", "hold.dat"), 0);
    remove_hold();
    EXPECT_FALSE(hold_owned());
    EXPECT_TRUE(file_present("hold.dat"));
}

TEST_F(hold, waiting_for_a_hold_that_clears_shows_the_display_until_it_goes) {
    clearing_seam seam;
    seam.clear_after = 3;
    live_hold other;
    place_hold();
    EXPECT_TRUE(hold_owned());
    EXPECT_EQ(seam.sleeps.size(), 3u);  // three checks found it, the fourth took it at once
    EXPECT_EQ(out.take(), expected_wait_display(3));
    remove_hold();
}

TEST_F(hold, a_hold_that_stays_ends_with_code_13_after_41_checks_and_writes_nothing) {
    put_chars({make_char(1, "Me"), make_char(2, "Other")});
    std::string before = read_file("players.dat");
    live_hold other;
    for (bool taking : {false, true}) {
        child_result r = run_in_child([taking] {
            fake_seam seam;
            child_seam = &seam;
            add_exit_proc(report_pauses);
            read_char_file();
            cur_char = char_num_ptr(1);
            char_num_ptr(2)->online = 1;
            if (taking)
                place_hold();
            else
                wait_for_hold();
        });
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.code, 13);
        EXPECT_EQ(r.out, expected_wait_display(41) + held_too_long);
        EXPECT_EQ(read_file("pauses.txt"), "41 20500");
        EXPECT_EQ(read_file("players.dat"), before);
        EXPECT_TRUE(file_present("hold.dat")) << "the other node's hold stays";
        EXPECT_FALSE(file_present("quorstat.dat"));
        EXPECT_FALSE(file_present("node0002.msg"));
    }
}

TEST_F(hold, a_hold_whose_holder_is_gone_is_removed_by_the_next_waiter) {
    struct stale_case {
        std::string file;    // "hold.dat" as the dead node left it
        bool taking;         // place_hold, else wait_for_hold
        std::size_t checks;  // an empty file (dead between create and lock) gets one of grace
    };
    const stale_case cases[] = {
        {std::string(1, '\0'), false, 1}, {std::string(1, '\0'), true, 1}, {"", false, 2}, {"", true, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.file.size()) + (c.taking ? " taking" : " waiting"));
        write_file("hold.dat", c.file);
        ::unlink("debug.txt");
        st.seam.sleeps.clear();
        if (c.taking)
            place_hold();
        else
            wait_for_hold();
        EXPECT_EQ(st.seam.sleeps.size(), c.checks - c.taking) << "no pause after the check that takes it";
        EXPECT_EQ(out.take(), c.checks == 1 ? "" : expected_wait_display(1));
        EXPECT_EQ(hold_owned(), c.taking);
        EXPECT_EQ(read_file("debug.txt"), "Removed hold.dat left by a node that is gone\n");
        release_own_hold();
        EXPECT_FALSE(file_present("hold.dat"));
    }
}

TEST_F(hold, a_live_holder_keeps_the_wait_and_once_killed_its_hold_is_taken_at_once) {
    pid_t holder = start_child([] {
        place_hold();
        for (;;) ::pause();
    });
    for (int i = 0; i < 5000 && read_file("hold.dat").size() != 1; ++i) ::usleep(1000);
    child_result r = run_in_child([] {
        fake_seam seam;
        child_seam = &seam;
        add_exit_proc(report_pauses);
        place_hold();
    });
    EXPECT_EQ(r.code, 13);
    EXPECT_EQ(r.out, expected_wait_display(41) + held_too_long);
    EXPECT_EQ(read_file("pauses.txt"), "41 20500");

    ::kill(holder, SIGKILL);
    EXPECT_EQ(wait_child(holder).code, SIGKILL);
    ASSERT_TRUE(file_present("hold.dat"));
    place_hold();
    EXPECT_TRUE(hold_owned());
    EXPECT_EQ(st.seam.sleeps, std::vector<int>{});
    EXPECT_EQ(out.take(), "");
    remove_hold();
    EXPECT_FALSE(file_present("hold.dat"));
}

namespace {
// The other node's hold and what happens to it while this node waits on its lock: at the
// wake-ups listed it lets go (released) or lets go and a third node takes it first (passed
// on), and the wait ends after 100 ms.
struct waking_seam : fake_seam {
    std::vector<int> passed_on_at, released_at;
    std::unique_ptr<live_hold> other = std::make_unique<live_hold>();
    std::vector<int> waits;
    bool holder_locked_the_file = true;
    int wait_for_node_ms(int ms, int lock_fd) override {
        waits.push_back(ms);
        int n = static_cast<int>(waits.size());
        holder_locked_the_file &= lock_fd >= 0 && ::flock(lock_fd, LOCK_SH | LOCK_NB) != 0;
        bool pass = std::count(passed_on_at.begin(), passed_on_at.end(), n) > 0;
        if (!pass && std::count(released_at.begin(), released_at.end(), n) == 0) return ms;
        ::unlink("hold.dat");
        other.reset();
        if (pass) other = std::make_unique<live_hold>();
        return 100;
    }
};
}  // namespace

TEST_F(hold, a_waiter_takes_the_hold_when_its_holder_lets_go_and_waits_on_whoever_took_it_first) {
    struct wake_case {
        std::vector<int> passed_on_at, released_at;
        std::vector<int> waits;  // the pauses asked for
        int checks;              // checks that found the hold (the display)
    };
    const wake_case cases[] = {
        {{}, {1}, {500}, 1},
        {{1}, {2}, {500, 400}, 1},
        {{2}, {3}, {500, 500, 400}, 2},
        {{1, 2}, {4}, {500, 400, 300, 500}, 2},
    };
    for (bool taking : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.waits.size()) + (taking ? " taking" : " waiting"));
            waking_seam seam;
            seam.passed_on_at = c.passed_on_at;
            seam.released_at = c.released_at;
            if (taking)
                place_hold();
            else
                wait_for_hold();
            EXPECT_EQ(hold_owned(), taking);
            EXPECT_EQ(seam.waits, c.waits);
            EXPECT_TRUE(seam.holder_locked_the_file) << "the wait is on the holder's lock";
            EXPECT_EQ(out.take(), expected_wait_display(c.checks));
            // A waiter's pause after the check that found the hold gone, as ever.
            EXPECT_EQ(seam.sleeps, taking ? std::vector<int>{} : std::vector<int>{500});
            release_own_hold();
        }
    }
}
