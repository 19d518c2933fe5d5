// The sysop's editors on a terminal: a setting and a player's gold, both in the files at quit.
#include <gtest/gtest.h>

#include "config/console_pty.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/records.hpp"
#include "support/pty.hpp"
#include "support/screen.hpp"
#include "support/temp_dir.hpp"

namespace {
constexpr int wait_ms = console_wait_ms;
}  // namespace

TEST(quorcfg_editors_e2e, creature_fights_and_a_players_gold) {
    temp_dir dir(false);
    std::vector<character_record> players(2);
    for (int i = 0; i < 2; ++i) {
        players[i].number = static_cast<std::int16_t>(i + 1);
        players[i].name = i == 0 ? "ANNA" : "BERT";
        players[i].gold = 1000;
        players[i].class_bits = class_mage;
        players[i].level = 1;
    }
    write_file(dir.file("players.dat"), records_image<character_record>(players));
    pty_process cfg(qv_binary("quorcfg"), console_in(dir));
    ASSERT_TRUE(cfg.wait_for("[ Hit any key ]", wait_ms));
    cfg.send("x");
    ASSERT_TRUE(cfg.wait_for("uit and Save", wait_ms));

    cfg.send("g");
    ASSERT_TRUE(cfg.wait_for("Return to Main Menu", wait_ms));
    cfg.send("\x1b[B\x1b[B\r\x1b[1;5C25\r");  // the third row, emptied, 25
    ASSERT_TRUE(cfg.wait_for("Return to Main Menu", wait_ms));
    cfg.send("\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B\r\x1b[1;5C0\r");  // the death divisor: 0
    ASSERT_TRUE(cfg.wait_for("[ Hit any key ]", wait_ms));
    cfg.read_for(200);
    ansi_screen screen;
    screen.feed(cfg.output());
    EXPECT_EQ(screen.row(7), "  # of creature fights per day   : 25");
    EXPECT_EQ(screen.row(24).rfind("The value must lie between 1 and 32,767.", 0), 0u) << screen.row(24);
    cfg.send("xq");
    ASSERT_TRUE(cfg.wait_for("uit and Save", wait_ms));

    cfg.send("p");
    ASSERT_TRUE(cfg.wait_for("(1 of 2)", wait_ms));
    cfg.send("\x1b[C");
    ASSERT_TRUE(cfg.wait_for("(2 of 2)", wait_ms));
    cfg.send("\x1b[A\r");  // the last line: Menu #2
    ASSERT_TRUE(cfg.wait_for("Go to Menu #1", wait_ms));
    cfg.send(std::string("\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B\x1b[B") + "\r\x1b[1;5C5000\r");
    ASSERT_TRUE(cfg.wait_for("5,000", wait_ms));
    cfg.send("q");
    ASSERT_TRUE(cfg.wait_for("Write Changes?", wait_ms));
    cfg.send("\r");
    ASSERT_TRUE(cfg.wait_for("Changes saved", wait_ms));
    cfg.send("x");
    ASSERT_TRUE(cfg.wait_for("uit and Save", wait_ms));
    cfg.send("Q");
    EXPECT_EQ(cfg.wait_exit(wait_ms), 0);

    std::vector<character_record> now;
    ASSERT_TRUE(parse_records(read_file(dir.file("players.dat")), now));
    ASSERT_EQ(now.size(), 2u);
    for (const character_record& c : now) EXPECT_EQ(c.gold, c.number == 2 ? 5000 : 1000);
    std::vector<stat_record> stats;
    ASSERT_TRUE(parse_records(read_file(dir.file("quorstat.dat")), stats));
    EXPECT_EQ(stats.at(0).creature_fights, 25);
    EXPECT_FALSE(file_present(dir.file("hold.dat")));
}
