// The shops as a caller meets them: a newcomer buys a weapon with the starting gold, finds it
// in the inventory, sells it back, and looks at the other two shops' stock.
#include "game/game_e2e.hpp"

using namespace e2e;

TEST_F(game_e2e, a_newcomer_buys_a_dagger_sells_it_back_and_looks_at_the_other_shops) {
    session p = newcomer();
    p.key("w", "Alfonse's Weapon Emporeum:  (E,B,S,Y,V,F,R,L,?)");
    p.key("", "Command? [L] : ");
    p.key("e",
          "            01       Dagger                          300\r\n"
          "            02       Short Sword                   2,100\r\n");
    p.key("b", "  You have 500 gold on hand.\r\n  \"So, which one ya want?\"\r\n\r\n  Choice : ");
    p.key("1\r", "  \"Alright, a Dagger is always a fine choice.\"\r\n  Buy this weapon, are you sure? (Y/N) [Y] :");
    p.key("\r", "Yes!\r\n  Alfonse takes your 300 and gives you your new Dagger\r\n");
    p.key("y", "Inventory Menu");
    p.key("", "Dagger");
    p.key("l", "Command? [L] : ");
    p.key("s", "Selling Items:");
    p.key("", "Dagger");
    p.key("", "Sell which Item #? : ");
    p.key("1\r", "  \"I will offer you 108 gold for your Dagger.\"\r\n\r\n  Accept his offer? (Y/N) [N] : ");
    p.key("y",
          "Y\r\n\r\n  \"Great, thanks for the Dagger\"\r\n\r\n  Alfonse takes your Dagger and gives you 108 gold.\r\n");
    p.key("l", "Command  : ");
    p.key("a", "Tonio's Hall of Armor:");
    p.key("e", "            01       Padded Vest                     250\r\n");
    p.key("l", "Command  : ");
    p.key("s", "Bartrich's Shield Hut:");
    p.key("e", "            01       Wicker Shield                   200\r\n");
    p.key("l", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);

    // The starting gear is all the caller carries; 500 - 300 + 108 gold; the stock never
    // runs out of daggers, so the stock files are the default ones.
    std::string items = read_file(game.file("invt0001.dat"));
    ASSERT_EQ(items.size(), 3u * 70);
    for (std::size_t r = 0; r < 3; ++r) EXPECT_NE(items.substr(r * 70 + 1, 6), "Dagger");
    std::string players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    EXPECT_EQ(i32_of(players, 159), 308);
    for (const char* f : {"weapon.shp", "armor.shp", "shield.shp"})
        EXPECT_EQ(read_file(game.file(f)), read_file(std::string(std::getenv("QV_DATA_DIR")) + "/" + f)) << f;
}
