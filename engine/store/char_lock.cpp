#include "engine/store/char_lock.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <unistd.h>

#include "engine/store/data_files.hpp"

namespace {
// Open for the whole run: the record locks of a process go when it closes the file.
int lock_fd = -1;
bool left_play = false;

bool set_lock(short type, std::int16_t number) {
    struct flock l = {};
    l.l_type = type;
    l.l_whence = SEEK_SET;
    l.l_start = number;
    l.l_len = 1;
    int r;
    do {
        r = ::fcntl(lock_fd, F_SETLK, &l);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}
// Runs look on a descriptor of the lock file: this node's own when it has one (closing another
// descriptor of the file would drop this process's lock). False without a lock file: no
// character was taken up here with a lock.
bool with_lock_file(const std::function<bool(int fd)>& look) {
    if (lock_fd >= 0) return look(lock_fd);
    int fd;
    do {
        fd = ::open(char_lock_file_name, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    bool seen = look(fd);
    ::close(fd);
    return seen;
}

// A lock that another process holds on the bytes from start (length 0: to the end of the
// file), in l (F_UNLCK when there is none); false when the locks cannot be seen.
bool other_lock(int fd, off_t start, off_t length, struct flock& l) {
    l = {};
    l.l_type = F_WRLCK;
    l.l_whence = SEEK_SET;
    l.l_start = start;
    l.l_len = length;
    int r;
    do {
        r = ::fcntl(fd, F_GETLK, &l);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

bool locked_by_other(off_t start, off_t length) {
    bool held = false;
    with_lock_file([&](int fd) {
        struct flock l;
        held = other_lock(fd, start, length, l) && l.l_type != F_UNLCK;
        return true;
    });
    return held;
}

// The numbers from..to-1 that other processes hold, one look per lock found and one per gap
// (the kernel names any lock of a range, not the first).
bool collect_held(int fd, off_t from, off_t to, std::vector<std::int16_t>& held) {
    if (from >= to) return true;
    struct flock l;
    if (!other_lock(fd, from, to - from, l)) return false;
    if (l.l_type == F_UNLCK) return true;
    off_t first = std::max<off_t>(l.l_start, from);
    off_t end = l.l_len == 0 ? to : std::min<off_t>(l.l_start + l.l_len, to);
    for (off_t n = first; n < end; ++n) held.push_back(static_cast<std::int16_t>(n));
    return collect_held(fd, from, first, held) && collect_held(fd, end, to, held);
}
}  // namespace

void leave_play() { left_play = true; }

void release_character() {
    if (lock_fd >= 0) ::close(lock_fd);
    lock_fd = -1;
    left_play = false;
}

bool character_in_play(std::int16_t number) { return locked_by_other(number, 1); }

bool any_character_in_play() { return locked_by_other(0, 0); }

on_line_now::on_line_now() {
    known_ = with_lock_file(
        [this](int fd) { return collect_held(fd, 1, off_t(std::numeric_limits<std::int16_t>::max()) + 1, held_); });
    std::sort(held_.begin(), held_.end());
}

bool on_line_now::operator()(const character_record& c) const {
    if (c.number < 1) return false;
    if (cur_char && c.number == cur_char->number) return !left_play;
    if (!known_) return c.online != 0;
    return std::binary_search(held_.begin(), held_.end(), c.number);
}

bool character_on_line(const character_record& c) { return on_line_now()(c); }

bool lock_character(std::int16_t number) {
    // The game directory is the current one; a test or a new session may have moved it.
    if (lock_fd >= 0) ::close(lock_fd);
    do {
        lock_fd = ::open(char_lock_file_name, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    } while (lock_fd < 0 && errno == EINTR);
    // Without the file (no permission, no locks on this file system) the game plays as it
    // always did, trusting the callers.
    if (lock_fd < 0) return true;
    if (set_lock(F_WRLCK, number)) return true;
    return errno != EAGAIN && errno != EACCES;
}
