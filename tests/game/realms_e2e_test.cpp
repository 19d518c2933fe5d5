// The valley and the mountain as a caller meets them: in from the realm choice, a search,
// the valley's "/", the tree bank, back to town; the location other nodes read while inside.
#include "game/game_e2e.hpp"

using namespace e2e;

namespace {
// The prompts a search may stop at and the answer to each: fight on, pass a pause, turn
// down what an event offers. The realm's own prompt ends the search.
struct stop {
    const char* prompt;
    const char* answer;
};
constexpr stop stops[] = {{"Command? [S] : ", nullptr},
                          {"Command? [L] : ", nullptr},
                          {"Command? [A] : ", "a"},
                          {"[ Hit any key ]", "x"},
                          {"[Y] : ", "n"},
                          {"[N] : ", "n"},
                          {"(R/L) : ", "r"},
                          {"[B] : ", "\r"}};

// Searches once and answers until the realm's prompt is back; false when it never came.
bool search(session& s) {
    const char* answer = "s";
    for (int step = 0; answer && step < 400; ++step) {
        std::size_t from = plain(s->output()).size();
        s->send(answer);
        answer = nullptr;
        for (int waited = 0; waited < wait_ms && !answer && s->running(); waited += 20) {
            s->read_for(20);
            std::string t = plain(s->output()).substr(from);
            for (const stop& st : stops)
                if (t.ends_with(st.prompt)) answer = st.answer ? st.answer : "";
        }
        if (answer && !*answer) {
            s.seen = plain(s->output()).size();
            return true;
        }
    }
    return false;
}
}  // namespace

TEST_F(game_e2e, a_newcomer_walks_the_valley_and_the_mountain) {
    session p = newcomer();
    p.key("e", "Command? [F] : ");
    p.key("v", "Command? [S] : ");
    ansi_screen valley = screen_of(p->take());
    EXPECT_TRUE(valley.contains("Where the fog lies thickest, the blades wait.")) << valley.text();
    EXPECT_TRUE(valley.contains("   Valley of Fear  (S,D,L,F,H,Y,V,R,?)")) << valley.text();
    EXPECT_EQ(stored_chars(game.file("players.dat")).at(0).location, "vValley of Fear");
    ASSERT_TRUE(search(p)) << plain(p->output());
    p.key("/", "Half hidden among the valley stones lies an adventurer who will walk no more.");
    p.key("\r", "Command? [");
    p.key("/", "The stones around it are bare.");  // once a game day
    p.key("?", "Fog fills the valley from wall to wall and never lifts.");
    // The gold in hand as the realm's status line shows it (a search may have found some).
    std::string walked = plain(p->output());
    std::size_t shown = walked.rfind("Gold : ");
    ASSERT_NE(shown, std::string::npos);
    int in_hand = std::stoi(walked.substr(shown + 7));
    p.key("d", "  \"special\" branch and a panel opens up.");
    p.key("l", "Command  : ");

    p.key("e", "Command? [F] : ");
    p.key("m", "Command? [");
    EXPECT_TRUE(screen_of(p->take()).contains("   Mountain of Lore  (S,D,L,F,H,Y,V,R,?)"));
    EXPECT_EQ(stored_chars(game.file("players.dat")).at(0).location, "mMountain of Lore");
    ASSERT_TRUE(search(p)) << plain(p->output());
    p.key("l", "Command  : ");
    EXPECT_EQ(leave_game(p), 0);
    std::vector<stored_char> chars = stored_chars(game.file("players.dat"));
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].online, 0);
    EXPECT_EQ(i32_of(read_file(game.file("players.dat")), 163), in_hand);  // all of it, in the tree bank
    EXPECT_FALSE(file_present(game.file("hold.dat")));
}
