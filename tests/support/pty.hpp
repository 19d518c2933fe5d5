// End-to-end driver: runs a program on a pseudo-terminal as a BBS would run the game for a
// caller, types keys at it, reads what it sends, hangs up on it and collects its exit status.
//
//   pty_process::options o;
//   o.dir = game.path();                        // the game directory (a temp_dir)
//   o.args = {"/L", "/N1"};
//   o.env = {"QV_TEST_NOSLEEP=1", "QV_TEST_CLOCK=20260115120000"};
//   pty_process game(qv_binary("quorvath"), o);
//   ASSERT_TRUE(game.wait_for(">"));            // the prompt, before any key is sent
//   game.send("Anna Berg\r");
//   ASSERT_TRUE(game.wait_for("Linux detected"));
//   game.hangup();                              // SIGHUP, as the BBS sends it
//   EXPECT_EQ(game.wait_exit(), 0);
//   ansi_screen screen;                         // tests/support/screen.hpp
//   screen.feed(game.output());
//   EXPECT_EQ(screen.row(3), "...");
//
// Every wait has a time-out in milliseconds and never hangs a test. Output is read only while
// a call of this class runs; the program blocks once the terminal's buffer is full, so read
// (wait_for, read_for, wait_exit) between long stretches of output.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <termios.h>
#include <vector>

// The path of one of the project's programs: $QV_BIN_DIR/name (CTest sets QV_BIN_DIR to the
// build's apps folder).
std::string qv_binary(const std::string& name);

class pty_process {
public:
    struct options {
        std::string dir = ".";          // working directory of the program
        std::vector<std::string> args;  // arguments after the program's name
        std::vector<std::string> env;   // "NAME=value" entries added to (or replacing) ours
        bool stdin_from_null = false;   // standard input from /dev/null instead of the
                                        // terminal (a caller whose input has ended)
        int rows = 25, cols = 80;
    };

    // Starts the program; it is the leader of a new session whose controlling terminal is
    // the pty (standard input, output and error). Throws std::runtime_error on failure.
    pty_process(const std::string& program, const options& opts);
    // Kills the program if it still runs, reaps it and closes the terminal.
    ~pty_process();
    pty_process(const pty_process&) = delete;
    pty_process& operator=(const pty_process&) = delete;

    // Types bytes at the program (raw bytes: "\r" is Enter, "\x1b" is ESC).
    void send(std::string_view keys);

    // Reads until text appears in the output after the last match (or the start), or the
    // time-out passes. On success the next wait_for searches after this match.
    bool wait_for(std::string_view text, int timeout_ms = 5000);
    // Reads whatever arrives within ms and returns it.
    std::string read_for(int ms);
    // Everything read from the program so far, and the part read since the last take().
    const std::string& output() const { return out_; }
    std::string take();

    // The hang-up signal, as a BBS sends it when the caller drops; any other signal.
    void hangup();
    void signal(int sig);
    // Closes the terminal's master side: the program's terminal hangs up (SIGHUP and end of
    // input), as when the caller's line goes away.
    void close_master();

    // Waits for the program to end (reading its output meanwhile). The exit status, or
    // 128 + the signal number when a signal ended it; nothing on time-out.
    std::optional<int> wait_exit(int timeout_ms = 5000);
    bool running();
    pid_t pid() const { return pid_; }

    // The program's terminal settings as they are now (also after it ended), and as they
    // were before it started.
    struct termios terminal_settings() const;
    const struct termios& initial_settings() const { return initial_; }

private:
    // Reads what is there, waiting up to ms for the first byte; false at end of output.
    bool pump(int ms);

    int master_ = -1;
    // Our own hold on the terminal: the last bytes a program writes as it ends are still
    // being passed to the master then, and with no holder left a read could end before them.
    int slave_ = -1;
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string out_;
    std::size_t match_pos_ = 0;
    std::size_t take_pos_ = 0;
    struct termios initial_ {};
};

// True when the terminal is in the raw mode the door kit uses: no line editing, no echo, no
// CR-to-LF mapping, no flow control, no signals from keys, no output post-processing.
bool is_raw(const struct termios& t);
// True when two settings agree on every flag and control character the kit changes.
bool same_settings(const struct termios& a, const struct termios& b);
