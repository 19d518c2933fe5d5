// The script runner: encoded scripts byte for byte, the runner on plain and encoded files
// (nested runs included), what a caller sees when a script is missing, and the decoded copy
// that never outlives its run.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/runner_state.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/text_file.hpp"
#include "support/child.hpp"

namespace {
struct runner : runner_state {};

std::string source_file(const std::string& name) {
    const char* dir = std::getenv("QV_SOURCE_DIR");
    return read_file(std::string(dir ? dir : "..") + "/" + name);
}
}  // namespace

TEST(encoded_scripts, the_encoder_writes_the_offset_first_and_last_and_each_code_plus_the_offset) {
    // "A" 65, "b" 98, a line end 13, all plus 100.
    EXPECT_EQ(encode_script("A\r\nb\n", 100), "100165113198113100\n");
    // A last line without its line end gets one; CR alone ends a line too; NUL is left out.
    EXPECT_EQ(encode_script(std::string("A\rb\0", 4), 100), "100165113198113100\n");
    EXPECT_EQ(encode_script("", 7), "007007\n");
    // 26 groups an output line.
    std::string image = encode_script(std::string(30, ' '), 0);
    EXPECT_EQ(
        image.substr(0, 79), "000" + [] {
            std::string s;
            for (int i = 0; i < 25; ++i) s += "032";
            return s;
        }() + "\n");
    EXPECT_EQ(image.size(), 33u * 3 + 2);
    // The highest code fits three digits only up to the highest offset.
    EXPECT_EQ(encode_script("\xff", scc_max_offset), "744999757744\n");
}

TEST(encoded_scripts, the_decoder_reads_groups_across_line_ends_and_skips_bad_groups) {
    std::vector<std::string> bad;
    // The groups: 100 (offset, nothing), 165 "A", 113 line end, "abc" bad, 198 "b",
    // 999 bad (899 is no character), 110 (a line feed: nothing), 100.
    EXPECT_EQ(decode_script("100\r\n16\n5113abc198999110100", 100, &bad), "A\nb\n");
    EXPECT_EQ(bad, (std::vector<std::string>{"abc", "999"}));
    // A group below the offset is bad too; a short last group is read as it stands.
    bad.clear();
    EXPECT_EQ(decode_script("0501651", 100, &bad), "A\n");
    EXPECT_EQ(bad, (std::vector<std::string>{"050", "1"}));
    EXPECT_EQ(decode_script("", 0), "");
}

TEST(encoded_scripts, every_character_survives_the_round_trip_at_every_offset) {
    std::string text;
    for (int c = 1; c < 256; ++c)
        if (c != '\n' && c != '\r') text += static_cast<char>(c);
    text += "\n@#MAIN\n  Halt\n\n@#\n";
    for (int offset : {0, 1, 113, 500, scc_max_offset}) {
        std::vector<std::string> bad;
        std::string image = encode_script(text, offset);
        EXPECT_EQ(decode_script(image, offset, &bad), text) << offset;
        EXPECT_TRUE(bad.empty()) << offset;
    }
}

TEST_F(runner, the_delivered_events_scc_starts_and_ends_with_113_and_decodes_to_its_source) {
    std::string data_dir = std::getenv("QV_DATA_DIR") ? std::getenv("QV_DATA_DIR") : "../data";
    std::string image = read_file(data_dir + "/events.scc");
    EXPECT_EQ(image.substr(0, 3), "113");
    write_file("events.scc", image);
    EXPECT_EQ(read_file_number("events.scc"), 113);
    EXPECT_EQ(decode_script(image, 113), source_file("apps/tools/events.scr"));
    text_list headers;
    retrieve_headers("events.scc", headers);
    EXPECT_TRUE(headers.empty()) << "nothing readable without decoding";
}

TEST_F(runner, a_plain_script_runs_with_its_parameters_expanded_under_its_own_name) {
    play_as("Hero");
    write_file("town.scr",
               lines({"@#MAIN", "  WRITELN \"^VR01 and ^VR02\"", "  ADDFLAG SEEN YES 2 S", "  HALT", "@#"}));
    EXPECT_EQ(run_file("town.scr", "^CA friends"), "Hero and friends\r\n");
    EXPECT_EQ(return_flag("SEEN", "mainflag.dat", "TOWN.SCR"), "YES");
    // Names are found case-blind inside the game directory.
    EXPECT_EQ(run_file("TOWN.SCR", "a b"), "a and b\r\n");
}

TEST_F(runner, an_encoded_script_runs_from_its_own_decoded_copy_which_is_then_erased) {
    play_as("Hero");
    write_file("secret.scc", encode_script(lines({"@#MAIN", "  WRITELN \"decoded ^VR01\"", "  HALT", "@#"}), 300));
    EXPECT_EQ(run_file("secret.scc", "fine"), "decoded fine\r\n");
    EXPECT_TRUE(temp_files().empty());
    std::string log = debug_text();
    EXPECT_NE(log.find("Decompiling secret.scc\n"), std::string::npos);
    EXPECT_NE(log.find("  Finished Decompiling \n"), std::string::npos);
    // The copy is named for the node's process and the depth, and the run sees it as its file.
    write_file("where.scc", encode_script(lines({"@#MAIN", "  WRITELN \"^VR24\"", "  HALT"})));
    EXPECT_EQ(run_file("where.scc"), decoded_script_name(1) + "\r\n");
    EXPECT_EQ(decoded_script_name(1), "temp.001." + std::to_string(::getpid()) + ".1");
    // The ending is found after the first ".sc", any case; .scr files run as they are.
    write_file("upper.SCC", encode_script(lines({"@#MAIN", "  WRITELN \"up\"", "  HALT"})));
    EXPECT_EQ(run_file("upper.SCC"), "up\r\n");
    write_file("plain.scr", lines({"@#MAIN", "  WRITELN \"plain\"", "  HALT"}));
    EXPECT_EQ(run_file("plain.scr"), "plain\r\n");
}

TEST_F(runner, bad_groups_are_skipped_with_a_force_line_and_the_rest_runs) {
    std::string image = encode_script(lines({"@#MAIN", "  WRITELN \"ok\"", "  HALT"}), 113);
    image.insert(3, "x1?");
    write_file("odd.scc", image);
    EXPECT_EQ(run_file("odd.scc"), "ok\r\n");
    EXPECT_NE(debug_text().find("Bad group \"x1?\" skipped in odd.scc\n"), std::string::npos);
    // Past twenty, bad groups are only counted.
    write_file("worse.scc", std::string(25 * 3, 'z') + encode_script(lines({"@#MAIN", "  HALT"}), 113));
    run_file("worse.scc");
    EXPECT_NE(debug_text().find("5 more bad groups skipped in worse.scc\n"), std::string::npos);
}

TEST_F(runner, nested_encoded_runs_each_decode_into_their_own_copy) {
    play_as("Hero");
    // The outer script waits for a key; the wait runs the timed event of this minute, an
    // encoded script of its own; afterwards the outer one still reads its menu from its copy.
    write_file("outer.scc", encode_script(lines({"@#MAIN", "  WRITELN \"outer ^VR24\"", "  READMENUCOMMANDS ^VR02",
                                                 "  MENU LATER", "  HALT", "@#LATER", "X", "still here"})));
    write_file("inner.scc", encode_script(lines({"@#MAIN", "  WRITELN \"inner ^VR24\"", "  HALT"})));
    check_frequency = 1;
    seam.set_time(2026, 1, 15, 12, 4);
    add_event(event_list, "1205", "inner.scc", "");
    pick_next_event(event_list);
    seam.set_time(2026, 1, 15, 12, 5);
    input_feed keys;
    fake().keys = &keys;
    set_check_for_random_event_hook([] {
        bool ran = Check_For_Random_Event();
        if (ran) fake().keys->send("q");
        return ran;
    });
    run_script("outer.scc", "");
    std::string pid = std::to_string(::getpid());
    EXPECT_EQ(out.take(), "outer temp.001." + pid + ".1\r\n  (?)\r\n\r\n  Command? [] : \r\ninner temp.001." + pid +
                              ".2\r\n  (?)\r\n\r\n  Command? [] : still here\r\n");
    EXPECT_TRUE(temp_files().empty());
    fake().keys = nullptr;
}

TEST_F(runner, a_missing_script_or_a_bad_path_is_reported_and_nothing_runs) {
    EXPECT_EQ(run_file("nothere.scr", "", "x"),
              "  Script file MISSING. (nothere.scr)  Please inform SysOp.\r\n      [ Hit any key ]");
    std::string log = debug_text();
    EXPECT_NE(log.find("ERROR: Script File Missing:\n"), std::string::npos);
    EXPECT_NE(log.find("nothere.scr\n"), std::string::npos);
    EXPECT_EQ(run_file("../outside.scr"), "  Path to Script file INVALID.  Please inform SysOp.\r\n");
    EXPECT_EQ(run_file("/etc/passwd"), "  Path to Script file INVALID.  Please inform SysOp.\r\n");
    EXPECT_EQ(run_file("nofolder/x.scr"), "  Path to Script file INVALID.  Please inform SysOp.\r\n");
    EXPECT_EQ(run_file("missing.scc", "", "x"),
              "  Script file MISSING. (missing.scc)  Please inform SysOp.\r\n      [ Hit any key ]");
    EXPECT_TRUE(temp_files().empty());
}

TEST_F(runner, full_debug_mode_logs_every_run_with_its_date_and_time) {
    debug_mode = true;
    write_file("a.scr", lines({"@#MAIN", "  HALT"}));
    run_file("a.scr", "P");
    std::string log = debug_text();
    EXPECT_NE(log.find("Script Executing : a.scr P Thursday 01/15/26  12:00:00:00\n"), std::string::npos);
    EXPECT_NE(log.find("Script Completed : a.scr P Thursday 01/15/26  12:00:00:00\n"), std::string::npos);
    run_file("b.scr", "", "x");
    EXPECT_NE(debug_text().find("Script Unsucessful : b.scr  Thursday"), std::string::npos);
}

TEST_F(runner, the_decoded_copy_is_erased_when_the_program_ends_inside_the_run) {
    write_file("bye.scc", encode_script(lines({"@#MAIN", "  WRITELN \"going\"", "  HALT"})));
    child_result r = run_in_child([] {
        // The caller hangs up while the script writes: the door kit ends the program.
        set_exec_flag_command_hook([](std::string_view, std::string_view, const std::string& file, std::string_view,
                                      std::string_view, int, script_vars&) {
            if (file_present(file)) write_file("existed.txt", file);
            carrier_present = 0;
            write_str("lost");
            return false;
        });
        run_script("bye.scc", "");
        write_file("after.txt", "not reached");
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "\r\nCarrier Dropped, returning to BBS.\r\n");
    EXPECT_TRUE(file_present("existed.txt"));
    EXPECT_FALSE(file_present("after.txt"));
    EXPECT_TRUE(temp_files().empty());
}

namespace {
std::string data_file(const std::string& name) {
    const char* dir = std::getenv("QV_DATA_DIR");
    return read_file(std::string(dir ? dir : "../data") + "/" + name);
}
bool holds(const std::string& screen, const std::string& text) { return screen.find(text) != std::string::npos; }
}  // namespace

TEST_F(runner, the_delivered_event_scripts_run_without_errors_and_do_what_they_say) {
    for (const char* name : {"events.scc", "random.scr"}) write_file(name, data_file(name));
    character_record& hero = play_as("Hero");
    hero.gold = 600;
    hero.shame = 2;

    // The forest's chapel: a gift of 500 gold makes the player its champion.
    std::string screen = run_file("events.scc", "2", "y");
    EXPECT_TRUE(holds(screen, "Will you give? (Y/N) [N] : Y\r\n")) << screen;
    EXPECT_TRUE(holds(screen, "The brother takes your gold")) << screen;
    EXPECT_EQ(hero.gold, 100);
    EXPECT_EQ(return_flag("FOREST_CHAMPION_OF_THE_CHURCH", "flag0001.dat", "FLAGS"), "TRUE");
    screen = run_file("events.scc", "2");
    EXPECT_TRUE(holds(screen, "send you on with a blessing")) << screen;
    EXPECT_EQ(hero.luck, 1);
    // Without the gold, or saying no, nothing changes.
    remove_flag("FOREST_CHAMPION_OF_THE_CHURCH", "flag0001.dat", "FLAGS");
    EXPECT_TRUE(holds(run_file("events.scc", "2", "y"), "Your purse is too light."));
    EXPECT_TRUE(holds(run_file("events.scc", "2", "\r"), "goes back to his hammering"));
    EXPECT_EQ(hero.gold, 100);

    // The valley's fallen adventurer: buried (Enter) or robbed.
    screen = run_file("events.scc", "1", "\r");
    EXPECT_TRUE(holds(screen, "[B] : B\r\n")) << screen;
    EXPECT_EQ(hero.shame, 1);
    // Once a game day: the stones are bare until the daily flag expires.
    screen = run_file("events.scc", "1", "s");
    EXPECT_TRUE(holds(screen, "The stones around it are bare.\r\n")) << screen;
    EXPECT_FALSE(holds(screen, "[B] :")) << screen;
    expire_flags("flag0001.dat", "FLAGS", flag_class_daily);
    seam.rolls.assign({0});
    screen = run_file("events.scc", "1", "s");
    EXPECT_TRUE(holds(screen, "A pouch of 150 gold!")) << screen;
    EXPECT_EQ(hero.gold, 250);
    EXPECT_EQ(hero.shame, 2);

    // Every random event.
    text_list headers;
    retrieve_headers("random.scr", "RANDOMEVENT_", headers);
    EXPECT_EQ(headers.size(), 4u);
    for (const text_line& h : headers) {
        screen = run_file("random.scr", h.str());
        EXPECT_FALSE(holds(screen, "Script Error")) << h.str() << screen;
        EXPECT_GT(screen.size(), 10u) << h.str();
    }
    EXPECT_TRUE(temp_files().empty());
}
