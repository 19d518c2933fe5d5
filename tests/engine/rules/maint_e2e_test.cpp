// "quorvath MAINT" on a game directory, as a sysop's nightly job runs it: no caller, plain
// lines on standard output, exit status 0, and the day rolled over once per date.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "engine/maint_state.hpp"
#include "support/live_hold.hpp"
#include "support/pty.hpp"
#include "support/temp_dir.hpp"

namespace {
struct maint_run {
    int status = -1;
    std::string out;
};

pty_process::options maint_options(const temp_dir& game, const std::string& arg, const std::string& clock) {
    pty_process::options o;
    o.dir = game.path();
    o.args = {arg};
    o.env = {"QV_TEST_NOSLEEP=1", "QV_TEST_CLOCK=" + clock};
    return o;
}

maint_run run_maint(const temp_dir& game, const std::string& arg, const std::string& clock) {
    pty_process p(qv_binary("quorvath"), maint_options(game, arg, clock));
    maint_run r;
    r.status = p.wait_exit(10000).value_or(-1);
    r.out = p.output();
    return r;
}

std::string game_file(const temp_dir& game, const std::string& name) { return read_file(game.file(name)); }
}  // namespace

TEST(maint_e2e, a_game_left_over_a_day_change_is_rolled_over_by_maint_once) {
    temp_dir game(false);
    copy_tree(std::getenv("QV_DATA_DIR"), game.path());
    write_file(game.file("quorstat.dat"), stat_bytes().day(30).last_maint("20260114").b);
    write_file(game.file("players.dat"),
               players_image(player_bytes(1, "ANNA").last_day(30).bank(1000), player_bytes(2, "IDLE").last_day(1)));
    write_file(game.file("news0.dat"), "yesterday's news\n");

    maint_run first = run_maint(game, "MAINT", "20260115031500");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, "Running Daily maintenance...HOLD\r\n`4(Removing `%IDLE`4, last played on game day : `%1\r\n");
    std::string stat = game_file(game, "quorstat.dat");
    EXPECT_EQ(i16_at(stat, 0), 31);
    EXPECT_EQ(str_at(stat, 2), "20260115");
    EXPECT_EQ(game_file(game, "players.dat").size(), 299u);
    EXPECT_EQ(i32_at(game_file(game, "players.dat"), 163), 1060);
    EXPECT_EQ(game_file(game, "news1.dat"), "yesterday's news\n");
    EXPECT_EQ(game_file(game, "news0.dat").substr(0, 78),
              "`c  `!The News of the Realm       " + std::string(27, ' ') + "Thursday 01/15/26");
    EXPECT_FALSE(file_present(game.file("hold.dat")));

    // Later the same date, in any case: the day is not run again.
    maint_run second = run_maint(game, "maint", "20260115235900");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out, "Maintenance has already been run today\r\n");
    EXPECT_EQ(game_file(game, "quorstat.dat"), stat);

    // The next night rolls the next day.
    maint_run third = run_maint(game, "Maint", "20260116031500");
    EXPECT_EQ(third.status, 0);
    EXPECT_EQ(i16_at(game_file(game, "quorstat.dat"), 0), 32);
}

TEST(maint_e2e, a_new_game_directory_gets_its_statistics_from_the_first_maint) {
    temp_dir game(false);
    copy_tree(std::getenv("QV_DATA_DIR"), game.path());
    maint_run r = run_maint(game, "MAINT", "20260115031500");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "Stat File Not Found : HOLD\r\nStarting new Character FILE\r\nRunning Daily maintenance...HOLD\r\n");
    EXPECT_EQ(i16_at(game_file(game, "quorstat.dat"), 0), 1);
    // The day's flags of the sysop's mainflag.dat are expired, the rest kept.
    EXPECT_NE(game_file(game, "mainflag.dat").find("CHECK_FREQUENCY 45 2\n"), std::string::npos);
}

// Instant pauses leave another node's hold its real time: a short one is waited out, not
// taken for one held too long.
TEST(maint_e2e, another_nodes_short_hold_is_waited_out_in_real_time) {
    temp_dir game(false);
    copy_tree(std::getenv("QV_DATA_DIR"), game.path());
    const std::string hold = game.file("hold.dat");
    std::optional<live_hold> other(std::in_place, hold.c_str());
    pty_process p(qv_binary("quorvath"), maint_options(game, "MAINT", "20260115031500"));
    ASSERT_TRUE(p.wait_for("WAITING", 10000)) << p.output();
    ::unlink(hold.c_str());
    other.reset();
    EXPECT_EQ(p.wait_exit(10000), 0) << p.output();
    EXPECT_EQ(i16_at(game_file(game, "quorstat.dat"), 0), 1);
}
