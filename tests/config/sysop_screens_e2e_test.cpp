// The utility as a sysop meets it on a 24-row console: values shown as they are, screens that
// never scroll, one answer to "Write Changes?" in every editor, a node that holds the hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "config/console_pty.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/shop_file.hpp"
#include "multi/two_nodes.hpp"
#include "support/live_hold.hpp"

namespace {
using two_node::caller;
const std::string down = "\x1b[B", up = "\x1b[A", left = "\x1b[D", right = "\x1b[C", clear_to_end = "\x1b[1;5C";

std::string times(const std::string& key, int n) {
    std::string keys;
    for (int i = 0; i < n; ++i) keys += key;
    return keys;
}

// quorcfg on a 24-row console in the directory, at its main menu.
caller utility(const temp_dir& dir) {
    caller c{std::make_unique<pty_process>(qv_binary("quorcfg"), console_in(dir))};
    c.type("", "[ Hit any key ]");
    c.type("x", "uit and Save");
    return c;
}
// The console as the sysop sees it now.
ansi_screen screen(caller& c) {
    c.term->read_for(200);
    ansi_screen s(24);
    s.feed(c.term->output());
    return s;
}
void quit(caller& c) {
    c.term->send("Q");
    EXPECT_EQ(c.term->wait_exit(console_wait_ms), 0);
}

std::string module_file(const std::string& command, const std::string& name, int desc_lines) {
    std::string text = command + "\n" + name + "\n";
    for (int i = 1; i <= desc_lines; ++i) text += (i == 1 ? "`cLine " : "Line ") + std::to_string(i) + "\n";
    return text + "~\n";
}
}  // namespace

TEST(sysop_screens_e2e, a_module_with_codes_in_its_fields_is_edited_where_the_cursor_stands) {
    temp_dir dir(false);
    write_file(dir.file("exmods.dat"), module_file("plain.sh `* go", "Mod `5Name", 1));
    caller cfg = utility(dir);
    cfg.type("i", "Return to Previous Menu");
    ansi_screen s = screen(cfg);
    EXPECT_EQ(s.row(5), "->Module Name         : Mod `5Name");
    EXPECT_EQ(s.row(6), "  Command Line        : plain.sh `* go");
    EXPECT_EQ(s.row(13), "`cLine 1");
    // The sysop puts the cursor on the N of the name, then on the g of the command line.
    cfg.type("\r\x1b[F" + times(left, 4), "\"");
    s = screen(cfg);
    EXPECT_EQ(s.row(5), "->Module Name         :\"Mod `5Name\"");
    EXPECT_EQ(s.at(s.cursor_x(), s.cursor_y()), 'N');
    cfg.type("G\r" + down + "\r\x1b[H" + times(right, 12), "plain.sh");
    s = screen(cfg);
    EXPECT_EQ(s.at(s.cursor_x(), s.cursor_y()), 'g');
    cfg.type("G\rq", "Write Changes?");
    cfg.type("\r", "Changes saved");
    cfg.type("x", "uit and Save");
    quit(cfg);
    EXPECT_EQ(read_file(dir.file("exmods.dat")), module_file("plain.sh `* Go", "Mod `5Game", 1));
}

TEST(sysop_screens_e2e, a_long_description_leaves_the_frame_and_the_menu_on_screen) {
    temp_dir dir(false);
    write_file(dir.file("exmods.dat"), module_file("long.sh", "Long One", 16));
    caller cfg = utility(dir);
    cfg.type("i", "Return to Previous Menu");
    cfg.type(up + "\r", "Write Changes?");
    cfg.type("n", "Changes not saved");
    ansi_screen s = screen(cfg);
    EXPECT_EQ(s.scrolls(), 0);
    EXPECT_NE(s.row(1).find("ExMod Maintenance for The Quorvath v1.10"), std::string::npos) << s.row(1);
    EXPECT_EQ(s.row(5), "  Module Name         : Long One");
    EXPECT_EQ(s.row(10), "->Return to Previous Menu");
    EXPECT_EQ(s.row(21), "Line 9");
    EXPECT_EQ(s.row(22), "  ... 7 more lines: Enter on Description shows them all.");
    EXPECT_EQ(s.row(24), "  Changes not saved      [ Hit any key ]");
    cfg.type("x", "uit and Save");
    quit(cfg);
}

// Each editor, one change, then the answer: N and Escape keep the files, any other key
// writes; what was done stands on the row below the question until a key.
TEST(sysop_screens_e2e, write_changes_answers_in_every_editor) {
    for (const char* key : {"N", "\x1b", " ", "\r"}) {
        bool writes = key[0] == ' ' || key[0] == '\r';
        SCOPED_TRACE(int(key[0]));
        temp_dir dir(false);
        std::vector<character_record> players(2);
        for (int i = 0; i < 2; ++i) {
            players[i].number = static_cast<std::int16_t>(i + 1);
            players[i].name = i == 0 ? "ANNA" : "BERT";
        }
        write_file(dir.file("players.dat"), records_image<character_record>(players));
        registry_record blade;
        blade.name = blade.item.name = "Ice Blade";
        blade.script_id = blade.item.script_id = "ICEBLADE";
        write_file(dir.file("items.dat"), records_image<registry_record>(std::vector<registry_record>{blade}));
        shop_entry stock;
        stock.name = "Ice Blade";
        stock.script_id = "ICEBLADE";
        stock.count = 5;
        write_file(dir.file("weapon.shp"), records_image<shop_entry>(std::vector<shop_entry>{stock}));
        const std::string modules = module_file("door.sh", "The Door", 2);
        write_file(dir.file("exmods.dat"), modules);
        caller cfg = utility(dir);
        const std::string said = writes ? "Changes saved" : "Changes not saved";
        auto answer = [&](int question_row) {
            cfg.type(key, said);
            ansi_screen s = screen(cfg);
            EXPECT_EQ(s.row(question_row).rfind("  Write Changes? (Y/N) [Y] :", 0), 0u) << s.row(question_row);
            EXPECT_EQ(s.row(question_row + 1), "  " + said + "      [ Hit any key ]");
        };
        cfg.type("c\r" + times(up, 4) + "\r", "# of Creatures : 14");  // the forest: Add a New Creature
        cfg.type("q", "Write Changes?");
        answer(23);
        cfg.type("xq", "uit and Save");
        cfg.type("p" + right + "\r" + clear_to_end + "anna\r", "(you must choose another)");  // a name in use
        EXPECT_EQ(screen(cfg).row(24), "somebody else (you must choose another).  [ Hit any key ]");
        cfg.type("x" + times(down, 3) + "\r", "TRUE");  // BERT dead
        cfg.type("q", "Write Changes?");
        answer(23);
        cfg.type("x", "uit and Save");
        cfg.type("s\r\r" + clear_to_end + "abc\r", "That is not a whole number.");
        cfg.type("x\r" + clear_to_end + "9\r", "Quantity          : 9");
        cfg.type("q", "Write Changes?");
        answer(20);
        cfg.type("xq", "uit and Save");
        cfg.type("i" + times(down, 4) + "\ry", "ExMod Removed");
        cfg.type("xq", "Write Changes?");
        answer(23);
        cfg.type("x", "uit and Save");
        EXPECT_EQ(screen(cfg).scrolls(), 0);
        quit(cfg);

        creature_list creatures;
        ASSERT_EQ(parse_creature_image(read_file(dir.file("forest.dat")), creatures, true, 0), creature_form::current);
        EXPECT_EQ(creatures.size(), writes ? 14u : 13u);
        std::vector<character_record> now;
        ASSERT_TRUE(parse_records(read_file(dir.file("players.dat")), now));
        for (const character_record& c : now) EXPECT_EQ(c.dead, writes && c.number == 2 ? 1 : 0) << c.number;
        EXPECT_EQ(parse_shop_image(read_file(dir.file("weapon.shp"))).at(0).count, writes ? 9 : 5);
        EXPECT_EQ(read_file(dir.file("exmods.dat")), writes ? "" : modules);
    }
}

TEST(sysop_screens_e2e, bbs_setup_locks_the_speed_and_keeps_dorinfo1) {
    temp_dir dir(false);
    write_file(dir.file("quorvath.dat"), "; the sysop's note\nBBSTYPE DORINFO1\n");
    caller cfg = utility(dir);
    cfg.type("b" + times(up, 7) + "\r", "(H) DORINFO1.DEF");  // BBS Software
    EXPECT_EQ(screen(cfg).row(9), "->BBS Software           : DORINFO1.DEF");
    cfg.type("h" + times(down, 4) + "\r", "Which rate");  // Locked Baud Rate
    ansi_screen s = screen(cfg);
    EXPECT_EQ(s.scrolls(), 0);
    EXPECT_NE(s.row(1).find("BBS Setup for The Quorvath"), std::string::npos) << s.row(1);
    EXPECT_EQ(s.row(17).rfind("Which rate (1-8) :", 0), 0u) << s.row(17);
    EXPECT_EQ(s.row(18), "1) 2400                       5) 38400");
    EXPECT_EQ(s.row(21), "4) 19200                      8) Port not Locked.");
    cfg.type("5", "Locked Baud Rate       : 38400");
    cfg.type("q", "uit and Save");
    quit(cfg);
    std::string control = read_file(dir.file("quorvath.dat"));
    EXPECT_EQ(control.rfind("; the sysop's note\nBBSTYPE DORINFO1\n", 0), 0u) << control;
    EXPECT_NE(control.find("\nLOCKBAUD 38400\n"), std::string::npos) << control;
}

// A node keeps the hold past the wait: the sysop is told, leaves the write, goes back to the
// menu, and quits once the node lets go, with the options set before still written.
TEST(sysop_screens_e2e, a_hold_held_too_long_costs_the_sysop_nothing) {
    temp_dir dir(false);
    std::optional<live_hold> node(std::in_place, dir.file("hold.dat").c_str());
    caller cfg = utility(dir);
    cfg.type("g" + times(down, 2) + "\r" + clear_to_end + "40\r", "per day   : 40");  // creature fights
    cfg.type("q", "uit and Save");
    cfg.term->send("Q");
    ASSERT_TRUE(cfg.term->wait_for("Try again?", 60000));  // 41 checks, half a second apart
    ansi_screen s = screen(cfg);
    EXPECT_EQ(s.scrolls(), 0);
    EXPECT_NE(s.text().find("held file activity (\"hold.dat\") too long"), std::string::npos) << s.text();
    cfg.type("n", "Quit without them?");
    cfg.type("n", "uit and Save");
    node.reset();
    std::remove(dir.file("hold.dat").c_str());
    quit(cfg);
    std::vector<stat_record> stats;
    ASSERT_TRUE(parse_records(read_file(dir.file("quorstat.dat")), stats));
    EXPECT_EQ(stats.at(0).creature_fights, 40);
    EXPECT_FALSE(file_present(dir.file("hold.dat")));
}
