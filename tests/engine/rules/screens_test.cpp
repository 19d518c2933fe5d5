// The status screens and the rankings, for a small fixed realm: three characters (two of
// equal experience) and two guilds, on the caller's screen and in the four report files.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "engine/item_state.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/hooks.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"

namespace {
using strings = std::vector<std::string>;
const std::string rule77 = "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

// The ANSI file form of a colour-coded line, from the documented table.
std::string ansi(const std::string& coded) {
    static const std::map<char, std::string> seq = {{'1', "0;34m"}, {'2', "0;32m"}, {'3', "0;36m"}, {'4', "0;31m"},
                                                    {'5', "0;35m"}, {'6', "0;33m"}, {'7', "0;37m"}, {'8', "1;30m"},
                                                    {'9', "1;34m"}, {'0', "1;32m"}, {'!', "1;36m"}, {'@', "1;31m"},
                                                    {'#', "1;35m"}, {'$', "1;33m"}, {'%', "0;1m"}};
    std::string out;
    for (std::size_t i = 0; i < coded.size(); ++i) {
        if (coded[i] != '`') {
            out += coded[i];
            continue;
        }
        char c = coded[++i];
        if (c == 'c')
            out += "\x1b[2J";
        else if (seq.count(c))
            out += "\x1b[" + seq.at(c);
    }
    return out + "\x1b[0m";
}

std::string file_of(const strings& lines, bool ansi_form) {
    std::string s;
    for (const auto& l : lines) {
        if (ansi_form) {
            s += ansi(l) + "\n";
        } else {
            std::string plain;
            for (std::size_t i = 0; i < l.size(); ++i)
                if (l[i] == '`')
                    ++i;
                else
                    plain += l[i];
            s += plain + "\n";
        }
    }
    return s;
}

const strings player_lines = {
    "`c            `%Player Rankings for `9T`%he `9Q`%uorvath `%v1.10",
    "",
    " `9Class  Sex Name                 Level   Experience   Status  Guild",
    "`#" + rule77,
    " `%W`1M`8T`8H`8P`8R  `1M  `9Sir Lancelot         `!  12 `3    1,234,567    `0Alive`%     3   `@`bOn!",
    " `8W`8M`8T`8H`8P`%R  `1M  `9Gawain               `!   5 `3       40,000    `0Alive`%     3   ",
    " `8W`8M`%T`8H`1P`8R  `@F  `9Morgana              `!   5 `3       40,000    `4Dead `%         ",
};

const strings guild_lines = {
    "`c             `%Guild Rankings for `9T`%he `9Q`%uorvath `%v1.10",
    "",
    "  `9Name                     Levels      Experience   Guild  # Chars   Hall?",
    "`#" + rule77,
    "  `9`4Knights                  `!  17`3         1,274,567`%      3`8       2`%      Yes",
    "  `9Loners                   `!   0`3                 0`%      5`8       0`%      No",
};

struct screens : item_state {
    character_record* lancelot = nullptr;
    character_record* gawain = nullptr;
    character_record* morgana = nullptr;

    void SetUp() override {
        character_record m = make_char(2, "`2Morgana");
        m.class_bits = class_thief | (class_paladin << 6);
        m.sex = 2;
        m.level = 5;
        m.experience = 40'000;
        m.dead = 1;
        morgana = add_char(m);
        character_record g = make_char(3, "gawain");
        g.class_bits = class_ranger;
        g.sex = 1;
        g.level = 5;
        g.experience = 40'000;
        g.guild = 3;
        gawain = add_char(g);
        character_record l = make_char(1, "sir lancelot");
        l.class_bits = class_warrior | (class_mage << 6);
        l.sex = 1;
        l.level = 12;
        l.experience = 1'234'567;
        l.guild = 3;
        l.online = 1;
        l.location = "tTown Square";
        lancelot = add_char(l);  // list: Lancelot, Gawain, Morgana
        guild_record k;
        k.number = 3;
        k.name = "`4Knights";
        k.has_hall = 1;
        add_guild(k);
        guild_record lo;
        lo.number = 5;
        lo.name = "Loners";
        add_guild(lo);  // list: Loners, Knights
        write_char_file(false);
    }
    static strings names() {
        strings n;
        for (const auto& c : char_list) n.push_back(c.name.str());
        return n;
    }
};
}  // namespace

TEST_F(screens, ranking_files_byte_for_byte_and_equal_experience_keeps_its_order) {
    // Gawain stands before Morgana in the list; both have 40,000.
    hook_write_rankings();
    EXPECT_EQ(names(), (strings{"sir lancelot", "gawain", "`2Morgana"}));
    EXPECT_EQ(read_file("prank.asc"), file_of(player_lines, false));
    EXPECT_EQ(read_file("prank.ans"), file_of(player_lines, true));
    EXPECT_EQ(read_file("grank.asc"), file_of(guild_lines, false));
    EXPECT_EQ(read_file("grank.ans"), file_of(guild_lines, true));
    // From memory only: "players.dat" is neither read nor written.
    std::remove("players.dat");
    hook_write_rankings();
    EXPECT_FALSE(file_present("players.dat"));
    EXPECT_EQ(read_file("prank.asc"), file_of(player_lines, false));
    // The other order of the equal pair is kept as well.
    char_list.splice(char_list.begin(), char_list, std::prev(char_list.end()));  // Morgana first
    rank_players();
    EXPECT_EQ(names(), (strings{"sir lancelot", "`2Morgana", "gawain"}));
}

TEST_F(screens, the_player_who_leaves_is_not_on_line_in_the_files_of_the_exit) {
    for (void (*leave)() : {+[] { end_prog(exit_normal); }, player_killed}) {
        std::remove("prank.asc");
        child_result r = run_in_child([this, leave] {
            cur_char = lancelot;
            input_feed key("x");
            leave();
        });
        EXPECT_EQ(r.code, exit_normal);
        EXPECT_EQ(read_file("prank.asc").find("On!"), std::string::npos) << read_file("prank.asc");
    }
}

TEST_F(screens, rankings_by_mode) {
    display_ranks(ranks_show);
    std::string shown = out.take();
    EXPECT_EQ(shown.substr(0, 54), "            Player Rankings for The Quorvath v1.10\r\n\r\n");
    EXPECT_NE(shown.find(" WMTHPR  M  Gawain                  5        40,000    Alive     3   \r\n"),
              std::string::npos);
    EXPECT_FALSE(file_present("prank.ans"));
    display_ranks(ranks_plain_file);
    EXPECT_EQ(read_file("prank.asc"), file_of(player_lines, false));
    display_ranks(7);  // built and discarded
    EXPECT_FALSE(file_present("prank.ans"));
    guild_rankings(ranks_ansi_file);
    EXPECT_EQ(read_file("grank.ans"), file_of(guild_lines, true));
    EXPECT_EQ(out.take(), "");
    EXPECT_EQ(file_chars().size(), 3u);  // written with refresh
}

TEST_F(screens, empty_realms) {
    del_char_list();
    del_guild_list();
    write_ranking_files();
    EXPECT_EQ(read_file("grank.asc"), "\nThere are NO guilds in the realm.\n");
    EXPECT_EQ(read_file("prank.asc"), file_of({player_lines[0], "", player_lines[2], player_lines[3],
                                               "`9                   There are `4NO`9 heroes in the realm.", ""},
                                              false));
}

TEST_F(screens, guild_sums) {
    gawain->dead = 1;  // a dead member counts all the same
    write_ranking_files();
    EXPECT_EQ(read_file("grank.asc"), file_of(guild_lines, false));
    EXPECT_EQ(guild_exp_sum(3), 1'274'567);
    EXPECT_EQ(guild_level_sum(3), 17);
    EXPECT_EQ(guild_member_count(3), 2);
    EXPECT_EQ(guild_member_count(5), 0);
    // A big guild sums past 32 bits without wrapping.
    for (int k = 0; k < 30; ++k) {
        character_record c = make_char(10 + k, "Member" + std::to_string(k));
        c.guild = 5;
        c.experience = 100'000'000;
        add_char(c);
    }
    EXPECT_EQ(guild_exp_sum(5), 3'000'000'000LL);
    sort_guilds();
    EXPECT_EQ(guild_list.front().number, 5);
}

TEST_F(screens, the_statistics_screen) {
    cur_char = lancelot;
    character_record& c = *lancelot;
    c.gold = 5000;
    c.bank_gold = 1'000'000;
    c.creature_fights_left = 15;
    c.player_fights_left = 3;
    c.charm = 7;
    c.attack = 122;
    c.defense = 36;
    c.shield_value = 9;
    c.hit_points = 80;
    c.max_hit_points = 120;
    c.gems = 4;
    c.skill_uses_left = 2;
    c.skill_uses_per_day = 5;
    c.skill_percent = {45, 20, 1, 0, 5, 0};
    item_record bow = item("Bow of the Damned", pos_weapon, 112);
    bow.equipped = 1;
    item_record mail = item("`2Chain Mail", pos_armor, 30);
    mail.equipped = 1;
    add_to_inv_NW(cur_inventory, bow);
    add_to_inv_NW(cur_inventory, mail);
    display_stats();
    EXPECT_EQ(out.take(), "  Character Statistics :\r\n" + rule77 +
                              "\r\n"
                              "  Name            : Sir Lancelot          Level         : 12\r\n"
                              "  Experience      : 1,234,567             Gold          : 5,000\r\n"
                              "  Creature Fights : 15                    Bank Gold     : 1,000,000\r\n"
                              "  Player Fights   : 3                     Charm         : 7\r\n"
                              "  Weapon Name     : Bow of the Damned     Attack Value  : 122\r\n"
                              "  Armor Name      : Chain Mail            Defense Value : 36\r\n"
                              "  Shield Name     : Nothing               Shield Value  : 9\r\n"
                              "  Hit Points      : 80 / 120              Gems          : 4\r\n"
                              "  Skill Use Points: 2  / 5                Master        : Matthius\r\n"
                              "  Guild           : Knights               Current Class : Warrior\r\n"
                              "  Your Skill Percentages :\r\n"
                              "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n"
                              "  Warrior         : 45%\r\n"
                              "  Mage            : 20%\r\n"
                              "  Ranger          :  5%\r\n");
    // Written with refresh first.
    EXPECT_EQ(file_chars().size(), 3u);

    // An ANSI caller: the current class stands in white, another in cyan.
    graphics_mode = 3;
    display_stats();
    std::string shown = out.take();
    EXPECT_EQ(shown.substr(0, 4), "\x1b[2J");
    EXPECT_NE(shown.find("  Name            : \x1b[37mSir Lancelot          \x1b[34mLevel         : \x1b[37m12\r\n"),
              std::string::npos);
    EXPECT_NE(shown.find("  Armor Name      : \x1b[37m\x1b[0;32mChain Mail            \x1b[1;34mDefense Value"),
              std::string::npos);
    EXPECT_NE(shown.find("\x1b[37m  Warrior         \x1b[0;36m: \x1b[1;37m45%\r\n"), std::string::npos);
    EXPECT_NE(shown.find("\x1b[0;36m  Mage            : \x1b[1;37m20%\r\n"), std::string::npos);

    // A guild that is gone: the line without it, and the number cleared.
    graphics_mode = 1;
    c.guild = 9;
    display_stats();
    EXPECT_NE(out.take().find("\r\n" + std::string(42, ' ') + "Current Class : Warrior\r\n"), std::string::npos);
    EXPECT_EQ(c.guild, 0);
}

TEST_F(screens, players_in_the_realm_and_out_of_town) {
    cur_char = lancelot;
    list_players_online();
    EXPECT_EQ(out.take(), "\r\n      Players in the Realm :\r\n" + rule77 +
                              "\r\n  Sir Lancelot                 :    Town Square\r\n");
    // Out of town: neither sleeping, not dead, not online.
    character_record sleeper = make_char(4, "Dozy");
    sleeper.sleeping_inn = 1;
    add_char(sleeper);
    write_char_file(false);
    display_non_inn();
    EXPECT_EQ(out.take(),
              "            Player Rankings for The Quorvath v1.10\r\n\r\n"
              " Class    Name                    Level    Experience     Master  Guild\r\n" +
                  rule77 + "\r\n WMTHPR   Gawain                     5         40,000    Wizz-Tar    3   \r\n\r\n");
    // Sleepers alone decide whether anyone is around.
    for (auto& ch : char_list) ch.sleeping_guild = 1;
    write_char_file(false);
    display_non_inn();
    EXPECT_EQ(out.take(), "There are NO heroes hanging around town.\r\n\r\n");
}

TEST_F(screens, the_game_settings) {
    cur_char = lancelot;
    seam.advance_on_sleep = false;
    seam.set_time(2026, 1, 15, 12, 0, 0);
    game_stats.day = 12;
    game_stats.grace_days = 30;
    game_stats.resurrect_days = 1;
    game_stats.creature_fights = 20;
    game_stats.player_fights = 3;
    game_stats.transfer_max = 50000;
    game_stats.transfers_per_day = 2;
    game_stats.interest_pct = 1.005;
    game_stats.heal_cost = 5;
    game_stats.room_cost = 40;
    game_stats.death_loss_divisor = 10;
    game_stats.max_guilds = 8;
    game_stats.floating_gold = 1234567;
    game_stats.data_version = 107;
    display_game_settings();
    std::string shown = out.take();
    std::string expect =
        "There are 3 characters in the game.\r\n"
        "This game is on day                  : 12\r\n"
        "The current time and date is         : Thursday 01/15/26  12:00:00:00\r\n"
        "The grace period is                  : 30 days.\r\n"
        "The resurrection period is           : 1 days.\r\n"
        "# of creature fights/day is          : 20\r\n"
        "# of player fights/day is            : 3\r\n"
        "Max amount per bank X-fer            : 50000 gold.\r\n"
        "Max # of X-fers/day is               : 2\r\n"
        "Interest rate on bank gold           : 1.00% daily.\r\n"
        "Cost per point per level to heal is  : 5\r\n"
        "Cost per level to get a room is      : 40\r\n"
        "Experience lost when character dies  : 10% of total\r\n"
        "Maximum number of Guilds Allowed     : 8\r\n"
        "Amount of \"Floating\" gold            : 1,234,567\r\n"
        "Files patched up to version          : 107\r\n"
        "Free Memory    : ";
    EXPECT_EQ(shown.substr(0, expect.size()), expect);
    EXPECT_EQ(shown.substr(shown.size() - 2), "\r\n");
    EXPECT_EQ(file_chars().size(), 3u);
}

namespace {
// A guild's sums the old way: one walk over every character for each guild.
struct walked {
    std::int64_t experience = 0, levels = 0, members = 0;
};
walked walk_for(std::int16_t guild) {
    walked w;
    for (const character_record& c : char_list)
        if (c.guild == guild) {
            w.experience += c.experience;
            w.levels += c.level;
            ++w.members;
        }
    return w;
}
std::int16_t to_column(std::int64_t v) { return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767)); }

strings as_strings(const text_list& list) {
    strings s;
    for (const text_line& l : list) s.push_back(l.str());
    return s;
}
}  // namespace

TEST_F(screens, the_guild_table_agrees_with_a_walk_per_guild_on_random_realms) {
    std::mt19937 rng(38);
    auto pick = [&rng](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); };
    for (int round = 0; round < 25; ++round) {
        del_char_list();
        del_guild_list();
        // Guild records (numbers 1-60, some with no members) and characters naming them, no
        // guild, or a guild that is gone; one round in five has a guild whose levels pass 16 bits.
        std::vector<std::int16_t> numbers;
        for (int g = pick(1, 30); g > 0; --g) {
            auto n = static_cast<std::int16_t>(pick(1, 60));
            if (std::find(numbers.begin(), numbers.end(), n) != numbers.end()) continue;
            numbers.push_back(n);
            guild_record r;
            r.number = n;
            r.name = "Guild" + std::to_string(n);
            add_guild(r);
        }
        int members = round % 5 == 0 ? 2500 : pick(0, 400);
        for (int k = 1; k <= members; ++k) {
            character_record c = make_char(static_cast<std::int16_t>(k), "P" + std::to_string(k));
            int kind = pick(0, 9);
            c.guild = kind == 0   ? 0
                      : kind == 1 ? static_cast<std::int16_t>(pick(61, 70))
                                  : numbers[pick(0, int(numbers.size()) - 1)];
            if (round % 5 == 0 && k % 2) c.guild = numbers.front();
            c.experience = pick(1, 100'000'000);
            c.level = static_cast<std::int16_t>(pick(-2, 25));
            add_char(c);
        }
        guild_totals_table table = guild_totals_by_number();
        for (std::int16_t n = 0; n <= 70; ++n) {
            walked w = walk_for(n);
            auto it = table.find(n);
            guild_totals t = it == table.end() ? guild_totals{} : it->second;
            EXPECT_EQ(t.experience, w.experience) << round << " " << n;
            EXPECT_EQ(t.levels, w.levels) << round << " " << n;
            EXPECT_EQ(t.members, w.members) << round << " " << n;
            EXPECT_EQ(guild_exp_sum(n), w.experience);
            EXPECT_EQ(guild_level_sum(n), to_column(w.levels));
            EXPECT_EQ(guild_member_count(n), to_column(w.members));
        }
        // The order: by the walked sums, highest first, equal sums in the list's order.
        std::vector<std::int16_t> order;
        for (const guild_record& g : guild_list) order.push_back(g.number);
        std::stable_sort(order.begin(), order.end(), [](std::int16_t a, std::int16_t b) {
            return walk_for(a).experience > walk_for(b).experience;
        });
        guild_rankings(ranks_plain_file);
        std::vector<std::int16_t> sorted;
        for (const guild_record& g : guild_list) sorted.push_back(g.number);
        EXPECT_EQ(sorted, order) << round;
        // Each guild's line in the file carries its walked figures.
        std::string file = read_file("grank.asc");
        for (std::int16_t n : numbers) {
            walked w = walk_for(n);
            std::string figures = pad_left(std::to_string(to_column(w.levels)), 4) +
                                  pad_left(comma_number(w.experience), 18) + pad_left(std::to_string(n), 7) +
                                  pad_left(std::to_string(to_column(w.members)), 8);
            EXPECT_NE(file.find(pad_right("Guild" + std::to_string(n), 25) + figures), std::string::npos)
                << round << " " << n;
        }
    }
}

TEST_F(screens, ranking_files_of_thousands_are_what_the_listed_lines_give) {
    // Files many pieces long; a guild line past a text line's 100 characters is cut as the
    // listed line is.
    std::mt19937 rng(7);
    for (int k = 10; k < 3000; ++k) {
        character_record c = make_char(static_cast<std::int16_t>(k), "Hero" + std::to_string(k));
        c.experience = static_cast<std::int32_t>(rng() % 5'000'000);
        c.level = static_cast<std::int16_t>(rng() % 20);
        c.class_bits = static_cast<std::int16_t>(rng() % 4096);
        c.online = rng() % 7 == 0;
        c.dead = rng() % 9 == 0;
        c.guild = static_cast<std::int16_t>(rng() % 6);
        add_char(c);
    }
    guild_record loud;
    loud.number = 4;
    loud.name = "`1`2`3`4`5`6`7`8`9`0";
    add_guild(loud);
    write_ranking_files();
    EXPECT_EQ(read_file("prank.ans"), file_of(as_strings(player_ranking_lines()), true));
    EXPECT_EQ(read_file("prank.asc"), file_of(as_strings(player_ranking_lines()), false));
    strings guilds = as_strings(guild_ranking_lines());
    auto cut =
        std::find_if(guilds.begin(), guilds.end(), [](const std::string& l) { return l.find("`1`2") != l.npos; });
    ASSERT_NE(cut, guilds.end());
    EXPECT_EQ(cut->size(), 100u);
    EXPECT_EQ(read_file("grank.ans"), file_of(guilds, true));
    EXPECT_EQ(read_file("grank.asc"), file_of(guilds, false));
    EXPECT_GT(read_file("prank.ans").size(), 4u * 65536);
}
