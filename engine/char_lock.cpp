#include "engine/char_lock.hpp"

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
}  // namespace

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
