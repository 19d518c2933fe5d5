#include "engine/store/file_access.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "door/sys.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/exit_codes.hpp"
#include "engine/store/store_status.hpp"

namespace {
class fd_closer {
public:
    explicit fd_closer(int fd) : fd_(fd) {}
    ~fd_closer() {
        if (fd_ >= 0) ::close(fd_);
    }
    fd_closer(const fd_closer&) = delete;
    fd_closer& operator=(const fd_closer&) = delete;
    int get() const { return fd_; }
    int release() {
        int f = fd_;
        fd_ = -1;
        return f;
    }

private:
    int fd_;
};

bool write_all(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool read_pieces(int fd, const std::function<void(std::string_view piece)>& take) {
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        take(std::string_view(buf, static_cast<std::size_t>(n)));
    }
}

bool read_all(int fd, std::string& out) {
    out.clear();
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
    return read_pieces(fd, [&out](std::string_view piece) { out.append(piece); });
}

file_stamp stamp_from(const struct stat& st) {
    auto ns = [](const timespec& t) { return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), ns(st.st_ctim), ns(st.st_mtim)};
}

// A name in the same directory as the file, unique to this process.
std::string temp_name_for(const std::string& name) {
    std::string::size_type slash = name.rfind('/');
    std::string dir = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    return dir + "." + base + "." + std::to_string(::getpid()) + ".tmp";
}

// Opens the file and locks it exclusively, making sure the lock is on the file that the
// name names now (another node may have replaced or erased it while we waited).
int open_locked(const std::string& name, int flags) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        int fd = ::open(name.c_str(), flags | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        while (::flock(fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd);
                return -1;
            }
        }
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::stat(name.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev)
            return fd;
        ::close(fd);
    }
    return -1;
}

write_watch_fn write_watch = nullptr;
rename_watch_fn rename_watch;

// The rename watch, which never sees its own rewrites.
void tell_rename_watch(const std::string& name, const std::string& temp) {
    rename_watch_fn watch = std::exchange(rename_watch, nullptr);
    watch(name, temp);
    rename_watch = std::move(watch);
}

// Without a watch of its own, a write is one of the moments a test may stop the game at.
void watch_write(const std::string& name) {
    if (write_watch)
        write_watch(name);
    else
        sys().moment();
}
}  // namespace

int test_open(const std::string& name) {
    for (;;) {
        int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            struct stat st;
            bool dir = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
            ::close(fd);
            return dir ? EISDIR : io_ok;
        }
        if (errno == EINTR) continue;
        if (errno == ENOENT || errno == ENOTDIR) return io_missing;
        return errno == io_ok ? EIO : errno;
    }
}

bool file_exists(const std::string& name) { return test_open(name) != io_missing; }

int busy_exit_code(const std::string& name) {
    if (name == "players.dat") return exit_players_stuck;
    if (name == "quorstat.dat") return exit_stat_stuck;
    if (name == "weapons.dat") return exit_weapons_stuck;
    if (name == "armors.dat") return exit_armors_stuck;
    if (name == "shields.dat") return exit_shields_stuck;
    return exit_file_stuck;
}

int invis_file_available(const std::string& name, int& result) {
    debug_enter("Entering invis_file_available  " + name);
    int tries = 0;
    do {
        result = test_open(name);
        ++tries;
        delay_ms(busy_pause_ms);
    } while (tries < busy_tries && is_busy(result));
    if (is_busy(result)) {
        std::string reason = std::strerror(result);
        debug_log("FORCE:Could not open " + name + " : " + reason);
        report_store({store_event::file_busy, name, reason, busy_exit_code(name)});
    }
    debug_leave("Leaving invis_file_available");
    return result;
}

bool wait_for_file(const std::string& name) {
    int result = test_open(name);
    if (is_busy(result)) invis_file_available(name, result);
    return result == io_ok;
}

void erase_file(const std::string& name) {
    if (!wait_for_file(name)) return;
    ::unlink(name.c_str());
}

void rename_file(const std::string& old_name, const std::string& new_name) {
    if (!wait_for_file(old_name)) return;
    ::rename(old_name.c_str(), new_name.c_str());
}

std::optional<file_stamp> stamp_of(const std::string& name) {
    struct stat st;
    if (::stat(name.c_str(), &st) != 0) return std::nullopt;
    return stamp_from(st);
}

std::optional<file_stamp> stamp_of_open(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return std::nullopt;
    return stamp_from(st);
}

file_status read_whole_file(const std::string& name, std::string& contents, file_stamp* stamp) {
    contents.clear();
    file_stamp own;
    file_stamp& s = stamp ? *stamp : own;
    return read_file_pieces(
        name,
        [&contents, &s](std::string_view piece) {
            if (contents.empty() && s.size > 0) contents.reserve(static_cast<std::size_t>(s.size));
            contents.append(piece);
        },
        &s);
}

file_status read_file_pieces(const std::string& name, const std::function<void(std::string_view piece)>& take,
                             file_stamp* stamp) {
    if (!wait_for_file(name)) return file_status::missing;
    int fd;
    do {
        fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno == ENOENT ? file_status::missing : file_status::corrupt;
    fd_closer closer(fd);
    if (stamp) {
        // Taken before the reading: a change meanwhile gives a stamp that differs later.
        struct stat st;
        if (::fstat(fd, &st) != 0) return file_status::corrupt;
        *stamp = stamp_from(st);
    }
    return read_pieces(fd, take) ? file_status::ok : file_status::corrupt;
}

bool atomic_rewrite(const std::string& name, std::string_view contents, int new_mode) {
    return atomic_rewrite(
        name, [contents](const piece_writer& put) { return put(contents); }, new_mode);
}

bool atomic_rewrite(const std::string& name, const std::function<bool(const piece_writer& put)>& fill, int new_mode) {
    watch_write(name);
    std::string tmp = temp_name_for(name);
    mode_t mode = 0666;
    struct stat old;
    if (::stat(name.c_str(), &old) == 0) mode = old.st_mode & 07777;
    if (new_mode >= 0) mode = static_cast<mode_t>(new_mode & 07777);
    int fd;
    do {
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    // The data must be on disk before the new name points at it, or a crash could leave
    // an empty file where the players were.
    bool ok = fill([fd](std::string_view piece) { return write_all(fd, piece); }) && ::fdatasync(fd) == 0;
    // open's mode passes through the umask; a mode asked for is meant exactly.
    if (ok && new_mode >= 0 && ::fchmod(fd, mode) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    bool watched = ok && rename_watch;
    if (watched) tell_rename_watch(name, tmp);
    if (ok && ::rename(tmp.c_str(), name.c_str()) != 0) ok = false;
    if (!ok && watched) {
        int reason = errno;
        tell_rename_watch(name, "");
        errno = reason;
    }
    if (!ok) {
        // The reason of the failure is what gets reported, not the clean-up's.
        int reason = errno;
        ::unlink(tmp.c_str());
        errno = reason;
    }
    return ok;
}

void rewrite_file(const std::string& name, std::string_view contents) {
    rewrite_file(name, [contents](const piece_writer& put) { return put(contents); });
}

void rewrite_file(const std::string& name, const std::function<bool(const piece_writer& put)>& fill) {
    if (!atomic_rewrite(name, fill)) file_write_failed(name);
}

namespace {
bool append_to(int fd, std::string_view bytes) {
    if (fd < 0) return false;
    fd_closer closer(fd);
    return write_all(fd, bytes);
}
}  // namespace

bool locked_append(const std::string& name, std::string_view bytes) {
    watch_write(name);
    return append_to(open_locked(name, O_WRONLY | O_APPEND), bytes);
}

bool locked_append_when_free(const std::string& name, std::string_view bytes) {
    return locked_append_when_free(name, [bytes](std::int64_t) { return std::string(bytes); });
}

bool locked_append_when_free(const std::string& name, const std::function<std::string(std::int64_t size)>& bytes) {
    watch_write(name);
    int fd = open_locked(name, O_WRONLY | O_APPEND);
    // Only a file that could not be opened goes through the wait (which ends the game when
    // the file stays busy); a failed write is never repeated, or the lines would be doubled.
    if (fd < 0) {
        wait_for_file(name);
        fd = open_locked(name, O_WRONLY | O_APPEND);
    }
    if (fd < 0) return false;
    fd_closer closer(fd);
    struct stat st;
    return ::fstat(fd, &st) == 0 && write_all(fd, bytes(static_cast<std::int64_t>(st.st_size)));
}

bool locked_tail_update(const std::string& name, std::size_t tail,
                        const std::function<locked_action(std::string& contents, bool whole)>& change) {
    int fd = open_locked(name, O_RDWR);
    if (fd < 0) return false;
    fd_closer closer(fd);
    std::string contents;
    struct stat st;
    if (::fstat(fd, &st) != 0) return false;
    // tail 0: the whole file at once.
    bool from_tail = tail > 0 && static_cast<std::uint64_t>(st.st_size) > tail;
    locked_action action = locked_action::whole;
    if (from_tail) {
        contents.resize(tail);
        ssize_t got;
        do {
            got = ::pread(fd, contents.data(), tail, st.st_size - static_cast<off_t>(tail));
        } while (got < 0 && errno == EINTR);
        if (got < 0) return false;
        contents.resize(static_cast<std::size_t>(got));
        action = change(contents, false);
    }
    if (action == locked_action::whole) {
        if (!read_all(fd, contents)) return false;
        action = change(contents, true);
    }
    switch (action) {
    case locked_action::keep:
    case locked_action::whole:
        // A file that was missing (created by our lock) and stays empty is not left behind.
        if (st.st_size == 0 && contents.empty()) ::unlink(name.c_str());
        return true;
    case locked_action::rewrite: return atomic_rewrite(name, contents);
    case locked_action::erase: return ::unlink(name.c_str()) == 0 || errno == ENOENT;
    case locked_action::append: watch_write(name); return ::lseek(fd, 0, SEEK_END) >= 0 && write_all(fd, contents);
    }
    return true;
}

bool locked_update(const std::string& name, const std::function<locked_action(std::string& contents)>& change) {
    return locked_tail_update(name, 0, [&change](std::string& contents, bool) { return change(contents); });
}

void update_locked_file(const std::string& name, const std::function<locked_action(std::string& contents)>& change) {
    if (!locked_update(name, change)) file_write_failed(name);
}

void file_write_failed(const std::string& name) {
    std::string reason = system_reason();
    debug_log("FORCE:Could not write " + name + " : " + reason);
    report_store({store_event::write_failed, name, reason, exit_file_stuck});
}

bool replace_file(const std::string& from, const std::string& to) {
    watch_write(to);
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    if (errno == ENOENT) return false;
    file_write_failed(to);
    return false;
}

void set_write_watch(write_watch_fn watch) { write_watch = watch; }

bool overwrite_byte(const std::string& name, std::int64_t offset, char byte) {
    watch_write(name);
    int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
    bool ok = fd >= 0 && ::pwrite(fd, &byte, 1, static_cast<off_t>(offset)) == 1 && ::fdatasync(fd) == 0;
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    return ok;
}

void set_rename_watch(rename_watch_fn watch) { rename_watch = std::move(watch); }
