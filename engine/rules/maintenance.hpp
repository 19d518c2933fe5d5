// The daily maintenance: the game day rolls over once per calendar date. It runs in two forms
// over the same day steps: auto_maintenance for "quorvath MAINT" (no caller: it loads the
// data files itself and writes plain lines to standard output) and daily_maintenance, run by
// the first caller who enters the realm on a new date (on the lists already loaded, shown to
// the caller).
//
// The day steps, in order: "debug.txt" moved to "debug.old"; the new day; characters idle
// beyond the grace days deleted with their mailbox and flag files; bank interest (mailed to
// characters playing on other nodes); the dead revived; leaderless guilds given a leader or
// deleted; the day's flags of "mainflag.dat" expired; the news files rotated and today's
// started; the weekly lottery on every seventh day; the statistics, character and guild files
// written back.
//
// Between nodes: the maintenance holds the hold from before it reads the files it changes
// until it has written them all, re-reads the statistics under it and skips the day steps
// when another node has already run them today; so it runs once a date however many nodes
// start it, and no change another node saved meanwhile is lost. Every way out of the program
// releases the hold, a hang-up included (the orderly exit and the exit handler), and a
// caller's hang-up during the in-play form takes effect only once the files are written.
//
// Safe to kill and to run again: the day is first written completely beside the files it
// changes ("players.day", "guilds.day", "quorstat.day", a "user<NNNN>.day" of letters per
// mailbox), then put in place, the statistics last; a run killed or failing before the staged
// statistics exist leaves the files as they were, one killed after is finished by the next
// node that takes the hold. Each character is paid once, each letter sent once, and the day
// is marked done only when all of it is written.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/store/records.hpp"

// ---- The two forms ----
// The console form, for "quorvath MAINT". Backups "players.old" and "guilds.old" are written
// at every run; on a date whose maintenance has run it writes "Maintenance has already been
// run today" and changes nothing else.
void auto_maintenance();
// The in-play form, for the entry menu once the statistics say the date's maintenance has
// not run. Never deletes the playing character (cur_char, which may be null) and pays its
// interest directly. Ends with a key wait.
void daily_maintenance();
// Finishes a day that a maintenance staged completely but was cut off (killed, or a write
// failed) before it was marked done: the staged files replace the real ones, the letters are
// delivered, the flags expire and the news move down, the statistics last. Nothing when no
// day is staged. Runs whenever a node takes the hold.
void finish_staged_day();
// The draw of the week: every character enters its name max(1, luck) times; the winner is
// mailed the pot (game_stats.floating_gold), which becomes 0. With no character the pot is
// kept and nobody is mailed.
void weekly_lottery();
// A day's bank interest paid into the account: round(bank x (interest / 100 + 1)), halves to
// even, held at the bank's limit.
void pay_interest(character_record& c);
// "Yes" or "No".
std::string yes_no_text(bool value);

// ---- Console twins (used by auto_maintenance; plain lines to standard output) ----
// Waits while another node holds the hold: "  Temporary hold placed on file activity :
// " after a console clear, then "WAITING" and "......." in place; 41 checks 500 ms apart,
// then "  File Activity has been held too long, Please inform SysOp." and code 13. Returns at
// once when this node holds the hold. Always false.
bool check_hold_console();
// The busy-file wait: "\"<name>\" already open : HOLD", then WAITING / ....... on the word
// HOLD after each try; busy after 41 tries: "\"<name>\" file stuck OPEN" and the file's code.
// result receives the last try's code.
int file_available_console(const std::string& name, int& result);
// The same wait with other texts: the line after the quoted name on the first row, the line
// after it when the file stays stuck, the exit code then (-1: the file's own), and how a line
// is shown.
struct console_busy_texts {
    std::string_view hold_tail;
    std::string_view stuck_tail;
    int exit_code;
    void (*show_line)(std::string_view text);
};
int file_available_console(const std::string& name, int& result, const console_busy_texts& texts);
// The readers: "Starting new Character FILE" / "Player file CORRUPTED Please inform SysOp"
// (code 3); "Stat File Not Found : HOLD" and the defaults written / "Stat file CORRUPTED
// Please inform SysOp" (code 2); no guild file: an empty list / "Guild file CORRUPTED Please
// inform SysOp" (code 19).
void read_char_file_console();
void read_stat_file_console(stat_record& r);
void read_guild_file_console();
// Writes char_list to the named file under the hold, never merging.
void write_char_file_console(const std::string& name);
// Writes guild_list to the named file; an empty list leaves the file as it is.
void write_guild_file_console(const std::string& name);
// One plain line to standard output (after what the door kit has buffered).
void console_line(std::string_view text);
// While it lives, every wait for the hold is shown in the console form of check_hold_console.
struct console_hold_display {
    console_hold_display();
    ~console_hold_display();
    console_hold_display(const console_hold_display&) = delete;
    console_hold_display& operator=(const console_hold_display&) = delete;
};

// ---- What the maintenance reaches in other parts of the game ----
// Each is a plain function pointer with a setter; passing null restores the default.
//
// Appends the day's town story to today's news. The news part installs random_news_event.
// Default: nothing.
using random_news_event_fn = void (*)();
void set_random_news_event_hook(random_news_event_fn f);
void hook_random_news_event();
