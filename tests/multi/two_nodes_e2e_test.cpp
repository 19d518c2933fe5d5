// Two callers on two nodes in one game directory, each on a pseudo-terminal as a BBS runs
// the game: the second caller's arrival shows on the first caller's screen, mail written on
// one node is read on the other, and the first hears of the second's leaving.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <regex>

#include "support/pty.hpp"
#include "support/screen.hpp"
#include "support/temp_dir.hpp"

namespace {
constexpr int wait_ms = 20000;

// One caller's terminal: keys typed, and the text read as the caller reads it (colour
// sequences left out), each wait going on after what the last one found.
struct caller {
    std::unique_ptr<pty_process> term;
    std::size_t read_up_to = 0;

    std::string text() const {
        static const std::regex ansi("\x1b\\[[0-9;?!]*[A-Za-z]");
        return std::regex_replace(term->output(), ansi, "");
    }
    bool shows(const std::string& wanted) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
        for (;;) {
            std::string t = text();
            std::size_t at = t.find(wanted, read_up_to);
            if (at != std::string::npos) {
                read_up_to = at + wanted.size();
                return true;
            }
            if (std::chrono::steady_clock::now() > until || !term->running()) return false;
            term->read_for(50);
        }
    }
    void type(const std::string& keys, const std::string& wanted) {
        term->send(keys);
        ASSERT_TRUE(shows(wanted)) << "typed \"" << keys << "\", waiting for \"" << wanted << "\":\n"
                                   << text().substr(read_up_to);
    }
};

struct two_nodes : ::testing::Test {
    temp_dir game{false};
    two_nodes() {
        const char* data = std::getenv("QV_DATA_DIR");
        copy_tree(data ? data : "data", game.path());
        // Today's maintenance first, as the BBS's nightly event runs it.
        EXPECT_EQ(start({"MAINT"}).term->wait_exit(wait_ms), 0);
    }
    caller start(int node) { return start({"/L", "/N" + std::to_string(node)}, node); }
    caller start(std::vector<std::string> args, int seed = 0) {
        pty_process::options o;
        o.dir = game.path();
        o.args = std::move(args);
        o.env = {"QV_TEST_NOSLEEP=1", "QV_TEST_CLOCK=20260115120000", "QV_TEST_SEED=" + std::to_string(seed)};
        return caller{std::make_unique<pty_process>(qv_binary("quorvath"), o)};
    }
    // A local log-on of a newcomer who makes a character and reaches the town square.
    void enter(caller& c, const std::string& bbs_name, const std::string& name) {
        ASSERT_TRUE(c.shows("(or leave blank for"));
        c.type("", ">");
        c.type(bbs_name + "\r", "[ Hit any key ]");
        // The game's first start loads the stock items, with a key wait of its own.
        if (c.text().find("UPDATING ITEMS") != std::string::npos) c.type("\r", "[ Hit any key ]");
        // The keys typed, each with the text it brings up.
        const std::pair<std::string, std::string> dialogue[] = {
            {"x", "Selection : "},
            {"E", "Enter this Realm? [Y] :"}, {"Y", "called in this realm?"}, {"", ">"},
            {name + "\r", "Go by the name : "}, {"\r", "(K/B/L/H/C/T) :"}, {"k", "Choose your gender : "},
            {"f", "[HIT ANY KEY]"}, {"x", "[ Hit any key ]"}, {"x", "[ Hit any key ]"}, {"x", "Command  : "}};
        for (const auto& [keys, wanted] : dialogue) c.type(keys, wanted);
    }
};

TEST_F(two_nodes, an_arrival_is_announced_and_mail_crosses_between_the_nodes) {
    caller first = start(1);
    enter(first, "Anna Berg", "Bess");
    caller second = start(2);
    enter(second, "Carl Dorn", "Dora");

    // The first node's square polls its queue while it waits for a key.
    ASSERT_TRUE(first.shows("System Message")) << first.text();
    ASSERT_TRUE(first.shows("Dora has entered the realm."));
    ansi_screen seen;
    seen.feed(first.term->output());
    EXPECT_TRUE(seen.contains("  Dora has entered the realm.")) << seen.text();

    // Mail from the second node to the first.
    second.type("d", "Mail who : ");
    second.type("bess\r", "You mean BESS (Y/N) [Y] : ");
    second.type("y", "Enter message below: (blank line ends)");
    ASSERT_TRUE(second.shows("Bess"));
    second.type("", ": ");
    second.type("Meet me at the inn.\r", ": ");
    second.type("~ADD GLD 99999\r", ": ");
    second.type("\r", "Mail Sent to Bess.");
    second.type("x", "Command  : ");

    ASSERT_TRUE(first.shows("You are stopped with some important news."));
    ASSERT_TRUE(first.shows("Message from Dora :"));
    ASSERT_TRUE(first.shows("Meet me at the inn."));
    ASSERT_TRUE(first.shows(" ~ADD GLD 99999"));
    ASSERT_TRUE(first.shows("Reply? (Y/N) [Y] : "));
    first.type("n", "Command  : ");
    EXPECT_FALSE(file_present(game.file("user0001.dat")));
    EXPECT_FALSE(file_present(game.file("user0001.tmp")));

    // The second caller leaves; the first hears of it.
    second.type("l", "[N] :");
    second.term->send("y");
    EXPECT_EQ(second.term->wait_exit(wait_ms), 0);
    ASSERT_TRUE(first.shows("Dora has left the realm."));
    first.type("l", "[N] :");
    first.term->send("y");
    EXPECT_EQ(first.term->wait_exit(wait_ms), 0);

    // Every message was logged once, when sent: ENTERREALM and LEAVEREALM.
    std::string log = read_file(game.file("olmess.txt"));
    std::size_t entries = 0;
    for (std::size_t at = 0; (at = log.find("Message : ", at)) != std::string::npos; ++at) ++entries;
    EXPECT_EQ(entries, 2u) << log;
}
}  // namespace
