// The queues and the mail as the rest of the game reaches them: the orderly exit's
// LEAVEREALM, the menu loops' poll, the script interpreter's queue check, the square's mail.
#include <gtest/gtest.h>

#include "engine/script/install.hpp"
#include "engine/text/exit.hpp"
#include "game/game_init.hpp"
#include "game/hooks.hpp"
#include "game/menu.hpp"
#include "multi/mail.hpp"
#include "multi/node_queue.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

#include <iostream>

namespace {
struct wiring : multi_state {
    wiring() {
        play_as("anna", 2, 1).online = 1;
        other(2, "bob");
        other(3, "carl").online = 0;
        save();
        game_init();
        install_multi();
        out.take();
    }
};

TEST_F(wiring, the_orderly_exit_tells_every_other_online_player) {
    child_result r = run_in_child([] { end_prog(exit_critical_missing); });
    EXPECT_EQ(r.code, exit_critical_missing);
    EXPECT_EQ(read_file("node0002.msg"), "LEAVEREALM 1 12\n");
    EXPECT_FALSE(file_present("node0003.msg"));
    EXPECT_FALSE(file_present("node0001.msg"));
    EXPECT_EQ(file_lines(read_file("olmess.txt")).size(), 5u);
}

TEST_F(wiring, menu_loops_and_scripts_dispatch_the_queue_and_only_the_square_reads_mail) {
    check_frequency = 2;
    write_file("node0001.msg", "PAGE 2\nMESSAGE hello\n");
    write_file("user0001.dat", "#0002 Bob\nhi\n~\n");
    std::int32_t polls = 1;
    EXPECT_FALSE(hook_menu_poll(polls, true));
    polls = 2;
    // A place's key wait: the queue, not the mail.
    EXPECT_TRUE(hook_menu_poll(polls, true));
    EXPECT_EQ(polls, 0);
    EXPECT_EQ(plain(out.take()), "  Bob has PAGED you to the chat room.\n");
    EXPECT_TRUE(file_present("user0001.dat"));
    // A script's READMENUCOMMANDS.
    EXPECT_TRUE(hook_node_msg_waiting());
    EXPECT_EQ(hook_check_node_messages(0), "hello");
    EXPECT_FALSE(hook_node_msg_waiting());
    // The square's poll: the mail first.
    input_feed keys("k");
    polls = 2;
    EXPECT_TRUE(poll_check(polls, true, true));
    EXPECT_NE(plain(out.take()).find("  Message from Bob :"), std::string::npos);
    EXPECT_FALSE(mail_waiting());
}

// Every hook and every entry of the table of places still at its stub, by name.
stub_list stubs_left() {
    stub_list left = hooks_at_stub();
    list_stub_places(left);
    return left;
}

// The game's main installs the engine, the town and the multi-node play: a hook or a place
// that none of them fills would leave a key that silently does nothing.
TEST(start_up, the_install_functions_leave_no_hook_and_no_place_at_its_stub) {
    child_result r = run_in_child([] {
        reset_hooks();
        reset_game_hooks();
        std::cout << stubs_left().size() << " at their stubs before\n";
        install_engine();
        install_game();
        install_multi();
        for (std::string_view name : stubs_left()) std::cout << name << " still at its stub\n";
        std::cout << std::flush;
    });
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "66 at their stubs before\n");
}

}  // namespace
