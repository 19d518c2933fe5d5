// The masters' house: the test's gate, the test monster, a won and a lost test, the shame
// punishment, the fellow students and the change of study.
#include <gtest/gtest.h>

#include "combat_state.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/lookups.hpp"
#include "game/masters.hpp"

namespace {
struct masters : combat_state {
    masters() { write_file("quortext.dat", "@#masters\nPCVRFL\n  The house.\n@#converse\nHAWCVRL\n  The talk.\n@#\n"); }
    // A Warrior of the level with the experience, strong enough to fell the monster at once.
    character_record& student(std::int16_t level, std::int32_t experience) {
        character_record& me = fighter();
        me.level = level;
        me.experience = experience;
        me.attack = 20000;
        me.max_hit_points = 100;
        me.hit_points = 100;
        return me;
    }
    // The dice of a test won at the first blow: luck 0, no surprise, a hit, no double strike.
    void winning_rolls() { rolls({5, 50, real(0.5), real(0.0), 50}); }
};

const std::string avoidance = "  You walk right up to " + alias_name("Hero") + " and try to get his attention.\r\n";
const std::string house_prompt = "\r\n   Masters House:  (P,C,V,R,F,L,?)\r\n\r\n  Command? [L] : ";
}  // namespace

TEST_F(masters, the_test_asks_for_more_than_100_times_2_to_the_level) {
    const struct {
        std::int16_t level;
        std::int32_t experience;
        std::string says;
    } cases[] = {
        {1, 200, "  \"You still need 0 experience before you are ready\r\n   for your next test.\"\r\n"},
        {20, 100'000'000, "  \"You still need 4,857,600 experience before you are ready\r\n"},
        {25, 100'000'000, "  \"You still need 3,255,443,200 experience before you are ready\r\n"},  // no wrap
        {60, 100'000'000, "  \"You still need 109,951,062,777,600 experience"},                     // 2^40
        {20, 104'857'601,
         "  Your master says to you : \r\n  \"You have already attained the highest possible level\r\n"
         "  in your current class.\"\r\n  You may wish to turn your attention to the peril that\r\n"
         "  Shamile is in.\"\r\n      [ Hit any key ]  The house.\r\n"},
    };
    for (const auto& c : cases) {
        student(c.level, c.experience);
        input_feed keys(" ");
        level_test();
        std::string screen = out.take();
        EXPECT_TRUE(screen.starts_with(c.says)) << c.level << "\n" << screen;
        EXPECT_EQ(cur_char->level, c.level);
        del_char_list();
    }

    // Bit 1: the master avoids the player, for the test and the talk alike.
    character_record& me = student(3, 5000);
    me.status_bits = status_master_avoids | status_expert;
    input_feed keys("P C L");
    masters_house();
    std::string screen = out.take();
    std::string avoided = "Converse with " + alias_name("Hero") +
                          ":\r\n-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n" +
                          avoidance;
    EXPECT_TRUE(shows(screen, house_prompt + "P\r\n\r\n                             " + avoided));
    EXPECT_TRUE(shows(screen, house_prompt + "C\r\n                             " + avoided));
    EXPECT_EQ(me.level, 3);
    EXPECT_EQ(file_chars()[0].location.view(), "bMasters House");
}

TEST_F(masters, the_test_monster_grows_with_the_level) {
    const struct {
        std::int16_t level;
        int attack, defense, shield, hit_points, strength;
    } cases[] = {
        {1, 14, 9, 6, 28, 53},
        {5, 124, 99, 16, 198, 426},
        {14, 1015, 828, 87, 1575, 3447},
        {19, 1895, 1548, 87, 2935, 6407},
    };
    for (const auto& c : cases) {
        monster_record m = master_test_monster(c.level);
        EXPECT_EQ((std::vector<int>{m.level, m.attack, m.defense, m.shield_value, m.hit_points, m.strength, m.gold,
                                    m.experience}),
                  (std::vector<int>{c.level, c.attack, c.defense, c.shield, c.hit_points, c.strength, 0, 0}));
        EXPECT_EQ(m.name.str() + "|" + m.weapon.str() + "|" + m.armour.str() + "|" + m.death_text.str(),
                  "Shadow Monster|`8Draining Claw|Shadowy Substance|Nothing but silence is heard.");
    }
}

TEST_F(masters, a_won_test_raises_the_level) {
    const struct {
        std::int16_t level;
        int uses_gained;
    } cases[] = {{4, 1}, {6, 0}};
    for (const auto& c : cases) {
        character_record& me = student(c.level, 100'000);
        me.class_bits = class_warrior | class_paladin;
        me.skill_percent = {97, 0, 0, 0, 0, 40};
        me.defense = 50;
        me.shield_value = 86;
        me.shame = 2;
        me.skill_uses_left = 1;
        me.skill_uses_per_day = 3;
        std::remove("news.txt");
        winning_rolls();
        input_feed keys("A  ");
        level_test();
        std::string screen = out.take();
        int l = c.level;
        std::string next = std::to_string(l + 1);
        EXPECT_TRUE(screen.starts_with("  \"You ARE ready for your next test my son\"\r\n  With that, " +
                                       alias_name("Hero") +
                                       " claps his hands together.\r\n\r\n  You encounter a Shadow Monster.\r\n"))
            << screen;
        std::string tail =
            "\r\n\r\n  \"Congratulations Hero.  You have beaten your test.\r\n"
            "  You may wish to consider a different class, as any skills you gain in\r\n"
            "  your current class will be wasted.\r\n      [ Hit any key ]"
            "  You are now level " +
            next + ".\r\n  You gain : " + std::to_string(16 * l) + " HP, " + std::to_string(8 * l) + " Attack, " +
            std::to_string(6 * l) +
            " Defense, 3 Damage Reduction\r\n  You gain 5 skill percent in your current class.\r\n";
        if (c.uses_gained) tail += "  You gain 1 skill usage per day.\r\n";
        EXPECT_TRUE(screen.ends_with(tail)) << screen;
        // The shield passes 87 at a rise: the fight takes it as 13 percent.
        EXPECT_EQ((std::vector<int>{me.level, me.attack, me.defense, me.shield_value, me.max_hit_points, me.hit_points,
                                    me.skill_percent[0], me.skill_percent[5], me.skill_uses_left, me.skill_uses_per_day,
                                    me.shame}),
                  (std::vector<int>{l + 1, 20000 + 8 * l, 50 + 6 * l, 89, 100 + 16 * l, 100 + 16 * l, 99, 45,
                                    1 + c.uses_gained, 3 + c.uses_gained, 0}));
        EXPECT_EQ(news(), (std::vector<std::string>{"The news of `!^CA's`3 advancement in ^CD profession",
                                                    "permeates the town. `4(^CA is now level `$" + next + "`4)"}));
        del_char_list();
    }
}

TEST_F(masters, a_lost_test_leaves_the_player_whole_and_avoided) {
    character_record& me = student(1, 201);
    me.attack = 1;
    me.hit_points = 1;
    // luck 0, no surprise, a miss, then the monster's hit of 15
    rolls({5, 50, real(0.99), real(0.0), real(0.0), 50});
    input_feed keys("A");
    level_test();
    EXPECT_TRUE(shows(out.take(), "  \"You have failed Hero.  Seek me when you are truly ready.\"\r\n"));
    EXPECT_EQ(me.hit_points, 100);
    EXPECT_EQ(me.level, 1);
    EXPECT_EQ(me.status_bits, status_master_avoids);
}

TEST_F(masters, shaming_the_master_is_punished) {
    character_record& me = student(3, 25);
    me.status_bits = status_shamed_master;
    me.shame = 4;
    input_feed keys(" ");
    converse_master();
    EXPECT_TRUE(out.take().ends_with("  " + alias_name("Hero") +
                                     " says to you : \r\n"
                                     "  \"Hero, You have brought shame to our house.\r\n"
                                     "   For that, you must be taught a lesson.\"\r\n\r\n"
                                     "  With that, your master stands up before you...\r\n"
                                     "  Makes some blindingly fast moves and...\r\n"
                                     "  You wind up on your butt about ten feet away\r\n"
                                     "  (Hit points go DOWN, 10% of experience LOST)\r\n\r\n      [ Hit any key ]"));
    character_record saved = file_chars()[0];
    EXPECT_EQ((std::vector<int>{saved.experience, saved.hit_points, saved.shame, saved.status_bits}),
              (std::vector<int>{22, 1, 5, status_master_avoids}));
}

TEST_F(masters, fellow_students_are_those_of_the_same_master) {
    character_record& me = student(3, 25);
    me.status_bits = status_expert;
    input_feed keys("WL");
    converse_master();
    EXPECT_TRUE(shows(out.take(), "  Your name is the only one on it!\r\n"));

    // A plain name and one stored with a "`C" in front under the player's master, one under another.
    auto name_under = [](const std::string& front, bool same) {
        for (char a = 'A'; a <= 'Z'; ++a) {
            std::string n = front + a + "LOW";
            if ((alias_name(n) == alias_name("Hero")) == same) return n;
        }
        return std::string();
    };
    for (const std::string& n : {name_under("", true), name_under("`C", true), name_under("", false)})
        add_char(make_char(std::int16_t(char_list.size() + 1), n));
    graphics_mode = 3;
    input_feed more("WL");
    converse_master();
    std::string screen = out.take();
    std::string list = screen.substr(screen.find("parchment for you to examine."));
    EXPECT_TRUE(shows(list, upcase_first(lowcase_str(name_under("", true))) + "\r\n"));
    EXPECT_TRUE(shows(list, lowcase_str(name_under("`C", true).substr(2)) + "\r\n"));
    EXPECT_EQ(list.find(upcase_first(lowcase_str(name_under("", false)))), std::string::npos) << list;
    EXPECT_EQ(list.find("\x1b[2J"), std::string::npos);
    EXPECT_EQ(list.find("only one"), std::string::npos);
}

TEST_F(masters, a_change_of_study) {
    // Below level 7 the master refuses.
    character_record& me = student(6, 25);
    me.status_bits = status_expert;
    input_feed keys("CL");
    converse_master();
    EXPECT_TRUE(shows(out.take(),
                      "  You are not ready yet my son, grow a little, become a\r\n"
                      "  stronger person and we will speak of this again.\r\n"));

    const struct {
        std::int16_t classes;
        const char* key;
        std::string says;
    } refusals[] = {
        {class_warrior, "w", "W\r\n  That is what you are NOW.\r\n"},
        {class_warrior | 128, "M", "M\r\n  You have alreadyMASTERED that profession.\r\n"},
        {class_warrior, "\r", "X\r\n  \"Very well, you will continue your path to mastery\"\r\n"},
        {class_warrior, "z", "Z\r\n  \"Very well, you will continue your path to mastery\"\r\n"},
    };
    for (const auto& r : refusals) {
        me.class_bits = r.classes;
        input_feed k(r.key);
        change_study();
        EXPECT_TRUE(out.take().ends_with("  Command? [X] : " + std::string(r.says))) << r.key;
        EXPECT_EQ(me.class_bits, r.classes);
        EXPECT_EQ(me.level, 6);
    }

    // A Warrior at 96 percent masters it; the Mage at 3 percent starts at level 1.
    me.class_bits = class_warrior;
    me.skill_percent = {96, 3, 0, 0, 0, 0};
    input_feed mage("m");
    change_study();
    EXPECT_TRUE(
        out.take().ends_with("    (M)age\r\n    (T)hief\r\n    (H)ealer\r\n    (R)anger\r\n    (P)aladin\r\n"
                             "    (X)Don't change area of study.\r\n\r\n   Changing area of study :\r\n\r\n"
                             "  Command? [X] : M\r\n"
                             "  \"I must congratulate you on mastering the skills of the Warrior.\"\r\n"
                             "    You are now a MASTER in the Warrior class.\r\n"
                             "  \"You will now continue life studying the arts of the Mage\"\r\n"));
    EXPECT_EQ(me.class_bits, 64 | class_mage);
    EXPECT_EQ((std::vector<int>{me.level, me.experience, me.skill_percent[1], me.attack, me.defense, me.shield_value,
                                me.hit_points, me.max_hit_points}),
              (std::vector<int>{1, 1, 5, 8, 4, 1, 20, 20}));

    // 150 percent (a script's doing) is level 20, not 30; the equipped items add their power.
    for (auto [pos, power] : {std::pair{pos_weapon, 7}, {pos_armor, 5}, {pos_shield, 3}}) {
        item_record i = item("thing", pos, power);
        i.equipped = 1;
        cur_inventory.push_back(i);
    }
    me.class_bits = class_mage;
    me.skill_percent = {0, 80, 0, 150, 0, 0};
    input_feed healer("H");
    change_study();
    EXPECT_TRUE(
        shows(out.take(), "    (W)arrior\r\n    (T)hief\r\n    (H)ealer\r\n    (R)anger\r\n    (P)aladin\r\n    (X)"));
    EXPECT_EQ(me.class_bits, class_healer);
    EXPECT_EQ((std::vector<int>{me.level, me.experience, me.skill_percent[3], me.attack, me.defense, me.shield_value,
                                me.hit_points, me.max_hit_points}),
              (std::vector<int>{20, 52'428'800, 150, 1535, 1149, 61, 3060, 3060}));
}
