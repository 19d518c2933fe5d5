// The start-up data upgrade: equipment files, the 1.05 and 1.07 patches on character files
// built byte by byte, the item registry's one-time conversion, the stock items, and the
// readers of "exmods.dat" and "races.dat".
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/maint_state.hpp"
#include "engine/rules/equipment.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/races.hpp"
#include "engine/rules/stock_items.hpp"
#include "engine/rules/upgrade.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/exmods.hpp"
#include "engine/text/flags.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"

namespace {
const int strengths[14] = {5, 10, 20, 40, 60, 80, 100, 150, 200, 300, 400, 500, 700, 900};

// An equipment file of n tiers: strength as above, price 100 per tier number.
std::string equipment_image(int n = 14, const std::string& name = "Tier") {
    std::string img;
    for (int i = 0; i < n; ++i)
        img += golden(27).str(0, name + std::to_string(i + 1)).i16(21, strengths[i % 14]).i32(23, 100 * (i + 1)).b;
    return img;
}

void write_equipment() {
    write_file("weapons.dat", equipment_image());
    write_file("armors.dat", equipment_image());
    write_file("shields.dat", equipment_image());
}

const std::string items_loaded = "@#FLAGS\nITEMS_LOADED_TO_VER 1.10 2\n@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n";

// A 70-byte inventory item at its documented offsets.
std::string item_bytes(const std::string& name, int power, int cost, int position) {
    return golden(70)
        .str(0, name)
        .i16(21, power)
        .i16(23, power)
        .i32(25, cost)
        .i16(31, position)
        .i16(33, 1)
        .u8(39, 1)
        .u8(40, 1)
        .b;
}

struct upgrade : maint_state {
    upgrade() { cur_inventory.clear(); }
    ~upgrade() override { cur_inventory.clear(); }
};

const std::string stock_file =
    "; a small stock file\n"
    "@#ITEMS\n"
    "NAME 1 \"Wand\"\n"
    "SCRID 1 \"WAND-01012026-QZ-N\"\n"
    "STAT1 1 5 6 1000 3 10\n"
    "STAT2 1 2 1 1\n"
    "SCUSE 1 0 1 0 0 0 0 0 0 0 0 0\n"
    "\n"
    "; no SCUSE: the events are the sections below\n"
    "NAME 2 \"`2Stone\"\n"
    "SCRID 2 \"STON-01012026-QZ-N\"\n"
    "STAT1 2 0 0 10 0 9\n"
    "STAT2 2 1 0 0\n"
    "NAME 3 \"Broken\"\n"
    "SCRID 3 \"BRKN-01012026-QZ-N\"\n"
    "STAT1 3 0 0 10 0 9\n"
    "NAME 4 \"Twice\"\n"
    "NAME 4 \"Twice again\"\n"
    "SCRID 4 \"TWCE-01012026-QZ-N\"\n"
    "STAT1 4 0 0 10 0 9\n"
    "STAT2 4 1 0 1\n"
    "NAME 5 \"Short\"\n"
    "SCRID 5 \"SHRT-01012026-QZ-N\"\n"
    "STAT1 5 0 0 10 0\n"
    "STAT2 5 1 0 1\n"
    "@#ITEM1_USE\n"
    "  WRITELN \"zap\"\n"
    "@#ITEM2_IDENTIFY\n"
    "  WRITELN \"a stone\"\n"
    "@#ITEM2_FLAGS\n"
    "DATE 20260101 2\n"
    "@#\n";

void write_stock(const std::string& text = stock_file) {
    ::mkdir("items", 0777);
    write_file("items/stockitm.scr", text);
}

// The registry's records: name, ScriptID, number and the item image at their offsets.
struct registry_view {
    std::string b;
    explicit registry_view(std::string bytes) : b(std::move(bytes)) {}
    std::size_t count() const { return b.size() / 116; }
    std::string rec(std::size_t i) const { return b.substr(i * 116, 116); }
};
}  // namespace

// ---- Equipment files ----

TEST_F(upgrade, the_equipment_reader_takes_fourteen_tiers_and_ignores_the_rest) {
    write_file("weapons.dat", equipment_image(15) + "torn");
    equipment_table t;
    read_weapon_file(t, "weapons.dat");
    EXPECT_EQ(t[0].name, "Tier1");
    EXPECT_EQ(t[0].strength, 5);
    EXPECT_EQ(t[0].price, 100);
    EXPECT_EQ(t[13].name, "Tier14");
    EXPECT_EQ(t[13].strength, 900);
    EXPECT_EQ(t[13].price, 1400);
    EXPECT_EQ(encode_record(t[2]), equipment_image(3).substr(54));
}

TEST_F(upgrade, a_missing_or_short_equipment_file_ends_the_game_with_code_4) {
    child_result missing = run_in_child([] {
        install_exit_handler();
        equipment_table t;
        read_weapon_file(t, "armors.dat");
    });
    EXPECT_EQ(missing.code, 4);
    EXPECT_NE(missing.out.find("  Error : File armors.dat missing.\r\n"), std::string::npos);

    write_file("shields.dat", equipment_image(13));
    child_result short_file = run_in_child([] {
        install_exit_handler();
        debug_mode = true;
        equipment_table t;
        read_weapon_file(t, "shields.dat");
    });
    EXPECT_EQ(short_file.code, 4);
    EXPECT_NE(short_file.out.find("\"shields.dat\" CORRUPTED, please inform SysOp.\r\n"), std::string::npos);
    EXPECT_NE(read_file("debug.txt").find("Critical error : shields.dat file corrupted.\n"), std::string::npos);

    // Busy: the wait, then the file's own code.
    ::mkdir("weapons.dat", 0777);
    child_result busy = run_in_child([] {
        install_exit_handler();
        equipment_table t;
        read_weapon_file(t, "weapons.dat");
    });
    EXPECT_EQ(busy.code, 9);
}

TEST_F(upgrade, converting_the_slots_makes_equipped_items_priced_by_tier) {
    write_equipment();
    equipment_table t;
    read_weapon_file(t, "weapons.dat");
    EXPECT_EQ(equipment_tier(t, 25), 3);
    EXPECT_EQ(equipment_tier(t, 20), 3);
    EXPECT_EQ(equipment_tier(t, 19), 2);
    EXPECT_EQ(equipment_tier(t, 900), 14);
    EXPECT_EQ(equipment_tier(t, 3), 1);  // below the first tier
    character_record& me = play_as("Hero");
    me.weapon_power = 25;
    me.weapon_name = "Long Sword";
    me.armour_power = 1000;
    me.armour_name = "Plate";
    me.shield_power = 3;
    me.shield_name = "Buckler";
    convert_weapon_slot();
    convert_armor_slot();
    convert_shield_slot();
    write_inventory(1, cur_inventory);
    EXPECT_EQ(read_file("invt0001.dat"), item_bytes("Buckler", 3, 100, 8) + item_bytes("Plate", 1000, 1400, 3) +
                                             item_bytes("Long Sword", 25, 300, 7));

    // A slot of power 0, or a position already equipped, makes nothing.
    cur_inventory.clear();
    me.weapon_power = 0;
    convert_weapon_slot();
    EXPECT_TRUE(cur_inventory.empty());
    me.shield_power = 10;
    item_record worn;
    worn.position = pos_shield;
    worn.equipped = 1;
    cur_inventory.push_front(worn);
    convert_shield_slot();
    EXPECT_EQ(cur_inventory.size(), 1u);
}

// ---- The patches ----

TEST_F(upgrade, data_of_version_104_passes_through_both_patches) {
    write_equipment();
    write_file("mainflag.dat", items_loaded);
    write_file("quorstat.dat", stat_bytes().version(104).b);
    write_file("players.dat", players_image(player_bytes(1, "ANNA").class_bits(16 + 1024).weapon(25, "Long Sword"),
                                            player_bytes(2, "BORIS").class_bits(32 + 2048),
                                            player_bytes(3, "CARL").class_bits(48).shield(3, "Buckler"),
                                            player_bytes(4, "DORA").class_bits(1)));
    write_file("invt0002.dat", std::string(70, 'x'));
    debug_mode = true;
    read_stat_file(game_stats);
    input_feed keys("\r\r");
    update_item_data();
    EXPECT_EQ(out.take(),
              "  PATCHING UP TO VERSION : 1.05\r\n"
              "  PATCHING UP TO VERSION 1.05: SUCCESSFUL\r\n"
              "  NUMBER OF CHANGES MADE : 5\r\n"
              "  REFER TO DEBUG.TXT FOR DETAILS.\r\n"
              "      [ Hit any key ]\r\n"
              "  PATCHING UP TO VERSION : 1.07\r\n"
              "  PATCHING UP TO VERSION 1.07: SUCCESSFUL\r\n"
              "  NUMBER OF CHANGES MADE : 4\r\n"
              "  REFER TO DEBUG.TXT FOR DETAILS.\r\n"
              "      [ Hit any key ]\r\n");
    EXPECT_EQ(i16_at(player_record(1), 64), 32 + 2048);
    EXPECT_EQ(i16_at(player_record(2), 64), 16 + 1024);
    EXPECT_EQ(i16_at(player_record(3), 64), 32);
    EXPECT_EQ(i16_at(player_record(4), 64), 1);
    for (int n : {1, 2, 3, 4}) {
        std::string c = player_record(n);
        EXPECT_EQ(i16_at(c, 90), 0) << n;
        EXPECT_EQ(c.at(92), 0);
        EXPECT_EQ(i16_at(c, 113), 0);
        EXPECT_EQ(c.at(115), 0);
        EXPECT_EQ(i16_at(c, 136), 0);
        EXPECT_EQ(c.at(138), 0);
    }
    EXPECT_EQ(read_file("invt0001.dat"), item_bytes("Long Sword", 25, 300, 7));
    EXPECT_EQ(read_file("invt0002.dat"), "");
    EXPECT_EQ(read_file("invt0003.dat"), item_bytes("Buckler", 3, 100, 8));
    EXPECT_EQ(read_file("invt0004.dat"), "");
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 557), 107);
    EXPECT_EQ(game_stats.data_version, 107);
    EXPECT_TRUE(char_list.empty());
    EXPECT_FALSE(chars_loaded);
    EXPECT_EQ(cur_char, nullptr);
    EXPECT_FALSE(file_present("hold.dat"));

    const std::string log = read_file("debug.txt");
    for (const char* line :
         {"+------------------------------------------------------\n", "|Patching to Version 1.05\n",
          "|  Changing ANNA                : -16 and +32\n", "|  Changing ANNA                : -1024 and +2048\n",
          "|  ANNA               Class now : 2080\n", "|  Changing BORIS               : -32 and +16\n",
          "|  Changing BORIS               : -2048 and +1024\n", "|  Changing CARL                : -32 and +16\n",
          "|  DORA               Class now : 1\n", "|Patching to Version 1.07\n",
          "|  Writing Inventory :ANNA                \n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(upgrade, current_data_is_left_alone_without_a_word_or_a_key_wait) {
    write_file("mainflag.dat", items_loaded);
    write_file("quorstat.dat", stat_bytes().version(107).b);
    const std::string players = players_image(player_bytes(1, "ANNA").class_bits(16).weapon(25, "Long Sword"));
    write_file("players.dat", players);
    read_stat_file(game_stats);
    update_item_data();
    EXPECT_EQ(out.take(), "");
    EXPECT_EQ(read_file("players.dat"), players);
    EXPECT_EQ(read_file("mainflag.dat"), items_loaded);
    EXPECT_FALSE(file_present("invt0001.dat"));

    // Version 1.05 data gets the 1.07 patch only.
    write_equipment();
    write_file("quorstat.dat", stat_bytes().version(105).b);
    read_stat_file(game_stats);
    input_feed keys("\r");
    update_item_data();
    EXPECT_EQ(i16_at(player_record(1), 64), 16);
    EXPECT_EQ(read_file("invt0001.dat"), item_bytes("Long Sword", 25, 300, 7));
}

TEST_F(upgrade, two_nodes_starting_at_once_patch_the_data_once) {
    write_equipment();
    write_file("mainflag.dat", items_loaded);
    write_file("quorstat.dat", stat_bytes().version(104).b);
    write_file("players.dat",
               players_image(player_bytes(1, "ANNA").class_bits(16 + 1024), player_bytes(2, "BORIS").class_bits(32)));
    std::vector<pid_t> nodes;
    for (int node = 0; node < 2; ++node)
        nodes.push_back(start_child([] {
            struct scaled : system_seam {
                void sleep_ms(int ms) override { ::usleep(static_cast<useconds_t>(ms) * 100); }
            };
            static scaled seam;
            set_sys(&seam);
            install_exit_handler();
            read_stat_file(game_stats);
            input_feed keys("\r\r\r\r");
            update_item_data();
        }));
    for (pid_t p : nodes) EXPECT_EQ(wait_child(p).code, 0);
    EXPECT_EQ(i16_at(player_record(1), 64), 32 + 2048);
    EXPECT_EQ(i16_at(player_record(2), 64), 16);
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 557), 107);
}

// ---- Items and the registry ----

TEST_F(upgrade, the_item_step_loads_the_stock_items_once_and_sets_its_flag) {
    write_stock();
    write_file("quorstat.dat", stat_bytes().b);
    read_stat_file(game_stats);
    debug_mode = true;
    input_feed keys("\r");
    update_item_data();
    EXPECT_EQ(out.take(),
              "  UPDATING ITEMS TO VERSION : 1.10\r\n"
              "  UPDATING ITEMS TO VERSION : 1.10 SUCCESSFUL\r\n"
              "  NUMBER OF ITEMS ADDED OR CHANGED  : 2\r\n"
              "  REFER TO DEBUG.TXT FOR DETAILS.\r\n"
              "      [ Hit any key ]");
    EXPECT_EQ(return_flag("ITEMS_LOADED_TO_VER", "mainflag.dat", "FLAGS"), "1.10");
    EXPECT_NE(read_file("mainflag.dat").find("ITEMS_LOADED_TO_VER 1.10 2\n"), std::string::npos);
    registry_view reg(read_file("items.dat"));
    ASSERT_EQ(reg.count(), 2u);
    const std::string log = read_file("debug.txt");
    EXPECT_NE(log.find("|Updating Items to Version 1.10\n"), std::string::npos);
    EXPECT_NE(log.find("|  Added   : Wand                 WAND-01012026-QZ-N as items/1.scr\n"), std::string::npos);
    EXPECT_NE(log.find("|  Stock item 3 left out"), std::string::npos);

    // With the flag there, a second start loads nothing and waits for no key.
    write_file("items.dat", "");
    update_item_data();
    EXPECT_EQ(out.take(), "");
    EXPECT_EQ(read_file("items.dat"), "");
}

TEST_F(upgrade, only_a_registry_of_the_older_form_is_deleted) {
    // Today's record at its offsets: name, ScriptID, number, then the item's own image.
    auto current = [](int n) {
        std::string name = "Item" + std::to_string(n), id = "ID" + std::to_string(n);
        return golden(116).str(0, name).str(21, id).i32(42, n).str(46, name).str(91, id).b;
    };
    // The older record: name, ScriptID, number.
    auto older = [](int n) {
        return golden(46).str(0, "Old" + std::to_string(n)).str(21, "OID" + std::to_string(n)).i32(42, n).b;
    };
    auto image = [](auto make, int count) {
        std::string b;
        for (int i = 1; i <= count; ++i) b += make(i);
        return b;
    };
    struct registry_case {
        std::string bytes;
        bool deleted;
    };
    for (const registry_case& c : {registry_case{image(older, 100), true},    // 4,600 bytes
                                   registry_case{image(current, 40), false},  // 4,640 bytes
                                   registry_case{image(older, 58), true},     // 2,668 = 23 x 116 too
                                   registry_case{image(current, 23), false},  // 2,668 of today's records
                                   registry_case{"", false}}) {
        EXPECT_EQ(registry_is_older_form(c.bytes), c.deleted) << c.bytes.size();
        write_stock();
        write_file("mainflag.dat", "@#FLAGS\n@#\n");
        write_file("items.dat", c.bytes);
        write_file("quorstat.dat", stat_bytes().b);
        read_stat_file(game_stats);
        input_feed keys("\r");
        update_item_data();
        std::string shown = out.take();
        EXPECT_EQ(shown.find("  Deleting Incompatible Item Registry.\r\n") != std::string::npos, c.deleted)
            << c.bytes.size();
        std::string after = read_file("items.dat");
        if (c.deleted) {
            EXPECT_EQ(after.size(), 2u * 116);
        } else {
            EXPECT_EQ(after.substr(0, c.bytes.size()), c.bytes);
            EXPECT_EQ(after.size(), c.bytes.size() + 2 * 116);
        }
    }
}

TEST_F(upgrade, stock_items_are_read_field_by_field_and_their_scripts_written) {
    write_stock();
    EXPECT_EQ(load_stock_items(), 2);
    registry_view reg(read_file("items.dat"));
    ASSERT_EQ(reg.count(), 2u);
    std::string wand = reg.rec(0), stone = reg.rec(1);
    EXPECT_EQ(str_at(wand, 0), "Wand");
    EXPECT_EQ(str_at(wand, 21), "WAND-01012026-QZ-N");
    EXPECT_EQ(i32_at(wand, 42), 1);
    const std::size_t item = 46;
    EXPECT_EQ(str_at(wand, item + 0), "Wand");
    EXPECT_EQ(i16_at(wand, item + 21), 5);     // power
    EXPECT_EQ(i16_at(wand, item + 23), 6);     // max power
    EXPECT_EQ(i32_at(wand, item + 25), 1000);  // cost
    EXPECT_EQ(i16_at(wand, item + 29), 3);     // charges
    EXPECT_EQ(i16_at(wand, item + 31), 10);    // position
    EXPECT_EQ(i16_at(wand, item + 33), 2);     // level
    EXPECT_EQ(i32_at(wand, item + 35), 1);     // flags
    EXPECT_EQ(wand.at(item + 39), 1);          // identified
    EXPECT_EQ(wand.at(item + 40), 0);          // not equipped
    EXPECT_EQ(i32_at(wand, item + 41), 2);     // SCUSE: USE
    EXPECT_EQ(str_at(wand, item + 45), "WAND-01012026-QZ-N");
    EXPECT_EQ(str_at(stone, 0), "`2Stone");
    EXPECT_EQ(i32_at(stone, 42), 2);
    EXPECT_EQ(stone.at(item + 39), 0);
    EXPECT_EQ(i32_at(stone, item + 41), 128 + 1024);  // IDENTIFY and FLAGS, from the sections
    EXPECT_EQ(read_file("items/1.scr"), "@#USE\n  WRITELN \"zap\"\n  Return\n@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n");
    EXPECT_EQ(read_file("items/2.scr"),
              "@#IDENTIFY\n  WRITELN \"a stone\"\n  Return\n@#FLAGS\nDATE 20260101 2\n  Return\n"
              "@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n");

    // Loaded again: nothing added or changed, the numbers kept, the scripts left as they are.
    write_file("items/1.scr", "sysop's own\n");
    write_file("items/2.scr", "@#FLAGS\nDATE 20260101 2\n@#\n");
    EXPECT_EQ(load_stock_items(), 0);
    EXPECT_EQ(read_file("items.dat"), reg.b);
    EXPECT_EQ(read_file("items/1.scr"), "sysop's own\n");
    EXPECT_EQ(read_file("items/2.scr"), "@#FLAGS\nDATE 20260101 2\n@#\n");

    // A changed definition is updated in place; a later DATE writes the script again.
    std::string changed = stock_file;
    changed.replace(changed.find("1000"), 4, "1500");
    changed.replace(changed.find("DATE 20260101"), 13, "DATE 20260102");
    write_stock(changed);
    EXPECT_EQ(load_stock_items(), 1);
    registry_view again(read_file("items.dat"));
    ASSERT_EQ(again.count(), 2u);
    EXPECT_EQ(i32_at(again.rec(0), 42), 1);
    EXPECT_EQ(i32_at(again.rec(0), item + 25), 1500);
    EXPECT_EQ(again.rec(1), stone);
    EXPECT_EQ(read_file("items/1.scr"), "sysop's own\n");
    EXPECT_NE(read_file("items/2.scr").find("DATE 20260102 2\n  Return\n"), std::string::npos);
}

TEST_F(upgrade, the_games_own_stock_file_loads_its_items) {
    const char* data = std::getenv("QV_DATA_DIR");
    ASSERT_NE(data, nullptr);
    write_stock(read_file(std::string(data) + "/items/stockitm.scr"));
    EXPECT_EQ(load_stock_items(), 69);  // nine of the game's own, sixty of the shops'
    registry_view reg(read_file("items.dat"));
    ASSERT_EQ(reg.count(), 69u);
    EXPECT_EQ(str_at(reg.rec(0), 0), "Bow of the Damned");
    EXPECT_EQ(i32_at(reg.rec(0), 46 + 41), 133);
    EXPECT_EQ(str_at(reg.rec(6), 0), "Stick");
    EXPECT_EQ(i32_at(reg.rec(6), 46 + 41), 0);
    // The built-in items are the same items.
    EXPECT_EQ(item_by_scriptid("`2Potion of Healing", "PotH-03091997-QZ-N")->script_events,
              potion_of_healing().script_events);
    EXPECT_NE(read_file("items/1.scr").find("@#WEAR\n"), std::string::npos);
}

TEST_F(upgrade, a_missing_stock_file_ends_the_game_with_code_12) {
    child_result r = run_in_child([] {
        install_exit_handler();
        load_stock_items();
    });
    EXPECT_EQ(r.code, 12);
    EXPECT_NE(r.out.find("  Error : File items/stockitm.scr missing.\r\n"), std::string::npos);
}

// ---- External modules and races ----

TEST_F(upgrade, external_modules_are_read_block_by_block_in_file_order) {
    std::list<exmod_entry> mods;
    read_exmods_file(mods);
    EXPECT_TRUE(mods.empty());
    EXPECT_FALSE(file_present("exmods.dat"));

    write_file("exmods.dat",
               "/usr/games/dragons %N\r\nDragon Hunt\r\n  Hunt dragons.\r\n  Win gold.\r\n~\r\n"
               "\r\n"
               "tavern.sc\nThe Tavern Game\n@#\n"
               "last\n");
    read_exmods_file(mods);
    ASSERT_EQ(mods.size(), 3u);
    auto it = mods.begin();
    EXPECT_EQ(it->command, "/usr/games/dragons %N");
    EXPECT_EQ(it->name, "Dragon Hunt");
    EXPECT_EQ(lines_of(it->description), (std::vector<std::string>{"  Hunt dragons.", "  Win gold."}));
    ++it;
    EXPECT_EQ(it->command, "tavern.sc");
    EXPECT_EQ(it->name, "The Tavern Game");
    EXPECT_TRUE(it->description.empty());
    ++it;
    EXPECT_EQ(it->command, "last");
    EXPECT_EQ(it->name, "");

    write_file("exmods.dat", std::string(120, 'c') + "\n" + std::string(90, 'n') + "\n~\n");
    read_exmods_file(mods);
    ASSERT_EQ(mods.size(), 1u);
    EXPECT_EQ(mods.front().command.size(), 86u);
    EXPECT_EQ(mods.front().name.size(), 86u);
}

TEST_F(upgrade, races_are_read_section_by_section_and_a_nameless_one_is_skipped) {
    write_file("races.dat",
               "; races\n@#1\nRACENAME HUMAN 2\nRACESIZE 2 2\n@#7\nRACESIZE 3 2\n@#x\nRACENAME "
               "A_VERY_LONG_RACE_NAME_INDEED 2\n"
               "@#40000\nRACENAME GIANT 2\nRACESIZE 5 2\n@#\n");
    debug_mode = false;
    std::list<race_node> races;
    read_race_file(races);
    ASSERT_EQ(races.size(), 3u);
    auto it = races.begin();
    EXPECT_EQ(it->number, 1);
    EXPECT_EQ(it->name, "HUMAN");
    EXPECT_EQ(it->size, 2);
    ++it;
    EXPECT_EQ(it->number, 0);
    EXPECT_EQ(it->name, "A_VERY_LONG_RACE_NAM");
    EXPECT_EQ(it->size, -1);
    ++it;
    EXPECT_EQ(it->number, 32767);
    EXPECT_EQ(it->size, 5);
    const std::string log = read_file("debug.txt");
    EXPECT_NE(log.find("Error in Race file, missing race name.\n"), std::string::npos);
    EXPECT_NE(log.find("Section @#7\n"), std::string::npos);
    EXPECT_EQ(race_name(1), "HUMAN");
    EXPECT_EQ(race_name(7), "-1");
    add_race(races, "Dwarf", 1, 9);
    EXPECT_EQ(races.back().name, "Dwarf");

    unlink("races.dat");
    EXPECT_EQ(race_name(1), "-1");
    EXPECT_FALSE(file_present("races.dat"));
    child_result r = run_in_child([] {
        install_exit_handler();
        std::list<race_node> l;
        read_race_file(l);
    });
    EXPECT_EQ(r.code, 12);
    EXPECT_NE(r.out.find("  races.dat is MISSING.  Please inform SysOp.\r\n"), std::string::npos);
    EXPECT_NE(read_file("debug.txt").find("Missing the race file : races.dat\n"), std::string::npos);
}
