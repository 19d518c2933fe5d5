// The utility's files: the control file it writes, the first forest, busy and torn files,
// and the statistics it shares with running nodes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "config/console.hpp"
#include "config/quorcfg.hpp"
#include "door/door.hpp"
#include "engine/engine_state.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/rules/equipment.hpp"
#include "engine/store/game_path.hpp"
#include "support/capture.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"
#include "support/live_hold.hpp"

namespace {
struct cfg_files : ::testing::Test {
    engine_state engine;
    void SetUp() override {
        door_reset_session();
        graphics_mode = 3;
        cfg::players_loaded = false;
    }
    void TearDown() override { door_reset_session(); }
};

const std::string default_tail =
    "SYSOPFIRST Local\nSYSOPLAST Sysop\nBBSNAME Local BBS\nBBSTYPE DOORSYS\n;COMPORT 1\n;FOSSIL\n;XFOSSIL\n"
    ";LOCKBAUD 19200\n;PORT1 03F8 4\n;PORT2 02F8 3\n;PORT3 03E8 4\n;PORT4 02E8 3\n";
}  // namespace

TEST_F(cfg_files, default_control_file_byte_for_byte) {
    cfg::load_control_file();
    cfg::write_control_file();
    EXPECT_EQ(read_file("quorvath.dat"), "DROPFILEPATH " + program_directory() + "\n" + default_tail);
}

TEST_F(cfg_files, control_file_round_trips_every_setting) {
    struct row {
        int type;
        bool fossil, ext;
        int com;
        int baud;
        const char* expect;  // a line the writer must write
    };
    std::vector<row> rows;
    for (int type = 1; type <= 15; ++type)
        if (type != 2) rows.push_back({type, false, false, 0, 0, type == 9 ? "BBSTYPE DORINFO1\n" : "BBSTYPE "});
    rows.push_back({11, true, false, 2, 19200, "\nFOSSIL\nLOCKBAUD 19200\n"});
    rows.push_back({11, true, true, 255, 0, "\nCOMPORT 255\nXFOSSIL\n;LOCKBAUD"});
    rows.push_back({11, false, true, 4, 57600, "COMPORT 4\nLOCKBAUD 57600\n;PORT1"});
    for (const row& r : rows) {
        SCOPED_TRACE(r.type);
        write_file("quorvath.dat",
                   "DROPFILEPATH /bbs/Drop Files\nMAXTIME 45\n ;comment\nSTATFORE 3\nWHATEVER  x  Y z\n");
        cfg::load_control_file();
        bbs_type = static_cast<std::uint8_t>(r.type);
        fossil_flag = r.fossil;
        door_cfg.ext_fossil = r.ext;
        com_port = static_cast<std::uint8_t>(r.com);
        locked_baud = r.baud;
        door_cfg.port_address[1] = 0x3E0;
        door_cfg.port_irq[1] = 5;
        cfg::write_control_file();
        std::string first = read_file("quorvath.dat");
        EXPECT_NE(first.find(r.expect), std::string::npos) << first;
        // The sysop's lines stay where they stood; the settings the file lacked follow them.
        EXPECT_EQ(
            first.rfind(
                "DROPFILEPATH /bbs/Drop Files\nMAXTIME 45\n ;comment\nSTATFORE 3\nWHATEVER  x  Y z\nSYSOPFIRST ", 0),
            0u)
            << first;
        EXPECT_TRUE(first.ends_with("\nPORT2 03E0 5\n;PORT3 03E8 4\n;PORT4 02E8 3\n")) << first;
        door_reset_session();
        cfg::load_control_file();
        EXPECT_EQ(bbs_type, r.type);
        EXPECT_EQ(fossil_flag, r.fossil);
        EXPECT_EQ(com_port, r.com);
        EXPECT_EQ(locked_baud, r.baud);
        EXPECT_EQ(door_cfg.max_time, 45);
        EXPECT_EQ(door_cfg.stat_fore, 3);
        EXPECT_EQ(door_cfg.dropfile_path.view(), "/bbs/Drop Files");
        EXPECT_EQ(door_cfg.port_address[1], 0x3E0);
        cfg::write_control_file();
        if (!(r.ext && !r.fossil)) {
            EXPECT_EQ(read_file("quorvath.dat"), first);
        }
    }
}

TEST_F(cfg_files, the_control_file_read_is_written_back_with_the_sysops_lines_in_place) {
    struct row {
        const char* file;  // the one file there is
        std::string before, after;
    };
    const std::string rest =
        "DROPFILEPATH \nSYSOPFIRST Local\nSYSOPLAST Sysop\nBBSNAME Local BBS\n;FOSSIL\n;XFOSSIL\n"
        ";LOCKBAUD 19200\n;PORT1 03F8 4\n;PORT2 02F8 3\n;PORT3 03E8 4\n;PORT4 02E8 3\n";
    const row rows[] = {
        // The game reads "vexlor.ctl" when "quorvath.dat" is missing: so does the utility.
        {"vexlor.ctl", "; header\nBBSTYPE LOCAL\n\n; the port\n;COMPORT 1\nMAXTIME 77\n",
         "; header\nBBSTYPE LOCAL\n\n; the port\nCOMPORT 2\nMAXTIME 77\n" + rest},
        // A key twice: the writer's line stands at the first, the second goes.
        {"quorvath.dat", "BBSTYPE DOORSYS\n;COMPORT 1\n; note\nBBSTYPE LOCAL\nCOMPORT 3\n",
         "BBSTYPE LOCAL\nCOMPORT 2\n; note\n" + rest},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.file);
        ::unlink("quorvath.dat");
        ::unlink("vexlor.ctl");
        write_file(r.file, r.before);
        door_reset_session();
        cfg::load_control_file();
        com_port = 2;
        cfg::write_control_file();
        EXPECT_EQ(read_file(r.file), r.after);
        EXPECT_EQ(file_present("quorvath.dat"), std::string(r.file) == "quorvath.dat");
    }
}

TEST_F(cfg_files, first_forest_rows_computed) {
    cfg::write_original_forest();
    std::string image = read_file("forest.dat");
    ASSERT_EQ(image.size(), 13u * 198);
    const std::int32_t expect[3][3] = {{255, 85, 57}, {255, 85, 61}, {309, 103, 75}};
    for (int row = 0; row < 3; ++row) {
        std::size_t at = static_cast<std::size_t>(9 + row) * 198;
        auto i32 = [&](std::size_t off) {
            const auto* b = reinterpret_cast<const unsigned char*>(image.data() + at + off);
            return std::int32_t(b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24);
        };
        EXPECT_EQ(i32(182), expect[row][0]);
        EXPECT_EQ(i32(186), expect[row][1]);
        EXPECT_EQ(i32(190), expect[row][2]);
        EXPECT_EQ(image[at + 180], 1);  // race 1
    }
    monster_record last;
    decode_record(std::string_view(image).substr(12 * 198), last);
    EXPECT_EQ(last.name.view(), "Armored Fairy");
    EXPECT_EQ(last.level, 2);
}

TEST_F(cfg_files, default_equipment_tables) {
    cfg::write_weapon_table();
    cfg::write_shield_table();
    equipment_table weapons, shields;
    ASSERT_TRUE(parse_equipment_table(read_file("weapons.dat"), weapons));
    ASSERT_TRUE(parse_equipment_table(read_file("shields.dat"), shields));
    EXPECT_EQ(read_file("weapons.dat").size(), 14u * 27);
    EXPECT_EQ(weapons[13].name.view(), "Armageddon Machine");
    EXPECT_EQ(weapons[13].price, 12800000);
    EXPECT_EQ(shields[8].name.view(), "Ring/Damage Reducing");
    EXPECT_EQ(shields[8].strength, 22);
}

TEST_F(cfg_files, busy_file_waits_then_code_5) {
    ASSERT_EQ(::symlink("loop.dat", "loop.dat"), 0);
    child_result r = run_in_child([] {
        int result;
        cfg::file_busy_wait("loop.dat", result);
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, 5);
    EXPECT_NE(r.out.find("\"loop.dat\" already open : \x1b[0;31mHOLD"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\x1b[1;27H.......\x1b[1;27HWAITING\x1b[1;27H......."), std::string::npos);
    EXPECT_NE(r.out.find("\"loop.dat\" file stuck \x1b[0;31mOPEN\x1b[1;34m, Please inform SysOp"), std::string::npos);
    EXPECT_EQ(engine.seam.sleeps.size(), 0u);  // the child's pauses, not ours
}

TEST_F(cfg_files, torn_files_end_with_their_codes) {
    struct row {
        const char* name;
        void (*read)();
        int code;
    };
    const row rows[] = {{"players.dat", cfg::read_player_list, 3}, {"guilds.dat", cfg::read_guild_list, 19}};
    for (const row& r : rows) {
        write_file(r.name, std::string(300, 'x'));
        child_result c = run_in_child(r.read);
        EXPECT_EQ(c.code, r.code) << r.name;
        EXPECT_EQ(read_file(r.name), std::string(300, 'x'));
    }
}

TEST_F(cfg_files, corrupt_stats_are_kept_as_bad) {
    write_file("quorstat.dat", "torn");
    child_result c = run_in_child([] {
        input_feed key("x");
        cfg::read_stat_record(game_stats);
    });
    EXPECT_EQ(read_file("quorstat.bad"), "torn");
    EXPECT_EQ(read_file("quorstat.dat").size(), 559u);
    EXPECT_NE(c.out.find("CORRUPTED"), std::string::npos);
}

TEST_F(cfg_files, a_node_rolls_the_day_while_the_utility_changes_grace_days) {
    create_stat_file(game_stats);
    cfg::read_stat_record(game_stats);
    game_stats.grace_days = 40;
    child_result c = run_in_child([] {
        stat_record r;
        read_stat_file(r);
        r.day = 7;
        r.last_maint_date = "20261209";
        write_file("quorstat.dat", encode_record(r));
    });
    ASSERT_EQ(c.code, 0);
    cfg::write_stat_record();
    stat_record after;
    decode_record(read_file("quorstat.dat"), after);
    EXPECT_EQ(after.day, 7);
    EXPECT_EQ(after.last_maint_date.view(), "20261209");
    EXPECT_EQ(after.grace_days, 40);
    EXPECT_FALSE(file_present("hold.dat"));
}

TEST_F(cfg_files, bbs_type_9_keeps_the_word_its_file_had) {
    for (const char* word : {"CALLINFO", "DORINFO1"}) {
        write_file("quorvath.dat", std::string("BBSTYPE ") + word + "\n");
        cfg::load_control_file();
        EXPECT_EQ(bbs_type, 9);
        cfg::write_control_file();
        EXPECT_EQ(read_file("quorvath.dat").rfind(std::string("BBSTYPE ") + word + "\n", 0), 0u) << word;
        door_reset_session();
    }
}

// The sysop answers a hold held too long: N or Escape leave the write, game_stats keeping
// what was set for the next write; Y or Enter wait again, until the node lets go.
TEST_F(cfg_files, a_hold_held_too_long_is_waited_for_again_or_left_with_the_options_kept) {
    for (const char* keys : {"n", "\x1b", "y", "\r"}) {
        bool again = keys[0] == 'y' || keys[0] == '\r';
        create_stat_file(game_stats);
        cfg::read_stat_record(game_stats);
        game_stats.grace_days = 40;
        output_capture out;
        {
            live_hold node;
            clearing_seam seam;
            seam.clear_after = 45;  // four checks after the answer
            input_feed feed(keys);
            reset_console_keys();
            EXPECT_EQ(cfg::write_stat_record(), again);
            reset_console_keys();
        }
        EXPECT_NE(out.take().find("too long"), std::string::npos);
        stat_record file;
        decode_record(read_file("quorstat.dat"), file);
        EXPECT_EQ(file.grace_days, again ? 40 : 15);
        ::unlink("hold.dat");
        EXPECT_TRUE(cfg::write_stat_record());
        decode_record(read_file("quorstat.dat"), file);
        EXPECT_EQ(file.grace_days, 40);
    }
}
