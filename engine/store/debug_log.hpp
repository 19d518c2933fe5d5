// The debug log "debug.txt" in the game directory. Lines go in only in full debug mode
// (door switch /D, `debug_mode` of door/door.hpp), except those beginning "FORCE:", which
// always go in (without the prefix). Every line starts with the current indent.
// Several nodes append to the same file; each line is appended whole under a file lock.
#pragma once
#include <string>
#include <string_view>

// Blanks before every line: two more after each debug_enter, two fewer before each debug_leave.
extern std::string debug_indent;

void debug_log(std::string_view text);
// debug_log(text), then the indent grows by two blanks ("Entering read_char_file").
void debug_enter(std::string_view text);
// The indent shrinks by two blanks (never below none), then debug_log(text).
void debug_leave(std::string_view text);
