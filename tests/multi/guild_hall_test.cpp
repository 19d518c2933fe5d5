// Guild halls and raids on one node: the purchase and its refusals, the treasury's moves and
// limits (and two nodes emptying it at once), the guardian's points and levels, and the raid's
// walk over the members, its guardian and the sleepers it may attack.
#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/golden.hpp"
#include "engine/store/data_files.hpp"
#include "engine/text/lookups.hpp"
#include "game/menu.hpp"
#include "multi/fight_hooks.hpp"
#include "multi/guild_hall.hpp"
#include "multi/node_queue.hpp"
#include "multi/raids.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

namespace {
// Offsets of the guild record and of the character record used here.
constexpr std::size_t hall_at = 25, tgold_at = 134, tgems_at = 138, glevel_at = 140, gname_at = 142, gattack_at = 163,
                      gold_at = 159, gems_at = 167;

struct hall_fields {
    int has_hall = 1;
    std::int64_t gold = 1000;
    int gems = 10, level = 1, attack = 10;
};

std::string hall_image(int number, const std::string& name, int leader, const hall_fields& f) {
    golden g(217);
    g.i16(0, number).str(2, name).i16(23, leader).u8(hall_at, f.has_hall).str(26, "pw");
    g.i32(tgold_at, f.gold).i16(tgems_at, f.gems).i16(glevel_at, f.level).str(gname_at, "Grim");
    g.i16(gattack_at, f.attack).i16(165, 6).i16(167, 1).i16(169, 20).str(171, "Claw").str(192, "Hide");
    return g.b;
}

int le(const std::string& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + i));
    return n == 2 ? static_cast<std::int16_t>(v) : static_cast<std::int32_t>(v);
}

struct halls : multi_state {
    halls() {
        write_file("quortext.dat",
                   "@#ghall\nMGSIVFRL\n@#ghall_1\nUC\n@#ghall_2\n\n@#hall_sleep\nCGVFRL\n@#hall_gng\n1234VFRL\n"
                   "@#up_guard\nADSHENIVFRL\n@#up_names\nGWAIVFRL\n@#raid_sleep\nCAVFRL\n@#hall_message\nSRPVFL\n@#\n");
        anna().online = 1;
        save();
        put_hall({});
        check_frequency = 1;
        out.take();
    }
    void put_hall(const hall_fields& f) { write_file("guilds.dat", hall_image(5, "Wolves", 1, f)); }
    int guild16(std::size_t at) { return le(read_file("guilds.dat"), at, 2); }
    int guild32(std::size_t at) { return le(read_file("guilds.dat"), at, 4); }
    // A field of the stored record of the player of that number.
    static int stored(std::size_t at, int n, int number = 1) {
        std::string b = read_file("players.dat");
        for (std::size_t r = 0; r + 299 <= b.size(); r += 299)
            if (le(b, r + 62, 2) == number) return le(b, r + at, n);
        return -1;
    }
    void holds(std::int32_t gold, std::int16_t gems) {
        cur_char->gold = gold;
        cur_char->gems = gems;
        save();
    }
    std::string run(const std::string& keys, const std::function<void()>& fn) {
        input_feed feed(keys);
        fn();
        return plain(out.take());
    }
};

TEST_F(halls, the_purchase_refuses_the_poor_and_an_empty_name_and_builds_the_new_guardian) {
    struct row {
        std::int32_t gold;
        std::int16_t gems;
        std::string keys, shown, not_shown;
    };
    const row rows[] = {
        {199'999, 20, "", "You need more GOLD to build a guild hall.", "GEMS"},
        {250'000, 10, "", "You need more GEMS to build a guild hall.", "GOLD"},
        {250'000, 20, "n", "Build a guild hall? (Y/N) [Y] : No.\n", "Enter the name"},
        {250'000, 20, "\r\r", "Enter the name of your guild guardian :", "CREATED"},
        {250'000, 20, "yGrim\rn\r", "  Grim\n  Is this what you want? (Y/N) [Y] : No\n", "CREATED"},
    };
    hall_fields none;
    none.has_hall = 0;
    for (const row& r : rows) {
        put_hall(none);
        holds(r.gold, r.gems);
        std::string before = read_file("guilds.dat");
        std::string screen = run(r.keys, build_guild_hall);
        EXPECT_NE(screen.find(r.shown), std::string::npos) << r.keys << "\n" << screen;
        EXPECT_EQ(screen.find(r.not_shown), std::string::npos) << r.keys;
        EXPECT_EQ(read_file("guilds.dat"), before) << r.keys;
        EXPECT_EQ(stored(gold_at, 4), r.gold);
        EXPECT_FALSE(file_present("hall0005.dat"));
    }
    std::string screen = run("\rDrak^Xo\r\r", build_guild_hall);
    EXPECT_NE(screen.find("  Guild hall CREATED."), std::string::npos) << screen;
    golden g(217);
    g.i16(0, 5).str(2, "Wolves").i16(23, 1).u8(hall_at, 1).str(26, "pw").i16(glevel_at, 8).str(gname_at, "DrakXo");
    g.i16(gattack_at, 320).i16(165, 240).i16(167, 38).i16(169, 480);
    g.str(171, "Guardsman's Sword").str(192, "Guardsman's Armor");
    EXPECT_EQ(read_file("guilds.dat"), g.b);
    EXPECT_EQ(stored(gold_at, 4), 50'000);
    EXPECT_EQ(stored(gems_at, 2), 5);
    EXPECT_EQ(read_file("hall0005.dat"),
              "`9  This is a generic description for a guild hall.\n`9  it can be changed by the guild master.\n"
              "`!  Remember, you can sleep in the guild hall and be protected\n`!  by the guardian.\n");
}

TEST_F(halls, each_treasury_key_checks_what_is_held_and_moves_what_the_receiver_can_hold) {
    struct row {
        std::int64_t hall_gold;
        int hall_gems;
        std::int32_t gold;
        std::int16_t gems;
        std::string keys, shown;
        std::int64_t hall_gold_after;
        int hall_gems_after;
        std::int32_t gold_after;
        int gems_after;
    };
    const row rows[] = {
        {1000, 10, 800, 4, "15\r", "Sorry, you don't have that many GEMS.", 1000, 10, 800, 4},
        {1000, 10, 800, 4, "14\r", "You have left 4 gems in the guild hall.", 1000, 14, 800, 0},
        {1000, 10, 800, 4, "211\r", "Sorry, there aren't that many GEMS present.", 1000, 10, 800, 4},
        {1000, 10, 800, 4, "210\r", "You have taken 10 gems from the guild hall.", 1000, 0, 800, 14},
        {1000, 10, 800, 4, "3801\r", "Sorry, you don't have that much GOLD.", 1000, 10, 800, 4},
        {1000, 10, 800, 4, "4-5\r", "", 1000, 10, 800, 4},
        {1000, 10, 800, 4, "30\r", "", 1000, 10, 800, 4},
        {1000, 10, 800, 4, "3lots\r", "", 1000, 10, 800, 4},
        {1000, 10, 800, 4, "41001\r", "Sorry, there isn't that much GOLD present.", 1000, 10, 800, 4},
        {1000, 10, 800, 4, "41000\r", "You have taken 1,000 gold from the guild hall.", 0, 10, 1800, 4},
        {2'147'483'000, 10, 800, 4, "3800\r", "You have left 647 gold in the guild hall.", 2'147'483'647, 10, 153, 4},
        {1000, 32'765, 800, 4, "14\r", "You have left 2 gems in the guild hall.", 1000, 32'767, 800, 2},
        {1000, 10, 199'999'900, 4, "41000\r", "You have taken 99 gold from the guild hall.", 901, 10, 199'999'999, 4},
        {1000, 10, 800, 32'760, "210\r", "You have taken 7 gems from the guild hall.", 1000, 3, 800, 32'767},
    };
    for (const row& r : rows) {
        hall_fields f;
        f.gold = r.hall_gold;
        f.gems = r.hall_gems;
        put_hall(f);
        holds(r.gold, r.gems);
        std::string screen = run(r.keys + "L", [] { guild_treasury(5); });
        if (r.shown.empty())
            EXPECT_EQ(screen.find("  You have"), screen.find("  Sorry")) << r.keys << screen;  // neither
        else
            EXPECT_NE(screen.find("\n  " + r.shown + "\n"), std::string::npos) << r.keys << screen;
        EXPECT_EQ(guild32(tgold_at), r.hall_gold_after) << r.keys;
        EXPECT_EQ(guild16(tgems_at), r.hall_gems_after) << r.keys;
        EXPECT_EQ(stored(gold_at, 4), r.gold_after) << r.keys;
        EXPECT_EQ(stored(gems_at, 2), r.gems_after) << r.keys;
    }
}

TEST_F(halls, the_hall_prompt_lists_its_keys_and_the_leaders_own) {
    for (int leader : {1, 2}) {
        write_file("guilds.dat", hall_image(5, "Wolves", leader, {}));
        cur_char->guild = 5;
        save();
        std::string screen = run("L", guild_hall);
        std::string keys = leader == 1 ? "(M,G,S,I,V,F,R,L,U,C,?)" : "(M,G,S,I,V,F,R,L,?)";
        EXPECT_NE(screen.find("  Guild Hall of Wolves:  " + keys + "\n"), std::string::npos) << screen;
    }
}

TEST_F(halls, a_key_of_a_hall_menu_acts_only_for_a_member_still_in_the_files) {
    struct row {
        const char* name;
        void (*menu)();
        std::int16_t parent;
        const char* keys;
        const char* never;
    } rows[] = {
        {"quarters", hall_sleeping_quarters, 3, "G", "go to sleep"},
        {"treasury", [] { guild_treasury(5); }, 3, "4", "How much gold"},
        {"guardian", upgrade_guardian, 3, "A", "How many points"},
        {"names", rename_guardian, 5, "G", "NEW"},
    };
    for (const row& r : rows) {
        cur_char->guild = 5;
        save();
        // Another node's kick or disband clears the number in the file meanwhile.
        std::vector<character_record> recs = file_chars();
        for (character_record& c : recs)
            if (c.number == 1) c.guild = 0;
        put_chars(recs);
        sub_location = r.parent;
        std::string screen = run(r.keys, r.menu);
        EXPECT_EQ(screen.find(r.never), std::string::npos) << r.name << screen;
        EXPECT_EQ(sub_location, r.parent) << r.name;
        EXPECT_EQ(cur_char->guild, 0) << r.name;
    }
}

// Real pauses, shortened, so two nodes really wait for each other's hold.
struct scaled_seam : system_seam {
    void sleep_ms(int ms) override { ::usleep(static_cast<useconds_t>(ms) * 200); }
};

TEST_F(halls, two_nodes_emptying_or_filling_the_treasury_at_once_keep_the_totals) {
    character_record& bob = other(2, "bob");
    bob.guild = 5;
    for (int round = 0; round < race_rounds(5); ++round) {
        for (const char* keys : {"41000\rL", "3800\rL"}) {
            cur_char->gold = bob.gold = 800;
            save();
            put_hall({});
            auto node = [keys](std::int16_t me) {
                return start_child([me, keys] {
                    scaled_seam seam;
                    set_sys(&seam);
                    cur_char = char_num_ptr(me);
                    input_feed feed(keys);
                    guild_treasury(5);
                });
            };
            pid_t a = node(1), b = node(2);
            EXPECT_EQ(wait_child(a).code, 0);
            EXPECT_EQ(wait_child(b).code, 0);
            const int hall = guild32(tgold_at), one = stored(gold_at, 4, 1), two = stored(gold_at, 4, 2);
            EXPECT_EQ(hall + one + two, 1000 + 1600) << keys;
            EXPECT_GE(hall, 0);
            EXPECT_EQ(hall, keys[0] == '4' ? 0 : 2600) << keys;
        }
    }
}

TEST_F(halls, guardian_points_stop_at_the_cap_and_levels_at_twenty) {
    struct row {
        int level, attack;
        std::int32_t gold;
        std::int16_t gems;
        std::string keys, shown, not_shown;
        int attack_after;
        std::int32_t gold_after;
        int level_after, gems_after;
    };
    const row rows[] = {
        {1, 10, 250'000, 0, "A20\r", "  The point total cannot exceed 17.\n  Stat set to 17.\n  Points ADDED.\n", "",
         17, 180'000, 1, 0},
        {1, 17, 100'000, 0, "A1\r", "  Stat set to 17.\n", "ADDED", 17, 100'000, 1, 0},
        {1, 10, 199'999'999, 0, "H0\r", "How many points do you wish to buy? [66,666] : ", "ADDED", 10, 199'999'999, 1,
         0},
        {1, 10, 9'999, 0, "A", "  You can't afford ANY points!\n", "How many", 10, 9'999, 1, 0},
        {1, 10, 40'000, 0, "A5\r", "  You can't afford that MANY points.\n", "ADDED", 10, 40'000, 1, 0},
        {1, 10, 40'000, 0, "A-2\r", "", "ADDED", 10, 40'000, 1, 0},
        {20, 10, 0, 40, "E", "  Your guard is at the MAXIMUM level.\n", "THAT", 10, 0, 20, 40},
        {20, 10, 0, 39, "E", "  You can't afford THAT.\n", "MAXIMUM", 10, 0, 20, 39},
        {3, 10, 0, 7, "E\r",
         "  It will cost 6 gems to upgrade Grim\n  Is this what you want? (Y/N) [Y] : Yes.\n"
         "  Level ADDED.\n",
         "", 10, 0, 4, 1},
        {3, 10, 0, 7, "En", "  Nothing DONE.\n", "ADDED", 10, 0, 3, 7},
    };
    for (const row& r : rows) {
        hall_fields f;
        f.level = r.level;
        f.attack = r.attack;
        put_hall(f);
        holds(r.gold, r.gems);
        std::string screen = run(r.keys + "L", upgrade_guardian);
        EXPECT_NE(screen.find(r.shown), std::string::npos) << r.keys << "\n" << screen;
        if (!r.not_shown.empty()) {
            EXPECT_EQ(screen.find(r.not_shown), std::string::npos) << r.keys;
        }
        EXPECT_EQ(guild16(gattack_at), r.attack_after) << r.keys;
        EXPECT_EQ(guild16(glevel_at), r.level_after) << r.keys;
        EXPECT_EQ(stored(gold_at, 4), r.gold_after) << r.keys;
        EXPECT_EQ(stored(gems_at, 2), r.gems_after) << r.keys;
    }
    // A member who does not lead is sent back to the hall before any prompt.
    write_file("guilds.dat", hall_image(5, "Wolves", 9, {}));
    EXPECT_EQ(run("", upgrade_guardian).find("Upgrade Guardian for"), std::string::npos);
}

// The raid's side with the online fight replaced: each wait runs the next step of the script.
std::vector<std::function<bool()>> fight_script;
std::vector<std::string> fought;
bool scripted_fight(std::string_view name) {
    fought.emplace_back(name);
    if (fight_script.empty()) return true;
    auto step = fight_script.front();
    fight_script.erase(fight_script.begin());
    return step();
}

struct raids : halls {
    raids() {
        write_file("guilds.dat", hall_image(7, "Bears", 8, {}) + hall_image(5, "Wolves", 1, {}));
        for (std::int16_t n : {2, 3}) {
            character_record& m = other(n, n == 2 ? "bob" : "carl");
            m.guild = 7;
            m.location = "hGuild Hall";
        }
        save();
        fight_script.clear();
        fought.clear();
        set_online_fight_wait_hook(scripted_fight);
    }
    static void stored_change(std::int16_t number, const std::function<void(character_record&)>& change) {
        std::vector<character_record> recs = file_chars();
        for (character_record& c : recs)
            if (c.number == number) change(c);
        put_chars(recs);
    }
    std::string queue(int number) {
        std::string name = queue_file_name(static_cast<std::int16_t>(number));
        return file_present(name) ? read_file(name) : "";
    }
};

TEST_F(raids, the_walk_stops_at_a_loss_fights_a_member_still_there_and_survives_a_removed_record) {
    const std::string challenge = "GUILDCOMBAT 1 Anna Smith\n";
    fight_script = {[] { return false; }};
    std::string screen = run("", [] { raid_hall_members(7); });
    EXPECT_NE(screen.find("You abandon all hope of entering the guild hall."), std::string::npos) << screen;
    EXPECT_EQ(fought.size(), 1u);
    std::remove("node0002.msg");
    std::remove("node0003.msg");

    // The first member fought stays for a second fight; the other's record goes in a refresh
    // inside the first fight.
    fought.clear();
    fight_script = {[] {
                        std::int16_t other = fought.back() == "Bob" ? 3 : 2;
                        std::vector<character_record> recs = file_chars();
                        std::erase_if(recs, [&](const character_record& c) { return c.number == other; });
                        put_chars(recs);
                        refresh_char_file();
                        return true;
                    },
                    [] {
                        stored_change(fought.back() == "Bob" ? 2 : 3,
                                      [](character_record& c) { c.location = "tTown Square"; });
                        return true;
                    }};
    screen = run("L", [] { raid_hall_members(7); });
    EXPECT_NE(screen.find("  hall is at your disposal."), std::string::npos) << screen;
    ASSERT_EQ(fought.size(), 2u);
    EXPECT_EQ(fought[0], fought[1]);
    EXPECT_EQ(queue(fought[0] == "Bob" ? 2 : 3), challenge + challenge);
    EXPECT_EQ(stored(193 + 1, 1), 'o');
}

TEST_F(raids, the_choice_refuses_no_guild_the_own_guild_and_a_guild_without_a_hall) {
    hall_fields none;
    none.has_hall = 0;
    write_file("guilds.dat", read_file("guilds.dat") + hall_image(6, "Owls", 9, none));
    const std::pair<std::string, std::string> rows[] = {
        {"99\r", "  There is no guild with THAT number\n"},
        {"x\r", "  There is no guild with THAT number\n"},
        {"5\r", "  You cannot raid your OWN guild!\n"},
        {"6\r", "  That guild does not have a hall.\n"},
        {"7\rn", "Raid the hall of Bears (Y/N) [Y] : No\n\n  You decide you better not raid their hall\n"}};
    for (const auto& [keys, shown] : rows) {
        std::string screen = run(keys, raid_guild_hall);
        EXPECT_NE(screen.find("Raid which Guild Hall? : "), std::string::npos) << screen;
        EXPECT_NE(screen.find(shown), std::string::npos) << keys << "\n" << screen;
        EXPECT_TRUE(fought.empty());
    }
    EXPECT_EQ(stored(193 + 1, 1), 't');
}

TEST_F(raids, the_guardian_is_the_guilds_and_sleepers_are_checked_before_a_fight) {
    load_guild_file();
    monster_record m = guardian_monster(*guild_num_ptr(7));
    EXPECT_EQ(m.name.str(), "Grim");
    EXPECT_EQ((std::vector<int>{m.level, m.attack, m.defense, m.shield_value, m.hit_points, m.gold, m.experience,
                                m.strength}),
              (std::vector<int>{1, 10, 6, 1, 20, 0, 0, 0}));
    EXPECT_EQ(m.weapon.str() + "/" + m.armour.str(), "Claw/Hide");
    EXPECT_EQ(m.death_text.str(), "The guardian lets out a blood-curdling scream as it slumps to the ground.");

    struct row {
        std::function<void(character_record&)> change;
    };
    const row rows[] = {
        {[](character_record& c) { c.guild = 5; }},          {[](character_record& c) { c.sleeping_inn = 1; }},
        {[](character_record& c) { c.online = 1; }},         {[](character_record& c) { c.dead = 1; }},
        {[](character_record& c) { c.sleeping_guild = 0; }},
    };
    for (const row& r : rows) {
        stored_change(3, [&](character_record& c) {
            c.online = 0;
            c.sleeping_guild = 1;
            r.change(c);
        });
        refresh_char_file();
        std::string screen = run("Acarl\ryL", [] { raid_sleeping_quarters(7); });
        EXPECT_NE(screen.find("\n  Sorry, you cannot attack that player.\n"), std::string::npos) << screen;
        EXPECT_EQ(cur_char->player_fights_left, 3);
    }
    // Without player fights the sleepers are safe, but the treasury is open.
    cur_char->player_fights_left = 0;
    cur_char->gold = 0;
    save();
    std::string screen = run("SALG4600\rLL", [] { raided_guild_hall(7); });
    EXPECT_NE(screen.find("  You don't have any PLAYER fights left today!"), std::string::npos) << screen;
    EXPECT_NE(screen.find("  You have taken 600 gold from the guild hall."), std::string::npos);
    load_guild_file();
    EXPECT_EQ(guild_num_ptr(7)->treasury_gold, 400);
    EXPECT_EQ(stored(gold_at, 4), 600);
}
}  // namespace
