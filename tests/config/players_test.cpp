// The Player Editor's reset of a day and its write beside a node that plays meanwhile.
#include <gtest/gtest.h>

#include "config/console.hpp"
#include "config/options.hpp"
#include "config/quorcfg.hpp"
#include "engine/engine_state.hpp"
#include "engine/text/lookups.hpp"
#include "support/child.hpp"

namespace {
struct cfg_players : ::testing::Test {
    engine_state engine;
    void SetUp() override { cfg::players_loaded = false; }
};
}  // namespace

TEST_F(cfg_players, reset_daily_stats) {
    game_stats.day = 10;
    game_stats.interest_pct = 6.0;
    game_stats.creature_fights = 15;
    game_stats.player_fights = 3;
    struct row {
        bool dead;
        std::int32_t bank, bank_after;
        std::int16_t hit_points_after;
    };
    const row rows[] = {
        {true, 1000, 1060, 50}, {false, 25, 26, 7}, {false, 75, 80, 7}, {false, 199'999'990, 199'999'999, 7}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.bank);
        character_record c = make_char(1, "ANNA", r.bank);
        c.dead = r.dead;
        c.hit_points = 7;
        c.max_hit_points = 50;
        c.status_bits = 0x7fff;
        c.transfers_today = 2;
        c.skill_uses_per_day = 4;
        c.death_day = 9;
        cfg::reset_daily_stats(c);
        EXPECT_EQ(c.bank_gold, r.bank_after);
        EXPECT_EQ(c.hit_points, r.hit_points_after);
        EXPECT_EQ(c.dead, 0);
        // Only bits 1, 3, 4, 5, 8, 9 and 10 are the day's.
        EXPECT_EQ(c.status_bits, 0x7fff & ~(2 | 8 | 16 | 32 | 256 | 512 | 1024));
        EXPECT_EQ(c.creature_fights_left, 15);
        EXPECT_EQ(c.player_fights_left, 3);
        EXPECT_EQ(c.transfers_today, 0);
        EXPECT_EQ(c.skill_uses_left, 4);
        EXPECT_EQ(c.last_day, 9);
        EXPECT_EQ(c.death_day, 0);
    }
}

TEST_F(cfg_players, write_takes_what_the_sysop_typed_and_keeps_what_another_node_saved_meanwhile) {
    std::vector<character_record> start;
    for (std::int16_t n = 1; n <= 5; ++n)
        start.push_back(make_char(n, std::string(1, char('A' + n - 1)) + "NNA", 1000));
    for (auto& c : start) c.created_time = 100 + c.number;
    put_chars(start);

    cfg::begin_player_edit();
    cfg::edit_player(*cfg::player_by_number(3)).attack = 99;
    cfg::player_by_number(3)->bank_gold += 100;
    cfg::player_by_number(3)->status_bits = 4;
    cfg::edit_player(*cfg::player_by_number(1)).name = "ZORA";
    cfg::player_by_number(1)->gold = 0;
    cfg::edit_player(*cfg::player_by_number(4)).gems = 9;
    // Another node: a transfer to player 3 and gold to players 1 and 3, player 5 saved, player 4
    // deleted; then another editor's write of player 3's bank gold.
    child_result other = run_in_child([] {
        del_char_list();
        chars_loaded = false;
        read_char_file();
        update_under_hold([] {
            char_num_ptr(3)->bank_gold += 500;
            char_num_ptr(3)->status_bits |= 1;
            char_num_ptr(1)->gold += 50;
            char_num_ptr(3)->gold += 50;
            char_num_ptr(5)->gold = 777;
            char_list.remove_if([](const character_record& c) { return c.number == 4; });
        });
        cfg::begin_player_edit();
        cfg::edit_player(*cfg::player_by_number(3)).bank_gold = 5000;
        cfg::write_player_changes();
    });
    ASSERT_TRUE(other.exited);
    ASSERT_EQ(other.code, 0);

    EXPECT_EQ(cfg::write_player_changes().gone, std::vector<std::string>{"DNNA"});
    EXPECT_FALSE(file_exists("hold.dat"));
    std::map<int, character_record> now;
    for (const auto& c : file_chars()) now[c.number] = c;
    ASSERT_EQ(now.size(), 4u);
    EXPECT_EQ(std::string(now[1].name.view()), "ZORA");
    EXPECT_EQ(now[1].gold, 0);
    EXPECT_EQ(now[3].attack, 99);
    EXPECT_EQ(now[3].bank_gold, 1100);
    EXPECT_EQ(now[3].status_bits, 1 | 4);
    EXPECT_EQ(now[3].gold, 350);
    EXPECT_EQ(now[5].gold, 777);
    EXPECT_EQ(encode_record(now[2]), encode_record(start[1]));
}
