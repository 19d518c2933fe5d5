// The game as a caller meets it, on a pseudo-terminal in a copy of the default game directory:
// a newcomer creates a character, walks through the town square and leaves; calls again and
// is recognised; the maintenance from the command line; the intro for ANSI and ASCII callers;
// the missing text file; a fight in the forest, and a death there that lasts until the next day.
#include "game/game_e2e.hpp"

using namespace e2e;

TEST_F(game_e2e, a_newcomer_creates_a_character_walks_the_square_and_comes_back) {
    session p = log_on();
    // The game's first start loaded the stock items.
    EXPECT_NE(plain(p->output()).find("  NUMBER OF ITEMS ADDED OR CHANGED  : 69\r\n"), std::string::npos);
    // The intro in ANSI, the key wait below it.
    ansi_screen intro = screen_of(p->output());
    EXPECT_TRUE(intro.contains("Something has come to Shamile, and it leaves gems behind."));
    EXPECT_EQ(intro.row(23), std::string(31, ' ') + "[ Hit any key ]");
    p->take();
    p.key("x", "Selection : ");
    ansi_screen title = screen_of(p->take());
    EXPECT_EQ(title.row(3), "   The Quorvath");
    EXPECT_EQ(title.row(5), "   Graphics Mode : ANSI");
    EXPECT_EQ(title.row(7), "   Active on   : Node 1");
    EXPECT_EQ(title.row(11), "   Number of characters in game   : 0");
    EXPECT_TRUE(title.contains("  (E) Enter the realm"));

    // The first caller of the game's first day runs the daily maintenance.
    p.key("E", "Running Daily maintenance...HOLD");
    p.key("", "[ Hit any key ]");
    p.key("x", "Enter this Realm? [Y] :");
    p.key("Y", "called in this realm?\r\n");
    p.key("", ">");
    p.key("Bob\r", "Go by the name : ");
    p.key("\r", "(K/B/L/H/C/T) :");
    p.key("k", "Choose your gender : ");
    ASSERT_EQ(p->output().find("lawyer"), std::string::npos);
    p.key("m", "[HIT ANY KEY]");
    p->take();
    p.key("x", "[ Hit any key ]");
    ansi_screen stats = screen_of(p->take());
    EXPECT_TRUE(stats.contains("  Name            : Bob                   Level         : 1")) << stats.text();
    EXPECT_TRUE(stats.contains("  Weapon Name     : Stick"));

    // Today's news, then the town square.
    p.key("x", "The News of the Realm");
    p.key("", "[ Hit any key ]");
    p->take();
    p.key("x", "Command  : ");
    ansi_screen square = screen_of(p->take());
    EXPECT_TRUE(square.contains("The Town Square of Shamile"));
    EXPECT_TRUE(square.contains("  (E) Enter the realms outside town     (W) Alfonse's Weapon Emporium"));
    EXPECT_TRUE(square.contains("   Central Square :  (E,I,T,G,H,F,M,P,B,W,S,A,N,K,Y,X,L,V,C,D,O,R,.,?)"));
    EXPECT_EQ(square.row(square.cursor_y()), "  Command  :");

    // The realm choice and back.
    p.key("e", "Command? [F] : ");
    ansi_screen realms = screen_of(p->take());
    EXPECT_TRUE(realms.contains("  (F) The Forest of Wolves          (levels  1 to  5)"));
    EXPECT_TRUE(realms.contains("  (L) Back to the town square"));
    EXPECT_TRUE(realms.contains("   Enter Realm :  (F,V,M,U,C,L,?)"));
    p.key("u", "CONSTRUCTION");
    p.key("l", "Command  : ");
    EXPECT_TRUE(screen_of(p->take()).contains("The Town Square of Shamile"));

    // The screens that are built.
    p.key("v", "Command  : ");
    EXPECT_TRUE(screen_of(p->take()).contains("Character Statistics"));
    p.key("f", "Command  : ");
    p.key("r", "Command  : ");
    EXPECT_TRUE(screen_of(p->take()).contains("Player Rankings"));
    p.key("=", "Command  : ");
    EXPECT_TRUE(screen_of(p->take()).contains("This game is on day"));
    p.key("-", "Command  : ");
    EXPECT_TRUE(screen_of(p->take()).contains("  Bob                       1  1"));
    p.key("y", "Command? [?] : ");
    ansi_screen inventory = screen_of(p->take());
    EXPECT_TRUE(inventory.contains("Inventory Menu"));
    EXPECT_TRUE(inventory.contains("Stick"));
    p.key("l", "Command  : ");
    p.key("x", "Expert mode ON");
    p.key("", "Command  : ");
    p.key("?", "Command  : ");
    EXPECT_TRUE(screen_of(p->take()).contains("  (L) Leave the game"));
    p.key("x", "Expert mode OFF");
    p.key("", "Command  : ");
    p.key("l", "[N] :");
    p.key("n", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);
    EXPECT_FALSE(file_present(game.file("hold.dat")));

    std::vector<stored_char> chars = stored_chars(game.file("players.dat"));
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].name, "BOB");
    EXPECT_EQ(chars[0].bbs_name, "ANNA BERG");
    EXPECT_EQ(chars[0].number, 1);
    EXPECT_EQ(chars[0].online, 0);
    EXPECT_EQ(chars[0].location, "tTown Square");
    EXPECT_EQ(chars[0].last_day, 1);
    EXPECT_EQ(read_file(game.file("invt0001.dat")).size(), 3u * 70);

    // The next call: recognised, no questions.
    p = back_to_square();
    EXPECT_EQ(plain(p->output()).find("UPDATING ITEMS"), std::string::npos);
    EXPECT_EQ(p->output().find("Enter this Realm"), std::string::npos);
    p.key("l", "[N] :");
    p->send("Y");
    EXPECT_EQ(p->wait_exit(wait_ms), 0);
    chars = stored_chars(game.file("players.dat"));
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].online, 0);
}

TEST_F(game_e2e, maint_alone_runs_without_a_door_session) {
    struct run {
        const char* word;
        const char* out;
    };
    for (run r :
         {run{"MAINT",
              "Stat File Not Found : HOLD\r\nStarting new Character FILE\r\nRunning Daily maintenance...HOLD\r\n"},
          run{"maint", "Maintenance has already been run today\r\n"}}) {
        auto p = start({r.word});
        EXPECT_EQ(p->wait_exit(wait_ms), 0);
        EXPECT_EQ(p->output(), r.out);
        EXPECT_TRUE(same_settings(p->terminal_settings(), p->initial_settings()));
    }
    // With a second parameter it is a door session like any other.
    auto p = start({"MAINT", "/L"});
    EXPECT_TRUE(p->wait_for("Local Logon", wait_ms));
    p->hangup();
    EXPECT_EQ(p->wait_exit(wait_ms), 0);
}

TEST_F(game_e2e, an_ascii_caller_gets_no_intro_and_no_sequences) {
    write_file(game.file("quorvath.dat"), "BBSTYPE DOORSYS\n");
    write_file(game.file("door.sys"), door_sys("NG"));
    session p{start({})};
    ASSERT_TRUE(p.wait_text("[ Hit any key ]"));
    pass_item_update(p);
    p.key("x", "Selection : ");
    std::string out = p->output();
    EXPECT_EQ(out.find('\x1b'), std::string::npos) << out;
    EXPECT_EQ(out.find("Shamile, and it leaves gems"), std::string::npos);
    EXPECT_NE(out.find("      [ Hit any key ]\r\n\r\n   The Quorvath\r\n\r\n   Graphics Mode : ASCII\r\n"),
              std::string::npos)
        << out;
    p->send("L");
    EXPECT_EQ(p->wait_exit(wait_ms), 0);
    EXPECT_FALSE(file_present(game.file("players.dat")));
}

TEST_F(game_e2e, a_missing_text_file_ends_with_code_12) {
    std::remove(game.file("quortext.dat").c_str());
    session p = log_on();
    p->send("x");
    EXPECT_EQ(p->wait_exit(wait_ms), 12);
    ansi_screen s = screen_of(p->output());
    EXPECT_TRUE(s.contains("  \"quortext.dat\" does not EXIST.  Please inform SysOp.")) << s.text();
    EXPECT_NE(read_file(game.file("debug.txt")).find("Critical error : quortext.dat file does not exist"),
              std::string::npos);
}

TEST_F(game_e2e, a_hunted_player_fights_the_thug_on_the_way_out_of_town) {
    session p = newcomer();
    ASSERT_EQ(leave_game(p), 0);

    // Hunted by a thug, and with hit points above the maximum (as a Drain Life leaves them):
    // the thug, who copies the player's figures but gets only the maximum, falls first.
    std::string players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    std::int32_t gold = i32_of(players, 159), experience = i32_of(players, 171);
    golden g(299);
    g.raw(0, players).i32(82, i32_of(players, 82) | 128).i16(86, 32000);
    write_file(game.file("players.dat"), g.b);

    p = back_to_square();
    p.key("e", "Command? [A] : ");
    std::string start = plain(p->take());
    EXPECT_NE(start.find("  On your way out of town, you notice a man coming up behind you.\r\n"
                         "  You turn to see what he wants, but he draws his weapon on you instead.\r\n"
                         "\r\n  You encounter a Hired Thug.\r\n"),
              std::string::npos)
        << start;
    EXPECT_NE(start.find("  Your hit points : 32000\r\n  hired thug's hit points : "), std::string::npos) << start;
    EXPECT_NE(start.find("  (A)ttack it.\r\n  (R)un from it.\r\n  (I)tems\r\n  (V)iew your Stats.\r\n"),
              std::string::npos);
    // Round after round until the thug falls: each ends at the fight's prompt again, the
    // last at the key wait after the rewards.
    bool won = false;
    for (int round = 0; round < 200 && !won; ++round) {
        std::size_t from = plain(p->output()).size();
        p->send("a");
        for (int waited = 0; waited < wait_ms; waited += 20) {
            std::string t = plain(p->output()).substr(from);
            won = t.find("You have defeated the hired thug!!") != std::string::npos && t.ends_with("[ Hit any key ]");
            if (won || t.ends_with("Command? [A] : ")) break;
            ASSERT_TRUE(p->running()) << plain(p->output());
            p->read_for(20);
        }
    }
    ASSERT_TRUE(won) << plain(p->output());
    p.seen = plain(p->output()).size();
    p.key("x", "Command? [F] : ");
    EXPECT_NE(plain(p->output()).find("You gain "), std::string::npos);
    EXPECT_NE(plain(p->output()).find(", and find 1,000 gold."), std::string::npos);
    p.key("l", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);

    players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    EXPECT_EQ(i32_of(players, 82) & 128, 0);  // no longer hunted
    EXPECT_EQ(i32_of(players, 159), gold + 1000);
    EXPECT_GT(i32_of(players, 171), experience);
}

TEST_F(game_e2e, a_timed_event_of_the_game_directory_fires_while_the_caller_waits_in_the_square) {
    // The sysop switches on the delivered example of events.dat for 12:01; the clock starts
    // at 12:00:56 (the newcomer is in the square a few seconds later) and runs on.
    std::string events = read_file(game.file("events.dat"));
    const std::string example = ";Fri * * * 18 30 \"crier.scr market\"";
    ASSERT_NE(events.find(example), std::string::npos);
    events.replace(events.find(example), example.size(), "* * * * 12 01 \"crier.scr market\"");
    write_file(game.file("events.dat"), events);

    session p = newcomer("20260115120056");
    EXPECT_NE(plain(p->output()).find("We have a winner!"), std::string::npos);
    std::size_t waiting_from = plain(p->output()).size();
    // No key: the square's poll runs the event when its minute comes, then prompts again.
    ASSERT_TRUE(p.wait_text("'Hear ye, hear ye! The market bell has rung across the realm!'", 30000))
        << plain(p->output());
    EXPECT_TRUE(p.wait_text("Command  : "));
    EXPECT_NE(plain(p->output()).find("A bell rings out over the square.", waiting_from), std::string::npos);

    // The delivered scripts of the square's "*" (the caller's settings) and "/" (a test).
    p.key("*", "Command? [E] : ");
    EXPECT_NE(plain(p->output()).find("Your Settings", waiting_from), std::string::npos);
    p.key("e", "Expert mode is on");
    p.key("e", "Expert mode is off");
    p.key("q", "Command  : ");
    p.key("/", "The script runner answers: all is well.");
    p.key("", "Disposing makes NIL");
    EXPECT_EQ(leave_game(p), 0);
    EXPECT_FALSE(file_present(game.file("hold.dat")));
}

namespace {
// A character of "players.dat" at its documented offsets: name, BBS name, number, class,
// hit points, bank gold, level, last day played, online.
std::string player_bytes(int number, const std::string& name, const std::string& bbs_name, int last_day, int bank,
                         bool online = false) {
    return golden(299)
        .str(0, name)
        .str(21, bbs_name)
        .i16(62, number)
        .i16(64, 1)
        .i16(86, 20)
        .i16(88, 20)
        .i32(163, bank)
        .i16(175, 1)
        .i16(255, last_day)
        .u8(294, online)
        .b;
}
std::string record_of(const std::string& players, int number) {
    for (std::size_t r = 0; r + 299 <= players.size(); r += 299)
        if (i16_of(players, r + 62) == number) return players.substr(r, 299);
    return "";
}
}  // namespace

TEST_F(game_e2e, the_first_caller_of_a_new_day_rolls_the_game_over) {
    // Yesterday's game: day 30, maintained on the 14th; today is the 15th.
    write_file(game.file("quorstat.dat"), golden(559)
                                              .i16(0, 30)
                                              .str(2, "20260114")
                                              .i16(299, 15)
                                              .i16(301, 2)
                                              .f64(520, 6.0)
                                              .i16(509, 25)
                                              .i16(511, 3)
                                              .i16(555, 5)
                                              .i16(557, 107)
                                              .b);
    write_file(game.file("players.dat"), player_bytes(1, "ANNA", "ANNA BERG", 30, 1000) +
                                             player_bytes(2, "IDLE", "IDLE CALLER", 1, 0) +
                                             player_bytes(3, "ELSEWHERE", "OTHER CALLER", 30, 1000, true));
    write_file(game.file("news0.dat"), "yesterday's news\n");

    session p = log_on();
    p.key("x", "Selection : ");
    p.key("E", "Running Daily maintenance...HOLD");
    p.key("", "(Removing IDLE, last played on game day : 1");
    p.key("", "[ Hit any key ]");
    p.key("x", "[HIT ANY KEY]");
    p.key("x", "[ Hit any key ]");
    p.key("x", "[ Hit any key ]");  // today's news
    p.key("x", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);

    std::string stat = read_file(game.file("quorstat.dat"));
    EXPECT_EQ(i16_of(stat, 0), 31);
    EXPECT_EQ(stat.substr(3, 8), "20260115");
    std::string players = read_file(game.file("players.dat"));
    EXPECT_EQ(players.size(), 2u * 299);
    EXPECT_EQ(i32_of(record_of(players, 1), 163), 1060);
    EXPECT_EQ(i16_of(record_of(players, 1), 255), 31);
    EXPECT_EQ(i32_of(record_of(players, 3), 163), 1000);
    EXPECT_NE(read_file(game.file("user0003.dat")).find("60 has been added to your account.\n~\nADD BNK 60\nREFRESH\n"),
              std::string::npos);
    EXPECT_EQ(read_file(game.file("news1.dat")), "yesterday's news\n");
    EXPECT_EQ(read_file(game.file("news0.dat")).substr(0, 78),
              "`c  `!The News of the Realm       " + std::string(27, ' ') + "Thursday 01/15/26");
    EXPECT_FALSE(file_present(game.file("hold.dat")));

    // The next caller of the same date finds the day done.
    p = log_on();
    p.key("x", "Selection : ");
    p.key("E", "You have already been on today.");
    EXPECT_EQ(plain(p->output()).find("Running Daily maintenance"), std::string::npos);
    p.key("", "[HIT ANY KEY]");
    p.key("x", "[ Hit any key ]");
    p.key("x", "[ Hit any key ]");  // today's news
    p.key("x", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);
    EXPECT_EQ(i16_of(read_file(game.file("quorstat.dat")), 0), 31);
}

namespace {
// The prompts a walk in the forest stops at, and what the walker answers: fight on, pass
// a pause, and turn down whatever a special event offers.
struct forest_stop {
    const char* prompt;
    const char* answer;
};
constexpr forest_stop forest_stops[] = {
    {"Command? [S] : ", "s"}, {"Command? [A] : ", "a"}, {"[ Hit any key ]", "x"},   {"(Y/N) [Y] : ", "n"},
    {"(Y/N) [N] : ", "n"},    {"(R/L) : ", "r"},        {"How Many? [0] :", "0\r"},
};

// Waits until the session stops at one of the forest's prompts (or ends); the prompt's entry.
const forest_stop* forest_wait(session& s, std::size_t from) {
    for (int waited = 0; waited < wait_ms; waited += 20) {
        std::string t = plain(s->output()).substr(from);
        for (const forest_stop& stop : forest_stops)
            if (t.ends_with(stop.prompt)) return &stop;
        if (!s->running()) return nullptr;
        s->read_for(20);
    }
    return nullptr;
}

// Searches the forest, answering every special event, until one fight has ended or the
// player died; true when a fight was won.
bool forest_walk(session& s) {
    std::size_t from = plain(s->output()).size();
    const char* answer = "s";
    for (int step = 0; step < 400; ++step) {
        std::size_t mark = plain(s->output()).size();
        s->send(answer);
        const forest_stop* stop = forest_wait(s, mark);
        std::string t = plain(s->output()).substr(from);
        if (t.find("You have been killed!") != std::string::npos) return false;
        if (!stop) return false;
        if (t.find("You have defeated") != std::string::npos && std::string_view(stop->prompt) == "Command? [S] : ") {
            s.seen = plain(s->output()).size();
            return true;
        }
        answer = stop->answer;
    }
    return false;
}
}  // namespace

struct forest_e2e : game_e2e {
    forest_e2e() {
        // No random events between keys: the dice follow the seed alone.
        std::string flags = read_file(game.file("mainflag.dat"));
        std::size_t at = flags.find("CHECK_FREQUENCY 45 ");
        if (at != std::string::npos) flags.replace(at, 18, "CHECK_FREQUENCY 2000000000");
        write_file(game.file("mainflag.dat"), flags);
    }
};

TEST_F(forest_e2e, a_newcomer_fights_in_the_forest_and_walks_back_to_town) {
    session p = newcomer();
    p.key("e", "Command? [F] : ");
    p->take();
    p.key("f", "Command? [S] : ");
    ansi_screen forest = screen_of(p->take());
    EXPECT_TRUE(forest.contains("Where the wolves run, the wise walk softly.")) << forest.text();
    EXPECT_TRUE(forest.contains("   HP: (20 / 20)   Fights Left : 25    Gold : 500     Gems : 0")) << forest.text();
    EXPECT_TRUE(forest.contains("   Forest of Wolves :   (S,D,L,F,H,Y,V,R,?)"));
    EXPECT_EQ(stored_chars(game.file("players.dat"))[0].location, "fForest of Wolves");

    ASSERT_TRUE(forest_walk(p)) << plain(p->output());
    std::string walk = plain(p->output());
    EXPECT_NE(walk.find("You encounter a "), std::string::npos);
    EXPECT_NE(walk.find("  You gain "), std::string::npos);
    p.key("?", "Command? [S] : ");
    EXPECT_NE(plain(p->output()).find("  (D) Deposit gold in the tree bank"), std::string::npos);
    p.key("l", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);

    std::string players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    EXPECT_EQ(stored_chars(game.file("players.dat"))[0].location, "tTown Square");
    EXPECT_EQ(stored_chars(game.file("players.dat"))[0].online, 0);
    EXPECT_LT(i16_of(players, 287), 25);   // creature fights spent
    EXPECT_GT(i32_of(players, 171), 1);    // experience won
    EXPECT_GT(i32_of(players, 159), 500);  // and the creature's gold
}

TEST_F(forest_e2e, a_player_killed_in_the_forest_stays_dead_until_the_next_day) {
    session p = newcomer();
    ASSERT_EQ(leave_game(p), 0);
    // One hit point left, and too unlucky for any special event: every search is a fight.
    std::string players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    golden g(299);
    g.raw(0, players).i16(78, -19).i16(86, 1);
    write_file(game.file("players.dat"), g.b);

    p = back_to_square();
    p.key("e", "Command? [F] : ");
    p.key("f", "Command? [S] : ");
    // Fight after fight until a creature lands a blow.
    for (int wins = 0; forest_walk(p); ++wins) ASSERT_LT(wins, 25) << plain(p->output());
    std::string death = plain(p->output());
    ASSERT_NE(death.find("  You have been killed!\r\n"), std::string::npos) << death;
    ASSERT_TRUE(p.wait_text("[ Hit any key ]"));
    p->send("x");
    EXPECT_EQ(p->wait_exit(wait_ms), 0);
    // The last screen's key prompt is ended and the colour reset before the game is gone.
    EXPECT_TRUE(p->output().ends_with("[ Hit any key ]\r\n\x1b[0m")) << p->output();

    players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    EXPECT_EQ(static_cast<unsigned char>(players[291]), 1);  // dead
    EXPECT_EQ(i16_of(players, 86), 0);
    EXPECT_EQ(i32_of(players, 159), 0);                      // the gold in hand is gone
    EXPECT_EQ(static_cast<unsigned char>(players[294]), 0);  // offline
    EXPECT_EQ(stored_chars(game.file("players.dat"))[0].location, "tTown Square");

    // The next call of the same day: the killed screen, and the game ends.
    p = log_on();
    p.key("x", "Selection : ");
    p.key("E", "You have already been on today.");
    p.key("", "You were KILLED.\r\n  You will not be allowed to play until tomorrow.\r\n");
    p.key("", "[ Hit any key ]");
    p.key("x", "[ Hit any key ]");
    // Today's news tells of the killing.
    p.key("x", "was killed by");
    p.key("", "[ Hit any key ]");
    p->send("x");
    EXPECT_EQ(p->wait_exit(wait_ms), 0);
    EXPECT_EQ(plain(p->output()).find("Command  : "), std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(read_file(game.file("players.dat"))[291]), 1);
}
