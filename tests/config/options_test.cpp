// The Game Options rows: what a typed value does to the settings, and the difficulty flag.
#include <gtest/gtest.h>

#include "config/options.hpp"
#include "engine/engine_state.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/text_file.hpp"

namespace {
struct cfg_options : ::testing::Test {
    engine_state engine;
};
}  // namespace

TEST_F(cfg_options, typed_values_kept_or_refused) {
    struct row {
        int option;
        const char* typed;
        bool kept;
        const char* shown;  // the row's value afterwards
    };
    const row rows[] = {
        {cfg::opt_grace, "20", true, "20"},
        {cfg::opt_grace, "012", false, "15"},
        {cfg::opt_grace, "20a", false, "15"},
        {cfg::opt_grace, "+20", false, "15"},
        {cfg::opt_grace, "-1", false, "15"},
        {cfg::opt_grace, "", false, "15"},
        {cfg::opt_creature_fights, "70000", false, "15"},
        {cfg::opt_transfer_max, "70,000", true, "70,000"},
        {cfg::opt_transfer_max, "2147483648", false, "15"},
        {cfg::opt_death_divisor, "0", false, "15"},
        {cfg::opt_death_divisor, "1", true, "1"},
        {cfg::opt_interest, "6,5", false, "15.0"},
        {cfg::opt_interest, "6.5", true, "6.5"},
        {cfg::opt_interest, "0", true, "0.0"},
        {cfg::opt_interest, "-0.5", false, "15.0"},
        {cfg::opt_interest, "inf", false, "15.0"},
        {cfg::opt_gold_mult, "0", false, "15.0"},
        {cfg::opt_exp_mult, " 0.25 ", true, "0.25"},
        {cfg::opt_data_version, "99", false, "15"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.typed) + " on row " + std::to_string(r.option));
        game_stats = stat_record{};
        game_stats.grace_days = game_stats.creature_fights = game_stats.death_loss_divisor = 15;
        game_stats.transfer_max = 15;
        game_stats.data_version = 15;
        game_stats.interest_pct = game_stats.mob_gold_mult = 15;
        game_stats.mob_exp_mult = 15;
        std::string why;
        EXPECT_EQ(cfg::set_option(r.option, r.typed, why), r.kept);
        EXPECT_EQ(why.empty(), r.kept || std::string(r.typed).empty() || r.option == cfg::opt_data_version);
        EXPECT_EQ(cfg::option_value(r.option), r.shown);
    }
}

TEST_F(cfg_options, difficulty_written_at_once_and_kept_by_the_maintenance) {
    EXPECT_EQ(cfg::option_value(cfg::opt_difficulty), "1.0");
    std::string why;
    EXPECT_FALSE(cfg::set_option(cfg::opt_difficulty, "-1", why));
    EXPECT_FALSE(cfg::set_option(cfg::opt_difficulty, "0", why));
    EXPECT_FALSE(file_exists("quorstat.dat"));
    ASSERT_TRUE(cfg::set_option(cfg::opt_difficulty, "1.5", why));
    EXPECT_EQ(read_file(main_flag_file_name),
              "@#FLAGS\nMOB_DIFFICULTY_MULT 1.5 2\n@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n");
    expire_flags(main_flag_file_name, flags_section_name, flag_class_daily);
    set_default_tunables();
    read_standard_flags();
    EXPECT_EQ(mob_difficulty_mult, 1.5);
    EXPECT_EQ(cfg::option_value(cfg::opt_difficulty), "1.5");
}
