// The sysop's utility beside a node in play on one game directory, each on its own terminal:
// what the sysop set and what the node did both stand in the files after both have ended.
#include <gtest/gtest.h>

#include <cstdio>

#include "config/console_pty.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/records.hpp"
#include "engine/store/shop_file.hpp"
#include "multi/two_nodes.hpp"

namespace {
using namespace two_node;

constexpr const char* clear_to_end = "\x1b[1;5C";  // Ctrl+Right on the first place
std::string downs(int n) {
    std::string keys;
    for (int i = 0; i < n; ++i) keys += "\x1b[B";
    return keys;
}

struct sysop_e2e : two_nodes {
    // quorcfg in the game directory, at its main menu.
    void open_utility(caller& c) {
        c = caller{std::make_unique<pty_process>(qv_binary("quorcfg"), console_in(game))};
        ASSERT_TRUE(c.shows("[ Hit any key ]"));
        c.type("x", "uit and Save");
    }
    static void quit(caller& c) {
        c.term->send("Q");
        EXPECT_EQ(c.term->wait_exit(wait_ms), 0);
    }
    stat_record stats() {
        std::vector<stat_record> s;
        EXPECT_TRUE(parse_records(read_file(game.file("quorstat.dat")), s));
        return s.empty() ? stat_record{} : s[0];
    }
    character_record player(const std::string& name) {
        character_record c;
        decode_record(stored(name), c);
        return c;
    }
    std::int16_t dagger_count() { return parse_shop_image(read_file(game.file("weapon.shp"))).at(0).count; }
};

TEST_F(sysop_e2e, options_set_while_a_node_plays_outlast_the_nodes_end) {
    caller anna = start(1);
    enter(anna, "Anna Berg", "Anna");
    caller cfg;
    open_utility(cfg);
    cfg.type("g", "Return to Main Menu");
    cfg.type(downs(2) + "\r" + clear_to_end + "40\r", "Return to Main Menu");   // creature fights
    cfg.type(downs(7) + "\r" + clear_to_end + "999\r", "Return to Main Menu");  // room cost
    cfg.type("q", "uit and Save");
    quit(cfg);
    EXPECT_EQ(stats().creature_fights, 40);
    EXPECT_EQ(leave(anna), 0);
    EXPECT_EQ(stats().creature_fights, 40);
    EXPECT_EQ(stats().room_cost, 999);
}

TEST_F(sysop_e2e, gold_set_for_a_player_who_came_on_line_after_the_editor_opened_outlasts_his_node) {
    made_on(1, "Anna Berg", "Anna");
    caller cfg;
    open_utility(cfg);
    cfg.type("p", "(1 of 1)");
    caller anna = start(1);
    come_back(anna, "Anna Berg");
    cfg.type("\x1b[A\r", "Go to Menu #1");
    cfg.type(downs(10) + "\r" + clear_to_end + "88888\r", "88,888");
    cfg.type("q", "Write Changes?");
    // Asked at the write: the player is in play now.
    cfg.type("\r", "The values you typed stand as you typed them. Write them?");
    cfg.type("y", "Changes saved");
    cfg.type("x", "uit and Save");
    quit(cfg);
    EXPECT_EQ(player("ANNA").gold, 88'888);
    anna.type("t", "Command? [L] : ");  // the tavern saves the character
    anna.type("l", "Command  : ");
    EXPECT_EQ(leave(anna), 0);
    EXPECT_EQ(player("ANNA").gold, 88'888);
}

TEST_F(sysop_e2e, the_sysops_restock_stands_over_a_sale_while_the_editor_is_open_and_later_sales_count) {
    std::vector<shop_entry> stock = parse_shop_image(read_file(game.file("weapon.shp")));
    ASSERT_EQ(stock.at(0).name.view(), "Dagger");
    stock[0].count = 5;
    write_file(game.file("weapon.shp"), records_image<shop_entry>(stock));
    made_on(1, "Anna Berg", "Anna");
    change_players([](const std::string&, std::string& rec) { set32(rec, 159, 5000); });
    caller anna = start(1);
    come_back(anna, "Anna Berg");
    anna.type("w", "Command? [L] : ");
    auto buy_dagger = [&anna] {
        anna.type("b", "Choice : ");
        anna.type("1\r", "[Y] :");
        anna.type("\r", "gives you your new Dagger");
    };

    caller cfg;
    open_utility(cfg);
    cfg.type("s\r", "Quantity          : 5");
    buy_dagger();
    cfg.type(std::string("\r") + clear_to_end + "8\r", "Quantity          : 8");
    cfg.type("q", "Write Changes?");
    cfg.type("\r", "Changes saved");
    EXPECT_EQ(dagger_count(), 8);  // as typed, one sold meanwhile

    // Nothing changed in the editor this time: the sale stays.
    cfg.type("x", "Return to Previous Menu");
    cfg.type("\r", "Quantity          : 8");
    buy_dagger();
    cfg.type("q", "Write Changes?");
    cfg.type("\r", "Changes saved");
    cfg.type("xq", "uit and Save");
    quit(cfg);
    anna.type("l", "Command  : ");
    EXPECT_EQ(leave(anna), 0);
    EXPECT_EQ(dagger_count(), 7);
}

TEST_F(sysop_e2e, the_reset_waits_for_an_empty_game_then_erases_a_staged_day_and_sets_day_and_pot) {
    // The utility loads a game just reset; a node's maintenance then rolls the day.
    stat_record s = stats();
    s.day = 0;
    s.last_maint_date = "19800101";
    s.floating_gold = 0;
    write_file(game.file("quorstat.dat"), encode_record(s));
    caller cfg;
    open_utility(cfg);
    ASSERT_EQ(start({"MAINT"}).term->wait_exit(wait_ms), 0);
    ASSERT_EQ(stats().day, 1);

    caller anna = start(1);
    enter(anna, "Anna Berg", "Anna");
    cfg.type("r", "The game is in play");
    cfg.type("x", "uit and Save");
    EXPECT_EQ(leave(anna), 0);
    EXPECT_EQ(player("ANNA").number, 1);

    // A maintenance cut off with its day staged: the day's players include one more, with mail.
    std::string players = read_file(game.file("players.dat"));
    character_record oldie = player("ANNA");
    oldie.number = 7;
    oldie.name = "OLDIE";
    write_file(game.file("players.day"), players + encode_record(oldie));
    s = stats();
    s.day = 2;
    s.floating_gold = 700;
    write_file(game.file("quorstat.day"), encode_record(s));
    write_file(game.file("user0007.dat"), "#0000 `%System Message\n~\n");

    cfg.type("r", "Are you sure ?");
    cfg.type("y", "Game Reset!");
    cfg.type("x", "uit and Save");
    quit(cfg);
    for (const char* gone : {"players.dat", "players.day", "quorstat.day", "user0007.dat", "invt0001.dat"})
        EXPECT_FALSE(file_present(game.file(gone))) << gone;
    EXPECT_EQ(stats().day, 0);
    EXPECT_EQ(stats().last_maint_date.view(), "19800101");
    EXPECT_EQ(stats().floating_gold, 0);
}

TEST_F(sysop_e2e, a_game_set_up_by_the_fallback_control_file_still_takes_callers_after_the_utility) {
    std::string control = read_file(game.file("quorvath.dat"));
    ASSERT_EQ(std::rename(game.file("quorvath.dat").c_str(), game.file("vexlor.ctl").c_str()), 0);
    caller cfg;
    open_utility(cfg);
    quit(cfg);
    EXPECT_FALSE(file_present(game.file("quorvath.dat")));
    std::string now = read_file(game.file("vexlor.ctl"));
    EXPECT_EQ(now.rfind(control.substr(0, control.find("BBSTYPE")), 0), 0u) << now;  // the sysop's notes first
    EXPECT_NE(now.find("\nBBSTYPE LOCAL\n"), std::string::npos) << now;
    // A caller as the BBS starts the game, without the local log-on switch.
    caller anna = start({"/N1"}, 1);
    enter(anna, "Anna Berg", "Anna");
    EXPECT_EQ(leave(anna), 0);
}
}  // namespace
