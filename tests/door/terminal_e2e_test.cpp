// The door session on a real terminal: raw mode, flushing, hang-ups, end of input, the RIP
// handshake and the kit's stops, driven through a pseudo-terminal.
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <sys/utsname.h>

#include "support/pty.hpp"
#include "support/screen.hpp"
#include "support/temp_dir.hpp"

namespace {
const std::string carrier_text = "\r\nCarrier Dropped, returning to BBS.\r\n";

// A DOOR.SYS as a BBS writes it: port on line 1, baud on 5, name on 10, security on 15,
// minutes on 19, graphics on 20.
std::string door_sys(const std::string& port, const std::string& graphics) {
    std::string lines[20] = {port, "", "", "", "38400", "", "", "", "",   "Anna Berg",
                             "",   "", "", "", "100",   "", "", "", "60", graphics};
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

struct door_e2e : ::testing::Test {
    temp_dir game{false};

    void control(const std::string& text) { write_file(game.file("quorvath.dat"), text); }

    std::unique_ptr<pty_process> start(const std::string& program, std::vector<std::string> args,
                                       std::vector<std::string> env = {}, bool stdin_from_null = false) {
        pty_process::options o;
        o.dir = game.path();
        o.args = std::move(args);
        o.env = std::move(env);
        o.env.push_back("QV_TEST_NOSLEEP=1");
        o.stdin_from_null = stdin_from_null;
        return std::make_unique<pty_process>(qv_binary(program), o);
    }

    std::string exit_record() { return read_file(game.file("exitproc.txt")); }
};

std::string system_name() {
    struct utsname u;
    uname(&u);
    return u.sysname;
}
}  // namespace

TEST_F(door_e2e, raw_mode_keys_without_enter_and_terminal_restored) {
    control("BBSTYPE LOCAL\nSYSOPFIRST Anna\nSYSOPLAST Berg\n");
    auto p = start("door_probe", {"/L"}, {"QV_PROBE=keys"});
    ASSERT_TRUE(p->wait_for(">"));
    // The local log-on reads its line in the terminal's own (cooked) mode.
    EXPECT_FALSE(is_raw(p->terminal_settings()));
    p->send("carl dorn\r");
    // The prompt is visible before any key is sent: output is flushed before the wait.
    ASSERT_TRUE(p->wait_for("Session: [CARL] [DORN] node=0 graphics=3 local=1 minutes=120\r\n"));
    ASSERT_TRUE(p->wait_for("Press a key: "));
    EXPECT_TRUE(is_raw(p->terminal_settings()));
    p->send("x");
    ASSERT_TRUE(p->wait_for("Key=120\r\n"));
    ASSERT_TRUE(p->wait_for("Type a line: "));
    p->take();
    p->send("ab\x7f");
    p->send("c\r");
    ASSERT_TRUE(p->wait_for("Line=[ac]\r\n"));
    EXPECT_EQ(p->take().substr(0, 19), "ab\b \bc\r\nLine=[ac]\r\n");
    ASSERT_TRUE(p->wait_for("Press a key: "));
    p->send("\r");  // CR is Enter, not mapped to LF
    ASSERT_TRUE(p->wait_for("Key=13\r\n"));
    EXPECT_EQ(p->wait_exit(), 0);
    // The game's exit procedure runs after the kit's and its text still reaches the caller.
    EXPECT_NE(p->output().find("Exit procedure, code 0\r\n"), std::string::npos);
    EXPECT_EQ(exit_record(), "code=0 carrier_lost=0\n");
    EXPECT_TRUE(same_settings(p->terminal_settings(), p->initial_settings()));
}

TEST_F(door_e2e, hang_up_during_key_wait_ends_within_a_second) {
    write_file(game.file("door.sys"), door_sys("COM0:", "GR"));
    control("BBSTYPE DOORSYS\n");
    for (int sig : {SIGHUP, SIGTERM}) {
        auto p = start("door_probe", {}, {"QV_PROBE=keys"});
        ASSERT_TRUE(p->wait_for("Press a key: "));
        auto t0 = std::chrono::steady_clock::now();
        p->signal(sig);
        auto status = p->wait_exit(3000);
        auto took = std::chrono::steady_clock::now() - t0;
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(*status, 0);
        EXPECT_LT(took, std::chrono::milliseconds(1000));
        EXPECT_NE(p->output().find("Press a key: " + carrier_text), std::string::npos) << p->output();
        // The exit chain knows why; what it writes after the loss is dropped.
        EXPECT_EQ(exit_record(), "code=0 carrier_lost=1\n");
        EXPECT_EQ(p->output().find("Exit procedure"), std::string::npos);
        EXPECT_TRUE(same_settings(p->terminal_settings(), p->initial_settings()));
    }
}

TEST_F(door_e2e, end_of_input_ends_promptly) {
    write_file(game.file("door.sys"), door_sys("COM0:", "GR"));
    control("BBSTYPE DOORSYS\n");
    auto t0 = std::chrono::steady_clock::now();
    auto p = start("door_probe", {}, {"QV_PROBE=keys"}, true);
    auto status = p->wait_exit(3000);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(1500));
    // Input is no terminal, so the kit leaves the terminal's output processing (LF to CR LF) on.
    EXPECT_NE(p->output().find("Press a key: \r\r\nCarrier Dropped, returning to BBS.\r\r\n"), std::string::npos)
        << p->output();
    EXPECT_EQ(exit_record(), "code=0 carrier_lost=1\n");
}

TEST_F(door_e2e, line_gone_ends_the_program) {
    write_file(game.file("door.sys"), door_sys("COM0:", "GR"));
    control("BBSTYPE DOORSYS\n");
    auto p = start("door_probe", {}, {"QV_PROBE=keys"});
    ASSERT_TRUE(p->wait_for("Press a key: "));
    p->close_master();
    EXPECT_EQ(p->wait_exit(3000), 0);
    EXPECT_EQ(exit_record(), "code=0 carrier_lost=1\n");
}

TEST_F(door_e2e, carrier_exit_waits_for_the_hold) {
    write_file(game.file("door.sys"), door_sys("COM0:", "GR"));
    control("BBSTYPE DOORSYS\n");
    auto p = start("door_probe", {}, {"QV_PROBE=hold"});
    ASSERT_TRUE(p->wait_for("Holding\r\n"));
    p->hangup();
    EXPECT_EQ(p->wait_exit(3000), 0);
    // The holder finished its work, and the exit came when it released the hold.
    EXPECT_EQ(read_file(game.file("held.txt")), "carrier_lost=1\n");
    EXPECT_NE(p->output().find(carrier_text), std::string::npos);
    EXPECT_EQ(p->output().find("Released"), std::string::npos);
    EXPECT_EQ(p->output().find("Still holding"), std::string::npos);  // dropped, no second exit
    EXPECT_EQ(exit_record(), "code=0 carrier_lost=1\n");
}

TEST_F(door_e2e, a_crash_gives_the_terminal_back) {
    write_file(game.file("door.sys"), door_sys("COM0:", "GR"));
    control("BBSTYPE DOORSYS\n");
    auto p = start("door_probe", {}, {"QV_PROBE=crash"});
    ASSERT_TRUE(p->wait_for("Crashing: "));
    auto status = p->wait_exit(3000);
    ASSERT_TRUE(status.has_value());
    EXPECT_NE(*status, 0);
    EXPECT_TRUE(same_settings(p->terminal_settings(), p->initial_settings()));
}

TEST_F(door_e2e, rip_answer_gives_rip_mode) {
    write_file(game.file("door.sys"), door_sys("COM1:", "GR"));
    control("BBSTYPE DOORSYS\n");
    auto p = start("door_probe", {}, {});
    ASSERT_TRUE(p->wait_for("Checking for RIP\r\n\x1b[!"));
    EXPECT_NE(p->output().find("\x1b[0;30m\r\nChecking for RIP\r\n\x1b[!"), std::string::npos);
    p->send("RIPSCRIP015400");
    ASSERT_TRUE(p->wait_for("Rip Detected\r\n"));
    ASSERT_TRUE(p->wait_for("graphics=5"));
    EXPECT_EQ(p->wait_exit(), 0);
}

TEST_F(door_e2e, silent_terminal_keeps_its_mode) {
    write_file(game.file("door.sys"), door_sys("COM1:", "GR"));
    control("BBSTYPE DOORSYS\n");
    auto p = start("door_probe", {}, {});
    ASSERT_TRUE(p->wait_for("\x1b[!"));
    ASSERT_TRUE(p->wait_for("graphics=3", 5000));
    EXPECT_EQ(p->output().find("Rip Detected"), std::string::npos);
    EXPECT_EQ(p->wait_exit(), 0);
}

TEST_F(door_e2e, game_without_control_file_stops_with_18) {
    auto p = start("quorvath", {});
    EXPECT_EQ(p->wait_exit(), 18);
    EXPECT_NE(p->output().find("\a\aERROR: Configuration file, quorvath.dat, is missing!"), std::string::npos)
        << p->output();
    ansi_screen s;
    s.feed(p->output());
    EXPECT_TRUE(s.contains("ERROR: Configuration file, quorvath.dat, is missing!"));
    EXPECT_TRUE(same_settings(p->terminal_settings(), p->initial_settings()));
}

TEST_F(door_e2e, kit_stops_and_their_codes) {
    struct stop_case {
        std::string control, file, file_text;
        std::vector<std::string> args;
        int code;
        std::string text;
    };
    std::vector<stop_case> cases = {
        {"BBSTYPE foo\n", "", "", {}, 18, "ERROR: Invalid parameter BBSTYPE foo\r"},
        {"STATUS maybe\n", "", "", {}, 18, "ERROR: Invalid parameter STATUS maybe\r"},
        {"BBSTYPE LOCAL\n", "", "", {"/N300"}, 18, "ERROR: Invalid parameter /N300\r"},
        {"BBSTYPE DOORSYS\n", "", "", {}, 17, "ERROR: Cannot load DOOR.SYS\r"},
        {"BBSTYPE DOORSYS\n", "", "", {"/Pdrop"}, 17, "ERROR: Cannot load drop/DOOR.SYS\r"},
        {"BBSTYPE DOORSYS\n", "door.sys", "COM1:\r\n", {}, 17, "ERROR: Cannot load DOOR.SYS\r"},
        {"BBSTYPE PCB15\n", "", "", {}, 17, "ERROR: ... Unable to open pcboard.sys file...\r"},
        {"BBSTYPE WWIV\n", "", "", {}, 17, "ERROR: Error in opening \"Chain.txt\"\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        control(c.control);
        std::remove(game.file("door.sys").c_str());
        if (!c.file.empty()) write_file(game.file(c.file), c.file_text);
        auto p = start("quorvath", c.args);
        EXPECT_EQ(p->wait_exit(), c.code);
        EXPECT_NE(p->output().find("\a\a" + c.text), std::string::npos) << p->output();
        EXPECT_EQ(p->output().find("The Quorvath"), std::string::npos);
    }
}

TEST_F(door_e2e, game_local_logon_opens_the_session) {
    write_file(game.file("quorvath.dat"), read_file(std::string(std::getenv("QV_DATA_DIR")) + "/quorvath.dat"));
    // Stock items already loaded: the start-up goes straight on to the intro.
    write_file(game.file("mainflag.dat"), "@#FLAGS\nITEMS_LOADED_TO_VER 1.10 2\n@#\n");
    // A console without UTF-8: the PC character set as it is.
    auto p = start("quorvath", {"/L", "/N1"}, {"LC_ALL=C"});
    ASSERT_TRUE(p->wait_for(">"));
    p->send("Anna Berg\r");
    ASSERT_TRUE(p->wait_for(" detected\r\n"));
    // Up to the kit's colour reset that ends the report: the game's intro may come in the
    // same read.
    std::string session_start = p->output();
    std::size_t end = session_start.find(" detected\r\n") + 11;
    if (session_start.compare(end, 4, "\x1b[0m") == 0) end += 4;
    session_start.resize(end);
    // The game goes on to its intro (without a text file: the key wait alone); a hang-up there
    // ends it normally.
    ASSERT_TRUE(p->wait_for("[ Hit any key ]"));
    p->hangup();
    EXPECT_EQ(p->wait_exit(), 0);
    ansi_screen s;
    s.feed(session_start);
    EXPECT_EQ(s.row(2), "\xDA" + std::string(31, '\xC4') + "\xBF");
    EXPECT_EQ(s.row(3), "\xB3          Local Logon          \xB3");
    EXPECT_EQ(s.row(4), "\xC0" + std::string(31, '\xC4') + "\xD9");
    EXPECT_EQ(s.row(6), "Please enter your name below (or leave blank for Local Sysop):");
    EXPECT_EQ(s.row(7), ">Anna Berg");
    EXPECT_EQ(s.row(8), system_name() + " detected");
    EXPECT_EQ(s.colour_at(1, 8), 2);
    EXPECT_EQ(s.colour(), 7);
    EXPECT_TRUE(same_settings(p->terminal_settings(), p->initial_settings()));
}

TEST_F(door_e2e, game_hang_up_at_the_logon_prompt) {
    control("BBSTYPE LOCAL\n");
    auto p = start("quorvath", {"/L"});
    ASSERT_TRUE(p->wait_for(">"));
    p->hangup();
    EXPECT_EQ(p->wait_exit(2000), 0);
    EXPECT_NE(p->output().find("Carrier Dropped, returning to BBS."), std::string::npos);
}
