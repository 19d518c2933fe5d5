// Guilds: numbering, founding and its refusals, joining, the leader's keys, kicks and the
// last disband, the member list, and two nodes founding guilds at once.
#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/golden.hpp"
#include "engine/store/data_files.hpp"
#include "game/menu.hpp"
#include "multi/guilds.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

namespace {
// A guild record written by hand at its documented offsets.
std::string guild_image(int number, const std::string& name, int leader, const std::string& password, int hall = 0,
                        const std::string& credo = "") {
    golden g(217);
    g.i16(0, number).str(2, name).i16(23, leader).u8(25, hall).str(26, password).str(47, credo);
    return g.b;
}

std::string quortext() {
    return "@#guild\nCJ\n(guild text)\n@#guild_1\nQEM\n@#guild_2\nE\n@#guild_3\nNKTDB\n@#guild_4\nGRVL\n"
           "@#hall_message\nSRPVFL\n@#\n";
}

struct guilds : multi_state {
    guilds() {
        write_file("quortext.dat", quortext());
        game_stats.max_guilds = 5;
        character_record& me = play_as("anna smith", 2, 1);
        me.level = 6;
        me.online = 1;
        save();
        out.take();
    }
    void put_guilds(const std::string& image) {
        write_file("guilds.dat", image);
        load_guild_file();
    }
    std::string run(const std::string& keys, void (*fn)()) {
        input_feed feed(keys);
        fn();
        return plain(out.take());
    }
    // The guild area with the keys, then L.
    std::string area(const std::string& keys) { return run(keys + "L", guild_area); }
    static character_record stored(std::int16_t number) {
        for (const character_record& c : file_chars())
            if (c.number == number) return c;
        return {};
    }
};

const std::string credo15 = "We fight as one";

TEST_F(guilds, the_next_number_is_the_lowest_free_one) {
    struct row {
        std::string image;
        int next;
    };
    const row rows[] = {
        {"", 1},
        {guild_image(1, "A", 1, "x") + guild_image(2, "B", 2, "x"), 3},
        {guild_image(2, "B", 2, "x"), 1},
        {guild_image(3, "C", 2, "x") + guild_image(1, "A", 1, "x"), 2},
    };
    for (const row& r : rows) {
        put_guilds(r.image);
        EXPECT_EQ(next_guild_number(), r.next) << r.image.size();
    }
}

TEST_F(guilds, a_new_guild_is_stored_at_its_offsets_and_clears_what_an_old_one_left) {
    write_file("hall0001.dat", "old hall\n");
    write_file("hall0001.msg", "@#1\nold\n");
    std::string screen =
        run("Wolves\rY"
            "Secret1\rY" +
                credo15 + "\rY",
            create_guild);
    EXPECT_NE(screen.find("  Guild ADDED."), std::string::npos) << screen;
    golden g(217);
    g.i16(0, 1).str(2, "Wolves").i16(23, 1).str(26, "Secret1").str(47, credo15);
    g.i16(140, 1)
        .str(142, "Wyvern")
        .i16(163, 10)
        .i16(165, 6)
        .i16(167, 1)
        .i16(169, 20)
        .str(171, "Claw")
        .str(192, "Hide");
    EXPECT_EQ(read_file("guilds.dat"), g.b);
    EXPECT_EQ(stored(1).guild, 1);
    EXPECT_FALSE(file_present("hall0001.dat"));
    EXPECT_FALSE(file_present("hall0001.msg"));
}

TEST_F(guilds, founding_refuses_bad_names_passwords_and_credos) {
    put_guilds(guild_image(2, "Knights", 9, "abc"));
    const std::string name = "Wolves\rY", pass = "Secret1\rY";
    struct row {
        std::string keys, shown;
    };
    const row rows[] = {
        {"ab\rY\r", "Your guild name must be at least THREE characters long."},
        {"kNIGHTS\rY\r", "That name is already being USED."},
        {name + "ab\rY\r", "Your guild password must be at least THREE characters long."},
        {name + "a b1\rY\r", "You have used unacceptable characters, ONLY numbers and letters are allowed."},
        {name + pass + credo15.substr(1) + "\rY\r", "Come on! Even \"We like to kill\" is long enough for a credo!"},
        {name + "\r", "Guild Creation : ABORTED."},
    };
    for (const row& r : rows) {
        std::string screen = run(r.keys, create_guild);
        EXPECT_NE(screen.find(r.shown), std::string::npos) << r.keys << "\n" << screen;
        EXPECT_NE(screen.find("Guild Creation : ABORTED."), std::string::npos) << r.keys;
        EXPECT_EQ(guild_count, 1) << r.keys;
        EXPECT_EQ(cur_char->guild, 0);
    }
}

TEST_F(guilds, the_area_refuses_what_the_player_may_not_do) {
    const std::string two = guild_image(1, "Knights", 2, "Secret") + guild_image(2, "Rogues", 1, "abc");
    struct row {
        std::string image;
        int level, guild, max;
        std::string keys, shown;
    };
    const row rows[] = {
        {two, 5, 0, 2, "C", "Sorry, you must be at least level SIX to create a guild."},
        {two, 6, 0, 2, "C", "Sorry, the MAXIMUM number of guilds has been reached."},
        {two, 6, 1, 5, "C", "You already belong to a guild (you must join a different one instead)"},
        {"", 1, 0, 5, "J", "There are NO guilds in the realm."},
        {two, 6, 2, 5, "J", "leadership before you can change guilds."},
        {two, 6, 2, 5, "Q", "leadership before you can quit your guild."},
        {two, 6, 1, 5, "E", "Your Guild doesn't have a HALL."},
        {two, 7, 2, 5, "B", "You must be level 8 to build a guild hall."},
    };
    for (const row& r : rows) {
        put_guilds(r.image);
        cur_char->level = static_cast<std::int16_t>(r.level);
        cur_char->guild = static_cast<std::int16_t>(r.guild);
        game_stats.max_guilds = static_cast<std::int16_t>(r.max);
        std::string screen = area(r.keys + "x");
        EXPECT_NE(screen.find(r.shown), std::string::npos) << r.keys << "\n" << screen;
        EXPECT_EQ(read_file("guilds.dat"), r.image) << r.keys;
        EXPECT_EQ(sub_location, 1);
    }
}

TEST_F(guilds, a_member_who_does_not_lead_changes_nothing_with_the_leaders_keys) {
    put_guilds(guild_image(1, "Knights", 2, "Secret"));
    other(2, "bob").guild = 1;
    cur_char->guild = 1;
    save();
    std::string before = read_file("guilds.dat");
    std::string screen = area("KNTDB");
    EXPECT_EQ(screen.find("Who do you wish"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("Password"), std::string::npos);
    EXPECT_EQ(screen.find("DISBANDING"), std::string::npos);
    EXPECT_EQ(read_file("guilds.dat"), before);
    EXPECT_EQ(stored(1).guild, 1);
}

TEST_F(guilds, join_lists_every_guild_by_number_and_checks_the_password_with_case) {
    put_guilds(guild_image(3, "Rogues", 7, "Secret") + guild_image(1, "Knights", 2, "abc"));
    cur_char->guild = 1;  // a member may change guilds directly
    struct row {
        std::string keys, shown;
        int guild;
    };
    const row rows[] = {
        {"3\rsecret\r", "You have entered an incorrect password.", 1},
        {"2\r", "", 1},
        {"x\r", "", 1},
        {"3\rSecrex\bt\r", "The Rogues welcome you to their guild.", 3},
    };
    for (const row& r : rows) {
        std::string screen = run(r.keys, join_guild);
        EXPECT_NE(screen.find("  (1) Knights\n  (3) Rogues\n"), std::string::npos) << screen;
        if (r.shown.empty())
            EXPECT_EQ(screen.find("Password"), std::string::npos) << r.keys;
        else
            EXPECT_NE(screen.find(r.shown), std::string::npos) << r.keys << "\n" << screen;
        EXPECT_EQ(stored(1).guild, r.guild) << r.keys;
    }
    put_guilds(guild_image(3, "Rogues", 7, "Secret"));
    EXPECT_NE(run("3\rSecrex\bt\r", join_guild).find("Password : XXXXXX\bX\n"), std::string::npos);
}

TEST_F(guilds, kicking_a_sleeper_puts_them_in_the_square_and_mails_them) {
    put_guilds(guild_image(1, "Knights", 1, "abc"));
    cur_char->guild = 1;
    character_record& bob = other(2, "bob");
    bob.guild = 1;
    bob.online = 0;
    bob.sleeping_guild = 1;
    bob.location = "hGuild Hall";
    save();
    std::string screen = run("bob\rYYx", kick_guild_member);
    EXPECT_NE(screen.find("  Bob has been kicked out!"), std::string::npos) << screen;
    character_record b = stored(2);
    EXPECT_EQ(b.guild, 0);
    EXPECT_EQ(b.sleeping_guild, 0);
    EXPECT_EQ(b.location.str(), "tTown Square");
    EXPECT_EQ(read_file("user0002.dat"),
              "#0000 `%System Message\n`!  Anna Smith`9 has kicked you out of `4Knights`9.\n"
              "  `3You were even thrown out on the streets while you slept!\n~\nSET GUI 0 1\n");
    EXPECT_NE(run("anna\rY", kick_guild_member).find("You cannot kick yourself out."), std::string::npos);
}

TEST_F(guilds, the_last_disband_mails_the_members_and_clears_every_member_at_once) {
    put_guilds(guild_image(1, "Knights", 1, "abc", 1));
    cur_char->guild = 1;
    other(2, "bob").guild = 1;
    char_num_ptr(2)->online = 0;
    char_num_ptr(2)->sleeping_guild = 1;
    char_num_ptr(2)->location = "hGuild Hall";
    other(3, "carl").guild = 1;
    other(4, "dora").guild = 2;
    save();
    write_file("hall0001.dat", "hall\n");
    write_file("hall0001.msg", "@#1\n");
    std::string screen = run("Y", disband_guild);
    EXPECT_NE(screen.find("  Guild DISBANDED!"), std::string::npos) << screen;
    EXPECT_FALSE(file_present("guilds.dat"));
    EXPECT_FALSE(file_present("hall0001.dat"));
    EXPECT_TRUE(file_present("hall0001.msg"));
    EXPECT_EQ(stored(1).guild, 0);
    EXPECT_EQ(stored(2).guild, 0);
    EXPECT_EQ(stored(2).sleeping_guild, 0);
    EXPECT_EQ(stored(2).location.str(), "tTown Square");
    EXPECT_EQ(stored(3).guild, 0);  // on line too: its node takes it in at its next refresh
    const std::string mail =
        "#0000 `%System Message\n`4  Knights`9 has been disbanded by `!Anna Smith.\n"
        "`9  All members will have to leave the guild hall as it is being demolished.\n~\nSET GUI 0 1\n";
    EXPECT_EQ(read_file("user0002.dat"), mail);
    EXPECT_EQ(read_file("user0003.dat"), mail);
    EXPECT_FALSE(file_present("user0004.dat"));
    EXPECT_NE(read_file("news0.dat").find("`3`4  Knights`3 has been disbanded by `!Anna Smith."), std::string::npos);
    EXPECT_EQ(next_guild_number(), 1);
}

// Two characters of one name: the letters of a quit and a disband reach the member's own mailbox.
TEST_F(guilds, letters_to_members_go_by_number_not_by_a_shared_name) {
    struct row {
        const char* what;
        int leader;
        const char* keys;
        void (*fn)();
        const char* letter;
    } rows[] = {
        {"quit", 2, "Y", quit_guild, "#0000 `%System Message\n`!  Anna Smith`9 has quit `4Knights`9.\n~\n"},
        {"disband", 1, "Y", disband_guild,
         "#0000 `%System Message\n`4  Knights`9 has been disbanded by `!Anna Smith.\n~\nSET GUI 0 1\n"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        for (const char* f : {"user0002.dat", "user0003.dat"}) unlink(f);
        put_guilds(guild_image(1, "Knights", r.leader, "abc"));
        cur_char->guild = 1;
        if (!char_num_ptr(2)) other(2, "bob").guild = 0;
        if (!char_num_ptr(3)) other(3, "bob");
        char_num_ptr(3)->guild = 1;
        save();
        run(r.keys, r.fn);
        EXPECT_FALSE(file_present("user0002.dat"));
        EXPECT_EQ(read_file("user0003.dat"), r.letter);
    }
}

TEST_F(guilds, a_member_line_of_the_list) {
    put_guilds(guild_image(4, "Knights", 1, "abc"));
    cur_char->guild = 4;
    cur_char->class_bits = class_warrior | (class_thief << 6);
    cur_char->experience = 1234567;
    cur_char->level = 12;
    std::string screen = run("", [] { display_guild_members(4); });
    EXPECT_NE(
        screen.find("\n W   M   T   H   P   R   Anna Smith                12      1,234,567     Alive     4   On!\n"),
        std::string::npos)
        << screen;
}

// Real pauses, shortened, so two nodes really wait for each other's hold.
struct scaled_seam : system_seam {
    void sleep_ms(int ms) override { ::usleep(static_cast<useconds_t>(ms) * 200); }
};

TEST_F(guilds, two_nodes_founding_at_once_get_distinct_numbers) {
    other(2, "bob").level = 6;
    save();
    auto found = [](std::int16_t me, std::string name) {
        return start_child([me, name] {
            scaled_seam seam;
            set_sys(&seam);
            cur_char = char_num_ptr(me);
            input_feed feed(name +
                            "\rY"
                            "Secret1\rY" +
                            credo15 + "\rY");
            create_guild();
        });
    };
    pid_t a = found(1, "Wolves"), b = found(2, "Bears");
    EXPECT_EQ(wait_child(a).code, 0);
    EXPECT_EQ(wait_child(b).code, 0);
    load_guild_file();
    ASSERT_EQ(guild_count, 2);
    refresh_char_file();
    EXPECT_NE(guild_name_ptr("Wolves")->number, guild_name_ptr("Bears")->number);
    EXPECT_EQ(stored(1).guild, guild_name_ptr("Wolves")->number);
    EXPECT_EQ(stored(2).guild, guild_name_ptr("Bears")->number);
}
}  // namespace
