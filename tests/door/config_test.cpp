// The door control file and the command-line switches.
#include <fcntl.h>
#include <unistd.h>

#include "door_fixture.hpp"

namespace {
struct config : door_fixture {
    door_stop load(const std::string& text, std::vector<std::string> args = {}) {
        write_file(dir.file("quorvath.dat"), text);
        set_args(std::move(args));
        return load_door_config("quorvath.dat");
    }
};
}  // namespace

TEST_F(config, every_key) {
    door_stop s = load(
        "SYSOPFIRST Anna  Maria  \n"
        "SYSOPLAST van Berg\n"
        "BBSNAME The Cellar BBS\n"
        "PAUSECODE @WAIT@\n"
        "BBSTYPE SPITFIRE\n"
        "STATUS OFF\n"
        "DIGI\n"
        "XFOSSIL\n"
        "LOCKBAUD 38400\n"
        "PORT2 02F8 3\n"
        "PORT4 $2e8 5\n"
        "STATFORE 14\n"
        "STATBACK 4\n"
        "MAXTIME 45\n"
        "MONO\n"
        "COLOR1\n"
        "COMPORT 2\n"
        "DROPFILEPATH /bbs/Node1\n");
    ASSERT_FALSE(s);
    EXPECT_EQ(sysop_first_name, "Anna  Maria");  // rest of the line, inner blanks kept
    EXPECT_EQ(sysop_last_name, "van Berg");
    EXPECT_EQ(door_cfg.bbs_name, "The Cellar BBS");
    EXPECT_EQ(door_cfg.pause_code, "@WAIT@");
    EXPECT_EQ(bbs_type, 12);
    EXPECT_EQ(door_cfg.status_line, 0);
    EXPECT_TRUE(door_cfg.digi);
    EXPECT_TRUE(fossil_flag);
    EXPECT_TRUE(door_cfg.ext_fossil);
    EXPECT_EQ(locked_baud, 38400);
    EXPECT_EQ(door_cfg.port_address[1], 0x2F8);
    EXPECT_EQ(door_cfg.port_irq[1], 3);
    EXPECT_EQ(door_cfg.port_address[3], 0x2E8);
    EXPECT_EQ(door_cfg.port_irq[3], 5);
    EXPECT_EQ(door_cfg.port_address[0], 0);
    EXPECT_EQ(door_cfg.stat_fore, 14);
    EXPECT_EQ(door_cfg.stat_back, 4);
    EXPECT_EQ(door_cfg.max_time, 45);
    EXPECT_FALSE(door_cfg.colour);
    EXPECT_TRUE(door_cfg.colour1);
    EXPECT_EQ(com_port, 2);
    EXPECT_EQ(drop_path, "/bbs/Node1/");  // the path keeps its case
    EXPECT_EQ(door_cfg.unknown_key, "DROPFILEPATH");
}

TEST_F(config, defaults) {
    ASSERT_FALSE(load(""));
    EXPECT_EQ(bbs_type, 1);
    EXPECT_EQ(door_cfg.max_time, 999);
    EXPECT_EQ(door_cfg.pause_code, "@PAUSE@");
    EXPECT_EQ(door_cfg.status_line, 1);
    EXPECT_TRUE(door_cfg.colour);
    EXPECT_FALSE(door_cfg.colour1);
    EXPECT_FALSE(fossil_flag);
    EXPECT_EQ(locked_baud, 0);
    EXPECT_EQ(door_cfg.stat_fore, 7);
    EXPECT_EQ(door_cfg.stat_back, 1);
    EXPECT_FALSE(sysop_first_name.empty());
    EXPECT_FALSE(sysop_last_name.empty());
    EXPECT_EQ(drop_path, "");
}

TEST_F(config, keys_and_words_are_upper_cased) {
    ASSERT_FALSE(load("bbstype doorsys\nfossil\nstatus off\n"));
    EXPECT_EQ(bbs_type, 11);
    EXPECT_TRUE(fossil_flag);
    EXPECT_EQ(door_cfg.status_line, 0);
}

TEST_F(config, every_bbs_type_word) {
    const std::pair<const char*, int> words[] = {
        {"LOCAL", 1},    {"QUICK", 3},     {"PCB12", 4},    {"WWIV", 5},     {"PCB15", 6},
        {"RBBS", 7},     {"PHOENIX", 8},   {"DORINFO1", 9}, {"CALLINFO", 9}, {"PCB14", 10},
        {"DOORSYS", 11}, {"SPITFIRE", 12}, {"2AM", 13},     {"TRIBBS", 14},  {"SRDOOR", 15},
    };
    for (auto [word, type] : words) {
        ASSERT_FALSE(load(std::string("BBSTYPE ") + word + "\n")) << word;
        EXPECT_EQ(bbs_type, type) << word;
    }
}

TEST_F(config, invalid_parameters) {
    door_stop s = load("BBSTYPE DOORSYS\nBBSTYPE  foo  \n");
    EXPECT_EQ(s.code, 18);
    EXPECT_EQ(s.text, "Invalid parameter BBSTYPE  foo  ");
    s = load("STATUS maybe\n");
    EXPECT_EQ(s.code, 18);
    EXPECT_EQ(s.text, "Invalid parameter STATUS maybe");
    s = load("BBSTYPE\n");
    EXPECT_EQ(s.text, "Invalid parameter BBSTYPE");
}

TEST_F(config, comments_and_blank_lines) {
    ASSERT_FALSE(load(";MAXTIME 5\n ;MAXTIME 6\n\n   \n\t\nMAXTIME 7\n"));
    EXPECT_EQ(door_cfg.max_time, 7);
    // Only the first two characters make a comment.
    ASSERT_FALSE(load("X;MAXTIME 5\n"));
    EXPECT_EQ(door_cfg.max_time, 999);
    EXPECT_EQ(door_cfg.unknown_key, "X;MAXTIME");
    EXPECT_EQ(door_cfg.unknown_word2, "5");
    EXPECT_EQ(door_cfg.unknown_rest, "5");
    ASSERT_FALSE(load("  ;MAXTIME 5\n"));  // a third-column ";" is a key
    EXPECT_EQ(door_cfg.unknown_key, ";MAXTIME");
}

TEST_F(config, numbers) {
    ASSERT_FALSE(load("MAXTIME abc\nCOMPORT 300\nLOCKBAUD 99999999999\nSTATFORE -3\n"));
    EXPECT_EQ(door_cfg.max_time, 0);
    EXPECT_EQ(com_port, 255);  // clamped, never wrapped
    EXPECT_EQ(locked_baud, 2147483647);
    EXPECT_EQ(door_cfg.stat_fore, 0);
    ASSERT_FALSE(load("MAXTIME 70000\n"));
    EXPECT_EQ(door_cfg.max_time, 32767);
}

TEST_F(config, last_line_counts_and_values_are_cut_to_80) {
    std::string long_name(100, 'n');
    ASSERT_FALSE(load("MAXTIME 10\nSYSOPFIRST " + long_name + "\nMAXTIME 20\nUNKNOWNKEY " + long_name + "\n"));
    EXPECT_EQ(door_cfg.max_time, 20);
    EXPECT_EQ(sysop_first_name, std::string(80, 'n'));
    EXPECT_EQ(door_cfg.unknown_rest, std::string(80, 'n'));
}

TEST_F(config, line_end_forms) {
    for (const char* eol : {"\n", "\r", "\r\n"}) {
        ASSERT_FALSE(load(std::string("BBSTYPE WWIV") + eol + "MAXTIME 33" + eol + "SYSOPLAST Berg" + eol));
        EXPECT_EQ(bbs_type, 5);
        EXPECT_EQ(door_cfg.max_time, 33);
        EXPECT_EQ(sysop_last_name, "Berg");
    }
    ASSERT_FALSE(load("MAXTIME 12\r\n\x1a"));  // a DOS end-of-file mark
    EXPECT_EQ(door_cfg.max_time, 12);
}

TEST_F(config, logon_switches_come_after_the_file) {
    ASSERT_FALSE(load("BBSTYPE DOORSYS\n", {"/L"}));
    EXPECT_EQ(bbs_type, 1);
    ASSERT_FALSE(load("BBSTYPE DOORSYS\n", {"-f"}));
    EXPECT_EQ(bbs_type, 0);
    ASSERT_FALSE(load("BBSTYPE DOORSYS\n", {"/H", "/L"}));
    EXPECT_EQ(bbs_type, 1);
    ASSERT_FALSE(load("BBSTYPE DOORSYS\n", {"/L", "/h"}));
    EXPECT_EQ(bbs_type, 0);
}

TEST_F(config, switches_are_read_before_the_file) {
    ASSERT_FALSE(load("LOCKBAUD 19200\n", {"/B57600", "/C3", "/D", "/E", "/R", "/V", "/W"}));
    EXPECT_EQ(locked_baud, 19200);  // the file's line comes later
    EXPECT_EQ(com_port, 3);
    EXPECT_TRUE(debug_mode);
    EXPECT_TRUE(door_cfg.rip_requested);
    ASSERT_FALSE(load("", {"/Bxyz", "/C", "3", "/", "-", "plain"}));
    EXPECT_EQ(locked_baud, 0);
    EXPECT_EQ(com_port, 0);
}

TEST_F(config, node_switch) {
    ASSERT_FALSE(load("", {"/N12"}));
    EXPECT_EQ(node_number, 12);
    EXPECT_TRUE(node_given);
    ASSERT_FALSE(load("", {"/Nx"}));
    EXPECT_EQ(node_number, 0);
    door_stop s = load("", {"/N256"});
    EXPECT_EQ(s.code, 18);
    EXPECT_EQ(s.text, "Invalid parameter /N256");
    EXPECT_EQ(load("", {"-n-1"}).text, "Invalid parameter -n-1");
}

TEST_F(config, drop_path) {
    ASSERT_FALSE(load("", {"/P/bbs/node1"}));
    EXPECT_EQ(drop_path, "/bbs/node1/");
    ASSERT_FALSE(load("", {"/Pdrop/"}));
    EXPECT_EQ(drop_path, "drop/");
    ASSERT_FALSE(load("DROPFILEPATH /from/file/\n", {"/P/from/switch"}));
    EXPECT_EQ(drop_path, "/from/switch/");  // the switch wins
    ASSERT_FALSE(load("DROPFILEPATH /from/file\n", {"/P"}));
    EXPECT_EQ(drop_path, "");  // an empty /P is the current directory
    ASSERT_FALSE(load("DROPFILEPATH /from/file\n"));
    EXPECT_EQ(drop_path, "/from/file/");
}

TEST_F(config, suffix_switch) {
    write_file(dir.file("quorvath12.dat"), "MAXTIME 12\n");
    ASSERT_FALSE(load("MAXTIME 1\n", {"/m123"}));
    EXPECT_EQ(door_cfg.suffix, "12");
    EXPECT_EQ(door_cfg.max_time, 12);
    EXPECT_EQ(door_config_name("quorvath.dat"), "quorvath12.dat");
    EXPECT_EQ(door_config_name("game.v2/quorvath"), "game.v2/quorvath12");
    EXPECT_EQ(door_config_name("/a/b.c.dat"), "/a/b.c12.dat");
    set_args({"/M"});
    door_cfg = door_config_values{};
    parse_door_switches();
    EXPECT_EQ(door_config_name("quorvath.dat"), "quorvath.dat");
}

TEST_F(config, missing_file_and_the_old_name) {
    set_args({"/M02"});
    door_stop s = load_door_config("quorvath.dat");
    EXPECT_EQ(s.code, 18);
    EXPECT_EQ(s.text, "Configuration file, quorvath02.dat, is missing!");
    write_file(dir.file("vexlor.ctl"), "MAXTIME 77\n");
    ASSERT_FALSE(load_door_config("quorvath.dat"));
    EXPECT_EQ(door_cfg.max_time, 77);
}

TEST_F(config, stop_writes_its_text_and_waits) {
    std::string path = dir.file("out.txt");
    EXPECT_EXIT(
        {
            int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            static fake_seam* s = &seam;
            add_exit_proc([] {
                write_line("");
                std::printf("slept %ld\n", s->slept_total);
                std::fflush(stdout);
            });
            config_error_exit("Configuration file, quorvath.dat, is missing!");
        },
        ::testing::ExitedWithCode(18), "");
    EXPECT_EQ(read_file(path), "\a\aERROR: Configuration file, quorvath.dat, is missing!\r\n\a\aslept 2000\n");
}
