// New characters: the name rules, the dialogue's screens, every field of the record and its
// starting inventory byte for byte, the lowest free number and a clean start for it, the
// letter to the other students of the same master, and the lawyer.
#include <gtest/gtest.h>

#include <set>

#include "engine/golden.hpp"
#include "engine/text/lookups.hpp"
#include "game_state.hpp"

namespace {
struct new_char : game_state {
    new_char() {
        seam.advance_on_sleep = false;
        town_texts();
    }
    // The dialogue with the keys typed ahead; the screen.
    std::string create(const std::string& keys, int lawyer_roll = 50) {
        seam.rolls.push_back(lawyer_roll);
        input_feed feed(keys);
        character_record* c = new_character();
        EXPECT_TRUE(c != nullptr);
        return out.take();
    }
    static void other(std::int16_t number, const std::string& name) {
        std::vector<character_record> recs = file_chars();
        recs.push_back(make_char(number, name));
        put_chars(recs);
    }
};

// The 299-byte record of a new character at its documented offsets.
golden new_record(const std::string& name, int number, int class_bit, int sex, int skill_slot) {
    golden g(299);
    g.str(0, name).str(21, "ANNA BERG").i16(62, number).i16(64, class_bit).i16(66, sex);
    g.i16(68, 10).i16(70, 6).i16(72, 2).i16(74, 1).i16(76, 0).i16(78, 0).i16(80, 0).i32(82, 0);
    g.i16(86, 20).i16(88, 20).i16(90, 0).str(92, "Nothing").i16(113, 0).str(115, "Nothing");
    g.i16(136, 0).str(138, "Nothing").i32(159, 500).i32(163, 0).i16(167, 0).i16(169, 0);
    g.i32(171, 1).i16(175, 1).i16(177, 3).i16(179, 3);
    for (int i = 0; i < 6; ++i) g.i16(181 + 2 * i, i == skill_slot ? 5 : 1);
    g.str(193, "").str(214, "Thursday 01/15/26  12:00:00:00").i16(255, 6).i16(257, 0).str(259, "1:1/1.1");
    g.i32(283, 1768478400).i16(287, 25).i16(289, 3);
    return g;
}
}  // namespace

TEST_F(new_char, name_rules) {
    EXPECT_EQ(name_refusal(""), strings{"`9Surely You Jest... How is that pronounced anyways?"});
    EXPECT_TRUE(name_refusal(std::string(20, 'A')).empty());
    EXPECT_EQ(name_refusal(std::string(21, 'A')),
              strings{"`9Your name needs to be less than `4TWENTY`9 characters long."});
    // Colour codes count toward the 20 characters, not toward the three.
    EXPECT_TRUE(name_refusal("`4ABC").empty());
    EXPECT_EQ(name_refusal("`4AB"), strings{"`9Your name must be at least `4THREE`9 characters long."});
    EXPECT_EQ(name_refusal("AB"), strings{"`9Your name must be at least `4THREE`9 characters long."});
    add_char(make_char(4, "BOB"));
    EXPECT_EQ(name_refusal("BOB"), (strings{"`9You seem to recall `4THAT`9 name being used by",
                                            "somebody else `4(you must choose another)`9."}));
    EXPECT_EQ(name_refusal("`2BOB").size(), 2u);
}

TEST_F(new_char, control_keys_in_a_name_or_in_the_bbs_name_are_refused) {
    for (const char* name : {"BO\tB", "\tBOB", "BOB\x1b", "BO\x7f"})
        EXPECT_EQ(name_refusal(name), strings{"`9Your name cannot hold `4TABS`9 or other control keys."}) << name;
    // The BBS name cannot be typed again: no character is made for it, nothing is written.
    user_last_name = "BE\tRG";
    input_feed feed("Y");
    EXPECT_EQ(new_character(), nullptr);
    EXPECT_EQ(out.take(),
              "  Your BBS name holds a control key, so no character can be made for it.  Please inform SysOp.\r\n");
    EXPECT_FALSE(file_present("players.dat"));
}

TEST_F(new_char, macro_leaders_in_a_name_and_creature_marks_as_the_bbs_name_are_refused) {
    for (const char* name : {"BO^B", "^CA", "&CS18", "Ann&Bo"})
        EXPECT_EQ(name_refusal(name), strings{"`9Your name cannot hold a `4CARET`9 or an `4AMPERSAND`9."}) << name;
    struct row {
        const char* first;
        const char* last;
    };
    for (row r : {row{"MOB", ""}, row{"MOB", "LEVEL-FIGHT"}}) {
        user_first_name = r.first;
        user_last_name = r.last;
        input_feed feed("Y");
        EXPECT_EQ(new_character(), nullptr) << r.first << r.last;
        EXPECT_EQ(out.take(),
                  "  Your BBS name is one the game keeps for its creatures, so no character can be made for "
                  "it.  Please inform SysOp.\r\n");
        EXPECT_FALSE(file_present("players.dat"));
    }
}

TEST_F(new_char, the_dialogue_its_screens_and_the_name_loop) {
    other(3, "BOB");
    // Declines the first name, then types a taken one (in other case), one too long, one too
    // short, an empty line, and a good one with blanks around it.
    std::string screen = create("Yjohn\rn Bob\r" + std::string(21, 'x') + "\r`4ab\r\r  eve \r\r\rqkf");
    EXPECT_EQ(screen,
              "\r\n"
              "         Welcome to the Realm of the Quorvath\r\n"
              "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n"
              "  I have no record of any player with your name.  Would you dare to\r\n"
              "  enter this realm of magic, mysticism and danger?\r\n"
              "\r\n  (Y)es\r\n  (N)o\r\n\r\n Enter this Realm? [Y] :Y\r\n"
              "\r\n"
              "         Getting information about new character\r\n"
              "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\r\n"
              "  By what name do you wish to be called in this realm?\r\n"
              "\r\n>john\r\nGo by the name : JOHN? (Y/N) [Y] :N\r\n"
              "Put down the name you REALLY want to go by then.\r\n"
              "\r\n> Bob\r\nYou seem to recall THAT name being used by\r\nsomebody else (you must choose another).\r\n"
              "\r\n>" +
                  std::string(21, 'x') +
                  "\r\nYour name needs to be less than TWENTY characters long.\r\n"
                  "\r\n>`4ab\r\nYour name must be at least THREE characters long.\r\n"
                  "\r\n>\r\nSurely You Jest... How is that pronounced anyways?\r\n"
                  "\r\n>  eve \r\nGo by the name : EVE? (Y/N) [Y] :Y\r\n"
                  "Going by the name : EVE\r\n"
                  "\r\n"
                  "  How would you characterize yourself? \r\n"
                  "  (K)ill, kill, and KILL.\r\n"
                  "  (B)ooks, beakers and BOOMS.\r\n"
                  "  (L)ie, cheat, and STEAL.\r\n"
                  "  (H)elp, help, and HELP.\r\n"
                  "  (C)onfuse Enemies by HELPING them when they're down.\r\n"
                  "  (T)alk & listen to the ANIMALS.\r\n"
                  "Make your choice... (K/B/L/H/C/T) :\r\n"
                  "Make your choice... (K/B/L/H/C/T) :Q\r\n"
                  "Make your choice... (K/B/L/H/C/T) :K\r\n"
                  "With that mentality, you'll fit right in with the DREAD LORD WARRIORS.\r\n"
                  " They live to destroy those who would get in the way of their goal,\r\n"
                  " or those who would question their goals.  (Since they don't know\r\n"
                  " what a goal is...)\r\n"
                  "\r\nChoose your gender : (M/F) [M] :F\r\n");
    EXPECT_EQ(cur_char->name, "EVE");
    EXPECT_EQ(cur_char->sex, 2);
    // The generator is reseeded before the lawyer's roll.
    EXPECT_EQ(seam.randomize_calls, 1);
    EXPECT_EQ(seam.random_ranges, std::vector<int>{100});
}

TEST_F(new_char, every_field_of_the_record_and_the_starting_inventory) {
    create("\rkim\r\rc\r");
    // Paladin, male, number 1 in an empty realm: the record as the file holds it.
    EXPECT_EQ(read_file("players.dat"), new_record("KIM", 1, 32, 1, 5).b);
    EXPECT_EQ(cur_char, &char_list.front());
    EXPECT_EQ(char_count, 1);
    // Built in place (no registry), equipped, Sleeve at the head of the list.
    std::string expected = item_image("Sleeve", 1, 1, 100, 0, 8, 1, 0, 1, 1, 0, "").b +
                           item_image("Tunic", 2, 2, 100, 0, 3, 1, 0, 1, 1, 0, "").b +
                           item_image("Stick", 2, 2, 100, 0, 7, 1, 0, 1, 1, 0, "").b;
    EXPECT_EQ(read_file("invt0001.dat"), expected);
    EXPECT_EQ(list_names(), (strings{"Sleeve", "Tunic", "Stick"}));
    EXPECT_EQ(script_recorder::runs(), strings{});
}

TEST_F(new_char, each_class_key_gives_its_class) {
    const std::pair<char, int> keys[] = {{'K', 0}, {'B', 1}, {'L', 2}, {'H', 3}, {'T', 4}, {'C', 5}};
    for (const auto& [key, slot] : keys) {
        SCOPED_TRACE(key);
        del_char_list();
        std::remove("players.dat");
        create(std::string("Yname") + key + "\rY" + key + "M");
        const character_record& c = *cur_char;
        EXPECT_EQ(c.class_bits, class_table[slot].bit);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(c.skill_percent[i], i == slot ? 5 : 1);
        EXPECT_TRUE(class_bit_set(c, class_table[slot].name[0]));
    }
}

TEST_F(new_char, starting_items_come_from_the_registry_when_it_holds_them) {
    // The registry's Stick is a better one; Tunic is registered under another ScriptID only.
    std::string stick = item_image("Stick", 3, 4, 150, 2, 7, 1, 0, 1, 0, 1, "WP01-05081997-QZ-N").b;
    std::string tunic = item_image("Tunic", 9, 9, 900, 0, 3, 1, 0, 1, 0, 0, "AR99-05081997-QZ-N").b;
    write_file("items.dat", registry_image("Stick", "WP01-05081997-QZ-N", 1, stick) +
                                registry_image("Tunic", "AR99-05081997-QZ-N", 2, tunic));
    create("Yzed\rYHM");
    std::string expected = item_image("Sleeve", 1, 1, 100, 0, 8, 1, 0, 1, 1, 0, "").b +
                           item_image("Tunic", 2, 2, 100, 0, 3, 1, 0, 1, 1, 0, "").b +
                           item_image("Stick", 3, 4, 150, 2, 7, 1, 0, 1, 1, 1, "WP01-05081997-QZ-N").b;
    EXPECT_EQ(read_file("invt0001.dat"), expected);
}

TEST_F(new_char, the_lowest_free_number_starts_clean) {
    other(1, "ONE");
    other(2, "TWO");
    other(4, "FOUR");
    // What a deleted character 3 left behind.
    write_file("flag0003.dat", "@#FLAGS\nQUEST DONE 2\n@#\n");
    write_file("user0003.dat", "#0001 Old mail\n~\n");
    write_file("user0003.tmp", "#0001 Half-read mail\n~\n");
    write_file("node0003.msg", "MESSAGE hello\n");
    write_file("flag0005.dat", "@#FLAGS\n@#\n");
    create("Ythree\rYLM");
    EXPECT_EQ(cur_char->number, 3);
    for (const char* f : {"flag0003.dat", "user0003.dat", "user0003.tmp", "node0003.msg"})
        EXPECT_FALSE(file_present(f)) << f;
    EXPECT_TRUE(file_present("flag0005.dat"));
    EXPECT_EQ(file_chars().size(), 4u);
    // The next one gets 5: numbers up to the count are taken.
    cur_char = nullptr;
    user_first_name = "CARL";
    create("Yfive\rYLM");
    EXPECT_EQ(cur_char->number, 5);
    EXPECT_EQ(cur_char->real_name, "CARL BERG");
}

TEST_F(new_char, names_saved_by_other_nodes_count) {
    // Another node saved "MAX" after this node read "players.dat": the dialogue reads the file
    // again and refuses the name.
    other(9, "MAX");
    ASSERT_TRUE(char_list.empty());
    std::string screen = create("Ymax\rmoritz\rYKM");
    EXPECT_NE(screen.find(">max\r\nYou seem to recall THAT name being used by"), std::string::npos) << screen;
    EXPECT_EQ(cur_char->name, "MORITZ");
    EXPECT_EQ(cur_char->number, 1);
}

TEST_F(new_char, the_save_settles_name_and_number_under_the_hold) {
    character_record rec = new_character_record("MAX", 0, 1);
    // Saved by another node between the dialogue's check and this save: refused, nothing added.
    other(1, "`4Max");
    EXPECT_FALSE(save_new_character(rec));
    EXPECT_EQ(cur_char, nullptr);
    EXPECT_EQ(file_chars().size(), 1u);
    rec.name = "MOLLY";
    EXPECT_TRUE(save_new_character(rec));
    EXPECT_EQ(cur_char->number, 2);
    EXPECT_EQ(file_chars().size(), 2u);
    EXPECT_FALSE(file_present("hold.dat"));
}

TEST_F(new_char, two_nodes_creating_characters_at_once_never_share_a_name_or_number) {
    constexpr int rounds = race_rounds(15);
    auto node = [](const std::string& prefix) {
        return start_child([prefix] {
            // Real pauses, shortened: the nodes really wait for each other's hold.
            struct scaled_seam : system_seam {
                void sleep_ms(int ms) override { ::usleep(static_cast<useconds_t>(ms) * 100); }
            } real_pauses;
            set_sys(&real_pauses);
            del_char_list();
            for (int i = 0; i < rounds; ++i) {
                cur_char = nullptr;
                character_record rec = new_character_record(prefix + std::to_string(i), 0, 1);
                save_new_character(rec);
                // Both nodes also try the same name each round: one of them gets it.
                cur_char = nullptr;
                rec = new_character_record("SAME" + std::to_string(i), 0, 1);
                save_new_character(rec);
            }
        });
    };
    pid_t a = node("A"), b = node("B");
    EXPECT_EQ(wait_child(a).code, 0);
    EXPECT_EQ(wait_child(b).code, 0);
    std::vector<character_record> recs = file_chars();
    constexpr std::size_t made = 3 * rounds;
    ASSERT_EQ(recs.size(), made);
    std::set<int> numbers;
    std::set<std::string> names;
    for (const auto& r : recs) {
        numbers.insert(r.number);
        names.insert(r.name.str());
    }
    EXPECT_EQ(numbers.size(), made);
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), static_cast<int>(made));
    EXPECT_EQ(names.size(), made);
}

TEST_F(new_char, declining_to_enter_makes_nothing) {
    input_feed feed("n");
    EXPECT_EQ(new_character(), nullptr);
    EXPECT_FALSE(file_present("players.dat"));
    EXPECT_TRUE(char_list.empty());
}

TEST_F(new_char, the_lawyer) {
    // A roll of 4 in 100 asks; N goes on, Y ends the program with code 0 and saves nothing.
    std::string screen = create("Yann\rYK\rnM", 3);
    EXPECT_NE(screen.find(" what a goal is...)\r\n"
                          "\r\nWouldn't you rather be a lawyer? : (Y/N) [N] :N\r\n"
                          "Good, you should fit RIGHT in in this realm.\r\n"
                          "\r\nChoose your gender"),
              std::string::npos)
        << screen;
    // A roll of 5 does not ask.
    del_char_list();
    std::remove("players.dat");
    EXPECT_EQ(create("Yann\rYKM", 4).find("lawyer"), std::string::npos);

    del_char_list();
    std::remove("players.dat");
    out.take();
    child_result r = run_in_child([this] {
        seam.rolls.push_back(0);
        input_feed feed("Yann\rYKy");
        new_character();
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("[N] :Y\r\nThere is no place in this realm for such a profession.\r\n"
                         "Choose a REAL one next time.\r\n"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(file_present("players.dat"));
}

TEST_F(new_char, fellow_students_get_a_letter) {
    // Names of the same master as the new "ZED" (alias index equal) and of others.
    int master = alias_index("ZED");
    strings same, others;
    for (char a = 'A'; a <= 'Z' && (same.size() < 2 || others.empty()); ++a)
        for (char b = 'A'; b <= 'Z' && (same.size() < 2 || others.empty()); ++b) {
            std::string n = std::string("X") + a + b;
            (alias_index(n) == master ? same : others).push_back(n);
        }
    ASSERT_GE(same.size(), 2u);
    other(1, same[0]);
    other(2, others[0]);
    other(3, same[1]);
    create("Yzed\rYKF");
    const std::string letter =
        "#0000 `%System Message\n"
        "  `3You come to find out there is a new student under your master.\n"
        "  `m will now also be the master for `4Zed\n"
        "  `3Give her a hand in getting started.\n"
        "~\n";
    EXPECT_EQ(read_file("user0001.dat"), letter);
    EXPECT_EQ(read_file("user0003.dat"), letter);
    EXPECT_FALSE(file_present("user0002.dat"));
    EXPECT_FALSE(file_present("user0004.dat"));
    EXPECT_EQ(cur_char->number, 4);
}
