// Fights between players on one node: the turn's rolls and what it sends, the win, the wait
// against lines appended as the other node would, and the menu's refusals and rules.
#include <gtest/gtest.h>

#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/text/lookups.hpp"
#include "multi/node_queue.hpp"
#include "multi/player_fight.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

namespace {
struct pfight : multi_state {
    pfight() {
        write_file("quortext.dat", "@#pfight\nAVRDL\n@#\n");
        anna();
        character_record& bob = other(2, "BOB");
        bob.location = "tTown Square";
        bob.hit_points = 30;
        bob.defense = 20;
        bob.experience = 500;
        character_record& dora = other(4, "dora", 2);
        dora.online = 0;
        dora.level = 7;
        save();
        check_frequency = 1;
        out.take();
    }
    std::string queue(int number) {
        std::string name = queue_file_name(static_cast<std::int16_t>(number));
        return file_present(name) ? read_file(name) : "";
    }
    // A change to another player's stored record, as its own node would make it.
    void stored(std::int16_t number, const std::function<void(character_record&)>& change) {
        std::vector<character_record> recs = file_chars();
        for (character_record& c : recs)
            if (c.number == number) change(c);
        put_chars(recs);
        refresh_char_file();
    }
    static int real(double r) { return static_cast<int>(r * (1 << 30) + 0.5); }
};

TEST_F(pfight, the_hit_chance_has_a_floor_and_a_drunk_penalty) {
    character_record a, b;
    a.attack = 20;
    b.defense = 120;
    EXPECT_EQ(player_hit_chance(a, b), 10);
    a.attack = 150;
    b.defense = 100;
    a.status_bits = status_drunk;
    EXPECT_EQ(player_hit_chance(a, b), 104);
}

TEST_F(pfight, a_blow_is_rolled_shielded_and_sent_naming_the_striker) {
    struct row {
        int attack;
        bool drunk;
        int shield;
        bool foe_drunk;
        int luck, foe_luck, hit_roll;
        double real;
        int r2_roll;
        std::string sent;
    } rows[] = {
        {30, false, 0, false, 0, 0, 0, 0.0, 99, "DAMAGE 31 1"},
        {30, false, 0, false, 0, 0, 0, 0.99, 99, "DAMAGE 41 1"},
        {30, false, 50, false, 0, 0, 0, 0.0, 99, "DAMAGE 16 1"},
        {30, false, 88, false, 0, 0, 0, 0.0, 99, "DAMAGE 4 1"},
        {30, false, 78, false, 0, 0, 0, 0.0, 99, "DAMAGE 7 1"},
        {30, false, 78, true, 0, 0, 0, 0.0, 99, "DAMAGE 4 1"},
        {30, false, 0, false, -30, 30, 0, 0.0, 0, "DDAMAGE 62 1"},
        {30, false, 0, false, -30, 30, 0, 0.0, 2, "DDAMAGE 62 1"},
        {30, false, 0, false, -30, 30, 0, 0.0, 3, "DAMAGE 31 1"},
        {30, true, 0, false, 0, 0, 0, 0.0, 99, "DAMAGE 28 1"},
        {30, false, 0, false, 0, 0, 90, 0.0, 99, "DAMAGE 0 1"},  // 91 > 80 + 30 - 20
    };
    for (const row& r : rows) {
        stored(2, [&](character_record& b) {
            b.hit_points = 1000;
            b.shield_value = static_cast<std::int16_t>(r.shield);
            b.status_bits = r.foe_drunk ? status_drunk : 0;
            b.luck = static_cast<std::int16_t>(r.foe_luck);
        });
        cur_char->attack = static_cast<std::int16_t>(r.attack);
        cur_char->luck = static_cast<std::int16_t>(r.luck);
        cur_char->status_bits = r.drunk ? status_drunk : 0;
        seam.rolls = {r.hit_roll, real(r.real), r.r2_roll};
        input_feed keys("a");
        online_fight_round("Bob", false);
        EXPECT_EQ(queue(2), r.sent + "\n") << r.sent;
        std::remove("node0002.msg");
    }
    out.take();
    cur_char->attack = 20;
    seam.rolls = {99};
    input_feed keys("\r");
    online_fight_round("Bob", false);
    EXPECT_EQ(plain(out.take()),
              "\n  Your hit points : 40\n  Bob's hit points : 1000\n\n  (A)ttack.\n  (R)un.\n"
              "  (V)iew your Stats.\n\n   Player Combat:\n  (A,R,V)\n\n  Command? [A] : A\n"
              "  You miss Bob completely.\n");
}

TEST_F(pfight, the_killing_blow_pays_saves_at_once_and_makes_the_news) {
    stored(2, [](character_record& b) { b.hit_points = 10; });
    cur_char->attack = 30;
    seam.rolls = {0, 0, 99};
    input_feed keys("ax");
    online_fight_round("Bob", false);
    std::string screen = plain(out.take());
    EXPECT_NE(screen.find("  You have defeated Bob!!\n\n  You gain 50 experience, and find 200 gold.\n"),
              std::string::npos)
        << screen;
    character_record saved = *char_num_ptr(1);
    for (const character_record& c : file_chars())
        if (c.number == 1) saved = c;
    EXPECT_EQ(saved.gold, 1000);
    EXPECT_EQ(saved.experience, 550);
    // Taken out of Bob's record in the same write that marks him dead, before his node hears
    // of the blow: whichever node ends now, he does not play on.
    for (const character_record& c : file_chars())
        if (c.number == 2) {
            EXPECT_EQ(c.gold, 0);
            EXPECT_EQ(c.dead, 1);
            EXPECT_EQ(c.hit_points, 0);
            EXPECT_EQ(c.experience, 450);
            EXPECT_EQ(c.online, 0);
        }
    EXPECT_EQ(queue(1), "VICTORY 0 2\n");
    EXPECT_EQ(queue(2), "DAMAGE 31 1\n");
    std::string news = read_file("news0.dat");
    EXPECT_NE(news.find("`bONLINE `%player fight today :\n"), std::string::npos) << news;
    EXPECT_NE(news.find(" `!Anna Smith`3 has killed "), std::string::npos) << news;
}

TEST_F(pfight, a_death_the_winner_wrote_is_died_here_once_never_fled) {
    struct row {
        const char* queued;           // the winner's node ended before its blow, left the realm, or struck
        bool bob_on_line, refreshed;  // refreshed: this copy took the death in before the blow
        const char* loss;
    } rows[] = {{"", false, false, "You lose 50 experience."},
                {"LEAVEREALM 2 0\n", true, false, "You lose 50 experience."},
                {"DAMAGE 31 2\n", true, true, "You lose 0 experience."}};
    set_own_base();
    const std::vector<character_record> alive = file_chars();
    for (const row& r : rows) {
        std::vector<character_record> recs = alive;
        for (character_record& c : recs)
            if (c.number == 1) fall_of(c);
        put_chars(recs);
        char_num_ptr(2)->online = r.bob_on_line;
        write_file("node0001.msg", r.queued);
        std::string screen = plain(run_in_child([&] {
                                       if (r.refreshed) refresh_char_file();
                                       input_feed keys("  ");
                                       keys.end();
                                       online_fight_wait("Bob");
                                   }).out);
        EXPECT_NE(screen.find(std::string("You have been killed!\n\n  ") + r.loss), std::string::npos) << screen;
        EXPECT_EQ(screen.find("FLED"), std::string::npos) << screen;
        for (const character_record& c : file_chars())
            if (c.number == 1) {
                EXPECT_TRUE(c.dead && c.experience == 450 && c.shame == 4) << r.queued;
            }
        put_chars(alive);
    }
}

// Bob's node goes after the check at A, before the killing blow is paid (at the blow's last roll).
struct leaving_at_the_blow : fake_seam {
    bool armed = false;
    int random(int n) override {
        if (armed && rolls.size() == 1) {
            std::vector<character_record> recs = file_chars();
            for (character_record& c : recs)
                if (c.number == 2) c.online = 0;
            put_chars(recs);
        }
        return fake_seam::random(n);
    }
};

TEST_F(pfight, an_opponent_that_left_gets_no_blow_and_yields_nothing) {
    struct row {
        std::string waiting;
        bool online;
        bool chat;
        std::string after;
        bool leaves_at_the_blow = false;
    } rows[] = {
        {"RUN 0 2\n", true, false, "RUN 0 2\n"},
        {"RUN 0 3\n", false, false, "RUN 0 3\nRUN 0 2\n"},
        {"", false, true, "CHAT_RUN 0 2\n"},
        {"", true, false, "RUN 0 2\n", true},
    };
    leaving_at_the_blow dice;
    cur_char->attack = 30;
    for (const row& r : rows) {
        write_file("node0001.msg", r.waiting);
        if (r.waiting.empty()) std::remove("node0001.msg");
        stored(2, [&](character_record& b) {
            b.online = r.online;
            b.hit_points = 10;
        });
        dice.armed = r.leaves_at_the_blow;
        dice.rolls = {0, 0, 99};
        input_feed keys("a ");  // the space: a win's key wait, were one shown
        online_fight_round("Bob", r.chat);
        EXPECT_EQ(queue(1), r.after);
        EXPECT_EQ(queue(2), "");
        EXPECT_EQ(cur_char->experience, 500);
    }
}

TEST_F(pfight, the_wait_takes_only_its_own_fight_and_leaves_the_rest_in_order) {
    write_file("node0001.msg", "PAGE 3\nATTACK 0 7\nCRECEIVE 2\nMESSAGE hi\nCRECEIVE 2\nRUN 0 2\n");
    seam.rolls = {99};
    EXPECT_TRUE(online_fight_wait("Bob"));
    EXPECT_EQ(plain(out.take()),
              "  Waiting for response from other node.  Hit X to bail.\n  Combat BEGINS!\n"
              "  Bob has FLED!  What a coward.\n");
    EXPECT_EQ(queue(2), "ATTACK 0 1\n");
    EXPECT_EQ(queue(1), "PAGE 3\nATTACK 0 7\nMESSAGE hi\n");

    // The opponent's leaving ends the wait and stays for the dispatcher.
    write_file("node0001.msg", "LEAVEREALM 2 0\n");
    EXPECT_TRUE(online_fight_wait("Bob"));
    EXPECT_EQ(queue(1), "LEAVEREALM 2 0\n");
    std::remove("node0001.msg");

    // A hit, then this side's turn: it runs. The wait takes a key typed before the turn (not X:
    // nothing happens); the turn takes the next.
    write_file("node0001.msg", "DAMAGE 5 2\n");
    input_feed keys(" r");
    EXPECT_FALSE(online_fight_wait("Bob"));
    EXPECT_EQ(cur_char->hit_points, 35);
    EXPECT_EQ(queue(2), "ATTACK 0 1\nRUN 0 1\n");
    EXPECT_EQ(queue(1), "");
}

struct ticking_seam : fake_seam {
    local_time now() override {
        advance_ms(1000);
        return time;
    }
};

TEST_F(pfight, a_wait_ends_by_x_or_by_silence_and_a_late_blow_still_lands) {
    {
        input_feed keys("x");
        EXPECT_FALSE(online_fight_wait("Bob"));
        EXPECT_EQ(queue(2), "RUN 0 1\n");
        std::remove("node0002.msg");
    }
    {
        ticking_seam clock;
        EXPECT_FALSE(online_fight_wait("Bob"));
        EXPECT_NE(plain(out.take()).find("\n  Bob does not answer.\n"), std::string::npos);
        EXPECT_EQ(queue(2), "RUN 0 1\n");
    }
    // Outside a fight a blow is taken without a turn, and can kill.
    write_file("node0001.msg", "DAMAGE 99 2\n");
    child_result r = run_in_child([] {
        input_feed keys(" ");
        check_node_messages(0);
    });
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(plain(r.out).find("Bob hits you for 99 points of damage."), std::string::npos) << r.out;
    for (const character_record& c : file_chars())
        if (c.number == 1) {
            EXPECT_EQ(c.dead, 1);
        }
}

TEST_F(pfight, the_menu_refuses_who_cannot_be_fought) {
    struct row {
        std::function<void(pfight&)> setup;
        std::string keys, shown;
    } rows[] = {
        {[](pfight&) { cur_char->player_fights_left = 0; }, "abob\ryl", "  You don't have any player fights left."},
        {[](pfight&) {}, "azed\rl", "  Sorry, there isn't anyone here with that name."},
        {[](pfight&) {}, "aanna\ryl", "  Sorry, you cannot attack that player."},
        {[](pfight& t) { t.stored(4, [](character_record& c) { c.dead = 1; }); }, "adora\ryl",
         "  Sorry, you cannot attack that player."},
        {[](pfight& t) { t.stored(4, [](character_record& c) { c.sleeping_guild = 1; }); }, "adora\ryl",
         "  Sorry, you cannot attack that player."},
        {[](pfight& t) { t.stored(2, [](character_record& c) { c.location = "fForest of Wolves"; }); }, "abob\ryl",
         "  You cannot find Bob"},
        {[](pfight& t) { t.stored(4, [](character_record& c) { c.level = 6; }); }, "adora\ryyl",
         "  That character is too low of a level for you to attack."},
    };
    for (const row& r : rows) {
        r.setup(*this);
        input_feed keys(r.keys);
        player_fight_menu();
        std::string screen = plain(out.take());
        EXPECT_NE(screen.find("\n" + r.shown + "\n"), std::string::npos) << screen;
        EXPECT_EQ(queue(2), "");
        cur_char->player_fights_left = 3;
        stored(4, [](character_record& c) { c.dead = c.sleeping_guild = 0, c.level = 7; });
        stored(2, [](character_record& c) { c.location = "tTown Square"; });
    }
}

TEST_F(pfight, away_players_are_scouted_and_fought_and_the_same_master_shames_twice) {
    std::string pupil = "dorb";
    for (char c = 'a'; alias_index(pupil) != alias_index("anna smith"); ++c) pupil = std::string("dor") + c;
    character_record p = make_char(5, pupil);
    p.level = 7;
    p.sex = 1;
    add_char(p);
    save();
    // Each time: found, scouted, attacked (Enter is Y), and run from at once.
    for (int i = 0; i < 2; ++i) {
        seam.rolls = {50, 50};
        input_feed keys("a" + pupil + "\ry\rrxl");
        player_fight_menu();
    }
    std::string screen = plain(out.take());
    EXPECT_NE(screen.find("  You scout around until you find him.\n  He is not wielding anything\n"
                          "  He is not wearing anything\n  He is not using a shield\n"
                          "  Warning : " +
                          proper_case(pupil) + " is a student of your master also.\n"),
              std::string::npos)
        << screen;
    EXPECT_NE(screen.find("  You encounter a " + proper_case(pupil) + "."), std::string::npos);
    EXPECT_TRUE(cur_char->status_bits & status_shamed_master);
    EXPECT_EQ(cur_char->shame, 3 + 6);
    EXPECT_EQ(cur_char->player_fights_left, 1);
}
}  // namespace
