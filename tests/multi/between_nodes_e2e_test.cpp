// Three nodes on one game directory, one of them killed (SIGKILL: no hang-up reaches its
// game): an online fight and a chat fight against a node that is gone end and pay nothing;
// two who attack each other at once start one fight; the member of a disbanded guild is no
// member of the guild that takes its number next. The realm's gold and gems never grow.
#include <gtest/gtest.h>

#include <tuple>

#include "engine/golden.hpp"
#include "engine/store/strings.hpp"
#include "fight_walk.hpp"

namespace {
using namespace two_node;

constexpr std::size_t number_at = 62, attack_at = 68, guild_at = 80, hit_points_at = 86, max_hit_points_at = 88,
                      gold_at = 159, level_at = 175, dead_at = 291, online_at = 294, has_hall_at = 25,
                      treasury_gold_at = 134;
constexpr const char* turn_prompt = "Command? [A] : ";

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct between_nodes : two_nodes {
    caller n1, n2, n3;

    wealth realm_wealth() { return two_node::realm_wealth(game); }
    // The caller of the two that shows the text first (after its last read), null after the wait.
    static caller* first_to_show(caller& a, caller& b, const std::string& text) {
        caller* found = nullptr;
        drive({}, {&a, &b}, [&] {
            for (caller* c : {&a, &b})
                if (c->text().find(text, c->read_up_to) != std::string::npos) found = c;
            return found != nullptr;
        });
        if (found) {
            EXPECT_TRUE(found->shows(text));
        }
        return found;
    }
    // The three callers of nodes 1 to 3 back in the town square.
    void all_back() {
        const std::tuple<caller*, int, const char*> callers[] = {
            {&n1, 1, "Anna Berg"}, {&n2, 2, "Carl Dorn"}, {&n3, 3, "Dana Kell"}};
        for (auto [c, node, bbs_name] : callers) {
            *c = start(node);
            come_back(*c, bbs_name);
        }
    }
    // Bess (node 1), Dora (node 2) and Gwen (node 3); Bess and Dora hardy and weak hitters,
    // with 500 and 777 gold; all three back in the town square.
    void three_in_the_square() {
        made_on(1, "Anna Berg", "Bess");
        made_on(2, "Carl Dorn", "Dora");
        made_on(3, "Dana Kell", "Gwen");
        change_players([](const std::string& name, std::string& rec) {
            if (name == "GWEN") return;
            for (std::size_t at : {hit_points_at, max_hit_points_at}) set16(rec, at, 30000);
            set16(rec, attack_at, 5);
            set32(rec, gold_at, name == "BESS" ? 500 : 777);
        });
        all_back();
    }
    std::string name_on(const caller& c) const { return &c == &n1 ? "Bess" : "Dora"; }
};

TEST_F(between_nodes, two_who_attack_each_other_fight_once_and_a_killed_opponent_pays_nothing) {
    three_in_the_square();
    const wealth before = realm_wealth();
    n1.type("p", "Command? [L] : ");
    n1.type("a", "Who do you wish to attack : ");
    n1.type("dora\r", "[Y] : ");
    n2.type("p", "Command? [L] : ");
    n2.type("a", "Who do you wish to attack : ");
    n2.type("bess\r", "[Y] : ");
    n1.term->send("y");
    n2.term->send("y");

    // The first challenge attacks; the other is answered at once and defends.
    caller* engaged = first_to_show(n1, n2, "is already engaged in Online-Combat!");
    ASSERT_TRUE(engaged);
    caller& attacker = engaged == &n1 ? n2 : n1;
    ASSERT_TRUE(engaged->shows(name_on(attacker) + " has ATTACKED you! (Online Combat)"));
    ASSERT_TRUE(attacker.shows("Combat BEGINS!"));

    // The side at its turn stays; the other's node is killed; the blow finds it gone.
    caller* at_turn = first_to_show(n1, n2, turn_prompt);
    ASSERT_TRUE(at_turn);
    caller& gone = at_turn == &n1 ? n2 : n1;
    const std::string gone_name = name_on(gone), gone_rec = upcase_str(gone_name);
    kill_node(gone);
    at_turn->type("a", gone_name + " has FLED!  What a coward.");
    ASSERT_TRUE(at_turn->shows("Command? [L] : "));
    EXPECT_EQ(count_of(n1.text() + n2.text(), "Combat BEGINS!"), 1u);
    EXPECT_EQ(count_of(n1.text() + n2.text(), "is already engaged"), 1u);
    EXPECT_EQ(at_turn->text().find("You have defeated"), std::string::npos);

    // The killed node left its online byte set; nobody takes it for on line.
    std::string rec = stored(gone_rec);
    EXPECT_EQ(rec[online_at], 1);
    EXPECT_EQ(rec[dead_at], 0);
    n3.type("f", "Players in the Realm :");
    n3.type("", "Command  : ");
    std::string seen = n3.text().substr(n3.text().rfind("Players in the Realm :"));
    EXPECT_NE(seen.find(name_on(*at_turn)), std::string::npos) << seen;
    EXPECT_EQ(seen.find(gone_name), std::string::npos) << seen;
    // Gwen finds the player away, and may fight the stored record.
    n3.type("p", "Command? [L] : ");
    n3.type("a", "Who do you wish to attack : ");
    n3.type(upcase_str(gone_name) + "\r", "[Y] : ");
    n3.type("y", "You scout around until you find");
    n3.type("", "? (Y/N) [Y] :");
    n3.type("n", "Command? [L] : ");

    at_turn->type("l", "Command  : ");
    EXPECT_EQ(leave(*at_turn), 0);
    n3.type("l", "Command  : ");
    EXPECT_EQ(leave(n3), 0);
    EXPECT_EQ(realm_wealth(), before);
    EXPECT_EQ(e2e::i32_of(stored(gone_rec), gold_at), gone_rec == "BESS" ? 500 : 777);
}

TEST_F(between_nodes, a_chat_fight_starts_once_and_ends_when_the_node_at_its_turn_is_killed) {
    three_in_the_square();
    n1.type(".", ">");
    n2.type(".", ">");
    ASSERT_TRUE(n1.shows("Dora has entered the room."));
    n3.type(".", ">");
    ASSERT_TRUE(n1.shows("Gwen has entered the room."));
    ASSERT_TRUE(n2.shows("Gwen has entered the room."));
    const wealth before = realm_wealth();
    n1.term->send("ATTACK dora\r");
    n2.term->send("ATTACK bess\r");

    caller* engaged = first_to_show(n1, n2, "is already engaged in Chat-Combat!");
    ASSERT_TRUE(engaged);
    caller& attacker = engaged == &n1 ? n2 : n1;
    ASSERT_TRUE(n3.shows("[" + name_on(attacker) + " has attacked " + name_on(*engaged) + "]"));

    // The node whose turn it is dies there; the other side hears nothing, and ends the fight.
    caller* at_turn = first_to_show(n1, n2, turn_prompt);
    ASSERT_TRUE(at_turn);
    caller& waiting = at_turn == &n1 ? n2 : n1;
    const std::string gone_name = name_on(*at_turn), gone_rec = upcase_str(gone_name);
    kill_node(*at_turn);
    ASSERT_TRUE(waiting.shows(gone_name + " has FLED!  What a coward."));
    waiting.type("L\r", "Command  : ");
    EXPECT_EQ(waiting.text().find("You cannot leave while you are fighting!"), std::string::npos);
    EXPECT_EQ(leave(waiting), 0);

    n3.type("WHO\r", "Characters In the Chat Room:");
    ASSERT_TRUE(n3.shows(">"));
    std::string who = n3.text().substr(n3.text().rfind("Characters In the Chat Room:"));
    EXPECT_EQ(who.find(gone_name), std::string::npos) << who;
    EXPECT_EQ(count_of(n3.text(), " has attacked "), 1u) << n3.text();
    n3.type("L\r", "Command  : ");
    EXPECT_EQ(leave(n3), 0);
    EXPECT_EQ(stored(gone_rec)[dead_at], 0);
    EXPECT_EQ(realm_wealth(), before);
}

TEST_F(between_nodes, the_member_of_a_disbanded_guild_is_no_member_of_the_guild_that_takes_its_number) {
    // Olga (node 1) leads the Owls, whose hall holds 1,000 gold and 5 gems; Jake (node 2) is
    // a member; Nina (node 3) may found a guild.
    made_on(1, "Anna Berg", "Olga");
    made_on(2, "Carl Dorn", "Jake");
    made_on(3, "Dana Kell", "Nina");
    int olga_number = 0;
    change_players([&](const std::string& name, std::string& rec) {
        set16(rec, level_at, 8);
        if (name != "NINA") set16(rec, guild_at, 1);
        if (name == "OLGA") olga_number = e2e::i16_of(rec, number_at);
    });
    golden g(217);
    g.i16(0, 1).str(2, "Owls").i16(23, olga_number).u8(has_hall_at, 1).str(26, "pw").i32(treasury_gold_at, 1000);
    g.i16(138, 5).i16(140, 1).str(142, "Hoot").i16(163, 10).i16(165, 6).i16(167, 1).i16(169, 20);
    g.str(171, "Claw").str(192, "Hide");
    write_file(game.file("guilds.dat"), g.b);
    all_back();
    n2.type("g", "Guild Menu");
    n2.type("e", "Guild Hall of Owls");
    ASSERT_TRUE(n2.shows("Command? [L] : "));

    const std::pair<std::string, std::string> disband[] = {
        {"g", "Guild Menu"}, {"d", "Are you sure you want to do this? (Y/N) [N] : "}, {"y", "Guild DISBANDED!"}};
    for (const auto& [keys, wanted] : disband) n1.type(keys, wanted);
    EXPECT_EQ(e2e::i16_of(stored("JAKE"), guild_at), 0);
    const std::pair<std::string, std::string> founding[] = {
        {"g", "Guild Menu"},    {"c", "Name of Guild?"}, {"Newts\r", "[Y] :"},           {"y", "Enter a Password"},
        {"Secret1\r", "[Y] :"}, {"y", "Enter a Credo"},  {"We crawl as one\r", "[Y] :"}, {"y", "Guild ADDED."},
        {"x", "Guild Menu"}};
    for (const auto& [keys, wanted] : founding) n3.type(keys, wanted);
    // The Newts take number 1, and get a hall (as if built).
    std::string guilds = read_file(game.file("guilds.dat"));
    ASSERT_EQ(guilds.size(), 217u);
    ASSERT_EQ(e2e::i16_of(guilds, 0), 1);
    guilds[has_hall_at] = 1;
    write_file(game.file("guilds.dat"), guilds);
    const wealth before = realm_wealth();

    // Jake's node still showed the hall of number 1: its next refresh or key finds him out of
    // it, and nothing of the Newts' is his (their board, members, hall, treasury, a quit).
    for (const char* key : {"m", "e", "g", "q", "m"}) n2.type(key, "Command? [L] : ");
    std::string after_disband = n2.text().substr(n2.text().rfind("Guild Hall of Owls"));
    for (const char* never :
         {"Messages for", "Members of", "Guild Hall of Newts", "Gold Present", "Do you really want to quit"})
        EXPECT_EQ(after_disband.find(never), std::string::npos) << never << after_disband;
    EXPECT_NE(after_disband.find("Guild Menu"), std::string::npos) << after_disband;
    n2.type("l", "has been disbanded by Olga.");
    n2.type("x", "Command  : ");
    EXPECT_EQ(leave(n2), 0);
    EXPECT_EQ(e2e::i16_of(stored("JAKE"), guild_at), 0);
    for (caller* c : {&n1, &n3}) {
        c->type("l", "Command  : ");
        EXPECT_EQ(leave(*c), 0);
    }
    EXPECT_EQ(realm_wealth(), before);
}
}  // namespace
