// The Crossroads: the node number in a command line, the hand-off file written and read back,
// the node script, which modules run inside the game, and the halt with 254 that saves first.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/text/exmods.hpp"
#include "game/other_realms.hpp"
#include "game_state.hpp"

namespace {
struct realms_out : game_state {
    realms_out() {
        town_texts();
        node_given = true;
    }
};

std::string ran_script;
void record_script(std::string_view file, std::string_view params) {
    ran_script = std::string(file) + "|" + std::string(params);
}
}  // namespace

TEST_F(realms_out, node_number_and_script_test) {
    EXPECT_EQ(insert_node_number("prog `* `*", 3), "prog 3 `*");
    EXPECT_EQ(insert_node_number("prog", 3), "prog");
    struct row {
        const char* command;
        bool script;
    } rows[] = {{"quest.scr", true},   {"QUEST.SC x y", true}, {"a.Scc", true}, {"door.sh quest.scr", false},
                {"quest.scrx", false}, {".scr", false},        {"", false},     {"  quest.scr", true}};
    for (const row& r : rows) EXPECT_EQ(is_script_module(r.command), r.script) << r.command;
}

TEST_F(realms_out, hand_off_file_lines_in_order_and_read_back) {
    caller();
    node_number = 12;
    com_port = 2;
    baud_rate = 38400;
    locked_baud = 0;
    fossil_flag = true;
    drop_path = "/bbs/node\x01/";
    graphics_mode = 3;
    write_node_file(12);
    EXPECT_EQ(node_handoff_file(12), "qvh00012.dat");
    std::string file = read_file("qvh00012.dat");
    EXPECT_EQ(file.substr(0, file.find("TIMELEFT")),
              "NAME ANNA\nUFNAME ANNA\nULNAME BERG\nCOMPORT 2\nBAUDRATE 38400\nLOCKBAUD 0\nROUTINES FOSSIL\n"
              "DROPFILEPATH /bbs/node./\nGRAPHICS 3\n");
    node_handoff h;
    ASSERT_TRUE(read_node_file(12, h));
    EXPECT_EQ(h.name, "ANNA");
    EXPECT_TRUE(h.fossil);
    EXPECT_EQ(h.baud_rate, 38400);
    EXPECT_EQ(h.drop_path, "/bbs/node./");

    write_file("qvh00012.dat", "routines internal\nCOMPORT two\nGRAPHICS 5\nNAME  Bob Smith \n");
    ASSERT_TRUE(read_node_file(12, h));
    EXPECT_FALSE(h.fossil);
    EXPECT_EQ(h.com_port, 0);
    EXPECT_EQ(h.graphics, 5);
    EXPECT_EQ(h.name, "Bob Smith");
    std::remove("qvh00012.dat");
    out.take();
    EXPECT_FALSE(read_node_file(12, h));
    EXPECT_NE(out.take().find("Error: File qvh00012.dat does not exist."), std::string::npos);
}

TEST_F(realms_out, program_words) {
    write_file("Door.sh", "#!/bin/sh\n");
    ::mkdir("sub", 0755);
    struct row {
        const char* command;
        const char* line;  // nullptr: refused
    } rows[] = {{"door.sh 3 `*", "./Door.sh 3 `*"},   {"Door.sh", "./Door.sh"},       {"../x", nullptr},
                {"sub/../Door.sh", nullptr},          {"missing 1", nullptr},         {"sub", nullptr},
                {"/bin/sh -c 'x'", "/bin/sh -c 'x'"}, {"/nonexistent/prog", nullptr}, {"", nullptr}};
    for (const row& r : rows) {
        std::optional<std::string> line = module_shell_line(r.command);
        if (r.line)
            EXPECT_EQ(line.value_or("(refused)"), r.line) << r.command;
        else
            EXPECT_FALSE(line) << r.command;
    }
}

TEST_F(realms_out, refusals_and_script_modules) {
    caller();
    auto visit = [&](const char* keys) {
        input_feed feed(keys);
        other_realms();
        return out.take();
    };
    EXPECT_NE(visit("x").find("No other Realms known about."), std::string::npos);
    write_file("exmods.dat", "quest.scr hello `*\nQuest\nA quest line.\n~\nmissing\nLost\n~\n");
    node_given = false;
    EXPECT_NE(visit("x").find("External Modules not Available"), std::string::npos);
    node_given = true;
    set_run_script_hook(record_script);
    std::string screen = visit("S1\rx1");
    EXPECT_EQ(ran_script, "quest.scr|hello `*");
    EXPECT_NE(screen.find("(1)Quest"), std::string::npos);
    EXPECT_NE(screen.find("A quest line."), std::string::npos);
    // A program that names no file: nothing is written and the player stays.
    screen = visit("2xL");
    EXPECT_NE(screen.find("That module does not EXIST."), std::string::npos);
    EXPECT_FALSE(file_present("qvh00001.dat"));
    EXPECT_FALSE(file_present("ext1.sh"));
}

TEST_F(realms_out, a_program_module_saves_and_halts_with_254) {
    character_record& me = caller();
    node_number = 12;
    write_file("door", "#!/bin/sh\n");
    write_file("exmods.dat", "door `* x\nDoor\n~\n");
    me.gold = 1234;
    me.online = 1;
    write_char_file(false);
    me.gold = 999;  // played since the last save
    child_result r = run_in_child([] {
        input_feed feed("1");
        other_realms();
    });
    EXPECT_EQ(r.code, 254);
    EXPECT_EQ(read_file("ext12.sh"), "./door 12 x\n");
    struct stat st {};
    ASSERT_EQ(::stat("ext12.sh", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755);
    EXPECT_EQ(read_file("qvh00012.dat").substr(0, 10), "NAME ANNA\n");
    EXPECT_EQ(file_chars()[0].gold, 999);
    EXPECT_EQ(file_chars()[0].online, 0);
}
