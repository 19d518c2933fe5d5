#include "engine/hold.hpp"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>

#include "door/door.hpp"
#include "engine/exit.hpp"
#include "engine/file_access.hpp"
#include "engine/hooks.hpp"

namespace {
constexpr int hold_checks = 41;
constexpr int hold_pause_ms = 500;

int depth = 0;
bool door_told = false;
// Where this node's hold is, for the fatal-signal path (no allocation there).
char owned_path[4096] = {};
volatile std::sig_atomic_t owned_for_signal = 0;
// Which file this node created: a hold.dat that the sysop erased and another node then
// created is that node's, not ours to erase.
struct stat owned_file = {};

bool still_ours(const char* path) {
    struct stat now;
    if (::stat(path, &now) != 0) return false;
    return owned_file.st_ino == 0 || (now.st_dev == owned_file.st_dev && now.st_ino == owned_file.st_ino);
}

// The wait's display: the header once, then WAITING and ....... alternating in place.
void caller_held(int count, bool first) {
    if (first) {
        clear_screen();
        hook_disp_str("`9  Temporary hold placed on file activity :        `4");
    }
    write_str(std::string(7, '\b') + (count % 2 == 0 ? "WAITING" : "......."));
    flush_output();
}

void caller_too_long() {
    write_line();
    hook_disp_line("`9  File Activity has been held too long, Please inform SysOp.");
}

hold_held_fn held_display = caller_held;
hold_too_long_fn too_long_display = caller_too_long;

struct wait_display {
    bool shown = false;
    void held(int count) {
        held_display(count, !shown);
        shown = true;
    }
};

[[noreturn]] void held_too_long() {
    too_long_display();
    end_prog(exit_hold_too_long);
}

bool try_create() {
    int fd;
    do {
        fd = ::open(hold_file_name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    const char zero = 0;
    (void)!::write(fd, &zero, 1);
    if (::fstat(fd, &owned_file) != 0) owned_file = {};
    ::close(fd);
    std::string path = hold_file_name;
    char cwd[sizeof owned_path - 16];
    if (::getcwd(cwd, sizeof cwd)) path = std::string(cwd) + "/" + hold_file_name;
    if (path.size() < sizeof owned_path) std::memcpy(owned_path, path.c_str(), path.size() + 1);
    owned_for_signal = 1;
    return true;
}

void erase_own() {
    owned_for_signal = 0;
    const char* path = owned_path[0] ? owned_path : hold_file_name;
    if (still_ours(path)) ::unlink(path);
    owned_path[0] = 0;
    if (door_told) {
        door_told = false;
        // Lowering may end the program when the caller hung up meanwhile (the hold is
        // already gone by then); while the program is ending it must not start over.
        if (!halting()) door_hold_lower();
    }
}
}  // namespace

bool wait_for_hold() {
    if (hold_owned()) return false;
    wait_display display;
    int count = 0;
    bool exists;
    do {
        exists = file_exists(hold_file_name);
        ++count;
        if (exists) display.held(count);
        delay_ms(hold_pause_ms);
    } while (exists && count < hold_checks);
    if (exists) held_too_long();
    return false;
}

void place_hold() {
    if (depth > 0) {
        ++depth;
        return;
    }
    wait_display display;
    int count = 0;
    for (;;) {
        bool exists = file_exists(hold_file_name);
        ++count;
        if (exists) display.held(count);
        delay_ms(hold_pause_ms);
        if (!exists && try_create()) break;
        if (count >= hold_checks) held_too_long();
    }
    depth = 1;
    // While the program is already ending the kit's carrier handling is over.
    if (!halting()) {
        door_hold_raise();
        door_told = true;
    }
}

void remove_hold() {
    if (depth == 0) return;
    if (--depth == 0) erase_own();
}

bool hold_owned() { return depth > 0; }

void set_hold_wait_display(hold_held_fn held, hold_too_long_fn too_long) {
    held_display = held ? held : caller_held;
    too_long_display = too_long ? too_long : caller_too_long;
}

void release_own_hold() {
    if (depth == 0) return;
    depth = 0;
    erase_own();
}

void release_hold_in_signal() {
    if (owned_for_signal && owned_path[0] && still_ours(owned_path)) ::unlink(owned_path);
    owned_for_signal = 0;
}
