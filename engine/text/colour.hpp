// The colour-code language of the game's texts, on the caller's screen and in files, and the
// small screen routines every location uses.
//
// A colour code is a backquote and one character, compared with case: "`1".."`9", "`0",
// "`!", "`@", "`#", "`$", "`%" the colours 1-15, "`c" clear screen, "`b" blink, "`m" the
// playing character's alias name, "`n" its proper-cased name, "``" one backquote. Any other
// code is dropped with its backquote. Without a playing character "`m" and "`n" are empty.
//
// strip_codes (the codes removed) lives with the look-ups (engine/text/lookups.hpp).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/store/records.hpp"
#include "engine/text/text_file.hpp"

// Shows a text: macros expanded when it holds "^" or "&", colour codes carried out through
// the door kit; no line end. Texts are short strings: cut at 255 characters.
void disp_text(std::string_view text);
// As disp_text, then a line end (CR LF). An empty text gives an empty line.
void disp_line(std::string_view text);
// As disp_text and disp_line with the colour codes only: "^" and "&" are text (the sysop's
// utility, whose screens show names and paths as they stand).
void disp_codes(std::string_view text);
void disp_codes_line(std::string_view text);
// Every line of the list with disp_line; an empty list shows nothing.
void dispdesc(const text_list& list);
// "`9      [ Hit any key ]", then waits for one key; no line end.
void hit_any_key();
// "`7  (" + each key followed by "," + "?)" and a line end: "ABQ" shows "  (A,B,Q,?)".
void disp_key_list(std::string_view keys);

// The ANSI form of a text for files: each colour code as its escape sequence ("`4" is
// ESC "[0;31m", "`%" ESC "[0;1m", "`c" ESC "[2J"), "`m"/"`n" the names, "`b" and "``"
// removed, and ESC "[0m" at the end. Never cut: a cut could split an escape sequence.
std::string codes_to_ansi(std::string_view text);

// Finds a player by part of a name: offers each character of char_list whose name (codes
// stripped, upper-cased) contains the text, asking "`9  You mean <name> (`3Y`9/`3N`9)
// [`%Y`9] : `%"; Y or Enter takes it. Null when every one is refused.
character_record* char_name_ptr(std::string_view part);
// Adds to the playing character's skill percentage of class 1-6 (W M T H R P): above 98 it
// becomes 99 with the advice to change class, 0 or below becomes 1. Other classes: nothing.
void add_skill_percent(int class_number, int amount);
// Lines typed at the prompt "`%: `3" until an empty line; each kept as "  " + the line.
text_list read_typed_lines();
// Lets the caller type a description line by line (an empty line ends); each line is kept
// as "  " + the line. Empty when nothing was typed ("Description Aborted.").
text_list enter_description();
