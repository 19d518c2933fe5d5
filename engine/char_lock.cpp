#include "engine/char_lock.hpp"

#include "engine/data_files.hpp"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Open for the whole run: the record locks of a process go when it closes the file.
int lock_fd = -1;

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
enum class lock_seen { held, free, unknown };

// Whether another process holds a lock on the bytes from start (length 0: to the end of the
// file); unknown when the locks cannot be seen.
lock_seen lock_by_other(off_t start, off_t length) {
    // This node's own descriptor when it has one: closing another descriptor of the file would
    // drop this process's lock.
    int fd = lock_fd;
    bool own_fd = fd >= 0;
    if (!own_fd) {
        do {
            fd = ::open(char_lock_file_name, O_RDONLY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        // No lock file: no character was taken up here with a lock.
        if (fd < 0) return lock_seen::unknown;
    }
    struct flock l = {};
    l.l_type = F_WRLCK;
    l.l_whence = SEEK_SET;
    l.l_start = start;
    l.l_len = length;
    int r;
    do {
        r = ::fcntl(fd, F_GETLK, &l);
    } while (r != 0 && errno == EINTR);
    if (!own_fd) ::close(fd);
    if (r != 0) return lock_seen::unknown;
    return l.l_type != F_UNLCK ? lock_seen::held : lock_seen::free;
}
}  // namespace

bool character_in_play(std::int16_t number) { return lock_by_other(number, 1) == lock_seen::held; }

bool any_character_in_play() { return lock_by_other(0, 0) == lock_seen::held; }

bool character_on_line(const character_record& c) {
    if (c.number < 1) return false;
    if (cur_char && c.number == cur_char->number) return true;
    switch (lock_by_other(c.number, 1)) {
    case lock_seen::held: return true;
    case lock_seen::free: return false;
    default: return c.online != 0;
    }
}

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
