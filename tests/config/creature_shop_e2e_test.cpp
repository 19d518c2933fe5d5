// The creature and shop editors on a terminal, their files read back as the game reads them.
#include <gtest/gtest.h>

#include "config/console_pty.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/shop_file.hpp"
#include "support/pty.hpp"
#include "support/screen.hpp"
#include "support/temp_dir.hpp"

namespace {
constexpr int wait_ms = console_wait_ms;
constexpr const char* down = "\x1b[B";
constexpr const char* up = "\x1b[A";
constexpr const char* clear_to_end = "\x1b[1;5C";  // Ctrl+Right on the first place

std::string screen_row(pty_process& p, int row) {
    p.read_for(200);
    ansi_screen screen;
    screen.feed(p.output());
    return screen.row(row);
}
}  // namespace

TEST(editors_e2e, a_new_cave_creature_and_a_weapon_in_stock) {
    temp_dir dir(false);
    registry_record blade;
    blade.name = "Ice Blade";
    blade.script_id = "ICEBLADE";
    blade.number = 1;
    blade.item.name = "Ice Blade";
    blade.item.script_id = "ICEBLADE";
    blade.item.cost = 1500;
    std::vector<registry_record> registry{blade};
    write_file(dir.file("items.dat"), records_image<registry_record>(registry));

    pty_process cfg(qv_binary("quorcfg"), console_in(dir));
    ASSERT_TRUE(cfg.wait_for("[ Hit any key ]", wait_ms));
    cfg.send("xc");
    ASSERT_TRUE(cfg.wait_for("Return to Previous Menu", wait_ms));
    cfg.send(std::string(down) + down + down + "\r");  // Caves, which is missing
    ASSERT_TRUE(cfg.wait_for("creatures in this file.", wait_ms));
    cfg.send("x");
    ASSERT_TRUE(cfg.wait_for("Return to Previous Menu", wait_ms));
    cfg.send("\r21\r");  // level 21 is refused, and the sysop is told why
    ASSERT_TRUE(cfg.wait_for("The value must lie between 1 and 20.", wait_ms));
    cfg.send("x");
    ASSERT_TRUE(cfg.wait_for("Return to Previous Menu", wait_ms));
    cfg.send(std::string(down) + down + "\r" + clear_to_end + "40,000\r");
    ASSERT_TRUE(cfg.wait_for("Return to Previous Menu", wait_ms));
    EXPECT_EQ(screen_row(cfg, 5), "  Level             : 1");
    EXPECT_EQ(screen_row(cfg, 7), "->Hit Points        : 32,000");
    EXPECT_EQ(screen_row(cfg, 6), "  Name              : New Creature");
    cfg.send("q");
    ASSERT_TRUE(cfg.wait_for("Write Changes?", wait_ms));
    cfg.send("Y");
    ASSERT_TRUE(cfg.wait_for("Changes saved", wait_ms));
    cfg.send("x");
    ASSERT_TRUE(cfg.wait_for("Return to Previous Menu", wait_ms));
    cfg.send(std::string(down) + down + "\rplayers\r");  // Other: a game file is refused
    ASSERT_TRUE(cfg.wait_for("one of the game's own files", wait_ms));
    cfg.send("xq");
    ASSERT_TRUE(cfg.wait_for("uit and Save", wait_ms));

    cfg.send("s\r");  // the weapon shop
    ASSERT_TRUE(cfg.wait_for("Return to Previous Menu", wait_ms));
    EXPECT_EQ(screen_row(cfg, 6), "  Name              : N/A");
    cfg.send(std::string(down) + "\rICEBLADE\r");
    ASSERT_TRUE(cfg.wait_for("Item Found", wait_ms));
    cfg.send("x");
    ASSERT_TRUE(cfg.wait_for("Return to Previous Menu", wait_ms));
    cfg.send(std::string(up) + "\r" + clear_to_end + "-1\rq");
    ASSERT_TRUE(cfg.wait_for("Write Changes?", wait_ms));
    cfg.send("\r");
    ASSERT_TRUE(cfg.wait_for("Changes saved", wait_ms));
    cfg.send("xqq");
    EXPECT_EQ(cfg.wait_exit(wait_ms), 0);

    std::string caves = read_file(dir.file("caves.dat"));
    ASSERT_EQ(caves.size(), 198u);
    creature_list creatures;
    ASSERT_EQ(parse_creature_image(caves, creatures, true, 0), creature_form::current);
    EXPECT_EQ(creatures.front().name, "New Creature");
    EXPECT_EQ(creatures.front().level, 1);
    EXPECT_EQ(creatures.front().hit_points, 32000);
    EXPECT_FALSE(file_present(dir.file("players.dat")));

    shop_list stock = read_shop_file(dir.file("weapon.shp"), registry_keep(registry));
    ASSERT_EQ(stock.size(), 1u);
    EXPECT_EQ(stock.front().name, "Ice Blade");
    EXPECT_EQ(stock.front().script_id, "ICEBLADE");
    EXPECT_EQ(stock.front().cost, 1500);
    EXPECT_EQ(stock.front().count, -1);
}
