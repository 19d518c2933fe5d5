// Class skills: the roll, every class's menu, texts and formulas, and what each result does
// to the fight and to the day's uses.
#include <gtest/gtest.h>

#include "combat_state.hpp"

namespace {
struct skills : combat_state {
    character_record& skilled(std::int16_t class_bits, int class_number, int percent = 50) {
        character_record& me = fighter();
        me.class_bits = class_bits;
        me.skill_percent[class_number - 1] = static_cast<std::int16_t>(percent);
        me.skill_uses_left = 3;
        me.skill_uses_per_day = 3;
        return me;
    }
};

std::string menu_tail(int uses) {
    return "  (V)iew your Stats.\r\n  (U)se a Class Skill. [" + std::to_string(uses) +
           " uses]\r\n\r\n   Combat:\r\n  (A,R,V)\r\n\r\n  Command? [A] : ";
}

const std::string mage_menu =
    "  (L)ightning Strike\r\n  (I)nvisibility\r\n  (S)low Opponent\r\n  (R)everse Body\r\n\r\n"
    "  Your Choice? : ";
}  // namespace

TEST_F(skills, the_roll_counts_luck_as_extra_chances) {
    character_record c;
    c.skill_percent = {1, 50, 0, 0, 0, 99};
    c.luck = 30;
    rolls({30, 31});
    EXPECT_TRUE(skill_roll(c, 1));   // 31 - 30 = 1
    EXPECT_FALSE(skill_roll(c, 1));  // 2
    c.luck = 0;
    rolls({49, 50, 98, 99});
    EXPECT_TRUE(skill_roll(c, 2));
    EXPECT_FALSE(skill_roll(c, 2));
    EXPECT_TRUE(skill_roll(c, 6));
    EXPECT_FALSE(skill_roll(c, 6));
    EXPECT_EQ(seam.randomize_calls, 6);
    EXPECT_FALSE(skill_roll(c, 0));
    EXPECT_FALSE(skill_roll(c, 7));
}

TEST_F(skills, the_warriors_four_moves) {
    character_record& me = skilled(class_warrior, 1);
    // move, then the real of the damage: nearest(10 x K) + nearest(r x 9 + 1)
    rolls({0, real(0.5)});
    skill_result r = class_skill_menu(me, 1);
    EXPECT_EQ(r.effect, skill_effect::damage);
    EXPECT_EQ(r.damage, 18 + 6);  // 5.5 goes to 6
    EXPECT_EQ(out.take(),
              "  Doing your best spinning, half-twisting sommersault kick,\r\n"
              "  You cause your opponent to become disoriented, and take this\r\n"
              "  to your advantage as you are able to take your best shot and\r\n  inflict some massive damage.\r\n");
    rolls({1, real(0.0)});
    EXPECT_EQ(class_skill_menu(me, 1).damage, 17 + 1);
    rolls({2, real(0.0)});
    EXPECT_EQ(class_skill_menu(me, 1).damage, 18 + 1);  // 17.5 goes to 18
    out.take();
    rolls({3, real(0.0)});
    EXPECT_EQ(class_skill_menu(me, 1).damage, 18 + 1);
    EXPECT_TRUE(out.take().ends_with("  You decide to beat some smarts into him.\r\n"));
    item_record sword = item("Long Sword", pos_weapon, 5);
    sword.equipped = 1;
    add_to_inv_NW(cur_inventory, sword);
    rolls({3, real(0.0)});
    class_skill_menu(me, 1);
    EXPECT_TRUE(out.take().ends_with("  You decide to beat some smarts into him with your Long Sword\r\n"));
}

TEST_F(skills, the_mage_asks_until_a_skill_is_chosen) {
    character_record& me = skilled(class_mage, 2);
    input_feed keys("xl");
    rolls({real(0.0)});
    skill_result r = class_skill_menu(me, 2);
    EXPECT_EQ(r.effect, skill_effect::damage);
    EXPECT_EQ(r.damage, 17 + 1);
    EXPECT_EQ(out.take(), mage_menu + "X\r\n\r\n" + mage_menu + "L\r\n\r\n" +
                              "  You rear back, recite the phrases you have memorized and hold out your\r\n"
                              "  hands toward your opponent.  In a blinding flash of orange and green light,\r\n"
                              "  giant sparks and flames shoot forth from your fingertips frying your\r\n"
                              "  opponent where he stands.\r\n");
    input_feed more("ISR");
    EXPECT_EQ(class_skill_menu(me, 2).effect, skill_effect::escape);
    EXPECT_EQ(class_skill_menu(me, 2).effect, skill_effect::slow);
    EXPECT_EQ(class_skill_menu(me, 2).effect, skill_effect::reverse_body);
    std::string screen = out.take();
    EXPECT_TRUE(shows(screen, "  laugh all the way back to town, but he would know where you were then.\r\n"));
    EXPECT_TRUE(shows(screen, "  as badly as it would if it was a full speed blow.\r\n"));
    EXPECT_TRUE(screen.ends_with("  your attack and all the armor on the inside where it cannot stop you.\r\n"));
}

TEST_F(skills, the_thiefs_three_skills) {
    character_record& me = skilled(class_thief, 3);
    input_feed keys("NNNSP");
    rolls({0, real(0.0), 1, real(0.0), 2, real(0.0)});
    EXPECT_EQ(class_skill_menu(me, 3).damage, 15 + 1);
    EXPECT_EQ(class_skill_menu(me, 3).damage, 14 + 1);
    EXPECT_EQ(class_skill_menu(me, 3).damage, 16 + 1);
    EXPECT_EQ(class_skill_menu(me, 3).effect, skill_effect::escape);
    EXPECT_EQ(class_skill_menu(me, 3).effect, skill_effect::grab_gold);
    std::string screen = out.take();
    EXPECT_TRUE(
        screen.starts_with("  (N)erve Strike\r\n  (S)link off into the shadows\r\n  (P)ick its pockets\r\n\r\n"
                           "  Your Choice? : N\r\n\r\n"
                           "  You disorient your opponent and sneak around behind him and place\r\n"));
    EXPECT_TRUE(screen.ends_with("  purse.  Dumbfounded, he doesn't stop you, but does take a swing at you.\r\n"));
}

TEST_F(skills, the_healer_heals_drains_and_turns_the_undead_only_where_they_lie) {
    character_record& me = skilled(class_healer, 4, 40);
    input_feed keys("tD");
    // d = 12 + nearest(0.5 x 9 + 1) + 40 = 58; gain = nearest(0.5 x (nearest(14.5) - 1)) + 1 = 7
    rolls({real(0.5), real(0.5)});
    skill_result r = class_skill_menu(me, 4);
    EXPECT_EQ(r.effect, skill_effect::damage);
    EXPECT_EQ(r.damage, 58);
    EXPECT_EQ(me.hit_points, 27);  // no cap at the maximum
    // Outside a place that begins with G there is no Turn Undead, and the refused key is
    // not echoed.
    EXPECT_EQ(out.take(),
              "  (D)rain Life\r\n  (H)eal Yourself\r\n\r\n  Your Choice? : "
              "  (D)rain Life\r\n  (H)eal Yourself\r\n\r\n  Your Choice? : D\r\n\r\n"
              "  You chant a few magical words to your god and ask that your foe find\r\n"
              "  himself weak of life and that his energy be used for the good of the world\r\n"
              "  Your opponent finds himself surrounded in a radiant blue glow and collapses.\r\n"
              "  You find yourself gaining 7 hit points.\r\n");
    me.hit_points = 3;
    input_feed more("HT");
    EXPECT_EQ(class_skill_menu(me, 4).effect, skill_effect::nothing);
    EXPECT_EQ(me.hit_points, 20);
    me.location = "gGraveyard";
    out.take();
    EXPECT_EQ(class_skill_menu(me, 4).effect, skill_effect::kill);
    EXPECT_TRUE(
        out.take().ends_with("  (T)urn Undead\r\n\r\n  Your Choice? : T\r\n\r\n"
                             "  You hold forth the symbol of your god and chant holy verses and quote\r\n"
                             "  the scriptures of yore to banish this unholy creature from this plane.\r\n"
                             "  As you finish, the undead creature crumples and turns to dust.\r\n"));
}

TEST_F(skills, the_ranger_strikes_levitates_and_calls_the_woods) {
    character_record& me = skilled(class_ranger, 5);
    input_feed keys("PPPLL");
    // the third strike takes a whole number: 16 + Random(9) + 1
    rolls({0, real(0.0), 1, real(0.0), 2, 8});
    EXPECT_EQ(class_skill_menu(me, 5).damage, 15 + 1);
    EXPECT_EQ(class_skill_menu(me, 5).damage, 14 + 1);
    EXPECT_EQ(class_skill_menu(me, 5).damage, 16 + 8 + 1);
    EXPECT_EQ(seam.random_ranges.back(), 9);
    out.take();
    EXPECT_EQ(class_skill_menu(me, 5).effect, skill_effect::escape);
    EXPECT_TRUE(
        out.take().ends_with("  You begin to rub your thumb and fingers together rapidly, and start to lift\r\n"
                             "  off the ground.  Realizing he can not hit you and you can not hit him, your\r\n"
                             "  opponent decides to call this one a draw and wander away.  You realize\r\n"
                             "  that this trick would work much better if you had a weapon that could\r\n"
                             "  hit someone from long distances.\r\n"));
    me.status_bits = status_has_bow;
    EXPECT_EQ(class_skill_menu(me, 5).effect, skill_effect::weaken);
    EXPECT_TRUE(
        out.take().ends_with("  off the ground.  From this height, you can easily shoot your opponent and he\r\n"
                             "  will have a difficult time hitting you.  Good thing you remembered\r\n"
                             "  to bring your bow along with you.\r\n"));
    // Summon Woodland Creatures only in the forest; elsewhere S is refused.
    me.location = "vValley of Fear";
    input_feed more("SP");
    rolls({0, real(0.0)});
    EXPECT_EQ(class_skill_menu(me, 5).effect, skill_effect::damage);
    EXPECT_TRUE(out.take().starts_with("  (P)ower Strike\r\n  (L)evitate\r\n\r\n  Your Choice? : S\r\n\r\n  (P)ower"));
    me.location = "fForest of Wolves";
    input_feed last("s");
    EXPECT_EQ(class_skill_menu(me, 5).effect, skill_effect::kill);
    EXPECT_TRUE(out.take().starts_with("  (P)ower Strike\r\n  (L)evitate\r\n  (S)ummon Woodland Creatures\r\n"));
}

TEST_F(skills, the_paladin_strikes_lays_on_hands_and_turns_the_undead) {
    character_record& me = skilled(class_paladin, 6);
    input_feed keys("PPP");
    rolls({0, real(0.0), 1, real(0.0), 2, real(0.0)});
    EXPECT_EQ(class_skill_menu(me, 6).damage, 14 + 1);
    EXPECT_EQ(class_skill_menu(me, 6).damage, 13 + 1);
    EXPECT_EQ(class_skill_menu(me, 6).damage, 14 + 1);  // 14.5 goes to 14
    EXPECT_TRUE(
        out.take().ends_with("  Calling upon the strength of the memory of your parents being slaughtered\r\n"
                             "  when you were young, you feel yourself imbibed with incredible strength;  All\r\n"
                             "  of which you release into your opponent.\r\n"));
    // Three missing: half is 2, and the heal 2 + nearest(r + 1), so 3 or 4.
    input_feed more("LLLL");
    me.hit_points = 17;
    rolls({real(0.0)});
    EXPECT_EQ(class_skill_menu(me, 6).effect, skill_effect::nothing);
    EXPECT_EQ(me.hit_points, 20);
    me.hit_points = 17;
    rolls({real(0.6)});
    class_skill_menu(me, 6);
    EXPECT_EQ(me.hit_points, 21);  // one past the maximum: no cap
    class_skill_menu(me, 6);       // nothing missing: nothing healed, still -1
    EXPECT_EQ(me.hit_points, 21);
    EXPECT_EQ(seam.rolls.size(), 0u);
    me.location = "GGraveyard";
    input_feed last("T");
    EXPECT_EQ(class_skill_menu(me, 6).effect, skill_effect::crumble);
    EXPECT_TRUE(out.take().ends_with("  As you finish, the undead creature begins to buckle and fall.\r\n"));
}

TEST_F(skills, each_result_acts_on_the_fight_and_spends_a_use) {
    struct row {
        std::int16_t bits;
        int cls;
        std::string location, keys;
        std::vector<int> rolls;
        bool result;
        int attack, defense, shield, hp;  // the opponent's afterwards
    };
    const int r9 = real(0.9);
    const row rows[] = {
        // Heal Yourself (-1) and away
        {class_healer, 4, "fForest", "UHHR ", {50, 0, 50}, false, 30, 15, 30, 100},
        // Invisibility (-2)
        {class_mage, 2, "fForest", "UMI ", {50, 0}, false, 30, 15, 30, 100},
        // Summon Woodland Creatures (-3): the opponent falls at exactly 0
        {class_ranger, 5, "fForest", "URS ", {50, 0, 50}, true, 30, 15, 30, 0},
        // Pick its pockets (-4): one more blow (a miss), then away
        {class_thief, 3, "fForest", "UTP ", {50, 0, real(0.5), r9}, false, 30, 15, 30, 100},
        // Slow Opponent (-5), Reverse Body (-6), Levitate with a bow (-7), Turn Undead (-8)
        {class_mage, 2, "fForest", "UMSR ", {50, 0, 50}, false, 20, 10, 30, 100},
        {class_mage, 2, "fForest", "UMRR ", {50, 0, 50}, false, 30, 15, 10, 100},
        {class_ranger, 5, "fForest", "URLR ", {50, 0, 50}, false, 10, 15, 30, 100},
        {class_paladin, 6, "GGraveyard", "UPTR ", {50, 0, 50}, false, 30, 15, 30, 15},
    };
    character_record& me = fighter();
    for (const row& r : rows) {
        me.class_bits = r.bits;
        me.skill_percent = {};
        me.skill_percent[r.cls - 1] = 50;
        me.skill_uses_left = 3;
        me.location = r.location;
        me.hit_points = 10;
        me.gold = 100;
        me.experience = 1000;
        me.status_bits = status_has_bow;
        character_record foe = opponent_of(creature("Ghoul", 30, 15, 30, 100, 50, 20));
        input_feed keys(r.keys);
        seam.rolls.assign(r.rolls.begin(), r.rolls.end());
        EXPECT_EQ(do_combat(foe), r.result) << r.keys;
        EXPECT_EQ(foe.attack, r.attack) << r.keys;
        EXPECT_EQ(foe.defense, r.defense) << r.keys;
        EXPECT_EQ(foe.shield_value, r.shield) << r.keys;
        EXPECT_EQ(foe.hit_points, r.hp) << r.keys;
        EXPECT_EQ(me.skill_uses_left, 2) << r.keys;
        EXPECT_TRUE(seam.rolls.empty()) << r.keys;
        std::string screen = out.take();
        if (r.bits == class_healer) {
            EXPECT_EQ(me.hit_points, 20);
        }
        if (r.bits == class_thief) {
            EXPECT_TRUE(shows(screen,
                              "  You manage to grab 26 gold before you decide to bail.\r\n"
                              "  The Ghoul misses you completely.\r\n      [ Hit any key ]"));
            EXPECT_EQ(me.gold, 126);
        }
        if (r.hp == 0) {
            EXPECT_TRUE(shows(
                screen, "  You hit the Ghoul for 100 points of damage.\r\n\r\n  You have defeated the Ghoul!!\r\n"));
            EXPECT_EQ(me.experience, 1020);
        }
    }
}

TEST_F(skills, the_skill_choice_of_the_fight_a_bungle_and_no_uses_left) {
    character_record& me = skilled(class_warrior | class_mage, 1, 50);
    me.skill_percent[1] = 1;   // not listed, but Enter takes the Mage: the last class held
    me.skill_percent[4] = 12;  // listed, though not a class of the character
    me.skill_uses_left = 1;
    me.hit_points = 100;
    character_record foe = opponent_of(creature("Ghoul", 30, 15, 30, 100, 50, 20));
    input_feed keys("U\rUWUR ");
    // the Mage's roll fails (2 > 1): a normal attack, both miss; the Warrior's succeeds:
    // 19, less 30 percent; then no use is left and U does nothing
    rolls({50, 1, real(0.99), real(0.99), 0, 0, real(0.0), real(0.99), 50});
    EXPECT_FALSE(do_combat(foe));
    std::string screen = out.take();
    EXPECT_TRUE(shows(screen, menu_tail(1) +
                                  "U\r\n\r\n  (W)arrior    : 50%\r\n  (R)anger     : 12%\r\n\r\n"
                                  "  Use the Skill of which Class? : M\r\n"
                                  "\r\n  You bungled the move, but manage a normal attack.\r\n\r\n"
                                  "  You miss the Ghoul completely.\r\n  The Ghoul misses you completely.\r\n"));
    EXPECT_TRUE(shows(screen,
                      "  Use the Skill of which Class? : W\r\n"
                      "  Doing your best spinning, half-twisting sommersault kick,\r\n"));
    EXPECT_TRUE(shows(screen,
                      "  You hit the Ghoul for 13 points of damage.\r\n  The Ghoul misses you completely.\r\n"
                      "\r\n  Your hit points : 100\r\n  Ghoul's hit points : 87\r\n"));
    EXPECT_TRUE(shows(screen, "  (V)iew your Stats.\r\n\r\n   Combat:\r\n  (A,R,V)\r\n\r\n  Command? [A] : U\r\n"));
    EXPECT_EQ(me.skill_uses_left, 0);
    EXPECT_EQ(foe.hit_points, 87);
}
