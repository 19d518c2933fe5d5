// The message queues: what a send writes to the queue and to "olmess.txt", popping, and
// several nodes appending while the owner pops.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <unistd.h>

#include "engine/store/file_access.hpp"
#include "multi/node_queue.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

namespace {
const std::string esc = "\x1b[";

struct queues : multi_state {
    queues() {
        play_as("anna smith", 2, 1);
        other(2, "BOB");
        save();
    }
};

TEST_F(queues, a_send_is_one_queue_line_and_one_five_line_log_entry) {
    send_node_msg("bob", {node_verb::message, "`%Anna: `3hello"});
    EXPECT_EQ(read_file("node0002.msg"), "MESSAGE `%Anna: `3hello\n");
    EXPECT_EQ(read_file("olmess.txt"), esc + "1;34mFrom    : " + esc + "0;1mAnna Smith          " + esc + "0m\n" + esc +
                                           "1;34m  To    : " + esc + "0;1mBob                 " + esc + "0m\n" + esc +
                                           "1;34mTime    : " + esc + "0;1mThursday 01/15/26  12:00:" + esc + "0m\n" +
                                           esc + "1;34mMessage : " + esc + "0;31mMESSAGE " + esc + "0;1mAnna: " + esc +
                                           "0;36mhello" + esc + "0m\n" + esc +
                                           "1;31m-------------------------------------" + esc + "0m\n");

    send_node_msg_to(2, {node_verb::page, "1"});
    EXPECT_EQ(read_file("node0002.msg"), "MESSAGE `%Anna: `3hello\nPAGE 1\n");
    EXPECT_EQ(file_lines(read_file("olmess.txt")).size(), 10u);
}

TEST_F(queues, a_send_is_always_one_line_and_never_reaches_a_character_not_in_the_list) {
    send_node_msg("Bob", {node_verb::message, "hi\r\nLEAVEREALM 1 0\x1b[2J\x7f" + std::string(300, 'x')});
    std::string line = read_file("node0002.msg");
    EXPECT_EQ(line, "MESSAGE hi..LEAVEREALM 1 0.[2J." + std::string(255 - 31, 'x') + "\n");

    send_node_msg("Nobody", {node_verb::message, "hi"});
    send_node_msg_to(77, {node_verb::message, "hi"});
    send_node_msg_to(0, {node_verb::message, "hi"});
    EXPECT_EQ(file_lines(read_file("olmess.txt")).size(), 5u);
    EXPECT_FALSE(file_present("node0077.msg"));
    EXPECT_FALSE(file_present("node0000.msg"));
}

TEST_F(queues, popping_takes_the_first_line_and_leaves_the_rest_whole_in_order_unlogged) {
    seam.sleeps.clear();
    EXPECT_FALSE(node_msg_waiting());
    EXPECT_EQ(pop_node_msg(), "");
    write_file("node0001.msg", "first\r\n" + std::string(150, 'b') + "\rthird\n");
    EXPECT_TRUE(node_msg_waiting());
    EXPECT_EQ(pop_node_msg(), "first");
    EXPECT_EQ(read_file("node0001.msg"), std::string(150, 'b') + "\rthird\n");
    EXPECT_EQ(pop_node_msg(), std::string(150, 'b'));
    EXPECT_EQ(pop_node_msg(), "third");
    EXPECT_FALSE(node_msg_waiting());
    EXPECT_FALSE(file_present("olmess.txt"));
    // Every pop waits 100 ms first, as the game always has.
    EXPECT_EQ(seam.sleeps, (std::vector<int>{100, 100, 100, 100}));

    write_file("node0001.msg", std::string(300, 'L') + "\n\nlast");
    EXPECT_EQ(pop_node_msg(), std::string(255, 'L'));
    EXPECT_EQ(pop_node_msg(), "");
    EXPECT_TRUE(node_msg_waiting());
    EXPECT_EQ(pop_node_msg(), "last");
    EXPECT_FALSE(node_msg_waiting());
}

// Four nodes append 1,000 lines each (fewer under the sanitizers) while the owner pops: every
// line arrives exactly once, each sender's lines in the order sent, and each is logged once.
TEST_F(queues, four_senders_and_one_popper_lose_nothing_and_read_nothing_twice) {
    constexpr int senders = 4, lines_each = race_rounds(1000);
    for (int s = 0; s < senders; ++s) other(static_cast<std::int16_t>(10 + s), "Sender" + std::to_string(s));
    save();
    std::vector<pid_t> pids;
    for (int s = 0; s < senders; ++s)
        pids.push_back(start_child([s] {
            cur_char = char_num_ptr(static_cast<std::int16_t>(10 + s));
            for (int i = 0; i < lines_each; ++i)
                send_node_msg("Anna Smith", {node_verb::message, std::to_string(s) + " " + std::to_string(i)});
        }));

    std::map<int, int> next;
    std::set<std::string> seen;
    std::string problem;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    while (seen.size() < std::size_t(senders * lines_each) && problem.empty() &&
           std::chrono::steady_clock::now() < until) {
        std::string line = pop_node_msg();
        if (line.empty()) continue;
        if (!seen.insert(line).second) problem = "twice: " + line;
        int s = std::stoi(word_at(line, 2)), i = std::stoi(word_at(line, 3));
        if (i != next[s]) problem = "out of order: " + line;
        next[s] = i + 1;
    }
    for (pid_t p : pids) EXPECT_TRUE(wait_child(p).exited);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(seen.size(), std::size_t(senders * lines_each));
    EXPECT_FALSE(node_msg_waiting());

    std::vector<std::string> log = file_lines(read_file("olmess.txt"));
    ASSERT_EQ(log.size(), std::size_t(senders * lines_each * 5));
    std::set<std::string> logged;
    for (std::size_t i = 3; i < log.size(); i += 5) EXPECT_TRUE(logged.insert(log[i]).second) << log[i];
}
}  // namespace
