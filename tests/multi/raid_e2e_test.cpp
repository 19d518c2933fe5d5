// Three game processes in one directory: a raider beats a hall's guardian, fights the member
// waiting inside and a member who comes in later, and empties the treasury; a member sleeps
// in the hall and wakes there without waiting for a raider whose game is gone; a raid goes on
// past a member whose node is killed, its board holds the hall, and a raider whose node is
// killed holds nobody up.
#include <gtest/gtest.h>

#include "engine/golden.hpp"
#include "fight_walk.hpp"
#include "game/game_e2e.hpp"

namespace {
using namespace two_node;

// Fields of the records, at their offsets.
constexpr std::size_t number_at = 62, attack_at = 68, defense_at = 70, guild_at = 80, hit_points_at = 86,
                      max_hit_points_at = 88, gold_at = 159, location_at = 193, dead_at = 291, sleeping_guild_at = 293,
                      online_at = 294, treasury_gold_at = 134;

struct raid_e2e : two_nodes {
    caller rhea, mara, tess;

    // Rhea (node 1) a strong raider; Mara (node 2, the leader) and Tess (node 3) frail members
    // of the Wolves, whose hall holds 5,000 gold behind a weak guardian.
    void found() {
        made_on(1, "Anna Berg", "Rhea");
        made_on(2, "Carl Dorn", "Mara");
        made_on(3, "Dana Kell", "Tess");
        int mara_number = 0;
        change_players([&](const std::string& name, std::string& rec) {
            if (name == "RHEA") {
                for (std::size_t at : {attack_at, defense_at}) set16(rec, at, 300);
                for (std::size_t at : {hit_points_at, max_hit_points_at}) set16(rec, at, 30000);
            } else {
                set16(rec, guild_at, 1);
                set16(rec, hit_points_at, 2);
                for (std::size_t at = gold_at; at < gold_at + 4; ++at) rec[at] = 0;
                if (name == "MARA") mara_number = e2e::i16_of(rec, number_at);
            }
        });
        golden g(217);
        g.i16(0, 1).str(2, "Wolves").i16(23, mara_number).u8(25, 1).str(26, "pw").i32(treasury_gold_at, 5000);
        g.i16(140, 1)
            .str(142, "Grim")
            .i16(163, 1)
            .i16(165, 1)
            .i16(167, 0)
            .i16(169, 1)
            .str(171, "Claw")
            .str(192, "Hide");
        write_file(game.file("guilds.dat"), g.b);
    }
    // A member on the node goes from the square into the hall.
    static void into_hall(caller& c) {
        c.type("g", "Guild Menu");
        c.type("e", "Guild Hall of Wolves");
        ASSERT_TRUE(c.shows("Command? [L] : "));
    }
    // Mara comes back into the hall; Rhea comes back and raids it.
    void mara_in_the_hall_and_rhea_raids() {
        mara = start(2);
        come_back(mara, "Carl Dorn");
        into_hall(mara);
        rhea = start(1);
        come_back(rhea, "Anna Berg");
        rhea.type("g", "Guild Menu");
        rhea.type("r", "Raid which Guild Hall? : ");
        rhea.type("1\r", "Raid the hall of Wolves (Y/N) [Y] :");
        rhea.term->send("y");
    }
    // Every caller answers its fight turns (A) and key waits until done() or 60 seconds.
    static bool fight_until(std::vector<caller*> sides, const std::function<bool()>& done) {
        return drive(sides, {}, done);
    }
};

TEST_F(raid_e2e, a_raider_beats_the_guardian_and_the_members_and_takes_the_treasury) {
    found();
    const std::int32_t rhea_gold = e2e::i32_of(stored("RHEA"), gold_at);
    mara_in_the_hall_and_rhea_raids();
    ASSERT_TRUE(fight_until({&rhea, &mara}, [&] { return rhea.text().ends_with("Command? [L] : "); }))
        << rhea.text().substr(rhea.read_up_to);
    ASSERT_TRUE(rhea.shows("the fruits of your labor await within the"));
    ASSERT_TRUE(rhea.shows("You have defeated Mara!!"));
    ASSERT_TRUE(rhea.shows("hall is at your disposal."));
    EXPECT_EQ(mara.term->wait_exit(wait_ms), 0);
    ASSERT_TRUE(mara.shows("You hear the sounds of combat coming from outside your guild hall!"));
    ASSERT_TRUE(mara.shows("You hear the blood curdling scream of Grim's death!"));
    ASSERT_TRUE(mara.shows("Rhea has RAIDED your hall! (Online Combat)"));

    // Tess comes in while Rhea holds the hall, and is fought.
    tess = start(3);
    come_back(tess, "Dana Kell");
    tess.type("g", "Guild Menu");
    tess.type("e", "Waiting for response from other node.  Hit X to bail.");
    ASSERT_TRUE(fight_until({&rhea, &tess}, [&] {
        return !tess.term->running() && rhea.text().ends_with("Command? [L] : ");
    })) << tess.text();
    ASSERT_TRUE(rhea.shows("Tess has entered the hall and looks quite angry!"));
    ASSERT_TRUE(rhea.shows("You have defeated Tess!!"));
    ASSERT_TRUE(tess.shows("Rhea has RAIDED your hall! (Online Combat)"));

    rhea.type("g", "Gold Present : 5,000");
    rhea.type("4", "How much gold do you wish to take? : ");
    rhea.type("5000\r", "You have taken 5,000 gold from the guild hall.");
    rhea.type("l", "Guild Hall of Wolves");
    rhea.type("l", "Guild Menu");
    rhea.type("l", "Command  : ");
    ASSERT_EQ(leave(rhea), 0);

    EXPECT_EQ(e2e::i32_of(read_file(game.file("guilds.dat")), treasury_gold_at), 0);
    EXPECT_EQ(e2e::i32_of(stored("RHEA"), gold_at), rhea_gold + 5000);
    for (const char* member : {"MARA", "TESS"}) EXPECT_EQ(stored(member)[dead_at], 1) << member;
}

TEST_F(raid_e2e, a_sleeper_wakes_in_the_hall_and_a_raider_whose_game_is_gone_holds_nobody_up) {
    found();
    mara = start(2);
    come_back(mara, "Carl Dorn");
    into_hall(mara);
    mara.type("s", "Sleeping Quarters for Wolves");
    mara.type("g", "Are you sure you want to go to sleep/leave game? (Y/N) [Y] : ");
    mara.type("\r", "You think you may actually have pleasant dreams tonight.");
    EXPECT_EQ(mara.term->wait_exit(wait_ms), 0);
    std::string m = stored("MARA");
    EXPECT_EQ(m[sleeping_guild_at], 1);
    EXPECT_EQ(m[online_at], 0);
    EXPECT_EQ(m.substr(location_at + 1, static_cast<unsigned char>(m[location_at])), "hGuild Hall");

    // Rhea's record says she raids, on line, but no game of hers runs.
    change_players([](const std::string& name, std::string& rec) {
        if (name != "RHEA") return;
        rec[online_at] = 1;
        const std::string raid = "oGuild Hall";
        rec[location_at] = static_cast<char>(raid.size());
        rec.replace(location_at + 1, raid.size(), raid);
    });
    mara = start(2);
    log_on(mara, "Carl Dorn");
    const std::pair<std::string, std::string> waking[] = {
        {"x", "Selection : "},    {"E", "You have already been on today."},
        {"", "[HIT ANY KEY]"},    {"x", "[ Hit any key ]"},
        {"x", "[ Hit any key ]"}, {"x", "Guild Hall of Wolves"},
        {"", "Command? [L] : "},  {"l", "Command  : "}};
    for (const auto& [keys, wanted] : waking) mara.type(keys, wanted);
    EXPECT_EQ(stored("MARA")[sleeping_guild_at], 0);
    EXPECT_EQ(mara.text().find("Waiting for response from other node."), std::string::npos) << mara.text();
    EXPECT_FALSE(file_present(game.file("node0001.msg")));
    ASSERT_EQ(leave(mara), 0);
}

TEST_F(raid_e2e, a_raid_goes_on_past_a_killed_member_the_board_holds_the_hall_and_a_killed_raider_holds_nobody_up) {
    found();
    // Mara hardy enough to come to her turn; Tess with 300 gold on her.
    change_players([](const std::string& name, std::string& rec) {
        if (name == "MARA") set16(rec, hit_points_at, 30000);
        if (name == "TESS") set32(rec, gold_at, 300);
    });
    const wealth before = realm_wealth(game);
    mara_in_the_hall_and_rhea_raids();
    // The guardian falls; Mara is fought, and her node is killed at her turn.
    ASSERT_TRUE(drive({&rhea}, {&mara}, [&] { return mara.text().ends_with("Command? [A] : "); })) << mara.text();
    ASSERT_TRUE(mara.shows("Rhea has RAIDED your hall! (Online Combat)"));
    kill_node(mara);
    ASSERT_TRUE(rhea.shows("Mara has FLED!  What a coward."));
    ASSERT_TRUE(rhea.shows("hall is at your disposal."));
    ASSERT_TRUE(rhea.shows("Command? [L] : "));

    // Rhea reads the board; Tess comes in and is fought there, not told the hall is clear.
    rhea.type("m", "Messages for Wolves");
    ASSERT_TRUE(rhea.shows("Command? [L] : "));
    tess = start(3);
    come_back(tess, "Dana Kell");
    tess.type("g", "Guild Menu");
    tess.type("e", "Waiting for response from other node.");
    ASSERT_TRUE(fight_until({&rhea, &tess}, [&] {
        return !tess.term->running() && rhea.text().ends_with("Command? [L] : ");
    })) << tess.text();
    ASSERT_TRUE(rhea.shows("Tess has entered the hall and looks quite angry!"));
    ASSERT_TRUE(rhea.shows("You have defeated Tess!!"));
    ASSERT_TRUE(rhea.shows("and find 300 gold."));
    ASSERT_TRUE(tess.shows("Rhea has RAIDED your hall! (Online Combat)"));
    EXPECT_EQ(tess.text().find("Guild Hall of Wolves"), std::string::npos) << tess.text();

    // Rhea's node dies holding the hall; Mara comes back and walks into her hall at once.
    kill_node(rhea);
    mara = start(2);
    come_back(mara, "Carl Dorn");
    into_hall(mara);
    std::string entry = mara.text().substr(mara.text().rfind("Guild Menu"));
    EXPECT_EQ(entry.find("Waiting for response"), std::string::npos) << entry;
    mara.type("l", "Command  : ");
    EXPECT_EQ(leave(mara), 0);

    EXPECT_EQ(stored("TESS")[dead_at], 1);
    EXPECT_EQ(stored("MARA")[dead_at], 0);
    EXPECT_EQ(realm_wealth(game), before);
}
}  // namespace
