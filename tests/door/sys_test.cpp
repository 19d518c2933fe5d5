// The running game's dice: reseeding from the clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

#include "door/sys.hpp"

namespace {
// The real dice with the clock standing still inside one second.
struct one_second_seam : system_seam {
    local_time now() override {
        local_time t;
        t.year = 2026, t.month = 1, t.day = 15, t.hour = 21, t.minute = 14, t.second = 7;
        return t;
    }
};
}  // namespace

TEST(dice, reseeds_within_one_second_still_give_new_dice) {
    // A caller who searches the forest twice in a second must not meet the same event twice:
    // each search reseeds and then draws the event.
    one_second_seam seam;
    std::vector<std::vector<int>> runs;
    std::set<int> first_events;
    for (int search = 0; search < 20; ++search) {
        seam.randomize();
        std::vector<int> draws;
        for (int i = 0; i < 4; ++i) draws.push_back(seam.random(1000));
        runs.push_back(draws);
        seam.randomize();
        first_events.insert(seam.random(14));
    }
    for (std::size_t i = 1; i < runs.size(); ++i) EXPECT_NE(runs[i], runs[i - 1]) << i;
    EXPECT_GT(first_events.size(), 4u);
}

TEST(node_wait, a_wait_on_another_nodes_lock_lasts_while_it_holds_and_ends_when_it_lets_go) {
    char path[] = "/tmp/qvlockXXXXXX";
    int holder = mkstemp(path);
    ASSERT_GE(holder, 0);
    int waiter = open(path, O_RDONLY);
    unlink(path);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    system_seam* was = set_sys(nullptr);
    EXPECT_EQ(sys().wait_for_node_ms(20, waiter), 20);
    close(holder);
    // A minute unless the free lock ends it.
    EXPECT_LT(sys().wait_for_node_ms(60000, waiter), 60000);
    set_sys(was);
    close(waiter);
}
