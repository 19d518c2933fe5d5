// The online win against a loser whose node is killed (SIGKILL) at a sweep of moments around
// the winning blow: the loser is a real process holding its character and carrying out its
// queue with the game's own pauses; the gold over the records never grows, and moves once,
// and the loser is dead however early its node was killed.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <thread>
#include <unistd.h>

#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/text/lookups.hpp"
#include "multi/node_queue.hpp"
#include "multi/player_fight.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

namespace {
constexpr std::int16_t winner = 1, loser = 2;
constexpr std::int32_t loser_gold = 3000;

// The game's own pauses, really taken but five times shorter: the queue's 100 ms before a
// pop, the hold's 500 ms.
struct short_pauses : system_seam {
    void sleep_ms(int ms) override { ::usleep(static_cast<useconds_t>(ms) * 200); }
};

// The loser's node: it holds its character and dispatches its queue, as a node in a fight
// waits; it has no caller's keys.
[[noreturn]] void loser_node() {
    static short_pauses pauses;
    set_sys(&pauses);
    int none = ::open("/dev/null", O_RDONLY);
    ::dup2(none, 0);
    cur_char = char_num_ptr(loser);
    set_own_base();
    lock_character(loser);
    for (;;) {
        if (node_msg_waiting())
            check_node_messages(0);
        else
            delay_ms(5);
    }
}

struct online_win_kill : multi_state {
    online_win_kill() {
        write_file("quortext.dat", "@#pfight\nAVRDL\n@#\n");
        check_frequency = 1;
    }
    // Anna (this node) against Dora, one blow from death with 3,000 gold, as both files hold them.
    void meet() {
        del_char_list();
        anna().attack = 30;
        character_record& dora = other(loser, "dora", 2);
        dora.hit_points = 1;
        dora.gold = loser_gold;
        dora.location = "tTown Square";
        save();
        set_own_base();
        for (std::int16_t n : {winner, loser}) std::remove(queue_file_name(n).c_str());
    }
    static std::map<std::int16_t, std::int64_t> gold_in_file() {
        std::map<std::int16_t, std::int64_t> gold;
        for (const character_record& c : file_chars()) gold[c.number] = c.gold;
        return gold;
    }
};

TEST_F(online_win_kill, the_loser_killed_at_any_moment_of_the_win_makes_no_gold) {
    // Moments in ms after the winning blow (the loser reads its queue about 20 ms on, takes
    // the hold about 100 ms later, writes its death and the statistics, and ends); -1: killed
    // just before the blow.
    for (int moment : {-1, 0, 10, 20, 60, 100, 110, 115, 120, 125, 130, 160, 220, 300}) {
        meet();
        const std::map<std::int16_t, std::int64_t> before = gold_in_file();
        const std::int64_t anna_gold = before.at(winner);
        pid_t node = start_child(loser_node);
        for (int i = 0; i < 500 && !character_in_play(loser); ++i) ::usleep(10'000);
        ASSERT_TRUE(character_in_play(loser));
        if (moment < 0) {
            ::kill(node, SIGKILL);
            wait_child(node);
        }
        seam.rolls = {0, 0, 99};
        {
            input_feed keys("ax");
            online_fight_round("dora", false);
        }
        std::string screen = plain(out.take());
        if (moment >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(moment));
            ::kill(node, SIGKILL);
            wait_child(node);
        }
        std::map<std::int16_t, std::int64_t> after = gold_in_file();
        EXPECT_EQ(after.at(winner) + after.at(loser), anna_gold + loser_gold) << moment;
        if (moment < 0) {
            // No blow: the opponent's run is queued here, and ends the wait as a run does.
            EXPECT_EQ(screen.find("You have defeated"), std::string::npos) << screen;
            EXPECT_EQ(read_file(queue_file_name(winner)), "RUN 0 2\n");
            EXPECT_EQ(after.at(winner), anna_gold);
        } else {
            EXPECT_NE(screen.find("and find 3000 gold."), std::string::npos) << moment << screen;
            EXPECT_EQ(after.at(winner), anna_gold + loser_gold) << moment;
            EXPECT_EQ(after.at(loser), 0) << moment;
            // Dead whenever its node was killed: the win's write marked it so.
            for (const character_record& c : file_chars())
                if (c.number == loser) {
                    EXPECT_EQ(c.dead, 1) << moment;
                }
        }
    }
}
}  // namespace
