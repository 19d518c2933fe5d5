// The menu loop of every place: its screen, the default key, the echo, the end of a loop,
// the unwinding of nested loops through sub_location, and what each kind of loop polls.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/rules/screens.hpp"
#include "engine/text/play_hooks.hpp"
#include "game_state.hpp"

namespace {
struct menu : game_state {
    strings keys_seen;
    menu_loop place(std::int16_t level, menu_poll poll = menu_poll::queue_and_events) {
        menu_loop m;
        m.title = "`9   Test Place`%:";
        m.keys = "ABL";
        m.level = level;
        m.poll = poll;
        m.default_key = [] { return 'L'; };
        m.on_key = [this](char k) {
            keys_seen.push_back(std::string(1, k));
            return k != 'L';
        };
        return m;
    }
    std::string run(const menu_loop& m, const std::string& keys) {
        input_feed feed(keys);
        fakes().keys = &feed;
        run_menu_loop(m);
        fakes().keys = nullptr;
        return out.take();
    }
};
const std::string prompt = "\r\n   Test Place:  (A,B,L,?)\r\n\r\n  Command? [L] : ";
}  // namespace

TEST_F(menu, screen_default_key_and_echo) {
    sub_location = 2;
    menu_loop m = place(2);
    int turns = 0;
    m.each_turn = [&turns] { ++turns; };
    m.before_title = [] { disp_line("(status)"); };
    std::string screen = run(m, "ab`\x01z\r");
    const std::string turn = "(status)\r\n" + prompt;
    EXPECT_EQ(screen, turn + "A\r\n" + turn + "B\r\n" + turn + "`\r\n" + turn + "Z\r\n" + turn + "L\r\n");
    EXPECT_EQ(keys_seen, (strings{"A", "B", "`", "Z", "L"}));
    EXPECT_EQ(turns, 5);
    EXPECT_EQ(sub_location, 2);
}

TEST_F(menu, without_a_default_key_enter_is_passed_on) {
    sub_location = 1;
    menu_loop m = place(1);
    m.default_key = nullptr;
    m.echo = false;
    std::string screen = run(m, "\rl");
    EXPECT_EQ(screen,
              "\r\n   Test Place:  (A,B,L,?)\r\n\r\n  Command  : \r\n   Test Place:  (A,B,L,?)\r\n\r\n  Command  : ");
    EXPECT_EQ(keys_seen, (strings{"\r", "L"}));
}

TEST_F(menu, the_loop_answers_the_common_keys_a_place_asks_for_and_no_other) {
    play_as("anna", 1, 1);
    sub_location = 2;
    auto screen_of = [this](void (*show)()) {
        out.take();
        show();
        return out.take();
    };
    const std::string stats = screen_of(display_stats), online = screen_of(list_players_online),
                      ranks = screen_of([] { display_ranks(ranks_show); });
    struct common_case {
        std::string_view common_keys;
        bool echo;
        std::string typed;
        std::string screen;
        strings seen;
    };
    const common_case cases[] = {
        {"VFR", true, "vfr", prompt + "V\r\n" + stats + prompt + "F\r\n" + online + prompt + "R\r\n" + ranks, {"L"}},
        {"VR", true, "f", prompt + "F\r\n", {"F", "L"}},
        // A place that echoes its own keys: the loop echoes the common key for it.
        {"V", false, "vr", prompt + "V\r\n" + stats + prompt, {"R", "L"}},
        {"", true, "v", prompt + "V\r\n", {"V", "L"}},
    };
    for (const common_case& c : cases) {
        keys_seen.clear();
        menu_loop m = place(2);
        m.common_keys = c.common_keys;
        m.echo = c.echo;
        std::string screen = run(m, c.typed + "l");
        EXPECT_EQ(screen, c.screen + prompt + (c.echo ? "L\r\n" : "")) << c.common_keys;
        EXPECT_EQ(keys_seen, c.seen) << c.common_keys;
    }
}

TEST_F(menu, a_lower_sub_location_unwinds_every_loop_above_it) {
    sub_location = 2;
    menu_loop outer = place(2);
    menu_loop inner = place(3);
    inner.on_key = [this](char k) {
        keys_seen.push_back("inner " + std::string(1, k));
        if (k == 'B') sub_location = 1;  // back to the town square from a realm
        return true;
    };
    outer.on_key = [&, this](char k) {
        keys_seen.push_back("outer " + std::string(1, k));
        if (k == 'A') {
            sub_location = 3;
            run_menu_loop(inner);
        }
        return true;
    };
    run(outer, "aAb");
    EXPECT_EQ(keys_seen, (strings{"outer A", "inner A", "inner B"}));
    EXPECT_EQ(sub_location, 1);
    // A loop entered below its level does not run at all.
    keys_seen.clear();
    run(inner, "");
    EXPECT_EQ(keys_seen, strings{});
}

TEST_F(menu, what_each_kind_of_loop_polls) {
    check_frequency = 1;
    sub_location = 3;
    struct kind_case {
        menu_poll poll;
        strings calls;
    };
    const kind_case cases[] = {
        {menu_poll::queue_and_events, {"queue?", "events"}},
        {menu_poll::queue, {"queue?", "queue?"}},
        {menu_poll::mail_queue_and_events, {"mail?", "queue?", "events"}},
    };
    for (const auto& c : cases) {
        install_town_fakes();
        fakes().type_on = c.poll == menu_poll::queue ? "check_node_messages 0" : "events";
        // For the queue-only loop a message arrives on the second check.
        if (c.poll == menu_poll::queue) {
            fakes().messages_waiting = 0;
            set_node_msg_waiting_hook([] {
                fakes().calls.push_back("queue?");
                return std::count(fakes().calls.begin(), fakes().calls.end(), "queue?") == 2;
            });
        }
        fakes().keys_typed = "L";
        run(place(3, c.poll), "");
        strings expected = c.calls;
        if (c.poll == menu_poll::queue) expected.push_back("check_node_messages 0");
        EXPECT_EQ(calls(), expected);
    }
    // No polling: the key is read as it comes.
    install_town_fakes();
    run(place(3, menu_poll::none), "L");
    EXPECT_EQ(calls(), strings{});
}

TEST_F(menu, a_raid_loop_passes_its_guild_and_hears_the_dispatchers_word) {
    check_frequency = 1;
    sub_location = 3;
    fakes().messages_waiting = 1;
    static std::int16_t guild_passed = -1;
    set_check_node_messages_hook([](std::int16_t guild) {
        --fakes().messages_waiting;
        guild_passed = guild;
        return std::string("FLEEGUILD");
    });
    menu_loop m = place(3, menu_poll::queue);
    m.raided_guild = 7;
    strings words;
    m.on_result = [&words](const std::string& word) {
        words.push_back(word);
        sub_location = 1;
    };
    run(m, "");
    EXPECT_EQ(guild_passed, 7);
    EXPECT_EQ(words, strings{"FLEEGUILD"});
    EXPECT_EQ(keys_seen, strings{});
}

TEST_F(menu, the_engines_menus_poll_alike_but_never_for_mail) {
    check_frequency = 2;
    fakes().mail_waiting = 1;
    std::int32_t polls = 0;
    input_feed feed;
    fakes().keys = &feed;
    fakes().type_on = "events";
    fakes().keys_typed = "k";
    EXPECT_EQ(menu_poll_key(polls), 'k');
    EXPECT_EQ(calls(), (strings{"queue?", "events"}));
    fakes().keys = nullptr;
}

TEST_F(menu, a_question_answered_by_one_key) {
    input_feed feed("x\rQy");
    EXPECT_EQ(ask_key({"", "(question)"}, "`9 Sure? [`%Q`9] :`%", 'Q', "YN"), 'Y');
    EXPECT_EQ(out.take(),
              "\r\n(question)\r\n Sure? [Q] :X\r\n\r\n(question)\r\n Sure? [Q] :Q\r\n"
              "\r\n(question)\r\n Sure? [Q] :Q\r\n\r\n(question)\r\n Sure? [Q] :Y\r\n");
}
