// Two callers on two nodes in one game directory: gold sent from the bank on one node reaches
// the other caller, who waits in the town square, with its notice, and is taken out there.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "game/game_e2e.hpp"

namespace {
using dialogue = std::vector<std::pair<std::string, std::string>>;

// The keys typed, each with the text it brings up.
void talk(e2e::session& s, const dialogue& d) {
    for (const auto& [keys, wanted] : d) s.key(keys, wanted);
}

struct bank_two_nodes : e2e::game_e2e {
    // The second caller's first call on node 2: Dora, a knight, up to the square's prompt.
    e2e::session second_caller() {
        e2e::session s{start({"/L", "/N2"})};
        EXPECT_TRUE(s.wait_text("(or leave blank for Local Sysop):"));
        talk(s, {{"", ">"},
                 {"Carl Dorn\r", "[ Hit any key ]"},
                 {"x", "Selection : "},
                 {"E", "Enter this Realm? [Y] :"},
                 {"Y", "called in this realm?"},
                 {"", ">"},
                 {"Dora\r", "Go by the name : "},
                 {"\r", "(K/B/L/H/C/T) :"},
                 {"k", "Choose your gender : "},
                 {"f", "[HIT ANY KEY]"},
                 {"x", "[ Hit any key ]"},
                 {"x", "[ Hit any key ]"} /* today's news */,
                 {"x", "Command  : "}});
        return s;
    }
    // Gold in hand and in the bank of the named character in "players.dat".
    std::pair<int, int> purse_of(const std::string& name) {
        std::string b = read_file(game.file("players.dat"));
        for (std::size_t r = 0; r + 299 <= b.size(); r += 299)
            if (b.substr(r + 1, static_cast<unsigned char>(b[r])) == name)
                return {e2e::i32_of(b, r + 159), e2e::i32_of(b, r + 163)};
        return {-1, -1};
    }
};
}  // namespace

TEST_F(bank_two_nodes, gold_sent_from_one_node_arrives_on_the_other_with_its_notice) {
    e2e::session bob = newcomer();
    e2e::session dora = second_caller();
    ASSERT_TRUE(bob.wait_text("Dora has entered the realm."));

    talk(bob, {{"b", "Gold on hand : 500     Gold in bank : 0"},
               {"d", "(1 for ALL of it) : "},
               {"1\r", "\"Very well, You now have 500 gold in the bank\""},
               {"t", "To whom do you wish to transfer Funds? : "},
               {"dora\r", "How much do you wish to transfer to DORA? : "},
               {"200\r", "\"Very well, You now have 300 gold in the bank\""},
               {"l", "Command  : "}});

    // Dora's square finds the notice in her mailbox while it waits for a key.
    ASSERT_TRUE(dora.wait_text("Bank Notice")) << e2e::plain(dora->output());
    ASSERT_TRUE(dora.wait_text("Bob has transfered 200 to your bank account."));
    talk(dora, {{"x", "Command  : "},
                {"b", "Gold on hand : 500     Gold in bank : 200"},
                {"w", "(1 for ALL of it) : "},
                {"1\r", "\"Very well, You now have 0 gold in the bank\""},
                {"l", "Command  : "}});

    EXPECT_EQ(leave_game(dora), 0);
    EXPECT_EQ(leave_game(bob), 0);
    EXPECT_EQ(purse_of("BOB"), std::make_pair(0, 300));
    EXPECT_EQ(purse_of("DORA"), std::make_pair(700, 0));
}
