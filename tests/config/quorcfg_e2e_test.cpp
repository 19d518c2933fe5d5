// The utility on a terminal as the sysop runs it.
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "config/console_pty.hpp"
#include "door/door.hpp"
#include "support/child.hpp"
#include "support/pty.hpp"
#include "support/screen.hpp"
#include "support/temp_dir.hpp"

namespace {
constexpr int wait_ms = console_wait_ms;
}  // namespace

TEST(quorcfg_e2e, first_run_bbs_setup_and_quit) {
    temp_dir dir(false);
    pty_process cfg(qv_binary("quorcfg"), console_in(dir));
    ASSERT_TRUE(cfg.wait_for("[ Hit any key ]", wait_ms));
    EXPECT_NE(cfg.output().find("Welcome to The Quorvath Configuration Program"), std::string::npos);
    EXPECT_NE(cfg.output().find("Creating Original \x1b[0;31mFOREST.DAT"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("forest.dat")).size(), 13u * 198);
    cfg.send("x");
    ASSERT_TRUE(cfg.wait_for("uit and Save", wait_ms));
    cfg.send("\x1b[A");  // Up on item 1 reaches item 9
    ASSERT_TRUE(cfg.wait_for("\x1b[18;1H", wait_ms));
    cfg.read_for(200);
    ansi_screen screen;
    screen.feed(cfg.output());
    EXPECT_EQ(screen.row(7), "   Number of characters in game   : 0");
    // The replaced clock runs on from its start, so only the minute is sure on a loaded machine.
    EXPECT_EQ(screen.row(5).rfind("   Game was Started               : Tuesday 12/08/26  07:05:", 0), 0u);
    EXPECT_EQ(screen.row(10), "  (G)ame Options");
    EXPECT_EQ(screen.row(18), "->(Q)uit and Save");
    EXPECT_EQ(screen.colour_at(1, 18), 4);

    cfg.send("b");
    ASSERT_TRUE(cfg.wait_for("Return to Main Menu", wait_ms));
    cfg.send("\r\x1b[1;5Canna  berg jr\r");  // the field emptied from the cursor on, a new name
    ASSERT_TRUE(cfg.wait_for("Anna berg jr", wait_ms));
    cfg.send("\x1b[B\x1b[B\x1b[B\r");
    ASSERT_TRUE(cfg.wait_for("Which BBS software", wait_ms));
    cfg.send("k");
    ASSERT_TRUE(cfg.wait_for("Spitfire", wait_ms));
    cfg.send("q");
    ASSERT_TRUE(cfg.wait_for("uit and Save", wait_ms));
    cfg.send("Q");
    EXPECT_EQ(cfg.wait_exit(wait_ms), 0);
    EXPECT_TRUE(same_settings(cfg.terminal_settings(), cfg.initial_settings()));
    EXPECT_NE(cfg.output().find("\x1b[?25h"), std::string::npos);

    // The game's own reader takes the new control file.
    std::string control = read_file(dir.file("quorvath.dat"));
    EXPECT_NE(control.find("\nSYSOPFIRST Anna\nSYSOPLAST berg jr\nBBSNAME Local BBS\nBBSTYPE SPITFIRE\n"),
              std::string::npos)
        << control;
    door_reset_session();
    ASSERT_FALSE(load_door_config(dir.file("quorvath.dat")));
    EXPECT_EQ(bbs_type, 12);
    EXPECT_EQ(sysop_last_name.view(), "berg jr");
    door_reset_session();
}

TEST(quorcfg_e2e, a_terminate_inside_a_field_restores_the_terminal) {
    temp_dir dir(false);
    write_file(dir.file("quorvath.dat"), "BBSTYPE LOCAL\nMAXTIME 30\n");
    pty_process cfg(qv_binary("quorcfg"), console_in(dir));
    ASSERT_TRUE(cfg.wait_for("[ Hit any key ]", wait_ms));
    cfg.send("xb");
    ASSERT_TRUE(cfg.wait_for("Return to Main Menu", wait_ms));
    cfg.send("\r");
    ASSERT_TRUE(cfg.wait_for("\x1b[?25h", wait_ms));  // the field shows the cursor
    cfg.send("zz");
    cfg.read_for(200);
    cfg.signal(SIGTERM);
    EXPECT_EQ(cfg.wait_exit(wait_ms), 128 + SIGTERM);
    EXPECT_TRUE(same_settings(cfg.terminal_settings(), cfg.initial_settings()));
    EXPECT_EQ(read_file(dir.file("quorvath.dat")), "BBSTYPE LOCAL\nMAXTIME 30\n");
}

TEST(quorcfg_e2e, piped_input_quits_and_a_refused_control_file_stops_first) {
    struct row {
        const char* control;  // null: none
        int code;
    };
    for (row r : {row{nullptr, 0}, row{"BBSTYPE BOGUS\n", 18}}) {
        temp_dir dir(false);
        if (r.control) write_file(dir.file("quorvath.dat"), r.control);
        std::string cmd =
            "cd '" + dir.path() + "' && printf q | QV_TEST_NOSLEEP=1 '" + qv_binary("quorcfg") + "' > /dev/null";
        child_result run = run_shell(cmd);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.code, r.code);
        EXPECT_TRUE(file_present(dir.file("quorvath.dat")));
        EXPECT_EQ(file_present(dir.file("forest.dat")), r.code == 0);
    }
}
