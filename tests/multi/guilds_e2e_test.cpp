// Two callers on two nodes in one game directory: one founds a guild, the other joins it with
// the password and shows on line in the member list; then a board that a script opens
// carries a post from one node to the other.
#include <gtest/gtest.h>

#include "game/game_e2e.hpp"

namespace {
struct guilds_e2e : e2e::game_e2e {};

TEST_F(guilds_e2e, a_guild_founded_on_one_node_is_joined_on_another_and_a_board_post_crosses) {
    // The first caller's character, raised to level 6 in the stored file between calls.
    e2e::session first = newcomer();
    ASSERT_EQ(leave_game(first), 0);
    std::string players = read_file(game.file("players.dat"));
    ASSERT_EQ(players.size(), 299u);
    players[175] = 6;
    write_file(game.file("players.dat"), players);
    write_file(game.file("config.scr"), "@#MAIN\n  MESSAGEBOARD 1 \"Testers\"\n  Halt\n");

    first = back_to_square();
    e2e::session second{start({"/L", "/N2"})};
    const std::pair<std::string, std::string> arrival[] = {{"", ">"},
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
                                                           {"x", "[ Hit any key ]"},
                                                           {"x", "Command  : "}};
    ASSERT_TRUE(second.wait_text("(or leave blank for"));
    for (const auto& [keys, wanted] : arrival) second.key(keys, wanted);
    ASSERT_TRUE(first.wait_text("Dora has entered the realm."));

    const std::pair<std::string, std::string> founding[] = {
        {"g", "Guild Menu"},    {"c", "Name of Guild?"}, {"Wolves\r", "[Y] :"},          {"y", "Enter a Password"},
        {"Secret1\r", "[Y] :"}, {"y", "Enter a Credo"},  {"We fight as one\r", "[Y] :"}, {"y", "Guild ADDED."},
        {"x", "Guild Menu"}};
    for (const auto& [keys, wanted] : founding) first.key(keys, wanted);

    const std::pair<std::string, std::string> joining[] = {{"g", "Guild Menu"},
                                                           {"j", "(1) Wolves"},
                                                           {"1\r", "Password : "},
                                                           {"Secret1\r", "XXXXXXX"},
                                                           {"", "The Wolves welcome you to their guild."},
                                                           {"x", "Guild Menu"},
                                                           {"l", "Command  : "}};
    for (const auto& [keys, wanted] : joining) second.key(keys, wanted);

    first.key("m", "Members of Wolves");
    ASSERT_TRUE(first.wait_text("Dora"));
    std::string list = e2e::plain(first->output());
    std::string dora_line = list.substr(list.rfind('\n', first.seen) + 1);
    dora_line = dora_line.substr(0, dora_line.find('\r'));
    EXPECT_NE(dora_line.find("On!"), std::string::npos) << dora_line;
    first.key("l", "Command  : ");

    const std::pair<std::string, std::string> posting[] = {
        {"*", "Messages for Testers"}, {"p", "Subject? : "},          {"Hi all\r", ": "},  {"Hello from Dora\r", ": "},
        {"\r", "Message Posted"},      {"x", "Messages for Testers"}, {"l", "Command  : "}};
    for (const auto& [keys, wanted] : posting) second.key(keys, wanted);

    const std::pair<std::string, std::string> reading[] = {
        {"*", "Messages for Testers"}, {"s", "Hi all"},         {"r", "Read what number? : "}, {"1\r", "From : Dora"},
        {"", "Subject : Hi all"},      {"", "Hello from Dora"}, {"l", "Command  : "}};
    for (const auto& [keys, wanted] : reading) first.key(keys, wanted);
    EXPECT_TRUE(file_present(game.file("config.B01")));

    EXPECT_EQ(leave_game(second), 0);
    EXPECT_EQ(leave_game(first), 0);
}
}  // namespace
