// The orderly exit and the game's exit handler, each in a real child process.
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "engine/engine_state.hpp"
#include "engine/rules/stats.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/lookups.hpp"
#include "support/child.hpp"

namespace {
void rankings_marker() { write_file("rankings.txt", "written"); }

void record_message(const character_record& to, const node_line& message) {
    std::string old = file_present("messages.txt") ? read_file("messages.txt") : "";
    write_file("messages.txt", old + std::to_string(to.number) + ": " + message.text() + "\n");
}

struct exits : ::testing::Test {
    engine_state st;
    void SetUp() override {
        character_record me = make_char(1, "Me");
        me.online = 1;
        character_record other = make_char(2, "Other");
        other.online = 1;
        put_chars({me, other, make_char(3, "Offline")});
        stat_record s;
        create_stat_file(s);
        guild_record g;
        g.number = 1;
        g.name = "Axes";
        write_file("guilds.dat", encode_record(g));
        stat_image = read_file("quorstat.dat");
        players_image = read_file("players.dat");
    }
    std::string stat_image, players_image;

    // A playing node: files loaded, hooks set, its character changed in memory.
    static void start_playing() {
        static fake_seam seam;  // lives until the child ends
        install_exit_handler();
        set_rankings_hook(rankings_marker);
        set_node_message_hook(record_message);
        read_stat_file(game_stats);
        read_char_file();
        read_guild_file();
        cur_char = char_full_name_ptr("Me");
        cur_char->gold = 777;
        game_stats.floating_gold = 55;
    }

    character_record me_in_file() {
        for (const auto& c : file_chars())
            if (c.number == 1) return c;
        return {};
    }
    bool players_written() { return read_file("players.dat") != players_image; }
    bool stats_written() { return read_file("quorstat.dat") != stat_image; }
    std::string messages() { return file_present("messages.txt") ? read_file("messages.txt") : ""; }
    void clear_marks() {
        write_file("players.dat", players_image);
        write_file("quorstat.dat", stat_image);
        std::remove("rankings.txt");
        std::remove("messages.txt");
        std::remove("debug.txt");
    }
};
}  // namespace

TEST_F(exits, end_prog_saves_what_each_code_allows) {
    struct row {
        int code;
        bool players, stats, rankings, messages;
        std::string out;
    };
    const row rows[] = {
        {0, true, true, true, true, ""},
        {2, true, false, true, true, "Abnormal Termination Encountered\r\nCorrupt Stat File\r\n"},
        {3, false, true, true, true, "Abnormal Termination Encountered\r\nCorrupt Char File\r\n"},
        {8, false, true, true, true, "Abnormal Termination Encountered\r\nChar File Stuck Open\r\n"},
        {13, false, false, false, false,
         "Abnormal Termination Encountered\r\nFile Activity Held, cannot Save Character\r\n"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE("code " + std::to_string(r.code));
        clear_marks();
        child_result res = run_in_child([&] {
            start_playing();
            end_prog(r.code);
        });
        EXPECT_TRUE(res.exited);
        EXPECT_EQ(res.code, r.code);
        EXPECT_EQ(res.out, r.out);
        EXPECT_EQ(players_written(), r.players);
        if (r.players) {
            EXPECT_EQ(me_in_file().gold, 777);
            EXPECT_EQ(me_in_file().online, 0);
        }
        EXPECT_EQ(stats_written(), r.stats);
        EXPECT_EQ(file_present("rankings.txt"), r.rankings);
        EXPECT_EQ(messages(), r.messages ? "2: LEAVEREALM 1 " + std::to_string(r.code) + "\n" : "");
        EXPECT_FALSE(file_present("hold.dat"));
        std::string log = read_file("debug.txt");
        EXPECT_EQ(log.rfind("Entering end_prog Error Code :" + std::to_string(r.code) + "\n", 0), 0u) << log;
        EXPECT_EQ(log.find("Exiting on Error_code") != std::string::npos, r.code != 0) << log;
        EXPECT_NE(log.find("Leaving end_prog\n"), std::string::npos);
    }
}

TEST_F(exits, before_log_on_end_prog_only_logs_and_halts) {
    child_result res = run_in_child([] {
        install_exit_handler();
        set_node_message_hook(record_message);
        read_char_file();
        end_prog(12);
    });
    EXPECT_EQ(res.code, 12);
    EXPECT_EQ(res.out, "Abnormal Termination Encountered\r\nMissing Critical File\r\n");
    EXPECT_FALSE(players_written());
    EXPECT_EQ(messages(), "");
}

TEST_F(exits, the_handler_texts_and_saves_per_code) {
    struct row {
        int code;
        std::string out;
        bool saves;
    };
    const row rows[] = {
        {14, "Abnormal Termination Encountered\r\nCarrier Dropped\r\n", true},
        {15, "Abnormal Termination Encountered\r\nTime Limit Exceeded\r\n", true},
        {17, "Abnormal Termination Encountered\r\nQuillmarch Error\r\n", false},
        {18, "Abnormal Termination Encountered\r\nQuillmarch Parameter Error\r\n", false},
        {19, "Abnormal Termination Encountered\r\nGuild File Corrupted\r\n", false},
        {20, "Abnormal Termination Encountered\r\n", false},
        {254, "Abnormal Termination Encountered\r\n", false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE("code " + std::to_string(r.code));
        clear_marks();
        child_result res = run_in_child([&] {
            start_playing();
            debug_mode = true;
            halt(r.code);
        });
        EXPECT_EQ(res.code, r.code);
        EXPECT_EQ(res.out, r.out);
        EXPECT_EQ(players_written(), r.saves);
        if (r.saves) {
            EXPECT_EQ(me_in_file().online, 0);
        }
        std::string log = read_file("debug.txt");
        EXPECT_NE(log.find("Halt code : " + std::to_string(r.code) + "\n"), std::string::npos);
        if (r.code == 14) {
            EXPECT_NE(log.find("### Carrier Dropped on Me\n"), std::string::npos);
        }
        EXPECT_EQ(messages(), "") << "the handler itself sends nothing";
    }
}

TEST_F(exits, carrier_loss_saves_the_character_and_tells_the_others_with_status_0) {
    child_result res = run_in_child([] {
        start_playing();
        carrier_present = 0;
        write_str("anything");
    });
    EXPECT_TRUE(res.exited);
    EXPECT_EQ(res.code, 0);
    EXPECT_EQ(res.out, "\r\nCarrier Dropped, returning to BBS.\r\n");
    EXPECT_EQ(me_in_file().gold, 777);
    EXPECT_EQ(me_in_file().online, 0);
    EXPECT_TRUE(stats_written());
    EXPECT_EQ(messages(), "2: LEAVEREALM 1 0\n");
}

TEST_F(exits, carrier_loss_before_log_on_leaves_every_file_as_it_was) {
    const std::string guilds = read_file("guilds.dat");
    child_result res = run_in_child([] {
        install_exit_handler();
        set_node_message_hook(record_message);
        // The caller hangs up before the statistics are read (during the kit's start-up).
        carrier_present = 0;
        write_str("Checking for RIP");
    });
    EXPECT_EQ(res.code, 0);
    EXPECT_EQ(read_file("quorstat.dat"), stat_image) << "the sysop's settings must survive";
    EXPECT_EQ(read_file("players.dat"), players_image);
    EXPECT_EQ(read_file("guilds.dat"), guilds);
    EXPECT_EQ(messages(), "");
}

TEST_F(exits, carrier_loss_while_holding_the_hold_finishes_the_write_first) {
    child_result res = run_in_child([] {
        start_playing();
        update_under_hold([] {
            cur_char->bank_gold = 4242;
            carrier_present = 0;
            write_str("lost in the middle");  // must not end the program under the hold
            cur_char->gems = 9;
        });
        write_file("after.txt", "not reached");
    });
    EXPECT_EQ(res.code, 0);
    EXPECT_FALSE(file_present("after.txt"));
    EXPECT_EQ(me_in_file().bank_gold, 4242);
    EXPECT_EQ(me_in_file().gems, 9);
    EXPECT_EQ(me_in_file().online, 0);
    EXPECT_FALSE(file_present("hold.dat"));
}

TEST_F(exits, a_fatal_blow_not_yet_settled_is_settled_before_every_save) {
    struct way {
        const char* name;
        void (*end)();
        int code;
    };
    const way ways[] = {
        {"a hang-up",
         [] {
             carrier_present = 0;
             write_str("the death scripts' text");
         },
         0},
        {"the orderly exit", [] { end_prog(exit_critical_missing); }, exit_critical_missing},
        {"a hang-up while the death is shown",
         [] {
             disarm_death();
             fall_in_memory();
             carrier_present = 0;
             player_killed();
         },
         0},
    };
    for (const way& w : ways) {
        clear_marks();
        child_result res = run_in_child([&w] {
            start_playing();
            cur_char->hit_points = -3;
            // The winner's share, in the same write as the fall.
            arm_death(
                [] { save_fall([](const death_loss& lost) { add_gold(*char_full_name_ptr("Other"), lost.gold); }); });
            w.end();
        });
        EXPECT_EQ(res.code, w.code) << w.name;
        character_record me = me_in_file();
        EXPECT_EQ(me.dead, 1) << w.name;
        EXPECT_EQ(me.gold, 0) << w.name;
        EXPECT_EQ(me.hit_points, 0) << w.name;
        // The settle ran where the blow was still armed; a fall shown already was saved alone.
        std::int32_t other_gold = 0;
        for (const auto& c : file_chars())
            if (c.number == 2) other_gold = c.gold;
        EXPECT_EQ(other_gold, make_char(2, "Other").gold + (std::string(w.name).ends_with("shown") ? 0 : 777))
            << w.name;
    }
}

TEST_F(exits, end_prog_releases_the_nodes_own_hold_first) {
    child_result res = run_in_child([] {
        start_playing();
        place_hold();
        end_prog(5);
    });
    EXPECT_EQ(res.code, 5);
    EXPECT_FALSE(file_present("hold.dat"));
    EXPECT_EQ(me_in_file().gold, 777);
}

TEST_F(exits, a_nested_end_prog_skips_the_saves) {
    child_result res = run_in_child([] {
        start_playing();
        set_rankings_hook([] { end_prog(12); });
        end_prog(0);
    });
    EXPECT_EQ(res.code, 12);
    EXPECT_EQ(messages(), "") << "the outer exit's remaining steps never ran";
    EXPECT_EQ(me_in_file().gold, 777) << "saved before the nested exit";
}

TEST_F(exits, an_uncaught_error_reports_and_saves_the_character) {
    child_result res = run_in_child([] {
        start_playing();
        // An error nothing catches (the test framework would catch a plain throw).
        []() noexcept {
            std::vector<int> none;
            (void)none.at(5);
        }();
    });
    EXPECT_EQ(res.code, 217);
    EXPECT_EQ(res.out, "Abnormal Termination Encountered\r\n### Error Code : 217 at :\r\n### Error Code 217\r\n");
    EXPECT_EQ(me_in_file().gold, 777);
}

TEST_F(exits, a_fatal_signal_releases_the_hold) {
    child_result res = run_in_child([] {
        start_playing();
        place_hold();
        std::raise(SIGSEGV);
    });
    EXPECT_FALSE(res.exited);
    EXPECT_EQ(res.code, SIGSEGV);
    EXPECT_FALSE(file_present("hold.dat"));
}

TEST_F(exits, a_stop_signal_without_a_caller_releases_the_hold) {
    // "quorvath MAINT" on the sysop's console: no door session takes these signals over.
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(sig);
        child_result res = run_in_child([sig] {
            install_exit_handler();
            place_hold();
            std::raise(sig);
            write_file("after.txt", "not reached");
        });
        EXPECT_FALSE(res.exited);
        EXPECT_EQ(res.code, sig);
        EXPECT_FALSE(file_present("hold.dat"));
        EXPECT_FALSE(file_present("after.txt"));
    }
}
