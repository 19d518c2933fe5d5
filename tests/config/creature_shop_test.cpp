// The creature and shop editors' checks of typed file names, and the creature listing.
#include <gtest/gtest.h>

#include "config/creature_editor.hpp"
#include "config/shop_editor.hpp"

TEST(creature_shop_names, refusals) {
    struct row {
        const char* typed;
        bool creature_ok, shop_ok;
    };
    for (row r :
         {row{"caves", true, true}, row{"Castle", true, true}, row{"forest", true, true}, row{"", false, false},
          row{"a/b", false, false}, row{"..", false, false}, row{"x..y", false, false}, row{"players", false, true},
          row{"PLAYERS", false, true}, row{"quortext", false, true}, row{"hold", false, true},
          row{"news7", false, true}, row{"news8", true, true}, row{"user0003", false, true},
          row{"hall2026", false, true}, row{"invt12", true, true}, row{"flag12345", true, true}}) {
        EXPECT_EQ(cfg::creature_stem_refusal(r.typed).empty(), r.creature_ok) << r.typed;
        EXPECT_EQ(cfg::shop_name_refusal(r.typed).empty(), r.shop_ok) << r.typed;
    }
}

TEST(creature_shop_names, listing_groups_by_level) {
    creature_list list(2);
    list.front().level = 1;
    list.front().name = "Sprite";
    list.front().hit_points = 8;
    list.front().attack = 5;
    list.front().defense = 3;
    list.front().strength = 16;
    list.back().level = 2;
    list.back().name = "Giant Bee";
    list.back().hit_points = 1200;
    list.back().shield_value = 12;
    list.back().strength = 1234;
    EXPECT_EQ(cfg::print_creature_list(list),
              "\f      Lv.   Name                 HP   Attack  Defense  Shield  Verification\n"
              "      ---------------------------------------------------------------------\n"
              "\n        Level 1\n      --------------------\n"
              "      1     Sprite               8    5       3        0       16\n"
              "\n        Level 2\n      --------------------\n"
              "      2     Giant Bee            1,2000       0        12      1,234\n");
}
