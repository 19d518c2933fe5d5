// String, number and date helpers, and the debug log.
#include <gtest/gtest.h>

#include "engine/engine_state.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/lookups.hpp"

TEST(strings, padding_and_zero_pad) {
    EXPECT_EQ(pad_left("abc", 5), "  abc");
    EXPECT_EQ(pad_left("abcdef", 3), "abc");
    EXPECT_EQ(pad_right("ab", 4), "ab  ");
    EXPECT_EQ(pad_right("abcdef", 2), "ab");
    EXPECT_EQ(pad_left("x", -1), "");
    EXPECT_EQ(zero_pad(2026, 2), "26");
    EXPECT_EQ(zero_pad(123456, 4), "3456");
    EXPECT_EQ(zero_pad(7, 2), "07");
    EXPECT_EQ(zero_pad(7, 4), "0007");
}

TEST(strings, comma_number_groups_threes_and_keeps_the_sign_apart) {
    EXPECT_EQ(comma_number(1234567), "1,234,567");
    EXPECT_EQ(comma_number(999), "999");
    EXPECT_EQ(comma_number(1000), "1,000");
    EXPECT_EQ(comma_number(0), "0");
    EXPECT_EQ(comma_number(-123), "-123");
    EXPECT_EQ(comma_number(-1234), "-1,234");
    EXPECT_EQ(comma_number(-123456), "-123,456");
}

TEST(strings, str_to_int_takes_the_whole_text_or_nothing) {
    EXPECT_EQ(str_to_int("12x"), 0);
    EXPECT_EQ(str_to_int("-5"), -5);
    EXPECT_EQ(str_to_int("+17"), 17);
    EXPECT_EQ(str_to_int("  42"), 42);
    EXPECT_EQ(str_to_int("42 "), 0);
    EXPECT_EQ(str_to_int(""), 0);
    EXPECT_EQ(str_to_int("-"), 0);
    EXPECT_EQ(str_to_int("2147483647"), 2147483647);
    EXPECT_EQ(str_to_int("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(str_to_int("2147483648"), 0);
    EXPECT_EQ(str_to_int("99999999999999999999"), 0);
    EXPECT_EQ(int_to_str(-40), "-40");
}

TEST(strings, rounding_takes_halves_to_even) {
    EXPECT_EQ(round_half_even(1.5), 2);
    EXPECT_EQ(round_half_even(2.5), 2);
    EXPECT_EQ(round_half_even(4.5), 4);
    EXPECT_EQ(round_half_even(-0.5), 0);
    EXPECT_EQ(round_half_even(-1.5), -2);
    EXPECT_EQ(round_half_even(2.4999), 2);
    EXPECT_EQ(round_half_even(1.07 * 100), 107);
}

TEST(strings, case_mapping_is_ascii_only) {
    EXPECT_EQ(upcase_str("abc\xe9z"), "ABC\xe9Z");
    EXPECT_EQ(lowcase_str("ABC\xc9Z"), "abc\xc9z");
    EXPECT_EQ(upcase_first("bob"), "Bob");
    EXPECT_EQ(lowcase_first("BOB"), "bOB");
    EXPECT_EQ(upcase_first(""), "");
}

TEST(strings, words_and_blanks) {
    EXPECT_EQ(collapse_spaces("a   b  c "), "a b c ");
    EXPECT_EQ(trim_leading("  a "), "a ");
    EXPECT_EQ(trim_trailing(" a  "), " a");
    EXPECT_EQ(word_count("  a   b c "), 3);
    EXPECT_EQ(word_count("   "), 0);
    EXPECT_EQ(word_at("  a   b c ", 2), "b");
    EXPECT_EQ(word_at("  a   b c ", 9), "c");
    EXPECT_EQ(word_at("  a   b c ", 1), "a");
    EXPECT_EQ(word_at("a b", 0), "");
    EXPECT_EQ(word_at("", 1), "");
}

TEST(strings, unquote_center_and_commas) {
    std::string s = "say \"hello there\" now";
    EXPECT_TRUE(unquote(s));
    EXPECT_EQ(s, "hello there");
    std::string one = "only \"one";
    EXPECT_FALSE(unquote(one));
    EXPECT_EQ(one, "only \"one");
    EXPECT_EQ(center_str(80, "abcd"), std::string(37, ' '));  // 40 - 2 - 1
    EXPECT_EQ(center_str(10, "abcde"), std::string(2, ' '));  // 5 - round(2.5)=2 - 1
    EXPECT_EQ(center_str(2, "abcdefgh"), "");
    std::string n = "1,234,567";
    strip_commas(n);
    EXPECT_EQ(n, "1234567");
}

TEST(strings, proper_case_words) {
    EXPECT_EQ(proper_case("  bOB   the  BRAVE  "), "Bob The Brave");
    EXPECT_EQ(proper_case("3rd knight"), "3Rd Knight");
    EXPECT_EQ(proper_case(""), "");
    EXPECT_EQ(proper_case("   "), "");
    // Colour codes in a name stay as stored: an upper-case letter after the mark is no code
    // and must not become one (`c clears the screen, `b blinks).
    EXPECT_EQ(proper_case("X`CBOB `BEN"), "X`Cbob `BEn");
    EXPECT_EQ(proper_case("`4BOB `!THE`% BOLD"), "`4Bob `!The`% Bold");
    EXPECT_EQ(proper_case("BOB`"), "Bob`");
}

TEST(strings, dates_from_the_clock) {
    fake_seam seam;
    seam.set_time(2026, 1, 15, 9, 5, 7);
    seam.time.hundredths = 3;
    EXPECT_EQ(date_time_str(), "Thursday 01/15/26  09:05:07:03");
    EXPECT_EQ(today_string(), "Thursday 01/15/26");
    EXPECT_EQ(date_stamp(), "20260115");
}

TEST(strings, unix_time_counts_leap_days_exactly) {
    fake_seam seam;
    seam.set_time(1970, 1, 1, 0, 0, 0);
    EXPECT_EQ(unix_time_now(), 0);
    seam.set_time(2000, 3, 1, 0, 0, 0);  // after the 29th of February of 2000
    EXPECT_EQ(unix_time_now(), 951868800);
    seam.set_time(2024, 2, 29, 12, 0, 0);
    EXPECT_EQ(unix_time_now(), 1709208000);
    seam.set_time(2026, 1, 15, 12, 30, 15);
    EXPECT_EQ(unix_time_now(), 1768480215);
    seam.set_time(2100, 3, 1, 0, 0, 0);  // past 32 bits: clamped, not wrapped
    EXPECT_EQ(unix_time_now(), 2147483647);
}

TEST(lookups, bit_mask_and_alias_names) {
    EXPECT_EQ(bit_mask(0), 1);
    EXPECT_EQ(bit_mask(30), 1 << 30);
    EXPECT_EQ(bit_mask(31), 0);
    EXPECT_EQ(bit_mask(-1), 0);
    // "Ab": ('A'*17 + 1) + ('b'*17 + 2) = 1106 + 1668 = 2774; 2774 mod 13 = 5.
    EXPECT_EQ(alias_index("Ab"), 5);
    EXPECT_EQ(alias_name("Ab"), "Balthazar");
    EXPECT_EQ(alias_index(""), 0);
    EXPECT_EQ(alias_name(""), "Wazucki");
}

TEST(debug_log, indent_and_forced_lines) {
    engine_state st;
    debug_log("Entering x");
    EXPECT_FALSE(file_present("debug.txt"));
    debug_enter("FORCE:Entering a");
    debug_enter("Entering b");
    debug_leave("Leaving b");
    EXPECT_EQ(debug_indent, "  ");
    debug_log("FORCE:inside");
    debug_leave("FORCE:Leaving a");
    EXPECT_EQ(read_file("debug.txt"), "Entering a\n  inside\nLeaving a\n");
    debug_mode = true;
    debug_enter("Entering c");
    debug_leave("Leaving c");
    debug_leave("Leaving too far");
    EXPECT_EQ(debug_indent, "");
    EXPECT_EQ(read_file("debug.txt"), "Entering a\n  inside\nLeaving a\nEntering c\nLeaving c\nLeaving too far\n");
}
