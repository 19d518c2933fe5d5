// Timed events of "events.dat" and the random events of "random.scr": the file read line by
// line, each event firing once at the first check of its minute under a replaced clock, a
// missed minute never blocking the day, and the random events following the replaced dice,
// the percentage, the maximum and the counters that all nodes share.
#include <gtest/gtest.h>

#include "engine/runner_state.hpp"
#include "engine/text/flags.hpp"
#include "support/child.hpp"

namespace {
struct events : runner_state {
    events() {
        // Monday 12 January 2026, 08:00.
        seam.set_time(2026, 1, 12, 8, 0);
        auto_frequency_adjust = -1;
    }

    // One check at hh:mm; what it showed, and whether it said a script ran.
    std::pair<std::string, bool> check_at(int hour, int minute) {
        seam.set_time(2026, 1, 12, hour, minute);
        input_feed none;
        bool ran = Check_For_Random_Event();
        return {out.take(), ran};
    }

    // A script that says its parameter.
    static void say_script(const std::string& name) {
        write_file(name, lines({"@#MAIN", "  WRITELN \"" + name + " ^VR01\"", "  HALT"}));
    }

    struct row {
        std::string time, script, params;
        bool operator==(const row&) const = default;
    };
    static std::vector<row> rows() {
        std::vector<row> r;
        for (const event_entry& e : event_list) r.push_back({e.time.str(), e.script.str(), e.params.str()});
        return r;
    }
};

std::ostream& operator<<(std::ostream& o, const events::row& r) {
    return o << r.time << " " << r.script << " [" << r.params << "]";
}
}  // namespace

TEST_F(events, events_dat_is_read_line_by_line_into_todays_events) {
    write_file("events.dat", lines({
                                 "; a comment",
                                 "",
                                 "* * * * 12 05 \"town.scr HELLO\"",
                                 "Mon * * * 9 0 \"mon.scr\"",
                                 "Tue * * * 9 0 \"tue.scr\"",
                                 "mon 12 1 2026 10 30 \"exact.scr a  b\"",
                                 "* 13 * * 11 00 \"other.scr\"",
                                 "* * 2 * 11 00 \"february.scr\"",
                                 "* * * 2025 11 00 \"last_year.scr\"",
                                 "* * * * 12 05",
                                 "* * * * 12 \"five_words.scr\"",
                                 "* * * * 7 59 \"\"",
                                 "   ",
                                 "* * * * 23 59 \" late.scr  x\"",
                                 "* * * * 24 00 \"midnight.scr\"",
                                 "* * * * 9 60 \"sixty.scr\"",
                                 "* * * * nine 5 \"nine.scr\"",
                             }));
    read_event_file();
    EXPECT_EQ(rows(), (std::vector<row>{{"1205", "town.scr", "HELLO"},
                                        {"0900", "mon.scr", ""},
                                        {"1030", "exact.scr", "a  b"},
                                        {"2359", "late.scr", " x"}}));
    for (const event_entry& e : event_list) EXPECT_EQ(e.done, 0);
    EXPECT_EQ(out.take(), "We have a winner!\r\nWe have a winner!\r\nWe have a winner!\r\nWe have a winner!\r\n");
    ASSERT_NE(next_event, nullptr);
    EXPECT_EQ(next_event->script, "mon.scr");
    std::string log = debug_text();
    EXPECT_NE(log.find("ERROR : Line in Events file \"events.dat\" does not contain a script name.\n"
                       "  * * * * 12 05\n"),
              std::string::npos);
    EXPECT_NE(log.find("  * * * * 7 59 \"\"\n"), std::string::npos);
    EXPECT_NE(log.find("does not hold its six date and time words.\n  * * * * 12 \"five_words.scr\"\n"),
              std::string::npos);
    for (const char* bad_time : {"24 00 \"midnight", "9 60 \"sixty", "nine 5 \"nine"})
        EXPECT_NE(log.find("does not hold a time of day.\n  * * * * " + std::string(bad_time)), std::string::npos);
    // The sysop's listing.
    list_events(event_list);
    EXPECT_EQ(out.take().substr(0, 40), "1205\r\ntown.scr\r\nHELLO\r\n0900\r\nmon.scr\r\n\r\n");
}

TEST_F(events, without_events_dat_there_are_no_timed_events) {
    read_event_file();
    EXPECT_TRUE(event_list.empty());
    EXPECT_EQ(next_event, nullptr);
    EXPECT_EQ(out.take(), "");
}

TEST_F(events, the_next_event_is_the_earliest_after_this_minute_and_the_first_of_equal_times) {
    add_event(event_list, "1205", "a.scr", "");
    add_event(event_list, "1130", "b.scr", "");
    add_event(event_list, "1130", "c.scr", "");
    add_event(event_list, "0700", "d.scr", "");
    seam.set_time(2026, 1, 12, 11, 0);
    pick_next_event(event_list);
    EXPECT_EQ(next_event->script, "b.scr");
    seam.set_time(2026, 1, 12, 11, 30);  // an entry at this very minute is not picked
    pick_next_event(event_list);
    EXPECT_EQ(next_event->script, "a.scr");
    seam.set_time(2026, 1, 12, 12, 5);
    pick_next_event(event_list);
    EXPECT_EQ(next_event, nullptr);
}

TEST_F(events, a_timed_event_fires_once_at_the_first_check_of_its_minute) {
    say_script("one.scr");
    say_script("two.scr");
    say_script("three.scr");
    write_file("events.dat", lines({"* * * * 12 05 \"one.scr HELLO\"", "* * * * 12 05 \"two.scr\"",
                                    "* * * * 12 07 \"three.scr x\""}));
    read_event_file();
    out.take();
    EXPECT_EQ(check_at(12, 4), std::make_pair(std::string(), false));
    EXPECT_EQ(check_at(12, 5), std::make_pair(std::string("one.scr HELLO\r\n"), true));
    EXPECT_EQ(event_list.front().done, 1);
    EXPECT_FALSE(in_event);
    // Once a minute: the second event of 12:05 became next only after its minute had begun.
    EXPECT_EQ(check_at(12, 5), std::make_pair(std::string(), false));
    EXPECT_EQ(next_event->script, "three.scr");
    EXPECT_EQ(check_at(12, 6), std::make_pair(std::string(), false));
    EXPECT_EQ(check_at(12, 7), std::make_pair(std::string("three.scr x\r\n"), true));
    EXPECT_EQ(next_event, nullptr);
    EXPECT_EQ(check_at(12, 7), std::make_pair(std::string(), false));
}

TEST_F(events, a_missed_minute_is_marked_done_and_never_blocks_the_next_event) {
    say_script("early.scr");
    say_script("later.scr");
    write_file("events.dat", lines({"* * * * 12 05 \"early.scr\"", "* * * * 12 10 \"later.scr\""}));
    read_event_file();
    out.take();
    EXPECT_EQ(check_at(12, 4).second, false);
    // The player spent 12:05 and 12:06 somewhere that does not poll.
    EXPECT_EQ(check_at(12, 7), std::make_pair(std::string(), false));
    EXPECT_EQ(event_list.front().done, 1);
    EXPECT_EQ(next_event->script, "later.scr");
    EXPECT_EQ(check_at(12, 10), std::make_pair(std::string("later.scr \r\n"), true));
}

TEST_F(events, an_event_due_in_the_minute_a_missed_one_is_found_still_runs) {
    say_script("early.scr");
    say_script("later.scr");
    say_script("last.scr");
    write_file("events.dat", lines({"* * * * 12 05 \"early.scr\"", "* * * * 12 07 \"later.scr\"",
                                    "* * * * 12 07 \"twin.scr\"", "* * * * 12 09 \"last.scr\""}));
    read_event_file();
    out.take();
    EXPECT_EQ(check_at(12, 4).second, false);
    // Back at 12:07, after missing 12:05: the first event of 12:07 runs, its twin does not.
    EXPECT_EQ(check_at(12, 7), std::make_pair(std::string("later.scr \r\n"), true));
    EXPECT_EQ(check_at(12, 7), std::make_pair(std::string(), false));
    EXPECT_EQ(next_event->script, "last.scr");
    // Everything missed until the day ends: nothing runs, nothing is left next.
    EXPECT_EQ(check_at(12, 30), std::make_pair(std::string(), false));
    EXPECT_EQ(next_event, nullptr);
}

TEST_F(events, an_event_script_runs_with_in_event_set_and_a_missing_one_is_reported) {
    write_file("flagged.scr", lines({"@#MAIN", "  WRITELN \"running\"", "  HALT"}));
    set_exec_flag_command_hook([](std::string_view, std::string_view, const std::string&, std::string_view,
                                  std::string_view, int, script_vars&) {
        write_line(in_event ? "in event" : "not in event");
        return false;
    });
    add_event(event_list, "1205", "flagged.scr", "");
    add_event(event_list, "1206", "gone.scr", "");
    seam.set_time(2026, 1, 12, 12, 0);
    pick_next_event(event_list);
    EXPECT_EQ(check_at(12, 5).first, "in event\r\n");
    EXPECT_FALSE(in_event);
    seam.set_time(2026, 1, 12, 12, 6);
    input_feed key("x");
    EXPECT_TRUE(Check_For_Random_Event());
    EXPECT_EQ(out.take(), "  Script file MISSING. (gone.scr)  Please inform SysOp.\r\n      [ Hit any key ]");
}

namespace {
// random_real gives roll / 2^30.
constexpr int hit = 0;
constexpr int last = (1 << 30) - 1;

struct random_events : events {
    random_events() {
        write_file("random.scr",
                   lines({"@#MAIN", "  Gosub ^VR01", "  Halt", "@#RANDOMEVENT_ONE", "  WRITELN \"one\"", "  Return",
                          "@#OTHER", "  Return", "@#randomevent_two", "  WRITELN \"two\"", "  Return",
                          "@#RandomEvent_Three", "  WRITELN \"three ^VR01\"", "  Return", "@#"}));
        random_event_percentage = 0.5;
        max_random_events = 2;
    }
    std::string counter(const char* name) { return return_flag(name, "mainflag.dat", "FLAGS"); }
    // One check with these dice: the draw against the percentage, then the pick.
    std::pair<std::string, bool> check_with(std::initializer_list<int> dice) {
        seam.rolls.assign(dice);
        input_feed none;
        bool ran = Check_For_Random_Event();
        return {out.take(), ran};
    }
};
}  // namespace

TEST_F(random_events, a_hit_runs_one_of_the_randomevent_sections_and_counts_it) {
    EXPECT_EQ(check_with({hit, hit}), std::make_pair(std::string("one\r\n"), true));
    EXPECT_EQ(counter("NUM_EVENTS_CALLED"), "1");
    EXPECT_EQ(counter("NUM_EVENTS_RUN"), "1");
    // The last of the three sections, in file order, any case; the section's name is the
    // parameter.
    EXPECT_EQ(check_with({hit, last}), std::make_pair(std::string("three RANDOMEVENT_THREE\r\n"), true));
    // Counted with reset class 2 (never expires).
    EXPECT_NE(read_file("mainflag.dat").find("NUM_EVENTS_RUN 2 2\n"), std::string::npos);
}

TEST_F(random_events, the_percentage_decides_with_the_replaced_dice) {
    random_event_percentage = 0.00002;  // about one check in 50,000
    EXPECT_EQ(check_with({21475, hit}), std::make_pair(std::string(), false));
    EXPECT_EQ(counter("NUM_EVENTS_CALLED"), "-1");
    EXPECT_EQ(check_with({21474, hit}), std::make_pair(std::string("one\r\n"), true));
    EXPECT_EQ(counter("NUM_EVENTS_CALLED"), "1");
    random_event_percentage = 0;
    EXPECT_EQ(check_with({hit, hit}).second, false);
}

TEST_F(random_events, the_maximum_holds_across_all_nodes_until_the_counter_is_reset) {
    check_with({hit, hit});
    check_with({hit, hit});
    EXPECT_EQ(check_with({hit, hit}), std::make_pair(std::string(), false));
    EXPECT_EQ(counter("NUM_EVENTS_CALLED"), "3");
    EXPECT_EQ(counter("NUM_EVENTS_RUN"), "2");
    // The sysop resets the counter; two nodes then draw at once: neither loses a count and
    // together they run no more than the maximum.
    remove_flag("NUM_EVENTS_RUN", "mainflag.dat", "FLAGS");
    max_random_events = 5;
    auto node = [this] {
        for (int i = 0; i < 10; ++i) {
            seam.rolls.assign({hit, hit});
            Check_For_Random_Event();
        }
    };
    pid_t a = start_child(node);
    pid_t b = start_child(node);
    EXPECT_EQ(wait_child(a).code, 0);
    EXPECT_EQ(wait_child(b).code, 0);
    EXPECT_EQ(counter("NUM_EVENTS_CALLED"), "23");
    EXPECT_EQ(counter("NUM_EVENTS_RUN"), "5");
}

TEST_F(random_events, no_random_event_runs_inside_another_event_or_without_sections) {
    in_event = true;
    EXPECT_EQ(check_with({hit, hit}), std::make_pair(std::string(), false));
    EXPECT_EQ(counter("NUM_EVENTS_CALLED"), "1");
    EXPECT_EQ(counter("NUM_EVENTS_RUN"), "-1");
    in_event = false;
    // A random.scr without RANDOMEVENT_ sections runs nothing (the draw still counts).
    write_file("random.scr", lines({"@#MAIN", "  Gosub ^VR01", "  Halt", "@#"}));
    EXPECT_EQ(check_with({hit, hit}), std::make_pair(std::string(), false));
    EXPECT_EQ(counter("NUM_EVENTS_RUN"), "1");
}

TEST_F(events, check_frequency_follows_the_time_between_checks) {
    auto_frequency_adjust = 1;
    check_frequency = 45;
    last_clock_sample = 0;
    auto check_at_hundredths = [&](int second, int hundredths) {
        seam.set_time(2026, 1, 12, 9, 0, second);
        seam.time.hundredths = hundredths;
        Check_For_Random_Event();
        return check_frequency;
    };
    EXPECT_EQ(check_at_hundredths(0, 10), 145);  // 10 is less than 0 + 15: more polls between checks
    EXPECT_EQ(check_at_hundredths(0, 30), 45);   // 30 is more than 10 + 15: fewer
    EXPECT_EQ(check_at_hundredths(0, 45), 45);   // exactly 15 later: unchanged
    EXPECT_EQ(check_at_hundredths(2, 0), -55);
    EXPECT_EQ(last_clock_sample, 200);
    // Without AUTO_FREQUENCY_ADJUST 1 it stays.
    auto_frequency_adjust = 0;
    EXPECT_EQ(check_at_hundredths(0, 0), -55);
}
