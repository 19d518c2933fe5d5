// The travelling sage: the wagon's loop, lore, the look-up of another player, and the
// teaching of a class skill for 4 gems with its cap.
#include <gtest/gtest.h>

#include "combat_state.hpp"
#include "engine/text/lookups.hpp"
#include "game/sage.hpp"

namespace {
struct sage : combat_state {
    sage() { write_file("quortext.dat", "@#traveller\nLHMSCVFR\n  The wagon.\n@#\n"); }
    character_record& visitor(std::int16_t gems = 10) {
        character_record& me = fighter();
        me.class_bits = class_mage;
        me.gems = gems;
        me.skill_percent = {5, 20, 5, 5, 5, 5};
        return me;
    }
};

const std::string wagon_prompt = "\r\n   The Wagon of the Ancient Sage:  (L,H,M,S,C,V,F,R,?)\r\n\r\n  Command? [L] : ";
const std::string farewell =
    "  You leave the wagon of the ancient sage, and turn back to look upon\r\n"
    "  it one last time, and the wagon has disappeared.\r\n";
const std::string teaching =
    "\r\n  \"If you wish to become more proficient in any class, I must ask you\r\n"
    "  for four gems in advance.\"\r\n"
    "  Is this still what you wish to know about? (Y/N) [Y] : ";
const std::string classes =
    "\r\n  (W)arrior\r\n  (M)age\r\n  (T)hief\r\n  (H)ealer\r\n  (R)anger\r\n  (P)aladin\r\n"
    "  Which class do you wish to learn more about? : ";
}  // namespace

TEST_F(sage, four_gems_buy_four_points_in_an_own_class_and_two_in_another) {
    character_record& me = visitor();
    input_feed keys("c\rxm");
    ancient_sage();
    EXPECT_EQ(out.take(), "  The wagon.\r\n" + wagon_prompt + "C\r\n" + teaching + "Yes.\r\n" + classes + classes +
                              "Mage\r\n\r\n"
                              "  The Ancient Sage takes the gems from you and places them in a diamond\r\n"
                              "  shaped pattern on the table in front of you, and one by one, he places\r\n"
                              "  his hand on each gem then upon your forehead.  When he is done, the image\r\n"
                              "  of you using your new skill fills your mind.\r\n"
                              "  \"That should do it.  Now I must leave to attend to other duties.\"\r\n" +
                              farewell);
    EXPECT_EQ(me.skill_percent[1], 24);
    EXPECT_EQ(me.gems, 6);
    EXPECT_TRUE(has_status_bit(me, status_met_traveller));

    // Another class: two points; the met-traveller bit stays set.
    input_feed more("CYP");
    ancient_sage();
    EXPECT_EQ(me.skill_percent[5], 7);
    EXPECT_EQ(me.gems, 2);
    EXPECT_TRUE(has_status_bit(me, status_met_traveller));
}

TEST_F(sage, no_gems_no_lesson_and_no_means_no) {
    character_record& me = visitor(3);
    input_feed keys("CnCY\r");
    ancient_sage();
    EXPECT_EQ(out.take(), "  The wagon.\r\n" + wagon_prompt + "C\r\n" + teaching + "No.\r\n" + wagon_prompt + "C\r\n" +
                              teaching +
                              "Yes.\r\n"
                              "  \"I am sorry, but I need to harness the energies of these gems\r\n"
                              "  to instruct you in the skills.\"\r\n" +
                              wagon_prompt + "L\r\n" + farewell);
    EXPECT_EQ(me.gems, 3);
    EXPECT_EQ(me.skill_percent[1], 20);
}

TEST_F(sage, the_lessons_stop_where_the_masters_stop) {
    // A change of study sets the level to percentage / 5: at 99 that is level 19, so the
    // sage never teaches past 99.
    character_record& me = visitor(12);
    me.skill_percent[1] = 97;
    me.skill_percent[3] = 98;
    input_feed keys("CYMCYHCYM");
    ancient_sage();
    ancient_sage();
    ancient_sage();
    EXPECT_EQ(me.skill_percent[1], 99);
    EXPECT_EQ(me.skill_percent[3], 99);
    EXPECT_EQ(me.gems, 0);
    EXPECT_EQ(sage_percent_cap / 5, 19);
}

TEST_F(sage, lore_ends_the_visit_and_other_keys_do_nothing) {
    character_record& me = visitor();
    me.status_bits = status_expert;  // no wagon text
    input_feed keys("zh?M");
    ancient_sage();
    std::string screen = out.take();
    EXPECT_TRUE(screen.starts_with(wagon_prompt + "Z\r\n" + wagon_prompt +
                                   "H\r\n\r\n  The Sage begins to speak to you :\r\n"
                                   "  \"I can sense that you are from the town of Shamile.  These days, that is\r\n"))
        << screen;
    EXPECT_TRUE(screen.ends_with("  Alas, I must be on my way now.  We will see each other again.\"\r\n" + farewell));
    ancient_sage();
    screen = out.take();
    EXPECT_TRUE(screen.starts_with(wagon_prompt + "?\r\n  The wagon.\r\n" + wagon_prompt +
                                   "M\r\n\r\n"
                                   "  The Sage begins to speak to you :\r\n"
                                   "  \"The Quorvath seems to appear randomly from time to time, noone can really\r\n"))
        << screen;
    EXPECT_TRUE(screen.ends_with("  population.  Take care my child, we will meet again.\"\r\n" + farewell));
}

TEST_F(sage, looking_up_another_player) {
    visitor();
    character_record bob = make_char(2, "bob the brave");
    bob.sex = 2;
    bob.level = 7;
    bob.experience = 1234567;
    bob.gold = 2500;
    bob.bank_gold = 1000000;
    bob.creature_fights_left = 12;
    bob.player_fights_left = 3;
    bob.charm = 4;
    bob.attack = 120;
    bob.defense = 95;
    bob.shield_value = 21;
    bob.hit_points = 150;
    bob.max_hit_points = 300;
    bob.gems = 9;
    bob.skill_uses_left = 2;
    bob.skill_uses_per_day = 10;
    bob.guild = 4;
    bob.class_bits = class_thief;
    bob.skill_percent = {40, 1, 72, 0, 9, 0};
    add_char(bob);
    guild_record g;
    g.number = 4;
    g.name = "Night Owls";
    add_guild(g);
    item_record blade = item("Quick Blade", pos_weapon, 5);
    blade.equipped = 1;
    write_inventory(2, {blade});

    input_feed keys("Snobody\rSbob\r\r  ");
    ancient_sage();
    std::string screen = out.take();
    const std::string ask =
        "\r\n  The Sage looks at you with a disappointed look.\r\n"
        "  \"If that is what you wish to know about, so be it.\r\n"
        "  Who is it you wish to know about?\"\r\n  : ";
    EXPECT_TRUE(shows(screen, "S\r\n" + ask +
                                  "nobody\r\n  \"My friend, you must be mistaken, for there is no person who goes\r\n"
                                  "  by that name in this land.\"\r\n"));
    EXPECT_TRUE(shows(screen,
                      "  The Sage conjures up an image of Bob The Brave and\r\n"
                      "  allows you to examine it.  You learn everything you need to know.\r\n"
                      "      [ Hit any key ]"
                      "  Character Statistics for Bob The Brave:\r\n"
                      "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n"
                      "  Name            : Bob The Brave         Level         : 7\r\n"
                      "  Experience      : 1,234,567             Gold          : 2,500\r\n"
                      "  Creature Fights : 12                    Bank Gold     : 1,000,000\r\n"
                      "  Player Fights   : 3                     Charm         : 4\r\n"
                      "  Weapon Name     : Quick Blade           Attack Value  : 120\r\n"
                      "  Armor Name      : Nothing               Defense Value : 95\r\n"
                      "  Shield Name     : Nothing               Shield Value  : 21\r\n"
                      "  Hit Points      : 150 / 300             Gems          : 9\r\n"
                      "  Skill Use Points:  2 / 10               Master        : " +
                          alias_name("bob the brave") +
                          "\r\n"
                          "  Guild           : Night Owls\r\n"
                          "  Her Skill Percentages :\r\n"
                          "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n"
                          "  Warrior         : 40%\r\n"
                          "  Thief           : 72%\r\n"
                          "  Ranger          :  9%\r\n"
                          "      [ Hit any key ]"
                          "  \"I am needed elsewhere, good luck to you.\"\r\n" +
                          farewell));
}

TEST_F(sage, gems_lowered_on_file_teach_nothing) {
    character_record& me = visitor();
    write_char_file(false);
    // 3 gems left on file; this node still sees 10.
    edit_on_file([](character_record& c) { c.gems = 3; });
    input_feed keys("CYm\r");
    ancient_sage();
    EXPECT_TRUE(out.take().ends_with(classes +
                                     "Mage\r\n"
                                     "  \"I am sorry, but I need to harness the energies of these gems\r\n"
                                     "  to instruct you in the skills.\"\r\n" +
                                     wagon_prompt + "L\r\n" + farewell));
    EXPECT_EQ(saved(1).gems, 3);
    EXPECT_EQ(saved(1).skill_percent[1], 20);
    EXPECT_EQ(me.skill_percent[1], 20);
}
