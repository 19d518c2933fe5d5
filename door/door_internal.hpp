// Terminal state kept by the kit itself; the game never reads it.
#pragma once
#include <string>
#include <string_view>
#include <utility>

#include "door/door.hpp"

namespace door_state {
extern int line_counter;       // starts at 1
extern int page_length;        // 25 rows
extern bool paging;            // never switched on by this system
extern bool command_stacking;  // on after door_init
extern std::string stacked;    // stacked commands of read_line
extern int pending_key;        // -1 none; a byte from the line not yet decoded
extern int decoded_key;        // -1 none; a lone ESC already told from a key sequence
extern std::string stuffed;    // stuffed keys
extern std::string macro;      // Ctrl-N macro text
extern bool link_ready;        // purge_io has set up the link
extern int hold_count;         // holds this node has raised (see door_hold_raise)
extern bool in_carrier_exit;   // carrier_lost_exit has begun
extern bool utf8_console;      // the PC character set goes out as UTF-8 (local console)

// True when the console's locale (LC_ALL, else LC_CTYPE, else LANG) reads UTF-8.
bool locale_is_utf8();

// Writes bytes straight to standard output, bypassing the buffer (error texts, carrier text).
void write_direct(std::string_view s);
// Drops everything buffered for the caller.
void discard_output();
// A new session: the cursor at the start of a line, nothing sent yet.
void reset_cursor();
// At the very end of a session that sent anything: the last line ended and the colours reset,
// so what the terminal shows next (the shell's or the BBS's prompt) starts clean.
void end_screen();

// True while the caller is there. When the carrier is gone it marks the loss and ends the
// program through carrier_lost_exit, unless the exit must wait (a hold is raised, the exit
// has begun, the program is already halting): then it returns false.
bool carrier_ok();
// Waits up to ms for standard input to become readable (a hang-up cuts the wait short).
bool wait_readable(int ms);
// One byte from standard input if one can be read now: -1 when none. End of input and read
// errors mark the carrier lost. A NUL byte is not a key, and an LF right after a CR is the
// second half of one Enter.
int take_byte();
// Waits for a key byte for as long as the caller is there; -1 when the carrier is gone and
// the exit must wait.
int wait_byte();
// Plain line input for the local log-on (no kit echo or editing): up to CR or LF.
std::string read_plain_line();
// Puts standard input into raw mode when it is a terminal; the saved settings come back at
// every way out.
void enter_raw_mode();
void restore_terminal();
}  // namespace door_state

// Splits a full-name line: upper-cased, the first name up to the first blank, the rest the
// last name.
std::pair<std::string, std::string> split_full_name(std::string_view full);
// The stop for a drop file that was read but names no caller: the drop file's own message for
// the screen; the debug log is told at once what was really wrong.
door_stop no_caller_stop(std::string message);
// The drop-file types that are no text file.
door_stop local_logon_read();
door_stop read_pcboard_sys(int type);
