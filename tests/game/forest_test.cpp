// The Forest of Wolves with the dice replaced: the menu and its default key, the search and
// its odds, every special event with its text and its effect on the character, the wishing
// well's letters to the player's own mailbox, the hidden word and its trivia question, the
// tree bank while another node's transfer arrives, the shared encounters and the bank drawer.
#include <gtest/gtest.h>

#include <cstdlib>

#include "combat_state.hpp"
#include "engine/rules/screens.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/lookups.hpp"
#include "game/bank.hpp"
#include "game/forest.hpp"
#include "game/hooks.hpp"
#include "game/menu.hpp"

namespace {
// A creature record of "forest.dat" written at its documented offsets.
std::string creature_bytes(const std::string& name, int level, int attack, int defense, int shield, int hp) {
    return golden(198)
        .str(0, name)
        .i16(41, level)
        .i16(43, attack)
        .i16(45, defense)
        .i16(47, shield)
        .i16(49, hp)
        .str(51, "Claws")
        .str(72, "Fur")
        .str(93, "It falls.")
        .i16(180, 2)
        .i32(182, 30)
        .i32(186, 12)
        .i32(190, 99)
        .b;
}

const std::string rule = "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
const std::string heading = "                             Special Event:\r\n" + rule + "\r\n";
const std::string any_key = "      [ Hit any key ]";

struct forest_state : combat_state {
    creature_list creatures;
    text_list menu;

    forest_state() {
        write_file("quortext.dat", "@#forest\nSDLFHYVR\n  The forest.\n@#traveller\nLHMSCVFR\n  The wagon.\n@#\n");
        write_file("forest.dat", creature_bytes("Thorn Sprite", 1, 6, 3, 1, 13) +
                                     creature_bytes("Grey Wolf Pup", 1, 5, 3, 1, 13) +
                                     creature_bytes("Timber Wolf", 3, 20, 14, 4, 41));
        game_forest_init();
        fights().clear();
        set_do_combat_hook([](character_record& foe) {
            fights().push_back(foe);
            return true;
        });
        read_creature_file("forest.dat", creatures, true);
        add_desc_line("  The forest.", menu);
        sub_location = 2;
    }
    ~forest_state() override {
        reset_game_hooks();
        sub_location = 0;
    }
    // The opponents the forest sent into a fight.
    static std::vector<character_record>& fights() {
        static std::vector<character_record> f;
        return f;
    }
    // The playing character, with creature fights left, in "players.dat".
    character_record& walker(std::int16_t level = 1) {
        character_record& c = fighter();
        c.level = level;
        c.creature_fights_left = 10;
        write_char_file(false);
        return c;
    }
    static std::string mailbox() { return file_present("user0001.dat") ? read_file("user0001.dat") : ""; }
};
using forest_test = forest_state;

// The forest's redraw for the walker: the status line, the title and the prompt.
std::string prompt(const character_record& c, char default_key = 'S') {
    return "\r\n   HP: (" + std::to_string(c.hit_points) + " / " + std::to_string(c.max_hit_points) +
           ")   Fights Left : " + std::to_string(c.creature_fights_left) + "    Gold : " + comma_number(c.gold) +
           "     Gems : " + std::to_string(c.gems) +
           "\r\n\r\n   Forest of Wolves :   (S,D,L,F,H,Y,V,R,?)\r\n\r\n  Command? [" + default_key + "] : ";
}

std::int16_t stored_i16(const std::string& players, std::size_t off) {
    return static_cast<std::int16_t>(static_cast<unsigned char>(players[off]) |
                                     (static_cast<unsigned char>(players[off + 1]) << 8));
}
std::int32_t stored_i32(const std::string& players, std::size_t off) {
    return static_cast<std::int32_t>(
        static_cast<std::uint16_t>(stored_i16(players, off)) |
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(stored_i16(players, off + 2))) << 16));
}
}  // namespace

TEST_F(forest_test, the_menu_shows_the_status_line_and_leaves_for_town) {
    character_record& me = walker();
    input_feed keys("?=L");
    forest();
    std::string p = prompt(me);
    EXPECT_EQ(out.take(), p + "?\r\n  The forest.\r\n" + p + "=\r\n" + p + "L\r\n");
    EXPECT_EQ(sub_location, 1);
    std::string players = read_file("players.dat");
    EXPECT_EQ(players.substr(194, 17), "fForest of Wolves");

    // Without creature fights the default is L, and S finds the forest empty.
    me.creature_fights_left = 0;
    sub_location = 2;
    input_feed more("s\r");
    forest();
    p = prompt(me, 'L');
    EXPECT_EQ(out.take(),
              p + "S\r\n\r\n  Sorry, the forest is EMPTY.  Perhaps you should return tomorrow.\r\n" + p + "L\r\n");
    EXPECT_TRUE(fights().empty());
}

TEST_F(forest_test, a_search_fights_a_creature_of_the_level_or_finds_none) {
    character_record& me = walker();
    // The second creature of level 1 by name; r = 100: no special event.
    seam.random_ranges.clear();
    rolls({1, 99, 5});
    forest_search(creatures, menu);
    ASSERT_EQ(fights().size(), 1u);
    EXPECT_EQ(fights()[0].name.view(), "Thorn Sprite");
    EXPECT_EQ(fights()[0].attack, 6);
    EXPECT_EQ(fights()[0].hit_points, 13);
    EXPECT_EQ(me.creature_fights_left, 9);
    EXPECT_EQ(out.take(), "  The forest.\r\n");
    EXPECT_EQ(seam.random_ranges, (std::vector<int>{2, 100, 10}));

    // Expert mode: no menu text after the fight.
    me.status_bits |= status_expert;
    rolls({0, 99, 5});
    forest_search(creatures, menu);
    EXPECT_EQ(fights().back().name.view(), "Grey Wolf Pup");
    EXPECT_EQ(out.take(), "");

    // No creature of level 2: never a special event, however lucky the draw.
    me.level = 2;
    rolls({0});
    forest_search(creatures, menu);
    EXPECT_EQ(out.take(), "\r\n  Nothing here seems to be at your level.\r\n");
    EXPECT_EQ(fights().size(), 2u);
    EXPECT_EQ(me.creature_fights_left, 8);
}

TEST_F(forest_test, luck_sets_the_odds_of_a_special_event) {
    character_record& me = walker();
    struct odds {
        int luck, roll;
        bool special;
    };
    for (odds o :
         {odds{30, 48, true}, odds{30, 49, false}, odds{0, 18, true}, odds{0, 19, false}, odds{-19, 0, false}}) {
        me.luck = static_cast<std::int16_t>(o.luck);
        std::size_t fought = fights().size();
        rolls({0, o.roll, 8, 5});  // event 9, the black cat
        forest_search(creatures, menu);
        std::string screen = out.take();
        EXPECT_EQ(
            screen.starts_with(heading + "  From out of nowhere, a large black cat streaks across your path.\r\n"),
            o.special)
            << o.luck << " " << o.roll << "\n"
            << screen;
        EXPECT_EQ(fights().size(), fought + (o.special ? 0 : 1));
    }
    // Each special event cost no creature fight.
    EXPECT_EQ(me.creature_fights_left, 7);
}

TEST_F(forest_test, the_sack_of_gold_comes_out_of_the_floating_gold) {
    character_record& me = walker(2);
    game_stats.floating_gold = 1000;
    input_feed keys("xx");
    rolls({99});
    forest_special_event(1, menu);
    EXPECT_EQ(out.take(), "  You find a sack containing 100 gold pieces in it.\r\n" + any_key);
    EXPECT_EQ(seam.random_ranges.back(), 800);
    EXPECT_EQ(me.gold, 200);
    EXPECT_EQ(game_stats.floating_gold, 900);
    // The pot gives first: it is on file before the gold is the player's.
    stat_record on_file;
    decode_record(read_file("quorstat.dat"), on_file);
    EXPECT_EQ(on_file.floating_gold, 900);

    // A pot below L x 400 is left alone; the purse stops at its limit.
    me.level = 10;
    me.gold = 199'999'000;
    game_stats.floating_gold = 3999;
    rolls({3999});
    forest_special_event(1, menu);
    EXPECT_EQ(out.take(), "  You find a sack containing 4,000 gold pieces in it.\r\n" + any_key);
    EXPECT_EQ(me.gold, 199'999'999);
    EXPECT_EQ(game_stats.floating_gold, 3999);
}

TEST_F(forest_test, the_three_lights_raise_a_figure_and_take_hit_points) {
    character_record& me = walker();
    me.hit_points = 21;
    input_feed keys("xxx");
    rolls({2, real(0.5)});
    forest_special_event(2, menu);
    EXPECT_EQ(out.take(),
              "  You are walking through the forest, whne you are hit by a bolt of\r\n"
              "  Blue light.  It surrounds you, envelops you, and drains you of your\r\n"
              "  Energy, but you can feel it making you tougher.\r\n"
              "  You gain 3 defense points.\r\n"
              "  You lose 10 hit points.\r\n" +
                  any_key);
    EXPECT_EQ(me.defense, 9);
    EXPECT_EQ(me.hit_points, 11);

    // One hit point: nothing to lose.
    me.hit_points = 1;
    rolls({3, real(0.99)});
    forest_special_event(3, menu);
    EXPECT_EQ(out.take(),
              "  You are walking through the forest, whne you are hit by a bolt of\r\n"
              "  Red light.  It surrounds you, envelops you, and drains you of your\r\n"
              "  Energy, but you can feel it making you stronger.\r\n"
              "  You gain 4 attack points.\r\n" +
                  any_key);
    EXPECT_EQ(me.attack, 14);
    EXPECT_EQ(me.hit_points, 1);

    // At most 100 hit points; the shield value stops at 87.
    me.hit_points = 500;
    me.shield_value = 86;
    rolls({3, real(0.75)});
    forest_special_event(4, menu);
    EXPECT_EQ(out.take(),
              "  You are walking through the forest, whne you are hit by a bolt of\r\n"
              "  Green light.  It surrounds you, envelops you, and drains you of your\r\n"
              "  Energy, but you can feel it making you more agile.\r\n"
              "  You gain 4 damage reduction points.\r\n"
              "  You lose 100 hit points.\r\n" +
                  any_key);
    EXPECT_EQ(me.shield_value, 87);
    EXPECT_EQ(me.hit_points, 400);
}

TEST_F(forest_test, the_gem_the_clover_and_the_black_cat) {
    character_record& me = walker();
    input_feed keys("x");
    forest_special_event(5, menu);
    EXPECT_EQ(out.take(), "  You find a gem partially hidden under a rock!\r\n" + any_key);
    EXPECT_EQ(me.gems, 1);

    me.luck = 29;
    forest_special_event(8, menu);
    forest_special_event(8, menu);
    const std::string clover =
        "  You curse your bad luck as you trip over an upturned tree root, but when\r\n"
        "  you land face down in the mud, you are staring right at a 4-leaf clover.\r\n"
        "  You gain 1 luck\r\n";
    EXPECT_EQ(out.take(), clover + clover);
    EXPECT_EQ(me.luck, 30);

    me.luck = -29;
    forest_special_event(9, menu);
    forest_special_event(9, menu);
    const std::string cat =
        "  From out of nowhere, a large black cat streaks across your path.\r\n  You lose 1 luck\r\n";
    EXPECT_EQ(out.take(), cat + cat);
    EXPECT_EQ(me.luck, -30);
    forest_special_event(15, menu);
    forest_special_event(0, menu);
    EXPECT_EQ(out.take(), "");
}

TEST_F(forest_test, the_cave_bear_is_built_from_the_level_and_fought_like_a_creature) {
    monster_record b = cave_bear(1);
    EXPECT_EQ(b.name.view(), "Huge Grizzly Bear");
    EXPECT_EQ(std::vector<int>({b.level, b.attack, b.defense, b.shield_value, b.hit_points}),
              std::vector<int>({1, 14, 3, 15, 24}));
    EXPECT_EQ(std::vector<std::int32_t>({b.gold, b.experience, b.strength}), std::vector<std::int32_t>({200, 40, 56}));
    EXPECT_EQ(b.weapon.view(), "Big Black Paw");
    EXPECT_EQ(b.armour.view(), "Big Fur Coat");
    EXPECT_EQ(b.death_text.view(), "RRRRRRRRRRRRRRRRRrrrrrrrrrrrrrrrr...");
    b = cave_bear(4);  // sums over 1..3: 6
    EXPECT_EQ(std::vector<int>({b.attack, b.defense, b.shield_value, b.hit_points}),
              std::vector<int>({98, 21, 33, 168}));
    EXPECT_EQ(cave_bear(10).shield_value, 87);
    // Figures past their 16-bit fields are held at the limit, never wrapped.
    b = cave_bear(200);
    EXPECT_EQ(std::vector<int>({b.attack, b.defense, b.hit_points}), std::vector<int>({32767, 32767, 32767}));
    EXPECT_EQ(cave_bear(32767).gold, 6'553'400);

    character_record& me = walker(4);
    input_feed keys("\rq");
    rolls({5});
    forest_special_event(6, menu);
    const std::string cave =
        "  You stumble across a large cave in the middle of the wilderness.\r\n"
        "  It is very dark, and smells pretty bad.\r\n\r\n"
        "  Do you Enter? (Y/N) [Y] : ";
    EXPECT_EQ(out.take(),
              cave + "Y\r\n\r\n  Entering the cave, you encounter a Huge Grizzley Bear!\r\n  The forest.\r\n");
    ASSERT_EQ(fights().size(), 1u);
    EXPECT_EQ(fights()[0].name.view(), "Huge Grizzly Bear");
    EXPECT_EQ(fights()[0].hit_points, 168);
    EXPECT_EQ(fights()[0].gold, 800);
    EXPECT_EQ(me.creature_fights_left, 9);

    forest_special_event(6, menu);
    EXPECT_EQ(out.take(), cave + "N\r\n\r\n  You guess you'll never know what fortunes could lie in that cave.\r\n");
    EXPECT_EQ(fights().size(), 1u);
    EXPECT_EQ(me.creature_fights_left, 9);
}

TEST_F(forest_test, the_wishing_well_writes_its_wish_to_the_players_own_mailbox) {
    character_record& me = walker(3);
    me.gems = 10;
    me.bank_gold = 1000;
    const std::string well =
        "  You stumble across a small, quaint well nestled deep in the forest.\r\n"
        "  It has a small wooden sign on it that says \"Wishes : 1 gem\".\r\n\r\n"
        "  Do you throw one in? (Y/N) [Y] : ";
    const std::string nothing = "  Nothing apparently happens.\r\n";
    input_feed keys("\ryyyyynY");

    rolls({19, real(0.25)});  // w = 20
    forest_special_event(7, menu);
    EXPECT_EQ(out.take(), well + "Y\r\n\r\n" + nothing);
    EXPECT_EQ(mailbox(),
              "#0000 `%Bank Notice :\n"
              "We regret to inform you that a mistake had been made in your favor.\n"
              "The error has been corrected, and the sum of 250 has\n"
              "been removed from your balance.  We regret the error being made.\n~\nADD BNK -250\n");
    EXPECT_EQ(me.gems, 9);
    EXPECT_EQ(me.bank_gold, 1000);  // only when the letter is read
    std::remove("user0001.dat");

    rolls({20});  // w = 21
    forest_special_event(7, menu);
    EXPECT_EQ(mailbox(),
              "#0000 `%Bummbling Move!\n"
              "On your way through town, you trip over your own feet and break your\n"
              "arm.  You realize that even though the healers can fix it, you will \n"
              "not be as strong as you once were.\n(You lose 6 attack points)\n"
              "(You lose 36 hit points due to pain)\n~\nADD CHP -36\nADD ATT -6\n");
    std::remove("user0001.dat");

    rolls({59, 2});  // w = 60, k = 4
    forest_special_event(7, menu);
    EXPECT_EQ(mailbox(),
              "#0000 `%Good Fortune!\n"
              "On your way back to town, a large bird drops a sack at your feet and\n"
              "flies off.  Being curious, you open the sack to reveal \n"
              "4 gems!  All beautifully polished.\n~\nADD GMS 4\n");
    std::remove("user0001.dat");

    // The strange light needs a weapon in hand: without one the gem is gone for nothing.
    rolls({60});  // w = 61
    forest_special_event(7, menu);
    EXPECT_EQ(mailbox(), "");
    EXPECT_EQ(me.gems, 6);
    item_record staff = item("Oak Staff", pos_weapon, 5);
    staff.equipped = 1;
    cur_inventory.push_front(staff);
    rolls({79, 1});  // w = 80, k = 4
    forest_special_event(7, menu);
    EXPECT_EQ(mailbox(),
              "#0000 `%Strange Event!\n"
              "On your way back to town, a shimmering green light shoots out of the sky\n"
              "striking your Oak Staff.  It now feels energized.\n"
              "(Your weapon has a +4 bonus)\n~\nADD MWP 4\nADD WPN 4\nADD ATT 4\n");
    std::remove("user0001.dat");

    // Luck pushes the wish past 100, which counts as 100.
    me.luck = 30;
    rolls({90});
    forest_special_event(7, menu);
    EXPECT_EQ(mailbox(),
              "#0000 `%Message from the Royal Family in Dressel :\n"
              "We have heard of your deeds, and wish you the best of luck in saving\n"
              "Shamile.  Our treasurer has sent over a small gift of 6,000 gold to aid you.\n"
              "(Due to their influence, you gain 4 charm and lose 6 shame)\n~\nADD CRM 4\nADD SHM -6\nADD GLD 6000\n");
    std::remove("user0001.dat");
    EXPECT_EQ(me.gems, 4);
    out.take();

    // No: the gem is kept. Yes without a gem: nothing to throw.
    forest_special_event(7, menu);
    EXPECT_EQ(out.take(),
              well + "N\r\n\r\n\r\n  You realize you would just be throwing a gem away as wishes dont come true.\r\n");
    me.gems = 0;
    forest_special_event(7, menu);
    EXPECT_EQ(out.take(), well + "Y\r\n\r\n  You don't have a GEM to throw in!\r\n");
    EXPECT_EQ(mailbox(), "");
    EXPECT_EQ(me.gems, 0);
}

TEST_F(forest_test, the_wagon_leads_to_the_sage_once_a_day) {
    character_record& me = walker();
    input_feed keys("\rxLn");
    forest_special_event(10, menu);
    std::string screen = out.take();
    EXPECT_TRUE(
        screen.starts_with("  From out of nowhere, a small wagon appears right in your path.\r\n"
                           "  Do you check it out? (Y/N) [Y] : Yes\r\n\r\n"
                           "  You slowly make your way to the door of the wagon and enter.\r\n" +
                           any_key + "  The wagon.\r\n"))
        << screen;
    EXPECT_TRUE(has_status_bit(me, status_met_traveller));
    forest_special_event(10, menu);
    EXPECT_EQ(out.take(),
              "  You are trekking along when you spy a wagon rolling along off in the\r\n"
              "  distance.  When you think you are about to catch it, the wagon disappears\r\n"
              "  into thin air.\r\n");
    me.status_bits = 0;
    forest_special_event(10, menu);
    EXPECT_EQ(out.take(),
              "  From out of nowhere, a small wagon appears right in your path.\r\n"
              "  Do you check it out? (Y/N) [Y] : No\r\n  You think it best if you left it alone.\r\n");
    EXPECT_FALSE(has_status_bit(me, status_met_traveller));
}

TEST_F(forest_test, the_church_is_a_script_only_when_the_event_file_says_so) {
    walker();
    const std::string blind =
        "  You remember hearing the rumor about a new church being formed out in\r\n"
        "  the forest as you stumble upon a small wooden structure.  It looks like\r\n"
        "  new construction, but as you get near, you realize it is nothing more\r\n"
        "  than a blind for hunting deer and other animals.\r\n"
        "  You think to yourself that the rumors are untrue.\r\n";
    forest_special_event(11, menu);
    EXPECT_EQ(out.take(), blind);
    write_file("events.scc", "112");
    forest_special_event(11, menu);
    EXPECT_EQ(out.take(), blind);
    EXPECT_TRUE(script_recorder::runs().empty());
    write_file("events.scc", "113");
    forest_special_event(11, menu);
    EXPECT_EQ(out.take(), "");
    EXPECT_EQ(script_recorder::runs(), (std::vector<std::string>{"events.scc 2"}));
}

TEST_F(forest_test, the_delivered_chapel_takes_a_gift_and_greets_its_champion) {
    const char* data = std::getenv("QV_DATA_DIR");
    write_file("events.scc", read_file(std::string(data ? data : "data") + "/events.scc"));
    engine_scripts_init();
    character_record& me = walker();
    me.gold = 600;
    input_feed keys("y");
    forest_special_event(11, menu);
    std::string screen = out.take();
    EXPECT_NE(screen.find("asks for a gift of 500 gold to"), std::string::npos) << screen;
    EXPECT_NE(screen.find("champion. Should the shadows ever close over you, we shall come.'"), std::string::npos)
        << screen;
    EXPECT_EQ(me.gold, 100);
    EXPECT_EQ(return_flag("FOREST_CHAMPION_OF_THE_CHURCH", flag_file_name(1), flags_section_name), "TRUE");
    forest_special_event(11, menu);
    EXPECT_NE(out.take().find("The brothers greet you as their champion"), std::string::npos);
    EXPECT_EQ(me.luck, 1);
    EXPECT_FALSE(file_present("temp.001"));
}

TEST_F(forest_test, the_leprechauns_clover_depends_on_luck_alone) {
    character_record& me = walker();
    // The registry's own image of the clover is the one given.
    item_record registered = four_leaf_clover();
    registered.cost = 777;
    write_file("items.dat", registry_image("`2Four Leaf Clover", "FrLC-03091997-QZ-N", 4, encode_record(registered)));
    const std::string meeting =
        "  You stop abruptly as you realize you are face to face with a Leprachaun.\r\n"
        "  He looks are you with large eyes, and holds out a 4-Leaf clover.  He\r\n"
        "  puts his hands behind his back and brings out two closed fists and\r\n"
        "  indicates that you should choose one.  Which do you choose?  Left or Right?\r\n";
    const std::string ask = "\r\n\r\n  Which do you choose? (R/L) : ";
    input_feed keys("x\rlR");
    rolls({28});  // 29 < 30
    forest_special_event(12, menu);
    EXPECT_EQ(out.take(), meeting + ask + "X" + ask + ask +
                              "Left\r\n"
                              "  You picked the correct hand!\r\n"
                              "  The Leprachaun throws the 4-Leaf clover into the air, and when you look up\r\n"
                              "  to catch it, the Leprachaun has vanished without a trace.\r\n"
                              "  (You catch the Four-Leaf Clover)\r\n");
    ASSERT_EQ(cur_inventory.size(), 1u);
    EXPECT_EQ(cur_inventory.front().cost, 777);
    EXPECT_EQ(file_items(), (std::vector<std::string>{"`2Four Leaf Clover"}));

    rolls({29});
    forest_special_event(12, menu);
    EXPECT_EQ(out.take(), meeting + ask +
                              "Right\r\n"
                              "  The Leprachaun opens up his hand to reveal... nothing!\r\n"
                              "  after that, the short little guy slowly dematerializes laughing the\r\n"
                              "  entire time.  His little green hat is the last thing to disappear.\r\n");
    EXPECT_EQ(cur_inventory.size(), 1u);
    EXPECT_EQ(me.luck, 0);
}

TEST_F(forest_test, the_hag_sells_up_to_two_potions_for_a_gem_each) {
    character_record& me = walker();
    const std::string hag =
        "  You encounter an ugly hag, and when she sees that you are not repulsed by\r\n"
        "  her appearance, she reaches into her bag and pulls out a vial of liquid.\r\n";
    const std::string offer =
        "  The old hag speaks:\r\n"
        "  \"For the price of 1 gem each, I will sell you up to 2 of these\r\n"
        "  magnificent potions.  You sweet thing, they will come in useful in the\r\n"
        "  future.  How many would you like?\"\r\n";
    const std::string ask = "\r\n  How Many? [0] :";
    forest_special_event(13, menu);
    EXPECT_EQ(out.take(), hag + "  \"Too bad deerie, I can tell you can't afford my goodies.\"\r\n");

    // No registry: the potion is built and registered on the spot.
    ASSERT_FALSE(file_present("items.dat"));
    me.gems = 5;
    input_feed keys("3\r-1\r2\r2\r0\r");
    forest_special_event(13, menu);
    EXPECT_EQ(out.take(), hag + offer + ask + "3\r\n" + ask + "-1\r\n" + ask + "2\r\n" +
                              "  You now have a Potion of Healing\r\n  You now have a Potion of Healing\r\n");
    EXPECT_EQ(me.gems, 3);
    ASSERT_EQ(cur_inventory.size(), 2u);
    EXPECT_EQ(cur_inventory.front().identified, 1);
    EXPECT_EQ(file_items(), (std::vector<std::string>{"`2Potion of Healing", "`2Potion of Healing"}));
    std::string registry = read_file("items.dat");
    ASSERT_EQ(registry.size(), 116u);
    EXPECT_EQ(registry.substr(0, 20), std::string("\x13`2Potion of Healing"));
    EXPECT_EQ(registry.substr(21, 19), std::string("\x12PotH-03091997-QZ-N"));

    // Fewer gems than asked: as many as the gems allow.
    me.gems = 1;
    forest_special_event(13, menu);
    EXPECT_EQ(out.take(), hag + offer + ask + "2\r\n  You only have 1 GEM!\r\n  You now have a Potion of Healing\r\n");
    EXPECT_EQ(me.gems, 0);
    EXPECT_EQ(cur_inventory.size(), 3u);
    me.gems = 4;
    forest_special_event(13, menu);
    EXPECT_EQ(out.take(), hag + offer + ask + "0\r\n");
    EXPECT_EQ(me.gems, 4);
    EXPECT_EQ(file_items().size(), 3u);
}

TEST_F(forest_test, the_pendant_is_taken_only_on_yes) {
    walker();
    const std::string statue =
        "  You stumble across an old statue of what appears to be an ancient warrior.\r\n"
        "  You study the statue in awe and notice a glint of sunlight from the statues\r\n"
        "  neck.  To your surprise, you spot a pendant around his neck.\r\n";
    const std::string ask = "\r\n  Do you take it? (Y/N) [N] : ";
    input_feed keys("z\ry");
    forest_special_event(14, menu);
    EXPECT_EQ(out.take(), statue + ask + "Z" + ask +
                              "No.\r\n  You wisely decide it best to leave the statue of the warrior alone.\r\n");
    EXPECT_TRUE(cur_inventory.empty());
    forest_special_event(14, menu);
    EXPECT_EQ(out.take(), statue + ask +
                              "Yes!\r\n"
                              "  You look around to make sure no-one is watching and you slide the pendant\r\n"
                              "  off the statues neck and into your pouch.\r\n"
                              "  You now have the Pendant of Life\r\n");
    EXPECT_EQ(file_items(), (std::vector<std::string>{"Pendant of Life"}));
}

TEST_F(forest_test, the_hidden_word_asks_the_trivia_question_once_a_day) {
    character_record& me = walker(3);
    const std::string question =
        "\r\n  Hmmmm.. You seem to be reading my mind.  Try this,\r\n"
        "  By Dressel's count of the moons, on what day was old King Orwen born?\r\n  [";
    input_feed keys("bRaMx512904L");
    std::string p = prompt(me);
    forest();
    EXPECT_EQ(out.take(), p + question +
                              "51/29/1904]\r\n\r\n  You are truly worthy!\r\n"
                              "  You receive 1500 gold coins and 3 gems!\r\n \r\n" +
                              prompt(me) + "L\r\n");
    EXPECT_EQ(me.gold, 1600);
    EXPECT_EQ(me.gems, 3);
    EXPECT_TRUE(has_status_bit(me, status_secret1));

    // Once a game day: B is then a key like any other without an action.
    sub_location = 2;
    input_feed again("bL");
    forest();
    EXPECT_EQ(out.take(), prompt(me) + "B\r\n" + prompt(me) + "L\r\n");

    // A wrong answer gets nothing, but the word is used up all the same.
    me.status_bits = 0;
    sub_location = 2;
    input_feed wrong("BRAMX051204L");
    forest();
    EXPECT_EQ(out.take(),
              prompt(me) + question + "05/12/1904]\r\n\r\n  Sorry, you get NOTHING.\r\n \r\n" + prompt(me) + "L\r\n");
    EXPECT_EQ(me.gold, 1600);
    EXPECT_TRUE(has_status_bit(me, status_secret1));
}

TEST_F(forest_test, a_mistyped_hidden_word_turns_its_fifth_key_into_the_command) {
    character_record& me = walker();
    sub_location = 2;
    // BRAMS: a search (r = 100, a fight); BRAML: leave.
    rolls({0, 99, 5});
    input_feed keys("bramsbraml");
    std::string before = prompt(me);
    forest();
    EXPECT_EQ(out.take(), before + "S\r\n  The forest.\r\n" + prompt(me) + "L\r\n");
    EXPECT_EQ(fights().size(), 1u);
    EXPECT_FALSE(has_status_bit(me, status_secret1));
    EXPECT_EQ(sub_location, 1);
    // A fifth key that every place answers alike: V, the statistics.
    display_stats();
    const std::string stats = out.take();
    sub_location = 2;
    input_feed v("bramvl");
    forest();
    EXPECT_EQ(out.take(), prompt(me) + "V\r\n" + stats + prompt(me) + "L\r\n");
}

TEST_F(forest_test, the_tree_bank_keeps_a_transfer_that_arrived_meanwhile) {
    character_record& me = walker();
    me.gold = 500;
    me.bank_gold = 100;
    write_char_file(false);
    // While the player stands in the forest, another node transfers 1,000 to the player's
    // account; the player then deposits at the tree.
    install_menu_poll();
    check_frequency = 1;
    static input_feed* feed = nullptr;
    input_feed keys;
    feed = &keys;
    set_check_for_random_event_hook([] {
        if (!feed) return false;
        edit_on_file([](character_record& c) { add_bank_gold(c, 1000); });
        feed->send("dL");
        feed = nullptr;
        return false;
    });
    forest();
    std::string screen = out.take();
    EXPECT_NE(screen.find("D\r\n\r\n  You wander over to a nearby tree, and while nobody is looking, pull a\r\n"
                          "  'special' branch and a panel opens up.  You put your money belt in, close\r\n"
                          "  the panel and hear the whirring noise.  After a few seconds, you open the\r\n"
                          "  panel and retrieve your money belt and receipt.\r\n\r\n   HP: (20 / 20)   Fights Left : "
                          "10    Gold : 0 "),
              std::string::npos)
        << screen;
    EXPECT_EQ(me.gold, 0);
    EXPECT_EQ(me.bank_gold, 1600);
    std::string players = read_file("players.dat");
    ASSERT_EQ(players.size(), 299u);
    EXPECT_EQ(stored_i32(players, 159), 0);
    EXPECT_EQ(stored_i32(players, 163), 1600);
    EXPECT_FALSE(file_present("hold.dat"));

    // The account holds 199,999,999 at most: the rest stays in hand.
    me.gold = 500;
    me.bank_gold = 199'999'900;
    tree_bank();
    EXPECT_TRUE(
        out.take().ends_with("  panel and retrieve your money belt and receipt.\r\n"
                             "  \"Your bank account cannot hold that much.\r\n"
                             "  You must hold on to some of this gold.\"\r\n"));
    EXPECT_EQ(me.bank_gold, 199'999'999);
    EXPECT_EQ(me.gold, 401);
    EXPECT_EQ(stored_i32(read_file("players.dat"), 163), 199'999'999);
}

TEST_F(forest_test, the_shared_encounters_by_kind) {
    character_record& me = walker();
    const std::string gem = "  Glistening off to your right, a golden gem catches your eye.\r\n  (You gain 1 gem.)\r\n";
    random_encounter(2);
    EXPECT_EQ(out.take(), gem);
    // Kind 0 reseeds and draws one of the three.
    int reseeds = seam.randomize_calls;
    rolls({1});
    random_encounter(0);
    EXPECT_EQ(out.take(), gem);
    EXPECT_EQ(seam.randomize_calls, reseeds + 1);
    EXPECT_EQ(seam.random_ranges.back(), 3);
    random_encounter(4);
    random_encounter(-1);
    EXPECT_EQ(out.take(), "");
    // A script's SHAREDEVENT reaches it.
    hook_random_encounter(2);
    EXPECT_EQ(out.take(), gem);
    EXPECT_EQ(me.gems, 3);
    EXPECT_EQ(game_hooks.forest, &forest);
}

TEST_F(forest_test, the_bank_drawer_theft) {
    character_record& me = walker(2);
    me.class_bits = class_thief;
    const std::string start = "\r\n  You're not thinking of... no... you'll get caught!\r\n  Do it? (Y/N) [N] : ";
    const std::string dip =
        "Yes.\r\n  The banker doesn't seem to be looking so you dip your hand\r\n  into the cash drawer.\r\n";
    input_feed keys("\ryyyy");
    steal_from_bank(2);
    EXPECT_EQ(out.take(), start + "No.\r\n  Chickening out eh?   Heh, yer just YELLOW.");

    int reseeds = seam.randomize_calls;
    rolls({50, real(0.5)});  // t = 51
    steal_from_bank(2);
    EXPECT_EQ(out.take(), start + dip + "  You manage to snag 1000 worth of coin.\r\n");
    EXPECT_EQ(me.gold, 1100);
    EXPECT_EQ(seam.randomize_calls, reseeds + 1);

    rolls({49});  // t = 50
    steal_from_bank(2);
    EXPECT_EQ(out.take(), start + dip + "  The drawer is EMPTY.");
    me.shame = 10;
    me.luck = 4;
    rolls({55});  // t = 56 + 4 - 10
    steal_from_bank(2);
    EXPECT_EQ(out.take(), start + dip + "  The drawer is EMPTY.");
    EXPECT_EQ(me.gold, 1100);

    me.class_bits = class_paladin | class_thief;
    steal_from_bank(2);
    EXPECT_EQ(out.take(), start + "Yes.\r\n  You wouldn't dare think of stealing.");
    steal_from_bank(0);
    steal_from_bank(3);
    EXPECT_EQ(out.take(), "");
}

TEST_F(forest_test, gems_lowered_on_file_buy_nothing) {
    struct row {
        int event;
        const char* keys;
        std::string answer;
    };
    const row rows[] = {
        {7, "Y", "  You don't have a GEM to throw in!"},
        {13, "2\r", "  \"Too bad deerie, I can tell you can't afford my goodies.\""},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.event);
        character_record& me = walker();
        me.gems = 10;
        write_char_file(false);
        // The gems on file taken; this node still sees 10.
        edit_on_file([](character_record& c) { c.gems = 0; });
        input_feed keys(r.keys);
        forest_special_event(r.event, menu);
        EXPECT_TRUE(out.take().ends_with(r.answer + "\r\n"));
        EXPECT_EQ(saved(1).gems, 0);
        EXPECT_EQ(me.gems, 0);
        EXPECT_EQ(mailbox(), "");
        EXPECT_TRUE(cur_inventory.empty() && file_items().empty());
    }
}
