// Inventories: files, list operations, equipping, using, charges, identifying, dropping,
// deaths and the charge adjusters (the listings and the menu: tests/game/inventory_menu_test.cpp).
#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

#include "door/door.hpp"
#include "engine/item_state.hpp"
#include "engine/store/record_file.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"

namespace {
using items = items_fixture;
}  // namespace

TEST_F(items, inventory_files_read_in_reverse_and_write_from_the_head) {
    std::string image = item_image("A", 1, 1, 10, 0, 7, 1, 0, 1, 1, 0, "").b +
                        item_image("B", 0, 0, 0, 0, 10, 1, 0, 0, 0, 0, "").b +
                        item_image("C", 0, 0, 0, 3, 10, 1, 0, 0, 0, 2, "C-1").b;
    write_file("invt0007.dat", image);
    inventory_list l;
    read_inventory(7, l);
    EXPECT_EQ(list_names(l), (strings{"C", "B", "A"}));
    EXPECT_EQ(l.back().equipped, 1);
    write_inventory(7, l);
    EXPECT_EQ(file_items(7), (strings{"C", "B", "A"}));
    // A missing file is an empty inventory.
    read_inventory(8, l);
    EXPECT_TRUE(l.empty());
    // The macros read other players' inventories through the installed hook.
    hook_read_inventory(7, l);
    EXPECT_EQ(l.size(), 3u);
}

TEST_F(items, a_torn_inventory_file_ends_the_game_with_code_3) {
    write_file("invt0001.dat", std::string(71, '\0'));
    child_result r = run_in_child([] {
        inventory_list l;
        read_inventory(1, l);
    });
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "Inventory CORRUPTED Please inform SysOp\r\n");
}

TEST_F(items, list_look_ups_by_number_and_position) {
    inventory_list l;
    item_record w1 = item("Sword", pos_weapon), w2 = item("Axe", pos_weapon), ring = item("Ring", pos_ring);
    w1.equipped = w2.equipped = 1;
    add_to_inv_NW(l, w1);
    add_to_inv_NW(l, ring);
    add_to_inv_NW(l, w2);  // l: Axe Ring Sword
    EXPECT_EQ(inv_item_num_ptr(l, 1)->name.view(), "Axe");
    EXPECT_EQ(inv_item_num_ptr(l, 3)->name.view(), "Sword");
    for (int bad : {0, -1, 4}) EXPECT_EQ(inv_item_num_ptr(l, bad), nullptr) << bad;
    EXPECT_EQ(inv_unequipped_num_ptr(l, 1)->name.view(), "Ring");
    EXPECT_EQ(inv_unequipped_num_ptr(l, 2), nullptr);
    EXPECT_EQ(weapon_equipped_ptr(l)->name.view(), "Axe");                     // the first
    EXPECT_EQ(list_equipped_at_pos_ptr(l, pos_weapon)->name.view(), "Sword");  // the last
    EXPECT_EQ(armor_equipped_ptr(l), nullptr);
    EXPECT_EQ(list_equipped_at_pos_ptr(l, pos_ring), nullptr);
    cur_inventory = l;
    EXPECT_EQ(item_num_from_ptr(&*std::next(cur_inventory.begin())), 2);
    EXPECT_EQ(item_num_from_ptr(&l.front()), -1);
    for (int k = 3; k < 12; ++k) add_to_inv_NW(l, ring);
    EXPECT_FALSE(can_get_new_item(l));
    l.pop_front();
    EXPECT_TRUE(can_get_new_item(l));
}

TEST_F(items, equipping_and_removing_change_attack_defense_and_shield) {
    character_record& me = player(6);
    item_record* bow = give(bow_of_the_damned());
    equip_item(bow);
    EXPECT_EQ(out.take(), "  You need more experience to use this item.\r\n");
    EXPECT_EQ(bow->equipped, 0);
    EXPECT_EQ(me.attack, 10);
    me.level = 7;
    equip_item(bow);
    EXPECT_EQ(bow->equipped, 1);
    EXPECT_EQ(me.attack, 122);
    EXPECT_EQ(runs(), (strings{"items/1.scr WEAR"}));
    EXPECT_EQ(out.take(), "");
    unequip_item(bow);
    EXPECT_EQ(me.attack, 10);
    EXPECT_EQ(runs().back(), "items/1.scr REMOVE");

    item_record* mail = give(item("Chain Mail", pos_armor, 30));
    item_record* shield = give(item("Tower Shield", pos_shield, 100));
    equip_item(mail);
    equip_item(shield);
    EXPECT_EQ(out.take(), "  You equip the Chain Mail\r\n  You equip the Tower Shield\r\n");
    EXPECT_EQ(me.defense, 36);
    EXPECT_EQ(me.shield_value, 87);  // held to its range
    unequip_item(shield);
    EXPECT_EQ(me.shield_value, 1);
    unequip_item(mail);
    EXPECT_EQ(me.defense, 6);
    EXPECT_EQ(out.take(), "  You remove the Tower Shield\r\n  You remove the Chain Mail\r\n");
    // Every change went to the file.
    inventory_list saved;
    read_inventory(1, saved);
    for (const auto& i : saved) EXPECT_EQ(i.equipped, 0) << i.name.view();
    EXPECT_EQ(saved.size(), 3u);
}

TEST_F(items, a_potion_runs_use_and_lastuse_and_is_gone) {
    player();
    item_record* potion = give(potion_of_healing());
    give(item("Rock"));
    write_own_inventory();
    use_item(&*std::next(cur_inventory.begin()));
    EXPECT_EQ(runs(), (strings{"items/1.scr USE", "items/1.scr LASTUSE"}));
    EXPECT_EQ(list_names(), (strings{"Rock"}));
    EXPECT_EQ(file_items(), (strings{"Rock"}));
    (void)potion;

    // Out of charges, without the event, in combat, below the level.
    item_record* empty = give(scripted("Wand", event_use | event_usecombat, 0));
    use_item(empty);
    item_record* rock = inv_item_num_ptr(cur_inventory, 2);
    use_item(rock);
    combatuse_item(rock);
    empty->required_level = 5;
    use_item(empty);
    EXPECT_EQ(out.take(),
              "  The Wand seems to be out of power.\r\n  You cannot use the Rock\r\n"
              "  You cannot use the Rock in combat.\r\n  You need more experience to use this item.\r\n");
}

TEST_F(items, charges_run_out_and_only_flags_1_drops_the_item) {
    player();
    item_record* wand = give(scripted("Wand", event_usecombat, 2));
    item_record* staff = give(scripted("Staff", event_usecombat | event_lastuse, 1, 0));
    combatuse_item(wand);
    EXPECT_EQ(wand->charges, 1);
    combatuse_item(staff);
    EXPECT_EQ(staff->charges, 0);
    EXPECT_EQ(runs(), (strings{"items/1.scr USECOMBAT", "items/2.scr USECOMBAT", "items/2.scr LASTUSE"}));
    EXPECT_EQ(list_names(), (strings{"Staff", "Wand"}));  // flags 0: kept, empty
    EXPECT_EQ(file_items(), (strings{"Staff", "Wand"}));
}

TEST_F(items, a_script_that_drops_or_destroys_its_own_item_leaves_nothing_dangling) {
    player();
    give(item("Rock"));
    give(scripted("Bomb", event_use | event_lastuse, 1, 1));
    // The USE section drops the bomb itself (the INVENTORY command, or any other way).
    script_recorder::action() = [](std::string_view, std::string_view params) {
        if (params == "USE") drop_item_num(cur_inventory, 1, false);
    };
    use_item(&cur_inventory.front());
    EXPECT_EQ(list_names(), (strings{"Rock"}));
    EXPECT_EQ(runs(), (strings{"items/1.scr USE"}));  // no charge taken from a freed item
    // A script that empties the whole inventory while items wait their turn at a death.
    give(scripted("Pendant", event_ondeath, 1, 1))->equipped = 1;
    give(scripted("Charm", event_ondeath, 1, 0))->equipped = 1;
    script_recorder::action() = [](std::string_view, std::string_view) { del_inv(cur_inventory); };
    begin_ondeath_item();
    EXPECT_TRUE(cur_inventory.empty());
    EXPECT_EQ(runs().size(), 2u);
    EXPECT_TRUE(file_items().empty());
}

TEST_F(items, a_death_runs_ondeath_of_equipped_items_with_charges) {
    player();
    item_record* worn = give(pendant_of_life());
    worn->equipped = 1;
    give(pendant_of_life());  // carried, not worn
    item_record* spent = give(pendant_of_life());
    spent->equipped = 1;
    spent->charges = 0;
    begin_ondeath_item();
    EXPECT_EQ(runs(), (strings{"items/1.scr ONDEATH"}));
    ASSERT_EQ(cur_inventory.size(), 2u);
    EXPECT_EQ(cur_inventory.front().charges, 0);
    EXPECT_EQ(cur_inventory.back().equipped, 0);
    EXPECT_EQ(file_items().size(), 2u);
}

TEST_F(items, identifying_costs_500_gold_in_hand) {
    character_record& me = player();
    item_record* ring = give(ring_of_combat());
    me.gold = 499;
    {
        input_feed keys("y");
        identify_item(ring);
    }
    EXPECT_EQ(out.take(),
              "  It will cost 500 to identify this item\r\n  Are you sure? (Y/N) [N] : Yes\r\n\r\n"
              "  You cannot afford to identify this item.\r\n");
    me.gold = 650;
    {
        input_feed keys("\r");
        identify_item(ring);
    }
    EXPECT_EQ(out.take(),
              "  It will cost 500 to identify this item\r\n  Are you sure? (Y/N) [N] : No\r\n\r\n"
              "  Nothing Identified\r\n");
    EXPECT_EQ(ring->identified, 0);
    {
        input_feed keys("Y");
        identify_item(ring);
    }
    EXPECT_EQ(out.take(),
              "  It will cost 500 to identify this item\r\n  Are you sure? (Y/N) [N] : Yes\r\n\r\n"
              "  Item Identified\r\n");
    EXPECT_EQ(ring->identified, 1);
    EXPECT_EQ(me.gold, 150);
    inventory_list saved;
    read_inventory(1, saved);
    EXPECT_EQ(saved.front().identified, 1);
    EXPECT_EQ(file_chars().at(0).gold, 150);

    // The gold on file lowered below the price; this node still sees 650.
    item_record* axe = give(item("Axe"));
    write_inventory(1, cur_inventory);
    me.gold = 650;
    write_char_file(false);
    edit_on_file([](character_record& c) { c.gold = 499; });
    {
        input_feed keys("Y");
        identify_item(axe);
    }
    EXPECT_TRUE(out.take().ends_with("  You cannot afford to identify this item.\r\n"));
    EXPECT_EQ(axe->identified, 0);
    EXPECT_EQ(file_chars().at(0).gold, 499);
    read_inventory(1, saved);
    EXPECT_EQ(saved.back().name.view(), "Axe");
    EXPECT_EQ(saved.back().identified, 0);
}

TEST_F(items, the_use_prompt_answers_every_number) {
    player();
    give(scripted("Wand", event_use, 3));
    input_feed keys("0\r-1\r2\r1\r");
    for (int k = 0; k < 4; ++k) begin_use_item();
    EXPECT_EQ(out.take(),
              "  Use which Item #? : 0\r\n  Nothing Used\r\n"
              "  Use which Item #? : -1\r\n  You do not seem to have that item\r\n"
              "  Use which Item #? : 2\r\n  You do not seem to have that item\r\n"
              "  Use which Item #? : 1\r\n");
    EXPECT_EQ(cur_inventory.front().charges, 2);
}

TEST_F(items, weapon_charges_reach_the_file_of_the_character_given) {
    character_record& me = player();
    item_record* sword = give(item("Sword", pos_weapon, 30));
    sword->max_power = 50;
    sword->equipped = 1;
    write_own_inventory();
    add_weapon_charge(me, 40);
    EXPECT_EQ(sword->power, 50);  // held to the maximum, the same node in memory
    add_weapon_max_charge(me, 2000);
    EXPECT_EQ(sword->max_power, 1200);
    add_weapon_power(me, -1300);
    EXPECT_EQ(sword->max_power, -100);  // no lower bound
    EXPECT_EQ(sword->power, -1250);
    inventory_list saved;
    read_inventory(1, saved);
    EXPECT_EQ(saved.front().power, -1250);

    // Another player's weapon, in that player's file only.
    item_record theirs = item("Spear", pos_weapon, 10);
    theirs.max_power = 20;
    theirs.equipped = 1;
    write_file("invt0002.dat", encode_record(theirs));
    character_record other = make_char(2, "Other");
    add_weapon_charge(other, 5);
    inventory_list read_back;
    read_inventory(2, read_back);
    EXPECT_EQ(read_back.front().power, 15);
    EXPECT_EQ(sword->power, -1250);
    // Without an equipped weapon nothing changes.
    write_file("invt0003.dat", encode_record(item("Stick", pos_weapon, 1)));
    add_weapon_charge(make_char(3, "Third"), 5);
    EXPECT_EQ(read_file("invt0003.dat"), encode_record(item("Stick", pos_weapon, 1)));
    // The armour and shield adjusters act on cur_inventory whoever is named.
    item_record* shield = give(item("Buckler", pos_shield, 5));
    shield->equipped = 1;
    add_shield_max_charge(other, 100);
    EXPECT_EQ(shield->max_power, 60);
    add_shield_charge(other, 100);
    EXPECT_EQ(shield->power, 60);
    // Through the macro hooks.
    hook_add_max_charge(me, equip_slot::shield, -10);
    EXPECT_EQ(shield->max_power, 50);
    EXPECT_EQ(hook_equipped_item(cur_inventory, equip_slot::weapon), sword);
}
