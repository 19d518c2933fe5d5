#include "engine/store/hold.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "door/sys.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/exit_codes.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/store_status.hpp"

namespace {
constexpr int hold_checks = 41;
constexpr int hold_pause_ms = 500;

int depth = 0;
// The open "hold.dat" of this node's hold: its lock tells the other nodes that the holder
// is alive, and the kernel drops it when the process ends however it ends.
int held_fd = -1;
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

// The caller's form of the wait's display, which the report handler shows.
void caller_held(int count, bool first) {
    store_status s{store_event::hold_waiting, hold_file_name};
    s.count = count;
    s.first = first;
    report_store(s);
}

void caller_too_long() { report_store({store_event::hold_overdue, hold_file_name}); }

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
    report_store({store_event::hold_too_long, hold_file_name, "", exit_hold_too_long});
    // Never here: the report ends the program.
    std::abort();
}

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

int lock_file(int fd, int how) {
    int r;
    do {
        r = ::flock(fd, how);
    } while (r != 0 && errno == EINTR);
    return r;
}

// A hold.dat that a waiter found without a live holder. A node that died between its create
// and its lock leaves an empty file, which gets one pause of grace (it is removed when it is
// still so after a whole pause of waiting): a live node locks it and writes its byte at once.
struct stale_watch {
    struct stat empty_seen = {};
    bool seen = false;
    long seen_at = 0;  // waited when it was first found
    long waited = 0;   // ms this wait has waited so far
};

// One check of the hold: true while some node holds it. A hold.dat whose holder is gone is
// removed (by one waiter only: it holds the dead file's lock while it removes it).
bool hold_held(stale_watch& watch) {
    int fd;
    do {
        // Open for writing where allowed: over NFS an exclusive lock needs it.
        fd = ::open(hold_file_name, O_RDWR | O_CLOEXEC);
        if (fd < 0 && errno == EACCES) fd = ::open(hold_file_name, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        watch.seen = false;
        // One that cannot be opened (no permission) still holds; when nothing can be opened
        // at all (too many files) the create says why.
        struct stat st;
        return ::stat(hold_file_name, &st) == 0;
    }
    bool held = true;
    struct stat mine, now;
    if (lock_file(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &mine) == 0) {
        if (::stat(hold_file_name, &now) != 0) {
            held = false;  // released while we looked
        } else if (same_file(mine, now)) {
            bool known = watch.seen && same_file(watch.empty_seen, mine);
            if (mine.st_size == 0 && !(known && watch.waited - watch.seen_at >= hold_pause_ms)) {
                if (!known) watch.seen_at = watch.waited;
                watch.empty_seen = mine;
                watch.seen = true;
            } else if (::unlink(hold_file_name) == 0) {
                debug_log("FORCE:Removed hold.dat left by a node that is gone");
                held = false;
            }
        }
    }
    ::close(fd);
    return held;
}

enum class create_result { created, lost, failed };

create_result try_create() {
    int fd;
    do {
        fd = ::open(hold_file_name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    // Only another node's hold stops the create; anything else (no permission, a read-only
    // or full disk, too many files) means no hold can ever be taken here.
    if (fd < 0) return errno == EEXIST ? create_result::lost : create_result::failed;
    // On a file system without locks the hold is the file alone, as it always was.
    bool locked = lock_file(fd, LOCK_EX) == 0;
    if (::fstat(fd, &owned_file) != 0) owned_file = {};
    // A waiter may have taken the new file for a dead node's before it was locked: then it
    // is gone and this node has no hold yet.
    struct stat now;
    if (locked && (::stat(hold_file_name, &now) != 0 || !same_file(owned_file, now))) {
        owned_file = {};
        ::close(fd);
        return create_result::lost;
    }
    const char zero = 0;
    (void)!::write(fd, &zero, 1);
    held_fd = fd;
    std::string path = hold_file_name;
    char cwd[sizeof owned_path - 16];
    if (::getcwd(cwd, sizeof cwd)) path = std::string(cwd) + "/" + hold_file_name;
    if (path.size() < sizeof owned_path) std::memcpy(owned_path, path.c_str(), path.size() + 1);
    owned_for_signal = 1;
    return create_result::created;
}

void erase_own() {
    owned_for_signal = 0;
    const char* path = owned_path[0] ? owned_path : hold_file_name;
    if (still_ours(path)) ::unlink(path);
    owned_path[0] = 0;
    // Unlocked only once the name is gone, so no waiter takes a released hold for a dead one.
    if (held_fd >= 0) ::close(held_fd);
    held_fd = -1;
    // Only now: the caller's side may end the program (a hang-up meanwhile), and the hold is
    // gone by then.
    report_store({store_event::hold_released, hold_file_name});
}
}  // namespace

namespace {
// The pause after a check that found the hold: up to hold_pause_ms, waiting on the holder's
// lock, so that the moment it lets go the hold is looked at again and go runs at once.
// True when go did (the hold taken, or free for a waiter); false when the pause ran out.
bool pause_while_held(stale_watch& watch, const std::function<bool()>& go) {
    int left = hold_pause_ms;
    while (left > 0) {
        int fd;
        do {
            fd = ::open(hold_file_name, O_RDONLY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0 && errno == ENOENT) {
            // Released between the look and the open.
            if (!hold_held(watch) && go()) return true;
            continue;
        }
        int waited = sys().wait_for_node_ms(left, fd);
        struct stat st;
        bool released = fd < 0 || ::fstat(fd, &st) != 0 || st.st_nlink == 0;
        if (fd >= 0) ::close(fd);
        left -= waited;
        watch.waited += waited;
        if (left <= 0) break;
        if (!hold_held(watch) && go()) return true;
        if (!released) {
            // A file without a lock on it (its holder about to lock it, or gone) grants the
            // wait at once: a moment's pause, not a spin.
            waited = sys().wait_for_node_ms(std::min(left, 2));
            left -= waited;
            watch.waited += waited;
        }
    }
    return false;
}

// The wait of both the waiters and the takers: a check, and while another node holds the
// hold the display and the pause, 41 checks at most. go runs when the hold is found free:
// true ends the wait; false (another node took it first) counts as finding it. False when
// the hold stayed past the last check.
bool wait_turn(const std::function<bool()>& go) {
    wait_display display;
    stale_watch watch;
    for (int count = 1;; ++count) {
        if (!hold_held(watch) && go()) return true;
        display.held(count);
        if (pause_while_held(watch, go)) return true;
        if (count >= hold_checks) return false;
    }
}
}  // namespace

bool wait_for_hold() {
    if (hold_owned()) return false;
    if (!wait_turn([] { return true; })) held_too_long();
    // The pause after the check that found no hold.
    delay_ms(hold_pause_ms);
    return false;
}

namespace {
// Takes the hold (re-entrant); false when another node kept it past the last check. A check
// that finds the hold free takes it at once: the create is exclusive, nothing is gained by
// a pause first.
bool take_hold() {
    if (depth > 0) {
        ++depth;
        return true;
    }
    bool failed = false;
    bool taken = wait_turn([&failed] {
        create_result r = try_create();
        failed = r == create_result::failed;
        return r != create_result::lost;
    });
    if (!taken) return false;
    if (failed) {
        // Ends the program; while it is already ending, the saves go on without a hold.
        file_write_failed(hold_file_name);
        return true;
    }
    depth = 1;
    // The caller's side holds off a hang-up while the hold is ours, and finishes a day of
    // maintenance that was cut off before anything else is written.
    report_store({store_event::hold_taken, hold_file_name});
    return true;
}
}  // namespace

void place_hold() {
    if (!take_hold()) held_too_long();
}

bool try_place_hold() { return take_hold(); }

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
