// The shops: buying counts the stock down and charges the registry's price, selling pays a
// share of the cost that charm raises, and the default stock files are what mkshops builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "engine/golden.hpp"
#include "game/shops.hpp"
#include "game_state.hpp"
#include "support/child.hpp"
#include "support/pty.hpp"

namespace {
const std::string dagger_id = "WS01-12092026-QZ-N";

std::string entry_image(const std::string& name, const std::string& id, std::int64_t cost, int count) {
    golden g(52);
    g.str(0, name).str(21, id).i32(42, cost).i16(46, count);
    return g.b;
}

struct shops : game_state {
    shops() {
        write_file("quortext.dat",
                   "@#alfonses\nEBSYVFRL\n  (weapons)\n@#bartrichs\nEBSYVFRL\n  (shields)\n"
                   "@#item_menu\nLREUIDV\n  (item menu)\n@#\n");
        write_file("items.dat", registry_image("Dagger", dagger_id, 1, dagger().b) +
                                    registry_image("Sword", "SW00-12092026-QZ-Y", 2, dagger().b));
    }
    static golden dagger() { return item_image("Dagger", 5, 5, 300, 0, pos_weapon, 1, 0, 1, 0, 0, dagger_id); }
    character_record& shopper(std::int32_t gold, std::int16_t charm = 1) {
        character_record& c = caller();
        c.gold = gold;
        c.charm = charm;
        sub_location = 1;  // in town
        return c;
    }
    // The shop's visit with these keys, as the caller reads it.
    std::string visit(void (*shop)(), const std::string& keys) {
        input_feed feed(keys);
        shop();
        return out.take();
    }
};

const std::string prompt = "\r\n   Alfonse's Weapon Emporeum:  (E,B,S,Y,V,F,R,L,?)\r\n\r\n  Command? [L] : ";
const std::string listing =
    "                             Weapon Listing:\r\n"
    "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n"
    "            #         Name                         Cost\r\n";
}  // namespace

TEST_F(shops, a_purchase_reads_as_the_caller_sees_it) {
    shopper(500);
    write_file("weapon.shp", entry_image("Dagger", dagger_id, 300, 1));
    EXPECT_EQ(visit(weapon_shop, "b1\r\rl"),
              "  (weapons)\r\n" + prompt + "B\r\n" + listing +
                  "            01       Dagger                          300\r\n"
                  "\r\n  You have 500 gold on hand.\r\n  \"So, which one ya want?\"\r\n\r\n  Choice : 1\r\n"
                  "\r\n  \"Alright, a Dagger is always a fine choice.\"\r\n"
                  "  Buy this weapon, are you sure? (Y/N) [Y] :Yes!\r\n"
                  "  Alfonse takes your 300 and gives you your new Dagger\r\n" +
                  prompt + "L\r\n");
    EXPECT_EQ(cur_char->gold, 200);
    EXPECT_EQ(file_items(), strings{"Dagger"});
    EXPECT_EQ(file_chars()[0].gold, 200);
    EXPECT_EQ(cur_char->location, "sThe Weapon Emporeum");
}

TEST_F(shops, buying) {
    struct row {
        const char* what;
        int count, listed_cost, gold;
        std::string keys;
        std::string says;
        int gold_after, bought;
        int count_after;  // 99: the file is untouched
    } rows[] = {
        {"the last one, then none", 1, 300, 500, "b1\r\rb1\rl", "\"That aint a choice ya nit-wit\"", 200, 1, 0},
        {"one of five", 5, 300, 500, "b1\r\rl", "gives you your new Dagger", 200, 1, 4},
        {"never runs out", -1, 300, 700, "b1\r\rb1\ryl", "Alfonse takes your 300", 100, 2, 99},
        {"the registry's price", -1, 1, 500, "b1\r\rl", "Alfonse takes your 300", 200, 1, 99},
        {"0", -1, 300, 500, "b0\rl", "\"That aint a choice ya nit-wit\"", 500, 0, 99},
        {"count + 1", -1, 300, 500, "b2\rl", "\"That aint a choice ya nit-wit\"", 500, 0, 99},
        {"declined", 1, 300, 500, "b1\rnl",
         "[Y] :No.\r\n  \"Well, I'm sure you'll find just the right weapon in time.\"", 500, 0, 99},
        {"too dear", 1, 300, 299, "b1\rl", "\r\n\r\n  \"You can't afford a weapon that good!\"", 299, 0, 99},
    };
    for (const row& r : rows) {
        shopper(r.gold);
        cur_inventory.clear();
        std::string stock = entry_image("Dagger", dagger_id, r.listed_cost, r.count);
        write_file("weapon.shp", stock);
        std::string seen = visit(weapon_shop, r.keys);
        EXPECT_NE(seen.find(r.says), std::string::npos) << r.what << ":\n" << seen;
        EXPECT_EQ(cur_char->gold, r.gold_after) << r.what;
        EXPECT_EQ(cur_inventory.size(), std::size_t(r.bought)) << r.what;
        EXPECT_EQ(read_file("weapon.shp"),
                  r.count_after == 99 ? stock : entry_image("Dagger", dagger_id, r.listed_cost, r.count_after))
            << r.what;
        del_char_list();
    }
}

TEST_F(shops, twelve_items_are_too_many_and_a_sale_elsewhere_leaves_nothing_to_charge) {
    shopper(500);
    write_file("weapon.shp", entry_image("Dagger", dagger_id, 300, 1));
    for (int i = 0; i < 12; ++i) cur_inventory.push_back(item("Rock"));
    EXPECT_NE(visit(weapon_shop, "bl").find("B\r\n\r\n  \"You can't carry that much buddy.\"\r\n"), std::string::npos);
    cur_inventory.clear();
    // Another node sells the last one while the caller looks at the list.
    check_frequency = 1;
    fakes().acts["events"] = [] { write_file("weapon.shp", entry_image("Dagger", dagger_id, 300, 0)); };
    fakes().type_on = "events";
    fakes().keys_typed = "b1\r\rl";
    input_feed feed;
    fakes().keys = &feed;
    weapon_shop();
    EXPECT_NE(out.take().find("[Y] :Yes!\r\n  \"Ya, I just sold it.  Pick something else\"\r\n"), std::string::npos);
    EXPECT_EQ(cur_char->gold, 500);
    EXPECT_TRUE(cur_inventory.empty());
}

TEST_F(shops, a_purse_lowered_on_file_buys_nothing) {
    shopper(500);
    std::string stock = entry_image("Dagger", dagger_id, 300, 1);
    write_file("weapon.shp", stock);
    // The sysop's editor lowers the purse on file while the caller looks at the list.
    check_frequency = 1;
    fakes().acts["events"] = [] { edit_on_file([](character_record& c) { c.gold = 100; }); };
    fakes().type_on = "events";
    fakes().keys_typed = "b1\r\rl";
    input_feed feed;
    fakes().keys = &feed;
    weapon_shop();
    EXPECT_NE(out.take().find("[Y] :Yes!\r\n  \"You can't afford a weapon that good!\"\r\n"), std::string::npos);
    EXPECT_EQ(file_chars()[0].gold, 100);
    EXPECT_TRUE(cur_inventory.empty());
    EXPECT_EQ(read_file("weapon.shp"), stock);
    EXPECT_FALSE(file_present("step0001.dat"));
}

TEST_F(shops, selling) {
    struct row {
        void (*shop)();
        int charm;
        std::string keys, offer_line, after;
        int gold_after, items_after;
    } rows[] = {
        {weapon_shop, 40, "s1\ryl", "  \"I will offer you 225 gold for your Dagger.\"",
         "Y\r\n\r\n  \"Great, thanks for the Dagger\"\r\n\r\n  Alfonse takes your Dagger and gives you 225 gold.\r\n",
         1225, 0},
        {shield_shop, 0, "s1\ryl", "  \"I'll give ya 105 gold for your Dagger\"",
         "Y\r\n\r\n  \"Another effin' Dagger  These people..\"\r\n\r\n  Bartrich takes your Dagger and gives you 105 "
         "gold.\r\n",
         1105, 0},
        {weapon_shop, -40, "s1\ryl", "  \"I will offer you -15 gold for your Dagger.\"",
         "Y\r\n\r\n  \"Great, thanks for the Dagger\"\r\n\r\n  Alfonse takes your Dagger and gives you -15 gold.\r\n",
         985, 0},
        {weapon_shop, 40, "s1\r\rl", "  \"I will offer you 225 gold for your Dagger.\"",
         "N\r\n\r\n  \"Suit yourself friend.\"\r\n", 1000, 1},
        {weapon_shop, 40, "s2\rl", "\r\n  You don't have that item.\r\n", "", 1000, 1},
    };
    for (const row& r : rows) {
        shopper(1000, static_cast<std::int16_t>(r.charm));
        cur_inventory.clear();
        item_record sword = item("Sword", pos_weapon, 4);
        sword.equipped = 1;
        cur_inventory.push_back(sword);
        cur_inventory.push_back(item_record());
        decode_record(dagger().b, cur_inventory.back());
        std::string seen = visit(r.shop, r.keys);
        EXPECT_NE(
            seen.find(r.offer_line + (r.after.empty() ? "" : "\r\n\r\n  Accept his offer? (Y/N) [N] : " + r.after)),
            std::string::npos)
            << seen;
        EXPECT_EQ(cur_char->gold, r.gold_after) << r.charm;
        EXPECT_EQ(cur_inventory.size(), std::size_t(1 + r.items_after)) << r.charm;
        del_char_list();
    }
    EXPECT_EQ(sale_offer(-40, 1000), -50);  // gold in hand never goes below 0 for it
    EXPECT_EQ(sale_offer(100, 2'000'000'000), 1'500'000'000);
}

TEST_F(shops, the_game_keeps_what_it_can_sell_and_the_editor_what_the_registry_holds) {
    write_file("shield.shp", entry_image("Dagger", dagger_id, 300, -1) + entry_image("Dagger", dagger_id, 300, 0) +
                                 entry_image("Old Sword", "SW00-12092026-QZ-Y", 9, 2) + entry_image("Gone", "X", 1, 1));
    auto names = [](const shop_list& l) {
        strings n;
        for (const shop_entry& e : l) n.push_back(e.name.str() + " " + std::to_string(e.count));
        return n;
    };
    EXPECT_EQ(names(read_shop_file("shield.shp", shop_entry_for_sale)), strings{"Dagger -1"});
    std::vector<registry_record> registry;
    read_registry(registry);
    EXPECT_EQ(names(read_shop_file("shield.shp", registry_keep(registry))),
              (strings{"Dagger -1", "Dagger 0", "Old Sword 2"}));
}

TEST_F(shops, the_default_stock_files_are_what_mkshops_builds) {
    std::string data = std::getenv("QV_DATA_DIR");
    std::string cmd = qv_binary("mkshops") + " " + data + "/items/stockitm.scr " + dir.path() + " >/dev/null";
    ASSERT_EQ(run_shell(cmd).code, 0);
    for (const char* f : {"weapon.shp", "armor.shp", "shield.shp"}) {
        EXPECT_EQ(read_file(f), read_file(data + "/" + f)) << f << ": run mkshops";
        // A newcomer's 500 gold buys the cheapest of every shop.
        shop_list stock = read_shop_file(f, [](const shop_entry&) { return true; });
        EXPECT_LE(std::min_element(stock.begin(), stock.end(), [](auto& a, auto& b) { return a.cost < b.cost; })->cost,
                  500);
    }
}
