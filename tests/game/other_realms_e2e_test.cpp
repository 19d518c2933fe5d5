// A BBS node through the utility's start script: the module installed with quorcfg runs
// between two runs of the game and the player comes back to the square; then a reset.
#include <sys/stat.h>
#include <unistd.h>

#include "game_e2e.hpp"

using namespace e2e;

TEST_F(game_e2e, a_module_runs_between_two_runs_and_a_reset_starts_afresh) {
    session first = newcomer();
    ASSERT_EQ(leave_game(first), 0);
    ASSERT_EQ(::symlink(qv_binary("quorvath").c_str(), game.file("quorvath").c_str()), 0);
    write_file(game.file("mod.sh"), "#!/bin/sh\ncp qvh0000$1.dat marker\n");
    ::chmod(game.file("mod.sh").c_str(), 0755);
    write_file(game.file("mod.dsc"), "@#Install\nThe Copier\n");

    auto utility = [&] {
        pty_process::options o;
        o.dir = game.path();
        o.rows = 24;
        o.env = {"QV_TEST_NOSLEEP=1", "QV_TEST_CLOCK=20260115120000"};
        session s{std::make_unique<pty_process>(qv_binary("quorcfg"), o)};
        s.key("", "[ Hit any key ]");
        s.key("x", "uit and Save");
        return s;
    };
    session cfg = utility();
    cfg.key("m", "[quor.sh]");
    cfg.key("\r", "[ Hit any key ]");
    cfg.key("x", "uit and Save");
    cfg.key("i", "Return to Previous Menu");
    cfg.key("\x1b[B\x1b[B\x1b[B\r", "File name");
    // The name with its parameter is no file; the program alone is.
    cfg.key("mod.sh 1\r", "File not Found.");
    cfg.key("x", "Return to Previous Menu");
    cfg.key("\r", "File name");
    cfg.key("mod.sh\r", "Install?");
    cfg.key("\r", "Description Added");
    cfg.key("x", "The Copier");
    cfg.key("\x1b[A\x1b[A\r", "mod.sh");
    cfg.key("\x1b[4~ `*\r", "Return to Previous Menu");
    cfg.key("q", "Write Changes?");
    cfg.key("\r", "Changes saved");  // it stays until a key
    cfg.key("x", "uit and Save");
    cfg->send("Q");
    ASSERT_EQ(cfg->wait_exit(wait_ms), 0);
    EXPECT_EQ(read_file(game.file("exmods.dat")), "mod.sh `*\nThe Copier\nThe Copier\n~\n");

    pty_process::options o;
    o.dir = game.path();
    o.args = {"quor.sh", "1"};
    o.env = {"QV_TEST_NOSLEEP=1", "QV_TEST_CLOCK=20260115120000", "QV_TEST_SEED=11"};
    session node{std::make_unique<pty_process>("/bin/sh", o)};
    ASSERT_TRUE(node.wait_text("(or leave blank for Local Sysop):"));
    node.key("", ">");
    node.key("Anna Berg\r", "[ Hit any key ]");
    node.key("x", "Selection : ");
    node.key("e", "  You have already been on today.");
    node.key("", "[HIT ANY KEY]");
    node.key("x", "[ Hit any key ]");
    node.key("x", "[ Hit any key ]");  // today's news
    node.key("x", "Command  : ");
    node.key("x", "Expert mode ON.");
    node.key("o", "Other Realms:");
    node.key("", "(1)The Copier");
    node.key("1", "(or leave blank for Local Sysop):");
    EXPECT_EQ(read_file(game.file("marker")).substr(0, 9), "NAME BOB\n");
    EXPECT_EQ(read_file(game.file("ext1.sh")), "./mod.sh 1\n");
    node.key("", ">");
    std::size_t before = node->output().size();
    node.key("Anna Berg\r", "Command");
    std::string again = plain(node->output().substr(before));
    EXPECT_EQ(again.find("Hit any key"), std::string::npos) << again;
    EXPECT_FALSE(file_present(game.file("qvh00001.dat")));
    EXPECT_EQ(i32_of(read_file(game.file("players.dat")), 82) & 4, 4);
    node.key("l", "[N] :");
    node->send("y");
    ASSERT_EQ(node->wait_exit(wait_ms), 0);

    cfg = utility();
    cfg.key("r", "Are you sure ?");
    cfg.key("y", "Game Reset!");
    cfg.key("x", "uit and Save");
    cfg->send("Q");
    ASSERT_EQ(cfg->wait_exit(wait_ms), 0);
    EXPECT_FALSE(file_present(game.file("players.dat")));
    EXPECT_TRUE(file_present(game.file("exmods.dat")));
    // Day 0 again: the first caller runs the maintenance and is asked to make a character.
    session fresh = log_on();
    fresh.key("x", "Selection : ");
    fresh.key("E", "Running Daily maintenance...HOLD");
    fresh.key("", "[ Hit any key ]");
    fresh.key("x", "Enter this Realm? [Y] :");
}
