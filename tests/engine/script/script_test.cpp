// The script interpreter: small scripts, each with the screen it must show and the variables
// it must leave, for every command; menus and key waits; the commands that reach the game.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

#include "engine/script_state.hpp"
#include "engine/store/data_files.hpp"
#include "engine/text/lookups.hpp"

namespace {
using vars_map = std::map<int, std::string>;

struct script_case {
    const char* what;
    std::string script;
    std::string keys;
    std::string params;
    std::string screen;
    vars_map vars;
};

struct scripts : script_state {
    void check(const script_case& c) {
        fake().vars.clear();
        EXPECT_EQ(run(c.script, c.keys, c.params), c.screen) << c.what;
        for (const auto& [n, value] : c.vars) EXPECT_EQ(var(n), value) << c.what << ": ^VR" << n;
    }
};

const std::string menu_section = lines({"@#MAINMENU", "ABQ", "  `!A`9ttack ^VR01", "  ^MC03uit"});
const std::string menu_screen = "  Attack wolves\r\n  Quit\r\n";
const std::string prompt_a = "  (A,B,Q,?)\r\n\r\n  Command? [A] : ";
}  // namespace

TEST_F(scripts, small_scripts_show_their_screens_and_leave_their_variables) {
    const script_case cases[] = {
        {"parameters fill the variables; DEFINE runs once, then MAIN",
         lines({"@#DEFINE", "  ; set up", "", "  SET ^VR05 7", "@#MAIN", "  DISPLAYSTATS", "  HALT", "@#"}),
         "",
         "one two  three",
         "",
         {{1, "one"},
          {2, "two"},
          {3, "three"},
          {4, ""},
          {5, "7"},
          {21, ""},
          {22, ""},
          {23, "00000000000000000000000000000"},
          {24, "test.scr"},
          {25, "test.scr"}}},
        {"a script without DEFINE starts in MAIN; keywords in any case; comments skipped",
         lines({"@#Main", "; comment", "   ;indented comment", "  write \"a\"", "  WriteLn \"b ^VR01\"", "  halt",
                "  WRITE \"never\""}),
         "",
         "x",
         "ab x\r\n",
         {}},
        {"IF in every form: numbers as numbers, other texts exactly; failing blocks skip nested ones",
         lines({"@#MAIN",           "  SET ^VR01 10",  "  SET ^VR02 010",
                "  IF ^VR01 == 10", "  WRITE \"a\"",   "  ENDIF",
                "  IF ^VR02 == 10", "  WRITE \"X\"",   "  ENDIF",
                "  IF ^VR01 <= 10", "  WRITE \"b\"",   "  ENDIF",
                "  IF ^VR01 >= 11", "  WRITE \"X\"",   "  ENDIF",
                "  IF ^VR01 <> 9",  "  WRITE \"c\"",   "  ENDIF",
                "  IF ^VR01 != 10", "  WRITE \"X\"",   "  ENDIF",
                "  IF 9 < ^VR01",   "  WRITE \"d\"",   "  ENDIF",
                "  IF 9 > ^VR01",   "  WRITE \"X\"",   "  if 1 == 1",
                "  WRITE \"X\"",    "  endif",         "  WRITE \"X\"",
                "  ENDIF",          "  IF abc < abd",  "  WRITE \"e\"",
                "  ENDIF",          "  IF 9a > 10",    "  WRITE \"f\"",
                "  ENDIF",          "  IF -5 < 3",     "  WRITE \"g\"",
                "  ENDIF",          "  IF +5 == 5",    "  WRITE \"X\"",
                "  ENDIF",          "  IF Abc == abc", "  WRITE \"X\"",
                "  ENDIF",          "  HALT"}),
         "",
         "",
         "abcdefg",
         {}},
        {"nested GOSUB and RETURN come back to the line after each call",
         lines({"@#MAIN", "  WRITE \"m1 \"", "  GOSUB A", "  WRITE \"m2 \"", "  HALT", "@#A", "  WRITE \"a1 \"",
                "  GOSUB b", "  WRITE \"a2 \"", "  RETURN", "@#B", "  WRITE \"b \"", "  RETURN"}),
         "",
         "",
         "m1 a1 b a2 m2 ",
         {}},
        {"a RETURN past the end of MAIN starts MAIN again",
         lines({"@#MAIN", "  ADD ^VR01 1", "  IF ^VR01 == 3", "  DISPLAYSTATS", "  HALT", "  ENDIF", "  GOSUB S", "@#S",
                "  WRITE \"s\"", "  RETURN"}),
         "",
         "",
         "ss",
         {{1, "3"}}},
        {"a GOSUB name is expanded",
         lines({"@#MAIN", "  GOSUB ^VR01", "  HALT", "@#PART2", "  WRITE \"two\"", "  RETURN"}),
         "",
         "part2",
         "two",
         {}},
        {"READCHAR and READLINE: Enter and an empty line take the default command",
         lines({"@#MAIN", "  DEFAULTCOMMAND n^VR01", "  READCHAR ^VR02", "  READCHAR ^VR03", "  READLINE ^VR04",
                "  READLINE ^VR05", "  DISPLAYSTATS", "  HALT"}),
         "\rkhello\r\r",
         "x",
         "hello\r\n\r\n",
         {{21, "nx"}, {2, "N"}, {3, "K"}, {4, "HELLO"}, {5, "NX"}}},
        {"WRITEBLOCK shows its lines expanded up to ENDBLOCK",
         lines(
             {"@#MAIN", "  WRITEBLOCK", "Hello ^VR01", "  `2Second line", "  endblock", "  WRITE \"done\"", "  HALT"}),
         "",
         "one",
         "Hello one\r\n  Second line\r\ndone",
         {}},
        {"SET, MULT (halves to even), ADD and SETSTR; ^VR99 and a lower-case target are ignored",
         lines({"@#MAIN", "  SET ^VR01 5", "  MULT ^VR01 1.5", "  SET ^VR02 5", "  MULT ^VR02 0.5", "  SET ^VR03 abc",
                "  ADD ^VR03 5", "  ADD ^VR04 ^VR01", "  SETSTR ^VR05 \"Hello,  World\"", "  SET ^VR99 1",
                "  ADD ^vr06 1", "  MULT ^VR07 x", "  DISPLAYSTATS", "  HALT"}),
         "",
         "",
         "",
         {{1, "8"}, {2, "2"}, {3, "5"}, {4, "8"}, {5, "Hello,  World"}, {6, ""}, {7, "0"}}},
        {"DEFAULTCOMMAND expands its text",
         lines({"@#MAIN", "  DEFAULTCOMMAND ^VR01^VR02", "  DISPLAYSTATS", "  HALT"}),
         "",
         "a b",
         "",
         {{21, "ab"}}},
        {"PAUSE waits for a key",
         lines({"@#MAIN", "  PAUSE", "  WRITE \"on\"", "  HALT"}),
         "x",
         "",
         "      [ Hit any key ]on",
         {}},
        {"DISPLAYSCRIPTTEXT writes the section's lines as they stand",
         lines({"@#MAIN", "  ; not shown", "  `4Not a command ^VR01", "  DISPLAYSCRIPTTEXT", "  HALT"}),
         "x",
         "",
         "  `4Not a command ^VR01\r\n  DISPLAYSCRIPTTEXT\r\n  HALT\r\n      [ Hit any key ]",
         {}},
        {"the lines of a section stop at a line beginning \"~\"",
         lines({"@#MAIN", "  WRITE \"a\"", "  HALT", "~", "  WRITE \"never\""}),
         "",
         "",
         "a",
         {}},
    };
    for (const script_case& c : cases) check(c);
}

TEST_F(scripts, menus_show_on_the_first_pass_and_after_a_return_or_redispmenu) {
    // A MAIN without HALT goes round while it waits for keys; the menu shows once.
    std::string s = menu_section + lines({"@#MAIN", "  MENU mainmenu", "  READMENUCOMMANDS ^VR02", "  IF ^VR02 == Q",
                                          "  DISPLAYSTATS", "  HALT", "  ENDIF"});
    EXPECT_EQ(run(s, "b\rq", "wolves"), menu_screen + prompt_a + prompt_a + prompt_a);
    EXPECT_EQ(var(2), "Q");
    EXPECT_EQ(var(21), "A");

    // REDISPMENU shows it again on the next pass.
    s = menu_section + lines({"@#MAIN", "  MENU MAINMENU", "  READMENUCOMMANDS ^VR02", "  IF ^VR02 == Q", "  HALT",
                              "  ENDIF", "  REDISPMENU"});
    EXPECT_EQ(run(s, "bq", "wolves"), menu_screen + prompt_a + menu_screen + prompt_a);

    // REDISPMENU FALSE: the menu is prepared after the RETURN but not shown; the pass after
    // the next RETURN shows it.
    s = menu_section +
        lines({"@#MAIN", "  MENU MAINMENU", "  READMENUCOMMANDS ^VR02", "  IF ^VR02 == Q", "  HALT", "  ENDIF",
               "  IF ^VR02 == B", "  REDISPMENU FALSE", "  ENDIF", "  GOSUB SUB", "@#SUB", "  RETURN"});
    EXPECT_EQ(run(s, "baq", "wolves"), menu_screen + prompt_a + prompt_a + menu_screen + prompt_a);

    // DISPLAYMENU shows the current menu again; expert mode hides the MENU display.
    s = menu_section + lines({"@#MAIN", "  MENU MAINMENU", "  WRITE \"-\"", "  DISPLAYMENU", "  HALT"});
    EXPECT_EQ(run(s, "", "wolves"), menu_screen + "-" + menu_screen);
    play_as("Hero").status_bits = status_expert;
    EXPECT_EQ(run(s, "", "wolves"), "-" + menu_screen);
}

TEST_F(scripts, a_missing_menu_is_reported_and_ends_the_run) {
    std::string s = lines({"@#MAIN", "  MENU NOPE", "  WRITE \"never\""});
    EXPECT_EQ(run(s, "x"), "  Menu not found -NOPE- in MenuFile : test.scr\r\n      [ Hit any key ]");
    // A menu file outside the game directory is never read.
    s = lines({"@#MAIN", "  SETSTR ^VR24 \"/etc/passwd\"", "  MENU root", "  WRITE \"never\""});
    EXPECT_EQ(run(s, "x"), "  Menu not found -root- in MenuFile : /etc/passwd\r\n      [ Hit any key ]");
}

TEST_F(scripts, the_key_wait_checks_the_queue_and_the_events_every_check_frequency_polls) {
    check_frequency = 1;
    std::string s =
        menu_section + lines({"@#MAIN", "  MENU MAINMENU", "  READMENUCOMMANDS ^VR02", "  DISPLAYSTATS", "  HALT"});
    // A message waits: it is handled (raided guild 0) and the prompt is due again.
    fake().messages_waiting = 1;
    fake().key_after_poll = "x";
    EXPECT_EQ(run(s, "", "wolves"), menu_screen + prompt_a + prompt_a);
    EXPECT_EQ(var(2), "X");
    EXPECT_EQ(fake().calls.front(), "MESSAGE 0");

    // No message: the events run; one that ran a script makes the prompt due again.
    install_fake_script_hooks();
    fake().random_event_results = 1;
    fake().key_after_poll = "y";
    EXPECT_EQ(run(s, "", "wolves"), menu_screen + prompt_a + prompt_a);
    EXPECT_EQ(fake().calls.front(), "EVENTS");
    install_fake_script_hooks();
    fake().key_after_poll = "z";
    EXPECT_EQ(run(s, "", "wolves"), menu_screen + prompt_a);
    EXPECT_EQ(var(2), "Z");
}

TEST_F(scripts, random_draws_from_one_to_m_with_halves_to_even) {
    constexpr int range = 1 << 30;
    seam.rolls = {644245094, 0, range - 1, range / 2, range / 2, 12345};
    std::string s = lines({"@#MAIN", "  RANDOM ^VR01 6", "  RANDOM ^VR02 6", "  RANDOM ^VR03 ^VR09", "  RANDOM ^VR04 2",
                           "  RANDOM ^VR05 4", "  RANDOM ^VR06 1", "  DISPLAYSTATS", "  HALT"});
    seam.randomize_calls = 0;
    run(s, "", "a b c d e f g h 6");
    EXPECT_EQ(seam.randomize_calls, 1);  // reseeded once at the start of the run
    EXPECT_EQ(var(1), "4");
    EXPECT_EQ(var(2), "1");
    EXPECT_EQ(var(3), "6");
    EXPECT_EQ(var(4), "1");  // 0.5 x 1 rounds to 0
    EXPECT_EQ(var(5), "3");  // 0.5 x 3 rounds to 2
    EXPECT_EQ(var(6), "1");
    for (int n : seam.random_ranges) EXPECT_EQ(n, range);
}

TEST_F(scripts, commands_of_the_wrong_form_report_a_script_error_and_end_the_run) {
    struct bad {
        std::string line;
        std::string what;
    };
    const bad cases[] = {
        {"IF 1 = 1", "IF 1 = 1"},
        {"IF 1 ==", "IF 1 =="},
        {"RANDOM VR01 6", "RANDOM VR01 6"},
        {"RANDOM ^VR01", "RANDOM ^VR01"},
        {"MULT ^VR01", "MULT ^VR01"},
        {"ADD ^VR01 1 2", "ADD ^VR01 1 2"},
        {"SET ^VR01", "SET ^VR01"},
        {"SETSTR ^VR01 no quotes", "SETSTR ^VR01 no quotes"},
        {"SETSTR \"x\"", "SETSTR \"x\""},
        {"LOCATION nowhere", "LOCATION nowhere"},
        {"GOTOXY 1", "GOTOXY 1"},
        {"READCHAR VR01", "READCHAR VR01"},
        {"READLINE x", "READLINE x"},
        {"READMENUCOMMANDS", "READMENUCOMMANDS "},
        {"RETURN", "RETURN "},
        {"GOSUB nowhere", "GOSUB NOWHERE"},
        {"COMBAT ^VR01 FOO", "COMBAT ^VR01 FOO"},
        {"COMBAT ^VR01 INT", "COMBAT ^VR01 INT"},
        {"COMBAT ^VR01 EXT 3", "COMBAT ^VR01 EXT 3"},
        {"COMBAT VR01 EXT", "COMBAT VR01 EXT"},
        {"MONSTERAVAILABLE", "MONSTERAVAILABLE "},
        {"MAIL bob", "MAIL bob"},
        {"ITEM", "ITEM "},
        {"CREATUREFILE nosuch.dat", "Missing File nosuch.dat"},
        {"CREATUREFILE ../test.scr", "Missing File ../test.scr"},
    };
    for (const bad& c : cases) {
        std::string s = lines({"@#MAIN", "  WRITE \"before\"", "  " + c.line, "  WRITE \"after\"", "  HALT"});
        EXPECT_EQ(run(s, "x"), "before" + error_screen("test.scr", "MAIN", 2, c.what)) << c.line;
    }
    // Blocks that run off the end of their section.
    for (std::string opener : {"IF 1 == 2", "WRITEBLOCK ", "MAIL bob Alice"}) {
        std::string s = lines({"@#MAIN", "  WRITE \"before\"", "  " + opener, "  text"});
        std::string screen = run(s, "x");
        EXPECT_NE(screen.find(error_screen("test.scr", "MAIN", 2, opener)), std::string::npos) << opener;
    }
}

TEST_F(scripts, a_script_error_goes_to_the_debug_log_and_a_game_command_error_ends_the_run) {
    run(lines({"@#MAIN", "  WRITE \"x\"", "  IF 1 = 1"}), "k");
    // Indented as the command that found the error.
    EXPECT_EQ(read_file("debug.txt"), "  Script Error : test.scr Section : MAIN    Line : 2\n  IF 1 = 1\n");

    // The game-bound commands get the keyword as written, the file and the script's name.
    install_fake_script_hooks();
    fake().flag_command_error = true;
    EXPECT_EQ(run(lines({"@#MAIN", "  WriteLn \"one\"", "  WRITELN \"two\""}), "", "", "tavern.scr"), "one\r\n");
    EXPECT_EQ(fake().calls, (std::vector<std::string>{"WRITELN \"one\""}));
    EXPECT_EQ(fake().call_files.front(), "test.scr");
    EXPECT_EQ(fake().call_names.front(), "tavern.scr");
}

TEST_F(scripts, every_command_is_logged_in_full_debug_mode) {
    debug_mode = true;
    run(lines({"@#MAIN", "  SET ^VR01 1", "  GOSUB SUB", "  HALT", "@#SUB", "  RETURN"}));
    // The first pass is the empty DEFINE section: no command.
    EXPECT_EQ(read_file("debug.txt"),
              "entering  \nleaving  \n"
              "entering SET ^VR01 1\nleaving SET ^VR01 1\n"
              "entering GOSUB SUB\nleaving GOSUB SUB\n"
              "entering RETURN \nleaving RETURN \n"
              "entering HALT \nleaving HALT \n");
}

TEST_F(scripts, location_and_the_places_a_script_visits) {
    character_record hero = make_char(1, "Hero");
    hero.location = "tTown";
    put_chars({hero});
    read_char_file();
    cur_char = char_num_ptr(1);
    run(lines({"@#MAIN", "  LOCATION \"b^VR01 `2^CA\"", "  SHAREDEVENT 2", "  HEALER", "  INVENTORY",
               "  DISPLAYGAMESTATS", "  HALT"}),
        "", "Old");
    EXPECT_EQ(fake().calls, (std::vector<std::string>{"ENCOUNTER 2", "HEALERS", "INVENTORY", "SETTINGS"}));
    // The location is put back after every place, and written to "players.dat".
    EXPECT_EQ(cur_char->location.str(), "bOld `2Hero");
    EXPECT_EQ(file_chars().at(0).location.str(), "bOld `2Hero");

    // The location a run started with is what the places give back without LOCATION.
    cur_char->location = "fForest";
    run(lines({"@#MAIN", "  HEALER", "  HALT"}));
    EXPECT_EQ(cur_char->location.str(), "fForest");

    // A location is cut to 20 characters.
    run(lines({"@#MAIN", "  LOCATION \"xAbcdefghijklmnopqrstuvwxyz\"", "  HALT"}));
    EXPECT_EQ(cur_char->location.str(), "xAbcdefghijklmnopqrs");
}

TEST_F(scripts, gotoxy_moves_the_cursor_of_an_ansi_caller) {
    graphics_mode = 3;
    std::string screen = run(lines({"@#MAIN", "  GOTOXY ^VR01 5", "  HALT"}), "", "10");
    EXPECT_NE(screen.find("\x1b[5;10H"), std::string::npos) << screen;
}

TEST_F(scripts, displayscriptinfo_shows_the_run_state) {
    std::string screen = run(
        lines({"@#MAIN", "  DEFAULTCOMMAND Q", "  GOSUB INFO", "  HALT", "@#INFO", "  DISPLAYSCRIPTINFO", "  RETURN"}),
        "x", "a b");
    std::string vars;
    for (int n = 1; n <= 20; ++n)
        vars += "  ^VR" + zero_pad(n, 2) + "     :" + (n == 1 ? "a" : n == 2 ? "b" : "") + "\r\n";
    std::regex expected(
        "  File        : test\\.scr      Free Memory : [0-9]+\r\n"
        "  Section     : INFO\r\n"
        "  Loops Deep  : 1\r\n"
        "  Current Default Command : Q\r\n"
        "  Current Creature File   : \r\n"
        "  Current Flags           : 0{29}\r\n"
        "      \\[ Hit any key \\]\r\n" +
        std::regex_replace(vars, std::regex("\\^"), "\\^"));
    EXPECT_TRUE(std::regex_match(screen, expected)) << screen;
}

TEST_F(scripts, creature_files_creatures_and_fights) {
    write_file("forest.dat", "creatures");
    play_as("Hero").level = 1;
    fake().creature_file_mobs = {{"Wolf", 1, 1234, 56}, {"Big Bear", 2, 1234567, 123456}};
    std::string screen = run(lines({"@#MAIN", "  CREATUREFILE forest.dat", "  DISPLAYCREATURES",
                                    "  MONSTERAVAILABLE ^VR01", "  COMBAT ^VR02 EXT", "  DISPLAYSTATS", "  HALT"}));
    EXPECT_TRUE(
        screen.starts_with("Monsters Present :\r\n"
                           "Level :  1 Wolf                  Exp :    1,234  Verif # :     56\r\n"
                           "Level :  2 Big Bear              Exp : 1,234,567  Verif # : 123,456\r\n"
                           "Free Memory : "))
        << screen;
    EXPECT_TRUE(screen.ends_with(" bytes\r\n"));
    EXPECT_EQ(var(1), "1");
    EXPECT_EQ(var(2), "1");
    EXPECT_EQ(var(22), "forest.dat");
    EXPECT_EQ(fake().opponent_seen, "Wolf");  // `opponent` while the fight ran
    EXPECT_EQ(opponent, nullptr);             // and nothing afterwards

    // No creature of the player's level: none available, and COMBAT gives 2.
    cur_char->level = 3;
    install_fake_script_hooks();
    run(lines({"@#MAIN", "  CREATUREFILE forest.dat", "  MONSTERAVAILABLE ^VR01", "  COMBAT ^VR02 EXT",
               "  COMBAT ^VR03 INT 4", "  DISPLAYSTATS", "  HALT"}));
    EXPECT_EQ(var(1), "0");
    EXPECT_EQ(var(2), "2");
    EXPECT_EQ(var(3), "2");  // the script has no creature 4
    EXPECT_EQ(fake().calls.at(1), "MONSTER test.scr 4");

    // A creature of the script's own MONSTER section, lost to.
    install_fake_script_hooks();
    fake().has_internal_mob = true;
    fake().internal_mob = {"Troll", 3, 0, 0};
    fake().win = false;
    run(lines({"@#MAIN", "  COMBAT ^VR01 INT 4", "  DISPLAYCREATURES", "  DISPLAYSTATS", "  HALT"}));
    EXPECT_EQ(var(1), "0");
    EXPECT_EQ(fake().calls.at(1), "FIGHT Troll");
}

TEST_F(scripts, nested_runs_have_their_own_state) {
    // A place visited from a script runs another script; the outer run goes on unharmed.
    play_as("Hero");
    fake().on_healer = [] {
        static int depth = 0;
        if (depth++ == 0) {
            write_file("inner.scr", lines({"@#MAIN", "  SET ^VR01 inner", "  DISPLAYSTATS", "  HALT"}));
            execute_script("inner.scr", "", "inner.scr");
        }
    };
    run(lines({"@#MAIN", "  SET ^VR01 outer", "  HEALER", "  DISPLAYSTATS", "  HALT"}));
    EXPECT_EQ(var(1), "outer");
    EXPECT_EQ(fake().call_files, (std::vector<std::string>{"inner.scr", "test.scr"}));
}

namespace {
item_record magic_ring() {
    item_record r;
    r.name = "Magic Ring";
    r.script_id = "MRng-01011998-QZ-N";
    r.power = 3;
    r.equipped = 1;
    r.position = 5;
    return r;
}

std::string item_script(const std::string& date) {
    return lines({"@#MAIN", "  ITEM 1", "  WRITE \"on\"", "  HALT", "@#ITEM1_WEAR", "  WRITELN \"You feel strong\"",
                  "@#item1_use", "  ; kept", "  WRITELN \"Zap\"", "@#ITEM1_FLAGS", "  DATE " + date + " 2",
                  "@#ITEM2_DROP", "  WRITELN \"not this item\""});
}

const std::string ring_script =
    "@#WEAR\n  WRITELN \"You feel strong\"\n  Return\n"
    "@#USE\n  ; kept\n  WRITELN \"Zap\"\n  Return\n"
    "@#FLAGS\n  DATE 19980101 2\n  Return\n"
    "@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n";
}  // namespace

TEST_F(scripts, item_builds_registers_and_hands_over_an_item_with_its_script) {
    play_as("Hero");
    fake().item = magic_ring();
    fake().registry_number = 3;
    EXPECT_EQ(run(item_script("19980101")), "  You now have the Magic Ring\r\non");
    // Its events come from the sections the item file has: WEAR, USE and FLAGS.
    ASSERT_EQ(fake().inventory.size(), 1u);
    const item_record& got = fake().inventory.front();
    EXPECT_EQ(got.script_events, 1 + 2 + 1024);
    EXPECT_EQ(got.equipped, 0);
    EXPECT_EQ(fake().registered, (std::vector<std::string>{"Magic Ring"}));
    EXPECT_EQ(fake().calls.front(), "ITEMDEF test.scr 1");
    // "items/" is made; the item's script is written from the event sections.
    EXPECT_EQ(read_file("items/3.scr"), ring_script);
    // The inventory file: one 70-byte record, name at 0, script events at 41.
    std::string inv = read_file("invt0001.dat");
    ASSERT_EQ(inv.size(), 70u);
    EXPECT_EQ(inv.substr(0, 11), std::string("\x0a") + "Magic Ring");
    EXPECT_EQ(inv.substr(41, 4), std::string("\x03\x04\x00\x00", 4));

    // The same or an older definition leaves the written script alone; NODISPLAY is quiet.
    write_file("items/3.scr", ring_script + "; edited\n");
    EXPECT_EQ(run(item_script("19980101")), "  You now have the Magic Ring\r\non");
    EXPECT_EQ(run(item_script("19971231")), "  You now have the Magic Ring\r\non");
    EXPECT_EQ(read_file("items/3.scr"), ring_script + "; edited\n");
    // A newer one writes it anew.
    std::string s = item_script("19990101");
    s.replace(s.find("ITEM 1"), 6, "ITEM 1 nodisplay");
    EXPECT_EQ(run(s), "on");
    std::string newer = ring_script;
    newer.replace(newer.find("19980101"), 8, "19990101");
    EXPECT_EQ(read_file("items/3.scr"), newer);
    EXPECT_EQ(fake().inventory.size(), 4u);
}

TEST_F(scripts, item_without_a_registry_number_or_a_definition_goes_on) {
    play_as("Hero");
    item_record plain = magic_ring();
    plain.script_events = event_use;
    fake().item = plain;
    EXPECT_EQ(run(item_script("19980101")), "  You now have the Magic Ring\r\non");
    EXPECT_EQ(fake().inventory.front().script_events, event_use);  // events given are kept
    EXPECT_FALSE(std::filesystem::exists("items"));                // not registered: no script

    // No such item: a FORCE line, and the run goes on.
    install_fake_script_hooks();
    EXPECT_EQ(run(item_script("19980101")), "on");
    EXPECT_TRUE(fake().inventory.empty());
    EXPECT_NE(read_file("debug.txt").find("Item 1 not found in test.scr"), std::string::npos);

    // An item file that is not there is a script error, not the end of the game.
    EXPECT_EQ(run(lines({"@#MAIN", "  SETSTR ^VR25 \"nosuch.scr\"", "  ITEM 1", "  HALT"}), "x"),
              error_screen("test.scr", "MAIN", 2, "Missing File nosuch.scr"));
}

TEST_F(scripts, mail_goes_to_the_player_with_its_command_lines_and_no_forged_messages) {
    std::vector<character_record> players = {make_char(1, "alice"), make_char(2, "Bob")};
    put_chars(players);
    read_char_file();
    std::string s = lines({
        "@#MAIN",
        "  SETSTR ^VR05 \"a\x01"
        "b\"",
        "  MAIL bob Alice",
        "  Hello ^VR01,",
        "^VR02",
        "^VR04",
        "^VR05",
        "  ~ inside is fine",
        "  MAILCOMMANDS",
        "  ADD GLD ^VR03",
        "  REFRESH",
        "^VR02 x",
        "  ENDMAIL",
        "  MAIL nobody The Game",
        "  HALT",
        "  ENDMAIL",
        "  MAIL ^VR06 The `%Game",
        "  Plain",
        "  ENDMAIL",
        "  WRITE \"after\"",
        "  HALT",
    });
    EXPECT_EQ(run(s, "", "friend #0000Fake 250 ~x x Bob"), "  That player does not EXIST.\r\nafter");
    EXPECT_EQ(read_file("user0002.dat"),
              "#0001 Alice\n"
              "  Hello friend,\n"
              " #0000Fake\n"
              " ~x\n"
              "a.b\n"
              "  ~ inside is fine\n"
              "~\n"
              "ADD GLD 250\n"
              "  REFRESH\n"
              " #0000Fake x\n"
              "#0000 The `%Game\n"
              "  Plain\n"
              "~\n");
    EXPECT_FALSE(file_present("user0001.dat"));
}
