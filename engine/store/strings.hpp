// Short-string, number and date helpers shared by the game and the sysop's utility.
// Texts are short strings (at most 255 characters); results longer than that are cut.
// Case mapping is ASCII-only; number conversion takes the whole text or nothing.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// ---- Padding and numbers ----
// Cut to width, then blanks in front up to width (right-justified).
std::string pad_left(std::string_view text, int width);
// Cut to width, then blanks behind up to width (left-justified).
std::string pad_right(std::string_view text, int width);
// The decimal number with zeros in front, keeping the last width characters
// (123456 at width 4 is "3456", 7 at width 2 is "07").
std::string zero_pad(std::int64_t number, int width);
// Digits grouped in threes with ","; a negative number reads "-1,234".
std::string comma_number(std::int64_t number);
// The whole text as a signed 32-bit decimal (leading blanks and one sign allowed); any
// other character, an empty text or a number outside 32 bits gives 0.
std::int32_t str_to_int(std::string_view text);
std::string int_to_str(std::int64_t number);
// Rounds halves to the even neighbour, as every rounding of the game does.
std::int64_t round_half_even(double x);
// The nearest whole number, halves to even: the fights' and the skills' name for it.
inline std::int64_t nearest(double x) { return round_half_even(x); }

// ---- Case and blanks (ASCII letters only) ----
std::string upcase_first(std::string_view text);
std::string lowcase_first(std::string_view text);
std::string upcase_str(std::string_view text);
std::string lowcase_str(std::string_view text);
// Every run of two or more blanks becomes one blank.
std::string collapse_spaces(std::string_view text);
std::string trim_leading(std::string_view text);
std::string trim_trailing(std::string_view text);
// Number of blank-separated words (0 for an empty or blank text).
int word_count(std::string_view text);
// The n-th word from 1; n above the count gives the last word; n < 1 or no words gives "".
std::string word_at(std::string_view text, int n);
// When the text holds two double quotes it becomes what stands between the first two and
// the result is true; otherwise the text is unchanged and the result false.
bool unquote(std::string& text);
// The blanks to put in front of a text to centre it in width: round(width/2) -
// round(length/2) - 1 of them (halves to even), none when that is below 1.
std::string center_str(int width, std::string_view text);
// Every "," removed.
void strip_commas(std::string& text);
// Each word lower-cased with its first letter a..z raised, words joined by one blank.
std::string proper_case(std::string_view text);

// Control bytes (below 32, and DEL) become "." so that typed or sent text can never turn
// into structure, a line end or a terminal command on another node.
std::string controls_to_dots(std::string_view text);

// ---- Dates and times, from the clock of door/sys.hpp ----
// "Thursday 01/15/26  12:00:00:00" (weekday, MM/DD/YY, two blanks, HH:MM:SS:hh).
std::string date_time_str();
// As date_time_str with the whole year: "Thursday 01/15/2026  12:00:00:00".
std::string date_time_text();
// "Thursday 01/15/26".
std::string today_string();
// "20260115".
std::string date_stamp();
// Seconds since 1970-01-01 00:00 of the local clock (leap days counted exactly).
std::int32_t unix_time_now();
