// The creature files of the default game directory: built from the committed table by
// mkcreatures, byte for byte, with creatures of every level in every realm.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "combat_state.hpp"
#include "support/child.hpp"
#include "support/pty.hpp"

namespace {
using realm_data = combat_state;

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}
}  // namespace

TEST_F(realm_data, the_committed_files_are_what_the_table_builds) {
    std::string cmd = qv_binary("mkcreatures") + " " + env("QV_SOURCE_DIR") + "/apps/tools/creatures.txt " +
                      dir.path() + " >/dev/null";
    ASSERT_EQ(run_shell(cmd).code, 0);
    for (const char* realm : {"forest.dat", "valley.dat", "mountain.dat"})
        EXPECT_EQ(read_file(realm), read_file(env("QV_DATA_DIR") + "/" + realm)) << realm << ": run mkcreatures";
}

TEST_F(realm_data, every_realm_has_several_creatures_of_every_level) {
    for (const char* realm : {"forest.dat", "valley.dat", "mountain.dat"}) {
        write_file(realm, read_file(env("QV_DATA_DIR") + "/" + realm));
        creature_list list;
        read_creature_file(realm, list, true);
        std::map<int, int> per_level;
        for (const monster_record& m : list) {
            ++per_level[m.level];
            EXPECT_FALSE(m.name.empty());
            EXPECT_LE(m.name.size(), 20u) << m.name.view();  // the fight shows 20 characters
            EXPECT_FALSE(m.weapon.empty());
            EXPECT_FALSE(m.death_text.empty());
            EXPECT_GT(m.gold, 0);
            EXPECT_GT(m.experience, 0);
            EXPECT_GE(m.race, 1);
            EXPECT_LE(m.race, 8);
        }
        EXPECT_EQ(per_level.size(), 20u) << realm;
        for (int level = 1; level <= 20; ++level) EXPECT_GE(per_level[level], 3) << realm << " level " << level;
    }
}

TEST_F(realm_data, the_creature_editors_figures) {
    // Level 1, attack 5, defense 3, shield 1 and 13 hit points: verification 21,
    // gold round(1 x 6 x 20 x 1.2 + 26) = 170, experience round(34 x 0.85) = 29.
    write_file("forest.dat", read_file(env("QV_DATA_DIR") + "/forest.dat"));
    creature_list list;
    read_creature_file("forest.dat", list, true);
    const monster_record& pup =
        *std::find_if(list.begin(), list.end(), [](const auto& m) { return m.name == "Grey Wolf Pup"; });
    EXPECT_EQ(pup.hit_points, 13);
    EXPECT_EQ(pup.attack, 5);
    EXPECT_EQ(pup.defense, 3);
    EXPECT_EQ(pup.shield_value, 1);
    EXPECT_EQ(pup.strength, 21);
    EXPECT_EQ(pup.gold, 170);
    EXPECT_EQ(pup.experience, 29);
}
