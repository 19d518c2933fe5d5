// Two callers on two nodes in one game directory, each on a pseudo-terminal as a BBS runs
// the game: the second caller's arrival shows on the first caller's screen, mail written on
// one node is read on the other, and the first hears of the second's leaving.
#include <gtest/gtest.h>

#include "two_nodes.hpp"

namespace {
using namespace two_node;

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
