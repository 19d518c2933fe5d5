// The chat room on one node: what each typed line puts in the members' queues, the
// refusals, the stored preferences, and what the room does with each dispatched message.
#include <gtest/gtest.h>

#include "engine/store/data_files.hpp"
#include "engine/text/flags.hpp"
#include "multi/chat.hpp"
#include "multi/node_queue.hpp"
#include "multi_state.hpp"
#include "support/input_feed.hpp"

namespace {
struct chat : multi_state {
    chat_state room;
    // Anna (playing) and Bob in the room, Dora too ("z"), Carl and Eve Smith in the square,
    // Fay in the room but off line.
    chat() {
        set_online_fight_round_hook(nullptr);
        anna().name = "anna";
        cur_char->online = 1;
        cur_char->location = chat_room_location;
        other(2, "bob").location = chat_room_location;
        other(3, "carl").location = "tTown Square";
        other(4, "dora").location = "zchat room";
        other(5, "eve smith").location = "tTown Square";
        character_record& fay = other(6, "fay");
        fay.location = chat_room_location;
        fay.online = 0;
        save();
        out.take();
    }
    static std::string queue(int number) {
        std::string name = queue_file_name(static_cast<std::int16_t>(number));
        std::string text = file_present(name) ? read_file(name) : "";
        std::remove(name.c_str());
        return text;
    }
    // The line typed, with the screen it gives and the queues of Anna, Bob, Carl, Dora and Eve.
    std::string say(const std::string& line) {
        chat_line(room, line);
        std::string seen = plain(out.take());
        for (int n = 1; n <= 5; ++n) seen += "|" + queue(n);
        return seen;
    }
    std::string flag(int number, const char* name) {
        return return_flag(name, flag_file_name(static_cast<std::int16_t>(number)), flags_section_name);
    }
};

TEST_F(chat, lines_commands_refusals_and_preferences_reach_exactly_the_right_files) {
    add_flag("CHAT_PAGE", "DISABLED", flag_class_never, flag_file_name(3), flags_section_name);
    add_flag("CHAT_COMBAT", "DISABLED", flag_class_never, flag_file_name(4), flags_section_name);
    add_flag("CHAT_FIGHTING", "TRUE", flag_class_death, flag_file_name(2), flags_section_name);
    const std::string hi = "MESSAGE `%Anna: `3hi there\n";
    struct row {
        bool echo;
        std::string line, seen;
    } rows[] = {
        {false, "hi there", "||" + hi + "||" + hi + "|"},
        {true, "hi there", "|" + hi + "|" + hi + "||" + hi + "|"},
        {false, "   ", "||MESSAGE `%Anna: `3   \n||MESSAGE `%Anna: `3   \n|"},
        {false, "", "|||||"},
        {true, "MSG bob  two  blanks",
         "|MESSAGE `%Anna`4(to Bob)`%: `3 two  blanks\n|MESSAGE `%Anna`4(private)`%: `3 two  blanks\n|||"},
        {false, "msg bob hi", "||MESSAGE `%Anna`4(private)`%: `3hi\n|||"},
        {true, "MSG carl hi", "That person is not in the chat room.\n|||||"},
        {true, "MSG anna hi", "Now why would you want to send a message to yourself?\n|||||"},
        {false, "PAGE \"eve smith\"", "Eve Smith has been paged.\n|||||PAGE 1\n"},
        {false, "page eve smith", "That person is not on right now.\n|||||"},
        {false, "PAGE", "That person is not on right now.\n|||||"},
        {false, "PAGE anna", "Now why would you want to page yourself to the chat room?\n|||||"},
        {false, "PAGE dora", "That person is already in the chat room.\n|||||"},
        {false, "PAGE carl", "Carl has DISABLED their chat page.\n|||||"},
        {false, "ATTACK carl", "That person is not in the chat room.\n|||||"},
        {false, "ATTACK anna", "Now why would you want to attack yourself in the chat room?\n|||||"},
        {false, "ATTACK dora", "Dora has DISABLED their Chat-Combat.\n|||||"},
        {false, "attack \"bob\"", "Bob is already engaged in Chat-Combat!\n|||||"},
        {false, "WHO", "Characters In the Chat Room:\nDora\nBob\nAnna\n|||||"},
        {false, "DISABLE PAGE", "Chat pages are now DISABLED\n|||||"},
        {false, "disable combat", "Chat combat is now DISABLED\n|||||"},
        {false, "enable page", "Chat pages are now ENABLED\n|||||"},
        {false, "DISABLE nothing", "|||||"},
        {false, "ECHO", "Echo ON\n|||||"},
        {true, "e", "Echo OFF\n|||||"},
    };
    for (const row& r : rows) {
        room.echo = r.echo;
        EXPECT_EQ(say(r.line), r.seen) << r.line;
    }
    add_flag("CHAT_FIGHTING", "FALSE", flag_class_death, flag_file_name(2), flags_section_name);
    EXPECT_EQ(say("ATTACK bob"), "||CHAT_COMBAT 1\n|||");
    // The challenge counts as the fight: this side is engaged, and stays until it ends.
    EXPECT_EQ(flag(1, "CHAT_FIGHTING"), "TRUE");
    EXPECT_EQ(room.foes, std::vector<std::int16_t>{2});
    EXPECT_EQ(say("q"), "  You cannot leave while you are fighting!\n|||||");
    room.foes.clear();
    EXPECT_EQ(say("q"), "|||||");
    EXPECT_TRUE(room.leave);
    // Preferences last: class 2.
    std::string flags = read_file(flag_file_name(1));
    for (const char* line : {"CHAT_PAGE ENABLED 2\n", "CHAT_COMBAT DISABLED 2\n", "CHAT_ECHO DISABLED 2\n"})
        EXPECT_NE(flags.find(line), std::string::npos) << line << flags;
}

TEST_F(chat, each_dispatched_fight_step_tells_the_room_and_keeps_the_fight_state) {
    struct row {
        std::string line;
        std::vector<std::int16_t> foes_before, foes_after;
        std::string screen, dora, fighting;
    } rows[] = {
        {"CC_RECEIVED 2", {}, {2}, "\n[Combat Initiated]\n", "MESSAGE `4[Anna has attacked Bob]\n", "-1"},
        {"CHAT_DAMAGE 0 2", {2}, {2}, "\n  Bob misses you completely.\n", "MESSAGE `2[Bob misses Anna]\n", "-1"},
        {"CHAT_DDAMAGE 5 2",
         {2},
         {2},
         "\n\n  Bob hits you with BRUTAL FORCE.\n\n  Bob hits you for 5 points of damage.\n",
         "MESSAGE `4[Bob slashes Anna]\n",
         "-1"},
        {"CHAT_VICTORY 0 2", {2, 4}, {4}, "", "MESSAGE `4[Anna has defeated Bob]\n", "-1"},
        {"CHAT_VICTORY 0 2", {2}, {}, "", "MESSAGE `4[Anna has defeated Bob]\n", "FALSE"},
        {"CHAT_FLEE 0 2",
         {2},
         {},
         "\n  You run for your LIFE.  What a coward.\n",
         "MESSAGE `4[Anna has fled from Bob]\n",
         "FALSE"},
        {"CHAT_RUN 0 2", {2}, {}, "\n  Bob has FLED!  What a coward.\n", "", "FALSE"},
        {"MESSAGE `%Bob: `3CHAT_VICTORY 0 2", {2}, {2}, "\nBob: CHAT_VICTORY 0 2\n", "", "-1"},
        {"ENTERCHAT 4", {}, {}, "\nDora has entered the room.\n", "", "-1"},
    };
    for (const row& r : rows) {
        remove_flag("CHAT_FIGHTING", flag_file_name(1), flags_section_name);
        room.foes = r.foes_before;
        seam.rolls = {3};
        write_file("node0001.msg", r.line + "\n");
        write_str(">");  // the room's prompt, waiting: what is shown comes below it
        chat_message(room);
        EXPECT_EQ(plain(out.take()), ">" + r.screen) << r.line;
        EXPECT_EQ(queue(4), r.dora) << r.line;
        EXPECT_EQ(queue(2), "") << r.line;
        EXPECT_EQ(room.foes, r.foes_after) << r.line;
        EXPECT_EQ(flag(1, "CHAT_FIGHTING"), r.fighting) << r.line;
        queue(1);
    }
}

TEST_F(chat, leaving_is_refused_in_a_fight_until_the_opponent_leaves_the_realm) {
    room.foes = {2};
    EXPECT_EQ(say("L"), "  You cannot leave while you are fighting!\n|||||");
    EXPECT_FALSE(room.leave);
    std::vector<character_record> recs = file_chars();
    for (character_record& c : recs)
        if (c.number == 2) c.online = 0;
    put_chars(recs);
    write_file("node0001.msg", "LEAVEREALM 2 0\n");
    chat_message(room);
    // Gone without a run: its run is queued here, and ends the fight as a run does.
    EXPECT_EQ(room.foes, std::vector<std::int16_t>{2});
    chat_message(room);
    EXPECT_NE(plain(out.take()).find("Bob has FLED!  What a coward."), std::string::npos);
    EXPECT_TRUE(room.foes.empty());
    EXPECT_EQ(flag(1, "CHAT_FIGHTING"), "FALSE");
    say("leave");
    EXPECT_TRUE(room.leave);
}

TEST_F(chat, entering_typing_and_leaving_tell_the_room_and_save_the_place_first) {
    cur_char->location = "tTown Square";
    add_flag("CHAT_ECHO", "ENABLED", flag_class_never, flag_file_name(1), flags_section_name);
    // DEL takes back a key; a control byte becomes ".".
    input_feed keys("hx\x7fi\x02\rL\r");
    chat_room();
    EXPECT_EQ(plain(out.take()),
              "  Chat Room :  (?)Help  "
              "(L)eave\n-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\n"
              "Characters In the Chat Room:\nAnna\nBob\nDora\nEcho ON\n>hx\b \bi.\n>L\n");
    const std::string said = "MESSAGE `%Anna: `3hi.\n";
    EXPECT_EQ(queue(2), "ENTERCHAT 1\n" + said + "LEAVECHAT 1\n");
    EXPECT_EQ(queue(4), "ENTERCHAT 1\n" + said + "LEAVECHAT 1\n");
    EXPECT_EQ(queue(1), said);
    EXPECT_EQ(queue(3) + queue(6), "");
    for (const character_record& c : file_chars())
        if (c.number == 1) {
            EXPECT_EQ(c.location.str(), "tTown Square");
        }
    EXPECT_EQ(flag(1, "CHAT_FIGHTING"), "FALSE");
}

input_feed* turn_keys = nullptr;

// A fight turn that ended on a key prompt ("[ Hit any key ]" after a win): the room's prompt
// comes on the next line, not glued to it.
TEST_F(chat, the_prompt_comes_below_a_fight_turn_that_ended_on_a_key_prompt) {
    cur_char->location = "tTown Square";
    check_frequency = 1;
    input_feed keys;
    turn_keys = &keys;
    set_online_fight_round_hook([](std::string_view, bool) {
        disp_text("`9      [ Hit any key ]");
        turn_keys->send("L\r");
    });
    write_file("node0001.msg", "CHAT_ATTACK 2\n");
    chat_room();
    std::string seen = plain(out.take());
    EXPECT_TRUE(seen.ends_with("\nDora\n>\n      [ Hit any key ]\n>L\n")) << seen;
    set_online_fight_round_hook(nullptr);
}
}  // namespace
