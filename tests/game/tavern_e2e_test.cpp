// The Stout Mug through the real game: a Ranger newcomer gets a bow from Shady behind the
// tavern, is not welcome at his table a second time that day, and has a drink from Daisy.
#include "game/game_e2e.hpp"

using namespace e2e;

TEST_F(game_e2e, a_ranger_buys_a_bow_behind_the_stout_mug) {
    session p = newcomer("20260115120000", "t");
    const std::string tavern = "   The Stout Mug:  (T,G,S,J,P,L,V,F,R,?)\r\n\r\n  Command? [L] : ";
    p.key("t", tavern);
    p.key("s", "   The Shady Character:  (S,P,A,K,L,?)\r\n\r\n  Command? [L] : ");
    p.key("a", "  it for you.  It will cost you 375\r\n  You still interested? (Y/N) [Y] :");
    p.key("\r",
          "Yeah, I still want it.\r\n  \"Alright, meet me around back when you leave.  Now leave.\"\r\n      [ Hit any "
          "key ]");
    p.key("x", "   Behind The Stout Mug:  (Y,N,W,V,F,R,?)\r\n\r\n  Command? [Y] : ");
    p.key("\r", "  Shady disappears as quickly as he had appeared.\r\n");
    p.key("", "Command  : ");
    p.key("t", tavern);
    p.key("s", "S\r\n\r\n  You realize you've been seen enough with Shady already.\r\n");
    p.key("g", "  You have 125 gold on hand.\r\n\r\n   Daisy The Waitress:  (A,S,F,H,W,L,?)\r\n\r\n  Command? [L] : ");
    p.key("a", "  You pay Daisy for the drink and drink it down.\r\n");
    p.key("", tavern);
    p.key("l", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);
    std::string players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    EXPECT_EQ(i32_of(players, 82) & (64 | 256), 64 | 256);  // a bow, and Shady seen today
    EXPECT_EQ(i32_of(players, 159), 75);
}
