// The work that moves gold, gems or items between records and files, killed at each of its
// moments by each signal (kill_sweep.hpp): a fatal blow in a fight against a player who is
// away and in a creature fight, a purchase and a sale, a take from the guild treasury.
#include <tuple>

#include "kill_sweep.hpp"

#include "engine/text/text_file.hpp"
#include "fight_walk.hpp"

namespace {
using namespace kill_sweep;
using two_node::set16;
using two_node::set32;

// Fields of the records, at their offsets.
constexpr std::size_t attack_at = 68, defense_at = 70, shield_at = 72, guild_at = 80, hit_points_at = 86,
                      max_hit_points_at = 88, gold_at = 159, luck_at = 78, level_at = 175, dead_at = 291;

void set_text(std::string& rec, std::size_t at, const std::string& text) {
    rec[at] = static_cast<char>(text.size());
    rec.replace(at + 1, text.size(), text);
}

// Guild 1 with its hall, led by the character of that number, its treasury holding gold and gems.
std::string guild_with_hall(int leader) {
    std::string g(217, '\0');
    set16(g, 0, 1);
    set_text(g, 2, "Gilders");
    set16(g, 23, leader);
    g[25] = 1;
    set_text(g, 26, "pass");
    set32(g, 134, 3000);
    set16(g, 138, 7);
    set16(g, 140, 8);
    set_text(g, 142, "Brutus");
    return g;
}

// The game every trial starts from, after today's maintenance: Bess (Anna Berg, node 1)
// carries a dagger she bought, 5,000 gold and leads guild 1, whose hall's treasury holds
// 3,000 gold and 7 gems; Dora (Carl Dorn, node 2) is away with 2,000 gold; every weapon of
// the shop is in stock five times.
void lay_out(const std::string& dir) {
    const char* data = std::getenv("QV_DATA_DIR");
    copy_tree(data ? data : "data", dir);
    ASSERT_EQ(two_node::start_game(dir, {"MAINT"}).term->wait_exit(two_node::wait_ms), 0);
    caller bess = two_node::start_game(dir, {"/L", "/N1"}, 1);
    two_node::enter(bess, "Anna Berg", "Bess");
    for (auto [keys, wanted] : {std::pair{"w", "Command? [L] : "},
                                {"b", "Choice : "},
                                {"1\r", "[Y] :"},
                                {"y", "Command? [L] : "},
                                {"l", "Command  : "}})
        bess.type(keys, wanted);
    ASSERT_EQ(two_node::leave(bess), 0);
    caller dora = two_node::start_game(dir, {"/L", "/N2"}, 2);
    two_node::enter(dora, "Carl Dorn", "Dora");
    ASSERT_EQ(two_node::leave(dora), 0);
    int bess_number = 0;
    two_node::change_players(dir + "/players.dat", [&](const std::string& name, std::string& r) {
        if (name == "BESS") {
            bess_number = static_cast<int>(le_at(r, 62, 2));
            set32(r, gold_at, 5000);
            set16(r, guild_at, 1);
        }
        if (name == "DORA") set32(r, gold_at, 2000);
    });
    write_file(dir + "/guilds.dat", guild_with_hall(bess_number));
    std::string stock = read_file(dir + "/weapon.shp");
    for (std::size_t at = 0; at + 52 <= stock.size(); at += 52) set16(stock, at + 46, 5);
    write_file(dir + "/weapon.shp", stock);
}

using record_change = std::function<void(const std::string& name, std::string& rec)>;
using dialogue = std::vector<std::pair<std::string, std::string>>;

// Bess's work: the records changed as given, Bess back in the town square, the keys that
// bring her up to the key of the work (each with the text it brings up), and the text that
// shows the work over.
std::function<void(trial&)> bess_at(record_change change, dialogue keys, std::string key, std::string end_text) {
    return [=](trial& t) {
        if (change) t.change_players(change);
        caller& b = t.start(1);
        two_node::come_back(b, "Anna Berg");
        for (const auto& [k, wanted] : keys) b.type(k, wanted);
        t.typed = &b;
        t.key = key;
        t.end_text = end_text;
    };
}

// Bess at one hit point, her shield and defense gone: the next blow kills her.
// Bess attacks Dora, who is away, from the town square, up to the fight's prompt.
const dialogue attack_dora_away = {{"p", "Command? [L] : "},
                                   {"a", "Who do you wish to attack : "},
                                   {"dora\r", "[Y] :"},
                                   {"y", "Attack Dora? (Y/N) [Y] :"},
                                   {"y", "Command? [A] : "}};

void bess_at_death_door(std::string& r, int level) {
    set16(r, hit_points_at, 1);
    set16(r, shield_at, 0);
    set16(r, level_at, level);
    set16(r, defense_at, -500);
}

std::int64_t gold_of(trial& t, const std::string& name) { return le_at(t.stored(name), gold_at, 4); }

// Daggers in Bess's inventory file.
int daggers(trial& t) {
    int n = 0;
    each_record(t.game.file("invt0001.dat"), 70, [&](const std::string& i) { n += i.substr(1, 6) == "Dagger"; });
    return n;
}

// A hang-up or a terminate after the blow leaves Bess saved dead, her gold gone; so does the
// end of the work.
void bess_saved_dead(trial& t, int sig, bool at_the_end) {
    if (sig == SIGKILL && !at_the_end) return;
    EXPECT_EQ(t.stored("BESS")[dead_at], 1);
    EXPECT_EQ(gold_of(t, "BESS"), 0);
}

// Killed between a shop's writes, the step is settled at Bess's next log-on: she has what she
// had before it (5,000 gold, one dagger) or after it, nothing between, and no note is left.
void settled_at_log_on(trial& t, int sig, bool at_the_end, std::int64_t gold, int carried) {
    if (sig != SIGKILL || at_the_end) return;
    caller& b = t.start(1);
    two_node::come_back(b, "Anna Berg");
    ASSERT_EQ(two_node::leave(b), 0);
    std::int64_t now = gold_of(t, "BESS");
    int held = daggers(t);
    EXPECT_TRUE((now == 5000 && held == 1) || (now == gold && held == carried))
        << now << " gold, " << held << " daggers";
    EXPECT_FALSE(file_present(t.game.file("step0001.dat")));
}

// Bess (node 1) and Dora (node 2) on line in the town square, in a fight Bess began, Bess at
// the prompt of the blow that kills Dora (1 hit point; nothing Dora does can end Bess).
std::function<void(trial&)> online_fight_to_last_blow(int killed) {
    return [=](trial& t) {
        t.change_players([](const std::string& name, std::string& r) {
            for (std::size_t at : {attack_at, hit_points_at, max_hit_points_at})
                set16(r, at, name == "BESS" ? 30000 : 1);
        });
        caller &d = t.start(2), &b = t.start(1);
        two_node::come_back(d, "Carl Dorn");
        two_node::come_back(b, "Anna Berg");
        for (auto [keys, wanted] :
             {std::pair{"p", "Command? [L] : "}, {"a", "Who do you wish to attack : "}, {"dora\r", "[Y] : "}})
            b.type(keys, wanted);
        b.term->send("y");
        ASSERT_TRUE(d.shows("Bess has ATTACKED you!")) << d.text();
        ASSERT_TRUE(two_node::drive({&d}, {&b}, [&] { return b.text().ends_with("Command? [A] : "); }));
        d.read_up_to = d.text().size();
        t.typed = &b;
        t.killed = killed == 2 ? &d : &b;
        t.key = "a";
        t.end_text = "[ Hit any key ]";
    };
}

// The node still playing leaves: through its key waits, dead or back in the town square.
void play_out(caller& c) {
    two_node::drive({&c}, {}, [&] {
        return !c.term->running() || c.text().ends_with("Command? [L] : ") || c.text().ends_with("Command  : ");
    });
    if (c.text().ends_with("Command? [L] : ")) c.type("l", "Command  : ");
    if (c.term->running()) {
        EXPECT_EQ(two_node::leave(c), 0);
    }
}

// Dora's gold went with her death in one write, or not at all; a Dora whose node ran on died
// of the blow or of her record, and never saw the winner flee.
void dora_dead_with_her_gold(trial& t, int, bool at_the_end) {
    bool dead = t.stored("DORA")[dead_at] == 1;
    EXPECT_EQ(gold_of(t, "DORA"), dead ? 0 : 2000);
    EXPECT_TRUE(dead || !at_the_end);
    caller& dora = *t.nodes[0].second;
    std::string seen = dora.text().substr(dora.read_up_to);
    if (dead && &dora != t.killed) {
        EXPECT_TRUE(seen.find("You have been killed!") != std::string::npos && seen.find("FLED") == std::string::npos)
            << seen;
    }
}

const operation operations[] = {
    {"an online fight's killing blow, the loser's node ended", online_fight_to_last_blow(2), dora_dead_with_her_gold,
     [](trial& t) { play_out(*t.nodes[1].second); }, true},
    {"an online fight's killing blow, the winner's node ended", online_fight_to_last_blow(1), dora_dead_with_her_gold,
     [](trial& t) { play_out(*t.nodes[0].second); }, true},
    {"a fatal blow from a player who is away",
     bess_at(
         [](const std::string& name, std::string& r) {
             if (name == "BESS") bess_at_death_door(r, 20);
             if (name != "DORA") return;
             // Dora, stronger than Bess can hurt, hits whatever she aims at.
             for (std::size_t at : {attack_at, hit_points_at, max_hit_points_at}) set16(r, at, 30000);
             set16(r, level_at, 20);
         },
         attack_dora_away, "a", "[ Hit any key ]"),
     [](trial& t, int sig, bool at_the_end) {
         bess_saved_dead(t, sig, at_the_end);
         if (at_the_end) {
             EXPECT_EQ(gold_of(t, "DORA"), 7000);
         }
     },
     {}},
    {"a fatal blow from a creature",
     bess_at(
         [](const std::string& name, std::string& r) {
             if (name == "BESS") bess_at_death_door(r, 3);
         },
         {{"e", "Command? ["}, {"f", "Command? [S] : "}, {"s", "Command? [A] : "}}, "a", "[ Hit any key ]"),
     bess_saved_dead,
     {}},
    {"a purchase",
     bess_at({}, {{"w", "Command? [L] : "}, {"b", "Choice : "}, {"1\r", "[Y] :"}}, "y", "Command? [L] : "),
     [](trial& t, int sig, bool at_the_end) {
         settled_at_log_on(t, sig, at_the_end, 4700, 2);
         if (!at_the_end) return;
         EXPECT_EQ(gold_of(t, "BESS"), 4700);
         EXPECT_EQ(daggers(t), 2);
     },
     {}},
    {"a sale",
     bess_at({}, {{"w", "Command? [L] : "}, {"s", "Sell which Item #? : "}, {"1\r", "[N] : "}}, "y", "Command? [L] : "),
     [](trial& t, int sig, bool at_the_end) {
         settled_at_log_on(t, sig, at_the_end, 5108, 0);
         if (!at_the_end) return;
         EXPECT_EQ(gold_of(t, "BESS"), 5108);
         EXPECT_EQ(daggers(t), 0);
     },
     {}},
    {"a theft bought from Shady",
     bess_at({}, {{"t", "Command? [L] : "}, {"s", "Command? [L] : "}, {"s", "  :"}, {"dora\r", "[Y] :"}}, "y",
             "[ Hit any key ]"),
     // Paid and done in one write: Shady's price is gone exactly when Dora has his letter.
     [](trial& t, int sig, bool at_the_end) {
         if (sig == SIGKILL && !at_the_end) return;
         bool paid = gold_of(t, "BESS") == 4000;
         EXPECT_TRUE(paid || gold_of(t, "BESS") == 5000);
         EXPECT_EQ(paid, file_present(t.game.file("user0002.dat")));
     },
     {}},
    {"a win over a player who is away",
     bess_at(
         [](const std::string& name, std::string& r) {
             // Bess kills Dora at the first blow and finds no gems (luck -30).
             set16(r, name == "BESS" ? attack_at : hit_points_at, name == "BESS" ? 3000 : 1);
             if (name == "BESS") set16(r, luck_at, -30);
         },
         attack_dora_away, "a", "[ Hit any key ]"),
     [](trial& t, int, bool at_the_end) {
         bool won = t.stored("DORA")[dead_at] == 1;
         EXPECT_TRUE(won || !at_the_end);
         EXPECT_EQ(gold_of(t, "BESS"), won ? 7000 : 5000);
     },
     {},
     true},
    {"a letter carrying gold",
     [](trial& t) {
         // Dora's gold, sent to Bess in a letter that Bess reads in the town square.
         bess_at(
             [](const std::string& name, std::string& r) {
                 if (name == "DORA") set32(r, gold_at, 2000 - 777);
             },
             {}, "c", "[ Hit any key ]")(t);
         // A longer letter after it: the gift is marked read in place.
         write_file(t.game.file(mailbox_file_name(static_cast<std::int16_t>(le_at(t.stored("BESS"), 62, 2)))),
                    "#0000 `%System Message\n  A gift.\n~\nADD GLD 777\n#0000 `%System Message\n  " +
                        std::string(60, 'x') + "\n~\n");
     },
     // Killed, Bess logs on again and reads what is left: the gift is hers exactly once.
     [](trial& t, int sig, bool at_the_end) {
         if (sig == SIGKILL && !at_the_end) {
             caller& b = t.start(1);
             two_node::log_on(b, "Anna Berg");
             for (auto [keys, wanted] : {std::pair{"x", "Selection : "},
                                         {"E", "You have already been on today."},
                                         {"", "[HIT ANY KEY]"},
                                         {"x", "[ Hit any key ]"}})
                 b.type(keys, wanted);
             ASSERT_TRUE(two_node::drive({&b}, {}, [&] { return b.text().ends_with("Command  : "); }))
                 << b.text().substr(b.read_up_to);
             ASSERT_EQ(two_node::leave(b), 0);
         }
         EXPECT_TRUE((sig != SIGKILL && !at_the_end) || gold_of(t, "BESS") == 5777) << gold_of(t, "BESS");
     },
     {},
     true},
    {"a take from the guild treasury",
     bess_at({},
             {{"g", "Command? [L] : "},
              {"e", "Command? [L] : "},
              {"g", "Command? [L] : "},
              {"4", "take? : "},
              {"1000", "1000"}},
             "\r", "Command? [L] : "),
     [](trial& t, int, bool at_the_end) {
         if (!at_the_end) return;
         EXPECT_EQ(gold_of(t, "BESS"), 6000);
         EXPECT_EQ(le_at(read_file(t.game.file("guilds.dat")), 134, 4), 2000);
     },
     {}},
};

// One test for each row and signal, on one layout: the sweeps run side by side.
struct kill_sweep_e2e : ::testing::TestWithParam<std::tuple<int, int>> {
    static inline std::unique_ptr<temp_dir> layout;
    static void SetUpTestSuite() {
        layout = std::make_unique<temp_dir>(false);
        lay_out(layout->path());
    }
    static void TearDownTestSuite() { layout.reset(); }
};

TEST_P(kill_sweep_e2e, never_more_gold_gems_or_items_after) {
    auto [row, sig] = GetParam();
    sweep(operations[row], ending_signals()[sig], layout->path());
}

std::string row_name(const ::testing::TestParamInfo<std::tuple<int, int>>& p) {
    auto [row, sig] = p.param;
    std::string name = std::string(operations[row].name) + " " + signal_name(ending_signals()[sig]);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(work, kill_sweep_e2e,
                         ::testing::Combine(::testing::Range(0, int(std::size(operations))),
                                            ::testing::Range(0, int(ending_signals().size()))),
                         row_name);
}  // namespace
