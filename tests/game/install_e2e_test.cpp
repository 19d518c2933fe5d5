// The README's BBS install, followed literally: its commands, run from the top of the source
// tree, make a game directory; its first start there, the maintenance and the local start as
// it says; then the first caller meets no start-up report and no maintenance and reaches the
// town square.
#include <gtest/gtest.h>

#include "game_e2e.hpp"
#include "support/child.hpp"

namespace {
using namespace e2e;

struct readme_install : game_e2e {
    readme_install() : game_e2e(false) {}

    // The fenced blocks of the README's section on running the game on a BBS, with the
    // example directory and the built program replaced by this test's.
    std::vector<std::string> bbs_blocks() {
        std::string source = std::getenv("QV_SOURCE_DIR") ? std::getenv("QV_SOURCE_DIR") : ".";
        std::string readme = read_file(source + "/README.md");
        std::size_t at = readme.find("\n## Running it on a BBS\n");
        std::size_t end = readme.find("\n## ", at + 1);
        std::vector<std::string> blocks;
        while (at != std::string::npos) {
            std::size_t open = readme.find("\n```\n", at);
            if (open == std::string::npos || open > end) break;
            std::size_t close = readme.find("\n```\n", open + 5);
            std::string block = readme.substr(open + 5, close - open - 4);
            for (auto [from, to] : {std::pair<std::string, std::string>{"/bbs/doors/quorvath", game.path()},
                                    {"build/apps/quorvath", program}})
                for (std::size_t p = block.find(from); p != std::string::npos; p = block.find(from, p + to.size()))
                    block.replace(p, from.size(), to);
            blocks.push_back(block);
            at = close + 4;
        }
        return blocks;
    }
};

TEST_F(readme_install, its_commands_as_written_give_a_game_a_caller_reaches) {
    std::vector<std::string> blocks = bbs_blocks();
    ASSERT_GE(blocks.size(), 2u);
    std::string source = std::getenv("QV_SOURCE_DIR") ? std::getenv("QV_SOURCE_DIR") : ".";
    ASSERT_EQ(run_shell("cd '" + source + "' && /bin/sh -e -c '" + blocks[0] + "'").code, 0) << blocks[0];
    EXPECT_TRUE(file_present(game.file("items/stockitm.scr")));
    program = game.file("quorvath");

    // The first start as the README gives it: MAINT's three lines, then the local start with
    // its four keys: Enter, a key after the items' report, one after the title picture, L.
    pty_process::options o;
    o.args = {"-c", blocks[1]};
    o.env = test_env("20260115120000");
    session first{std::make_unique<pty_process>("/bin/sh", o)};
    ASSERT_TRUE(first.wait_text("(or leave blank for Local Sysop):")) << blocks[1] << plain(first->output());
    EXPECT_NE(plain(first->output())
                  .find("Stat File Not Found : HOLD\r\nStarting new Character FILE\r\n"
                        "Running Daily maintenance...HOLD\r\n"),
              std::string::npos)
        << plain(first->output());
    first.key("\r", "UPDATING ITEMS TO VERSION : 1.10 SUCCESSFUL");
    first.key("", "[ Hit any key ]");
    first.key("x", "[ Hit any key ]");
    first.key("x", "Selection : ");
    first->send("l");
    EXPECT_EQ(first->wait_exit(wait_ms), 0);
    EXPECT_TRUE(file_present(game.file("players.dat")));
    EXPECT_TRUE(stored_chars(game.file("players.dat")).empty());

    // The first caller of the day: no report of the start and no maintenance, straight to a
    // new character and the square.
    session caller = newcomer("20260115120000", "k", false);
    std::string seen = plain(caller->output());
    for (const char* report : {"Stat File Not Found", "Starting new Character", "UPDATING ITEMS", "maintenance"})
        EXPECT_EQ(seen.find(report), std::string::npos) << report << seen;
    EXPECT_EQ(leave_game(caller), 0);
}
}  // namespace
