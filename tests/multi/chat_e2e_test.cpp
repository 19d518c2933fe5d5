// Three game processes in one directory meet in the chat room: talk, a page, a chat fight
// that the third member watches, and a member who hangs up.
#include <gtest/gtest.h>

#include "two_nodes.hpp"

namespace {
using namespace two_node;

struct chat_room_e2e : two_nodes {
    caller a, b, c;
    // The side whose fight turn comes up next: the one that shows a new turn prompt.
    caller* next_turn() {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
        while (std::chrono::steady_clock::now() < until) {
            for (caller* side : {&a, &c}) {
                side->term->read_for(20);
                if (side->text().find("Command? [A] : ", side->read_up_to) != std::string::npos) {
                    EXPECT_TRUE(side->shows("Command? [A] : "));
                    return side;
                }
            }
        }
        ADD_FAILURE() << "no turn came:\n"
                      << a.text().substr(a.read_up_to) << "\n----\n"
                      << c.text().substr(c.read_up_to);
        return nullptr;
    }
};

TEST_F(chat_room_e2e, members_talk_page_fight_and_a_hang_up_leaves_the_room) {
    // The fighters can take any blow: whichever side the dice favour, no strike ends the fight.
    made_on(1, "Anna Berg", "Bess");
    made_on(3, "Eric Fox", "Gwen");
    constexpr std::size_t hit_points_at = 86, max_hit_points_at = 88;
    change_players([](const std::string& name, std::string& rec) {
        if (name == "BESS" || name == "GWEN")
            for (std::size_t at : {hit_points_at, max_hit_points_at}) set16(rec, at, 30000);
    });
    a = start(1);
    come_back(a, "Anna Berg");
    b = start(2);
    enter(b, "Carl Dorn", "Dora");
    c = start(3);
    come_back(c, "Eric Fox");
    a.type(".", "Characters In the Chat Room:\r\nBess\r\n>");
    a.type("?\r", "PAGE name");
    b.type(".", ">");
    ASSERT_TRUE(a.shows("Dora has entered the room.\r\n>"));
    a.type("hello there\r", ">");
    ASSERT_TRUE(b.shows("Bess: hello there\r\n>"));
    a.type("PAGE gwen\r", "Gwen has been paged.\r\n>");
    // The page comes below the square's waiting prompt, which is drawn again under it.
    ASSERT_TRUE(c.shows("Bess has PAGED you to the chat room.\r\n"));
    EXPECT_TRUE(
        c.text().substr(0, c.read_up_to).ends_with("  Command  : \r\n  Bess has PAGED you to the chat room.\r\n"))
        << c.text();
    ASSERT_TRUE(c.shows("\r\n\r\n  Command  : "));
    ASSERT_TRUE(a.shows("Gwen has received your page.\r\n>"));
    c.type(".", ">");
    ASSERT_TRUE(a.shows("Gwen has entered the room."));
    ASSERT_TRUE(b.shows("Gwen has entered the room."));

    // The fight: the first turn strikes, the second runs away.
    a.type("ATTACK gwen\r", ">");
    ASSERT_TRUE(b.shows("[Bess has attacked Gwen]"));
    caller* first = next_turn();
    ASSERT_TRUE(first);
    first->term->send("a");
    caller* second = next_turn();
    ASSERT_TRUE(second);
    ASSERT_NE(first, second);
    std::string striker = first == &a ? "Bess" : "Gwen", runner = first == &a ? "Gwen" : "Bess";
    ASSERT_TRUE(b.shows("[" + striker + " ")) << b.text();
    ASSERT_TRUE(b.shows(" " + runner + "]"));
    second->type("r", "You run for your LIFE.  What a coward.");
    ASSERT_TRUE(first->shows(runner + " has FLED!  What a coward."));
    ASSERT_TRUE(b.shows("[" + runner + " has fled from " + striker + "]"));

    // Both may leave the fight's end behind them; B hangs up and is gone from A's room.
    b.term->hangup();
    EXPECT_EQ(b.term->wait_exit(wait_ms), 0);
    ASSERT_TRUE(a.shows("Dora has left the realm."));
    a.type("WHO\r", "Characters In the Chat Room:");
    ASSERT_TRUE(a.shows(">"));
    std::string who = a.text().substr(a.text().rfind("Characters In the Chat Room:"));
    EXPECT_EQ(who.find("Dora"), std::string::npos) << who;
    EXPECT_NE(who.find("Gwen"), std::string::npos) << who;
    a.type("L\r", "Command  : ");
    c.type("q\r", "Command  : ");
    EXPECT_EQ(leave(a), 0);
    EXPECT_EQ(leave(c), 0);
}
}  // namespace
