// The dispatcher of the message queues: each verb's screen, replies and result.
#include <gtest/gtest.h>

#include "engine/store/data_files.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/node_verbs.hpp"
#include "multi/node_queue.hpp"
#include "multi_state.hpp"
#include <set>
#include <type_traits>

namespace {
character_record anna_in_file() {
    for (const character_record& c : file_chars())
        if (c.number == 1) return c;
    return {};
}

const std::string rule = "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

struct dispatch : multi_state {
    dispatch() {
        // The dispatcher on its own: the fights at their defaults.
        set_online_fight_wait_hook(nullptr);
        set_online_fight_round_hook(nullptr);
        anna();
        other(2, "BOB").level = 4;
        other(3, "carl", 3);
        guild_record g;
        g.number = 5;
        g.name = "Knights";
        g.guard_name = "Grog";
        add_guild(g);
        save();
        out.take();
    }
    // Puts the line in the own queue, dispatches it, and keeps the screen.
    std::string run(const std::string& line, std::int16_t raided_guild = 0) {
        write_file("node0001.msg", line + "\n");
        result = check_node_messages(raided_guild);
        return plain(out.take());
    }
    std::string queue(int number) {
        std::string name = queue_file_name(static_cast<std::int16_t>(number));
        return file_present(name) ? read_file(name) : "";
    }
    std::string result;
};

// A sender can only make a queue line from a verb of the list: bare text does not compile.
static_assert(!std::is_constructible_v<node_line, std::string>);
static_assert(!std::is_constructible_v<node_line, const char*>);

TEST(node_verbs, every_verb_has_its_own_name_a_handler_and_its_line) {
    std::set<std::string> names;
    for (std::size_t i = 0; i < node_verb_names.size(); ++i) {
        node_verb v = static_cast<node_verb>(i);
        std::string name(verb_name(v));
        EXPECT_TRUE(node_verb_handled(v)) << name;
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(upcase_str(name), name);
        EXPECT_EQ(find_node_verb(name), v);
        EXPECT_EQ(node_line(v).text(), name);
        EXPECT_EQ(node_line(v, "2 0").text(), name + " 2 0");
        EXPECT_EQ(node_line(v, "").text(), name + " ");
    }
    for (std::string_view word : {"", "FOO", "page", "PAGE 2", "HOLDGUILD"}) EXPECT_FALSE(find_node_verb(word)) << word;
}

TEST_F(dispatch, message_is_case_blind_and_gives_its_text_cut_to_86) {
    EXPECT_EQ(run("message hello there"), "");
    EXPECT_EQ(result, "hello there");
    EXPECT_FALSE(node_msg_waiting());
    run("MESSAGE " + std::string(200, 'x'));
    EXPECT_EQ(result, std::string(78, 'x'));
    run("MESSAGE");
    EXPECT_EQ(result, "");
}

TEST_F(dispatch, unknown_verbs_missing_senders_and_an_empty_queue_are_consumed_quietly) {
    for (std::string line : {"FOO 2", "PAGE 99", "PAGE -1", "PAGE x", "LEAVEREALM 99 0", "ENTERREALM 0", "COMBAT 70000",
                             "CHAT_DAMAGE 10 42", "GNUMQUERY 9", ""}) {
        EXPECT_EQ(run(line), "") << line;
        EXPECT_EQ(result, "") << line;
        EXPECT_FALSE(node_msg_waiting()) << line;
    }
    EXPECT_EQ(cur_char->hit_points, 40);
    EXPECT_EQ(check_node_messages(0), "");
    EXPECT_EQ(queue(2) + queue(3), "");
}

TEST_F(dispatch, leaving_and_entering_the_realm_show_system_messages_after_a_refresh) {
    EXPECT_EQ(run("LEAVEREALM 2 0"), "\n  System Message\n" + rule + "\n  Bob has left the realm.\n");
    EXPECT_EQ(run("LEAVEREALM 3 12"), "\n  System Message\n" + rule +
                                          "\n  Carl was bounced out of the realm.\n"
                                          "    Error Code : 12.  Please inform SysOp.\n");
    // A character made on another node since this one read "players.dat".
    std::vector<character_record> recs = file_chars();
    recs.push_back(make_char(4, "dora"));
    put_chars(recs);
    EXPECT_EQ(run("ENTERREALM 4"), "\n  System Message\n" + rule + "\n  Dora has entered the realm.\n");
    EXPECT_EQ(result, "");
}

TEST_F(dispatch, pages_are_shown_and_answered) {
    EXPECT_EQ(run("PAGE 2"), "  Bob has PAGED you to the chat room.\n");
    EXPECT_EQ(queue(2), "PAGEANSWER 1\n");
    EXPECT_EQ(run("PAGEANSWER 3"), "Carl has received your page.\n");
    EXPECT_EQ(result, "");
}

TEST_F(dispatch, chat_room_verbs_give_their_results) {
    seam.sleeps.clear();
    seam.rolls = {0, 17};
    EXPECT_EQ(run("ENTERCHAT 2"), "");
    EXPECT_EQ(result, "`4Bob`@ has entered the room.");
    EXPECT_EQ(run("LEAVECHAT 3"), "");
    EXPECT_EQ(result, "`4Carl`@ has left the room.");
    EXPECT_EQ(seam.sleeps, (std::vector<int>{100, 0, 100, 17}));
    EXPECT_EQ(seam.random_ranges, (std::vector<int>{50, 50}));

    EXPECT_EQ(run("CHAT_VICTORY 0 2"), "");
    EXPECT_EQ(result, "CHAT_VICTORY 0 2");
    EXPECT_EQ(run("CC_RECEIVED 2"), "");
    EXPECT_EQ(result, "CC_RECEIVED 2");
    EXPECT_EQ(run("CHAT_RUN 0 2"), "  Bob has FLED!  What a coward.\n");
    EXPECT_EQ(result, "CHAT_RUN 0 2");
    EXPECT_EQ(run("chat_flee 0 2"), "  You run for your LIFE.  What a coward.\n");
    EXPECT_EQ(result, "chat_flee 0 2");
    EXPECT_EQ(run("HALLCLEAR"), "");
    EXPECT_EQ(result, "HALLCLEAR");
}

TEST_F(dispatch, chat_hits_are_shown_taken_and_answered_with_an_attack) {
    inventory_list bobs;
    item_record sword;
    sword.name = "Long Sword";
    sword.position = 7;
    sword.equipped = 1;
    bobs.push_back(sword);
    write_inventory(2, bobs);

    EXPECT_EQ(run("CHAT_DAMAGE 0 2"), "  Bob misses you completely.\n");
    EXPECT_EQ(result, "CHAT_DAMAGE 0 2");
    EXPECT_EQ(read_file("node0001.msg"), "CHAT_ATTACK 2\n");
    std::remove("node0001.msg");

    EXPECT_EQ(run("CHAT_DDAMAGE 7 2"),
              "\n  Bob hits you with BRUTAL FORCE.\n\n"
              "  Bob hits you for 7 points of damage with his Long Sword.\n");
    EXPECT_EQ(cur_char->hit_points, 33);
    std::remove("node0001.msg");
    EXPECT_EQ(run("CHAT_DAMAGE 5 3"), "  Carl hits you for 5 points of damage.\n");
    EXPECT_EQ(cur_char->hit_points, 28);
    EXPECT_EQ(read_file("node0001.msg"), "CHAT_ATTACK 3\n");
    std::remove("node0001.msg");
    // A forged negative hit heals nothing.
    EXPECT_EQ(run("CHAT_DAMAGE -30 3"), "  Carl misses you completely.\n");
    EXPECT_EQ(cur_char->hit_points, 28);
    // An online fight's blows that arrive after the fight: each shown as sent, taken, no turn.
    EXPECT_EQ(run("DAMAGE 4 3"), "  Carl hits you for 4 points of damage.\n");
    EXPECT_EQ(run("DDAMAGE 4 3"), "\n  Carl hits you with BRUTAL FORCE.\n\n  Carl hits you for 4 points of damage.\n");
    EXPECT_EQ(cur_char->hit_points, 20);
    EXPECT_EQ(queue(1), "");
}

TEST_F(dispatch, a_chat_fight_marks_both_fighters_and_the_surprise_decides_who_strikes_first) {
    // 10/3 + 10 - 4/3 = 12 against Random(100) + 1: a roll of 5 surprises, 11 does not.
    seam.rolls = {5};
    run("CHAT_COMBAT 2");
    EXPECT_EQ(result, "CHAT_COMBAT 2");
    EXPECT_EQ(return_flag("CHAT_FIGHTING", flag_file_name(1), "FLAGS"), "TRUE");
    EXPECT_EQ(return_flag("CHAT_FIGHTING", flag_file_name(2), "FLAGS"), "TRUE");
    EXPECT_NE(read_file(flag_file_name(2)).find("CHAT_FIGHTING TRUE 0"), std::string::npos);
    EXPECT_EQ(read_file("node0001.msg"),
              "MESSAGE Chat-Combat has been initiated by Bob\n"
              "MESSAGE Bob`9 surprises you!\n");
    EXPECT_EQ(queue(2), "CC_RECEIVED 1\nMESSAGE `9  You manage to surprise Anna Smith!\nCHAT_ATTACK 1\n");

    std::remove("node0001.msg");
    std::remove("node0002.msg");
    seam.rolls = {11};
    run("CHAT_COMBAT 2");
    EXPECT_EQ(read_file("node0001.msg"), "MESSAGE Chat-Combat has been initiated by Bob\nCHAT_ATTACK 2\n");
    EXPECT_EQ(queue(2), "CC_RECEIVED 1\n");
}

std::vector<std::string> fight_calls;
TEST_F(dispatch, a_chat_turn_goes_to_the_fight_and_without_one_runs_away) {
    run("CHAT_ATTACK 2");
    EXPECT_EQ(result, "");
    EXPECT_EQ(queue(2), "CHAT_RUN 0 1\n");
    EXPECT_EQ(read_file("node0001.msg"), "CHAT_FLEE 0 2\n");
    std::remove("node0001.msg");

    fight_calls.clear();
    set_online_fight_round_hook([](std::string_view name, bool chat) {
        fight_calls.push_back(std::string(name) + (chat ? " chat" : " online"));
    });
    run("CHAT_ATTACK 3");
    EXPECT_EQ(fight_calls, (std::vector<std::string>{"Carl chat"}));
}

bool fight_result = false;
TEST_F(dispatch, an_attack_is_defended_in_the_fight_and_the_place_restored) {
    // Without the fight this side bails out at once.
    EXPECT_EQ(run("COMBAT 2"), "\n  Bob has ATTACKED you! (Online Combat)\n");
    EXPECT_EQ(queue(2), "CRECEIVE 1\nRUN 0 1\n");
    EXPECT_EQ(result, "");
    EXPECT_EQ(cur_char->location, "tTown Square");
    std::remove("node0002.msg");

    fight_calls.clear();
    set_online_fight_wait_hook([](std::string_view name) {
        fight_calls.push_back(std::string(name) + " " + cur_char->location.str() + " " + anna_in_file().location.str());
        return fight_result;
    });
    fight_result = true;
    EXPECT_EQ(run("GUILDCOMBAT 2"), "\n  Bob has RAIDED your hall! (Online Combat)\n");
    EXPECT_EQ(result, "HOLDGUILD");
    fight_result = false;
    run("GUILDCOMBAT 2");
    EXPECT_EQ(result, "FLEEGUILD");
    EXPECT_EQ(fight_calls,
              (std::vector<std::string>{"Bob tOnline Combat tOnline Combat", "Bob tOnline Combat tOnline Combat"}));
    EXPECT_EQ(queue(2), "CRECEIVE 1\nCRECEIVE 1\n");
    EXPECT_EQ(cur_char->location, "tTown Square");
    EXPECT_EQ(anna_in_file().location, "tTown Square");
}

TEST_F(dispatch, a_raider_at_the_hall_is_fought_only_by_the_holder_of_the_raided_guild) {
    char_num_ptr(2)->guild = 7;
    save();
    fight_calls.clear();
    set_online_fight_wait_hook([](std::string_view name) {
        fight_calls.push_back(std::string(name));
        return true;
    });
    const std::string angry = "\n  Bob has entered the hall and looks quite angry!\n";
    EXPECT_EQ(run("GNUMQUERY 2", 7), angry);
    EXPECT_EQ(result, "HOLDGUILD");
    EXPECT_EQ(queue(2), "GUILDCOMBAT 1\n");
    EXPECT_EQ(fight_calls, (std::vector<std::string>{"Bob"}));
    std::remove("node0002.msg");

    EXPECT_EQ(run("GNUMQUERY 2", 0), angry);
    EXPECT_EQ(result, "");
    EXPECT_EQ(queue(2), "HALLCLEAR\n");
    std::remove("node0002.msg");
    char_num_ptr(2)->guild = 0;
    save();
    run("GNUMQUERY 2", 0);
    EXPECT_EQ(queue(2), "HALLCLEAR\n");
    EXPECT_EQ(fight_calls.size(), 1u);
    // A member new to the realm since this node read the list still gets its answer.
    std::vector<character_record> recs = file_chars();
    recs.push_back(make_char(9, "eve"));
    put_chars(recs);
    run("GNUMQUERY 9", 0);
    EXPECT_EQ(queue(9), "HALLCLEAR\n");
}

TEST_F(dispatch, sounds_of_a_raid_name_the_own_guardian) {
    EXPECT_EQ(run("RUCKUS"), "\n\n  You hear the sounds of combat coming from outside your guild hall!\n");
    EXPECT_EQ(run("GUARDDIE"), "\n\n  You hear the blood curdling scream of Grog's death!\n");
    EXPECT_EQ(run("RAIDFLEE"), "\n\n  Grog steps through the door and gives you the high sign!\n");
    EXPECT_EQ(run("RAIDDIE"),
              "\n\n  You hear a blood curdling scream come from outside your guild hall!\n"
              "  Grog steps through the door and gives you the high sign\n");
    EXPECT_EQ(result, "");
}

}  // namespace
