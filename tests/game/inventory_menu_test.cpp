// The caller's inventory menu and the item listings.
#include <gtest/gtest.h>

#include "door/door.hpp"
#include "engine/item_state.hpp"
#include "engine/runner_state.hpp"
#include "engine/script/items_init.hpp"
#include "engine/store/item_registry.hpp"
#include "game/inventory_menu.hpp"
#include "support/input_feed.hpp"

namespace {
// The game installs the menu for an item past the limit (game_init).
struct items : items_fixture {
    items() { set_do_inv_hook(do_inv); }
};
using strings = items::strings;

// The scripts' INVENTORY reaches the menu as the game installs it.
struct commands : runner_state {
    commands() { cur_inventory.clear(); }
    ~commands() {
        cur_inventory.clear();
        set_do_inv_hook(nullptr);
    }
};
}  // namespace

TEST_F(items, the_item_tables) {
    character_record& me = player(3);
    item_record helmet = item("Helmet of Stealth", pos_head, 36);
    helmet.required_level = 4;
    item_record sword = item("`2Green Sword", pos_weapon, 12);
    sword.max_power = 40;
    sword.equipped = 1;
    sword.identified = 1;
    item_record rag = item("Rag", pos_treasure);
    item_record gem = item("Gem", pos_other);
    gem.identified = 1;
    for (const auto& i : {gem, rag, sword, helmet}) add_to_inv_NW(cur_inventory, i);
    list_inv(cur_inventory);
    EXPECT_EQ(out.take(),
              "   #   Item Name              Value  Location  Eqpd\r\n"
              "  -=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n"
              "   1  Helmet of Stealth       36/36  Head         \r\n"
              "   2  Green Sword             12/40  Weapon      *\r\n"
              "   3  Rag                 " +
                  std::string(9, ' ') +
                  "  Treasure     \r\n"
                  "   4  Gem                 " +
                  std::string(9, ' ') + "  Other        \r\n");
    list_unequipped_inv(cur_inventory);
    EXPECT_EQ(out.take(),
              "   #   Item Name              Value  Location  Eqpd\r\n"
              "  -=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n"
              "   1  Helmet of Stealth       36  Head         \r\n"
              "   2  Rag                      0  Treasure     \r\n"
              "   3  Gem                      0  Other        \r\n");
    // The colours, as an ANSI caller gets them: below the level red, equipped white, not
    // identified brown, else light cyan.
    graphics_mode = 3;
    me.level = 4;
    list_inv(cur_inventory);
    std::string ansi = out.take();
    EXPECT_NE(ansi.find("\x1b[0;33m   1  Helmet"), std::string::npos) << ansi;
    EXPECT_NE(ansi.find("\x1b[1;37m   2  Green Sword"), std::string::npos) << ansi;
    EXPECT_NE(ansi.find("\x1b[0;33m   3  Rag"), std::string::npos) << ansi;
    EXPECT_NE(ansi.find("\x1b[1;36m   4  Gem"), std::string::npos) << ansi;
    me.level = 3;
    list_inv(cur_inventory);
    EXPECT_NE(out.take().find("\x1b[0;31m   1  Helmet"), std::string::npos);

    graphics_mode = 1;
    disp_inv();
    EXPECT_EQ(out.take(), "  You are Carrying:\r\n    Helmet of Stealth\r\n    Green Sword\r\n    Rag\r\n    Gem\r\n");
    cur_inventory.clear();
    disp_inv();
    EXPECT_EQ(out.take(), "  You are Carrying:\r\n   Nothing!\r\n");
}

TEST_F(items, the_menu_drops_removes_and_equips) {
    menu_text();
    character_record& me = player(5);
    give(scripted("Old Boot", event_drop));
    item_record* axe = give(item("Axe", pos_weapon, 5));
    axe->equipped = 1;
    give(item("Club", pos_weapon, 3));
    out.take();
    // Cur: Club Axe(eq) Old Boot. Drop the worn axe, then the boot; equip the club over the axe.
    input_feed keys("D2\rD3\rnD3\ryE1\rR2\rR2\rE1\rE1\rL");
    do_inv();
    std::string screen = out.take();
    EXPECT_NE(screen.find("  You must remove the item first.\r\n"), std::string::npos);
    EXPECT_NE(
        screen.find("  You are about to drop the Old Boot\r\n  Are you sure? (Y/N) [N] : No\r\n  Nothing Dropped\r\n"),
        std::string::npos);
    EXPECT_NE(screen.find("  Are you sure? (Y/N) [N] : Yes\r\n  You drop the Old Boot\r\n"), std::string::npos);
    EXPECT_NE(screen.find("  You are wearing something at that position already\r\n"), std::string::npos);
    EXPECT_NE(screen.find("  You remove the Axe\r\n"), std::string::npos);
    EXPECT_NE(screen.find("  You cannot remove an item that you are not wearing\r\n"), std::string::npos);
    EXPECT_NE(screen.find("  You equip the Club\r\n"), std::string::npos);
    EXPECT_NE(screen.find("  You are already wearing that item.\r\n"), std::string::npos);
    EXPECT_EQ(runs(), (strings{"items/1.scr DROP"}));
    EXPECT_EQ(list_names(), (strings{"Club", "Axe"}));
    EXPECT_EQ(file_items(), (strings{"Club", "Axe"}));
    EXPECT_EQ(me.attack, 8);  // 10, less the axe's 5, with the club's 3
    EXPECT_EQ(me.location.view()[0], 'i');
    // The screen as drawn at entry.
    EXPECT_EQ(screen.substr(0, 184),
              "                          Inventory Menu\r\n"
              "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n"
              "   #   Item Name              Value  Location  Eqpd\r\n"
              "  -=-=-=-=");
    EXPECT_NE(screen.find("\r\n  (menu text)\r\n\r\n   Inventory Commands :   (R,I,E,U,D,L,V,?)\r\n\r\n"
                          "  Command? [?] : D\r\n  Drop which Item #? : 2\r\n"),
              std::string::npos);
}

TEST_F(items, a_thirteenth_item_holds_the_player_in_the_menu_until_one_is_dropped) {
    menu_text();
    player();
    for (int k = 0; k < 12; ++k) give(item("Stone " + std::to_string(k)));
    input_feed keys(" L\rD1\rYL");
    add_to_inv(cur_inventory, item("Pebble"));
    std::string screen = out.take();
    EXPECT_EQ(screen.substr(0, 112),
              "  You are now carrying too many items, you may not continue until you\r\n  drop one or more\r\n"
              "      [ Hit any key ]");
    EXPECT_NE(screen.find("  Command? [?] : L\r\n  You must discard something to continue.\r\n"), std::string::npos);
    EXPECT_NE(screen.find("  Command? [?] : ?\r\n                          Inventory Menu"), std::string::npos);
    EXPECT_EQ(cur_inventory.size(), 12u);
    EXPECT_EQ(cur_inventory.front().name.view(), "Stone 11");  // the pebble went
}

TEST_F(items, identify_in_the_menu_runs_the_identify_section) {
    menu_text();
    character_record& me = player();
    me.gold = 1000;
    give(item("Stick"));
    give(ring_of_combat());
    input_feed keys("I2\rI1\ryI1\rL");
    do_inv();
    std::string screen = out.take();
    EXPECT_NE(screen.find("  There is nothing special about that item\r\n"), std::string::npos);
    EXPECT_NE(screen.find("  Item Identified\r\n"), std::string::npos);
    EXPECT_EQ(runs(), (strings{"items/1.scr IDENTIFY", "items/1.scr IDENTIFY"}));
    EXPECT_EQ(me.gold, 500);
}

TEST_F(items, menu_polls_go_through_the_hook) {
    menu_text();
    player();
    static int checks = 0;
    checks = 0;
    set_menu_poll_hook([](std::int32_t& polls, bool random_events) {
        EXPECT_TRUE(random_events);
        if (polls < 3) return false;
        polls = 0;
        ++checks;
        return checks == 1;  // the first check showed something
    });
    input_feed keys;
    std::thread typist([&keys] {
        // The key comes only after several polls.
        usleep(200 * 1000);
        keys.send("L");
    });
    do_inv();
    typist.join();
    EXPECT_GE(checks, 2);
    std::string screen = out.take();
    // The prompt came again after the check that showed something.
    std::size_t first = screen.find("  Command? [?] : ");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(screen.find("  Command? [?] : ", first + 1), std::string::npos);
}

TEST_F(commands, item_and_inventory_reach_the_registry_and_the_inventory_menu_of_the_game) {
    play_as("Hero");
    write_inventory(1, cur_inventory);
    engine_items_init();
    set_do_inv_hook(do_inv);
    write_file("quortext.dat", lines({"@#item_menu", "LQ", "  (L)eave"}));
    std::string body = script({"ITEM 1", "INVENTORY"}) +
                       lines({"@#ITEMS", "NAME 1 \"Lantern\"", "SCRID 1 \"LANT-01\"", "STAT1 1 0 0 50 3 10",
                              "STAT2 1 1 0 1", "@#ITEM1_USE", "  WRITELN \"It glows.\""});
    std::string screen = run(body, "l");
    EXPECT_NE(screen.find("  You now have the Lantern\r\n"), std::string::npos);
    EXPECT_NE(screen.find("Inventory Menu"), std::string::npos);
    std::vector<registry_record> registry;
    ASSERT_EQ(read_registry(registry), file_status::ok);
    ASSERT_EQ(registry.size(), 1u);
    EXPECT_EQ(registry[0].number, 1);
    EXPECT_EQ(registry[0].script_id, "LANT-01");
    EXPECT_EQ(read_file("items/1.scr"),
              lines({"@#USE", "  WRITELN \"It glows.\"", "  Return", "@#MAIN", "  Gosub ^VR01", "  Halt", "@#"}));
    ASSERT_EQ(cur_inventory.size(), 1u);
    EXPECT_EQ(cur_inventory.front().name, "Lantern");
    EXPECT_EQ(read_file("invt0001.dat"), encode_record(cur_inventory.front()));
}
