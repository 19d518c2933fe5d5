// One node's change to another player's record lasts while that player plays on: a kick
// reaches the kicked member's node at its next save (no hall, no treasury), and a beating
// ordered from Shady keeps its mark through the victim's own saves.
#include <gtest/gtest.h>

#include "game/game_e2e.hpp"
#include "two_nodes.hpp"

namespace {
using namespace two_node;

constexpr std::size_t number_at = 62, guild_at = 80, status_at = 82, gold_at = 159, treasury_gold_at = 134;

struct writers_e2e : two_nodes {
    caller mara, hugo;
    int mara_number = 0;
    // Mara (node 1) and Hugo (node 2), made on their nodes; the records then as set changes them,
    // and the guilds file as guilds makes it, before both come back.
    void make(const std::function<void(const std::string& name, std::string& rec)>& set,
              const std::function<std::string()>& guilds = nullptr) {
        made_on(1, "Anna Berg", "Mara");
        made_on(2, "Carl Dorn", "Hugo");
        change_players([&](const std::string& name, std::string& rec) {
            if (name == "MARA") mara_number = e2e::i16_of(rec, number_at);
            set(name, rec);
        });
        if (guilds) write_file(game.file("guilds.dat"), guilds());
        mara = start(1);
        come_back(mara, "Anna Berg");
        hugo = start(2);
        come_back(hugo, "Carl Dorn");
    }
};

TEST_F(writers_e2e, a_kicked_member_gets_no_hall_and_his_node_keeps_him_out) {
    // The Wolves, led by Mara, with a hall and 50,000 gold in it.
    make([](const std::string&, std::string& rec) { set16(rec, guild_at, 1); },
         [this] {
             golden g(217);
             g.i16(0, 1).str(2, "Wolves").i16(23, mara_number).u8(25, 1).str(26, "pw").i32(treasury_gold_at, 50'000);
             g.i16(140, 1).str(142, "Grim").i16(163, 10).i16(165, 6).i16(167, 1).i16(169, 20);
             g.str(171, "Claw").str(192, "Hide");
             return g.b;
         });

    hugo.type("g", "Guild Menu");
    hugo.type("", "Command? [L] : ");
    const std::pair<std::string, std::string> kick[] = {
        {"g", "Guild Menu"},           {"k", "Who do you wish to kick out? : "},
        {"hugo\r", "[Y] : "},          {"y", "Are you Sure?"},
        {"y", "has been kicked out!"}, {"x", "Command? [L] : "}};
    for (const auto& [keys, wanted] : kick) mara.type(keys, wanted);
    EXPECT_EQ(e2e::i16_of(stored("HUGO"), guild_at), 0);

    // Hugo's node saves on the way to the hall: the kick reaches it there, and in he does not go.
    hugo.type("e", "Guild Menu");
    hugo.type("", "Command? [L] : ");
    EXPECT_EQ(hugo.text().find("Guild Hall of Wolves"), std::string::npos) << hugo.text();
    hugo.type("e", "Command? [L] : ");
    hugo.type("l", "Command  : ");
    EXPECT_EQ(leave(hugo), 0);
    mara.type("l", "Command  : ");
    EXPECT_EQ(leave(mara), 0);

    EXPECT_EQ(e2e::i16_of(stored("HUGO"), guild_at), 0);
    EXPECT_EQ(e2e::i16_of(stored("MARA"), guild_at), 1);
    EXPECT_EQ(e2e::i32_of(read_file(game.file("guilds.dat")), treasury_gold_at), 50'000);
    EXPECT_EQ(hugo.text().find("Guild Hall of Wolves"), std::string::npos);
}

TEST_F(writers_e2e, shadys_mark_outlasts_the_victims_own_saves) {
    make([](const std::string& name, std::string& rec) {
        if (name == "MARA") set32(rec, gold_at, 20'000);
    });
    const std::pair<std::string, std::string> order[] = {{"t", "Command? [L] : "},
                                                         {"s", "Command? [L] : "},
                                                         {"p", "So, who is it you want taken down?"},
                                                         {"Hugo\r", "You still interested? (Y/N) [Y] :"},
                                                         {"y", "You give the 1,000 to Shady."},
                                                         {"", "face outside of town, I'll take her out."},
                                                         {"x", "Command? [L] : "}};
    for (const auto& [keys, wanted] : order) mara.type(keys, wanted);
    EXPECT_EQ(e2e::i32_of(stored("HUGO"), status_at) & 128, 128);

    // Hugo's node saves in the tavern and after his own visit to Shady, and at its end.
    const std::pair<std::string, std::string> visit[] = {
        {"t", "Command? [L] : "}, {"s", "Command? [L] : "}, {"\r", "Command? [L] : "}, {"l", "Command  : "}};
    for (const auto& [keys, wanted] : visit) hugo.type(keys, wanted);
    EXPECT_EQ(leave(hugo), 0);
    mara.type("l", "Command  : ");
    EXPECT_EQ(leave(mara), 0);

    // The mark, and the day's visit to Shady that Hugo's node set itself.
    EXPECT_EQ(e2e::i32_of(stored("HUGO"), status_at) & (128 | 256), 128 | 256);
    EXPECT_EQ(e2e::i32_of(stored("MARA"), gold_at), 19'000);
}
}  // namespace
