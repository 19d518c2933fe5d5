// Entry: the look-up key, the title screen, the entry menu, entering the realm (the daily
// maintenance, a new character, a known one, the new-day reset with its status-bit mask and
// flag expiry, the killed-today screen) and the return from an external module.
#include <gtest/gtest.h>

#include <csignal>

#include "engine/store/file_access.hpp"
#include "engine/text/lookups.hpp"
#include "game/caller.hpp"
#include "game_state.hpp"
#include "support/screen.hpp"

namespace {
struct entry : game_state {
    entry() { town_texts(); }
    // Leaves the town square as soon as it is reached (a resumed visit shows no statistics).
    static constexpr const char* leave_square = "LY";
    // The key of "[HIT ANY KEY]", the key after the statistics, and leaving.
    static constexpr const char* through_square = "xxLY";

    // Anna (1), last in on day 6, among Bob (2), and her daily flag; the game is on day 7.
    // The lists are then as the program loads them.
    void yesterdays_anna() {
        del_char_list();
        chars_loaded = false;
        add_char(make_char(2, "BOB"));
        character_record& c = caller();
        c.last_day = 6;
        c.created_time = 1234;
        c.gold = 777;
        c.status_bits = 4 | 16 | 128;
        c.creature_fights_left = 0;
        c.skill_uses_per_day = 4;
        c.skill_uses_left = 1;
        c.location = "tTown Square";
        write_char_file(false);
        write_file("flag0001.dat", "@#FLAGS\nDAILY 1 1\nKEEP 3 2\n@#\n");
        game_stats.last_maint_date = date_stamp();
        write_stat_file();
        del_char_list();
        chars_loaded = false;
        read_char_file();
    }
    // Anna's record as the entry on day 7 leaves it, every other byte as it was.
    static std::string anna_entered(character_record c) {
        c.online = 1;
        c.created_text = date_time_str();
        c.last_day = 7;
        c.creature_fights_left = 25;
        c.player_fights_left = 3;
        c.skill_uses_left = 4;
        c.status_bits = 4 | 128;
        return encode_record(c);
    }
    static std::string record_of(std::int16_t number) {
        for (const character_record& c : file_chars())
            if (c.number == number) return encode_record(c);
        return {};
    }
};

int players_writes = 0;
int writes_left = 0;
void count_or_kill(const std::string& name) {
    if (name == players_file_name) ++players_writes;
    if (writes_left > 0 && --writes_left == 0) ::raise(SIGKILL);
}
}  // namespace

TEST_F(entry, the_look_up_key_is_the_bbs_name_cut_as_stored) {
    EXPECT_EQ(caller_bbs_name(), "ANNA BERG");
    user_last_name = ".";
    EXPECT_EQ(caller_bbs_name(), "ANNA");
    user_last_name = "";
    EXPECT_EQ(caller_bbs_name(), "ANNA");
    // A BBS name longer than the field finds the character that holds it cut.
    user_first_name = std::string(30, 'F');
    user_last_name = std::string(30, 'L');
    EXPECT_EQ(caller_bbs_name(), std::string(30, 'F') + " " + std::string(9, 'L'));
    character_record c = make_char(1, "LONG");
    c.real_name = caller_bbs_name() + "LLLLL";  // cut to 40 on assignment
    add_char(c);
    EXPECT_EQ(find_caller(), &char_list.front());
}

TEST_F(entry, the_title_screen) {
    add_char(make_char(1, "A"));
    add_char(make_char(2, "B"));
    game_stats.started_text = "Thursday 01/08/26  09:00:00:00";
    game_stats.grace_days = 15;
    node_number = 3;
    title_screen();
    EXPECT_EQ(out.take(),
              "\r\n\r\n   The Quorvath\r\n\r\n"
              "   Graphics Mode : ASCII\r\n"
              "   Version     : 1.10\r\n"
              "   Active on   : Node 3\r\n\r\n"
              "   Game was Started               : Thursday 01/08/26  09:00:00:00\r\n"
              "   Days actually played           : 7\r\n"
              "   Number of characters in game   : 2\r\n"
              "   Inactive days before deletion  : 15\r\n"
              "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n");
    EXPECT_EQ(separator_line().size(), 79u);
    // Another mode writes no mode name and no line end: the next line goes on from there.
    graphics_mode = 5;
    title_screen();
    ansi_screen screen;
    screen.feed(out.take());
    EXPECT_EQ(screen.row(5), "   Graphics Mode :    Version     : 1.10");
}

TEST_F(entry, the_entry_menu_keys) {
    caller();
    input_feed keys("xrl");
    enter_game();
    std::string screen = out.take();
    EXPECT_TRUE(screen.starts_with("  (entry menu)\r\n\r\nSelection : X\r\n\r\nWhat was that sonny?")) << screen;
    EXPECT_NE(screen.find(
                  "What was that sonny?  Speak more clearly this time!\r\n  (entry menu)\r\n\r\nSelection : R\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(screen.find("Player Rankings"), std::string::npos);
    EXPECT_TRUE(screen.ends_with("Selection : L\r\n\r\n"));
    EXPECT_EQ(places(), strings{});
}

TEST_F(entry, new_day_reset_mask_and_flag_expiry) {
    character_record& c = caller(5);
    c.dead = 1;
    c.hit_points = 0;
    c.max_hit_points = 33;
    c.last_day = 3;
    c.status_bits = 0x7FFFFFFF;
    c.skill_uses_per_day = 4;
    c.skill_uses_left = 0;
    c.transfers_today = 2;
    c.sleeping_inn = c.sleeping_guild = 1;
    c.creature_fights_left = c.player_fights_left = 0;
    game_stats.creature_fights = 25;
    game_stats.player_fights = 3;
    const std::string flags = "@#FLAGS\nDAILY 1 1\nDEATH 2 0\nKEEP 3 2\nGONE -1 -1\n@#MAIN\nDAILY 1 1\n@#\n";
    write_file("flag0005.dat", flags);
    new_day_reset(c);
    // Bits 0, 2, 6, 7 and 15 upwards stay; 1, 3, 4, 5 and 8 to 14 are cleared.
    EXPECT_EQ(c.status_bits, 0x7FFFFFFF & ~0x7F3A);
    EXPECT_EQ(new_day_status_mask, 0x7F3A);
    EXPECT_EQ(c.dead, 0);
    EXPECT_EQ(c.hit_points, 33);
    EXPECT_EQ(c.last_day, 7);
    EXPECT_EQ(c.creature_fights_left, 25);
    EXPECT_EQ(c.player_fights_left, 3);
    EXPECT_EQ(c.transfers_today, 0);
    EXPECT_EQ(c.sleeping_inn, 0);
    EXPECT_EQ(c.sleeping_guild, 0);
    EXPECT_EQ(c.skill_uses_left, 4);
    // Classes 1 and 0 expire from FLAGS only; the other sections stay as they were.
    EXPECT_EQ(read_file("flag0005.dat"), "@#FLAGS\nKEEP 3 2\nGONE -1 -1\n@#MAIN\nDAILY 1 1\n@#\n");

    // Alive: the death flags and the hit points stay.
    write_file("flag0005.dat", flags);
    c.hit_points = 9;
    c.status_bits = 4 | 128;
    new_day_reset(c);
    EXPECT_EQ(c.hit_points, 9);
    EXPECT_EQ(c.status_bits, 4 | 128);
    EXPECT_EQ(read_file("flag0005.dat"), "@#FLAGS\nDEATH 2 0\nKEEP 3 2\nGONE -1 -1\n@#MAIN\nDAILY 1 1\n@#\n");
}

TEST_F(entry, a_new_caller_creates_a_character_and_its_first_day_begins) {
    // The maintenance is due: it runs once, after the wait for the hold, before the dialogue.
    game_stats.last_maint_date = "20260114";
    write_stat_file();
    fakes().acts["daily_maintenance"] = [] {
        game_stats.last_maint_date = "20260115";
        game_stats.day = 8;
        write_stat_file();
    };
    seam.rolls.push_back(50);
    input_feed keys(std::string("EYnew\rYKM") + through_square);
    enter_game();
    EXPECT_EQ(places()[0], "daily_maintenance");
    const character_record& c = char_list.front();
    EXPECT_EQ(c.name, "NEW");
    // The new-day reset ran at once: the day is today's, the fights are today's.
    EXPECT_EQ(c.last_day, 8);
    EXPECT_EQ(c.creature_fights_left, 25);
    EXPECT_EQ(c.location, "tTown Square");
    EXPECT_TRUE(file_present("flag0001.dat"));
    std::string screen = out.take();
    EXPECT_EQ(screen.find("already been on"), std::string::npos);
    EXPECT_NE(screen.find("Choose your gender : (M/F) [M] :M\r\n[HIT ANY KEY]"), std::string::npos) << screen;
    EXPECT_EQ(cur_inventory.size(), 3u);
}

TEST_F(entry, a_known_caller_is_recognised) {
    character_record& c = caller();
    c.gold = 777;
    c.last_day = 7;
    game_stats.last_maint_date = date_stamp();
    write_stat_file();
    write_char_file(false);
    input_feed keys(std::string("E") + through_square);
    enter_game();
    std::string screen = out.take();
    EXPECT_NE(screen.find("Selection : E\r\n\r\n  You have already been on today.\r\n\r\n[HIT ANY KEY]"),
              std::string::npos)
        << screen;
    EXPECT_EQ(places()[0], "clear_in_event");
    EXPECT_EQ(char_list.size(), 1u);
    EXPECT_EQ(file_chars()[0].gold, 777);
    EXPECT_EQ(file_chars()[0].online, 1);  // still in the game: the orderly exit clears it
    // The date text of the last entry is today's.
    EXPECT_EQ(file_chars()[0].created_text, date_time_str());
}

TEST_F(entry, killed_today_sees_the_news_and_mail_and_the_game_ends) {
    character_record& c = caller();
    c.dead = 1;
    c.last_day = 7;
    write_char_file(false);
    fakes().mail_waiting = 1;
    game_stats.last_maint_date = date_stamp();
    write_stat_file();
    // The fakes run in the child: they leave their mark on its screen.
    fakes().acts["news[0]"] = [] { disp_line("(today's news)"); };
    fakes().acts["read_mail"] = [] { disp_line("(mail)"); };
    child_result r = run_in_child([] {
        input_feed keys("Eabc");
        enter_game();
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("You have already been on today.\r\n\r\n  You were KILLED.\r\n"
                         "  You will not be allowed to play until tomorrow.\r\n      [ Hit any key ]"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Character Statistics"), std::string::npos);
    EXPECT_TRUE(r.out.ends_with("\r\n\r\n      [ Hit any key ](today's news)\r\n\r\n(mail)\r\n")) << r.out;
    EXPECT_EQ(r.out.find("[HIT ANY KEY]"), std::string::npos);
    // Offline again, and the square was never reached.
    EXPECT_EQ(file_chars()[0].online, 0);
    EXPECT_EQ(file_chars()[0].dead, 1);
}

TEST_F(entry, the_hand_off_file_resumes_only_its_own_character) {
    character_record& c = caller(1, "ANNA");
    c.location = "fForest";
    write_char_file(false);
    write_file("invt0001.dat", item_image("Stick", 2, 2, 100, 0, 7, 1, 0, 1, 1, 0, "").b);
    EXPECT_EQ(handoff_file_name(), "qvh00001.dat");

    // The module's exit marked the character offline; the square finds it online again.
    c.online = 0;
    write_char_file(false);
    int online_in_square = -1;
    fakes().acts["clear_in_event"] = [&] { online_in_square = file_chars()[0].online; };
    // Its NAME line names the caller's character: back in the square, no menu, no statistics.
    write_file("qvh00001.dat", "NAME ANNA\nUFNAME ANNA\nULNAME BERG\nCOMPORT 0\n");
    EXPECT_TRUE(handoff_matches(cur_char));
    {
        input_feed keys(leave_square);
        enter_game();
    }
    EXPECT_FALSE(file_present("qvh00001.dat"));
    EXPECT_EQ(places(), (strings{"clear_in_event"}));
    std::string screen = out.take();
    EXPECT_EQ(screen.find("Selection"), std::string::npos);
    EXPECT_EQ(screen.find("Character Statistics"), std::string::npos);
    EXPECT_EQ(list_names(), strings{"Stick"});
    EXPECT_EQ(online_in_square, 1);

    // Another character's file, or one for nobody: erased, and the caller enters as usual.
    for (const char* file : {"NAME BOB\n", "UFNAME ANNA\n", ""}) {
        SCOPED_TRACE(file);
        write_file("qvh00001.dat", file);
        EXPECT_FALSE(handoff_matches(cur_char));
        input_feed keys("l");
        enter_game();
        EXPECT_FALSE(file_present("qvh00001.dat"));
        EXPECT_NE(out.take().find("Selection : L"), std::string::npos);
    }
    // A caller without a character.
    del_char_list();
    write_file("qvh00001.dat", "NAME ANNA\n");
    EXPECT_FALSE(handoff_matches(nullptr));
    input_feed keys("l");
    enter_game();
    EXPECT_FALSE(file_present("qvh00001.dat"));
    EXPECT_NE(out.take().find("Selection : L"), std::string::npos);
}

TEST_F(entry, another_nodes_hand_off_file_is_left_alone) {
    caller();
    node_number = 2;
    write_file("qvh00001.dat", "NAME ANNA\n");
    input_feed keys("l");
    enter_game();
    EXPECT_TRUE(file_present("qvh00001.dat"));
}

TEST_F(entry, a_log_on_saves_the_entry_and_the_new_day_in_one_write) {
    yesterdays_anna();
    const character_record before = *char_num_ptr(1);
    const std::string bob = record_of(2);
    players_writes = 0;
    set_write_watch(count_or_kill);
    {
        input_feed keys(std::string("E") + through_square);
        enter_game();
    }
    set_write_watch(nullptr);
    // The statistics screen's save and the square's found nothing more to write.
    EXPECT_EQ(players_writes, 1);
    EXPECT_EQ(record_of(1), anna_entered(before));
    EXPECT_EQ(record_of(2), bob);
    EXPECT_EQ(read_file("flag0001.dat"), "@#FLAGS\nKEEP 3 2\n@#\n");
}

TEST_F(entry, a_log_on_killed_at_any_write_leaves_a_sound_file_and_the_next_one_ends_the_same) {
    yesterdays_anna();
    const std::string before = record_of(1);
    const std::string after = anna_entered(*char_num_ptr(1));
    const std::string bob = record_of(2);
    auto log_on = [] {
        del_char_list();
        chars_loaded = false;
        read_char_file();
        set_write_watch(count_or_kill);
        input_feed keys(std::string("E") + through_square);
        enter_game();
    };
    bool ran_through = false;
    for (int k = 1; k < 20 && !ran_through; ++k) {
        yesterdays_anna();
        writes_left = k;
        child_result first = run_in_child(log_on);
        ran_through = first.exited && first.code == 0;
        std::string at = "killed at write " + std::to_string(k);
        if (!ran_through) {
            EXPECT_EQ(first.code, SIGKILL) << at;
            // The old record or the whole new one, never a part of the day.
            std::string anna = record_of(1);
            EXPECT_TRUE(anna == before || anna == after) << at;
            EXPECT_EQ(record_of(2), bob) << at;
            writes_left = 0;
            EXPECT_EQ(run_in_child(log_on).code, 0) << at;
        }
        EXPECT_EQ(record_of(1), after) << at;
        EXPECT_EQ(record_of(2), bob) << at;
        EXPECT_EQ(read_file("flag0001.dat"), "@#FLAGS\nKEEP 3 2\n@#\n") << at;
    }
    EXPECT_TRUE(ran_through);
}
