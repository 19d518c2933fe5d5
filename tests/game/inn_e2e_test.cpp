// The inn through the real game: a newcomer meets Louis, takes a room and the game ends; the
// next call the same day wakes in the inn; the healers find nothing to heal.
#include "game/game_e2e.hpp"

using namespace e2e;

TEST_F(game_e2e, a_newcomer_sleeps_at_the_inn_and_wakes_there) {
    session p = newcomer();
    p.key("i", "   Tall Tallow Inn:  (G,T,L,V,F,R,?)\r\n\r\n  Command? [G] : ");
    p.key("t", "   Conversing with Louis:  (R,B,I,L,V,?)\r\n\r\n  Command? [L] : ");
    p.key("l", "Command? [G] : ");
    p.key("g", "  \"A room will cost you 300 gold coins.\"\r\n  Still Interested? (Y/N) [N] : ");
    p->send("y");
    ASSERT_EQ(p->wait_exit(wait_ms), 0);
    std::string players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    EXPECT_EQ(players[292], 1);  // asleep at the inn
    EXPECT_EQ(players[294], 0);  // not online
    EXPECT_EQ(i32_of(players, 159), 200);
    EXPECT_EQ(stored_chars(game.file("players.dat"))[0].location, "bTall Tallow Inn");

    // The next call: the day's report, then the player wakes in the inn.
    p = back_to_square("   Tall Tallow Inn:  (G,T,L,V,F,R,?)\r\n\r\n  Command? [G] : ");
    p.key("l", "Command  : ");
    p.key("h", "   It will cost 6 gold per hit point to heal you.");
    p.key("h", "  \"But I see nothing wrong with you Bob\" says the healer.");
    p.key("l", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);
    EXPECT_EQ(read_file(game.file("players.dat"))[292], 0);
    EXPECT_EQ(stored_chars(game.file("players.dat"))[0].location, "tTown Square");
}
