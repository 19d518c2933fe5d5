#include "engine/text/exit.hpp"

#include <csignal>
#include <exception>
#include <signal.h>
#include <string>
#include <unistd.h>

#include "door/door.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/lookups.hpp"

namespace {
bool end_prog_started = false;
int end_prog_code = 0;
bool runtime_error = false;
// The pending death: the settlement of a fatal blow that the player's own items may still
// undo. The fight fills it as the blow lands (player_death in game/death_settlement.cpp, through
// arm_death) and empties it once the blow is settled or undone. Every exit that saves the
// playing character runs it first (end_prog, save_character), and so does the death screen
// (player_killed), so that no save finds the fallen character standing. Empty: nothing runs.
std::function<void()> pending_death;
// The status an uncaught error ends with (the run-time library's "unhandled exception").
constexpr int runtime_error_code = 217;

// A "line" text of the exit handler: straight to standard output, after what the kit has
// buffered. Nothing goes out once the caller is gone.
void out_line(std::string_view text) {
    flush_output();
    if (carrier_lost || !carrier_present) return;
    std::string s(text);
    s += "\r\n";
    const char* p = s.data();
    std::size_t left = s.size();
    while (left > 0) {
        ssize_t n = ::write(1, p, left);
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void tell_others_we_left(int code) {
    if (!cur_char) return;
    const node_line message(node_verb::leaverealm, int_to_str(cur_char->number) + " " + int_to_str(code));
    const on_line_now on_line;
    for (const auto& c : char_list)
        if (c.name.view() != cur_char->name.view() && on_line(c)) hook_send_node_message(c, message);
}

// The playing character offline in "players.dat" (with refresh); a fatal blow not yet
// settled is settled first, so the character is saved as the blow left it.
void save_character() {
    if (!cur_char) return;
    settle_armed_death();  // the fight's pending death, if any
    cur_char->online = 0;
    write_char_file(true);
}

// "guilds.dat" re-read and written back under the hold.
void save_guilds() {
    update_guilds_under_hold([] {});
}

struct exit_row {
    int code;
    const char* debug;  // debug line; the name follows for the rows that name the player
    bool with_name;
    const char* text;
    bool text_is_line;  // written straight to standard output, else shown with disp_line
    enum { none, full, guilds_only } save;
};

const exit_row exit_rows[] = {
    {2, "### Stat File Corrupted", false, "Corrupt Stat File", false, exit_row::full},
    {3, "### Character File Corrupted", false, "Corrupt Char File", false, exit_row::none},
    {4, "### Weapon/Armor/Shield File Corrupted", false, "Corrupt Weapon/Armor/Shield File", false, exit_row::full},
    {5, "### File Stuck Open", false, "File Stuck Open", false, exit_row::full},
    {6, "### Stat File Stuck Open", false, "Stat File Stuck Open", false, exit_row::full},
    {7, "### Text File Stuck Open", false, "Text File Stuck Open", false, exit_row::full},
    {8, "### Char File Stuck Open", false, "Char File Stuck Open", false, exit_row::guilds_only},
    {9, "### Weapon File Stuck Open", false, "Weapon File Stuck Open", false, exit_row::full},
    {10, "### Armor File Stuck Open", false, "Armor File Stuck Open", false, exit_row::full},
    {11, "### Shield File Stuck Open", false, "Shield File Stuck Open", false, exit_row::full},
    {12, "### Critical File Missing", false, "Missing Critical File", false, exit_row::full},
    {13, "### File Activity Held", false, "File Activity Held, cannot Save Character", false, exit_row::none},
    {14, "### Carrier Dropped on ", true, "Carrier Dropped", true, exit_row::full},
    {15, "### Time Limit Exceeded on ", true, "Time Limit Exceeded", true, exit_row::full},
    {16, "### SysOp Booted ", true, "Char Booted", true, exit_row::full},
    {17, "### Quillmarch Error (probably cannot find dropfile) ", false, "Quillmarch Error", false, exit_row::none},
    {18, "### Bad Parameter in Quillmarch Initialization File", false, "Quillmarch Parameter Error", true,
     exit_row::none},
    {19, "### Guild File corrupted", false, "Guild File Corrupted", false, exit_row::none},
};

void run_row(const exit_row& row) {
    debug_log(std::string(row.debug) + (row.with_name ? own_proper_name() : ""));
    auto text = [&] {
        if (row.text_is_line)
            out_line(row.text);
        else
            hook_disp_line(row.text);
    };
    if (row.save == exit_row::guilds_only) {
        text();
        save_guilds();
        return;
    }
    if (row.save == exit_row::full) {
        save_character();
        save_guilds();
    }
    text();
}

// The caller hung up: saved as at a normal end, as for code 14; the status stays 0.
void carrier_lost_saves() {
    const exit_row& row = exit_rows[14 - 2];
    debug_log(std::string(row.debug) + own_proper_name());
    // Before log-on nothing of this session is worth saving, and the statistics in memory
    // may not even be read yet: written back, they would wipe the sysop's settings.
    if (!cur_char) return;
    save_character();
    write_stat_file();
    save_guilds();
    tell_others_we_left(0);
}

void on_fatal_signal(int sig) {
    release_hold_in_signal();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void on_terminate() {
    static bool once = false;
    if (once) std::abort();
    once = true;
    runtime_error = true;
    halt(runtime_error_code);
}
}  // namespace

void end_prog(int code) {
    // Called again while it runs (a save failed) or while the program is ending: no saves.
    if (end_prog_started || halting()) halt(code);
    end_prog_started = true;
    end_prog_code = code;
    // The orderly exit finishes its saves even when the caller hangs up meanwhile.
    door_hold_raise();
    release_own_hold();
    debug_enter("FORCE:Entering end_prog Error Code :" + int_to_str(code));
    if (cur_char) {
        // The fight's pending death first, unless the character is not to be saved at all.
        if (code != exit_players_stuck && code != exit_char_corrupt && code != exit_hold_too_long) settle_armed_death();
        cur_char->online = 0;
        leave_play();
        if (code != exit_players_stuck && code != exit_char_corrupt && code != exit_hold_too_long) {
            debug_log(date_time_str() + " Writing char file");
            write_char_file(true);
        }
        if (code != exit_stat_stuck && code != exit_stat_corrupt && code != exit_hold_too_long) {
            debug_log(date_time_str() + " Writing stat file");
            write_stat_file();
        }
        if (code != exit_hold_too_long) {
            debug_log(date_time_str() + " Writing ranking files.");
            hook_write_rankings();
        }
        debug_log(date_time_str() + " About to mail characters online");
        if (code != exit_hold_too_long) tell_others_we_left(code);
    }
    debug_log(std::string(code == 0 ? "" : "FORCE:") + date_time_str() +
              " Exiting on Error_code : " + int_to_str(code));
    debug_leave("FORCE:Leaving end_prog");
    flush_output();
    halt(code);
}

void arm_death(std::function<void()> settle) { pending_death = std::move(settle); }

void disarm_death() { pending_death = nullptr; }

void settle_armed_death() {
    if (!pending_death) return;
    // Taken out first: the settle may end the program, and that exit must not run it again.
    std::function<void()> settle = std::move(pending_death);
    pending_death = nullptr;
    settle();
}

bool program_ending() { return end_prog_started || halting(); }

int ending_code() { return end_prog_started ? end_prog_code : halt_code(); }

void exit_handler() {
    int code = halt_code();
    // Another node must never wait on a hold this node will not release.
    release_own_hold();
    if (runtime_error) {
        out_line("Abnormal Termination Encountered");
        debug_log("Run-Time Error Occurance : " + date_time_str());
        out_line("### Error Code : " + int_to_str(code) + " at :");
        debug_log("### Error Code " + int_to_str(code));
        hook_disp_line("### Error Code " + int_to_str(code));
        save_character();
        flush_output();
        return;
    }
    if (code == 0) {
        if (carrier_lost && !end_prog_started) carrier_lost_saves();
        debug_log("Program Terminated without Error : " + date_time_str());
        flush_output();
        return;
    }
    debug_log("In-Game Error Occurance  : " + date_time_str());
    debug_log("Halt code : " + int_to_str(code));
    out_line("Abnormal Termination Encountered");
    for (const exit_row& row : exit_rows)
        if (row.code == code) run_row(row);
    flush_output();
}

void install_exit_handler() {
    add_exit_proc(exit_handler);
    std::set_terminate(on_terminate);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(sig, on_fatal_signal);
    // A file grown past the size limit is a failed write, reported with its file through the
    // orderly exit, not a silent end.
    std::signal(SIGXFSZ, SIG_IGN);
    // A stop from the console or the system (the door kit takes over hang-up and terminate
    // once a caller's session opens; "quorvath MAINT" has none) must not leave this node's
    // hold behind for the other nodes. A stop the starter chose to ignore stays ignored.
    // The other signals that end a process (time limits, timers, user signals) likewise.
    for (int sig : {SIGHUP, SIGTERM, SIGINT, SIGQUIT, SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF}) {
        struct sigaction old = {};
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) std::signal(sig, on_fatal_signal);
    }
    // A console output that went away is no reason to stop in the middle of the maintenance.
    std::signal(SIGPIPE, SIG_IGN);
}
