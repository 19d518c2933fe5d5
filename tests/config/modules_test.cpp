// The utility's module list, installer, start script and reset: files byte for byte, the
// start script's directory through a real shell, and what a reset erases and keeps.
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "config/console.hpp"
#include "config/quorcfg.hpp"
#include "config/shop_editor.hpp"
#include "door/door.hpp"
#include "engine/engine_state.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/strings.hpp"
#include "support/capture.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"

namespace {
struct cfg_modules : ::testing::Test, engine_state {
    output_capture out;
    cfg_modules() {
        door_reset_session();
        graphics_mode = 3;
        cfg::players_loaded = false;
    }
    ~cfg_modules() override { door_reset_session(); }
    // Runs a screen with the keys typed.
    template <class F>
    void with_keys(const std::string& keys, F screen) {
        input_feed feed(keys);
        reset_console_keys();
        screen();
        reset_console_keys();
    }
};

std::string shell_pwd(const std::string& dir) {
    std::string command = "cd " + cfg::shell_word(dir) + " && pwd";
    return run_shell(command).out;
}

int file_mode(const std::string& name) {
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}
}  // namespace

TEST_F(cfg_modules, start_script_byte_for_byte) {
    EXPECT_EQ(cfg::start_script_text("/bbs/quor/", "Wednesday 12/09/2026  12:00:00:00"),
              "#!/bin/sh\n#  Use this script to start Quorvath.\n"
              "#  Created using QUORCFG on Wednesday 12/09/2026  12:00:00:00\n"
              "#  %1 must be passed as the node number, but will be\n"
              "#  over-ridden if the dropfile supports node num within\n\ndone=0\n\n"
              "if [ \"D$1\" = \"D\" ]; then\n cd /bbs/quor/\n ./quorvath\nelse\n while [ $done -eq 0 ]; do\n"
              "  cd /bbs/quor/\n  ./quorvath /N$@\n  if [ $? -eq 254 ]; then\n   ./ext$1.sh\n  else\n   done=1\n"
              "  fi\n done\nfi\n");
    // Every directory reaches the shell as one word, never as a command.
    std::string base = program_directory();
    for (const char* name : {"two words", "it's", "a$HOME", "x;touch pwned", "b`id`", "plain-1.2_x"}) {
        std::string dir = base + name;
        ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0) << name;
        EXPECT_EQ(shell_pwd(dir + "/"), dir + "\n") << name;
    }
    EXPECT_EQ(cfg::shell_word("/a/b-c_d.e/"), "/a/b-c_d.e/");
    EXPECT_FALSE(file_present("pwned"));
}

TEST_F(cfg_modules, start_script_is_written_once_unless_overwritten) {
    with_keys("\rx", [] { cfg::make_shell_script(); });
    std::string text = read_file("quor.sh");
    EXPECT_EQ(text.substr(0, 10), "#!/bin/sh\n");
    EXPECT_NE(text.find(" cd " + program_directory() + "\n"), std::string::npos);
    EXPECT_EQ(file_mode("quor.sh"), 0555);
    ::chmod("quor.sh", 0644);
    write_file("quor.sh", "old");
    ::chmod("quor.sh", 0555);
    for (const char* keys : {"\r\rx", "quor.sh\rnx"}) {
        with_keys(keys, [] { cfg::make_shell_script(); });
        EXPECT_EQ(read_file("quor.sh"), "old");
    }
    with_keys("\ryx", [] { cfg::make_shell_script(); });
    EXPECT_EQ(read_file("quor.sh"), text);
    EXPECT_EQ(file_mode("quor.sh"), 0555);
    with_keys("../quor.sh\rx", [] { cfg::make_shell_script(); });
    EXPECT_NE(out.take().find("without \"/\""), std::string::npos);
}

TEST_F(cfg_modules, module_list_round_trip) {
    std::list<exmod_entry> mods(2);
    mods.front().command = "door.sh `*";
    mods.front().name = "The Door";
    add_desc_line("`2A door.", mods.front().description);
    add_desc_line("", mods.front().description);
    mods.back().command = "quest.scr";
    mods.back().name = "(Unknown)";
    cfg::write_exmod_file(mods);
    EXPECT_EQ(read_file("exmods.dat"), "door.sh `*\nThe Door\n`2A door.\n\n~\nquest.scr\n(Unknown)\n~\n");
    std::list<exmod_entry> back;
    read_exmods_file(back);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(exmods_image(back), read_file("exmods.dat"));
}

TEST_F(cfg_modules, installer_classifies_and_describes) {
    write_file("quest.scr", "@#Install\nQuest of Old\n`3A long walk.\n@#Main\nx\n");
    write_file("longname.scr", "@#Other\nx\n");
    write_file("door.sh", "#!/bin/sh\n");
    write_file("door.dsc", "@#INSTALL\nThe Door\n");
    write_file("game.exe", "");
    struct row {
        const char* typed;
        const char* command;  // nullptr: nothing installed
        const char* name;
        std::size_t desc_lines;
    } rows[] = {
        {"quest\r\rx", "quest.scr", "Quest of Old", 2},
        {"longnameXYZ\r\rx", "longname.scr", "(Unknown)", 0},
        {"DOOR.SH\r\rx", "door.sh", "The Door", 1},
        {"game.exe\ryx", "game.exe", "(Unknown)", 0},
        {"door.sh\rnx", nullptr, "", 0},
        {"nothere.sh\rx", nullptr, "", 0},
        {"../door.sh\rx", nullptr, "", 0},
        {"\rx", nullptr, "", 0},
    };
    for (const row& r : rows) {
        std::list<exmod_entry> mods;
        with_keys(r.typed, [&] { cfg::install_exmod(mods); });
        if (!r.command) {
            EXPECT_TRUE(mods.empty()) << r.typed;
            continue;
        }
        ASSERT_EQ(mods.size(), 1u) << r.typed;
        EXPECT_EQ(mods.front().command.str(), r.command);
        EXPECT_EQ(mods.front().name.str(), r.name);
        EXPECT_EQ(mods.front().description.size(), r.desc_lines) << r.typed;
    }
    std::string screen = out.take();
    EXPECT_NE(screen.find("door.dsc"), std::string::npos);
    EXPECT_NE(screen.find("File not Found."), std::string::npos);
    EXPECT_NE(screen.find("Install Aborted"), std::string::npos);
}

TEST_F(cfg_modules, reset_erases_the_players_and_keeps_the_game) {
    write_record_file<character_record>("players.dat", std::vector<character_record>{make_char(1, "ANNA")});
    cfg::read_stat_record(game_stats);
    cfg::read_player_list();
    write_record_file<character_record>("players.dat",
                                        std::vector<character_record>{make_char(1, "ANNA"), make_char(2, "BOB")});
    guild_record g7, g12;
    g7.number = 7;
    g12.number = 12;
    // Player 2 and guild 12 were made by a node after the utility loaded its lists.
    write_record_file<guild_record>("guilds.dat", std::vector<guild_record>{g7, g12});
    game_stats.heal_cost = 9;
    game_stats.day = 40;
    game_stats.floating_gold = 500;
    write_record_file<stat_record>(stat_file_name, std::vector<stat_record>{game_stats});
    cfg::read_stat_record(game_stats);
    const char* erased[] = {"players.dat",  "guilds.dat",   "news0.dat",    "news7.dat",    "hall0007.dat",
                            "hall0007.msg", "hall0012.dat", "hall0012.msg", "user0001.dat", "flag0002.dat",
                            "invt0001.dat", "invt0002.dat", "node0002.msg"};
    const char* kept[] = {"forest.dat", "weapons.dat", "itemreg.dat",  "mainflag.dat",
                          "events.dat", "exmods.dat",  "user0003.dat", "quortext.dat"};
    for (const char* f : erased)
        if (!file_present(f)) write_file(f, "x");
    for (const char* f : kept) write_file(f, "x");
    with_keys("nx", [] { cfg::reset_game(); });
    EXPECT_TRUE(file_present("players.dat"));
    with_keys("yx", [] { cfg::reset_game(); });
    for (const char* f : erased) EXPECT_FALSE(file_present(f)) << f;
    for (const char* f : kept) EXPECT_TRUE(file_present(f)) << f;
    EXPECT_TRUE(char_list.empty());
    EXPECT_TRUE(guild_list.empty());
    std::vector<stat_record> stats;
    ASSERT_EQ(read_record_file(stat_file_name, stats), file_status::ok);
    EXPECT_EQ(stats[0].day, 0);
    EXPECT_EQ(stats[0].last_maint_date.str(), "19800101");
    EXPECT_EQ(stats[0].floating_gold, 0);
    EXPECT_EQ(stats[0].heal_cost, 9);
    EXPECT_EQ(stats[0].started_text.str().substr(0, 21), date_time_text().substr(0, 21));
}

TEST_F(cfg_modules, installer_takes_every_script_form_the_game_runs) {
    const std::string text = "@#Install\nQuest of Old\n`3A long walk.\n@#Main\nx\n";
    write_file("quest.sc", text);
    write_file("coded.scc", encode_script(text));
    write_file("upper.SCC", encode_script(text, 200));
    struct row {
        const char* typed;
        const char* command;
    } rows[] = {{"quest.sc\r\rx", "quest.sc"}, {"coded.scc\r\rx", "coded.scc"}, {"upper.scc\r\rx", "upper.SCC"}};
    for (const row& r : rows) {
        std::list<exmod_entry> mods;
        with_keys(r.typed, [&] { cfg::install_exmod(mods); });
        ASSERT_EQ(mods.size(), 1u) << r.typed;
        EXPECT_EQ(mods.front().command.str(), r.command);
        EXPECT_TRUE(is_script_module(mods.front().command.view()));
        EXPECT_EQ(mods.front().name.str(), "Quest of Old") << r.typed;
        EXPECT_EQ(mods.front().description.size(), 2u) << r.typed;
    }
    EXPECT_EQ(out.take().find("Installing Non-Script"), std::string::npos);
}

TEST_F(cfg_modules, a_torn_item_registry_is_called_damaged) {
    write_file("items.dat", std::string(100, 'x'));
    with_keys("x", [] { cfg::shop_editor("weapon.shp"); });
    std::string screen = out.take();
    EXPECT_NE(screen.find("\"items.dat\" is \x1b[0;31mDAMAGED"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("at least"), std::string::npos) << screen;
    EXPECT_EQ(read_file("items.dat"), std::string(100, 'x'));
}
