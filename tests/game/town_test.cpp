// The town square: its entry steps, every key of its table with the tail that follows the
// place, expert mode, leaving, the character listing, the test commands; and the realm
// choice: its keys, its default key by level, short key strings and the thug's ambush.
#include <gtest/gtest.h>

#include <memory>

#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "game_state.hpp"

namespace {
const std::string header =
    "\r\n   Central Square :  (E,I,T,G,H,F,M,P,B,W,S,A,N,K,Y,X,L,V,C,D,O,R,.,?)\r\n\r\n  Command  : ";

struct town : game_state {
    town() {
        town_texts();
        caller();
    }
    // The square with the keys typed ahead (the first answers the statistics' key wait
    // unless resuming); the screen.
    std::string square(const std::string& keys, bool resume = false) {
        input_feed feed(keys);
        fakes().keys = &feed;
        town_square(resume);
        fakes().keys = nullptr;
        return out.take();
    }
    // What the screen shows after the key's echo, up to the next header.
    static std::string after_key(const std::string& screen, char key, int nth = 1) {
        std::string mark = std::string("Command  : ") + key + "\r\n";
        std::size_t p = 0;
        for (int i = 0; i < nth; ++i) {
            p = screen.find(mark, p);
            if (p == std::string::npos) return "<no " + mark + ">";
            p += mark.size();
        }
        std::size_t q = screen.find(header, p);
        return screen.substr(p, q == std::string::npos ? std::string::npos : q - p);
    }
    static std::string saved_location() { return file_chars()[0].location.str(); }
};

// A place that moves the player and saves, as the real places do.
void moves_away() {
    cur_char->location = "bElsewhere";
    write_char_file(false);
}
}  // namespace

TEST_F(town, entry_steps_in_their_order) {
    // Two others online (one of them this player's namesake on no account), one offline.
    character_record on = make_char(2, "BOB");
    on.online = 1;
    character_record off = make_char(3, "CID");
    put_chars({file_chars()[0], on, off});
    refresh_char_file();
    cur_char->online = 1;
    fakes().mail_waiting = 1;
    write_file("startup.scr", "@#MAIN\n  Halt\n@#\n");
    write_file("node0001.msg", "MESSAGE old\n");
    std::string screen = square("xLY");
    EXPECT_EQ(places(), (strings{"clear_in_event", "news[0]", "read_mail", "send 2 ENTERREALM 1"}));
    EXPECT_EQ(script_recorder::runs(), strings{"startup.scr "});
    EXPECT_FALSE(file_present("node0001.msg"));
    EXPECT_NE(screen.find("Character Statistics"), std::string::npos);
    EXPECT_NE(screen.find("\r\n\r\n      [ Hit any key ]\r\n  (square menu)\r\n" + header + "L\r\n"), std::string::npos)
        << screen;
    EXPECT_TRUE(screen.ends_with("  Leave game, are you sure? (Y/N) [N] :Yes.\r\n"));
    EXPECT_EQ(saved_location(), "tTown Square");
    EXPECT_EQ(sub_location, 0);
}

TEST_F(town, a_resumed_entry_skips_the_statistics_news_and_arrival) {
    write_file("startup.scr", "@#MAIN\n  Halt\n@#\n");
    write_file("node0001.msg", "MESSAGE old\n");
    std::string screen = square("LY", true);
    EXPECT_EQ(places(), strings{"clear_in_event"});
    EXPECT_EQ(script_recorder::runs(), strings{"startup.scr "});
    EXPECT_FALSE(file_present("node0001.msg"));
    EXPECT_TRUE(screen.starts_with("  (square menu)\r\n" + header + "L\r\n")) << screen;
}

TEST_F(town, waking_up_in_the_inn_or_the_guild_hall) {
    cur_char->location = "bTall Tallow Inn";
    cur_char->sleeping_inn = 1;
    fakes().mail_waiting = 1;
    square("LY", true);
    EXPECT_EQ(places(), (strings{"clear_in_event", "read_mail", "inn"}));
    EXPECT_EQ(cur_char->sleeping_inn, 0);

    install_town_fakes();
    cur_char->location = "hGuild Hall";
    cur_char->sleeping_guild = 1;
    cur_char->sleeping_inn = 1;  // not in the inn: stays
    square("LY", true);
    EXPECT_EQ(places(), (strings{"clear_in_event", "guild_hall"}));
    EXPECT_EQ(cur_char->sleeping_guild, 0);
    EXPECT_EQ(cur_char->sleeping_inn, 1);
}

TEST_F(town, every_place_key_and_its_tail) {
    struct row {
        char key;
        std::string call;
        enum { full, guarded, menu } tail;
    };
    const row rows[] = {
        {'I', "inn", row::full},
        {'T', "tavern", row::full},
        {'G', "guild_area", row::guarded},
        {'H', "healers", row::menu},
        {'M', "masters_house", row::guarded},
        {'P', "player_fight_menu", row::guarded},
        {'B', "bank", row::guarded},
        {'W', "weapon_shop", row::guarded},
        {'S', "shield_shop", row::guarded},
        {'A', "armour_shop", row::guarded},
        {'N', "news[]", row::menu},
        {'K', "post_announcement", row::guarded},
        {'C', "read_mail", row::guarded},
        {'D', "send_mail[]", row::guarded},
        {'O', "other_realms", row::guarded},
        {'.', "chat_room", row::guarded},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.call);
        install_town_fakes();
        fakes().acts[r.call] = moves_away;
        std::string screen = square(std::string(1, r.key) + "LY", true);
        EXPECT_EQ(places(), (strings{"clear_in_event", r.call}));
        // Every tail here shows the menu; full and guarded also put the player back and save.
        EXPECT_EQ(after_key(screen, r.key), "  (square menu)\r\n");
        EXPECT_EQ(saved_location(), r.tail == row::menu ? "bElsewhere" : "tTown Square");

        // A place that ends the square (sub_location 0): only the full tail still runs.
        install_town_fakes();
        fakes().acts[r.call] = [] {
            moves_away();
            sub_location = 0;
        };
        screen = square(std::string(1, r.key), true);
        EXPECT_EQ(after_key(screen, r.key), r.tail == row::full ? "  (square menu)\r\n" : "");
        EXPECT_EQ(saved_location(), r.tail == row::full ? "tTown Square" : "bElsewhere");
    }
}

TEST_F(town, expert_mode_hides_the_menus_but_not_the_headers) {
    std::string screen = square("XBXBLY", true);
    EXPECT_EQ(after_key(screen, 'X'), "\r\n  Expert mode ON.\r\n");
    EXPECT_EQ(after_key(screen, 'B'), "");
    EXPECT_EQ(after_key(screen, 'X', 2), "\r\n  Expert mode OFF.\r\n");
    EXPECT_EQ(after_key(screen, 'B', 2), "  (square menu)\r\n");
    EXPECT_FALSE(has_status_bit(*cur_char, status_expert));
    // "?" shows the menu whatever the mode; expert mode at entry hides it.
    cur_char->status_bits |= status_expert;
    screen = square("?LY", true);
    EXPECT_TRUE(screen.starts_with(header + "?\r\n  (square menu)\r\n")) << screen;
}

TEST_F(town, leaving_asks_first_and_other_keys_do_nothing) {
    std::string screen = square("lnqzLy", true);
    EXPECT_EQ(after_key(screen, 'L'), "  Leave game, are you sure? (Y/N) [N] :No.\r\n");
    EXPECT_EQ(after_key(screen, 'Q'), "");
    EXPECT_EQ(after_key(screen, 'Z'), "");
    EXPECT_EQ(after_key(screen, 'L', 2), "  Leave game, are you sure? (Y/N) [N] :Yes.\r\n");
    EXPECT_EQ(places(), strings{"clear_in_event"});
}

TEST_F(town, the_screens_of_the_square) {
    character_record b = make_char(12, "`4bob the great");
    b.class_bits = 2 | 64;
    add_char(b);
    write_char_file(false);
    std::string screen = square("-VFR=Y\rLLY", true);
    // The name is padded with its colour codes counted, as the listing always was.
    EXPECT_EQ(after_key(screen, '-'), "  Anna                      1  0\r\n  Bob The Great          12  66\r\n");
    EXPECT_NE(after_key(screen, 'V').find("Character Statistics"), std::string::npos);
    EXPECT_NE(after_key(screen, 'F').find("Realm"), std::string::npos);
    EXPECT_NE(after_key(screen, 'R').find("Player Rankings"), std::string::npos);
    EXPECT_NE(after_key(screen, '=').find("This game is on day"), std::string::npos);
    // The inventory, then the guarded tail and the inventory file written.
    std::string inv = after_key(screen, 'Y');
    EXPECT_NE(inv.find("Inventory Menu"), std::string::npos);
    EXPECT_TRUE(inv.ends_with("  (square menu)\r\n")) << inv;
    EXPECT_TRUE(file_present("invt0001.dat"));
}

TEST_F(town, the_test_commands) {
    // "*" runs config.scr (guarded tail); "/" runs script.scr with a creature of the player's
    // level from "forest.dat" as the opponent, then frees it.
    write_file("forest.dat", "creatures");
    static std::string seen;
    set_read_creature_file_hook([](const std::string& file) {
        fake_call("creatures " + file);
        return script_creatures(std::make_shared<int>(0), reinterpret_cast<script_creature_list*>(&seen));
    });
    set_random_creature_hook([](script_creature_list&, std::int16_t level) {
        fake_call("random_creature " + std::to_string(level));
        return reinterpret_cast<monster_record*>(&seen);
    });
    set_mob_to_char_hook([](const monster_record&) {
        auto c = std::make_unique<character_record>();
        c->name = "Wolf";
        return c;
    });
    script_recorder::action() = [](std::string_view file, std::string_view) {
        seen = std::string(file) + ":" + (opponent ? opponent->name.str() : "none");
    };
    cur_char->level = 4;
    std::string screen = square("*/LY", true);
    EXPECT_EQ(script_recorder::runs(), (strings{"config.scr ", "script.scr "}));
    EXPECT_EQ(after_key(screen, '*'), "  (square menu)\r\n");
    EXPECT_EQ(after_key(screen, '/'), "Disposing makes NIL\r\n");
    EXPECT_EQ(places(), (strings{"clear_in_event", "creatures forest.dat", "random_creature 4"}));
    EXPECT_EQ(seen, "script.scr:Wolf");
    EXPECT_EQ(opponent, nullptr);

    // Without a creature file the script runs without an opponent.
    std::remove("forest.dat");
    install_town_fakes();
    square("/LY", true);
    EXPECT_EQ(seen, "script.scr:none");
    EXPECT_EQ(places(), strings{"clear_in_event"});
}

TEST_F(town, polls_look_at_mail_then_the_queue_then_the_events) {
    check_frequency = 1;
    fakes().mail_waiting = 1;
    fakes().messages_waiting = 1;
    fakes().type_on = "events";
    fakes().keys_typed = "LY";
    fakes().calls.clear();
    std::string screen = square("", true);
    EXPECT_EQ(calls(), (strings{"clear_in_event", "mail?", "read_mail", "mail?", "queue?", "check_node_messages 0",
                                "mail?", "queue?", "events"}));
    // The prompt again after the mail and after the message, not after a quiet event check.
    std::size_t prompts = 0;
    for (std::size_t p = 0; (p = screen.find(header, p)) != std::string::npos; ++p) ++prompts;
    EXPECT_EQ(prompts, 3u);

    // A check_frequency below 1 counts as 1; an event that ran shows the prompt again.
    install_town_fakes();
    check_frequency = -5;
    fakes().event_results = 1;
    fakes().type_on = "events";
    fakes().keys_typed = "LY";
    screen = square("", true);
    EXPECT_EQ(calls(), (strings{"clear_in_event", "mail?", "queue?", "events"}));
    prompts = 0;
    for (std::size_t p = 0; (p = screen.find(header, p)) != std::string::npos; ++p) ++prompts;
    EXPECT_EQ(prompts, 2u);
}

TEST_F(town, the_poll_check) {
    check_frequency = 3;
    std::int32_t polls = 2;
    fakes().mail_waiting = fakes().messages_waiting = 1;
    EXPECT_FALSE(poll_check(polls, true, true));
    EXPECT_EQ(polls, 2);
    EXPECT_EQ(calls(), strings{});
    polls = 3;
    EXPECT_TRUE(poll_check(polls, true, true));
    EXPECT_EQ(polls, 0);
    // Beyond the frequency (the counter is compared with >=) it runs too; without mail it
    // goes to the queue; without random events it stops there.
    polls = 1000000;
    EXPECT_TRUE(poll_check(polls, false, false));
    polls = 3;
    EXPECT_FALSE(poll_check(polls, false, false));
    fakes().event_results = 1;
    polls = 3;
    EXPECT_TRUE(poll_check(polls, false, true));
    EXPECT_EQ(calls(),
              (strings{"mail?", "read_mail", "queue?", "check_node_messages 0", "queue?", "queue?", "events"}));
}

TEST_F(town, the_realm_choice) {
    cur_char->level = 1;
    std::string screen = square("EfVMUc?LLY", true);
    EXPECT_EQ(places(), (strings{"clear_in_event", "forest", "valley", "mountain"}));
    const std::string realm_header = "\r\n   Enter Realm :  (F,V,M,U,C,L,?)\r\n\r\n  Command? [F] : ";
    EXPECT_NE(screen.find("E\r\n  (realm menu)\r\n" + realm_header + "F\r\n" + realm_header + "V\r\n" + realm_header +
                          "M\r\n" + realm_header + "U\r\nSorry, that realm is under CONSTRUCTION.\r\n" + realm_header +
                          "C\r\nSorry, that realm is under CONSTRUCTION.\r\n" + realm_header +
                          "?\r\n  (realm menu)\r\n" + realm_header + "L\r\n  (square menu)\r\n"),
              std::string::npos)
        << screen;
    EXPECT_EQ(cur_char->location, "tTown Square");
    EXPECT_EQ(saved_location(), "tTown Square");
}

TEST_F(town, a_realm_that_returns_to_town_ends_the_realm_choice) {
    fakes().acts["forest"] = [] { sub_location = 1; };
    std::string screen = square("E\rLY", true);
    EXPECT_EQ(places(), (strings{"clear_in_event", "forest"}));
    EXPECT_NE(screen.find("[F] : F\r\n  (square menu)\r\n"), std::string::npos) << screen;
    // A realm that ends the game (sub_location 0) ends the square too.
    install_town_fakes();
    fakes().acts["valley"] = [] { sub_location = 0; };
    square("EV", true);
    EXPECT_EQ(places(), (strings{"clear_in_event", "valley"}));
}

TEST_F(town, the_realm_default_key_by_level) {
    const std::string keys = "FVMUCL";
    character_record c;
    c.creature_fights_left = 3;
    const std::pair<int, char> bands[] = {{1, 'F'},  {5, 'F'},  {6, 'V'},  {10, 'V'}, {11, 'M'},
                                          {15, 'M'}, {16, 'U'}, {20, 'U'}, {21, 'C'}, {300, 'C'}};
    for (const auto& [level, key] : bands) {
        c.level = static_cast<std::int16_t>(level);
        EXPECT_EQ(realm_default_key(c, keys), key) << level;
        EXPECT_EQ(realm_default_key(c, "fvmucl"), key) << level;
    }
    // No fights left: L, whatever the key string holds.
    c.creature_fights_left = 0;
    EXPECT_EQ(realm_default_key(c, keys), 'L');
    EXPECT_EQ(realm_default_key(c, "ABCDEFG"), 'L');
    // A key string too short for the level's key: L.
    c.creature_fights_left = 1;
    c.level = 12;
    EXPECT_EQ(realm_default_key(c, "FV"), 'L');
    EXPECT_EQ(realm_default_key(c, ""), 'L');
    c.level = 2;
    EXPECT_EQ(realm_default_key(c, "FV"), 'F');
    EXPECT_EQ(realm_default_key(c, std::string("\0V", 2)), 'L');
    EXPECT_EQ(realm_default_key(c, " V"), 'L');
}

TEST_F(town, realm_keys_with_short_or_missing_key_strings) {
    EXPECT_EQ(realm_key_number("FVMUCL", 'f'), 1);
    EXPECT_EQ(realm_key_number("FVMUCL", 'C'), 5);
    EXPECT_EQ(realm_key_number("FVMUCL", 'L'), 6);
    EXPECT_EQ(realm_key_number("FVMUCQX", 'X'), 0);
    EXPECT_EQ(realm_key_number("FVMUCQ", 'L'), 0);
    EXPECT_EQ(realm_key_number("FVM", 'M'), 3);
    EXPECT_EQ(realm_key_number("FVM", 'U'), 0);
    EXPECT_EQ(realm_key_number("FVM", 'L'), 6);
    EXPECT_EQ(realm_key_number("", 'L'), 6);
    EXPECT_EQ(realm_key_number("", 'F'), 0);

    // A text file without the section: no keys, and L still leads back to town.
    write_file("quortext.dat", "@#main\nEL\n  (square menu)\n@#\n");
    std::string screen = square("EF\rLY", true);
    EXPECT_NE(screen.find("\r\n   Enter Realm :  (?)\r\n\r\n  Command? [L] : F\r\n"
                          "\r\n   Enter Realm :  (?)\r\n\r\n  Command? [L] : L\r\n  (square menu)\r\n"),
              std::string::npos)
        << screen;
    EXPECT_EQ(places(), strings{"clear_in_event"});
}

TEST_F(town, the_thug_is_built_from_the_hunted_player) {
    character_record c;
    c.level = 7;
    c.attack = 40;
    c.defense = 31;
    c.shield_value = 5;
    c.max_hit_points = 90;
    c.hit_points = 12;
    game_stats.mob_exp_mult = 0.85;
    monster_record t = build_thug(c);
    EXPECT_EQ(t.name, "hired thug");
    EXPECT_EQ(t.level, 7);
    EXPECT_EQ(t.attack, 40);
    EXPECT_EQ(t.defense, 31);
    EXPECT_EQ(t.shield_value, 5);
    EXPECT_EQ(t.hit_points, 90);
    EXPECT_EQ(t.gold, 49000);
    // (40 + 31 + round(5/3) = 2 + 2 x 90) x 0.85 = 215.05
    EXPECT_EQ(t.experience, 215);
    EXPECT_EQ(t.weapon, "Blackjack");
    EXPECT_EQ(t.armour, "Padded Leather");
    EXPECT_EQ(t.death_text, "Wait, I'll tell you who did this... Urrrk...");
    // Halves go to the even neighbour: (1 + 1 + 0 + 2) x 0.625 = 2.5 -> 2; x 0.875 = 3.5 -> 4.
    c = character_record{};
    c.attack = c.defense = c.max_hit_points = 1;
    game_stats.mob_exp_mult = 0.625;
    EXPECT_EQ(build_thug(c).experience, 2);
    game_stats.mob_exp_mult = 0.875;
    EXPECT_EQ(build_thug(c).experience, 4);
    // Gold and experience never wrap.
    c.level = 32000;
    c.attack = c.defense = c.max_hit_points = 32000;
    game_stats.mob_exp_mult = 1e9;
    EXPECT_EQ(build_thug(c).gold, 2147483647);
    EXPECT_EQ(build_thug(c).experience, 2147483647);
}

TEST_F(town, the_thugs_ambush) {
    cur_char->status_bits = status_hunted | status_expert;
    std::string screen = square("ELLY", true);
    EXPECT_NE(screen.find("E\r\n  On your way out of town, you notice a man coming up behind you.\r\n"
                          "  You turn to see what he wants, but he draws his weapon on you instead.\r\n"
                          "\r\n   Enter Realm"),
              std::string::npos)
        << screen;
    EXPECT_EQ(places(), (strings{"clear_in_event", "thug_fight hired thug"}));
    // Not won: still hunted, and ambushed again next time; won: free.
    EXPECT_TRUE(has_status_bit(*cur_char, status_hunted));
    install_town_fakes();
    fakes().thug_won = true;
    square(
        "ELEL"
        "LY",
        true);
    EXPECT_EQ(places(), (strings{"clear_in_event", "thug_fight hired thug"}));
    EXPECT_FALSE(has_status_bit(*cur_char, status_hunted));
    EXPECT_TRUE(has_status_bit(*cur_char, status_expert));
}
