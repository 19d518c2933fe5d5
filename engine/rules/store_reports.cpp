// The one place where what storage reports reaches the caller: the texts of a file the game
// cannot use, the hold's wait, and the orderly exit with the code storage named.
#include <cstdlib>
#include <string>
#include <string_view>

#include "door/door.hpp"
#include "engine/rules/maintenance.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/store_status.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/hooks.hpp"

namespace {
// The door kit holds off a hang-up while this node holds the hold.
bool door_told = false;

// A file the game cannot use: its name and the reason on a line of their own, then the
// orderly exit with the file's code.
[[noreturn]] void failed(const store_status& s, std::string_view verb) {
    // The orderly exit's own saves may fail the same way: the caller reads it once.
    static std::string last_shown;
    std::string line = "Could not " + std::string(verb) + " " + s.file + " : " + s.reason;
    if (!halting() && line != last_shown) hook_disp_line("`4" + line);
    last_shown = line;
    end_prog(s.code);
}

void write_failed(const store_status& s) {
    if (halting()) return;
    failed(s, "write");
}

// The wait's display: the header once, then WAITING and ....... alternating in place.
void hold_waiting(const store_status& s) {
    if (s.first) {
        clear_screen();
        hook_disp_str("`9  Temporary hold placed on file activity :        `4");
    }
    write_str(std::string(7, '\b') + (s.count % 2 == 0 ? "WAITING" : "......."));
    flush_output();
}

void hold_taken() {
    // While the program is already ending the kit's carrier handling is over.
    if (!halting()) {
        door_hold_raise();
        door_told = true;
    }
    // A daily maintenance that was cut off after its day was complete is finished before
    // anything else is written, so nothing written meanwhile is overwritten by it.
    finish_staged_day();
}

void hold_released() {
    if (!door_told) return;
    door_told = false;
    // Lowering may end the program when the caller hung up meanwhile (the hold is already
    // gone by then); while the program is ending it must not start over.
    if (!halting()) door_hold_lower();
}

void own_character_gone(const store_status& s) {
    if (program_ending()) return;
    debug_log("FORCE:The playing character is gone from players.dat; nothing of it is saved");
    hook_disp_line("`9  Your character is no longer in the realm: it was removed while you were away.");
    end_prog(s.code);
}

void show(const store_status& s) {
    switch (s.event) {
    case store_event::file_busy: failed(s, "open");
    case store_event::read_failed:
    case store_event::registry_unreadable: failed(s, "read");
    case store_event::hold_too_long: end_prog(s.code);
    case store_event::write_failed: write_failed(s); return;
    case store_event::players_new:
        // On a line of its own, also after a key wait that left the cursor on its line.
        fresh_line();
        hook_disp_line("`9Starting new Character `4FILE`9");
        return;
    case store_event::players_corrupt:
        hook_disp_line("`9Player file `4CORRUPTED `9Please inform SysOp");
        end_prog(s.code);
    case store_event::players_missing: hook_disp_line("  `9Error : Character file missing."); end_prog(s.code);
    case store_event::own_character_gone: own_character_gone(s); return;
    case store_event::guilds_corrupt:
        hook_disp_line("`9Guild file `4CORRUPTED `9Please inform SysOp");
        end_prog(s.code);
    case store_event::stat_new: hook_disp_line("`9Stat File Not Found : `4HOLD"); return;
    case store_event::stat_corrupt: hook_disp_line("`9Stat file `4CORRUPTED `9Please inform SysOp"); end_prog(s.code);
    case store_event::hold_waiting: hold_waiting(s); return;
    case store_event::hold_overdue:
        write_line();
        hook_disp_line("`9  File Activity has been held too long, Please inform SysOp.");
        return;
    case store_event::hold_taken: hold_taken(); return;
    case store_event::hold_released: hold_released(); return;
    }
}
}  // namespace

// Installed before main in every program on the engine (engine/CMakeLists.txt keeps this
// unit linked), so that no report of storage goes unhandled.
extern "C" const bool qv_store_reports_installed;
extern "C" const bool qv_store_reports_installed = (set_store_report(show), true);
