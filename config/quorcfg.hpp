// The sysop's utility: start-up, main menu and quit; its layer over the game's record files
// (the engine's lists and codecs, with the utility's visible busy-file wait); the first-run
// files; the door control file and the BBS Setup screen.
//
// Exit codes: 0 quit, 3 "players.dat" unreadable, 5 a file stuck open or a write that failed,
// 18 a control file the door kit's reader refuses, 19 "guilds.dat" unreadable.
#pragma once
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "engine/rules/races.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/store/records.hpp"
#include "engine/text/exmods.hpp"

namespace cfg {

constexpr const char* control_file_name = "quorvath.dat";
constexpr int exit_players_unreadable = 3;
constexpr int exit_stuck = 5;
constexpr int exit_guilds_unreadable = 19;

// ---- Data (the engine's game_stats, char_list and guild_list hold the records) ----
extern bool players_loaded;
extern std::list<race_node> race_list;

// The busy-file wait: "`9\"<name>\" already open : `4HOLD", then WAITING and ....... in place
// after each of up to 41 tries 500 ms apart; still busy: "`9\"<name>\" file stuck `4OPEN`9,
// Please inform SysOp" and code 5. result receives 0 or 2 (missing).
void file_busy_wait(const std::string& name, int& result);
// Test-opens the file, waiting while it is busy: true when it is there.
bool file_there(const std::string& name);
// Creates the file empty when there is none (never over a file another program made
// meanwhile); one that cannot be made shows the file and the reason and ends with code 5.
void create_if_missing(const std::string& name);
// Replaces a file's contents atomically; a failed write keeps the old file, shows the file and
// the reason, and ends with code 5.
void rewrite_or_stop(const std::string& name, std::string_view contents);

// The hold for a write of the sysop's. A node that keeps it too long is not the end of the
// run: the sysop is told and may wait again or leave the write (false: nothing taken, nothing
// to be written). Re-entrant as the hold is.
bool hold_for_sysop();
struct sysop_hold {
    bool taken = hold_for_sysop();
    sysop_hold() = default;
    ~sysop_hold();
    sysop_hold(const sysop_hold&) = delete;
    sysop_hold& operator=(const sysop_hold&) = delete;
};

// "quorstat.dat" into game_stats. Missing: the default record is created. Corrupt: the file
// is kept as "quorstat.bad" and the default record created.
void read_stat_record(stat_record& record);
// Writes game_stats only when the utility changed it: under the hold the file is re-read and
// only the fields changed since loading are set (the pot as a difference), so a day rolled over
// or a pot fed by a node meanwhile stands. False when the sysop left a hold held too long:
// game_stats keeps every change for a later write.
bool write_stat_record();
// The same write, after which change sets fields on the fresh record whatever the utility
// loaded (the reset's day, dates and pot); written even when nothing else changed.
bool update_stat_record(const std::function<void(stat_record&)>& change);
// "players.dat" into char_list once (pushed at the head); corrupt: code 3, file untouched.
void read_player_list();
// "guilds.dat" into guild_list (pushed at the head); corrupt: code 19.
void read_guild_list();
// "races.dat" into race_list; a missing file gives an empty list and a notice.
void read_races();

// The item registry: the records in file order.
using item_list = std::vector<registry_record>;
// A file the game could not read (torn) is reported to the sysop as damaged, with a key, and
// gives no items; damaged, when given, tells the caller.
item_list read_itreg_file(const std::string& name, bool* damaged = nullptr);
const registry_record* item_by_index(const item_list& list, int n);
void del_itreg_list(item_list& list);

// ---- First-run files ----
void write_original_forest();
void write_weapon_table();
void write_armour_table();
void write_shield_table();

// ---- The door control file ----
// Reads the control file the game reads ("quorvath.dat", else "vexlor.ctl") with the door
// kit's reader when one exists (a refused file ends as the game ends, code 18), else sets the
// utility's defaults; ports the file leaves unset get their defaults.
void load_control_file();
// Writes the settings back into the file read ("quorvath.dat" when there was none), keeping
// every line of it the writer does not write itself: other keys, then the sysop's comments.
void write_control_file();
// The BBS Setup screen.
void bbs_setup();

// ---- External modules (main-menu key I) ----
// The browser of "exmods.dat": Left/Right change the module, Up/Down move (wrapping), Enter
// picks, q, Q or Escape leave; "Write Changes?" [Y] writes the file.
void exmod_maintenance();
// Asks for a file of the game directory and appends it as a module: a name without a dot is
// a script (first 8 characters + ".scr"); a script's "Install" section is its description,
// any other file's comes from <stem>.dsc; the name is the first description line or
// "(Unknown)".
void install_exmod(std::list<exmod_entry>& list);
// Edits the module's description lines one by one, then adds new ones until an empty line.
void edit_exmod_desc(exmod_entry& e);
// Rewrites "exmods.dat" atomically (code 5 and the reason when it cannot be written).
void write_exmod_file(const std::list<exmod_entry>& list);
// Prints description lines as they are, one a row (cut to the row); more than most lines end
// in a line that says how many more there are.
void print_desc_lines(const text_list& lines, std::size_t most = static_cast<std::size_t>(-1));
void free_desc_lines(text_list& head);

// ---- Start script and reset (main-menu keys M and R) ----
// The 22 lines of the start script, with the program directory written so the shell takes
// it as one word and never as a command.
std::string start_script_text(const std::string& dir, const std::string& date_text);
// The directory as a shell word: as it stands when it holds only letters, digits and
// "/._+,:@%-", else single-quoted.
std::string shell_word(const std::string& text);
// Asks for the name and writes the start script (mode 0555) in program_directory().
void make_shell_script();
// Asks [N], then erases the players, news, mail, flags, inventories, queues, guilds and
// halls, and puts the game day back to 0 (written at once). Under the hold, so a day a
// maintenance staged is finished first and erased with the rest. Refused, with a line that
// says so, while a node has a character in play.
void reset_game();

// ---- Program ----
void title_box();
void main_menu();
// The whole program: start-up, main menu, quit. Never returns.
[[noreturn]] void quorcfg_main();

}  // namespace cfg
