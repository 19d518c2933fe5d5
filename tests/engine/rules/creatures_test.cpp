// Creature files: both record forms byte for byte, the form of a file whose size fits both,
// the level filter and the sort, the pick of a random creature, the fatal endings, the phrase
// tables and the hooks the script interpreter reaches the creature files through.
#include <gtest/gtest.h>

#include "engine/golden.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/script/creature_hooks.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/text_state.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"

namespace {
struct creatures : text_state {
    creatures() { graphics_mode = 1; }
    ~creatures() override { reset_script_hooks(); }
};

struct mob_fields {
    std::string name;
    int level, attack, defense, shield, hp;
    std::string weapon, armour, death;
    int race;
    std::int64_t gold, exp, strength;
};

// The 198-byte image of the current form, written at the documented offsets.
std::string current_image(const mob_fields& m) {
    golden g(198);
    g.str(0, m.name).i16(41, m.level).i16(43, m.attack).i16(45, m.defense).i16(47, m.shield).i16(49, m.hp);
    g.str(51, m.weapon).str(72, m.armour).str(93, m.death).i16(180, m.race);
    g.i32(182, m.gold).i32(186, m.exp).i32(190, m.strength);
    return g.b;
}

// The 196-byte image of the older form: no race, the numbers two bytes earlier.
std::string older_image(const mob_fields& m) {
    golden g(196);
    g.str(0, m.name).i16(41, m.level).i16(43, m.attack).i16(45, m.defense).i16(47, m.shield).i16(49, m.hp);
    g.str(51, m.weapon).str(72, m.armour).str(93, m.death);
    g.i32(180, m.gold).i32(184, m.exp).i32(188, m.strength);
    return g.b;
}

mob_fields sample(int n, int level = 1) {
    return {"Creature " + std::to_string(n),
            level,
            10 + n,
            20 + n,
            n % 87,
            300 + n,
            "Claw " + std::to_string(n),
            "Hide",
            "It dies, number " + std::to_string(n),
            1 + n % 8,
            1000 + n,
            70000 + n,
            123456 + n};
}

void expect_fields(const monster_record& r, const mob_fields& m, int race) {
    EXPECT_EQ(r.name.view(), m.name);
    EXPECT_EQ(r.level, m.level);
    EXPECT_EQ(r.attack, m.attack);
    EXPECT_EQ(r.defense, m.defense);
    EXPECT_EQ(r.shield_value, m.shield);
    EXPECT_EQ(r.hit_points, m.hp);
    EXPECT_EQ(r.weapon.view(), m.weapon);
    EXPECT_EQ(r.armour.view(), m.armour);
    EXPECT_EQ(r.death_text.view(), m.death);
    EXPECT_EQ(r.race, race);
    EXPECT_EQ(r.gold, m.gold);
    EXPECT_EQ(r.experience, m.exp);
    EXPECT_EQ(r.strength, m.strength);
}

std::vector<std::string> names(const creature_list& l) {
    std::vector<std::string> n;
    for (const auto& m : l) n.push_back(m.name.str());
    return n;
}

std::string file_of(const std::vector<mob_fields>& mobs, bool older = false) {
    std::string image;
    for (const auto& m : mobs) image += older ? older_image(m) : current_image(m);
    return image;
}
}  // namespace

TEST_F(creatures, both_record_forms_round_trip_byte_for_byte) {
    mob_fields m{std::string(40, 'N'),
                 20,
                 -5,
                 32767,
                 87,
                 -32768,
                 std::string(20, 'W'),
                 std::string(20, 'A'),
                 std::string(86, 'D'),
                 7,
                 -1,
                 2147483647,
                 -2147483647 - 1};
    monster_record r;
    decode_record(current_image(m), r);
    expect_fields(r, m, 7);
    EXPECT_EQ(encode_record(r), current_image(m));

    monster_record o;
    decode_old_creature(older_image(m), o);
    expect_fields(o, m, 1);  // the older form has no race: 1
    EXPECT_EQ(encode_old_creature(o), older_image(m));

    // Length bytes beyond a field's capacity are cut to it; a short image reads as zeros.
    std::string bad = current_image(m);
    bad[0] = char(200);
    bad[51] = char(21);
    decode_record(bad, r);
    EXPECT_EQ(r.name.size(), 40u);
    EXPECT_EQ(r.weapon.size(), 20u);
    decode_record(current_image(m).substr(0, 100), r);
    EXPECT_EQ(r.race, 0);
    EXPECT_EQ(r.strength, 0);
}

TEST_F(creatures, a_size_that_fits_both_forms_is_read_by_what_its_records_decode_as) {
    // 98 current records and 99 older ones are both 19,404 bytes.
    std::vector<mob_fields> current, older;
    for (int i = 0; i < 98; ++i) current.push_back(sample(i, 1 + i % 20));
    for (int i = 0; i < 99; ++i) older.push_back(sample(i, 1 + i % 20));
    ASSERT_EQ(file_of(current).size(), file_of(older, true).size());

    write_file("forest.dat", file_of(current));
    creature_list list;
    read_creature_file("forest.dat", list, true);
    ASSERT_EQ(list.size(), 98u);
    for (const auto& m : list) {
        int n = std::stoi(m.name.str().substr(9));
        expect_fields(m, current[n], current[n].race);
    }
    EXPECT_EQ(read_file("debug.txt").find("1.05 Format"), std::string::npos);

    write_file("valley.dat", file_of(older, true));
    read_creature_file("valley.dat", list, true);
    ASSERT_EQ(list.size(), 99u);
    for (const auto& m : list) expect_fields(m, older[std::stoi(m.name.str().substr(9))], 1);
    EXPECT_EQ(read_file("debug.txt"), "Warning : valley.dat  creature file using 1.05 Format\n");

    // Images that decode sensibly both ways, and an empty file, are the current form.
    EXPECT_EQ(creature_file_form(std::string(19404, '\0')), creature_form::current);
    EXPECT_EQ(creature_file_form(""), creature_form::current);
    EXPECT_EQ(creature_file_form(file_of({sample(1)}, true)), creature_form::older);
    EXPECT_EQ(creature_file_form(std::string(197, '\0')), creature_form::torn);
}

TEST_F(creatures, the_level_filter_and_the_sort) {
    std::vector<mob_fields> mobs;
    const int levels[13] = {3, 10, 9, 3, 1, 20, 3, 2, 10, 3, 9, 1, 3};
    const char* ns[13] = {"Wolf", "Bear", "Adder", "Boar", "Rat", "Dragon", "Wolf",
                          "Imp",  "Ape",  "Bat",   "Bat",  "Ant", "Ant"};
    for (int i = 0; i < 13; ++i) {
        mob_fields m = sample(i, levels[i]);
        m.name = ns[i];
        m.gold = i;  // tells the two level-3 wolves apart
        mobs.push_back(m);
    }
    write_file("forest.dat", file_of(mobs));
    creature_list list;
    read_creature_file("forest.dat", list, true);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Ant", "Rat", "Imp", "Ant", "Bat", "Boar", "Wolf", "Wolf", "Adder",
                                                     "Bat", "Ape", "Bear", "Dragon"}));
    // Level 9 before 10, and equal keys in file order.
    auto wolf = std::find_if(list.begin(), list.end(), [](const auto& m) { return m.name == "Wolf"; });
    EXPECT_EQ(wolf->gold, 0);
    EXPECT_EQ(std::next(wolf)->gold, 6);

    play_as("Hero").level = 3;
    read_creature_file("forest.dat", list, false);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Ant", "Bat", "Boar", "Wolf", "Wolf"}));
    cur_char->level = 4;
    read_creature_file("forest.dat", list, false);
    EXPECT_TRUE(list.empty());

    // The older form is filtered the same way.
    write_file("forest.dat", file_of(mobs, true));
    cur_char->level = 10;
    read_creature_file("forest.dat", list, false);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Ape", "Bear"}));
    EXPECT_EQ(list.front().race, 1);

    // A level past the two digits keeps all its digits: 100 sorts after 99, not as 00.
    list.clear();
    for (int level : {100, 5, 99}) {
        monster_record m;
        m.level = static_cast<std::int16_t>(level);
        m.name = "L" + std::to_string(level);
        insert_creature_sorted(m, list);
    }
    EXPECT_EQ(names(list), (std::vector<std::string>{"L5", "L99", "L100"}));

    del_creature_list(list);
    EXPECT_TRUE(list.empty());
}

TEST_F(creatures, a_random_creature_of_the_level) {
    creature_list list;
    for (auto [level, name] : {std::pair{1, "A"}, {2, "B"}, {1, "C"}, {1, "D"}}) {
        monster_record m;
        m.level = static_cast<std::int16_t>(level);
        m.name = name;
        insert_creature_sorted(m, list);
    }
    seam.rolls = {2};
    const monster_record* m = random_creature(1, list);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->name.view(), "D");
    EXPECT_EQ(seam.random_ranges, std::vector<int>{3});
    EXPECT_EQ(seam.randomize_calls, 1);
    EXPECT_EQ(random_creature(2, list)->name.view(), "B");
    EXPECT_EQ(random_creature(5, list), nullptr);
    EXPECT_EQ(random_creature(1, creature_list{}), nullptr);
}

TEST_F(creatures, a_missing_or_torn_file_ends_the_game_with_code_12) {
    struct row {
        std::string name, contents, out, log;
    };
    const row rows[] = {
        {"forest.dat", "", "\"FOREST.DAT\" does not EXIST, Please inform SysOp\r\n",
         "Critical Error : FOREST.DAT file does not exist"},
        {"../forest.dat", "", "\"../FOREST.DAT\" does not EXIST, Please inform SysOp\r\n",
         "Critical Error : ../FOREST.DAT file does not exist"},
        {"caves.dat", std::string(197, 'x'), "\"CAVES.DAT\" is CORRUPTED, Please inform SysOp\r\n",
         "Critical Error : CAVES.DAT creature file is corrupt"},
    };
    for (const row& r : rows) {
        if (!r.contents.empty()) write_file(r.name, r.contents);
        child_result res = run_in_child([&] {
            creature_list list;
            read_creature_file(r.name, list, true);
        });
        EXPECT_TRUE(res.exited);
        EXPECT_EQ(res.code, 12) << r.name;
        EXPECT_EQ(res.out, r.out);
        EXPECT_NE(read_file("debug.txt").find(r.log), std::string::npos) << r.name;
    }
    // A name of another case is found, as sysops copy files from systems that ignore case.
    write_file("MOUNTAIN.DAT", file_of({sample(1)}));
    creature_list list;
    read_creature_file("mountain.dat", list, true);
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(creatures, tilde_phrases_and_the_phrase_tables) {
    auto real = [](double r) { return int(r * (1 << 30)); };
    EXPECT_EQ(expand_tilde_phrases("No codes here."), "No codes here.");
    // Neutral adjectives reseed and take Random(20); good and bad ones take a real.
    seam.rolls = {0, 14, real(0.0), real(0.99)};
    EXPECT_EQ(expand_tilde_phrases("~Tr fight; ~tb one and ~AG one"),
              "The eye-popping fight; the weak one and An exemplary one");
    seam.rolls = {0, 14, real(0.575)};
    EXPECT_EQ(expand_tilde_phrases("~ar duel, ~Ax duel and ~TB foe"),
              "an eye-popping duel, An eye-popping duel and The senseless foe");
    // A code cut short by the end of the text takes what is there.
    seam.rolls = {0, 0};
    EXPECT_EQ(expand_tilde_phrases("end ~ar~T"), "end a superbThe superb");
    EXPECT_EQ(expand_tilde_phrases("~"), "");
    // Two reseeds around a short pause, so that two news lines within a second differ.
    seam.randomize_calls = 0;
    seam.sleeps.clear();
    seam.rolls = {7};
    expand_tilde_phrases("x");
    EXPECT_EQ(seam.randomize_calls, 2);
    EXPECT_EQ(seam.sleeps, std::vector<int>{7});

    seam.rolls = {11};
    EXPECT_EQ(random_hit_verb(), " pulpifies");
    seam.rolls = {19};
    EXPECT_EQ(random_event_adjective(), " pivotal");
    seam.rolls = {real(0.475)};
    EXPECT_EQ(random_good_adjective(), " clever");
    seam.rolls = {real(0.999999)};
    EXPECT_EQ(random_bad_adjective(), " decrepit");
}

TEST_F(creatures, is_mob_knows_both_marks) {
    character_record c;
    for (auto [mark, mob] : {std::pair{"MOB", true}, {"MOB LEVEL-FIGHT", true}, {"mob", false}, {"HERO", false}}) {
        c.real_name = mark;
        EXPECT_EQ(is_mob(c), mob) << mark;
    }
    // The interpreter's hooks are tried with a real script among the fights (game tests).
    engine_creatures_init();
    c.real_name = "MOB LEVEL-FIGHT";
    EXPECT_TRUE(hook_is_mob(c));
}

TEST_F(creatures, take_damage_kills_below_one) {
    character_record& me = play_as("Hero");
    me.hit_points = 10;
    take_damage(9, "Bob");
    EXPECT_EQ(me.hit_points, 1);
    stat_record s;
    create_stat_file(s);
    game_stats = s;
    write_char_file(false);
    child_result r = run_in_child([] {
        static input_feed key(" ");
        take_damage(1, "Bob");
    });
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("You have been killed!"), std::string::npos);
}
