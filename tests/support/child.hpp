// Runs a piece of a test in a real child process forked from the test binary: for code that
// ends the program (the orderly exit, the halt chain) and for several nodes at once.
#pragma once
#include <functional>
#include <string>
#include <sys/types.h>

struct child_result {
    bool exited = false;  // ended through exit (else killed by a signal)
    int code = -1;        // exit status, or the signal number when killed
    std::string out;      // everything the child wrote to standard output
};

// How often a long race between processes repeats. The sanitizer build runs every step many
// times slower, so there the same race runs a fifth of the rounds (at least one): it still
// crosses the same writes, and the suite stays inside its time.
constexpr int race_rounds(int rounds) {
#ifdef QV_SANITIZED
    return rounds / 5 > 0 ? rounds / 5 : 1;
#else
    return rounds;
#endif
}

// Forks, runs fn in the child with standard output captured, and waits for it. A child whose
// fn returns ends with status 0 without running the halt chain.
child_result run_in_child(const std::function<void()>& fn);

// Forks a child that runs fn (standard output to /dev/null) and returns its pid at once.
pid_t start_child(const std::function<void()>& fn);
// Waits for a child started with start_child.
child_result wait_child(pid_t pid);

// A shell command line (/bin/sh -c) run by run_in_child: its standard output, its status.
child_result run_shell(const std::string& command);

// Called in a child right after the fork from parent: the child is killed when the test
// program ends, however it ends (a time-out's kill included), so nothing a test started
// outlives it. Only system calls: safe between fork and exec.
void die_with_parent(pid_t parent);

// In a child: kills the process (SIGKILL, no orderly end) as soon as it waits for a key with
// none typed ahead, however slowly it gets there; after limit_ms it is killed wherever it is.
void kill_at_key_wait(int limit_ms = 20000);
