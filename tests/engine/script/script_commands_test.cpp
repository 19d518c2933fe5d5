// The script commands bound to the game, each in a small script with the screen it shows and
// the files and records it changes; the adder behind ADD on variables, the playing character
// and the opponent; and the creature and item definition sections of a script file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/runner_state.hpp"
#include "engine/script/items_init.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/text/flags.hpp"
#include "support/child.hpp"

namespace {
struct board_call {
    std::string file, title;
    int mode;
    bool operator==(const board_call&) const = default;
};
std::vector<board_call>& boards() {
    static std::vector<board_call> b;
    return b;
}

struct commands : runner_state {
    commands() {
        boards().clear();
        set_message_board_hook([](const std::string& file, std::string_view title, int mode) {
            boards().push_back({file, std::string(title), mode});
        });
        cur_inventory.clear();
    }
    ~commands() { cur_inventory.clear(); }

    // Hero (1) plays; Rival (2) is another player; both in "players.dat" and in memory.
    void hero_and_rival() {
        character_record hero = make_char(1, "Hero");
        hero.gold = 300;
        character_record rival = make_char(2, "Rival");
        rival.gold = 200;
        rival.hit_points = 10;
        rival.level = 4;
        put_chars({hero, rival});
        read_char_file();
        cur_char = char_num_ptr(1);
    }
    std::string flag(const std::string& file, const std::string& section, const std::string& name) {
        return return_flag(name, file, section);
    }
};
}  // namespace

TEST_F(commands, addflag_removeflag_and_flagvalue_reach_the_three_scopes) {
    play_as("Hero");
    EXPECT_EQ(run(script({"ADDFLAG QUEST DONE 0"})), "");
    EXPECT_NE(read_file("flag0001.dat").find("@#FLAGS\nQUEST DONE 0\n"), std::string::npos);
    EXPECT_EQ(run(script({"ADDFLAG QUEST DONE 0 S"}), "", "", "tavern.scr"), "");
    EXPECT_EQ(flag("mainflag.dat", "TAVERN.SCR", "QUEST"), "DONE");
    // Name and value expanded (then stored upper-cased); the class is read as written.
    EXPECT_EQ(run(script({"ADDFLAG ^VR01_^CA ^VR02 1 main"}), "", "seen yes"), "");
    EXPECT_NE(read_file("mainflag.dat").find("SEEN_HERO YES 1\n"), std::string::npos);

    EXPECT_EQ(run(script({"FLAGVALUE ^VR05 QUEST", "FLAGVALUE ^VR06 QUEST M", "FLAGVALUE ^VR07 quest s",
                          "FLAGVALUE ^VR08 QUEST X", "WRITELN \"^VR05 ^VR06 ^VR07 ^VR08\""}),
                  "", "", "tavern.scr"),
              "DONE -1 DONE -1\r\n");
    EXPECT_EQ(run(script({"REMOVEFLAG QUEST c", "FLAGVALUE ^VR01 QUEST", "WRITELN \"^VR01\""})), "-1\r\n");
    EXPECT_NE(read_file("flag0001.dat").find("QUEST -1 -1\n"), std::string::npos);

    // A scope letter that names no file changes nothing and reports nothing.
    std::string before = read_file("mainflag.dat");
    EXPECT_EQ(run(script({"ADDFLAG QUEST DONE 0 X", "REMOVEFLAG SEEN_HERO Q", "WRITELN \"on\""})), "on\r\n");
    EXPECT_EQ(read_file("mainflag.dat"), before);
}

TEST_F(commands, flag_commands_of_the_wrong_form_are_script_errors_that_end_the_run) {
    play_as("Hero");
    const std::pair<std::string, std::string> wrong[] = {
        {"ADDFLAG QUEST DONE", "ADDFLAG QUEST DONE"},
        {"ADDFLAG A B 1 C D", "ADDFLAG A B 1 C D"},
        {"ADDFLAG QU@#EST DONE 0", "ADDFLAG QU@#EST DONE 0"},
        {"AddFlag QUEST @#DONE 0", "AddFlag QUEST @#DONE 0"},
        {"REMOVEFLAG", "REMOVEFLAG "},
        {"REMOVEFLAG A C D", "REMOVEFLAG A C D"},
        {"FLAGVALUE ^VR01", "FLAGVALUE ^VR01"},
        {"FLAGVALUE ^VR01 A M X", "FLAGVALUE ^VR01 A M X"},
    };
    for (const auto& [line, shown] : wrong) {
        EXPECT_EQ(run(script({line, "WRITELN \"not reached\""}), "x"), error_screen("test.scr", "MAIN", 1, shown))
            << line;
    }
    EXPECT_FALSE(file_present("flag0001.dat")) << "no wrong form wrote a flag";
}

TEST_F(commands, messageboard_opens_the_scripts_board_under_its_title) {
    EXPECT_EQ(run(script({"MESSAGEBOARD 3 \"Sages\"", "MESSAGEBOARD 123 \"Old  Tales\" here"}), "", "", "tavern.scr"),
              "");
    EXPECT_EQ(boards(), (std::vector<board_call>{{"tavern.B03", "Sages", 0}, {"tavern.B23", "Old  Tales", 0}}));
    EXPECT_EQ(script_board_file("board", 7), "B07");
    EXPECT_EQ(script_board_file("a.b.scr", 0), "a.B00");
    boards().clear();
    EXPECT_EQ(run(script({"MESSAGEBOARD \"Sages\""}), "x", "", "tavern.scr"),
              error_screen("test.scr", "MAIN", 1, "MESSAGEBOARD \"Sages\""));
    EXPECT_EQ(run(script({"MESSAGEBOARD 3 Sages"}), "x", "", "tavern.scr"),
              error_screen("test.scr", "MAIN", 1, "MESSAGEBOARD 3 Sages"));
    EXPECT_TRUE(boards().empty());
    // Without the boards' part the command does nothing.
    set_message_board_hook(nullptr);
    EXPECT_EQ(run(script({"MESSAGEBOARD 3 \"Sages\"", "WRITELN \"on\""})), "on\r\n");
}

TEST_F(commands, menufile_and_itemfile_store_upper_case_names_found_case_blind) {
    play_as("Hero");
    write_file("menus.scr", lines({"@#TOWN", "AQ", "  The town menu"}));
    EXPECT_EQ(run(script({"MENUFILE menus.scr", "ITEMFILE sub/items  def", "WRITELN \"^VR24|^VR25\"", "MENU town"})),
              "MENUS.SCR|SUB/ITEMS  DEF\r\n  The town menu\r\n");

    ::mkdir("Defs", 0777);
    write_file("Defs/Gear.Scr",
               lines({"@#ITEMS", "NAME 1 \"Lantern\"", "SCRID 1 \"LANT-01\"", "STAT1 1 0 0 50 3 10", "STAT2 1 1 0 1"}));
    EXPECT_EQ(run(script({"ITEMFILE defs/gear.scr", "ITEM 1"})), "  You now have the Lantern\r\n");
    ASSERT_EQ(fake().inventory.size(), 1u);
    EXPECT_EQ(fake().inventory.front().script_id, "LANT-01");
}

TEST_F(commands, writeln_and_write_show_their_quoted_text) {
    play_as("Hero");
    EXPECT_EQ(
        run(script({"WRITE \"`2Hi ^VR01, \"", "WRITELN \"^CA\" and more", "WRITE \"\"", "WRITELN \"\""}), "", "there"),
        "Hi there, Hero\r\n\r\n");
    // Without a quoted text: the error, then the whole rest shown, and the run ends.
    EXPECT_EQ(run(script({"WRITELN Hello ^VR01", "WRITELN \"never\""}), "x", "you"),
              error_screen("test.scr", "MAIN", 1, "WRITELN Hello ^VR01") + "Hello you\r\n");
    EXPECT_EQ(run(script({"WRITE Hi"}), "x"), error_screen("test.scr", "MAIN", 1, "WRITE Hi") + "Hi");
}

TEST_F(commands, displaystats_displayranks_and_findplayers_show_the_game_screens) {
    hero_and_rival();
    cur_char->online = 1;
    std::string shown = run(script({"DISPLAYSTATS", "DISPLAYRANKS", "FINDPLAYERS"}), std::string(10, 'x'));
    input_feed keys(std::string(10, 'x'));
    display_stats();
    display_ranks(ranks_show);
    list_players_online();
    EXPECT_EQ(shown, out.take());
    EXPECT_NE(shown.find("Character Statistics"), std::string::npos);
    EXPECT_NE(shown.find("Player Rankings"), std::string::npos);
    EXPECT_NE(shown.find("Players in the Realm"), std::string::npos);
}

TEST_F(commands, add_on_variables_is_64_bit_and_clamped) {
    EXPECT_EQ(run(script({"SET ^VR03 abc", "ADD ^VR03 5", "ADD ^VR30 1", "ADD ^vr04 1", "ADD ^VR05 -7",
                          "SET ^VR06 2147483647", "ADD ^VR06 2147483647", "ADD ^VR07 99999999999",
                          "SET ^VR08 -2147483648", "ADD ^VR08 -1", "ADD ^VR09 x", "ADD ^VR1 1",
                          "WRITELN \"^VR03|^VR04|^VR05|^VR06|^VR07|^VR08|^VR09\""})),
              "5||-7|2147483647|2147483647|-2147483648|0\r\n");
}

TEST_F(commands, add_on_the_playing_character_goes_through_the_stat_adders) {
    hero_and_rival();
    std::string file_before = read_file("players.dat");
    character_record& me = *cur_char;
    me.luck = 5;
    me.attack = 10;
    me.hit_points = 20;
    me.max_hit_points = 30;
    me.skill_uses_per_day = 2;
    run(script({"ADD ^CS18 -500", "ADD ^CS19 250",  "ADD ^CS01 5",      "ADD ^CS22 5",    "ADD ^CS06 40000",
                "ADD ^CS07 -3",   "ADD ^CS08 100",  "ADD ^CS03 -99999", "ADD ^CS04 12",   "ADD ^CS05 200",
                "ADD ^CS10 5",    "ADD ^CS11 -100", "ADD ^CS20 3",      "ADD ^CS21 1000", "ADD ^CS23 4",
                "ADD ^CS24 -9",   "ADD ^CS26 -1",   "ADD ^CS27 2",      "ADD ^CS32 1",    "ADD ^cs18 1"}));
    EXPECT_EQ(me.gold, 0);  // the adder's floor
    EXPECT_EQ(me.bank_gold, 250);
    EXPECT_EQ(me.name, "Hero");
    EXPECT_EQ(me.level, 1);
    EXPECT_EQ(me.charm, 32767);  // no limit but the field's own
    EXPECT_EQ(me.shame, 0);
    EXPECT_EQ(me.luck, 30);
    EXPECT_EQ(me.attack, 1);
    EXPECT_EQ(me.defense, 12);
    EXPECT_EQ(me.shield_value, 87);
    EXPECT_EQ(me.hit_points, 25);
    EXPECT_EQ(me.max_hit_points, 1);
    EXPECT_EQ(me.gems, 3);
    EXPECT_EQ(me.experience, 1000);
    EXPECT_EQ(me.skill_uses_left, 4);
    EXPECT_EQ(me.skill_uses_per_day, 1);
    EXPECT_EQ(me.creature_fights_left, 0);
    EXPECT_EQ(me.player_fights_left, 2);
    EXPECT_EQ(read_file("players.dat"), file_before) << "no file is written";

    // The equipped items' powers, in the playing character's inventory.
    item_record sword;
    sword.name = "Sword";
    sword.position = pos_weapon;
    sword.power = 5;
    sword.max_power = 8;
    sword.equipped = 1;
    item_record mail = sword;
    mail.name = "Mail";
    mail.position = pos_armor;
    cur_inventory.push_front(sword);
    cur_inventory.push_front(mail);
    run(script({"ADD ^CS12 10", "ADD ^CS29 -1", "ADD ^CS14 2", "ADD ^CS30 5000"}));
    EXPECT_EQ(weapon_equipped_ptr(cur_inventory)->power, 8);
    EXPECT_EQ(weapon_equipped_ptr(cur_inventory)->max_power, 7);
    EXPECT_EQ(armor_equipped_ptr(cur_inventory)->power, 7);
    EXPECT_EQ(armor_equipped_ptr(cur_inventory)->max_power, 1200);
}

TEST_F(commands, add_on_a_player_opponent_rereads_and_rewrites_players_dat) {
    hero_and_rival();
    opponent = char_num_ptr(2);
    // Another node changed the rival's gold and level since this node read the file.
    std::vector<character_record> recs = file_chars();
    for (auto& r : recs)
        if (r.number == 2) {
            r.gold = 250;
            r.level = 6;
        }
    put_chars(recs);
    EXPECT_EQ(run(script({"ADD ^OS18 100", "ADD ^OS22 5", "ADD ^OS10 -1000", "WRITELN \"still playing\""})),
              "still playing\r\n");
    for (const character_record& r : file_chars()) {
        if (r.number != 2) continue;
        EXPECT_EQ(r.gold, 350);
        EXPECT_EQ(r.level, 6);          // the level stays as the other node left it
        EXPECT_EQ(r.hit_points, -990);  // stored; the fight decides what a fall means
    }
    ASSERT_NE(opponent, nullptr);
    EXPECT_EQ(opponent, char_num_ptr(2));
    EXPECT_EQ(opponent->gold, 350);
    EXPECT_EQ(cur_char->hit_points, 0) << "the playing character is untouched";
    EXPECT_FALSE(file_present("hold.dat"));

    // An opponent no longer in the file: nothing changes.
    character_record ghost = make_char(9, "Ghost");
    opponent = &ghost;
    run(script({"ADD ^OS18 100"}));
    EXPECT_EQ(ghost.gold, 900);
    opponent = nullptr;
}

TEST_F(commands, add_on_a_fights_copy_of_a_player_changes_the_file_and_the_copy_and_keeps_the_copy) {
    hero_and_rival();
    character_record fight = *char_num_ptr(2);
    opponent = &fight;
    EXPECT_EQ(run(script({"ADD ^OS10 -4", "ADD ^OS18 50", "WRITELN \"^OS10 &OS18\""})), "6 250\r\n");
    EXPECT_EQ(opponent, &fight) << "the fight keeps its own record";
    EXPECT_EQ(char_num_ptr(2)->hit_points, 6);
    for (const character_record& r : file_chars()) {
        if (r.number == 2) {
            EXPECT_EQ(r.gold, 250);
        }
    }

    // The player is gone from the file (another node deleted it): the copy stays as it was.
    put_chars({*cur_char});
    run(script({"ADD ^OS18 50"}));
    EXPECT_EQ(opponent, &fight);
    EXPECT_EQ(fight.gold, 250);
    opponent = nullptr;
}

TEST_F(commands, add_on_a_creature_opponent_changes_its_record_only) {
    hero_and_rival();
    std::string file_before = read_file("players.dat");
    character_record mob;
    mob.name = "Wolf";
    mob.real_name = "MOB";
    mob.gold = 10;
    mob.hit_points = 5;
    opponent = &mob;
    EXPECT_EQ(run(script({"ADD ^OS18 100", "ADD ^OS10 -50", "ADD ^OS03 7", "ADD ^OS14 5", "WRITELN \"on\""})),
              "on\r\n");
    EXPECT_EQ(mob.gold, 110);
    EXPECT_EQ(mob.hit_points, -45);
    EXPECT_EQ(mob.attack, 7);
    EXPECT_EQ(read_file("players.dat"), file_before);
    // Without an opponent ^OS does nothing.
    opponent = nullptr;
    run(script({"ADD ^OS18 100"}));
    EXPECT_EQ(mob.gold, 110);
}

TEST_F(commands, armour_and_shield_writes_through_os_reach_the_opponents_own_inventory) {
    hero_and_rival();
    item_record my_mail;
    my_mail.name = "My Mail";
    my_mail.position = pos_armor;
    my_mail.power = 5;
    my_mail.max_power = 10;
    my_mail.equipped = 1;
    item_record my_shield = my_mail;
    my_shield.name = "My Shield";
    my_shield.position = pos_shield;
    cur_inventory.push_front(my_mail);
    cur_inventory.push_front(my_shield);
    write_inventory(1, cur_inventory);
    item_record their_mail = my_mail;
    their_mail.name = "Their Mail";
    item_record their_shield = my_shield;
    their_shield.name = "Their Shield";
    inventory_list theirs{their_mail, their_shield};
    write_inventory(2, theirs);
    opponent = char_num_ptr(2);
    run(script({"ADD ^OS14 3", "ADD ^OS30 -4", "ADD ^OS16 100", "ADD ^OS31 100"}));
    inventory_list after;
    read_inventory(2, after);
    EXPECT_EQ(armor_equipped_ptr(after)->power, 8);
    EXPECT_EQ(armor_equipped_ptr(after)->max_power, 6);
    EXPECT_EQ(shield_equipped_ptr(after)->power, 10);
    EXPECT_EQ(shield_equipped_ptr(after)->max_power, 60);
    EXPECT_EQ(armor_equipped_ptr(cur_inventory)->power, 5);
    EXPECT_EQ(armor_equipped_ptr(cur_inventory)->max_power, 10);
    EXPECT_EQ(shield_equipped_ptr(cur_inventory)->power, 5);
    EXPECT_EQ(shield_equipped_ptr(cur_inventory)->max_power, 10);

    // SET through the text macros' charge hooks alike.
    engine_items_init();
    engine_scripts_init();
    run(script({"SET ^OS30 20", "SET ^OS14 9", "SET ^OS16 1"}));
    read_inventory(2, after);
    EXPECT_EQ(armor_equipped_ptr(after)->max_power, 20);
    EXPECT_EQ(armor_equipped_ptr(after)->power, 9);
    EXPECT_EQ(shield_equipped_ptr(after)->power, 1);
    EXPECT_EQ(armor_equipped_ptr(cur_inventory)->power, 5);
    EXPECT_EQ(shield_equipped_ptr(cur_inventory)->power, 5);
    // The playing character's own through ^CS still reach its inventory.
    run(script({"SET ^CS14 7", "ADD ^CS16 -2"}));
    EXPECT_EQ(armor_equipped_ptr(cur_inventory)->power, 7);
    EXPECT_EQ(shield_equipped_ptr(cur_inventory)->power, 3);
    opponent = nullptr;
}

namespace {
const std::string creature_file = lines({
    "@#DEFINE",
    "  HALT",
    "@#monster",
    "STATS 4 10 12 5 300 40 55 3",
    "NAME 4 \"Grey ^VR01 of the Long Valley Road\" extra",
    "WNAME 4 \"Teeth and Claws and More Teeth\"",
    "ANAME 4 \"Fur\"",
    "DEATH 4 \"falls with a howl\"",
    "STATS 5 1 1 1 1 1 1 1",
    "SPEED 4 9",
    "STATS 4 99999 1 1 3000000000 1 1 1",
    "NAME 6 \"Six\"",
    "~",
    "STATS 6 1 2 3 4 5 6 7",
    "@#MONSTER",
    "NAME 7 \"Second section\"",
});
}  // namespace

TEST_F(commands, a_creature_definition_is_built_from_its_lines) {
    write_file("mobs.scr", creature_file);
    script_vars vars;
    vars.set(1, "Wolf");
    std::shared_ptr<monster_record> m = read_internal_monster("mobs.scr", 4, vars);
    ASSERT_NE(m, nullptr);
    // The last STATS line for 4 wins, clamped to the fields.
    EXPECT_EQ(m->attack, 32767);
    EXPECT_EQ(m->defense, 1);
    EXPECT_EQ(m->shield_value, 1);
    EXPECT_EQ(m->experience, 2147483647);
    EXPECT_EQ(m->gold, 1);
    EXPECT_EQ(m->hit_points, 1);
    EXPECT_EQ(m->level, 1);
    EXPECT_EQ(m->name, "Grey Wolf of the Long Valley Road");
    EXPECT_EQ(m->weapon, "Teeth and Claws and ");
    EXPECT_EQ(m->armour, "Fur");
    EXPECT_EQ(m->death_text, "falls with a howl");

    write_file("one.scr", lines({"@#MONSTER", "STATS 4 10 12 5 300 40 55 3"}));
    m = read_internal_monster("one.scr", 4, vars);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(
        std::vector<int>({m->attack, m->defense, m->shield_value, m->experience, m->gold, m->hit_points, m->level}),
        std::vector<int>({10, 12, 5, 300, 40, 55, 3}));
    // A section ends at "~"; only the first MONSTER section counts; no line for n is none.
    EXPECT_EQ(read_internal_monster("mobs.scr", 6, vars)->name, "Six");
    EXPECT_EQ(read_internal_monster("mobs.scr", 6, vars)->attack, 0);
    EXPECT_EQ(read_internal_monster("mobs.scr", 7, vars), nullptr);
    EXPECT_EQ(read_internal_monster("mobs.scr", 8, vars), nullptr);
    write_file("none.scr", lines({"@#MAIN", "STATS 4 10 12 5 300 40 55 3"}));
    EXPECT_EQ(read_internal_monster("none.scr", 4, vars), nullptr);
    EXPECT_EQ(out.take(), "");
}

TEST_F(commands, a_definition_line_of_the_wrong_form_is_reported_and_skipped) {
    write_file("bad.scr", lines({"@#MONSTER", "STATS 4 1 2", "NAME 4 Wolf", "NAME 4 \"Wolf\"", "DEATH 4 \"dies"}));
    script_vars vars;
    input_feed keys("1234567890");
    std::shared_ptr<monster_record> m = read_internal_monster("bad.scr", 4, vars);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->name, "Wolf");
    std::string wait = "      [ Hit any key ]";
    EXPECT_EQ(out.take(), error_screen("INT_MONSTER", "MONSTER", 0, "STATS 4") + wait +
                              error_screen("INT_MONSTER", "MONSTER", 0, "NAME 4") + wait +
                              error_screen("INT_MONSTER", "MONSTER", 0, "DEATH 4") + wait);
    EXPECT_NE(debug_text().find("Script Error : INT_MONSTER Section : MONSTER    Line : 0\nSTATS 4\n"),
              std::string::npos);

    write_file("bad_item.scr", lines({"@#ITEMS", "STAT1 2 1 2 3", "SCUSE 2 1"}));
    EXPECT_FALSE(read_internal_item("bad_item.scr", 2, vars));
    EXPECT_EQ(out.take(), error_screen("INT_ITEM", "ITEMS", 0, "STAT1 2") + wait +
                              error_screen("INT_ITEM", "ITEMS", 0, "SCUSE 2") + wait);
}

TEST_F(commands, an_item_definition_needs_its_four_lines_and_takes_its_events_from_scuse) {
    debug_mode = true;
    write_file("items.scr",
               lines({"@#ITEMS", "NAME 1 \"Bow of the ^VR01 Winds\"", "SCRID 1 \"BOW-01\"",
                      "STAT1 1 12 15 3000000000 2 7", "STAT2 1 5 1 1", "SCUSE 1 1 0 1 0 0 0 0 1 0 0 0",
                      "NAME 2 \"Half\"", "SCRID 2 \"HALF\"", "STAT1 2 1 1 1 1 1", "STAT2 3 0 0 2", "NAME 3 \"Three\"",
                      "SCRID 3 \"T\"", "STAT1 3 1 1 1 1 10", "@#ITEMS", "NAME 2 \"Later\""}));
    script_vars vars;
    vars.set(1, "East");
    std::optional<item_record> bow = read_internal_item("items.scr", 1, vars);
    ASSERT_TRUE(bow);
    EXPECT_EQ(bow->name, "Bow of the East Wind");
    EXPECT_EQ(bow->script_id, "BOW-01");
    EXPECT_EQ(std::vector<std::int64_t>({bow->power, bow->max_power, bow->cost, bow->charges, bow->position,
                                         bow->required_level, bow->flags, bow->identified, bow->equipped}),
              std::vector<std::int64_t>({12, 15, 2147483647, 2, 7, 5, 1, 1, 0}));
    EXPECT_EQ(bow->script_events, 133);
    // Without its STAT2 line an item is none; item 3's "2" marks it not identified.
    EXPECT_FALSE(read_internal_item("items.scr", 2, vars));
    std::optional<item_record> three = read_internal_item("items.scr", 3, vars);
    ASSERT_TRUE(three);
    EXPECT_EQ(three->identified, 0);
    EXPECT_EQ(three->script_events, 0);
    EXPECT_FALSE(read_internal_item("items.scr", 4, vars));
    EXPECT_NE(debug_text().find("Entering read_internal_item\nleaving read_internal_item\n"), std::string::npos);
}

TEST_F(commands, combat_int_fights_the_creature_of_the_scripts_own_monster_section) {
    play_as("Hero");
    set_mob_to_char_hook([](const monster_record& m) {
        auto c = std::make_unique<character_record>();
        c->name = m.name.view();
        c->real_name = "MOB";
        c->attack = m.attack;
        return c;
    });
    std::string body = script({"COMBAT ^VR02 INT 4", "COMBAT ^VR03 INT 9", "WRITELN \"^VR02 ^VR03\""});
    EXPECT_EQ(run(body + lines({"@#MONSTER", "NAME 4 \"Rat\"", "STATS 4 3 1 1 1 1 1 1"})), "1 2\r\n");
    EXPECT_EQ(fake().calls, (std::vector<std::string>{"FIGHT Rat"}));
}

TEST_F(commands, a_definition_file_that_is_gone_ends_the_game_with_code_12) {
    child_result r = run_in_child([] {
        script_vars vars;
        read_internal_monster("gone.scr", 1, vars);
    });
    EXPECT_EQ(r.code, 12);
    EXPECT_EQ(r.out.substr(0, 31), "  Error : File gone.scr missing");
}
