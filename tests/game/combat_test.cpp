// Creature combat with the dice replaced: a creature turned into an opponent, a win with
// its rewards, a flight, deaths by a creature and by a player (each in a child process, as
// the orderly exit ends it), a master's test, a player who is away, and the rolls' limits.
#include <gtest/gtest.h>

#include "combat_state.hpp"
#include "engine/script/script.hpp"
#include "engine/store/strings.hpp"

namespace {
using combat = combat_state;

// The fight's screen up to and including its command prompt.
std::string menu(const std::string& foe, int my_hp, int foe_hp, int uses = 0, const std::string& pronoun = "it") {
    std::string s = "\r\n  Your hit points : " + std::to_string(my_hp) + "\r\n  " + foe +
                    "'s hit points : " + comma_number(foe_hp) + "\r\n\r\n  (A)ttack " + pronoun + ".\r\n  (R)un from " +
                    pronoun + ".\r\n  (I)tems\r\n  (V)iew your Stats.\r\n";
    if (uses > 0) s += "  (U)se a Class Skill. [" + std::to_string(uses) + " uses]\r\n";
    return s + "\r\n   Combat:\r\n  (A,R,V)\r\n\r\n  Command? [A] : ";
}
}  // namespace

TEST_F(combat, a_creature_becomes_an_opponent_scaled_by_the_difficulty) {
    character_record& me = fighter();
    me.net_address = "node 1";
    game_stats.day = 40;
    monster_record m = creature(std::string(25, 'W'), 5, 3, 1, 7, 321, 20, 4);
    m.weapon = "Fangs";
    mob_difficulty_mult = 1.5;  // halves go to the even neighbour
    rolls({0});
    std::unique_ptr<character_record> c = mob_to_char(&m);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->name.view(), std::string(20, 'W'));
    EXPECT_EQ(c->real_name.view(), "MOB");
    EXPECT_EQ(c->number, 0);
    EXPECT_EQ(c->class_bits, 1);
    EXPECT_EQ(c->sex, 3);
    EXPECT_EQ(c->luck, -5);
    EXPECT_EQ(c->attack, 8);        // 7.5
    EXPECT_EQ(c->defense, 4);       // 4.5
    EXPECT_EQ(c->shield_value, 2);  // 1.5
    EXPECT_EQ(c->hit_points, 10);   // 10.5
    EXPECT_EQ(c->max_hit_points, 7);
    EXPECT_EQ(c->gold, 321);
    EXPECT_EQ(c->experience, 200);  // worth 20 after the death-loss divisor of 10
    EXPECT_EQ(c->level, 4);
    EXPECT_EQ(c->weapon_name.view(), "Fangs");
    EXPECT_EQ(c->armour_name.view(), "Fur");
    EXPECT_EQ(c->location.view(), "fForest of Wolves");
    EXPECT_EQ(c->net_address.view(), "node 1");
    EXPECT_EQ(c->last_day, 40);
    EXPECT_EQ(c->death_day, 39);
    EXPECT_EQ(c->creature_fights_left, 1);
    EXPECT_EQ(c->player_fights_left, 1);
    EXPECT_EQ(c->online, 1);
    EXPECT_TRUE(is_mob(*c));

    // Figures too large for their fields are held at the field's limit.
    mob_difficulty_mult = 1000;
    m.hit_points = 20000;
    m.experience = 2000000000;
    rolls({9});
    c = mob_to_char(&m);
    EXPECT_EQ(c->luck, 4);
    EXPECT_EQ(c->hit_points, 32767);
    EXPECT_EQ(c->experience, 2147483647);
    EXPECT_EQ(mob_to_char(nullptr), nullptr);
}

TEST_F(combat, a_win_brings_experience_gold_and_gems) {
    character_record& me = fighter();
    character_record foe = opponent_of(creature());
    game_stats.floating_gold = 777;
    input_feed keys("A ");
    // surprise 51 (no), to-hit 51 of 70, damage roll 0, no double strike, no gem
    rolls({50, real(0.5), real(0.0), 50, 50});
    EXPECT_TRUE(do_combat(foe));
    EXPECT_EQ(out.take(), "\r\n  You encounter a Grey Wolf.\r\n" + menu("Grey Wolf", 20, 10) +
                              "A\r\n"
                              "  You hit the Grey Wolf for 11 points of damage.\r\n"
                              "\r\n  You have defeated the Grey Wolf!!\r\n"
                              "\r\n  You gain 20 experience, and find 50 gold.\r\n"
                              "      [ Hit any key ]");
    EXPECT_EQ(me.experience, 1020);
    EXPECT_EQ(me.gold, 150);
    EXPECT_EQ(me.gems, 0);
    EXPECT_EQ(game_stats.floating_gold, 777);  // only a death feeds the pot
    EXPECT_EQ(foe.hit_points, -1);             // the monster's state goes back to its owner
    EXPECT_EQ(opponent, nullptr);

    // A win against a creature without experience, a double strike and two gems.
    me.luck = 3;
    character_record poor = opponent_of(creature("Rat", 5, 3, 1, 20, 40, 0));
    input_feed more("A ");
    // to-hit 1, damage roll 1/3 of 10, double strike (3 < 11), gems (1 - 3 + 1 < 10), two of them
    rolls({50, real(0.0), real(1 / 3.0), 2, 0, 1});
    EXPECT_TRUE(do_combat(poor));
    std::string screen = out.take();
    EXPECT_TRUE(shows(screen,
                      "\r\n\r\n  You manage to strike the Rat twice!\r\n\r\n"
                      "  You hit the Rat for 24 points of damage.\r\n\r\n"
                      "  You have defeated the Rat!!\r\n\r\n"
                      "  You find 40 gold.\r\n"
                      "  You find 2 gems!\r\n"));
    EXPECT_EQ(me.gems, 2);
    EXPECT_EQ(me.experience, 1020);
}

TEST_F(combat, running_away_and_being_caught) {
    fighter();
    character_record foe = opponent_of(creature());
    input_feed keys("RR ");
    // caught (3 is not above 5), the wolf's to-hit 91 of 48 misses, then away (50)
    rolls({50, 3, real(0.9), 50});
    EXPECT_FALSE(do_combat(foe));
    EXPECT_EQ(out.take(), "\r\n  You encounter a Grey Wolf.\r\n" + menu("Grey Wolf", 20, 10) +
                              "R\r\n"
                              "  You try to run away, but the Grey Wolf catches you.\r\n"
                              "  The Grey Wolf misses you completely.\r\n" +
                              menu("Grey Wolf", 20, 10) +
                              "R\r\n"
                              "  You flee, head over heals.\r\n"
                              "      [ Hit any key ]");
}

TEST_F(combat, a_surprise_and_the_blows_of_a_creature) {
    character_record& me = fighter();
    me.status_bits = status_has_bow | status_drunk;
    me.level = 3;
    me.hit_points = 100;
    character_record foe = opponent_of(creature("Troll", 30, 3, 1, 10));
    foe.luck = 0;
    input_feed keys("R ");
    // surprise (8 < 9), hit (51), damage 30 + 5 + 1, brutal force (1 < 8) x 1.6, bow broken,
    // then away
    rolls({7, real(0.5), real(0.5), 0, 2, 0, 50});
    EXPECT_FALSE(do_combat(foe));
    std::string screen = out.take();
    // 36 x 1.6 = 57.6 -> 58; the drunk's shield of 2 + 10 takes 12 percent: 51.04 -> 51
    EXPECT_TRUE(
        screen.starts_with("\r\n  You encounter a Troll.\r\n"
                           "  The Troll surprises you!\r\n"
                           "\r\n  The Troll hits you with BRUTAL FORCE.\r\n\r\n"
                           "  The Troll hits you for 51 points of damage with its Claws.\r\n"
                           "  Your opponent manages to BREAK your bow!\r\n"))
        << screen;
    EXPECT_FALSE(has_status_bit(me, status_has_bow));
    EXPECT_EQ(me.hit_points, 49);
}

TEST_F(combat, killed_by_a_creature_the_gold_goes_to_the_pot_and_the_game_ends) {
    character_record& me = fighter();
    me.hit_points = 5;
    me.status_bits = status_hunted;
    write_char_file(false);
    character_record foe = opponent_of(creature("hired thug", 50, 3, 1, 40));
    child_result r = run_in_child([&] {
        static input_feed keys("A ");
        // a miss (100 of 70), the thug hits (51 of 116) for 51, no brutal force; the news
        // phrases take the first adjective of each table
        rolls({50, real(0.99), real(0.5), real(0.0), 50});
        do_combat(foe);
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.ends_with(menu("hired thug", 5, 40) +
                                "A\r\n"
                                "  You miss the hired thug completely.\r\n"
                                "  The hired thug hits you for 50 points of damage with its Claws.\r\n"
                                "\r\n  You have been killed!\r\n\r\n  You lose 100 experience.\r\n"
                                "  You lose all gold in hand.\r\n"
                                "      [ Hit any key ]"))
        << r.out;
    EXPECT_EQ(news(), (std::vector<std::string>{"`%In a superb fight today :",
                                                "`3  The weak `!Hero`3 was killed by a superb `!hired thug`3."}));
    character_record s = saved(1);
    EXPECT_EQ(s.dead, 1);
    EXPECT_EQ(s.gold, 0);
    EXPECT_EQ(s.experience, 900);
    EXPECT_EQ(s.hit_points, 0);
    EXPECT_EQ(s.online, 0);
    EXPECT_EQ(s.status_bits & status_hunted, 0);  // the thug's job is done
    stat_record st;
    decode_record(read_file("quorstat.dat"), st);
    EXPECT_EQ(st.floating_gold, 100);
}

TEST_F(combat, the_church_can_save_its_champion_and_items_speak_at_a_death) {
    character_record& me = fighter();
    me.hit_points = 5;
    me.max_hit_points = 30;
    me.luck = 10;
    add_flag("FOREST_CHAMPION_OF_THE_CHURCH", "TRUE", 2, flag_file_name(1), "FLAGS");
    write_file("events.scc", "113");
    character_record foe = opponent_of(creature("Cave Bear", 50, 3, 1, 40));
    input_feed keys("AR ");
    // miss, hit for 50, no brutal force, the church comes (21 < 22), then away
    rolls({50, real(0.99), real(0.5), real(0.0), 50, 20, 50});
    EXPECT_FALSE(do_combat(foe));
    std::string screen = out.take();
    EXPECT_TRUE(shows(screen,
                      "  The Cave Bear hits you for 50 points of damage with its Claws.\r\n\r\n"
                      "  As you start to feel the darkness overcome you, the shadows melt away and you\r\n"
                      "  feel whole again.  From somewhere out of the corner of your eye, a lone\r\n"
                      "  figure cloaked in the colors of the Church of the Divine Nature scurries away\r\n"
                      "  (You are healed completely)\r\n"));
    EXPECT_EQ(me.hit_points, 30);

    // Without the church, an equipped item's death script runs before the death.
    remove_flag("FOREST_CHAMPION_OF_THE_CHURCH", flag_file_name(1), "FLAGS");
    item_record amulet = item("Amulet", pos_neck);
    amulet.equipped = 1;
    amulet.charges = 2;
    amulet.script_id = "AMULET";
    amulet.script_events = event_ondeath;
    add_to_inv_NW(cur_inventory, amulet);
    write_file("items.dat", registry_image("Amulet", "AMULET", 3, encode_record(amulet)));
    script_recorder::action() = [](std::string_view, std::string_view) { cur_char->hit_points = 1; };
    me.hit_points = 5;
    input_feed more("AR ");
    rolls({50, real(0.99), real(0.5), real(0.0), 50, 50});
    EXPECT_FALSE(do_combat(foe));
    EXPECT_EQ(script_recorder::runs(), std::vector<std::string>{"items/3.scr ONDEATH"});
    EXPECT_EQ(me.hit_points, 1);
}

TEST_F(combat, a_masters_test_forbids_running_and_items_and_a_defeat_is_survived) {
    character_record& me = fighter();
    me.class_bits = class_warrior;
    character_record foe = opponent_of(creature("Shadow Monster", 50, 3, 1, 40));
    foe.real_name = "MOB LEVEL-FIGHT";
    input_feed keys("RIA");
    // the master's words twice, then a miss and a blow of 50
    rolls({50, real(0.99), real(0.5), real(0.0), 50});
    EXPECT_TRUE(do_combat(foe));
    std::string screen = out.take();
    EXPECT_TRUE(shows(screen, "R\r\n  \"If you wish to prove yourself Hero,\r\n  you cannot run now.\"\r\n"));
    EXPECT_TRUE(shows(screen,
                      "I\r\n  Your master sees you going for an item and tells you :\r\n"
                      "  \"I wish to test your strength, not the strength of your equipment\"\r\n"));
    EXPECT_TRUE(
        screen.ends_with("  The Shadow Monster hits you for 50 points of damage with its Claws.\r\n"
                         "\r\n  The Shadow Monster is ready to kill you when you hear\r\n"
                         "  " +
                         alias_name("Hero") +
                         " claps his hands together and the Shadow Monster disappears.\r\n"
                         "  \"You have failed Hero.  Seek me when you are truly ready.\"\r\n"))
        << screen;
    EXPECT_EQ(me.hit_points, 0);
    EXPECT_EQ(me.status_bits, status_master_avoids);
    EXPECT_EQ(news(), (std::vector<std::string>{"The gossip about the weak `!^CA's`3 failure to perform",
                                                "for ^CD master spreads like wildfire throughout the town."}));

    // A won test leaves the monster at exactly 0 hit points for the master to read.
    me.hit_points = 20;
    character_record weak = opponent_of(creature("Shadow Monster", 5, 3, 1, 4, 0, 0));
    weak.real_name = "MOB LEVEL-FIGHT";
    input_feed more("A ");
    rolls({50, real(0.5), real(0.0), 50});
    EXPECT_TRUE(do_combat(weak));
    EXPECT_EQ(weak.hit_points, 0);
}

TEST_F(combat, a_player_left_at_0_hit_points_by_a_test_still_has_to_fight) {
    character_record& me = fighter();
    me.hit_points = 0;
    character_record foe = opponent_of(creature());
    input_feed keys("V R ");
    // no surprise, a look at the statistics, then away (50)
    rolls({50, 50});
    EXPECT_FALSE(do_combat(foe));
    std::string screen = out.take();
    EXPECT_TRUE(shows(screen, menu("Grey Wolf", 0, 10) + "V\r\n"));
    EXPECT_TRUE(screen.ends_with("R\r\n  You flee, head over heals.\r\n      [ Hit any key ]")) << screen;
}

TEST_F(combat, a_player_who_is_away_is_found_again_by_number) {
    character_record& me = fighter();
    character_record bob = make_char(2, "Bob");
    bob.sex = 1;
    bob.level = 1;
    bob.attack = 5;
    bob.defense = 3;
    bob.shield_value = 1;
    bob.hit_points = bob.max_hit_points = 20;
    bob.gold = 300;
    bob.experience = 2000;
    add_char(bob);
    game_stats.day = 12;
    write_char_file(false);
    item_record axe = item("Bob's Axe", pos_weapon, 3);
    axe.equipped = 1;
    write_inventory(2, {axe});

    character_record foe = bob;  // the fight takes its own copy
    input_feed keys("A A ");
    // Bob misses once (91 of 58), then falls to a double strike of 22
    rolls({50, real(0.0), real(0.0), 50, real(0.9), real(0.0), real(0.0), 0, 50});
    EXPECT_TRUE(do_combat(foe));
    std::string screen = out.take();
    EXPECT_TRUE(shows(screen, "  You hit Bob for 11 points of damage.\r\n  Bob misses you completely.\r\n"));
    EXPECT_TRUE(shows(screen,
                      "  You manage to strike Bob twice!\r\n\r\n  You hit Bob for 22 points of damage.\r\n\r\n"
                      "  You have defeated Bob!!\r\n\r\n  You gain 200 experience, and find 300 gold.\r\n"));
    EXPECT_EQ(me.gold, 400);
    // The spoils are on file in the write that took them: a kill from here on loses nothing.
    EXPECT_EQ(saved(1).gold, 400);
    EXPECT_EQ(saved(1).experience, 1200);
    character_record s = saved(2);
    EXPECT_EQ(s.dead, 1);
    EXPECT_EQ(s.hit_points, 0);
    EXPECT_EQ(s.gold, 0);
    EXPECT_EQ(s.experience, 1800);
    EXPECT_EQ(s.shame, 1);
    EXPECT_EQ(s.death_day, 12);
    EXPECT_EQ(read_file("user0002.dat"),
              "#0000 `%System Message\n  `4Hero has attacked you!\n  `3You have been killed.\n"
              "  You have lost `4200`3 experience.\n~\n");
    EXPECT_EQ(news(), (std::vector<std::string>{"`%In a superb player fight today :",
                                                "  The superb `!Hero`3 has killed the weak `!Bob`3."}));

    // A victim gone from "players.dat" while the fight ran is skipped.
    character_record carl = make_char(3, "Carl");
    carl.level = 1;
    carl.hit_points = 5;
    carl.experience = 100;
    std::vector<character_record> others = file_chars();
    put_chars(others);
    input_feed again("A ");
    rolls({50, real(0.0), real(0.0), 50});
    EXPECT_TRUE(do_combat(carl));
    EXPECT_EQ(saved(3).number, 0);
    EXPECT_FALSE(file_present("user0003.dat"));
}

TEST_F(combat, a_win_over_a_player_no_longer_as_the_fight_found_him_is_void) {
    character_record& me = fighter();
    // Since the fight began: killed by another winner, woke and walked out, played on a new day.
    for (auto since : {+[](character_record& c) { c.dead = 1; }, +[](character_record& c) { c.sleeping_inn = 0; },
                       +[](character_record& c) { c.created_text = "later"; }}) {
        character_record bob = make_char(2, "Bob");
        bob.hit_points = 5;
        bob.gold = 300;
        bob.sleeping_inn = 1;
        put_chars({me, bob});
        refresh_char_file();
        since(*char_num_ptr(2));
        write_char_file(false);
        const std::string before = encode_record(saved(2));
        input_feed keys("A ");
        rolls({50, real(0.0), real(0.0), 50});
        EXPECT_TRUE(do_combat(bob));
        EXPECT_TRUE(shows(out.take(), "  Bob has slipped away.\r\n"));
        EXPECT_EQ(encode_record(saved(2)), before);
        EXPECT_EQ(saved(1).gold, 100);
        EXPECT_FALSE(file_present("user0002.dat"));
    }
}

TEST_F(combat, killed_by_a_player_who_is_away_who_gains_the_spoils) {
    character_record& me = fighter();
    me.hit_points = 5;
    character_record bob = make_char(2, "Bob");
    bob.sex = 1;
    bob.level = 1;
    bob.attack = 50;
    bob.hit_points = 3;
    bob.max_hit_points = 40;
    bob.experience = 2000;
    bob.gold = 10;
    add_char(bob);
    write_char_file(false);
    item_record axe = item("Axe", pos_weapon, 3);
    axe.equipped = 1;
    write_inventory(2, {axe});
    character_record foe = bob;
    child_result r = run_in_child([&] {
        static input_feed keys("A ");
        rolls({50, real(0.99), real(0.5), real(0.0), 50});
        do_combat(foe);
    });
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(shows(r.out, "  You miss Bob completely.\r\n  Bob hits you for 50 points of damage with his Axe.\r\n"));
    character_record b = saved(2);
    EXPECT_EQ(b.experience, 2100);
    EXPECT_EQ(b.gold, 110);
    EXPECT_EQ(b.hit_points, 40);
    EXPECT_EQ(saved(1).dead, 1);
    EXPECT_EQ(read_file("user0002.dat"),
              "#0000 `%System Message\n  `4Hero has attacked you!\n  `3You have killed Hero in self defense.\n"
              "  You have gained `4100`3 experience.\n  You have taken `4100`3 gold from the corpse.\n~\n");
    EXPECT_EQ(news(), (std::vector<std::string>{"`%In a superb `4player fight`% today :",
                                                "  The superb `!Bob`3 killed the weak `!Hero`3 in self defense."}));
}

TEST_F(combat, rolls_at_their_limits) {
    character_record& me = fighter();
    // A level-0 creature divides by a level of 1: base 70, so a roll of 76 misses.
    character_record foe = opponent_of(creature("Blob", 5, 3, 1, 10, 0, 0, 0));
    input_feed keys("AR ");
    rolls({50, real(0.75), real(0.9), 50});
    EXPECT_FALSE(do_combat(foe));
    EXPECT_TRUE(shows(out.take(), "  You miss the Blob completely.\r\n"));

    // A blow larger than 16 bits shows in full and fells the largest creature.
    me.attack = 32000;
    character_record giant = opponent_of(creature("Titan", 5, 3, 1, 32000, 0, 1, 20));
    input_feed more("A ");
    rolls({50, real(0.0), real(0.99), 0, 50});
    EXPECT_TRUE(do_combat(giant));
    // (nearest(0.99 x 10666.67) + 32001) x 2 = 85,122, less 1 percent: 84,271
    EXPECT_TRUE(
        shows(out.take(), "  You hit the Titan for 84271 points of damage.\r\n\r\n  You have defeated the Titan!!"));
    EXPECT_EQ(giant.hit_points, -32768);

    // An opponent with no attack hits for nothing; the hit still shows.
    me.attack = 10;
    character_record harmless = opponent_of(creature("Moth", 0, 3, 1, 10));
    input_feed last("RR ");
    rolls({50, 3, real(0.0), 50, 50});
    EXPECT_FALSE(do_combat(harmless));
    EXPECT_TRUE(shows(out.take(), "  The Moth hits you for 0 points of damage with its Claws.\r\n"));
    EXPECT_EQ(me.hit_points, 20);

    // However strong the defence, a creature still hits on a roll of 10.
    me.defense = 32000;
    input_feed floor("RR ");
    rolls({50, 3, real(0.09), 50, 50});
    EXPECT_FALSE(do_combat(harmless));
    EXPECT_TRUE(shows(out.take(), "  The Moth hits you for 0 points of damage with its Claws.\r\n"));
}

TEST_F(combat, scripts_fight_through_the_creature_file) {
    character_record& me = fighter();
    me.level = 1;
    write_file("forest.dat",
               encode_record(creature("Wolf", 5, 3, 1, 10)) + encode_record(creature("Bear", 5, 3, 1, 10, 5, 5, 2)));
    write_file("test.scr",
               "@#MAIN\n  CREATUREFILE forest.dat\n  MONSTERAVAILABLE ^VR01\n  COMBAT ^VR02 EXT\n"
               "  DISPLAYCREATURES\n  DISPLAYSCRIPTINFO\n  HALT\n@#\n");
    input_feed keys("R  ");
    // the pick, the creature's luck, then the fight: no surprise, away
    rolls({0, 5, 50, 50});
    execute_script("test.scr", "", "test.scr");
    std::string screen = out.take();
    EXPECT_TRUE(shows(screen, "  You encounter a Wolf.\r\n"));
    EXPECT_TRUE(shows(screen,
                      "Level :  1 Wolf                  Exp :       20  Verif # :      0\r\n"
                      "Level :  2 Bear                  Exp :        5  Verif # :      0\r\n"));
    EXPECT_TRUE(shows(screen, "  ^VR01     :1\r\n  ^VR02     :0\r\n"));
    EXPECT_EQ(opponent, nullptr);
}
