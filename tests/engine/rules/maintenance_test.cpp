// The daily maintenance in both forms: the day steps on files built byte by byte, the
// console output, the mail it sends, and nodes running it at the same moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/maint_state.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"
#include "support/live_hold.hpp"

namespace {
std::vector<int> sorted_numbers() {
    std::vector<int> n = player_numbers();
    std::sort(n.begin(), n.end());
    return n;
}

const std::string divider = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
const std::string news_header =
    "`c  `!The News of the Realm       " + std::string(27, ' ') + "Thursday 01/15/26\n" + divider + "\n";

void story() {
    std::string old = read_file("news0.dat");
    write_file("news0.dat", old + "`3A story of the town.\n");
}

struct maintenance : maint_state {
    // The state of a fresh process, as "quorvath MAINT" starts with.
    static void fresh_process() {
        del_char_list();
        del_guild_list();
        chars_loaded = false;
        cur_char = nullptr;
        game_stats = stat_record{};
    }
    void run_console() {
        fresh_process();
        auto_maintenance();
    }
    // The next calendar date, as the clock moves on overnight.
    void next_date() { seam.set_time(seam.time.year, seam.time.month, seam.time.day + 1); }

    // The in-play form on a node that has loaded the files, playing as the character named
    // (none for an empty name).
    void run_in_play(const std::string& playing = "") {
        fresh_process();
        read_stat_file(game_stats);
        read_char_file();
        read_guild_file();
        if (!playing.empty()) cur_char = char_full_name_ptr(playing);
        input_feed keys("\r");
        daily_maintenance();
    }
};
}  // namespace

TEST_F(maintenance, maint_twice_on_one_date_runs_the_day_once_and_writes_the_backups_each_time) {
    write_file("quorstat.dat", stat_bytes().day(22).last_maint("20260114").pot(500).b);
    const std::string players = players_image(player_bytes(1, "ANNA").last_day(20).bank(1000));
    write_file("players.dat", players);
    write_file("guilds.dat", guild_bytes(1, "Axes", 1));
    write_file("news0.dat", "yesterday\n");
    write_file("debug.txt", "today's log\n");
    write_file("debug.old", "older log\n");

    run_console();
    EXPECT_EQ(out.take(), "Running Daily maintenance...HOLD\n");
    EXPECT_EQ(read_file("debug.old"), "today's log\n");
    EXPECT_FALSE(file_present("debug.txt"));
    EXPECT_EQ(read_file("players.old"), players);
    EXPECT_EQ(read_file("guilds.old"), guild_bytes(1, "Axes", 1));
    const std::string stat = read_file("quorstat.dat");
    EXPECT_EQ(i16_at(stat, 0), 23);
    EXPECT_EQ(str_at(stat, 2), "20260115");
    EXPECT_EQ(i32_at(stat, 534), 500);
    EXPECT_EQ(i32_at(player_record(1), 163), 1060);
    EXPECT_EQ(read_file("news1.dat"), "yesterday\n");
    EXPECT_FALSE(file_present("hold.dat"));

    const std::string after = read_file("players.dat"), guilds = read_file("guilds.dat"), news = read_file("news0.dat");
    unlink("players.old");
    unlink("guilds.old");
    run_console();
    EXPECT_EQ(out.take(), "Maintenance has already been run today\n");
    EXPECT_EQ(read_file("quorstat.dat"), stat);
    EXPECT_EQ(read_file("players.dat"), after);
    EXPECT_EQ(read_file("guilds.dat"), guilds);
    EXPECT_EQ(read_file("news0.dat"), news);
    EXPECT_EQ(read_file("news1.dat"), "yesterday\n");
    EXPECT_EQ(read_file("players.old"), after);
    EXPECT_EQ(read_file("guilds.old"), guilds);
    EXPECT_FALSE(file_present("hold.dat"));
}

TEST_F(maintenance, the_game_day_and_the_maintenance_date_never_move_backwards) {
    // A date already past today (the clock was set back): nothing runs.
    write_file("quorstat.dat", stat_bytes().day(40).last_maint("20260301").b);
    run_console();
    EXPECT_EQ(out.take(), "Starting new Character FILE\nMaintenance has already been run today\n");
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 40);
    EXPECT_EQ(str_at(read_file("quorstat.dat"), 2), "20260301");
}

TEST_F(maintenance, idle_characters_go_after_the_grace_days_with_their_mail_and_flags) {
    write_file("quorstat.dat", stat_bytes().day(19).grace(15).b);
    write_file("players.dat",
               players_image(player_bytes(7, "OLDIE").last_day(5), player_bytes(2, "FRESH").last_day(19)));
    for (const char* f : {"user0007.dat", "flag0007.dat", "user0002.dat", "flag0002.dat", "invt0007.dat"})
        write_file(f, "x\n");

    run_console();  // new day 20: 20 is not above 5 + 15
    EXPECT_EQ(out.take(), "Running Daily maintenance...HOLD\n");
    EXPECT_EQ(sorted_numbers(), (std::vector<int>{2, 7}));

    next_date();  // new day 21
    debug_mode = true;
    run_console();
    EXPECT_EQ(out.take(),
              "Running Daily maintenance...HOLD\n"
              "`4(Removing `%OLDIE`4, last played on game day : `%5\n");
    EXPECT_EQ(sorted_numbers(), (std::vector<int>{2}));
    EXPECT_FALSE(file_present("user0007.dat"));
    EXPECT_FALSE(file_present("flag0007.dat"));
    EXPECT_TRUE(file_present("user0002.dat"));
    EXPECT_TRUE(file_present("flag0002.dat"));
    EXPECT_TRUE(file_present("invt0007.dat"));
    const std::string log = read_file("debug.txt");
    EXPECT_NE(log.find("About to remove player mail : user0007.dat\n"), std::string::npos);
    EXPECT_NE(log.find("About to remove player flags : flag0007.dat\n"), std::string::npos);
    EXPECT_EQ(log.find("user0002.dat"), std::string::npos);
}

TEST_F(maintenance, the_in_play_form_never_deletes_the_callers_own_character) {
    write_file("quorstat.dat", stat_bytes().day(100).grace(15).b);
    write_file("players.dat", players_image(player_bytes(1, "ME").last_day(1), player_bytes(2, "GONE").last_day(1)));
    run_in_play("ME");
    EXPECT_EQ(player_numbers(), (std::vector<int>{1}));
    EXPECT_EQ(out.take(),
              "Running Daily maintenance...HOLD\r\n"
              "(Removing GONE, last played on game day : 1\r\n"
              "      [ Hit any key ]\r\n");

    // Without a playing character nobody is spared.
    next_date();
    run_in_play();
    EXPECT_EQ(player_numbers(), (std::vector<int>{}));
}

TEST_F(maintenance, the_dead_rise_on_the_day_after_the_resurrection_days) {
    write_file("quorstat.dat", stat_bytes().day(10).resurrect(2).b);
    write_file("players.dat",
               players_image(player_bytes(1, "FALLEN").last_day(10).death_day(10).dead(true).hit_points(0, 50)));
    for (int new_day : {11, 12}) {
        run_console();
        std::string me = player_record(1);
        EXPECT_EQ(me.at(291), 1) << "day " << new_day;
        EXPECT_EQ(i16_at(me, 86), 0);
        next_date();
    }
    run_console();
    std::string me = player_record(1);
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 13);
    EXPECT_EQ(me.at(291), 0);
    EXPECT_EQ(i16_at(me, 86), 50);
}

TEST_F(maintenance, interest_is_paid_to_the_bank_halves_to_even_and_up_to_the_banks_limit) {
    write_file("quorstat.dat", stat_bytes().interest(6.0).b);
    write_file(
        "players.dat",
        players_image(player_bytes(1, "A").last_day(20).bank(1000), player_bytes(2, "B").last_day(20).bank(25),
                      player_bytes(3, "C").last_day(20).bank(75), player_bytes(4, "D").last_day(20).bank(199'999'990),
                      player_bytes(5, "E").last_day(20).bank(0)));
    run_console();
    EXPECT_EQ(i32_at(player_record(1), 163), 1060);
    EXPECT_EQ(i32_at(player_record(2), 163), 26);  // 26.5
    EXPECT_EQ(i32_at(player_record(3), 163), 80);  // 79.5
    EXPECT_EQ(i32_at(player_record(4), 163), 199'999'999);
    EXPECT_EQ(i32_at(player_record(5), 163), 0);
    for (const char* f : {"user0001.dat", "user0002.dat", "user0003.dat", "user0004.dat", "user0005.dat"})
        EXPECT_FALSE(file_present(f)) << f;
}

TEST_F(maintenance, characters_online_elsewhere_get_their_interest_by_mail) {
    write_file("quorstat.dat", stat_bytes().interest(6.0).b);
    write_file("players.dat", players_image(player_bytes(1, "A").last_day(20).bank(1000).online(true),
                                            player_bytes(2, "B").last_day(20).bank(25).online(true),
                                            player_bytes(3, "C").last_day(20).bank(75).online(true),
                                            player_bytes(4, "D").last_day(20).bank(199'999'990).online(true)));
    write_file("user0001.dat", "#0002 Bob\nhello\n~\nRESPONSE\n");
    debug_mode = true;
    run_console();
    auto notice = [](const std::string& amount) {
        return "#0000 `%Bank Notice.\nYour account has earned interest!\n" + amount +
               " has been added to your account.\n~\nADD BNK " + amount + "\nREFRESH\n";
    };
    EXPECT_EQ(read_file("user0001.dat"), "#0002 Bob\nhello\n~\nRESPONSE\n" + notice("60"));
    EXPECT_EQ(read_file("user0002.dat"), notice("2"));  // 1.5
    EXPECT_EQ(read_file("user0003.dat"), notice("4"));  // 4.5
    EXPECT_EQ(read_file("user0004.dat"), notice("9"));  // the bank's limit
    for (int n : {1, 2, 3, 4}) {
        std::string c = player_record(n);
        EXPECT_EQ(c.at(294), 0) << n;
    }
    EXPECT_EQ(i32_at(player_record(1), 163), 1000);
    EXPECT_EQ(i32_at(player_record(4), 163), 199'999'990);
    EXPECT_NE(read_file("debug.txt").find("A  On_now : Yes\n"), std::string::npos);
}

TEST_F(maintenance, characters_sharing_a_mailbox_file_each_get_their_interest_letter) {
    write_file("quorstat.dat", stat_bytes().interest(10.0).b);
    write_file("players.dat", players_image(player_bytes(2345, "A").last_day(20).bank(100).online(true),
                                            player_bytes(12345, "B").last_day(20).bank(200).online(true)));
    run_console();
    std::string box = read_file("user2345.dat");
    EXPECT_NE(box.find("\nADD BNK 10\n"), std::string::npos) << box;
    EXPECT_NE(box.find("\nADD BNK 20\n"), std::string::npos) << box;
}

TEST_F(maintenance, in_play_only_other_online_characters_get_mail_and_the_caller_is_paid_directly) {
    write_file("quorstat.dat", stat_bytes().interest(6.0).b);
    write_file("players.dat", players_image(player_bytes(1, "ME").last_day(20).bank(1000).online(true),
                                            player_bytes(2, "FRIEND").last_day(20).bank(1000).online(true),
                                            player_bytes(3, "AWAY").last_day(20).bank(1000)));
    run_in_play("ME");
    EXPECT_EQ(i32_at(player_record(1), 163), 1060);
    EXPECT_EQ(i32_at(player_record(2), 163), 1000);
    EXPECT_EQ(i32_at(player_record(3), 163), 1060);
    EXPECT_FALSE(file_present("user0001.dat"));
    EXPECT_NE(read_file("user0002.dat").find("ADD BNK 60\nREFRESH\n"), std::string::npos);
    EXPECT_FALSE(file_present("user0003.dat"));

    // A caller without a character: everyone is paid directly.
    write_file("players.dat", players_image(player_bytes(1, "ME").last_day(20).bank(1000).online(true),
                                            player_bytes(2, "FRIEND").last_day(20).bank(1000).online(true)));
    unlink("user0002.dat");
    next_date();
    run_in_play();
    EXPECT_EQ(i32_at(player_record(1), 163), 1060);
    EXPECT_EQ(i32_at(player_record(2), 163), 1060);
    EXPECT_FALSE(file_present("user0002.dat"));
}

TEST_F(maintenance, the_news_files_move_down_one_day_and_today_starts_with_its_header_and_story) {
    set_random_news_event_hook(story);
    write_file("quorstat.dat", stat_bytes().b);
    for (int i = 0; i <= 7; ++i) write_file("news" + std::to_string(i) + ".dat", "day " + std::to_string(i) + "\n");
    run_console();
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(read_file("news" + std::to_string(i) + ".dat"), "day " + std::to_string(i - 1) + "\n") << i;
    EXPECT_EQ(read_file("news0.dat"), news_header + "`3A story of the town.\n");

    // Days without news leave gaps that move down too.
    for (int i = 0; i <= 7; ++i) unlink(("news" + std::to_string(i) + ".dat").c_str());
    write_file("news0.dat", "only\n");
    next_date();
    run_console();
    EXPECT_EQ(read_file("news1.dat"), "only\n");
    for (int i = 2; i <= 7; ++i) EXPECT_FALSE(file_present("news" + std::to_string(i) + ".dat")) << i;
}

TEST_F(maintenance, the_days_flags_expire_in_every_section_of_mainflag_but_main) {
    write_file("quorstat.dat", stat_bytes().b);
    write_file("mainflag.dat",
               "@#FLAGS\nDAILY 5 1\nGONE -1 -1\nDEATH 3 0\nKEEP X 2\n"
               "@#main\nMDAILY 1 1\n  Gosub ^VR01\n  Halt\n"
               "@#TAVERN.SCR\nTDAILY 2 1\nTKEEP 4 2\n@#\n");
    run_console();
    EXPECT_EQ(return_flag("DAILY", "mainflag.dat", "FLAGS"), "-1");
    EXPECT_EQ(return_flag("DEATH", "mainflag.dat", "FLAGS"), "3");
    EXPECT_EQ(return_flag("KEEP", "mainflag.dat", "FLAGS"), "X");
    EXPECT_EQ(return_flag("TDAILY", "mainflag.dat", "TAVERN.SCR"), "-1");
    EXPECT_EQ(return_flag("TKEEP", "mainflag.dat", "TAVERN.SCR"), "4");
    const std::string file = read_file("mainflag.dat");
    EXPECT_EQ(file.find("GONE"), std::string::npos);
    EXPECT_NE(file.find("@#main\nMDAILY 1 1\n  Gosub ^VR01\n  Halt\n"), std::string::npos);
}

TEST_F(maintenance, a_guild_without_its_leader_gets_its_first_member_or_is_deleted) {
    write_file("quorstat.dat", stat_bytes().day(22).grace(15).b);
    write_file(
        "players.dat",
        players_image(player_bytes(1, "BOSS").last_day(1).guild(1), player_bytes(2, "MEMBER").last_day(20).guild(1),
                      player_bytes(4, "SECOND").last_day(20).guild(1), player_bytes(3, "LONER").last_day(1).guild(2)));
    write_file("guilds.dat", guild_bytes(1, "Axes", 1) + guild_bytes(2, "Lone", 3) + guild_bytes(3, "Fine", 2));
    debug_mode = true;
    run_console();
    // The list holds the file reversed: SECOND comes before MEMBER.
    std::string guilds = read_file("guilds.dat");
    ASSERT_EQ(guilds.size(), 2u * 217);
    std::string axes = i16_at(guilds, 0) == 1 ? guilds.substr(0, 217) : guilds.substr(217);
    std::string fine = i16_at(guilds, 0) == 3 ? guilds.substr(0, 217) : guilds.substr(217);
    EXPECT_EQ(i16_at(axes, 23), 4);
    EXPECT_EQ(i16_at(fine, 23), 2);
    EXPECT_EQ(read_file("user0004.dat"),
              "#0000 `%System Message\n`3  You have assumed leadership of `4Axes\n"
              "`3  Due to your leaders prolonged absence.\n~\n");
    EXPECT_FALSE(file_present("user0002.dat"));
    const std::string log = read_file("debug.txt");
    EXPECT_NE(log.find("Guild #1 - Leader deleted due to inactivity\n"), std::string::npos);
    EXPECT_NE(log.find("Guild #2 - Leader deleted due to inactivity\n"), std::string::npos);

    // The last guild gone: "guilds.dat" goes with it.
    write_file("guilds.dat", guild_bytes(5, "Empty", 99));
    next_date();
    run_console();
    EXPECT_FALSE(file_present("guilds.dat"));
    EXPECT_EQ(read_file("guilds.old"), guild_bytes(5, "Empty", 99));
}

TEST_F(maintenance, the_lottery_draws_by_luck_and_mails_the_pot) {
    // List order (the head first): C (1 entry), B (1), A (5): entries C, B, A, A, A, A, A.
    auto setup = [] {
        maintenance::fresh_process();
        add_char(make_char(1, "A"))->luck = 5;
        add_char(make_char(2, "B"))->luck = 0;
        add_char(make_char(3, "C"))->luck = -3;
        game_stats.floating_gold = 1'234'567;
        for (const char* f : {"user0001.dat", "user0002.dat", "user0003.dat"}) unlink(f);
    };
    const std::string message =
        "#0000 `%System Message\n`9  You are this weeks `4LOTTERY`9 winner!\n"
        "`9  The sum of 1,234,567 has been deposited into your account.\n~\nADD BNK 1234567\n";
    struct draw {
        int roll;  // of random(2^30): r = roll / 2^30
        const char* winner;
    };
    // k = round(7r): 0 and 1 give the first entry, 7 the last.
    for (draw d : {draw{0, "user0003.dat"}, draw{(1 << 30) / 7, "user0003.dat"},
                   draw{static_cast<int>((2LL << 30) / 7), "user0002.dat"}, draw{1 << 29, "user0001.dat"},
                   draw{(1 << 30) - 1, "user0001.dat"}}) {
        setup();
        seam.rolls = {d.roll};
        seam.randomize_calls = 0;
        weekly_lottery();
        EXPECT_EQ(read_file(d.winner), message) << d.roll;
        EXPECT_EQ(game_stats.floating_gold, 0);
        EXPECT_EQ(seam.randomize_calls, 1);
        EXPECT_EQ(seam.random_ranges.back(), 1 << 30);
    }
    // An empty pot is still announced.
    setup();
    game_stats.floating_gold = 0;
    weekly_lottery();
    EXPECT_EQ(read_file("user0003.dat"),
              "#0000 `%System Message\n`9  You are this weeks `4LOTTERY`9 winner!\n"
              "`9  The sum of 0 has been deposited into your account.\n~\nADD BNK 0\n");
    // Nobody to draw: the pot waits and nothing is sent.
    fresh_process();
    game_stats.floating_gold = 900;
    seam.randomize_calls = 0;
    weekly_lottery();
    EXPECT_EQ(game_stats.floating_gold, 900);
    EXPECT_EQ(seam.randomize_calls, 0);
}

TEST_F(maintenance, the_lottery_runs_on_every_seventh_day) {
    write_file("quorstat.dat", stat_bytes().day(13).pot(800).b);
    write_file("players.dat", players_image(player_bytes(1, "ANNA").last_day(13)));
    run_console();
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 14);
    EXPECT_EQ(i32_at(read_file("quorstat.dat"), 534), 0);
    EXPECT_NE(read_file("user0001.dat").find("ADD BNK 800\n"), std::string::npos);

    unlink("user0001.dat");
    write_file("quorstat.dat", stat_bytes().day(14).pot(800).b);
    next_date();
    run_console();
    EXPECT_EQ(i32_at(read_file("quorstat.dat"), 534), 800);
    EXPECT_FALSE(file_present("user0001.dat"));

    // A seventh day with no characters keeps the pot.
    unlink("players.dat");
    write_file("quorstat.dat", stat_bytes().day(20).pot(800).b);
    next_date();
    run_console();
    EXPECT_EQ(i32_at(read_file("quorstat.dat"), 534), 800);
}

TEST_F(maintenance, in_play_the_lists_are_merged_with_what_other_nodes_saved_before_it_writes) {
    write_file("quorstat.dat", stat_bytes().interest(0).b);
    write_file("players.dat",
               players_image(player_bytes(1, "ME").last_day(20), player_bytes(2, "OTHER").last_day(20).gold(10)));
    fresh_process();
    read_stat_file(game_stats);
    read_char_file();
    read_guild_file();
    cur_char = char_full_name_ptr("ME");
    cur_char->gold = 777;  // the caller's own change, in memory
    // Another node saves after this node loaded the lists.
    write_file("players.dat",
               players_image(player_bytes(1, "ME").last_day(20), player_bytes(2, "OTHER").last_day(20).gold(99),
                             player_bytes(3, "NEWBIE").last_day(20)));
    write_file("guilds.dat", guild_bytes(1, "Axes", 2));
    input_feed keys("\r");
    daily_maintenance();
    EXPECT_EQ(i32_at(player_record(2), 159), 99);
    EXPECT_EQ(i32_at(player_record(1), 159), 777);
    EXPECT_EQ(player_record(3).empty(), false);
    EXPECT_EQ(read_file("guilds.dat"), guild_bytes(1, "Axes", 2));
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 31);
}

TEST_F(maintenance, in_play_the_day_is_skipped_when_another_node_ran_it_meanwhile) {
    write_file("quorstat.dat", stat_bytes().day(20).last_maint("20260114").b);
    write_file("players.dat", players_image(player_bytes(1, "ME").last_day(20).bank(1000)));
    fresh_process();
    read_stat_file(game_stats);
    read_char_file();
    cur_char = char_full_name_ptr("ME");
    // The other node's maintenance finished after this caller looked at the date.
    const std::string done = stat_bytes().day(21).last_maint("20260115").b;
    write_file("quorstat.dat", done);
    input_feed keys("\r");
    daily_maintenance();
    EXPECT_EQ(read_file("quorstat.dat"), done);
    EXPECT_EQ(i32_at(player_record(1), 163), 1000);
    EXPECT_FALSE(file_present("players.old"));
    EXPECT_EQ(game_stats.day, 21);
    EXPECT_EQ(out.take(), "Running Daily maintenance...HOLD\r\n      [ Hit any key ]\r\n");
}

TEST_F(maintenance, the_console_forms_wait_for_another_nodes_hold_and_give_up_with_code_13) {
    write_file("quorstat.dat", stat_bytes().b);
    live_hold other;
    child_result r = run_in_child([] {
        install_exit_handler();
        maintenance::fresh_process();
        auto_maintenance();
    });
    EXPECT_EQ(r.code, 13);
    std::string expected = "\x1b[2J\x1b[1;1H  Temporary hold placed on file activity :        ";
    for (int i = 1; i <= 41; ++i) expected += std::string(7, '\b') + (i % 2 == 0 ? "WAITING" : ".......");
    expected += "\n  File Activity has been held too long, Please inform SysOp.\n";
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 30);
    EXPECT_TRUE(file_present("hold.dat"));  // another node's, never ours to erase
}

TEST_F(maintenance, a_file_that_stays_busy_ends_the_console_form_with_its_code) {
    write_file("quorstat.dat", stat_bytes().b);
    ::mkdir("players.old", 0777);  // opens, but reads as no file: busy
    child_result r = run_in_child([] {
        install_exit_handler();
        maintenance::fresh_process();
        auto_maintenance();
    });
    EXPECT_EQ(r.code, 5);
    std::string expected = "Starting new Character FILE\n\x1b[2J\x1b[1;1H\"players.old\" already open : HOLD\n";
    for (int i = 1; i <= 41; ++i) expected += std::string("\x1b[1;30H") + (i % 2 == 0 ? "WAITING" : ".......");
    expected += "\n\"players.old\" file stuck OPEN\n";
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
    EXPECT_FALSE(file_present("hold.dat"));
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 30);
}

TEST_F(maintenance, corrupt_files_end_the_console_form_with_their_messages_and_codes) {
    struct corrupt {
        const char* file;
        std::string bytes;
        const char* text;
        int code;
    };
    for (const corrupt& c :
         {corrupt{"quorstat.dat", "short", "Stat file CORRUPTED Please inform SysOp\n", 2},
          corrupt{"players.dat", std::string(300, 'x'), "Player file CORRUPTED Please inform SysOp\n", 3},
          corrupt{"guilds.dat", std::string(200, 'x'), "Guild file CORRUPTED Please inform SysOp\n", 19}}) {
        for (const char* f : {"quorstat.dat", "players.dat", "guilds.dat"}) unlink(f);
        if (std::string(c.file) != "quorstat.dat") write_file("quorstat.dat", stat_bytes().b);
        write_file(c.file, c.bytes);
        child_result r = run_in_child([] {
            install_exit_handler();
            maintenance::fresh_process();
            auto_maintenance();
        });
        EXPECT_EQ(r.code, c.code) << c.file;
        EXPECT_NE(r.out.find(c.text), std::string::npos) << r.out;
        EXPECT_FALSE(file_present("hold.dat"));
    }
}

TEST_F(maintenance, a_hang_up_or_a_fatal_end_inside_the_day_steps_leaves_no_hold) {
    write_file("quorstat.dat", stat_bytes().day(22).b);
    write_file("players.dat", players_image(player_bytes(1, "ME").last_day(20).bank(1000)));
    child_result r = run_in_child([] {
        install_exit_handler();
        maintenance::fresh_process();
        read_stat_file(game_stats);
        read_char_file();
        cur_char = char_full_name_ptr("ME");
        // The caller hangs up while the news is written.
        set_random_news_event_hook([] { carrier_present = 0; });
        daily_maintenance();
        write_file("returned.txt", "");
    });
    EXPECT_EQ(r.code, 0);
    EXPECT_FALSE(file_present("returned.txt"));
    EXPECT_FALSE(file_present("hold.dat"));
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 23);
    EXPECT_EQ(i32_at(player_record(1), 163), 1060);
    EXPECT_EQ(player_record(1).at(294), 0);

    // A fatal end there releases the hold too; the statistics stay unwritten, so the next
    // run does the day.
    write_file("quorstat.dat", stat_bytes().b);
    r = run_in_child([] {
        install_exit_handler();
        maintenance::fresh_process();
        set_random_news_event_hook([] { end_prog(exit_file_stuck); });
        auto_maintenance();
    });
    EXPECT_EQ(r.code, 5);
    EXPECT_FALSE(file_present("hold.dat"));
    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 30);
}

TEST_F(maintenance, a_stop_signal_during_the_console_form_waits_for_the_whole_run) {
    write_file("quorstat.dat", stat_bytes().b);
    write_file("players.dat", players_image(player_bytes(1, "ME").last_day(29).bank(1000)));
    // A sysop's Ctrl-C, a shutdown's hang-up or terminate signal while the day is written.
    for (int sig : {SIGINT, SIGHUP, SIGTERM}) {
        child_result r = run_in_child([sig] {
            install_exit_handler();
            maintenance::fresh_process();
            static int stop;
            stop = sig;
            set_random_news_event_hook([] { std::raise(stop); });
            auto_maintenance();
        });
        EXPECT_FALSE(r.exited) << sig;
        EXPECT_EQ(r.code, sig);
        EXPECT_FALSE(file_present("hold.dat")) << sig;
        EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 31) << sig;
        EXPECT_EQ(i32_at(player_record(1), 163), 1060) << sig;
        write_file("quorstat.dat", stat_bytes().b);
        write_file("players.dat", players_image(player_bytes(1, "ME").last_day(29).bank(1000)));
    }
}

namespace {
// Real pauses, shortened, so two nodes really wait for each other.
struct scaled_seam : system_seam {
    void sleep_ms(int ms) override { ::usleep(static_cast<useconds_t>(ms) * 100); }
};

void count_story() {
    std::string old = read_file("news0.dat");
    write_file("news0.dat", old + "story\n");
    std::string n = file_present("stories.txt") ? read_file("stories.txt") : "";
    write_file("stories.txt", n + "x");
}
}  // namespace

TEST_F(maintenance, two_nodes_running_the_maintenance_at_once_do_the_day_once) {
    write_file("quorstat.dat", stat_bytes().day(22).last_maint("19800101").interest(6.0).b);
    write_file("players.dat", players_image(player_bytes(1, "A").last_day(20).bank(1000),
                                            player_bytes(2, "B").last_day(20).bank(1000)));
    write_file("news0.dat", "old news\n");
    for (int round = 0; round < 3; ++round) {
        std::vector<pid_t> nodes;
        for (int node = 0; node < 2; ++node)
            nodes.push_back(start_child([node] {
                static scaled_seam seam;
                set_sys(&seam);
                install_exit_handler();
                set_random_news_event_hook(count_story);
                maintenance::fresh_process();
                if (node == 0) {
                    auto_maintenance();
                } else {
                    read_stat_file(game_stats);
                    read_char_file();
                    input_feed keys("\r");
                    daily_maintenance();
                }
            }));
        for (pid_t p : nodes) EXPECT_EQ(wait_child(p).code, 0);
        EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 23) << round;
        EXPECT_EQ(read_file("stories.txt"), "x");
        EXPECT_EQ(read_file("news1.dat"), "old news\n");
        EXPECT_FALSE(file_present("news2.dat"));
        EXPECT_EQ(i32_at(player_record(1), 163), 1060);
        EXPECT_EQ(i32_at(player_record(2), 163), 1060);
        EXPECT_FALSE(file_present("hold.dat"));
        // Again from the day before.
        write_file("quorstat.dat", stat_bytes().day(22).last_maint("19800101").interest(6.0).b);
        write_file("players.dat", players_image(player_bytes(1, "A").last_day(20).bank(1000),
                                                player_bytes(2, "B").last_day(20).bank(1000)));
        write_file("news0.dat", "old news\n");
        unlink("news1.dat");
        unlink("stories.txt");
    }
}

TEST(maintenance_texts, yes_no_text) {
    EXPECT_EQ(yes_no_text(true), "Yes");
    EXPECT_EQ(yes_no_text(false), "No");
}
