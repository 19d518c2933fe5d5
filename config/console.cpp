#include "config/console.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "door/door.hpp"
#include "door/door_internal.hpp"
#include "door/keys.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/lookups.hpp"

namespace {
bool console_input_ended = false;
int console_leftover = -1;

// One byte of the local console within ms (-1: wait for it), or -1.
int console_byte(int ms) {
    if (console_input_ended) return -1;
    struct pollfd p = {0, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return -1;
    unsigned char c;
    ssize_t n = ::read(0, &c, 1);
    if (n == 1) return c;
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return -1;
    console_input_ended = true;
    return -1;
}
}  // namespace

char read_key_ext(bool& extended) {
    for (;;) {
        extended = false;
        int b = console_leftover;
        console_leftover = -1;
        while (b < 0 && !console_input_ended) b = console_byte(-1);
        // Piped input that has run out answers every question with Escape: "no", "quit".
        if (b < 0) return 27;
        if (b == 0) continue;
        read_term_key_result r = read_term_key(b, console_byte);
        console_leftover = r.leftover;
        if (r.key.sequence) {
            if (!r.key.extended) continue;
            extended = true;
            return static_cast<char>(r.key.code);
        }
        if (r.key.code == 127) return 8;
        if (r.key.code == '\n') return 13;
        return static_cast<char>(r.key.code);
    }
}

void reset_console_keys() {
    console_input_ended = false;
    console_leftover = -1;
}

namespace cfg {
namespace {
constexpr char show_cursor[] = "\x1b[?25h";
constexpr char hide_cursor[] = "\x1b[?25l";
constexpr char plain_colours[] = "\x1b[0m";

// Every way out gives the console back as it was: the line ended and the colours reset as
// the game leaves them, cursor shown, settings restored.
void restore_console() {
    door_state::end_screen();
    flush_output();
    door_state::write_direct(show_cursor);
    door_state::restore_terminal();
}

// A stop signal ends the utility at once, unsaved: only what another program could trip
// over is put right (a hold this process took, the console's settings).
void on_stop_signal(int sig) {
    release_hold_in_signal();
    (void)!::write(1, plain_colours, sizeof plain_colours - 1);
    (void)!::write(1, show_cursor, sizeof show_cursor - 1);
    door_state::restore_terminal();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}
}  // namespace

void console_open() {
    graphics_mode = 3;
    carrier_present = 1;
    std::signal(SIGPIPE, SIG_IGN);
    for (int sig : {SIGHUP, SIGTERM, SIGINT, SIGQUIT}) std::signal(sig, on_stop_signal);
    add_exit_proc(restore_console);
    door_state::enter_raw_mode();
    // The engine's own messages (the hold's wait, a missing file) show in the utility's colours.
    set_disp_line_hook(disp_codes_line);
    set_disp_str_hook(disp_codes);
}

void print_text(std::string_view s) { disp_codes(s); }

void print_line(std::string_view s) { disp_codes_line(s); }

void print_literal(std::string_view s) {
    std::string shown(s);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '.';
    write_str(shown);
}

std::string literal_codes(std::string_view s) {
    std::string out;
    for (char c : s) out += c == '`' ? std::string("``") : std::string(1, c);
    return out;
}

void print_labelled(std::string_view label, std::string_view value) {
    print_text(label);
    std::size_t used = strip_codes(label).size();
    std::size_t room = used + 1 < screen_columns ? screen_columns - 1 - used : 0;
    print_literal(value.substr(0, room));
}

void clear_console() {
    clear_screen();
    goto_xy(1, 1);
}

void goto_xy_console(int column, int row) { goto_xy(column, row); }

void hit_any_key() {
    print_text("`9      [ Hit any key ]");
    bool extended;
    get_key(extended);
}

void cursor_visible(bool on) { send_str(on ? show_cursor : hide_cursor); }

char get_key(bool& extended) {
    flush_output();
    return read_key_ext(extended);
}

void halt_with_code(int code) { halt(code); }

void remove_file(const std::string& name) {
    if (file_exists(name)) ::unlink(name.c_str());
}

std::string hex_word(std::uint16_t value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value));
    return buf;
}

std::int64_t free_memory_bytes() {
    long pages = ::sysconf(_SC_AVPHYS_PAGES);
    long size = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? std::int64_t(pages) * size : 0;
}

void frame_line(std::string_view editor_name) {
    print_line(std::string(editor_name) + " for `1T`9he `1Q`9uorvath `!v" + utility_version +
               "      `$Free Memory : " + comma_number(free_memory_bytes()));
}

char yes_no(bool default_yes) {
    print_text(default_yes ? "(`3Y`9/`3N`9) [`%Y`9] : `%" : "(`3Y`9/`3N`9) [`%N`9] : `%");
    bool extended;
    char k = get_key(extended);
    if (extended) return ' ';
    if (k == 13) return default_yes ? 'Y' : 'N';
    if (k == 27) return 'N';
    return upcase_str(std::string(1, k))[0];
}

void foot_message(const std::vector<std::string>& lines) {
    int row = screen_rows - static_cast<int>(lines.size()) + 1;
    for (std::size_t i = 0; i < lines.size(); ++i, ++row) {
        goto_xy_console(1, row);
        clear_to_eol();
        print_text(lines[i] + (i + 1 == lines.size() ? "`9  [ Hit any key ]" : ""));
    }
    bool extended;
    get_key(extended);
}

void ask_write_changes(int row, const std::function<std::string()>& write) {
    goto_xy_console(1, row);
    clear_to_eol();
    print_text("`9  Write Changes? ");
    std::string said = yes_no(true) == 'N' ? "`4  Changes not saved" : write();
    goto_xy_console(1, row + 1);
    clear_to_eol();
    print_text(said.empty() ? "`!  Changes saved" : said);
    hit_any_key();
}

std::optional<std::string> ask_file_stem(int row, const std::function<std::string(std::string_view)>& refusal) {
    goto_xy_console(1, row);
    cursor_visible(true);
    print_line("`9  Enter the name of the file, do not include an extension : `%");
    print_text("  `9>`3");
    std::string name;
    bool abort = false;
    edit_field(name, "", 4, 40, row + 1, 0, abort);
    cursor_visible(false);
    name = trim_trailing(trim_leading(name));
    if (abort) return std::nullopt;
    if (std::string why = refusal(name); !why.empty()) {
        goto_xy_console(1, row + 3);
        print_line(why);
        hit_any_key();
        return std::nullopt;
    }
    return name;
}

character_record* player_by_number(std::int16_t number) {
    for (character_record& c : char_list)
        if (c.number == number) return &c;
    return nullptr;
}

void clear_current_classes(std::int16_t& classes) { classes = static_cast<std::int16_t>(classes & ~0x3F); }

}  // namespace cfg
