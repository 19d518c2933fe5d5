// What storage reports instead of talking to the caller: a file it could not use, a file it
// is about to start afresh, the hold's wait. Storage never shows a text and never ends the
// program; it hands a status to the one report handler, which the layers above install
// (engine/rules/store_reports.cpp: today's texts, and the orderly exit with the code).
//
// A report of a failure does not return unless the program is already ending (the handler
// then lets the saves of the orderly exit go on); a notice always returns.
#pragma once
#include <string>

enum class store_event {
    file_busy,            // a file stayed busy through the wait (code: the file's)
    write_failed,         // a write failed (reason: the system's)
    read_failed,          // a file could not be read (reason: the system's)
    players_new,          // notice: no "players.dat" yet, a new one is started
    players_corrupt,      // "players.dat" could not be read
    players_missing,      // "players.dat" gone after it was read
    own_character_gone,   // the playing character was deleted meanwhile
    guilds_corrupt,       // "guilds.dat" could not be read
    stat_new,             // notice: no "quorstat.dat" yet, the defaults are written
    stat_corrupt,         // "quorstat.dat" could not be read or is empty
    registry_unreadable,  // the item registry could not be read
    hold_waiting,         // notice: another node holds the hold (count: checks so far)
    hold_overdue,         // notice: the hold stayed held through every check
    hold_too_long,        // ... and so the game ends
    hold_taken,           // notice: this node took the hold
    hold_released,        // notice: this node released it
};

struct store_status {
    store_event event;
    std::string file;
    std::string reason = {};  // the system's reason, where there is one
    int code = 0;             // the exit code a failure ends with (exit_codes.hpp)
    int count = 0;            // the hold's wait: checks so far
    bool first = false;       // the hold's wait: the first check of this wait that found it held
};

using store_report_fn = void (*)(const store_status& status);
// Installs the handler; null leaves reports unhandled, which aborts at the first failure
// (every program on the engine has the handler: see engine/CMakeLists.txt).
void set_store_report(store_report_fn f);
void report_store(const store_status& status);
// The system's reason for the last failed call (errno, EIO when it is not set).
std::string system_reason();
