// The script commands bound to the game: the flag commands, the menu-file and item-file
// settings, text output, the three game screens and the script message boards; the adder
// behind ADD (script variables, the playing character's and the opponent's fields); and the
// creature (MONSTER) and item (ITEMS) definition sections a script file may carry.
//
// Flag scopes, by the first letter of the scope word (no scope word: C): C the playing
// character's flag<NNNN>.dat, section FLAGS; M "mainflag.dat", section FLAGS; S
// "mainflag.dat", the section named after the script. Any other letter reaches no file.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/rules/creatures.hpp"
#include "engine/store/records.hpp"
#include "engine/text/item_hooks.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/text_file.hpp"

// Runs one of MESSAGEBOARD, ADDFLAG, REMOVEFLAG, FLAGVALUE, MENUFILE, ITEMFILE, WRITELN,
// WRITE, DISPLAYSTATS, DISPLAYRANKS, FINDPLAYERS; true when it reported a script error.
bool exec_flag_command(std::string_view keyword, std::string_view rest, const std::string& file,
                       std::string_view section, std::string_view script_name, int line_number, script_vars& vars);

// ADD: the amount (a number, 0 for a non-number) added to "^VRnn" (1-25), "^CSnn" or
// "^OSnn" (1-31), as written (case counts). Sums are 64-bit and clamped: a variable to the
// 32-bit range, a field to its adder's range. ^OS changes the opponent only: its hit points
// below 1 are stored and its fall left to the fight; its armour and shield are those in its
// own inventory (a creature has none). A player opponent's record is changed under the hold
// in "players.dat" and in the fight's own copy alike.
void adjust_script_value(std::string_view target, std::string_view amount, script_vars& vars);

// Creature n of the file's first MONSTER section; null when there is no such section or no
// line for n. A missing file ends the game with code 12.
std::shared_ptr<monster_record> read_internal_monster(const std::string& file, std::int32_t n, script_vars& vars);
// Item n of the file's first ITEMS section; nothing unless it has exactly four counted lines
// (NAME, SCRID, STAT1, STAT2). A missing file ends the game with code 12.
std::optional<item_record> read_internal_item(const std::string& file, std::int32_t n, script_vars& vars);
// The lines after a section's header, up to a line beginning "@#" or "~": the definitions
// for n. A line of the wrong form is reported (script error, then a key) and skipped.
// True when the section held a line for n (a creature), when the item is complete (an item).
bool parse_monster_section(text_reader& file, std::int32_t n, monster_record& m, script_vars& vars);
bool parse_item_section(text_reader& file, std::int32_t n, item_record& item, script_vars& vars);

// The board file a MESSAGEBOARD line names: the script name up to and including its first
// "." + "B" + the number's last two digits ("tavern.scr", 3: "tavern.B03").
std::string script_board_file(std::string_view script_name, std::int32_t number);

// The message boards (board file, title, mode) that MESSAGEBOARD opens. The boards' part
// installs message_board_menu. Default: nothing (logged in full debug mode).
using message_board_fn = void (*)(const std::string& board_file, std::string_view title, int mode);
void set_message_board_hook(message_board_fn f);
void hook_message_board(const std::string& board_file, std::string_view title, int mode);
