// The flag store: flag files byte for byte, reset classes, the game's tunables, and several
// nodes changing one flag file at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <tuple>

#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "engine/text_state.hpp"
#include "support/child.hpp"

namespace {
const std::string template_bytes = "@#FLAGS\n@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n";
const std::string main_part = "@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n";

void expect_default_tunables() {
    EXPECT_EQ(check_frequency, 45);
    EXPECT_EQ(auto_frequency_adjust, -1);
    EXPECT_EQ(pfight_level_difference, 3);
    EXPECT_EQ(max_random_events, 2);
    EXPECT_EQ(max_board_messages, 14);
    EXPECT_EQ(random_event_percentage, 0.00002);
    EXPECT_EQ(mob_difficulty_mult, 1.0);
}

struct flags : text_state {
    flags() { set_default_tunables(); }
    ~flags() { set_default_tunables(); }
};
}  // namespace

TEST_F(flags, reading_from_a_missing_file_writes_the_template) {
    EXPECT_EQ(return_flag("quest", "flag0007.dat", "FLAGS"), "-1");
    EXPECT_EQ(read_file("flag0007.dat"), template_bytes);
    EXPECT_EQ(read_file("debug.txt"), "  Creating Flag file : flag0007.dat\n");
    EXPECT_EQ(flag_file_name(7), "flag0007.dat");
    EXPECT_EQ(flag_file_name(1234), "flag1234.dat");
    // Every other operation on a missing file starts from the template too.
    expire_flags("a.dat", "FLAGS", 1);
    EXPECT_EQ(read_file("a.dat"), template_bytes);
    add_section("b.dat", "FLAGS");
    EXPECT_EQ(read_file("b.dat"), template_bytes);
    write_flag_file("c.dat");
    EXPECT_EQ(read_file("c.dat"), template_bytes);
    // ...and an existing file is never overwritten by the template.
    write_file("d.dat", "@#FLAGS\nX 1 2\n@#\n");
    write_flag_file("d.dat");
    EXPECT_EQ(read_file("d.dat"), "@#FLAGS\nX 1 2\n@#\n");
}

TEST_F(flags, add_replace_and_remove_a_flag) {
    add_flag("quest", "done", 0, "flag0001.dat", "FLAGS");
    EXPECT_EQ(read_file("flag0001.dat"), "@#FLAGS\nQUEST DONE 0\n" + main_part);
    EXPECT_EQ(return_flag("Quest", "flag0001.dat", "flags"), "DONE");

    add_flag("other", "7", 1, "flag0001.dat", "FLAGS");
    add_flag("QUEST", "again", 2, "flag0001.dat", "FLAGS");
    EXPECT_EQ(read_file("flag0001.dat"), "@#FLAGS\nQUEST AGAIN 2\nOTHER 7 1\n" + main_part);

    remove_flag("quest", "flag0001.dat", "FLAGS");
    EXPECT_EQ(read_file("flag0001.dat"), "@#FLAGS\nQUEST -1 -1\nOTHER 7 1\n" + main_part);
    EXPECT_EQ(return_flag("quest", "flag0001.dat", "FLAGS"), "-1");
    EXPECT_EQ(return_flag("missing", "flag0001.dat", "FLAGS"), "-1");
    EXPECT_EQ(return_flag("other", "flag0001.dat", "NOSECTION"), "-1");

    // A new section goes to the top, and so does every section changed afterwards.
    add_flag("x", "1", 2, "flag0001.dat", "tavern.scr");
    EXPECT_EQ(read_file("flag0001.dat"), "@#TAVERN.SCR\nX 1 2\n@#FLAGS\nQUEST -1 -1\nOTHER 7 1\n" + main_part);
    add_flag("y", "2", 2, "flag0001.dat", "FLAGS");
    EXPECT_EQ(read_file("flag0001.dat"), "@#FLAGS\nQUEST -1 -1\nOTHER 7 1\nY 2 2\n@#TAVERN.SCR\nX 1 2\n" + main_part);
    add_section("flag0001.dat", "empty one");
    EXPECT_EQ(read_file("flag0001.dat"),
              "@#EMPTY ONE\n@#FLAGS\nQUEST -1 -1\nOTHER 7 1\nY 2 2\n@#TAVERN.SCR\nX 1 2\n" + main_part);
    add_section("flag0001.dat", "tavern.scr");  // an existing section keeps its lines
    EXPECT_EQ(read_file("flag0001.dat"),
              "@#TAVERN.SCR\nX 1 2\n@#EMPTY ONE\n@#FLAGS\nQUEST -1 -1\nOTHER 7 1\nY 2 2\n" + main_part);
}

TEST_F(flags, the_other_sections_are_copied_exactly_as_they_stand) {
    std::string long_line(300, 'L');
    write_file("mainflag.dat",
               "notes before any section\r\n"
               "@#Board\r\nline one\r\n~\r\nafter the tilde\r\n" +
                   long_line +
                   "\r\n"
                   "@#FLAGS\r\nA 1 2\r\n~\r\nB kept 1\r\n"
                   "@#Board\r\nsecond board of the same name\r\n"
                   "@#\r\n");
    add_flag("c", "3", 1, "mainflag.dat", "FLAGS");
    EXPECT_EQ(read_file("mainflag.dat"),
              "notes before any section\n"
              "@#FLAGS\nA 1 2\nC 3 1\n~\nB kept 1\n"
              "@#Board\nline one\n~\nafter the tilde\n" +
                  long_line +
                  "\n"
                  "@#Board\nsecond board of the same name\n"
                  "@#\n");
    // The flag after the "~" is not one of the section's flags.
    EXPECT_EQ(return_flag("b", "mainflag.dat", "FLAGS"), "-1");
    // A file whose end marker has lines after it keeps them.
    write_file("x.dat", "@#FLAGS\n@#\nleft over\n");
    add_flag("a", "1", 2, "x.dat", "FLAGS");
    EXPECT_EQ(read_file("x.dat"), "@#FLAGS\nA 1 2\n@#\nleft over\n@#\n");
}

TEST_F(flags, expire_removes_the_flags_of_one_class) {
    write_file("flag0002.dat", "@#OTHER\nK 1 1\n@#FLAGS\nA 1 1\n\nB 2 0\nC three 2\nD -1 -1\nE x 1\n~\nF 1 1\n@#\n");
    expire_flags("flag0002.dat", "FLAGS", 1);
    EXPECT_EQ(read_file("flag0002.dat"), "@#FLAGS\nB 2 0\nC three 2\nD -1 -1\n~\nF 1 1\n@#OTHER\nK 1 1\n@#\n");
    expire_flags("flag0002.dat", "flags", 0);
    EXPECT_EQ(read_file("flag0002.dat"), "@#FLAGS\nC three 2\nD -1 -1\n~\nF 1 1\n@#OTHER\nK 1 1\n@#\n");
    // Every flag of the class gone: the header stays with no lines.
    expire_flags("flag0002.dat", "OTHER", 1);
    EXPECT_EQ(read_file("flag0002.dat"), "@#OTHER\n@#FLAGS\nC three 2\nD -1 -1\n~\nF 1 1\n@#\n");
    // An empty or missing section changes nothing.
    std::string before = read_file("flag0002.dat");
    expire_flags("flag0002.dat", "OTHER", 2);
    expire_flags("flag0002.dat", "NONE", 2);
    EXPECT_EQ(read_file("flag0002.dat"), before);
}

TEST_F(flags, flag_lines_take_their_class_from_the_last_word) {
    EXPECT_EQ(split_flag_line("QUEST DONE 0").value, "DONE");
    EXPECT_EQ(split_flag_line("QUEST DONE 0").reset_class, 0);
    flag_parts p = split_flag_line("  MOTTO  ALL  FOR ONE  2 ");
    EXPECT_EQ(p.name, "MOTTO");
    EXPECT_EQ(p.value, "ALL  FOR ONE");
    EXPECT_EQ(p.reset_class, 2);
    EXPECT_EQ(split_flag_line("OLD 5").value, "5");  // two words, as the game always read them
    EXPECT_EQ(split_flag_line("OLD 5").reset_class, 5);
    EXPECT_EQ(split_flag_line("ODD x y").reset_class, 0);  // a class that is no number reads 0
    EXPECT_EQ(split_flag_line("ALONE").value, "-1");
    EXPECT_EQ(split_flag_line("ALONE").reset_class, -1);

    // Values with blanks read back whole; names and values are stored upper-cased.
    add_flag("motto", "all for one", 2, "f.dat", "FLAGS");
    EXPECT_EQ(return_flag("MOTTO", "f.dat", "FLAGS"), "ALL FOR ONE");
    write_file("g.dat", "@#FLAGS\nOLD 5\nALONE\nGONE x -1\n@#\n");
    EXPECT_EQ(return_flag("old", "g.dat", "FLAGS"), "5");
    EXPECT_EQ(return_flag("alone", "g.dat", "FLAGS"), "-1");
    EXPECT_EQ(return_flag("gone", "g.dat", "FLAGS"), "-1");
}

TEST_F(flags, hostile_names_and_values_cannot_break_the_file) {
    // Line breaks and control bytes become "."; a long value is cut so the class survives.
    add_flag("note", "a\nb\r@#EVIL 1 2", 2, "f.dat", "FLAGS");
    EXPECT_EQ(read_file("f.dat"), "@#FLAGS\nNOTE A.B.@#EVIL 1 2 2\n" + main_part);
    add_flag("long", std::string(150, 'v'), 1, "f.dat", "FLAGS");
    std::string line = "LONG " + std::string(93, 'V') + " 1";
    EXPECT_EQ(line.size(), 100u);
    EXPECT_NE(read_file("f.dat").find("\n" + line + "\n"), std::string::npos);
    EXPECT_EQ(return_flag("long", "f.dat", "FLAGS"), std::string(93, 'V'));
    // Names that would be headers, end a section or span words, and empty section names, are
    // refused.
    std::string before = read_file("f.dat");
    add_flag("@#X", "1", 2, "f.dat", "FLAGS");
    add_flag("~X", "1", 2, "f.dat", "FLAGS");
    add_flag("two words", "1", 2, "f.dat", "FLAGS");
    add_flag("", "1", 2, "f.dat", "FLAGS");
    add_flag("ok", "1", 2, "f.dat", "");
    add_flag("ok", "1", 2, "f.dat", "A\nB");
    add_section("f.dat", "");
    EXPECT_EQ(read_file("f.dat"), before);
}

TEST_F(flags, update_flag_reads_and_changes_under_one_lock) {
    auto bump = [](const std::string& cur) -> std::optional<std::string> {
        return int_to_str(std::max(0, str_to_int(cur)) + 1);
    };
    EXPECT_EQ(update_flag("num_events_called", "mainflag.dat", "FLAGS", 2, bump), "1");
    EXPECT_EQ(update_flag("NUM_EVENTS_CALLED", "mainflag.dat", "FLAGS", 2, bump), "2");
    EXPECT_EQ(read_file("mainflag.dat"), "@#FLAGS\nNUM_EVENTS_CALLED 2 2\n" + main_part);
    // Nothing to change: the file stays as it is.
    EXPECT_EQ(update_flag("NUM_EVENTS_CALLED", "mainflag.dat", "FLAGS", 2,
                          [](const std::string&) -> std::optional<std::string> { return std::nullopt; }),
              "2");
    EXPECT_EQ(read_file("mainflag.dat"), "@#FLAGS\nNUM_EVENTS_CALLED 2 2\n" + main_part);
}

TEST_F(flags, count_random_events_counts_randomevent_sections) {
    EXPECT_EQ(count_random_events("random.scr"), 0);
    write_file("random.scr", "@#MAIN\n@#RandomEvent_Bear\n@#RANDOMEVENT_\n@#RANDOMEVENTS\n@#xRANDOMEVENT_A\n@#\n");
    EXPECT_EQ(count_random_events("random.scr"), 2);
    EXPECT_FALSE(file_present("nothing.scr"));
    text_list l = {text_line("a"), text_line(""), text_line(" "), text_line("")};
    remove_blanks(l);
    EXPECT_EQ(lines_of(l), (std::vector<std::string>{"a", " "}));
}

TEST_F(flags, the_tunables_come_from_mainflag_or_keep_their_defaults) {
    // Defaults; a missing "mainflag.dat" is created and changes nothing.
    read_standard_flags();
    EXPECT_EQ(read_file("mainflag.dat"), template_bytes);
    expect_default_tunables();
    EXPECT_EQ(last_clock_sample, 0);

    write_file("mainflag.dat",
               "@#FLAGS\nCHECK_FREQUENCY 120 2\nAUTO_FREQUENCY_ADJUST 1 2\nPFIGHT_LEVEL_DIFFERENCE 5 2\n"
               "MAX_RANDOM_EVENTS 9 2\nMAX_BOARD_MESSAGES 30 2\nRANDOM_EVENT_PERCENTAGE 0.0001 2\n"
               "MOB_DIFFICULTY_MULT 1.5 2\n@#\n");
    read_standard_flags();
    EXPECT_EQ(check_frequency, 120);
    EXPECT_EQ(auto_frequency_adjust, 1);
    EXPECT_EQ(pfight_level_difference, 5);
    EXPECT_EQ(max_random_events, 9);
    EXPECT_EQ(max_board_messages, 30);
    EXPECT_EQ(random_event_percentage, 0.0001);
    EXPECT_EQ(mob_difficulty_mult, 1.5);

    // -1, text that is no number, and a removed flag keep what the globals held.
    set_default_tunables();
    write_file("mainflag.dat",
               "@#FLAGS\nCHECK_FREQUENCY 12abc 2\nAUTO_FREQUENCY_ADJUST -1 2\nPFIGHT_LEVEL_DIFFERENCE x 2\n"
               "MAX_RANDOM_EVENTS 1.5 2\nMAX_BOARD_MESSAGES 7 -1\nRANDOM_EVENT_PERCENTAGE -1 2\n"
               "MOB_DIFFICULTY_MULT nan 2\n@#\n");
    read_standard_flags();
    expect_default_tunables();

    // Out of range: CHECK_FREQUENCY at least 1, 16-bit tunables clamped.
    write_file("mainflag.dat", "@#FLAGS\nCHECK_FREQUENCY 0 2\nMAX_BOARD_MESSAGES 99999 2\n@#\n");
    read_standard_flags();
    EXPECT_EQ(check_frequency, 1);
    EXPECT_EQ(max_board_messages, 32767);
}

TEST_F(flags, check_frequency_is_written_back_only_with_auto_adjust) {
    write_file("mainflag.dat", "@#FLAGS\nAUTO_FREQUENCY_ADJUST -1 2\n@#\n");
    check_frequency = 300;
    save_check_frequency();
    EXPECT_EQ(read_file("mainflag.dat"), "@#FLAGS\nAUTO_FREQUENCY_ADJUST -1 2\n@#\n");
    auto_frequency_adjust = 1;
    save_check_frequency();
    EXPECT_EQ(read_file("mainflag.dat"), "@#FLAGS\nAUTO_FREQUENCY_ADJUST -1 2\nCHECK_FREQUENCY 300 2\n@#\n");
    check_frequency = -500;  // adjusted below nothing: stored as 1
    save_check_frequency();
    EXPECT_EQ(read_file("mainflag.dat"), "@#FLAGS\nAUTO_FREQUENCY_ADJUST -1 2\nCHECK_FREQUENCY 1 2\n@#\n");
}

TEST_F(flags, two_nodes_adding_flags_at_once_lose_none) {
    constexpr int per_node = race_rounds(500);
    auto node = [](int me) {
        return [me] {
            for (int i = 0; i < per_node; ++i) {
                add_flag("N" + std::to_string(me) + "_" + std::to_string(i), std::to_string(i), 2, "mainflag.dat",
                         "FLAGS");
                update_flag("COUNTER", "mainflag.dat", "FLAGS", 2, [](const std::string& cur) {
                    return std::optional<std::string>(int_to_str(std::max(0, str_to_int(cur)) + 1));
                });
            }
        };
    };
    pid_t a = start_child(node(1));
    pid_t b = start_child(node(2));
    EXPECT_EQ(wait_child(a).code, 0);
    EXPECT_EQ(wait_child(b).code, 0);
    for (int me = 1; me <= 2; ++me)
        for (int i = 0; i < per_node; ++i)
            ASSERT_EQ(return_flag("N" + std::to_string(me) + "_" + std::to_string(i), "mainflag.dat", "FLAGS"),
                      std::to_string(i));
    EXPECT_EQ(return_flag("COUNTER", "mainflag.dat", "FLAGS"), std::to_string(2 * per_node));
    // One template, one end marker, no temporary file left behind.
    std::string image = read_file("mainflag.dat");
    EXPECT_EQ(image.find("@#MAIN"), image.rfind("@#MAIN"));
    EXPECT_TRUE(image.ends_with("  Halt\n@#\n"));
    for (const auto& e : std::filesystem::directory_iterator("."))
        EXPECT_EQ(e.path().extension(), e.path().filename() == "debug.txt" ? ".txt" : ".dat") << e.path();
}

TEST_F(flags, expiring_two_files_at_once_never_mixes_them) {
    auto fill = [](const std::string& file, const std::string& tag) {
        std::string image = "@#FLAGS\n";
        for (int i = 0; i < 50; ++i) image += tag + std::to_string(i) + " V 2\n";
        write_file(file, image + "@#MAIN\n@#\n");
    };
    fill("flag0001.dat", "ONE");
    fill("flag0002.dat", "TWO");
    auto node = [](const std::string& file, const std::string& tag) {
        return [file, tag] {
            for (int i = 0; i < race_rounds(200); ++i) {
                add_flag(tag + "_GONE", "x", 1, file, "FLAGS");
                expire_flags(file, "FLAGS", 1);
            }
        };
    };
    pid_t a = start_child(node("flag0001.dat", "ONE"));
    pid_t b = start_child(node("flag0002.dat", "TWO"));
    EXPECT_EQ(wait_child(a).code, 0);
    EXPECT_EQ(wait_child(b).code, 0);
    for (const auto& [file, tag, other] : {std::tuple{"flag0001.dat", "ONE", "TWO"}, {"flag0002.dat", "TWO", "ONE"}}) {
        std::string image = read_file(file);
        EXPECT_EQ(image.find(other), std::string::npos) << file;
        EXPECT_EQ(image.find("_GONE"), std::string::npos) << file;
        for (int i = 0; i < 50; ++i) EXPECT_EQ(return_flag(tag + std::to_string(i), file, "FLAGS"), "V") << file << i;
    }
}
