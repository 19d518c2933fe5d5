// Two game processes in one directory fight each other online: turn by turn until one dies,
// and a defender who hangs up in the middle.
#include <gtest/gtest.h>

#include "game/game_e2e.hpp"
#include "two_nodes.hpp"

namespace {
using namespace two_node;

// Fields of "players.dat" records, at their offsets.
constexpr std::size_t attack_at = 68, defense_at = 70, hit_points_at = 86, max_hit_points_at = 88, gold_at = 159,
                      experience_at = 171, dead_at = 291;

struct online_fight : two_nodes {
    caller a, d;
    // Bess (node 1) and Dora (node 2) made today, changed in "players.dat" as given, and
    // both back in the town square.
    void meet(const std::function<void(std::string& bess, std::string& dora)>& change) {
        a = start(1);
        enter(a, "Anna Berg", "Bess");
        d = start(2);
        enter(d, "Carl Dorn", "Dora");
        ASSERT_EQ(leave(d), 0);
        ASSERT_EQ(leave(a), 0);
        std::string players = read_file(game.file("players.dat"));
        std::string bess = record("BESS", players), dora = record("DORA", players);
        change(bess, dora);
        write_file(game.file("players.dat"), bess + dora);
        a = start(1);
        come_back(a, "Anna Berg");
        d = start(2);
        come_back(d, "Carl Dorn");
    }
    static std::string record(const std::string& name, const std::string& players) {
        for (std::size_t at = 0; at + 299 <= players.size(); at += 299)
            if (players.substr(at + 1, static_cast<unsigned char>(players[at])) == name) return players.substr(at, 299);
        ADD_FAILURE() << name;
        return std::string(299, '\0');
    }
    std::string stored(const std::string& name) { return record(name, read_file(game.file("players.dat"))); }
    // Bess attacks Dora from the player-fight menu.
    void attack() {
        a.type("p", "Command? [L] : ");
        a.type("a", "Who do you wish to attack : ");
        a.type("dora\r", "[Y] : ");
        a.type("y", "Waiting for response from other node.");
        ASSERT_TRUE(d.shows("Bess has ATTACKED you! (Online Combat)")) << d.text();
    }
};

void set16(std::string& rec, std::size_t at, int v) {
    rec[at] = static_cast<char>(v & 0xFF);
    rec[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void set32(std::string& rec, std::size_t at, std::int32_t v) {
    set16(rec, at, v & 0xFFFF);
    set16(rec, at + 2, (v >> 16) & 0xFFFF);
}

TEST_F(online_fight, turns_alternate_until_the_weaker_dies_and_the_winner_takes_its_gold) {
    std::int32_t bess_gold = 0;
    meet([&](std::string& bess, std::string& dora) {
        set16(bess, attack_at, 300);
        set16(bess, defense_at, 300);
        set16(bess, hit_points_at, 30000);
        set16(bess, max_hit_points_at, 30000);
        set16(dora, hit_points_at, 1000);
        set32(dora, gold_at, 777);
        bess_gold = e2e::i32_of(bess, gold_at);
    });
    attack();
    // Each side answers its turns (A) and key waits until the defender's game ends.
    caller* sides[] = {&a, &d};
    std::size_t answered[] = {0, 0};
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while ((d.term->running() || !a.text().ends_with("Command? [L] : ")) && std::chrono::steady_clock::now() < until) {
        for (int i = 0; i < 2; ++i) {
            caller& c = *sides[i];
            if (c.term->running()) c.term->read_for(20);
            std::string t = c.text();
            if (t.size() == answered[i]) continue;
            if (t.ends_with("Command? [A] : ") || t.ends_with("[ Hit any key ]")) {
                answered[i] = t.size();
                c.term->send(t.ends_with("[ Hit any key ]") ? "x" : "a");
            }
        }
    }
    EXPECT_EQ(d.term->wait_exit(wait_ms), 0);
    std::string seen = a.text();
    EXPECT_NE(seen.find("Combat BEGINS!"), std::string::npos) << seen;
    EXPECT_NE(seen.find("You have defeated Dora!!"), std::string::npos) << seen;
    EXPECT_NE(seen.find("and find 777 gold."), std::string::npos) << seen;
    EXPECT_NE(d.text().find("Bess hits you for"), std::string::npos) << d.text();
    a.type("l", "Command  : ");
    ASSERT_EQ(leave(a), 0);

    std::string dora = stored("DORA"), bess = stored("BESS");
    EXPECT_EQ(dora[dead_at], 1);
    EXPECT_EQ(e2e::i32_of(dora, gold_at), 0);
    EXPECT_EQ(e2e::i32_of(bess, gold_at), bess_gold + 777);
    std::string news = read_file(game.file("news0.dat"));
    EXPECT_NE(news.find("`bONLINE `%player fight today :"), std::string::npos) << news;
    EXPECT_NE(news.find("`!Bess`3 has killed "), std::string::npos) << news;
}

TEST_F(online_fight, a_defender_who_hangs_up_ends_the_wait_and_nothing_moves) {
    meet([](std::string&, std::string&) {});
    std::string before = stored("BESS");
    attack();
    d.term->hangup();
    EXPECT_EQ(d.term->wait_exit(wait_ms), 0);
    // Bess may be at her own turn (a surprise): the blow finds Dora gone.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (a.text().find("Dora has FLED!") == std::string::npos && std::chrono::steady_clock::now() < until) {
        if (a.text().ends_with("Command? [A] : ")) a.term->send("a");
        a.term->read_for(50);
    }
    ASSERT_NE(a.text().find("Dora has FLED!"), std::string::npos) << a.text();
    a.type("l", "Command  : ");
    ASSERT_EQ(leave(a), 0);
    std::string after = stored("BESS");
    EXPECT_EQ(e2e::i32_of(after, gold_at), e2e::i32_of(before, gold_at));
    EXPECT_EQ(e2e::i32_of(after, experience_at), e2e::i32_of(before, experience_at));
}
}  // namespace
