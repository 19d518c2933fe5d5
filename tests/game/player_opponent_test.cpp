// A fight against a player who is away, when that player comes on line before it ends: its
// node holds the record then, so a win moves nothing and a loss pays it by mail commands.
#include <gtest/gtest.h>

#include "combat_state.hpp"
#include "engine/store/data_files.hpp"

namespace {
struct player_opponent : combat_state {
    character_record bob;
    player_opponent() {
        fighter();
        bob = make_char(2, "Bob");
        bob.sex = 1;
        bob.level = 1;
        bob.hit_points = bob.max_hit_points = 40;
        bob.gold = 300;
        bob.experience = 2000;
        bob.online = 1;  // came on line while the fight ran
        add_char(bob);
        write_char_file(false);
        bob.online = 0;  // the fight's copy, taken while it was away
        bob.hit_points = 5;
    }
};

TEST_F(player_opponent, a_win_over_a_player_back_on_line_moves_nothing) {
    input_feed keys(" ");
    player_hits(bob, 100);
    EXPECT_TRUE(shows(out.take(), "  You hit Bob for 99 points of damage.\r\n  Bob has slipped away.\r\n"));
    EXPECT_EQ(cur_char->gold, 100);
    EXPECT_EQ(cur_char->experience, 1000);
    character_record s = saved(2);
    EXPECT_EQ(s.dead, 0);
    EXPECT_EQ(s.gold, 300);
    EXPECT_EQ(s.experience, 2000);
    EXPECT_FALSE(file_present("user0002.dat"));
    EXPECT_TRUE(news().empty());
}

TEST_F(player_opponent, a_player_back_on_line_is_paid_for_a_killing_by_mail_commands) {
    child_result r = run_in_child([&] {
        input_feed keys(" ");  // the dead character's last key
        player_attacked_message(bob);
    });
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("You have been killed!"), std::string::npos) << r.out;
    EXPECT_EQ(read_file("user0002.dat"),
              "#0000 `%System Message\n  `4Hero has attacked you!\n  `3You have killed Hero in self defense.\n"
              "  You have gained `4100`3 experience.\n  You have taken `4100`3 gold from the corpse.\n~\n"
              "ADD EXP 100\nADD GLD 100\n");
    character_record s = saved(2);
    EXPECT_EQ(s.gold, 300);
    EXPECT_EQ(s.experience, 2000);
    EXPECT_EQ(saved(1).dead, 1);
}
}  // namespace
