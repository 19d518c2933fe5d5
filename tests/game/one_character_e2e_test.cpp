// One character on one node: a second log-on of a character that plays on a live node is
// refused and writes nothing; once that node is killed, the character logs on at once.
#include <csignal>
#include <filesystem>

#include "game_e2e.hpp"

namespace {
using e2e::session;

struct one_character : e2e::game_e2e {
    // The caller Anna Berg on a node, up to the entry menu.
    session at_entry_menu(int node) {
        session s{start({"/L", "/N" + std::to_string(node)})};
        EXPECT_TRUE(s.wait_text("(or leave blank for Local Sysop):"));
        s.key("", ">");
        s.key("Anna Berg\r", "[ Hit any key ]");
        s.key("x", "Selection : ");
        return s;
    }
    // Every file of the game directory with its bytes.
    std::map<std::string, std::string> files() {
        std::map<std::string, std::string> all;
        for (const auto& e : std::filesystem::directory_iterator(game.path()))
            if (e.is_regular_file() && e.path().filename() != "debug.txt")
                all[e.path().filename().string()] = read_file(e.path().string());
        return all;
    }
};
}  // namespace

TEST_F(one_character, a_second_node_is_refused_until_the_first_is_gone) {
    session first = newcomer();
    session second = at_entry_menu(2);
    auto before = files();
    second.key("e", "  That character is already playing on another node.");
    EXPECT_EQ(second->wait_exit(e2e::wait_ms), 0);
    EXPECT_TRUE(files() == before) << "the refused node wrote nothing";
    EXPECT_EQ(e2e::stored_chars(game.file("players.dat"))[0].online, 1);

    // The first node dies with the online flag set: only a live lock keeps the character.
    first->signal(SIGKILL);
    EXPECT_EQ(first->wait_exit(e2e::wait_ms), 128 + SIGKILL);
    session third = at_entry_menu(3);
    third.key("e", "  You have already been on today.");
    third.key("", "[HIT ANY KEY]");
    third.key("x", "[ Hit any key ]");
    third.key("x", "[ Hit any key ]");  // today's news
    third.key("x", "Command  : ");
    EXPECT_EQ(leave_game(third), 0);
    auto stored = e2e::stored_chars(game.file("players.dat"));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].name, "BOB");
    EXPECT_EQ(stored[0].online, 0);
}
