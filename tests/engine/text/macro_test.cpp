// Text macros: every macro, number formats, what stays as it stands, assignments, opponents.
#include <gtest/gtest.h>

#include "engine/store/file_access.hpp"
#include "engine/store/record_file.hpp"
#include "engine/text_state.hpp"

namespace {
struct macros : text_state {
    std::string x(std::string text) {
        expand_macros(text);
        return text;
    }
};

item_record make_item(const std::string& name, std::int16_t position, std::int16_t power, bool equipped) {
    item_record i;
    i.name = name;
    i.position = position;
    i.power = power;
    i.max_power = static_cast<std::int16_t>(power + 100);
    i.equipped = equipped ? 1 : 0;
    return i;
}

// Stand-ins for the items part: the playing character's inventory in memory, inventory files
// read with the record file reader, the first equipped item of a slot, and charge adjusters
// that only record their calls.
inventory_list test_inventory;
inventory_list* test_current() { return &test_inventory; }
void test_read(std::int16_t number, inventory_list& items) {
    std::vector<item_record> recs;
    read_record_file(inventory_file_name(number), recs);
    for (const auto& r : recs) items.push_front(r);
}
item_record* test_equipped(inventory_list& items, equip_slot slot) {
    for (auto& i : items)
        if (i.equipped && i.position == static_cast<std::int16_t>(slot)) return &i;
    return nullptr;
}
struct charge_call {
    std::string who;
    equip_slot slot;
    std::int32_t amount;
    bool maximum;
};
std::vector<charge_call> charge_calls;
void test_charge(character_record& who, equip_slot slot, std::int32_t amount) {
    charge_calls.push_back({who.name.str(), slot, amount, false});
}
void test_max_charge(character_record& who, equip_slot slot, std::int32_t amount) {
    charge_calls.push_back({who.name.str(), slot, amount, true});
}

struct item_macros : macros {
    item_macros() {
        test_inventory = {make_item("Rusty Axe", 7, 99, false), make_item("`4Long Sword", 7, 12, true),
                          make_item("Chain Mail", 3, 8, true), make_item("Buckler", 8, 3, true)};
        charge_calls.clear();
        set_current_inventory_hook(test_current);
        set_read_inventory_hook(test_read);
        set_equipped_item_hook(test_equipped);
        set_charge_hook(test_charge);
        set_max_charge_hook(test_max_charge);
    }
};
}  // namespace

TEST_F(macros, character_words_for_each_sex) {
    const char* expected[] = {"", "Bob male son his he him sir", "Bob female daughter her she her ma'am",
                              "Bob unknown child its its it sir"};
    for (int sex : {1, 2, 3, 0, 9}) {
        del_char_list();
        play_as("bob", static_cast<std::int16_t>(sex));
        int row = (sex >= 1 && sex <= 3) ? sex : 3;
        EXPECT_EQ(x("^CA ^CB ^CC ^CD ^CE ^CF ^CG"), expected[row]) << sex;
        EXPECT_EQ(x("&ca &cb &cc &cd &ce &cf &cg"), expected[row]) << sex;
    }
}

TEST_F(macros, alias_words_follow_the_alias_not_the_character) {
    // "AB": h = (65*17+1) + (66*17+2) = 2230, 2230 mod 13 = 7, Fiodora, female.
    play_as("AB", 1);
    EXPECT_EQ(x("^DA ^DB ^DC ^DD ^DE ^DF ^DG"), "Fiodora female daughter her she her ma'am");
    del_char_list();
    // "hero": index 1, Hogan, male.
    play_as("hero", 2);
    EXPECT_EQ(x("&DA &DB &DC &DD &DE &DF &DG"), "Hogan male son his he him sir");
    for (int i = 0; i < 13; ++i) EXPECT_EQ(alias_sex(i), (i == 4 || i == 7 || i == 8 || i == 11 || i == 12) ? 2 : 1);
}

TEST_F(macros, numbers_plain_and_grouped) {
    character_record& c = play_as("bob");
    c.gold = 1234567;
    c.bank_gold = -1234;
    EXPECT_EQ(x("^CS18 &CS18 &cs19 ^CS19"), "1234567 1,234,567 -1,234 -1234");
    EXPECT_EQ(fmt_macro_num(1000, macro_comma), "1,000");
    EXPECT_EQ(fmt_macro_num(999, macro_comma), "999");
    EXPECT_EQ(fmt_macro_num(-1000000, macro_plain), "-1000000");
    EXPECT_EQ(fmt_macro_num(0, macro_comma), "0");
}

TEST_F(macros, what_stays_as_it_stands) {
    character_record& c = play_as("bob");
    c.shield_value = 5;
    c.status_bits = 8;
    EXPECT_EQ(x("^cs05|^CS5 x|^CS00|^CS40|^CS-1|^CS+5|^CS"), "5|^CS5 x|^CS00|^CS40|^CS-1|^CS+5|^CS");
    EXPECT_EQ(x("^CX03 &cx03 ^CX02 ^CX00 ^CXab ^CX31"), "1 1 0 ^CX00 ^CXab 0");
    EXPECT_EQ(x("^ZZ99 ^C &C ^"), "^ZZ99 ^C &C ^");
    EXPECT_EQ(x("^MC01 ^VR01 ^GF01"), "^MC01 ^VR01 ^GF01");
    // The opponent: with none every OS macro vanishes; with one only above 31 stays.
    EXPECT_EQ(x("[^OS10][^OS40][^OS00][^OSab]"), "[][][][]");
    character_record mob = make_char(0, "wolf");
    mob.hit_points = 30;
    opponent = &mob;
    EXPECT_EQ(x("[^OS10][^OS40][^OS00][^OSab]"), "[30][^OS40][][]");
}

TEST_F(macros, the_scan_reaches_replacements_and_ends_at_255) {
    play_as("X^CA");
    // "X^CA" proper-cased is "X^ca", which holds the macro again: every round adds one X
    // until the cut at 255 leaves no whole macro.
    std::string t = x("^CA");
    EXPECT_EQ(t, std::string(253, 'X') + "^c");
    output_capture& o = out;
    disp_line("^CA");
    EXPECT_EQ(o.take(), std::string(253, 'X') + "^c\r\n");
    del_char_list();
    // A long name early in a line leaves the macros behind it working.
    play_as("maximilian the great", 2);
    EXPECT_EQ(x("^CA and ^CB, ^CE ^CX01"), "Maximilian The Great and female, she 0");
}

TEST_F(macros, without_a_playing_character_the_character_macros_are_empty) {
    EXPECT_EQ(x("[^CA][^CB][^DA][^DG][^CX03][^CS18]"), "[][][][][][]");
    EXPECT_EQ(x("[^CX00][^CS40]"), "[^CX00][^CS40]");
}

TEST_F(macros, every_field_of_the_playing_character) {
    character_record& c = play_as("anna  o'neil", 2, 4);
    c.real_name = "ANNA ONEIL";
    c.class_bits = class_thief | class_ranger | (class_warrior << 6);
    c.attack = 31;
    c.defense = 32;
    c.shield_value = 33;
    c.charm = 6;
    c.shame = 7;
    c.luck = 8;
    c.hit_points = 10;
    c.max_hit_points = 11;
    c.gold = 18000;
    c.bank_gold = 19000;
    c.gems = 20;
    c.experience = 21000;
    c.level = 22;
    c.skill_uses_left = 23;
    c.skill_uses_per_day = 24;
    c.location = "fForest";
    c.creature_fights_left = 26;
    c.player_fights_left = 27;
    guild_record g;
    g.number = 5;
    g.name = "`2Wolves";
    add_guild(g);
    c.guild = 5;
    const char* expected[32] = {"",   "Anna O'neil", "ANNA ONEIL", "31",     "32",    "33",      "6",  "7",
                                "8",  "`2Wolves",    "10",         "11",     "0",     "Nothing", "0",  "Nothing",
                                "0",  "Nothing",     "18,000",     "19,000", "20",    "21,000",  "22", "23",
                                "24", "Forest",      "26",         "27",     "Thief", "0",       "0",  "0"};
    for (int nn = 1; nn <= 31; ++nn) {
        std::string num = (nn < 10 ? "0" : "") + std::to_string(nn);
        EXPECT_EQ(x("&CS" + num), expected[nn]) << nn;
    }
    c.guild = 6;  // a guild that no longer exists
    EXPECT_EQ(x("[^CS09]"), "[]");
    c.class_bits = 0;
    c.location = "";
    EXPECT_EQ(x("[^CS28][^CS25]"), "[][]");
}

TEST_F(item_macros, equipped_items_of_the_playing_character) {
    play_as("bob");
    EXPECT_EQ(x("^CS12 ^CS13|^CS14 ^CS15|^CS16 ^CS17|^CS29 ^CS30 ^CS31"),
              "12 `4Long Sword|8 Chain Mail|3 Buckler|112 108 103");
    test_inventory.clear();
    EXPECT_EQ(x("^CS12 ^CS13 ^CS17 ^CS31"), "0 Nothing Nothing 0");
}

TEST_F(item_macros, an_opponent_that_is_a_creature) {
    play_as("bob");
    character_record mob = make_char(0, "grey wolf");
    mob.real_name = "MOB";
    mob.weapon_name = "Fangs";
    mob.armour_name = "Fur";
    mob.experience = 1500;
    mob.sex = 2;
    opponent = &mob;
    EXPECT_EQ(x("^OS01|^OS12 ^OS13|^OS14 ^OS15|^OS16 ^OS17|^OS29 ^OS30 ^OS31|&OS21"),
              "Grey Wolf|0 Fangs|0 Fur|0 Nothing|0 0 0|1,500");
    // Setting a creature's item fields changes its record only; its powers have no items.
    script_vars v;
    set_macro_value("^OS13", "Claws", v);
    set_macro_value("^OS15", "Scales", v);
    set_macro_value("^OS17", "Shell", v);
    set_macro_value("^OS12", "50", v);
    set_macro_value("^OS30", "50", v);
    EXPECT_EQ(x("^OS13 ^OS15 ^OS17"), "Claws Scales Nothing");
    EXPECT_TRUE(charge_calls.empty());
    EXPECT_FALSE(file_present(inventory_file_name(0)));
    mob.real_name = "MOB LEVEL-FIGHT";
    EXPECT_EQ(x("^OS13"), "Claws");
}

TEST_F(item_macros, an_opponent_that_is_a_player) {
    play_as("bob");
    character_record& rival = *add_char(make_char(5, "carl"));
    rival.real_name = "CARL DORN";
    // Pushed at the head when read, so the file holds the list's reverse.
    write_inventory(5, {make_item("Dagger", 7, 4, true), make_item("Robe", 3, 1, true)});
    std::string before = read_file("invt0005.dat");
    opponent = &rival;
    EXPECT_EQ(x("^OS12 ^OS13|^OS14 ^OS15|^OS16 ^OS17|^OS29"), "4 Dagger|1 Robe|0 Nothing|104");
    EXPECT_EQ(read_file("invt0005.dat"), before);  // a look-up writes nothing

    script_vars v;
    set_macro_value("^OS13", "Cursed Dagger of Many Names", v);
    std::string after = read_file("invt0005.dat");
    ASSERT_EQ(after.size(), 140u);
    // Read pushes each item at the head and write goes from the head, so the robe now comes
    // first; the dagger's name field (offset 0 of its record) is all that changed.
    EXPECT_EQ(after.substr(0, 70), before.substr(70, 70));
    EXPECT_EQ(after.substr(70, 21), std::string("\x14") + "Cursed Dagger of Man");
    EXPECT_EQ(after.substr(91), before.substr(21, 49));
    set_macro_value("^OS17", "Shield", v);  // no shield: nothing to rename, nothing written
    EXPECT_EQ(read_file("invt0005.dat"), after);

    // Powers go through the adjusters with the difference to the number asked for.
    set_macro_value("^OS12", "10", v);
    set_macro_value("^OS30", "50", v);
    set_macro_value("^CS16", "1", v);
    ASSERT_EQ(charge_calls.size(), 3u);
    EXPECT_EQ(charge_calls[0].who, "carl");
    EXPECT_EQ(charge_calls[0].slot, equip_slot::weapon);
    EXPECT_EQ(charge_calls[0].amount, 6);
    EXPECT_FALSE(charge_calls[0].maximum);
    EXPECT_EQ(charge_calls[1].slot, equip_slot::armour);
    EXPECT_EQ(charge_calls[1].amount, 50 - 101);
    EXPECT_TRUE(charge_calls[1].maximum);
    EXPECT_EQ(charge_calls[2].who, "bob");
    EXPECT_EQ(charge_calls[2].slot, equip_slot::shield);
    EXPECT_EQ(charge_calls[2].amount, 1 - 3);
    // The playing character's own item is renamed in memory.
    set_macro_value("^CS13", "Axe", v);
    EXPECT_EQ(x("^CS13"), "Axe");
}

TEST_F(macros, set_macro_value_targets) {
    character_record& c = play_as("bob");
    c.attack = 5;
    c.level = 3;
    script_vars v;
    v.reset_flags();
    set_macro_value("^VR01", std::string(100, 'v'), v);
    EXPECT_EQ(v.get(1), std::string(86, 'v'));
    set_macro_value("^VR25", "items.scr", v);
    for (const char* t : {"^VR26", "^VR00", "^vr02", "^VRxx", "VR02", "^VR"}) set_macro_value(t, "no", v);
    EXPECT_EQ(v.get(2), "");
    EXPECT_EQ(v.get(25), "items.scr");

    set_macro_value("^GF05", "Y", v);
    EXPECT_EQ(v.flag(5), '0');
    set_macro_value("^GF05", "2", v);
    set_macro_value("^GF29", "1", v);
    set_macro_value("^GF30", "1", v);
    EXPECT_EQ(v.get(23), "00002000000000000000000000001");
    // A shortened flag variable reads "0" beyond its end and is padded by a set.
    set_macro_value("^VR23", "1", v);
    EXPECT_EQ(v.flag(7), '0');
    set_macro_value("^GF04", "1", v);
    EXPECT_EQ(v.get(23), "1001");

    set_macro_value("^CX03", "1", v);
    set_macro_value("^CX05", "1", v);
    set_macro_value("^CX05", "0", v);
    set_macro_value("^CX06", "yes", v);
    set_macro_value("^CX30", "1", v);
    set_macro_value("^CX00", "1", v);
    EXPECT_EQ(c.status_bits, 8);

    for (const char* t : {"^CS03", "^CS22", "^CS02", "^CS28", "^CS32", "^CS00"}) set_macro_value(t, "77", v);
    EXPECT_EQ(c.attack, 5);
    EXPECT_EQ(c.level, 3);
    set_macro_value("^CS01", "a very long name indeed", v);
    EXPECT_EQ(c.name.view(), "a very long name ind");
    set_macro_value("^CS25", "vValley", v);
    EXPECT_EQ(c.location.view(), "vValley");
    set_macro_value("^CS09", "4", v);
    EXPECT_EQ(c.guild, 4);
    set_macro_value("^CS18", " 250", v);
    EXPECT_EQ(c.gold, 250);
    set_macro_value("^CS18", "lots", v);
    EXPECT_EQ(c.gold, 0);
    // Not a target for the script: no limits of the game, only those of the field.
    set_macro_value("^CS10", "-500", v);
    EXPECT_EQ(c.hit_points, -500);
}

TEST_F(macros, stored_numbers_are_clamped_to_the_field) {
    character_record& c = play_as("bob");
    script_vars v;
    set_macro_value("^CS20", "40000", v);
    EXPECT_EQ(c.gems, 32767);
    set_macro_value("^CS06", "-99999", v);
    EXPECT_EQ(c.charm, -32768);
    set_macro_value("^CS18", "99999999999", v);
    EXPECT_EQ(c.gold, 2147483647);
    set_macro_value("^CS21", "-99999999999999999999999", v);
    EXPECT_EQ(c.experience, -2147483647 - 1);
    set_macro_value("^CS19", "2147483647", v);
    EXPECT_EQ(c.bank_gold, 2147483647);
    set_macro_value("^CS26", "32768", v);
    EXPECT_EQ(c.creature_fights_left, 32767);
}

TEST_F(macros, opponent_fields_are_set_on_the_opponent) {
    character_record& c = play_as("bob");
    c.gold = 10;
    script_vars v;
    set_macro_value("^OS18", "500", v);  // no opponent: nothing
    EXPECT_EQ(c.gold, 10);
    character_record mob = make_char(0, "wolf");
    mob.real_name = "MOB";
    opponent = &mob;
    set_macro_value("^OS18", "500", v);
    set_macro_value("^OS05", "80", v);
    set_macro_value("^OS01", "Dire Wolf", v);
    EXPECT_EQ(mob.gold, 500);
    EXPECT_EQ(mob.shield_value, 0);
    EXPECT_EQ(mob.name.view(), "Dire Wolf");
    EXPECT_EQ(c.gold, 10);
}

TEST_F(macros, menu_characters) {
    auto m = [](std::string t, std::string_view keys) {
        expand_menu_chars(t, keys);
        return t;
    };
    EXPECT_EQ(m("(^MC02)", "ABQ"), "(B)");
    EXPECT_EQ(m("^mc01^Mc03", "ABQ"), "AQ");
    EXPECT_EQ(m("^MC04 ^MC00 &MC01 ^MC1 ^MC", "ABQ"), "^MC04 ^MC00 &MC01 ^MC1 ^MC");
    EXPECT_EQ(m("^MC01", ""), "^MC01");
    // A key that is itself a marker is not taken for a new macro.
    EXPECT_EQ(m("^MC01MC01", "^"), "^MC01");
}

TEST_F(macros, script_variables_and_flags) {
    script_vars v;
    v.reset_flags();
    v.set(1, "12000");
    v.set(2, "abc");
    v.set(3, "^CA");
    v.set_flag(5, '1');
    auto e = [&v](std::string t) {
        expand_vars(t, v);
        return t;
    };
    EXPECT_EQ(e("^VR01 &VR01 &vr02 ^VR02"), "12000 12,000 0 abc");
    EXPECT_EQ(e("^VR26 ^VR00 ^VR5 &VR"), "^VR26 ^VR00 ^VR5 &VR");
    EXPECT_EQ(e("^GF05&GF04 ^gf29 ^GF30 ^GF00"), "10 0 ^GF30 ^GF00");
    // The stages stay apart: variables do not expand character macros.
    EXPECT_EQ(e("^VR03"), "^CA");
    v.set(23, "");
    EXPECT_EQ(e("^GF01"), "0");
    // A variable that names itself grows once per round until the cut.
    v.set(4, "y^VR04");
    EXPECT_EQ(e("^VR04"), std::string(251, 'y') + "^VR0");
}

TEST_F(macros, a_menu_section_is_prepared) {
    play_as("bob", 1);
    text_list l = {"ABQ", "`9(^MC01)ttack ^CF", "(^MC03)uit ^VR01", "^MC09"};
    EXPECT_EQ(prep_menu_text(l), "ABQ");
    EXPECT_EQ(lines_of(l), (std::vector<std::string>{"`9(A)ttack him", "(Q)uit ^VR01", "^MC09"}));
    text_list empty;
    EXPECT_EQ(prep_menu_text(empty), "");
    EXPECT_TRUE(empty.empty());
    // Expanded lines longer than a list line are cut to 100.
    del_char_list();
    play_as(std::string(20, 'n'));
    text_list wide = {"K", std::string(90, '-') + "^CA"};
    prep_menu_text(wide);
    EXPECT_EQ(wide.front().view(), std::string(90, '-') + "N" + std::string(9, 'n'));
}
