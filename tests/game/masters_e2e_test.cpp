// The masters' house as a caller meets it: a strong level-1 character takes its test, beats
// the Shadow Monster and leaves at level 2.
#include "game/game_e2e.hpp"

using namespace e2e;

TEST_F(game_e2e, a_ready_character_beats_its_test_and_rises_a_level) {
    session p = newcomer();
    ASSERT_EQ(leave_game(p), 0);

    // 201 experience (one more than level 1 needs), and strong enough to fell the monster.
    std::string players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    int defense = i16_of(players, 70), shield = i16_of(players, 72);
    golden g(299);
    g.raw(0, players).i16(68, 5000).i16(86, 500).i16(88, 500).i32(171, 201);
    write_file(game.file("players.dat"), g.b);

    p = back_to_square();
    p.key("m", "Command? [L] : ");
    EXPECT_TRUE(screen_of(p->take()).contains("   Masters House:  (P,C,V,R,F,L,?)"));
    EXPECT_EQ(stored_chars(game.file("players.dat"))[0].location, "bMasters House");
    p.key("p", "Command? [A] : ");
    EXPECT_NE(plain(p->output()).find("You ARE ready for your next test my son\"\r\n"), std::string::npos);
    p.key("a", "You have defeated the Shadow Monster!!");
    p.key("", "[ Hit any key ]");
    p.key("x", "Command? [L] : ");
    EXPECT_NE(plain(p->output())
                  .find("  You are now level 2.\r\n  You gain : 16 HP, 8 Attack, 6 Defense, 3 Damage Reduction"),
              std::string::npos)
        << plain(p->output());
    p.key("l", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);

    players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    EXPECT_EQ(i16_of(players, 175), 2);
    EXPECT_EQ(i16_of(players, 68), 5008);
    EXPECT_EQ(i16_of(players, 70), defense + 6);
    EXPECT_EQ(i16_of(players, 72), shield + 3);
    EXPECT_EQ(i16_of(players, 86), 516);
    EXPECT_EQ(i16_of(players, 88), 516);
    EXPECT_EQ(i32_of(players, 171), 201);
}
