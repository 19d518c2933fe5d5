// The valley and the mountain with the dice replaced: the draw of their events and what each
// does to the character, the nap by the lake, the bird that counts its visits in the flag
// file, and the dryad's test with good and bad gifts.
#include <gtest/gtest.h>

#include <array>

#include "combat_state.hpp"
#include "engine/store/strings.hpp"
#include "game/forest.hpp"
#include "game/game_init.hpp"
#include "game/hooks.hpp"
#include "game/menu.hpp"
#include "game/mountain.hpp"
#include "game/valley.hpp"

namespace {
const std::string heading =
    "                             Special Event:\r\n"
    "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n";

struct realms_test : combat_state {
    creature_list creatures{creature("Fog Wight")};
    text_list menu;
    realms_test() {
        write_file("quortext.dat", "@#dryad\nMGINY\n  The dryad.\n@#\n");
        game_forest_init();
        game_realms_init();
        fights().clear();
        set_do_combat_hook([](character_record& foe) {
            fights().push_back(foe.name.str());
            return true;
        });
        add_desc_line("  The realm.", menu);
    }
    ~realms_test() override { reset_game_hooks(); }
    static std::vector<std::string>& fights() {
        static std::vector<std::string> f;
        return f;
    }
    // Level 1, 10 fights, 100 gold, 10 gems, charm 10, shame 2, luck 0; in "players.dat".
    character_record& walker() {
        character_record& c = fighter();
        c.creature_fights_left = 10;
        c.gems = 10;
        c.charm = 10;
        c.shame = 2;
        write_char_file(false);
        return c;
    }
    static std::string flags() { return read_file(flag_file_name(1)); }
};

// gold, gems, charm, luck, shame, attack, creature fights
using figures = std::array<int, 7>;
figures of(const character_record& c) {
    return {c.gold, c.gems, c.charm, c.luck, c.shame, c.attack, c.creature_fights_left};
}
figures minus(figures a, const figures& b) {
    for (std::size_t i = 0; i < a.size(); ++i) a[i] -= b[i];
    return a;
}

struct event_row {
    int e;
    const char* keys;
    std::vector<int> dice;  // the event's own
    std::string first;      // its first line
    figures change;
};
}  // namespace

TEST_F(realms_test, each_realm_draws_its_own_events_and_each_does_what_it_says) {
    struct realm_table {
        void (*search)(const creature_list&, const text_list&);
        int events;
        std::vector<event_row> rows;
    };
    const realm_table realms[] = {
        {valley_search,
         9,
         {{1, "n", {}, "  You are walking through the valley when you think you spot an", {}},
          {1, "\r", {}, "  You are walking through the valley when you think you spot an", {0, 0, 0, 0, 0, 0, -1}},
          {2, "n", {}, "  From out of nowhere, a small wagon appears right in your path.", {}},
          {3, "n", {}, "  You are making your way through a dense section of the valley when", {}},
          {4, "", {}, "  You are walking through a barren section of the valley when you hear", {0, 0, 1}},
          {5, "", {}, "  You can't believe your luck as you stumble across a rabbit without", {0, 0, 0, -1}},
          {6, "", {}, "  Glistening off to your right, a golden gem catches your eye.", {0, 1}},
          {7, "", {}, "  Huddling in a small cave, you find a small, frightened puppy.", {0, 0, 2}},
          {8, "", {}, "  Stumbing along, you find a silvery scroll partially hidden under a", {0, 0, 0, 0, 0, 2}},
          {9, "", {}, "  You find the corpse of a recently fallen hero.", {0, 0, 0, 0, -1}}}},
        {mountain_search,
         8,
         {{1, "x", {99}, "  You find a small chest containing 100 gold pieces in it.", {100}},
          {2, "n", {}, "  From out of nowhere, a small wagon appears right in your path.", {}},
          {3, "", {}, "  Glistening off to your right, a golden gem catches your eye.", {0, 1}},
          {4, "x", {0, 1}, "  You are making your way around the mountain when your foot catches", {}},
          {5, "x", {0, 1}, "  You are making your way around the mountain when your foot catches", {0, 0, 0, 0, 0, 2}},
          {6, "x", {0, 1}, "  You are making your way around the mountain when your foot catches", {}},
          {7, "r", {99}, "  You stop abruptly as you realize you are face to face with a Leprachaun.", {}},
          {8, "", {}, "  You notice a strangly colored bird watching your movement from", {0, 1}}}},
    };
    for (const realm_table& r : realms) {
        for (const event_row& row : r.rows) {
            character_record& me = walker();
            game_stats.floating_gold = 5000;
            input_feed keys(row.keys);
            figures before = of(me);
            std::vector<int> dice = {0, 0, row.e - 1};  // the creature, r = 1, the event
            dice.insert(dice.end(), row.dice.begin(), row.dice.end());
            seam.rolls.assign(dice.begin(), dice.end());
            seam.random_ranges.clear();
            r.search(creatures, menu);
            std::string screen = out.take();
            EXPECT_TRUE(screen.starts_with(heading + row.first + "\r\n")) << r.events << " event " << row.e << ":\n"
                                                                          << screen;
            ASSERT_GE(seam.random_ranges.size(), 3u);
            EXPECT_EQ(seam.random_ranges[2], r.events);
            EXPECT_EQ(minus(of(me), before), row.change) << r.events << " event " << row.e;
            EXPECT_EQ(game_stats.floating_gold, 5000);
        }
        // Without fights left, the realm's own message; a level without creatures, no event.
        character_record& me = walker();
        me.creature_fights_left = 0;
        r.search(creatures, menu);
        me.creature_fights_left = 1;
        me.level = 2;
        seam.rolls.assign({0});
        r.search(creatures, menu);
        std::string realm = r.events == 9 ? "valley" : "mountain";
        EXPECT_EQ(out.take(), "\r\n  The " + realm +
                                  " is empty.  Perhaps you should return tomorrow.\r\n"
                                  "\r\n  Nothing here seems to be at your level.\r\n");
    }
    // The ambush's fight was against the brigands, and took one creature fight.
    EXPECT_EQ(fights(), (std::vector<std::string>{"Brigand Troup"}));
}

TEST_F(realms_test, the_scroll_charges_the_weapon_and_the_tablet_strains_before_it_gives) {
    character_record& me = walker();
    item_record blade = item("Short Blade", pos_weapon, 5);
    blade.max_power = 8;
    blade.equipped = 1;
    cur_inventory.push_front(blade);
    valley_special_event(8, menu);
    EXPECT_NE(out.take().find("your Short Blade begins"), std::string::npos);
    EXPECT_EQ(std::vector<int>({cur_inventory.front().power, cur_inventory.front().max_power, me.attack}),
              std::vector<int>({7, 10, 12}));

    input_feed keys("x");
    rolls({combat_state::real(0.5), 2});  // h = round(9.5) = 10, n = 3
    mountain_special_event(4, menu);
    EXPECT_TRUE(out.take().ends_with(
        "growing tougher.\r\n  You lose 10 hit points due to the strenuous nature of the ritual\r\n"
        "  You gain 3 defense points.\r\n      [ Hit any key ]"));
    EXPECT_EQ(std::vector<int>({me.hit_points, me.defense}), std::vector<int>({10, 9}));
}

TEST_F(realms_test, the_lake_nap_by_its_draw) {
    struct nap {
        int roll, luck, gems;
        std::string outcome;
        int gold, gems_after, fights, attack, defense;
    };
    const std::string broke =
        "  When you wake up, you discover that someone has taken all of\r\n  your gold.  You are BROKE.\r\n";
    const std::string fight = "  (You gain 1 forest fight.)\r\n", maxed = "  (Your Hit Points are MAXED.)\r\n";
    const std::string fit =
        "  You wake up, feeling refreshed, relaxed and fit as a fiddle,\r\n"
        "  and ready to take on any challenges the world can throw at you.\r\n" +
        fight + "  (You gain 5 attack points.)\r\n";
    const nap naps[] = {
        {19, 0, 5, broke, 0, 5, 10, 10, 6},
        {20, 0, 5,
         "  When you wake up, you discover that someone has taken a few of\r\n  your gems.\r\n  (You lose 2 gems.)\r\n",
         100, 3, 10, 10, 6},
        {39, 0, 0, broke, 0, 0, 10, 10, 6},
        {40, 0, 5, "  You wake up, feeling refreshed, with a little extra spring in your\r\n  step.\r\n" + fight, 100,
         5, 11, 10, 6},
        {98, 0, 5, fit + maxed, 100, 5, 11, 15, 6},
        {99, 30, 5, fit + "  (You gain 5 defense points.)\r\n" + maxed, 100, 5, 11, 15, 11},  // n held at 100
    };
    for (const nap& n : naps) {
        character_record& me = walker();
        me.luck = static_cast<std::int16_t>(n.luck);
        me.gems = static_cast<std::int16_t>(n.gems);
        me.hit_points = 3;
        input_feed keys("\r");
        rolls({n.roll, combat_state::real(0.5)});
        valley_special_event(3, menu);
        std::string screen = out.take();
        EXPECT_TRUE(screen.ends_with(
            "Take a Nap? (Y/N) [Y] : Yes.\r\n  You lay down under a large tree for a refreshing nap.\r\n" + n.outcome))
            << n.roll << " " << n.luck << "\n"
            << screen;
        EXPECT_EQ(std::vector<int>({me.gold, me.gems, me.creature_fights_left, me.attack, me.defense}),
                  std::vector<int>({n.gold, n.gems_after, n.fights, n.attack, n.defense}))
            << n.roll << " " << n.luck;
        EXPECT_EQ(me.hit_points, n.fights == 11 && n.roll != 40 ? 20 : 3);
        // The thief's take is in "players.dat" at once.
        if (n.fights == 10) {
            EXPECT_EQ(std::vector<int>({saved(1).gold, saved(1).gems}), std::vector<int>({n.gold, n.gems_after}));
        }
    }
    input_feed keys("n");
    valley_special_event(3, menu);
    EXPECT_TRUE(out.take().ends_with("[Y] : No.\r\n  Taking a nap here would be a dangerous thing indeed.\r\n"));
}

TEST_F(realms_test, the_bird_counts_its_visits_and_the_sixth_brings_the_dryad_every_time) {
    character_record& me = walker();
    input_feed keys("\r\r");  // the dryad is given nothing, twice
    const char* firsts[] = {"  You notice a strangly colored bird",
                            "  You notice a strangly colored bird",
                            "  You notice a strangly colored bird",
                            "  You see before you an apparition",
                            "  You see before you an apparition",
                            "  The dryad.",
                            "  The dryad."};
    for (int visit = 1; visit <= 7; ++visit) {
        mountain_special_event(8, menu);
        EXPECT_TRUE(out.take().starts_with(firsts[visit - 1])) << visit;
        std::string count = "MOUNTAIN_BIRD_WATCH " + std::to_string(std::min(visit, 5)) + " 2\n";
        EXPECT_NE(flags().find(count), std::string::npos) << visit << "\n" << flags();
    }
    EXPECT_EQ(me.gems, 13);
    EXPECT_NE(flags().find("MOUNTAIN_DRYAD_TEST 0 2\n"), std::string::npos);
    // A value that is no count starts again at one.
    add_flag(bird_watch_flag, "-7", 2, flag_file_name(1), "FLAGS");
    mountain_special_event(8, menu);
    EXPECT_NE(flags().find("MOUNTAIN_BIRD_WATCH 1 2\n"), std::string::npos);
}

TEST_F(realms_test, the_dryad_judges_the_gift) {
    struct gift {
        const char* keys;
        int gold;  // in hand; the level is 2, so a fair gift is 1,000
        int code;
        int gold_after, gems_after, shame, charm, luck;
        int item = 0;  // the wear position of the one unequipped item, 0 none
    };
    const gift gifts[] = {
        {"m2\r", 1500, 7, 1500, 8, 6, 7, 0},
        {"M3\r", 1500, 10, 1500, 7, 2, 10, 0},
        {"M4\r", 1500, 8, 1500, 6, 2, 10, 0},
        {"M7\r", 1500, 9, 1500, 3, 2, 10, 0},
        {"G999\r", 1500, 1, 501, 10, 7, 6, 0},
        {"G1000\r", 1500, 2, 500, 10, 6, 7, 0},
        {"G1000\r", 1000, 3, 0, 10, 6, 7, 0},
        {"G1001\r", 1500, 3, 499, 10, 6, 7, 0},
        {"G1001\r", 1001, 4, 0, 10, 0, 12, 2},
        {"G1000\r", 250'000'000, 2, 249'999'000, 10, 6, 7, 0},  // a purse past the limit is not cut
        {"I7\rI1\r", 1500, 6, 1500, 10, 2, 10, 0, pos_weapon},
        {"I1\r", 1500, 5, 1500, 10, 6, 7, 0, pos_other},
        {"\r", 1500, 0, 1500, 10, 8, 5, 0},
    };
    std::string screens;
    for (const gift& g : gifts) {
        character_record& me = walker();
        me.level = 2;
        me.gold = g.gold;
        if (g.item) cur_inventory.push_front(item("Gift", static_cast<std::int16_t>(g.item)));
        input_feed keys(g.keys);
        dryad();
        std::string screen = out.take();
        screens += screen;
        EXPECT_NE(flags().find("MOUNTAIN_DRYAD_TEST " + std::to_string(g.code) + " 2\n"), std::string::npos)
            << g.keys << "\n"
            << flags();
        EXPECT_EQ(std::vector<int>({me.gold, me.gems, me.shame, me.charm, me.luck}),
                  std::vector<int>({g.gold_after, g.gems_after, g.shame, g.charm, g.luck}))
            << g.keys << "\n"
            << screen;
        EXPECT_TRUE(cur_inventory.empty() && file_items().empty()) << g.keys;
    }
    EXPECT_NE(screens.find("  Which Item : 7\r\n  Nothing Given!\r\n"), std::string::npos) << screens;

    // Bad answers are refused, her menu asks again, and nothing is taken.
    const std::string again = "\r\n   What do you offer her:  (M,G,I,N,Y,?)\r\n\r\n  Command? [N] : ";
    const std::string try_again = "  Try a real Number next time\r\n" + again;
    character_record& me = walker();
    input_feed refused("Mx\rM99999\rM11\rG0\rG9999999999\rG101\rI\r");
    dryad();
    EXPECT_TRUE(out.take().starts_with("  The dryad.\r\n" + again + "M\r\n  How Many : x\r\n" + try_again +
                                       "M\r\n  How Many : 99999\r\n" + try_again +
                                       "M\r\n  How Many : 11\r\n  You don't have that many to give!\r\n" + again +
                                       "G\r\n  How Much : 0\r\n" + try_again + "G\r\n  How Much : 9999999999\r\n" +
                                       try_again + "G\r\n  How Much : 101\r\n  You don't have that much to give!\r\n" +
                                       again + "I\r\n  You have nothing to give her.\r\n" + again + "N\r\n"));
    EXPECT_EQ(std::vector<int>({me.gold, me.gems}), std::vector<int>({100, 10}));
}

TEST_F(realms_test, a_purse_lowered_on_file_gives_the_dryad_nothing) {
    for (const char* keys : {"M2\rN", "G999\rN"}) {
        SCOPED_TRACE(keys);
        walker().gold = 1500;
        write_char_file(false);
        // 500 gold and 1 gem left on file; this node still sees 1,500 and 10.
        edit_on_file([](character_record& c) { c.gold = 500, c.gems = 1; });
        input_feed in(keys);
        dryad();
        std::string screen = out.take();
        EXPECT_TRUE(screen.find(keys[0] == 'M' ? "  You don't have that many to give!\r\n"
                                               : "  You don't have that much to give!\r\n") != std::string::npos)
            << screen;
        EXPECT_EQ(std::vector<int>({saved(1).gold, saved(1).gems}), std::vector<int>({500, 1}));
    }
}
