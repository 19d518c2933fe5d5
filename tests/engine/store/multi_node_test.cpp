// Several nodes at once: real processes forked from the test binary share one game directory.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

#include "engine/engine_state.hpp"
#include "engine/store/file_access.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/lookups.hpp"
#include "support/child.hpp"

namespace {
// Real pauses, shortened: the hold's 500 ms becomes 500/scale ms, so nodes really wait for
// each other but a test takes seconds, not minutes.
struct scaled_seam : system_seam {
    int scale;
    explicit scaled_seam(int s) : scale(s) { set_sys(this); }
    void sleep_ms(int ms) override { ::usleep(static_cast<useconds_t>(ms) * 1000 / scale); }
};

using clock_type = std::chrono::steady_clock;

constexpr int writers = 8;
constexpr int others = 20;
constexpr std::int16_t bank_number = 99;

void setup_players() {
    std::vector<character_record> recs;
    for (int i = 1; i <= writers; ++i) {
        recs.push_back(make_char(static_cast<std::int16_t>(i), "Writer" + std::to_string(i)));
        recs.back().gold = 0;
    }
    for (int i = 0; i < others; ++i)
        recs.push_back(make_char(static_cast<std::int16_t>(100 + i), "Other" + std::to_string(i)));
    recs.push_back(make_char(bank_number, "Bank"));
    put_chars(recs);
}

void writer_node(int me, clock_type::time_point until) {
    // 100 ms pauses, and a breath between saves as a real node takes between its places:
    // eight nodes then keep the hold busy a few percent of the time, as real nodes with
    // their 500 ms do, so no node runs out of its 41 checks even on a loaded machine
    // (sanitizers, a parallel test run).
    scaled_seam seam(5);
    install_exit_handler();
    read_char_file();
    cur_char = char_num_ptr(static_cast<std::int16_t>(me));
    cur_char->online = 1;
    int saves = 0, deposits = 0;
    // A few saves, a deposit among them, however late a loaded machine starts the node.
    while (saves < 5 || clock_type::now() < until) {
        ++saves;
        cur_char->gold = saves;
        cur_char->experience = saves * 10;
        write_char_file(true);
        if (saves % 5 == 0) {
            update_under_hold([] { char_num_ptr(bank_number)->bank_gold += 1; });
            ++deposits;
        }
        ::usleep(20 * 1000);
    }
    write_file("final" + std::to_string(me) + ".txt", std::to_string(saves) + " " + std::to_string(deposits));
}

// Reads "players.dat" in a loop: every image must be whole, hold every record, and no
// writer's gold may ever go backwards.
void reader_node(clock_type::time_point until) {
    std::map<int, int> last_gold;
    long reads = 0;
    std::string problem;
    while ((reads == 0 || clock_type::now() < until) && problem.empty()) {
        std::string img = read_file("players.dat");
        ++reads;
        std::vector<character_record> recs;
        if (!parse_records(img, recs)) {
            problem = "torn file of " + std::to_string(img.size()) + " bytes";
            break;
        }
        if (recs.size() != writers + others + 1) problem = "record count " + std::to_string(recs.size());
        for (const auto& c : recs) {
            if (c.number >= 1 && c.number <= writers) {
                if (c.name.str() != "Writer" + std::to_string(c.number)) problem = "bad name " + c.name.str();
                if (c.gold < last_gold[c.number]) problem = "gold went back for " + c.name.str();
                last_gold[c.number] = c.gold;
            }
        }
    }
    write_file("reader.txt", problem.empty() ? "ok " + std::to_string(reads) : problem);
}
}  // namespace

TEST(multi_node, eight_writers_and_a_reader_lose_nothing) {
    engine_state st;
    setup_players();
    auto until = clock_type::now() + std::chrono::milliseconds(race_rounds(3000));
    std::vector<pid_t> pids;
    for (int i = 1; i <= writers; ++i) pids.push_back(start_child([i, until] { writer_node(i, until); }));
    pids.push_back(start_child([until] { reader_node(until); }));
    for (pid_t p : pids) {
        child_result r = wait_child(p);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.code, 0);
    }
    std::string reader = read_file("reader.txt");
    EXPECT_EQ(reader.rfind("ok ", 0), 0u) << reader;

    auto recs = file_chars();
    ASSERT_EQ(recs.size(), static_cast<std::size_t>(writers + others + 1));
    int total_deposits = 0;
    std::map<int, character_record> by_number;
    for (const auto& c : recs) by_number[c.number] = c;
    for (int i = 1; i <= writers; ++i) {
        std::istringstream fin(read_file("final" + std::to_string(i) + ".txt"));
        int saves = 0, deposits = 0;
        fin >> saves >> deposits;
        EXPECT_GT(saves, 0);
        EXPECT_EQ(by_number[i].gold, saves) << "writer " << i << "'s last state is in the file";
        EXPECT_EQ(by_number[i].experience, saves * 10);
        total_deposits += deposits;
    }
    EXPECT_EQ(by_number[bank_number].bank_gold, total_deposits) << "no update under the hold was lost";
    EXPECT_FALSE(file_present("hold.dat"));
}

TEST(multi_node, new_player_numbers_are_never_handed_out_twice) {
    engine_state st;
    std::vector<pid_t> pids;
    for (int i = 0; i < writers; ++i)
        pids.push_back(start_child([i] {
            scaled_seam seam(5);
            read_char_file();
            update_under_hold(
                [i] { cur_char = add_char(make_char(lowest_free_char_number(), "New" + std::to_string(i))); });
        }));
    for (pid_t p : pids) EXPECT_EQ(wait_child(p).code, 0);
    std::set<int> numbers;
    for (const auto& c : file_chars()) numbers.insert(c.number);
    EXPECT_EQ(numbers, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}

namespace {
volatile std::sig_atomic_t hung_up = 0;
void kit_like_hangup(int) {
    carrier_present = 0;
    hung_up = 1;
}

// A node that takes the hold and is stuck inside its write until a signal comes.
void holding_node(bool hangup_handler) {
    scaled_seam seam(50);
    install_exit_handler();
    if (hangup_handler) std::signal(SIGTERM, kit_like_hangup);
    read_char_file();
    cur_char = char_num_ptr(1);
    place_hold();
    while (!hung_up) ::usleep(1000);
    cur_char->gold = 5555;
    remove_hold();  // the write is done: the lost carrier now ends the program
}

void saving_node() {
    scaled_seam seam(20);
    read_char_file();
    cur_char = char_num_ptr(2);
    cur_char->gold = 6666;
    write_char_file(true);
}
}  // namespace

TEST(multi_node, a_node_killed_while_holding_the_hold_does_not_block_the_others) {
    for (int sig : {SIGTERM, SIGSEGV}) {
        SCOPED_TRACE(sig == SIGTERM ? "hang-up" : "crash");
        engine_state st;
        put_chars({make_char(1, "Holder"), make_char(2, "Saver")});
        pid_t holder = start_child([sig] { holding_node(sig == SIGTERM); });
        for (int i = 0; i < 2000 && !file_present("hold.dat"); ++i) ::usleep(1000);
        ASSERT_TRUE(file_present("hold.dat"));
        pid_t saver = start_child(saving_node);
        ::usleep(100 * 1000);
        EXPECT_TRUE(file_present("hold.dat")) << "the saver waits";
        ::kill(holder, sig);
        child_result h = wait_child(holder);
        child_result s = wait_child(saver);
        EXPECT_EQ(s.code, 0) << "the saver got the hold";
        EXPECT_TRUE(s.exited);
        EXPECT_FALSE(file_present("hold.dat"));
        std::map<int, int> gold;
        for (const auto& c : file_chars()) gold[c.number] = c.gold;
        EXPECT_EQ(gold[2], 6666);
        if (sig == SIGTERM) {
            EXPECT_TRUE(h.exited);
            EXPECT_EQ(h.code, 0);
            EXPECT_EQ(gold[1], 5555) << "the hung-up node saved its character on the way out";
        } else {
            EXPECT_FALSE(h.exited);
        }
    }
}

TEST(multi_node, locked_appends_and_pops_never_lose_or_repeat_a_line) {
    engine_state st;
    constexpr int appenders = 6, lines = 300;
    std::vector<pid_t> pids;
    for (int a = 0; a < appenders; ++a)
        pids.push_back(start_child([a] {
            for (int n = 0; n < lines; ++n)
                locked_append("node0001.msg", "p" + std::to_string(a) + " " + std::to_string(n) + "\n");
        }));
    pid_t popper = start_child([] {
        std::string got;
        auto until = clock_type::now() + std::chrono::seconds(20);
        while (clock_type::now() < until && !file_present("done.flag")) {
            locked_update("node0001.msg", [&](std::string& c) {
                got += c;
                return locked_action::erase;
            });
        }
        locked_update("node0001.msg", [&](std::string& c) {
            got += c;
            return locked_action::erase;
        });
        write_file("popped.txt", got);
    });
    for (pid_t p : pids) EXPECT_EQ(wait_child(p).code, 0);
    write_file("done.flag", "");
    EXPECT_EQ(wait_child(popper).code, 0);
    std::multiset<std::string> seen;
    std::istringstream in(read_file("popped.txt"));
    for (std::string line; std::getline(in, line);) seen.insert(line);
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(appenders * lines));
    for (int a = 0; a < appenders; ++a)
        for (int n = 0; n < lines; n += 37)
            EXPECT_EQ(seen.count("p" + std::to_string(a) + " " + std::to_string(n)), 1u);
    std::set<std::string> unique(seen.begin(), seen.end());
    EXPECT_EQ(unique.size(), seen.size()) << "no line popped twice";
    EXPECT_FALSE(file_present("node0001.msg"));
}
