// File names from data stay inside the game directory and find files of any case.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/store/game_path.hpp"
#include "support/temp_dir.hpp"

namespace {
struct game_paths : ::testing::Test {
    temp_dir dir;
    game_paths() {
        std::filesystem::create_directory("ITEMS");
        write_file("ITEMS/3.SCR", "x");
        write_file("forest.dat", "x");
        write_file("Valley.Dat", "x");
        write_file("VALLEY.DAT", "x");
        write_file("mountain.dat", "x");
        write_file("MOUNTAIN.DAT", "x");
    }
};
}  // namespace

TEST_F(game_paths, exact_names_first_then_any_case) {
    EXPECT_EQ(game_path("forest.dat"), "forest.dat");
    EXPECT_EQ(game_path("FOREST.DAT"), "forest.dat");
    EXPECT_EQ(game_path("items/3.scr"), "ITEMS/3.SCR");
    EXPECT_EQ(game_path("./Items//3.Scr"), "ITEMS/3.SCR");
    // Exact wins over a case variant; among case variants the choice is always the same.
    EXPECT_EQ(game_path("mountain.dat"), "mountain.dat");
    EXPECT_EQ(game_path("valley.dat"), "VALLEY.DAT");
    // A missing file keeps the name as written, in the directory found.
    EXPECT_EQ(game_path("items/new.scr"), "ITEMS/new.scr");
    EXPECT_EQ(game_path("script.scr"), "script.scr");
}

TEST_F(game_paths, names_that_would_leave_the_game_directory_are_refused) {
    for (const std::string& bad :
         std::vector<std::string>{"", "/etc/passwd", "..", "../quorvath.dat", "items/../../x", "items/../forest.dat",
                                  "a/..", std::string("forest.dat\0/../x", 16), ".", "./", "//"})
        EXPECT_EQ(game_path(bad), std::nullopt) << bad;
    // Dots inside a name are no parent directory.
    EXPECT_EQ(game_path("..hidden"), "..hidden");
    EXPECT_EQ(game_path("a..b.scr"), "a..b.scr");
}
