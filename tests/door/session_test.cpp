// Opening a door session in one process: local log-on, the order of door_init, the RIP
// handshake on a piped line, the system report and the status screen.
#include <sys/utsname.h>
#include <tuple>

#include "door/door_internal.hpp"
#include "door_fixture.hpp"
#include "support/capture.hpp"
#include "support/input_feed.hpp"

namespace {
const std::string box =
    "\r\n"
    "\xDA\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
    "\xC4\xC4\xC4\xC4\xC4\xBF\r\n"
    "\xB3          Local Logon          \xB3\r\n"
    "\xC0\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
    "\xC4\xC4\xC4\xC4\xC4\xD9\r\n"
    "\r\n";

std::string report() {
    struct utsname u;
    uname(&u);
    return std::string(u.sysname) + " detected\r\n";
}

struct session : door_fixture {
    output_capture out;
    void SetUp() override {
        door_fixture::SetUp();
        sysop_first_name = "Anna";
        sysop_last_name = "Berg";
    }
    void control(const std::string& text) { write_file(dir.file("quorvath.dat"), text); }
};
}  // namespace

TEST_F(session, local_logon_with_a_name) {
    input_feed keys("john q smith\r");
    ASSERT_FALSE(local_logon_read());
    EXPECT_EQ(out.take(), box + "Please enter your name below (or leave blank for Anna Berg):\r\n>");
    EXPECT_EQ(user_first_name, "JOHN");
    EXPECT_EQ(user_last_name, "QSMITH");  // every blank dropped
    EXPECT_TRUE(local_mode);
    EXPECT_EQ(graphics_mode, 3);
    EXPECT_EQ(minutes_allowed, 120);
    EXPECT_EQ(security_level, 255);
}

TEST_F(session, local_logon_blank_is_the_sysop) {
    input_feed keys("  \r\n");
    ASSERT_FALSE(local_logon_read());
    EXPECT_EQ(user_first_name, "ANNA");
    EXPECT_EQ(user_last_name, "BERG");
}

TEST_F(session, local_logon_asks_for_a_last_name) {
    input_feed keys("Carl\nDo\born\n");
    ASSERT_FALSE(local_logon_read());
    EXPECT_EQ(out.take(), box + "Please enter your name below (or leave blank for Anna Berg):\r\n>" +
                              "Please enter your last name:\r\n>");
    EXPECT_EQ(user_first_name, "CARL");
    EXPECT_EQ(user_last_name, "DORN");
}

TEST_F(session, local_logon_node_from_the_first_argument) {
    input_feed keys("a b\ra b\ra b\ra b\r");
    set_args({"7", "/L"});
    ASSERT_FALSE(local_logon_read());
    EXPECT_EQ(node_number, 7);
    node_number = 3;
    set_args({"0"});
    ASSERT_FALSE(local_logon_read());
    EXPECT_EQ(node_number, 3);
    set_args({"/L", "7"});
    ASSERT_FALSE(local_logon_read());
    EXPECT_EQ(node_number, 3);
    set_args({"300"});
    door_stop s = local_logon_read();
    EXPECT_EQ(s.code, 18);
    EXPECT_EQ(s.text, "Invalid parameter 300");
}

TEST_F(session, door_init_local) {
    ::setenv("LC_ALL", "C", 1);  // the PC character set as it is
    control("BBSTYPE DOORSYS\nSYSOPFIRST Anna\nSYSOPLAST Berg\nMAXTIME 100\n");
    set_args({"/L", "/N3"});
    seam.set_time(2026, 2, 3, 21, 15, 30);
    input_feed keys("carl dorn\r");
    door_init("quorvath.dat");
    std::string sent = out.take();
    EXPECT_EQ(sent.substr(box.size()),
              "Please enter your name below (or leave blank for Anna Berg):\r\n>\x1b[32m" + report() + "\x1b[0m");
    EXPECT_EQ(bbs_type, 1);
    EXPECT_EQ(node_number, 3);
    EXPECT_EQ(user_first_name, "CARL");
    EXPECT_EQ(minutes_allowed, 100);  // 120 capped by MAXTIME
    EXPECT_EQ(graphics_mode, 3);
    EXPECT_EQ(start_time.hour, 21);
    EXPECT_EQ(start_time.minute, 15);
    EXPECT_EQ(cur_colour, 7);
    EXPECT_EQ(cur_back_colour, 0);
    EXPECT_TRUE(door_state::command_stacking);
}

TEST_F(session, door_init_rip_answer_on_a_remote_line) {
    control("BBSTYPE DOORSYS\n");
    write_file(dir.file("door.sys"),
               "COM1:\r\n\r\n\r\n\r\n38400\r\n\r\n\r\n\r\n\r\nCarl Dorn\r\n" + std::string(9, '\n') + "GR\n");
    input_feed keys("RIPSCRIP015400");
    door_init("quorvath.dat");
    EXPECT_EQ(graphics_mode, 5);
    EXPECT_EQ(seam.sleeps, std::vector<int>{222});
    EXPECT_EQ(out.take(), "\x1b[0;30m\r\nChecking for RIP\r\n\x1b[!Rip Detected\r\n\x1b[32m" + report() + "\x1b[0m");
}

TEST_F(session, door_init_ascii_caller_gets_the_query_but_no_colour) {
    control("BBSTYPE DOORSYS\n");
    write_file(dir.file("door.sys"), "COM1:\r\n\r\n\r\n\r\n38400\r\n\r\n\r\n\r\n\r\nCarl Dorn\r\n");
    input_feed keys("no rip answer.");  // 14 bytes that are no RIP answer
    door_init("quorvath.dat");
    EXPECT_EQ(graphics_mode, 0);
    EXPECT_EQ(out.take(), "\r\nChecking for RIP\r\n\x1b[!\r\n" + report());
}

TEST_F(session, door_init_local_rip) {
    control("BBSTYPE PCB12\n");
    write_file(dir.file("pcboard.sys"), std::string(10, ' ') + "L " + "  CARL DORN");
    door_init("quorvath.dat");
    EXPECT_EQ(graphics_mode, 5);  // a local PCBoard 12 session
    control("BBSTYPE DOORSYS\n");
    write_file(dir.file("door.sys"), "COM0:\r\n\r\n\r\n\r\n0\r\n\r\n\r\n\r\n\r\nCarl Dorn\r\n");
    door_init("quorvath.dat");
    EXPECT_EQ(graphics_mode, 0);
    set_args({"/R"});
    door_init("quorvath.dat");
    EXPECT_EQ(graphics_mode, 5);
    EXPECT_EQ(out.take().find("Checking for RIP"), std::string::npos);  // never asked locally
}

TEST_F(session, status_screen) {
    node_number = 2;
    baud_rate = 38400;
    com_port = 1;
    graphics_mode = 3;
    user_first_name = "CARL";
    user_last_name = "DORN";
    security_level = 110;
    minutes_allowed = 45;
    bbs_type = 11;
    drop_path = "/bbs/node2/";
    door_cfg.drop_file_name = "door.sys";
    start_time = clock_now();
    std::vector<std::string> expected = {
        "Baud rate: 38400",      "    Local: No",        " Graphics: ANSI",     "Time left: 45",
        " Com Port: 1",          "     User: CARL DORN", "Access lv: 110",      " Node num: 2",
        "Lock Baud: Not Locked", " Software: DOORSYS",   "Drop file: door.sys", "Drop Path: /bbs/node2/",
    };
    EXPECT_EQ(door_status_lines(), expected);
    locked_baud = 19200;
    EXPECT_EQ(door_status_lines()[8], "Lock Baud: 19200");
}

TEST_F(session, the_pc_character_set_reaches_a_utf8_console_as_utf8) {
    std::string bar;
    for (int i = 0; i < 31; ++i) bar += "\u2500";
    const std::string utf8_box =
        "\r\n\u250C" + bar + "\u2510\r\n\u2502          Local Logon          \u2502\r\n\u2514" + bar + "\u2518\r\n\r\n";
    const std::string pc_bytes = "\xB0\xDB\x80\xE1\xFF~", pc_as_utf8 = "\u2591\u2588\u00C7\u00DF\u00A0~";
    // Locale, a local log-on (else a BBS's DOOR.SYS for a caller at the console), UTF-8 out.
    const std::tuple<const char*, bool, bool> cases[] = {
        {"C.UTF-8", true, true}, {"en_US.utf8", true, true}, {"C", true, false}, {"C.UTF-8", false, false}};
    write_file(dir.file("door.sys"), "COM0:\r\n\r\n\r\n\r\n38400\r\n\r\n\r\n\r\n\r\nCarl Dorn\r\n");
    for (const auto& [locale, local_logon, utf8] : cases) {
        SCOPED_TRACE(std::string(locale) + (local_logon ? " local" : " door.sys"));
        door_reset_session();
        ::setenv("LC_ALL", locale, 1);
        control("BBSTYPE DOORSYS\nSYSOPFIRST Anna\nSYSOPLAST Berg\n");
        set_args(local_logon ? std::vector<std::string>{"/L"} : std::vector<std::string>{});
        input_feed keys("carl dorn\r");
        door_init("quorvath.dat");
        const std::string& shown_box = utf8 ? utf8_box : box;
        std::string sent = out.take();
        if (local_logon) {
            EXPECT_EQ(sent.substr(0, shown_box.size()), shown_box);
        }
        write_str(pc_bytes);
        flush_output();
        EXPECT_EQ(out.take(), utf8 ? pc_as_utf8 : pc_bytes);
    }
    ::unsetenv("LC_ALL");
}
