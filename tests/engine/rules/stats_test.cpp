// The stat adjusters at both ends of their ranges, and the death of the playing character.
#include <gtest/gtest.h>

#include <functional>

#include "engine/item_state.hpp"
#include "engine/text/exit.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"

namespace {
using adjuster = void (*)(character_record&, std::int64_t);

struct stats : item_state {
    // The field after adjusting a record whose field starts at from.
    static std::int64_t after(adjuster f, std::int16_t character_record::*field, std::int64_t from, std::int64_t by) {
        character_record c;
        c.*field = static_cast<std::int16_t>(from);
        f(c, by);
        return c.*field;
    }
    static std::int64_t after32(adjuster f, std::int32_t character_record::*field, std::int64_t from, std::int64_t by) {
        character_record c;
        c.*field = static_cast<std::int32_t>(from);
        f(c, by);
        return c.*field;
    }
};

std::vector<std::string>& news_lines() {
    static std::vector<std::string> n;
    return n;
}
void record_news(const text_list& lines) {
    for (const auto& l : lines) news_lines().push_back(l.str());
}
}  // namespace

TEST_F(stats, sixteen_bit_fields_clamp_at_both_ends_and_never_wrap) {
    using C = character_record;
    struct row {
        adjuster f;
        std::int16_t C::*field;
        std::int64_t from, by, expect;
    };
    const row rows[] = {
        {adjust_capped_stat, &C::luck, 25, 10, 30},
        {adjust_capped_stat, &C::luck, -25, -10, -30},
        {adjust_capped_stat, &C::luck, 0, 70000, 30},
        {add_crm, &C::charm, 32000, 1000, 32767},  // would wrap to -32536
        {add_crm, &C::charm, -32000, -1000, -32768},
        {add_crm, &C::charm, 5, -10, -5},  // no floor of its own
        {add_shm, &C::shame, 3, -10, 0},
        {add_shm, &C::shame, 32767, 1, 32767},
        {add_gems, &C::gems, 32000, 1000, 32767},  // would wrap to a negative count, then 0
        {add_gems, &C::gems, 10, -11, 0},
        {add_creature_fights, &C::creature_fights_left, 1, -5, 0},
        {add_player_fights, &C::player_fights_left, 1, -5, 0},
        {add_player_fights, &C::player_fights_left, 32760, 100, 32767},
        {add_attack_value, &C::attack, 31990, 100, 32000},
        {add_attack_value, &C::attack, 5, -100, 1},
        {add_attack_value, &C::attack, 100, 4'000'000'000LL, 32000},
        {add_defense_value, &C::defense, 32000, 32767, 32000},
        {add_defense_value, &C::defense, 2, -70000, 1},
        {add_max_hit_points, &C::max_hit_points, 20, -40, 1},
        {add_shield_value, &C::shield_value, 85, 5, 87},
        {add_shield_value, &C::shield_value, 2, -10, 1},
        {add_shield_value, &C::shield_value, 80, 32760, 87},  // would wrap to below 1
        {add_skill_points, &C::skill_uses_left, 2, -3, 0},
        {add_max_skill_points, &C::skill_uses_per_day, 1, -1, 1},
        {add_max_skill_points, &C::skill_uses_per_day, 3, 2, 5},
    };
    int n = 0;
    for (const row& r : rows) EXPECT_EQ(after(r.f, r.field, r.from, r.by), r.expect) << "row " << n++;
}

TEST_F(stats, gold_bank_gold_and_experience_sum_in_64_bits) {
    using C = character_record;
    EXPECT_EQ(after32(add_gold, &C::gold, 199'999'000, 5'000), 199'999'999);
    EXPECT_EQ(after32(add_gold, &C::gold, 199'999'000, 1'000), 199'999'999);  // exactly 200,000,000
    EXPECT_EQ(after32(add_gold, &C::gold, 199'998'999, 1'000), 199'999'999);
    EXPECT_EQ(after32(add_gold, &C::gold, 199'998'998, 1'000), 199'999'998);
    EXPECT_EQ(after32(add_gold, &C::gold, 100, -500), 0);
    EXPECT_EQ(after32(add_gold, &C::gold, 2'000'000'000, 2'000'000'000), 2'000'000'000);  // held above the cap
    EXPECT_EQ(after32(add_bank_gold, &C::bank_gold, 5, -2'147'483'647), 0);
    EXPECT_EQ(after32(add_bank_gold, &C::bank_gold, 150'000'000, 60'000'000), 199'999'999);
    // Gold already above the cap: a loss takes exactly the amount, a gain leaves it.
    EXPECT_EQ(after32(add_gold, &C::gold, 300'000'000, -100), 299'999'900);
    EXPECT_EQ(after32(add_gold, &C::gold, 300'000'000, 100), 300'000'000);
    EXPECT_EQ(after32(add_bank_gold, &C::bank_gold, 300'000'000, -100), 299'999'900);
    EXPECT_EQ(after32(add_experience, &C::experience, 50, -100), 1);
    EXPECT_EQ(after32(add_experience, &C::experience, 99'999'990, 100), 100'000'000);
    EXPECT_EQ(after32(add_experience, &C::experience, 99'999'990, 10), 100'000'000);
    EXPECT_EQ(after32(add_experience, &C::experience, 2'000'000'000, 2'000'000'000), 100'000'000);
    EXPECT_EQ(after32(add_experience, &C::experience, 10, INT64_MIN), 1);
}

TEST_F(stats, hit_points_cap_and_an_opponent_only_clamps) {
    character_record& me = player();
    me.hit_points = 31'990;
    add_hit_points(me, 100);
    EXPECT_EQ(me.hit_points, 32000);
    add_hit_points(me, -31'999);
    EXPECT_EQ(me.hit_points, 1);
    character_record monster;
    monster.hit_points = 5;
    add_hit_points(monster, -40'000);  // a creature's fall is for its fight to see
    EXPECT_EQ(monster.hit_points, -32768);
}

TEST_F(stats, death_loss_rounds_halves_to_even) {
    game_stats.death_loss_divisor = 10;
    EXPECT_EQ(death_experience_loss(1005), 100);  // round(100.5)
    EXPECT_EQ(death_experience_loss(1015), 102);  // round(101.5)
    EXPECT_EQ(death_experience_loss(1016), 102);
    game_stats.death_loss_divisor = 0;  // unset: the default divisor
    EXPECT_EQ(death_experience_loss(1000), 100);
}

TEST_F(stats, a_death_takes_experience_and_gold_and_ends_with_code_0) {
    stat_record s;
    create_stat_file(s);
    game_stats = s;
    game_stats.day = 42;
    game_stats.death_loss_divisor = 10;
    character_record other = make_char(2, "Bystander");
    put_chars({other});
    read_char_file();
    character_record& me = player(3);
    me.experience = 1015;
    me.gold = 5000;
    me.bank_gold = 70;
    me.shame = 4;
    me.hit_points = 5;
    me.online = 1;
    me.location = "fForest";
    write_char_file(true);
    // Another node deposits into this character's bank meanwhile.
    std::vector<character_record> file = file_chars();
    for (auto& c : file)
        if (c.number == 1) c.bank_gold = 900;
    put_chars(file);

    news_lines().clear();
    set_add_news_hook(record_news);
    child_result r = run_in_child([] {
        static fake_seam seam;
        static input_feed key(" ");
        add_hit_points(*cur_char, -5);
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "\r\n  You have been killed!\r\n\r\n  You lose 102 experience.\r\n  You lose all gold in hand.\r\n"
              "      [ Hit any key ]");
    character_record saved;
    for (const auto& c : file_chars())
        if (c.number == 1) saved = c;
    EXPECT_EQ(saved.experience, 913);
    EXPECT_EQ(saved.gold, 0);
    EXPECT_EQ(saved.bank_gold, 900);
    EXPECT_EQ(saved.dead, 1);
    EXPECT_EQ(saved.hit_points, 0);
    EXPECT_EQ(saved.shame, 5);
    EXPECT_EQ(saved.online, 0);
    EXPECT_EQ(saved.location.view(), "tTown Square");
    EXPECT_EQ(saved.death_day, 42);
    EXPECT_EQ(file_chars().size(), 2u);
    EXPECT_FALSE(file_present("hold.dat"));
    stat_record st;
    decode_record(read_file("quorstat.dat"), st);
    EXPECT_EQ(st.day, 42);
    // The killer writes the news of the killing; the death itself writes none.
    EXPECT_TRUE(news_lines().empty());
}

TEST_F(stats, experience_never_falls_below_one_at_a_death) {
    stat_record s;
    create_stat_file(s);
    game_stats = s;
    game_stats.death_loss_divisor = 1;
    character_record& me = player();
    me.experience = 7;
    child_result r = run_in_child([] {
        static fake_seam seam;
        static input_feed key(" ");
        player_killed();
    });
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(file_chars().at(0).experience, 1);
}
