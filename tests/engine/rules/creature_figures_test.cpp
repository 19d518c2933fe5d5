// The creature editor's figures, which the realm table's builder shares.
#include <gtest/gtest.h>

#include <limits>

#include "engine/rules/creatures.hpp"

TEST(creature_figures, calculate) {
    struct row {
        std::int16_t level, attack, defense, shield, hp;
        double heal, gold_mult, exp_mult;
        std::int32_t strength, gold, experience;
    };
    constexpr std::int32_t most = std::numeric_limits<std::int32_t>::max();
    for (row r : {
             row{1, 5, 3, 0, 8, 6, 1.2, 0.85, 16, 160, 20},
             row{3, 0, 0, 0, 0, 1, 1, 1, 0, 3 * 68, 0},  // t at level 3 is 68
             row{1, 1, 1, 3, 1, 0, 1, 0.5, 4, 2, 2},     // 5 x 0.5 = 2.5 rounds to 2
             row{1, 3, 1, 3, 1, 0, 1, 0.5, 6, 2, 4},     // round(3 / 3) = 1; 7 x 0.5 = 3.5 to 4
             row{20, 32000, 32000, 87, 32000, 32767, 1e6, 1e6, 96029, most, most},
             row{2, 1, 1, 1, 1, 6, -1e12, 1, 3, std::numeric_limits<std::int32_t>::min(), 4},
         }) {
        monster_record m;
        m.level = r.level;
        m.attack = r.attack;
        m.defense = r.defense;
        m.shield_value = r.shield;
        m.hit_points = r.hp;
        calculate(m, r.heal, r.gold_mult, r.exp_mult);
        EXPECT_EQ(m.strength, r.strength) << r.level << " " << r.attack;
        EXPECT_EQ(m.gold, r.gold) << r.level << " " << r.attack;
        EXPECT_EQ(m.experience, r.experience) << r.level << " " << r.attack;
    }
}
