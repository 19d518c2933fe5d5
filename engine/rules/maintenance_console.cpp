// The console twins of the data-file readers and writers, for the maintenance run from the
// command line: no caller, so every message is a plain line on standard output.
#include <cerrno>
#include <unistd.h>
#include <vector>

#include "door/door.hpp"
#include "engine/rules/maintenance.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/record_file.hpp"
#include "engine/text/exit.hpp"

namespace {
void console_write(std::string_view text) {
    flush_output();
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(1, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void console_clear() { console_write("\x1b[2J\x1b[1;1H"); }

void console_goto(int x, int y) { console_write("\x1b[" + std::to_string(y) + ";" + std::to_string(x) + "H"); }

std::string_view waiting_word(int tries) { return tries % 2 == 0 ? "WAITING" : "......."; }

void console_held(int count, bool first) {
    if (first) {
        console_clear();
        console_write("  Temporary hold placed on file activity :        ");
    }
    console_write(std::string(7, '\b') + std::string(waiting_word(count)));
}

void console_too_long() {
    console_line("");
    console_line("  File Activity has been held too long, Please inform SysOp.");
}

// The file waited for in the console form; then what reading it gives.
template <class R>
file_status console_read(const std::string& name, std::vector<R>& recs) {
    int result;
    file_available_console(name, result);
    return read_record_file(name, recs);
}
}  // namespace

void console_line(std::string_view text) { console_write(std::string(text) + "\n"); }

namespace {
int console_displays = 0;
}

console_hold_display::console_hold_display() {
    if (console_displays++ == 0) set_hold_wait_display(console_held, console_too_long);
}
console_hold_display::~console_hold_display() {
    if (--console_displays == 0) set_hold_wait_display(nullptr, nullptr);
}

bool check_hold_console() {
    console_hold_display console;
    return wait_for_hold();
}

int file_available_console(const std::string& name, int& result) {
    return file_available_console(name, result, {" already open : HOLD", " file stuck OPEN", -1, console_line});
}

int file_available_console(const std::string& name, int& result, const console_busy_texts& texts) {
    result = test_open(name);
    if (!is_busy(result)) return result;
    console_clear();
    texts.show_line("\"" + name + "\"" + std::string(texts.hold_tail));
    int tries = 0;
    do {
        result = test_open(name);
        ++tries;
        delay_ms(busy_pause_ms);
        console_goto(static_cast<int>(name.size()) + 19, 1);
        console_write(waiting_word(tries));
    } while (tries < busy_tries && is_busy(result));
    if (is_busy(result)) {
        texts.show_line("");
        texts.show_line("\"" + name + "\"" + std::string(texts.stuck_tail));
        end_prog(texts.exit_code >= 0 ? texts.exit_code : busy_exit_code(name));
    }
    return result;
}

void read_char_file_console() {
    std::vector<character_record> recs;
    switch (console_read(players_file_name, recs)) {
    case file_status::missing: console_line("Starting new Character FILE"); return;
    case file_status::corrupt: console_line("Player file CORRUPTED Please inform SysOp"); end_prog(exit_char_corrupt);
    case file_status::ok: read_char_file(); return;
    }
}

void read_stat_file_console(stat_record& r) {
    std::vector<stat_record> recs;
    switch (console_read(stat_file_name, recs)) {
    case file_status::missing:
        console_line("Stat File Not Found : HOLD");
        create_stat_file(r);
        return;
    case file_status::corrupt: console_line("Stat file CORRUPTED Please inform SysOp"); end_prog(exit_stat_corrupt);
    case file_status::ok:
        if (recs.empty()) {
            console_line("Stat file CORRUPTED Please inform SysOp");
            end_prog(exit_stat_corrupt);
        }
        read_stat_file(r);
        return;
    }
}

void read_guild_file_console() {
    std::vector<guild_record> recs;
    switch (console_read(guilds_file_name, recs)) {
    case file_status::missing: debug_log("Running Game with no guild file."); return;
    case file_status::corrupt: console_line("Guild file CORRUPTED Please inform SysOp"); end_prog(exit_guild_corrupt);
    case file_status::ok: read_guild_file(); return;
    }
}

void write_char_file_console(const std::string& name) {
    check_hold_console();
    place_hold();
    int result;
    file_available_console(name, result);
    write_record_file<character_record>(name, char_list);
    remove_hold();
}

void write_guild_file_console(const std::string& name) {
    check_hold_console();
    int result;
    file_available_console(name, result);
    if (!guild_list.empty()) write_record_file<guild_record>(name, guild_list);
}
