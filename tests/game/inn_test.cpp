// The healers' temple, the Tall Tallow Inn and Louis: heals against the gold in hand, a room
// taken in a child process that ends, the friend asked for by name, the break-in's roll,
// shame and fight, and a guest who wakes or is deleted on another node meanwhile.
#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>

#include "combat_state.hpp"
#include "engine/store/record_file.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/game_init.hpp"
#include "game/healers.hpp"
#include "game/hooks.hpp"
#include "game/inn.hpp"
#include "game/menu.hpp"

namespace {
std::string prompt(const std::string& title, const std::string& keys, char default_key) {
    return "\r\n   " + title + ":  (" + keys + ",?)\r\n\r\n  Command? [" + std::string(1, default_key) + "] : ";
}
const std::string temple = "\r\n   Healers Temple:  (H,P,L,V,F,R,?)\r\n\r\n  Command? [";
const std::string inn_prompt = prompt("Tall Tallow Inn", "G,T,L,V,F,R", 'G');
const std::string louis = prompt("Conversing with Louis", "R,B,I,L,V", 'L');
const std::string louis_class = prompt("Conversing with Louis", "R,B,I,X,L,V", 'L');
const std::string guards =
    "  \"Oh no you don't!\"\r\n  \"Guards, Please escort our friend here to the STREET\r\n"
    "  You are not getting anywhere you filth you.\"\r\n      [ Hit any key ]";
const std::string noone = "\r\n  \"No, there is noone staying here by that name.\"\r\n";
std::string afford(int k, int hp) {
    return "\r\n  The healer says to you  :\r\n  \"I'm sorry, you can only afford to be healed " + std::to_string(k) +
           " hit points.\"\r\n  The healers heal " + std::to_string(k) + " hit points, taking you to " +
           std::to_string(hp);
}

struct inn_test : combat_state {
    inn_test() {
        write_file("quortext.dat",
                   "@#healers\nHPLVFR\n  (temple)\n@#tallowinn\nGTLVFR\n  (inn)\n@#innkeeper\nRBILV\n"
                   "  (louis)\n@#innk_warr\nRBIXLV\n  (warrior)\n@#innk_mage\nRBIXLV\n  (mage)\n@#\n");
        sub_location = 1;
        ::alarm(60);  // a key wait the test forgot to feed fails instead of hanging
    }
    ~inn_test() override {
        ::alarm(0);
        reset_game_hooks();
        sub_location = 0;
    }
    // The playing character "Hero" (a Warrior, online); with guests, also Sleepy asleep in
    // room 2, Awake who is not at the inn and Logging, still flagged asleep while logging in.
    character_record& hero(std::int16_t level, std::int16_t hp, std::int16_t max, std::int32_t gold,
                           bool guests = false) {
        del_char_list();
        character_record& me = fighter();
        me.level = level, me.hit_points = hp, me.max_hit_points = max, me.gold = gold, me.online = 1;
        me.location = "tTown Square";
        const char* names[] = {"SLEEPY", "AWAKE", "LOGGING"};
        for (std::int16_t n = 2; guests && n <= 4; ++n) {
            character_record c = make_char(n, names[n - 2]);
            c.hit_points = 1, c.max_hit_points = 30, c.experience = 1000;
            c.sleeping_inn = n != 3, c.online = n == 4;
            add_char(c);
        }
        write_char_file(false);
        return me;
    }
    static std::string guest_bytes() {
        for (const character_record& c : file_chars())
            if (c.number == 2) return records_image<character_record>(std::vector<character_record>{c});
        return "";
    }
};
}  // namespace

TEST_F(inn_test, the_healers_heal_what_the_gold_pays_for) {
    struct row {
        std::int16_t level, heal_cost, hp, max;
        std::int32_t gold;
        const char* keys;
        std::string shows;
        std::int16_t hp_after;
        std::int32_t gold_after;
    };
    const std::string full = "\r\n  The healers heal 10 hit points, taking you to 20\r\n      [ Hit any key ]";
    const std::string suit =
        "\r\n  \"Suit yourself, its no skin off my back.\" says a younger healer.\r\n" + temple + "H] : L";
    const std::string fine = "  \"But I see nothing wrong with you Hero\" says the healer.\r\n";
    const row rows[] = {
        {1, 6, 10, 20, 60, "H ",
         "H] : H\r\n  One of the healers runs over with a large bucket of Plaster of Paris,\r\n"
         "  sighs, and mumbles something about \"Where do I begin?\"\r\n" +
             full,
         20, 0},
        {1, 6, 10, 20, 60, "P10\rL", "healed? : 10\r\n" + afford(10, 20), 20, 0},
        {1, 6, 10, 20, 0, "HL", afford(0, 10), 10, 0},
        {1, 6, 10, 20, 500, "P0\rL", suit, 10, 500},
        {1, 6, 10, 20, 500, "P-5\rL", suit, 10, 500},
        {1, 6, 10, 20, 500, "Pabc\rL", suit, 10, 500},
        {1, 6, 10, 20, 500, "P99999\rL", "\r\n\r\n  The healers heal 10 hit points, taking you to 20\r\n", 20, 440},
        {20, 2000, 10, 20, 100000, "HL", "   It will cost 40000 gold per hit point to heal you.", 12, 20000},
        {1, -6, 10, 20, 0, "H ", full, 20, 0},
        {1, 6, 25, 20, 500, "HPL", fine + temple + "L] : P\r\n" + fine, 25, 500},
        {1, 6, 19, 20, 0, "HL", "  One of the healers runs over with a small bandage and asks you to\r\n", 19, 0},
        {1, 6, 18, 20, 0, "HL", "  One of the healers runs over with a large splint and asks you to\r\n", 18, 0},
        {1, 6, 12, 20, 0, "HL", "  One of the healers runs over with a large bucket of Plaster of Paris,\r\n", 12, 0},
        {1, 6, 8, 20, 0, "HL", "  One of the healers starts to run over, but trips over the leg you left\r\n", 8, 0},
        {1, 6, -3, 0, 0, "HL", "  One of the healers starts to run over, but trips over the leg you left\r\n", -3, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.keys + std::to_string(r.hp));
        character_record& me = hero(r.level, r.hp, r.max, r.gold);
        game_stats.heal_cost = r.heal_cost;
        input_feed keys(r.keys);
        do_healers();
        std::string screen = out.take();
        EXPECT_TRUE(
            screen.starts_with("  (temple)\r\n\r\n  Your current Hit Points : " + std::to_string(r.hp) + " / "));
        EXPECT_TRUE(shows(screen, r.shows));
        EXPECT_EQ(me.hit_points, r.hp_after);
        EXPECT_EQ(me.gold, r.gold_after);
        EXPECT_EQ(saved(1).gold, r.gold_after);
    }
}

TEST_F(inn_test, the_healers_give_the_forest_back) {
    character_record& me = hero(1, 20, 20, 0);
    me.location = "fForest of Wolves";
    sub_location = 3;
    game_init();  // the forest's H and a script's HEALER reach the temple through one entry
    game_inn_init();
    input_feed keys("\r");
    hook_do_healers();
    EXPECT_TRUE(out.take().ends_with(temple + "L] : L\r\n"));
    EXPECT_EQ(saved(1).location.str(), "fForest of Wolves");
    EXPECT_EQ(sub_location, 3);
}

TEST_F(inn_test, a_room_ends_the_game_asleep_and_paid_for) {
    struct row {
        std::int16_t level, room_cost;
        std::int32_t gold;
        bool taken;
    };
    const row rows[] = {{1, 300, 300, true},
                        {1, 300, 299, false},
                        {20, 2000, 40000, true},
                        {20, 2000, 39999, false},
                        {3, -300, 0, true}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.gold);
        hero(r.level, 20, 20, r.gold);
        game_stats.room_cost = r.room_cost;
        child_result c = run_in_child([&] {
            input_feed keys(r.taken ? "gy" : "gyl");
            inn();
        });
        EXPECT_EQ(c.code, 0);
        EXPECT_TRUE(shows(c.out, "G\r\n\r\n  Louis informs you :\r\n  \"A room will cost you " +
                                     std::to_string(std::max(0, r.level * r.room_cost)) +
                                     " gold coins.\"\r\n  Still Interested? (Y/N) [N] : Y\r\n"));
        character_record s = saved(1);
        EXPECT_EQ(s.location.str(), "bTall Tallow Inn");
        EXPECT_EQ(s.sleeping_inn, r.taken);
        EXPECT_EQ(s.online, !r.taken);
        EXPECT_EQ(s.gold, r.taken ? 0 : r.gold);
        EXPECT_TRUE(c.out.ends_with(r.taken ? "  of the inn.  You find your room and get comfortable for the night.\r\n"
                                            : "  \"And how exactly are you going to PAY for that?  Ahem...\"\r\n" +
                                                  inn_prompt + "L\r\n"));
    }
}

TEST_F(inn_test, asking_louis_for_a_friend) {
    struct row {
        std::int16_t class_bits;
        std::string keys, screen;
    };
    const std::string ask = "I\r\n  \"I am sure you do, and what might this friends name be?\"\r\n  : ";
    const std::string found =
        ask +
        "sleepy\r\n\r\n  \"Why yes, we do have a Sleepy staying here\"\r\n"
        "  With that, Louis shows you his list to show you that Sleepy\r\n  is staying in room number 2\r\n";
    const row rows[] = {
        {class_warrior, "Isleepy\r?L", found + louis_class + "?\r\n  (warrior)\r\n" + louis_class + "L\r\n"},
        {class_mage | class_warrior, "Isleepy\rIawake\r?L",
         found + louis_class + ask + "awake\r\n" + noone + louis_class + "?\r\n  (warrior)\r\n" + louis_class +
             "L\r\n"},
        {class_warrior, "ILogging\rL", ask + "Logging\r\n" + noone + louis + "L\r\n"},
        {class_warrior, "Inobody\rL", ask + "nobody\r\n" + noone + louis + "L\r\n"},
        {class_warrior, "I\rL", ask + "\r\n\r\n  \"Harumph... That is exactly what I thought.\"\r\n" + louis + "L\r\n"},
        {class_warrior, "XRBL",
         "X\r\n" + louis +
             "R\r\n\r\n  Louis says to you :\r\n"
             "  \"The rooms here at the Tall Tallow Inn are the finest in this part\r\n"
             "  of the country.  They are kept clean, they are secure, and no-one\r\n"
             "  will bother you if you do not want to be bothered.\"\r\n" +
             louis +
             "B\r\n\r\n  \"What kind of establishment do you think I run here anyway?\r\n  You want "
             "I should have to call the sentry in here to have you locked up?\"\r\n" +
             louis + "L\r\n"},
        {class_paladin, "Isleepy\rXL", found + louis + "X\r\n" + louis + "L\r\n"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.keys);
        hero(10, 20, 20, 100, true).class_bits = r.class_bits;
        rolls({0, 99});
        input_feed keys(r.keys);
        innkeeper();
        EXPECT_EQ(out.take(), "  (louis)\r\n" + louis + r.screen);
        EXPECT_EQ(sub_location, 2);
        EXPECT_EQ(seam.rolls.size(), 2u);  // no break-in was tried
    }
}

TEST_F(inn_test, the_break_in_roll_its_shame_and_its_fight) {
    struct row {
        std::int16_t level, class_bits, shame;
        int draw;
        std::string lines;
        std::int16_t shame_after;
    };
    // Random(100) + 1 + luck + the level's bonus (halves to even): -14 at 1, 0 at 10, 15 at 20.
    const std::string warrior = "  You manage to knock Louis unconcious when he isn't looking.\r\n";
    const row rows[] = {
        {10, class_warrior | class_healer, 3, 49,
         warrior + "  Louis slumps to the floor.  He'll be out for a couple minutes.\r\n", 8},
        {1, class_mage | class_ranger, 32766, 63,
         "  Louis starts to wobble as you start your spell, and then he's under.\r\n"
         "  You instruct your pet on what to do, and in a minute, you have the keys.\r\n",
         32767},
        {20, class_thief, -40, 34, "  You snagged his keys when he wasn't looking.\r\n", -40},
        {10, class_warrior, 0, 48, "", 0},
        {1, class_warrior, 0, 62, "", 0},
        {20, class_warrior, 0, 33, "", 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.draw);
        character_record& me = hero(r.level, 20, 20, 100, true);
        me.class_bits = r.class_bits, me.shame = r.shame;
        seam.random_ranges.clear();
        seam.sleeps.clear();
        rolls({7, r.draw});
        bool in = !r.lines.empty();
        // In, one blow fells the sleeper: the rest of the fight rolls 0.
        input_feed keys(in ? "Isleepy\rXA  " : "Isleepy\rX ");
        innkeeper();
        std::string screen = out.take();
        ASSERT_GE(seam.random_ranges.size(), 2u);
        EXPECT_EQ(seam.random_ranges[0], 30);
        EXPECT_EQ(seam.random_ranges[1], 100);
        EXPECT_EQ(seam.sleeps.front(), 7);
        EXPECT_EQ(sub_location, 1);
        EXPECT_EQ(me.shame, r.shame_after);
        EXPECT_EQ(has_status_bit(me, status_thwarted), !in);
        EXPECT_EQ(saved(2).dead, in);
        if (in) {
            EXPECT_TRUE(shows(
                screen,
                "X\r\n\r\n" + r.lines +
                    "  You find room number 2\r\n"
                    "  You quickly unlock the door and find Sleepy waiting for you.\r\n  You encounter a Sleepy.\r\n"));
            EXPECT_EQ(saved(1).shame, r.shame_after);
            continue;
        }
        EXPECT_TRUE(screen.ends_with("X\r\n" + guards)) << screen;
        // Thwarted today: the next try is refused before any roll.
        seam.random_ranges.clear();
        input_feed again("Isleepy\rX ");
        innkeeper();
        EXPECT_TRUE(out.take().ends_with(louis_class + "X\r\n\r\n" + guards));
        EXPECT_TRUE(seam.random_ranges.empty());
    }
}

TEST_F(inn_test, a_guest_who_wakes_or_goes_on_another_node_leaves_an_empty_room) {
    static input_feed* feed = nullptr;
    static void (*other_node)() = nullptr;
    static std::string after_other;
    install_menu_poll();
    check_frequency = 1;
    // While the player stands at Louis' counter, the other node changes the guest.
    set_check_for_random_event_hook([] {
        if (!feed) return false;
        EXPECT_EQ(run_in_child([] {
                      cur_char = nullptr;
                      other_node();
                  }).code,
                  0);
        after_other = guest_bytes();
        std::exchange(feed, nullptr)->send("X ");
        return false;
    });
    void (*logs_in)() = [] { update_under_hold([] { char_num_ptr(2)->online = 1; }); };
    void (*deleted)() = [] { update_under_hold([] { char_list.remove_if([](auto& c) { return c.number == 2; }); }); };
    for (auto change : {logs_in, deleted}) {
        character_record& me = hero(10, 20, 20, 100, true);
        rolls({0, 99});
        input_feed keys("Isleepy\r");
        feed = &keys, other_node = change;
        innkeeper();
        EXPECT_TRUE(
            out.take().ends_with("X\r\n\r\n  You manage to knock Louis unconcious when he isn't looking.\r\n"
                                 "  You find room number 2\r\n  You quickly unlock the door, but the room is empty.\r\n"
                                 "\r\n  You think it would be best if you left now.\r\n      [ Hit any key ]"));
        EXPECT_EQ(guest_bytes(), after_other);
        EXPECT_EQ(saved(1).shame, 2);
        EXPECT_EQ(me.shame, 2);
        EXPECT_FALSE(file_present("hold.dat"));
    }
}

TEST_F(inn_test, a_purse_lowered_on_file_pays_for_nothing) {
    struct row {
        const char* what;
        void (*place)();
        std::string keys, answer;
    };
    const row rows[] = {
        {"room", inn, "gyl", "  \"And how exactly are you going to PAY for that?  Ahem...\""},
        {"heal all", do_healers, "HL", afford(0, 10)},
        {"heal part", do_healers, "P10\rL", afford(0, 10)},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        hero(1, 10, 20, 300);  // the node's copy pays for a room and every point
        game_stats.room_cost = 300, game_stats.heal_cost = 6;
        // The purse on file lowered below one point's price.
        edit_on_file([](character_record& c) { c.gold = 5; });
        child_result c = run_in_child([&] {
            input_feed keys(r.keys);
            r.place();
        });
        EXPECT_EQ(c.code, 0);
        EXPECT_TRUE(shows(c.out, r.answer + "\r\n"));
        character_record s = saved(1);
        EXPECT_EQ(s.gold, 5);
        EXPECT_EQ(s.hit_points, 10);
        EXPECT_EQ(s.sleeping_inn, 0);
    }
}
