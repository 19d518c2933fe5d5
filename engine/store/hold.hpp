// The hold between nodes: while "hold.dat" exists in the game directory, one node is doing
// a read-modify-write of the shared files and every other node waits.
//
// The hold is taken atomically (create-exclusive), so two nodes can never both hold it.
// The holder keeps "hold.dat" open and locked until it erases it; the kernel drops the lock
// when the process ends, however it ends. A waiter that finds the file unlocked knows its
// holder is gone (killed, or its machine went down), removes it, logs a FORCE line and goes
// on; an empty unlocked file (a holder between its create and its lock) gets one check of
// grace first.
// A node knows whether it holds the hold and only ever erases its own; every way out of the
// program (end_prog, the exit handler, carrier loss, a fatal signal) releases it. While it
// holds the hold the door kit is told (door_hold_raise/door_hold_lower), so a lost carrier
// does not end the program in the middle of a write.
//
// The wait shows the caller "`9  Temporary hold placed on file activity :        `4" once,
// then "WAITING" and "......." alternately in place; 41 checks 500 ms apart; a hold that
// never clears ends the game with "`9  File Activity has been held too long, Please inform
// SysOp." and code 13. The hold passes from node to node without standing empty: a waiter
// waits on its holder's lock, so it looks again the moment the holder lets go (within the
// same 500 ms, which do not count as a check), and a free hold is taken at once.
#pragma once

constexpr const char* hold_file_name = "hold.dat";

// Waits while another node holds the hold (the display above); always false. Returns after
// one check and one pause when there is no hold, and at once when this node holds it.
bool wait_for_hold();
// Takes the hold: the wait above, then "hold.dat" created exclusively (one zero byte), with
// no pause after the check that found it free; losing the race to another node counts as a
// check that found the hold. Re-entrant: a
// node that already holds it only counts one level more. A create that fails for any other
// reason (no permission, read-only or full disk, too many files) is file_write_failed at
// once; while the program is already ending it returns without a hold.
void place_hold();
// Takes the hold as place_hold does, but a hold another node keeps past the last check gives
// false (nothing taken, no exit): the utility lets the sysop wait again or leave the write.
bool try_place_hold();
// Releases one level of this node's hold; the last level erases "hold.dat". Does nothing
// when this node does not hold it (another node's hold is never touched).
void remove_hold();
// True while this node holds the hold.
bool hold_owned();
// Erases this node's hold whatever its depth (the ways out of the program).
void release_own_hold();

// Holds the hold for a scope.
struct hold_guard {
    hold_guard() { place_hold(); }
    ~hold_guard() { remove_hold(); }
    hold_guard(const hold_guard&) = delete;
    hold_guard& operator=(const hold_guard&) = delete;
};

// How the wait is shown. The maintenance run from the command line, which has no caller,
// installs its console form; null restores the display above. held runs after each check
// that found the hold (count: checks so far, first: the first such check of this wait);
// too_long runs before the exit with code 13.
using hold_held_fn = void (*)(int count, bool first);
using hold_too_long_fn = void (*)();
void set_hold_wait_display(hold_held_fn held, hold_too_long_fn too_long);

// For a fatal signal handler: erases "hold.dat" when this node holds it. Async-signal-safe.
void release_hold_in_signal();
