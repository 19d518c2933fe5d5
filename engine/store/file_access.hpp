// How every game file is opened, waited for, replaced and appended to.
//
// The rule for opening: a file is test-opened first. "Missing" is each caller's case; any
// other failure means the file is busy: it is tried again up to 41 times, 500 ms apart,
// silently, and when it stays busy it is reported (store_status.hpp) with the file's code
// (8 "players.dat", 6 "quorstat.dat", 9 "weapons.dat", 10 "armors.dat", 11 "shields.dat",
// 5 any other file).
//
// Whole-file rewrites never write in place: the new contents go to a temporary file unique
// to this process in the same directory, which is then renamed over the old one, so another
// node sees the old file or the new one and never a torn one. A rewrite that fails (disk
// full, no permission) keeps the old file.
//
// Files that one node appends to while another pops or rewrites them (queues, mailboxes,
// boards, logs) go through locked_append and locked_update, which serialise on an advisory
// lock of the file itself.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Results of a test-open, as the game's file rule names them.
constexpr int io_ok = 0;
constexpr int io_missing = 2;

// The busy-file wait: this many tries, each followed by this pause.
constexpr int busy_tries = 41;
constexpr int busy_pause_ms = 500;

// Test-opens the file for reading: io_ok, io_missing, or another (busy) code.
int test_open(const std::string& name);
// A test-open result that is neither free nor missing.
inline bool is_busy(int result) { return result != io_ok && result != io_missing; }
// True when the file opens for reading; a failure other than "not found" counts as existing.
bool file_exists(const std::string& name);
// The exit code for a file that stays busy (8, 6, 9, 10, 11, else 5), by exact name.
int busy_exit_code(const std::string& name);
// The busy-file wait: up to 41 tries with a 500 ms pause after each; result receives the
// last try's code. Ends the game with the file's code when the file stays busy.
int invis_file_available(const std::string& name, int& result);
// Test-open plus the busy-file wait: true when the file is there, false when it is missing.
// Never returns for a file that stays busy.
bool wait_for_file(const std::string& name);

// Erases the file after waiting for it; nothing when it is missing.
void erase_file(const std::string& name);
// Renames the file after waiting for it; nothing when it is missing.
void rename_file(const std::string& old_name, const std::string& new_name);

// What tells a file's contents apart without reading them: the file itself (device and
// inode), its size, and its change and modification times to the nanosecond. Every rewrite
// makes a new file and every write sets the times, so an equal stamp means the contents seen
// when the stamp was taken.
struct file_stamp {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = -1, changed_ns = 0, modified_ns = 0;
    bool operator==(const file_stamp&) const = default;
};
// The file's stamp now; nothing when it cannot be looked at (missing, no permission).
std::optional<file_stamp> stamp_of(const std::string& name);
// The same for a file this process holds open.
std::optional<file_stamp> stamp_of_open(int fd);

// Outcome of reading a whole file.
enum class file_status { ok, missing, corrupt };
// Reads the whole file through the open rule (busy: the wait, then the file's code).
// corrupt here means only that reading failed part-way. stamp, when given, receives the
// stamp of the file that was read.
file_status read_whole_file(const std::string& name, std::string& contents, file_stamp* stamp = nullptr);
// The same, handing the file to take in pieces of up to 64 KB in order instead of building
// it whole: a reader that decodes as it goes needs no second copy of a large file. The
// stamp is taken before the first piece (its size tells what is coming).
file_status read_file_pieces(const std::string& name, const std::function<void(std::string_view piece)>& take,
                             file_stamp* stamp = nullptr);

// Replaces the file's contents through a temporary file + rename. False when the write
// failed; the old file is then unchanged and no temporary file is left. A mode (0 to 07777)
// is given to the new file before the rename, so it never stands under the name without it;
// else the old file's mode is kept.
bool atomic_rewrite(const std::string& name, std::string_view contents, int mode = -1);
// atomic_rewrite, and when it fails: a FORCE line in the debug log and the orderly exit
// with code 5 (while the program is already ending, only the log line).
void rewrite_file(const std::string& name, std::string_view contents);
// The same for contents made piece by piece, so that a large file is never held whole in
// memory: fill hands each piece to put (false when the write failed) and returns false to
// give up; the old file then stays.
using piece_writer = std::function<bool(std::string_view piece)>;
bool atomic_rewrite(const std::string& name, const std::function<bool(const piece_writer& put)>& fill, int mode = -1);
void rewrite_file(const std::string& name, const std::function<bool(const piece_writer& put)>& fill);

// Appends bytes to the file (created when missing) under an exclusive lock of the file,
// re-opening when another node replaced or erased the file while we waited for the lock.
// False when the file cannot be opened or written.
bool locked_append(const std::string& name, std::string_view bytes);
// The same after the busy-file wait of wait_for_file, which is only needed when the file
// cannot be opened: a free file costs one open, not a test-open and an open.
bool locked_append_when_free(const std::string& name, std::string_view bytes);
// The same, with the bytes chosen under the lock from the file's size then (0 for a file that
// was missing): what opens a file can go in only when it is empty.
bool locked_append_when_free(const std::string& name, const std::function<std::string(std::int64_t size)>& bytes);

// What locked_update does with the file once the change has run. whole (locked_tail_update
// only): nothing yet, the change is called again with the whole file.
enum class locked_action { keep, rewrite, erase, append, whole };
// Takes the same lock as locked_append on the file (a missing file reads as empty), reads it
// whole, lets change edit the contents and choose: keep the file as it is, rewrite it with
// the edited contents (temporary file + rename, still under the lock), erase it, or append:
// the contents as edited are added at the file's end, the file itself left as it was. No
// append can slip in between the read and the rewrite. A file left empty with keep is
// erased, so a look at a missing file leaves none behind. False when the file cannot be
// opened or read or the rewrite fails (the old file is then kept).
bool locked_update(const std::string& name, const std::function<locked_action(std::string& contents)>& change);
// locked_update that reads at first only the file's last tail bytes: change sees them, with
// whole true when they are all of the file, and answers whole to see all of it (still under
// the same lock). A look at the end of a large file costs no read of the rest.
bool locked_tail_update(const std::string& name, std::size_t tail,
                        const std::function<locked_action(std::string& contents, bool whole)>& change);
// locked_update, and when it fails: a FORCE line in the debug log and the orderly exit with
// code 5 (while the program is already ending, only the log line).
void update_locked_file(const std::string& name, const std::function<locked_action(std::string& contents)>& change);
// A write of the file failed: "Could not write <name> : <the system's reason>" as a FORCE
// line in the debug log, and the failure reported with code 5 (store_status.hpp: shown to the
// caller and the orderly exit; while the program is already ending, only the log line).
// Reads errno.
void file_write_failed(const std::string& name);
// Renames from over to in one step. False when from is missing; any other failure goes to
// file_write_failed(to).
bool replace_file(const std::string& from, const std::string& to);

// Overwrites the byte at offset of the file in place, on disk before it returns: a mark that
// leaves the file's other bytes and its inode as they were. A write of a game file like the
// others (the write watch below). False when the file cannot be opened or written.
bool overwrite_byte(const std::string& name, std::int64_t offset, char byte);

// Called in every rewrite once its temporary file is complete, just before the rename over the
// file (name, the temporary file's name), and again with an empty temporary name when that
// rename or the write failed: a kill after the first call and before the rename leaves the
// temporary file, so whoever noted it can tell afterwards whether the new contents stand. For a
// step over several files (shop_step.hpp). The watch is not called for its own rewrites.
using rename_watch_fn = std::function<void(const std::string& name, const std::string& temp)>;
void set_rename_watch(rename_watch_fn watch);

// Called with the file's name before every write of a game file (atomic_rewrite,
// locked_append, replace_file); null for none, when the write is one of the seam's moments
// (door/sys.hpp). For tests that stop a process after its k-th write.
using write_watch_fn = void (*)(const std::string& name);
void set_write_watch(write_watch_fn watch);
