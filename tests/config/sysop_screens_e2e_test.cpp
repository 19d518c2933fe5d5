// The utility as a sysop meets it on a 24-row console: values shown as they are, screens that
// never scroll, one answer to "Write Changes?" in every editor, a node that holds the hold.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <regex>

#include "config/console_pty.hpp"
#include "engine/creatures.hpp"
#include "engine/record_file.hpp"
#include "engine/records.hpp"
#include "engine/shop_file.hpp"
#include "support/live_hold.hpp"
#include "support/pty.hpp"
#include "support/screen.hpp"
#include "support/temp_dir.hpp"

namespace {
constexpr int wait_ms = console_wait_ms;
const std::string down = "\x1b[B", up = "\x1b[A", left = "\x1b[D", right = "\x1b[C", home = "\x1b[H",
                  end_key = "\x1b[F", clear_to_end = "\x1b[1;5C";

std::string times(const std::string& key, int n) {
    std::string keys;
    for (int i = 0; i < n; ++i) keys += key;
    return keys;
}

// quorcfg on a 24-row console in the directory, at its main menu.
struct console {
    pty_process p;
    explicit console(const temp_dir& dir) : p(qv_binary("quorcfg"), console_in(dir)) {
        EXPECT_TRUE(shows("[ Hit any key ]", wait_ms));
        type("x", "uit and Save");
    }
    std::size_t read_up_to = 0;
    // The text read so far as the sysop reads it: the colour and cursor sequences left out.
    std::string text() const {
        static const std::regex ansi("\x1b\\[[0-9;?]*[A-Za-z]");
        return std::regex_replace(p.output(), ansi, "");
    }
    bool shows(const std::string& wanted, int ms) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            std::string t = text();
            if (std::size_t at = t.find(wanted, read_up_to); at != std::string::npos) {
                read_up_to = at + wanted.size();
                return true;
            }
            if (std::chrono::steady_clock::now() > until || !p.running()) return false;
            p.read_for(50);
        }
    }
    void type(const std::string& keys, const std::string& wanted, int ms = wait_ms) {
        p.send(keys);
        ASSERT_TRUE(shows(wanted, ms)) << "waiting for \"" << wanted << "\":\n" << text().substr(read_up_to);
    }
    // The console as the sysop sees it now, on 24 rows.
    ansi_screen screen() {
        p.read_for(200);
        ansi_screen s(24);
        s.feed(p.output());
        return s;
    }
    void quit() {
        p.send("Q");
        EXPECT_EQ(p.wait_exit(wait_ms), 0);
    }
};

std::string module_file(const std::string& command, const std::string& name, int desc_lines) {
    std::string text = command + "\n" + name + "\n";
    for (int i = 1; i <= desc_lines; ++i) text += (i == 1 ? "`cLine " : "Line ") + std::to_string(i) + "\n";
    return text + "~\n";
}

// The module browser on the modules of an "exmods.dat".
struct browser {
    temp_dir dir{false};
    std::optional<console> cfg;
    explicit browser(const std::string& modules) {
        write_file(dir.file("exmods.dat"), modules);
        cfg.emplace(dir);
        cfg->type("i", "Return to Previous Menu");
    }
};
}  // namespace

TEST(sysop_screens_e2e, a_module_with_codes_in_its_fields_is_edited_where_the_cursor_stands) {
    browser b(module_file("plain.sh `* go", "Mod `5Name", 1));
    console& cfg = *b.cfg;
    ansi_screen s = cfg.screen();
    EXPECT_EQ(s.row(5), "->Module Name         : Mod `5Name");
    EXPECT_EQ(s.row(6), "  Command Line        : plain.sh `* go");
    EXPECT_EQ(s.row(13), "`cLine 1");

    // The sysop puts the cursor on the N of the name and types G.
    cfg.type("\r" + end_key + times(left, 4), "\"");
    s = cfg.screen();
    EXPECT_EQ(s.row(5), "->Module Name         :\"Mod `5Name\"");
    EXPECT_EQ(s.at(s.cursor_x(), s.cursor_y()), 'N');
    cfg.type("G\r", "Return to Previous Menu");
    // And on the g of the command line, after its placeholder, and types G.
    cfg.type(down + "\r" + home + times(right, 12), "\"");
    s = cfg.screen();
    EXPECT_EQ(s.at(s.cursor_x(), s.cursor_y()), 'g');
    cfg.type("G\r", "Return to Previous Menu");
    cfg.type("q", "Write Changes?");
    cfg.type("\r", "Changes saved");
    cfg.type("x", "uit and Save");
    cfg.quit();
    EXPECT_EQ(read_file(b.dir.file("exmods.dat")), module_file("plain.sh `* Go", "Mod `5Game", 1));
}

TEST(sysop_screens_e2e, a_long_description_leaves_the_frame_and_the_menu_on_screen) {
    browser b(module_file("long.sh", "Long One", 16));
    console& cfg = *b.cfg;
    ansi_screen s = cfg.screen();
    EXPECT_EQ(s.scrolls(), 0);
    EXPECT_NE(s.row(1).find("ExMod Maintenance for The Quorvath v1.10"), std::string::npos) << s.row(1);
    EXPECT_EQ(s.row(5), "->Module Name         : Long One");
    EXPECT_EQ(s.row(10), "  Return to Previous Menu");
    EXPECT_EQ(s.row(13), "`cLine 1");
    EXPECT_EQ(s.row(21), "Line 9");
    EXPECT_EQ(s.row(22), "  ... 7 more lines: Enter on Description shows them all.");
    cfg.type(up, "->");
    EXPECT_EQ(cfg.screen().row(10), "->Return to Previous Menu");
    cfg.type("\r", "Write Changes?");
    cfg.type("n", "Changes not saved");
    s = cfg.screen();
    EXPECT_EQ(s.scrolls(), 0);
    EXPECT_EQ(s.row(21), "Line 9");
    EXPECT_EQ(s.row(23).rfind("  Write Changes? (Y/N) [Y] :", 0), 0u) << s.row(23);
    EXPECT_EQ(s.row(24), "  Changes not saved      [ Hit any key ]");
    cfg.type("x", "uit and Save");
    cfg.quit();
}

// Each editor, one change, then the answer: N and Escape keep the files, any other key
// writes; what was done stands on the screen until a key.
TEST(sysop_screens_e2e, write_changes_answers_in_every_editor) {
    struct answer {
        const char* name;
        const char* key;
        bool writes;
    };
    for (answer a : {answer{"N", "N", false}, answer{"Escape", "\x1b", false}, answer{"space", " ", true},
                     answer{"Enter", "\r", true}}) {
        SCOPED_TRACE(a.name);
        temp_dir dir(false);
        std::vector<character_record> players(2);
        for (int i = 0; i < 2; ++i) {
            players[i].number = static_cast<std::int16_t>(i + 1);
            players[i].name = i == 0 ? "ANNA" : "BERT";
            players[i].class_bits = class_mage;
            players[i].level = 1;
        }
        write_file(dir.file("players.dat"), records_image<character_record>(players));
        registry_record blade;
        blade.name = blade.item.name = "Ice Blade";
        blade.script_id = blade.item.script_id = "ICEBLADE";
        blade.number = 1;
        write_file(dir.file("items.dat"), records_image<registry_record>(std::vector<registry_record>{blade}));
        shop_entry stock;
        stock.name = "Ice Blade";
        stock.script_id = "ICEBLADE";
        stock.count = 5;
        write_file(dir.file("weapon.shp"), records_image<shop_entry>(std::vector<shop_entry>{stock}));
        const std::string modules = module_file("door.sh", "The Door", 2);
        write_file(dir.file("exmods.dat"), modules);
        console cfg(dir);
        const std::string forest = read_file(dir.file("forest.dat"));
        const std::string said = a.writes ? "Changes saved" : "Changes not saved";
        // The answer's line, on the row below the question, until a key.
        auto answer_and_check = [&](int question_row) {
            cfg.type(a.key, said);
            ansi_screen s = cfg.screen();
            EXPECT_EQ(s.row(question_row).rfind("  Write Changes? (Y/N) [Y] :", 0), 0u) << s.row(question_row);
            EXPECT_EQ(s.row(question_row + 1), "  " + said + "      [ Hit any key ]");
            EXPECT_EQ(s.scrolls(), 0);
        };

        cfg.type("c\r", "Return to Previous Menu");  // the forest
        cfg.type(times(up, 4) + "\r", "# of Creatures : 14");  // Add a New Creature
        cfg.type("q", "Write Changes?");
        answer_and_check(23);
        cfg.type("xq", "uit and Save");

        cfg.type("p" + right, "(2 of 2)");
        cfg.type("\r" + clear_to_end + "anna\r", "(you must choose another)");  // a name in use
        EXPECT_EQ(cfg.screen().row(24), "somebody else (you must choose another).  [ Hit any key ]");
        cfg.type("x" + times(down, 3) + "\r", "TRUE");  // Dead
        cfg.type("q", "Write Changes?");
        answer_and_check(23);
        cfg.type("x", "uit and Save");

        cfg.type("s\r", "Quantity          : 5");
        cfg.type("\r" + clear_to_end + "abc\r", "That is not a whole number.");
        cfg.type("x\r" + clear_to_end + "9\r", "Quantity          : 9");
        cfg.type("q", "Write Changes?");
        answer_and_check(20);
        cfg.type("xq", "uit and Save");

        cfg.type("i" + times(down, 4) + "\r", "Are you sure?");  // Remove this ExMod
        cfg.type("y", "ExMod Removed");
        cfg.type("x", "Total ExMods : 0");
        cfg.type("q", "Write Changes?");
        answer_and_check(23);
        cfg.type("x", "uit and Save");
        EXPECT_EQ(cfg.screen().scrolls(), 0);
        cfg.quit();

        creature_list creatures;
        ASSERT_EQ(parse_creature_image(read_file(dir.file("forest.dat")), creatures, true, 0), creature_form::current);
        EXPECT_EQ(creatures.size(), a.writes ? 14u : 13u);
        std::vector<character_record> now;
        ASSERT_TRUE(parse_records(read_file(dir.file("players.dat")), now));
        for (const character_record& c : now) EXPECT_EQ(c.dead, a.writes && c.number == 2 ? 1 : 0) << c.number;
        EXPECT_EQ(parse_shop_image(read_file(dir.file("weapon.shp"))).at(0).count, a.writes ? 9 : 5);
        EXPECT_EQ(read_file(dir.file("exmods.dat")), a.writes ? "" : modules);
        if (!a.writes) {
            EXPECT_EQ(read_file(dir.file("forest.dat")), forest);
        }
    }
}

TEST(sysop_screens_e2e, bbs_setup_locks_the_speed_and_keeps_dorinfo1) {
    temp_dir dir(false);
    write_file(dir.file("quorvath.dat"), "; the sysop's note\nBBSTYPE DORINFO1\n");
    console cfg(dir);
    cfg.type("b", "Return to Main Menu");
    EXPECT_EQ(cfg.screen().row(9), "  BBS Software           : DORINFO1.DEF");
    cfg.type(times(up, 7) + "\r", "Which BBS software");
    ansi_screen s = cfg.screen();
    EXPECT_NE(s.text().find("(H) DORINFO1.DEF"), std::string::npos) << s.text();
    EXPECT_EQ(s.scrolls(), 0);
    cfg.type("h", "Return to Main Menu");
    cfg.type(times(down, 4) + "\r", "Which rate");  // Locked Baud Rate
    s = cfg.screen();
    EXPECT_EQ(s.scrolls(), 0);
    EXPECT_NE(s.row(1).find("BBS Setup for The Quorvath"), std::string::npos) << s.row(1);
    EXPECT_EQ(s.row(17).rfind("Which rate (1-8) :", 0), 0u) << s.row(17);
    EXPECT_EQ(s.row(18), "1) 2400                       5) 38400");
    EXPECT_EQ(s.row(21), "4) 19200                      8) Port not Locked.");
    cfg.type("5", "38400");
    EXPECT_EQ(cfg.screen().row(13), "->Locked Baud Rate       : 38400");
    cfg.type("q", "uit and Save");
    cfg.quit();
    std::string control = read_file(dir.file("quorvath.dat"));
    EXPECT_EQ(control.rfind("; the sysop's note\nBBSTYPE DORINFO1\n", 0), 0u) << control;
    EXPECT_NE(control.find("\nLOCKBAUD 38400\n"), std::string::npos) << control;
}

// A node that keeps the hold past the wait: the sysop is told, leaves the write, goes back to
// the menu, and quits once the node lets go, with the options set before still written.
TEST(sysop_screens_e2e, a_hold_held_too_long_costs_the_sysop_nothing) {
    temp_dir dir(false);
    std::optional<live_hold> node(std::in_place, dir.file("hold.dat").c_str());
    console cfg(dir);
    cfg.type("g", "Return to Main Menu");
    cfg.type(times(down, 2) + "\r" + clear_to_end + "40\r", ": 40");  // creature fights
    cfg.type("q", "uit and Save");
    cfg.type("Q", "Try again?", 60000);  // 41 checks, half a second apart
    ansi_screen s = cfg.screen();
    EXPECT_EQ(s.scrolls(), 0);
    EXPECT_NE(s.text().find("held file activity (\"hold.dat\") too long"), std::string::npos) << s.text();
    cfg.type("n", "Quit without them?");
    cfg.type("n", "uit and Save");
    node.reset();
    std::remove(dir.file("hold.dat").c_str());
    cfg.quit();
    std::vector<stat_record> stats;
    ASSERT_TRUE(parse_records(read_file(dir.file("quorstat.dat")), stats));
    EXPECT_EQ(stats.at(0).creature_fights, 40);
    EXPECT_FALSE(file_present(dir.file("hold.dat")));
    EXPECT_TRUE(file_present(dir.file("quorvath.dat")));
}
