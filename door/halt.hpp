// The halt path: one chain of exit procedures shared by the game and the utility.
// Procedures run last-added first; each is unlinked before it runs, sees the exit code,
// and may halt again with another code (the rest of the chain then runs with that code).
#pragma once

using exit_proc = void (*)();

// Chain a procedure in front of the ones already chained.
void add_exit_proc(exit_proc p);
// Ends the program: runs the chain, then leaves the process with the current code.
[[noreturn]] void halt(int code);
// The code the program is halting with (valid inside an exit procedure).
int halt_code();
// True once halt has been called.
bool halting();
