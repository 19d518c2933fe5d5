// The script interpreter: runs one script file (a sectioned text file the sysop writes) from
// its DEFINE and MAIN sections to a HALT, an error or its last RETURN, with 25 text
// variables, a return stack for GOSUB, menus from a menu file, and commands that reach the
// game (fights, items, mail, the healers, the inventory; see script_hooks.hpp).
//
// A script can never hang or harm the game: a variable number outside 1-25 is ignored; a
// section left empty once its comments are stripped, a run of script_step_budget commands
// without a key read or a wait, nested GOSUBs deeper than script_max_depth and runs nested
// deeper than script_max_nesting each end the run with a script error. File names a script
// gives are confined to the game directory (game_path); a missing one is a script error.
// A script never ends the program, and a run ends when the caller is gone.
#pragma once
#include <string>
#include <string_view>

#include "engine/rules/chance.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/text_file.hpp"

// Commands a run may carry out without reading a key or waiting for the caller (a global so
// that the fuzz harness can make runaway inputs cheap).
extern long script_step_budget;
// GOSUBs a run may have open at once.
constexpr int script_max_depth = 64;
// Scripts that may run inside one another (an item's script from the inventory menu of a
// script, an event from a script's key wait...).
constexpr int script_max_nesting = 8;

// Runs the script file (already decoded when it was an encoded one) with the parameter
// text (already expanded; word k becomes ^VRk) under the script's own name. Called by
// run_script, which finds the file first.
void execute_script(const std::string& file, std::string_view params, std::string_view script_name);

// Reports a script error: two FORCE lines in the debug log ("Script Error : <file> Section :
// <section>    Line : <n>" and "<keyword> <rest>"), the same on the caller's screen in grey,
// and a wait for a key. The game-bound commands report theirs through it too.
void script_error(std::string_view file, std::string_view keyword, std::string_view rest, std::string_view section,
                  int line_number);

// Removes the lines that are empty after their leading blanks and the ";" comment lines.
void strip_script_comments(text_list& lines);

// The number nn of a target written "^VRnn" (two decimal digits, "^VR" compared exactly):
// 1-25, or 0 when the text names no variable.
int script_var_number(std::string_view target);
