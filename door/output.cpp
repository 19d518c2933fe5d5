// Output to the caller: buffered text, colours, cursor and screen as ANSI sequences.
#include <cerrno>
#include <poll.h>
#include <string>
#include <unistd.h>

#include "door/door.hpp"
#include "door/door_internal.hpp"

namespace {
std::string out_buf;
constexpr std::size_t out_buf_size = 2048;

constexpr int fore_code[8] = {30, 34, 32, 36, 31, 35, 33, 37};
constexpr int back_code[8] = {40, 44, 42, 46, 41, 45, 43, 47};

// Callers below ANSI get the text only, never an escape sequence.
bool ansi_allowed() { return graphics_mode >= 3; }

void send_sequence(const std::string& body) {
    if (ansi_allowed()) send_str("\x1b[" + body);
}

// Colour classes: 0 normal, 1 bright, 2 blink, 3 bright blink.
int colour_class(int c) { return (c / 8) & 3; }

// The prefix that moves from the old class to the new one; "reset" tells whether it
// starts from a reset ("0;"), after which the background must be named again.
std::string class_prefix(int new_class, int old_class) {
    static const char* const table[4][4] = {
        //  old N     old B     old K     old BK
        {"", "0;", "0;", "0;"},      // new N
        {"1;", "", "0;1;", "0;1;"},  // new B
        {"5;", "0;5;", "", "0;5;"},  // new K
        {"1;5;", "5;", "1;", ""},    // new BK
    };
    return table[new_class][old_class];
}

// Output after carrier loss is dropped.
bool lost_output() { return !carrier_present || carrier_lost; }

// Where the cursor stands, followed through the text sent (escape sequences do not move it).
bool at_line_start = true;
int escape_state = 0;          // 0 text, 1 after ESC, 2 inside ESC "[" ... up to its final byte
bool end_prompt_line = false;  // output interrupting a prompt: its line is ended first
bool any_output = false;       // the session has sent something

// Called before c goes into the buffer.
void follow_cursor(char c) {
    any_output = true;
    if (escape_state == 1) {
        escape_state = c == '[' ? 2 : 0;
        return;
    }
    if (escape_state == 2) {
        if (c >= 0x40 && c <= 0x7e) escape_state = 0;
        return;
    }
    if (c == '\x1b') {
        escape_state = 1;
        return;
    }
    if (end_prompt_line && !at_line_start) {
        out_buf += "\r\n";
        at_line_start = true;
    }
    end_prompt_line = false;
    if (c == '\n')
        at_line_start = true;
    else if (c != '\r')
        at_line_start = false;
}

// The PC character set's upper half (128-255) as the same characters in Unicode.
constexpr char16_t cp437_upper[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

void push_utf8(char c) {
    char16_t u = cp437_upper[static_cast<unsigned char>(c) - 128];
    if (u < 0x800) {
        out_buf.push_back(static_cast<char>(0xC0 | (u >> 6)));
    } else {
        out_buf.push_back(static_cast<char>(0xE0 | (u >> 12)));
        out_buf.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
    }
    out_buf.push_back(static_cast<char>(0x80 | (u & 0x3F)));
}
}  // namespace

namespace door_state {
void write_direct(std::string_view s) {
    const char* p = s.data();
    std::size_t left = s.size();
    while (left > 0) {
        ssize_t n = ::write(1, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void discard_output() { out_buf.clear(); }

void reset_cursor() {
    at_line_start = true;
    escape_state = 0;
    end_prompt_line = false;
    any_output = false;
}

void end_screen() {
    end_prompt_line = false;
    if (!any_output || lost_output()) return;
    if (!at_line_start) {
        send_char('\r');
        send_char('\n');
    }
    if (ansi_allowed()) {
        for (char c : std::string_view("\x1b[0m")) send_char(c);
        cur_colour = 7;
        cur_back_colour = 0;
    }
}
}  // namespace door_state

void flush_output() {
    if (out_buf.empty()) return;
    if (lost_output()) {
        out_buf.clear();
        return;
    }
    const char* p = out_buf.data();
    std::size_t left = out_buf.size();
    while (left > 0) {
        ssize_t n = ::write(1, p, left);
        if (n < 0) {
            if (errno == EINTR && carrier_present) continue;
            if (errno == EAGAIN) {
                // A BBS may hand over a non-blocking line: wait until it takes more.
                struct pollfd w = {1, POLLOUT, 0};
                poll(&w, 1, 1000);
                if (carrier_present) continue;
                break;
            }
            // The caller's line is gone (or the caller hung up while it was full): what was
            // not sent never will be.
            carrier_present = 0;
            carrier_lost = true;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    out_buf.clear();
}

void send_char(char c) {
    if (lost_output()) return;
    follow_cursor(c);
    // The game's screens are drawn in the PC character set; a console that reads UTF-8
    // shows them as the same characters only when they are sent as UTF-8.
    if (door_state::utf8_console && static_cast<unsigned char>(c) >= 128)
        push_utf8(c);
    else
        out_buf.push_back(c);
    if (out_buf.size() >= out_buf_size) flush_output();
}

void send_str(std::string_view s) {
    if (!door_state::carrier_ok()) return;
    for (char c : s) send_char(c);
}

void write_str(std::string_view s) { send_str(s); }

void write_line(std::string_view s) {
    send_str(s);
    send_str("\r\n");
    ++door_state::line_counter;
}

void fresh_line() {
    if (!at_line_start) write_line();
}

void below_prompt(const std::function<void()>& show) {
    end_prompt_line = true;
    show();
    end_prompt_line = false;
}

void clear_screen() {
    // Only ANSI-BBS terminals home the cursor on a clear; the others would draw the next
    // screen from where the cursor was.
    send_sequence("2J");
    send_sequence("H");
    if (ansi_allowed()) at_line_start = true;
    door_state::line_counter = 1;
}

void clear_to_eol() { send_sequence("K"); }

void goto_xy(int x, int y) { send_sequence(std::to_string(y) + ";" + std::to_string(x) + "H"); }

void set_fore_colour(int c) {
    if (c < 0 || c >= 32 || c == cur_colour) return;
    std::string body;
    if (c == 7 && cur_back_colour == 0) {
        body = "0m";
    } else {
        int nc = colour_class(c), oc = colour_class(cur_colour);
        std::string f = std::to_string(fore_code[c % 8]);
        std::string g = cur_back_colour ? ";" + std::to_string(back_code[cur_back_colour % 8]) : "";
        std::string prefix = class_prefix(nc, oc);
        // A reset in the prefix clears the background, so it is named again.
        bool reset = prefix.rfind("0;", 0) == 0;
        body = prefix + f + (reset ? g : "") + "m";
    }
    send_sequence(body);
    cur_colour = static_cast<std::uint8_t>(c);
}

void set_back_colour(int b) {
    if (b < 0 || b > 7 || b == cur_back_colour) return;
    cur_back_colour = static_cast<std::uint8_t>(b);
    if (cur_colour == 7 && b == 0)
        send_sequence("0m");
    else
        send_sequence(std::to_string(back_code[b]) + "m");
}

void set_colours(int c, int b) {
    if (c < 0 || c >= 32 || b < 0 || b >= 8) return;
    bool fore_same = c == cur_colour, back_same = b == cur_back_colour;
    if (fore_same && back_same) return;
    if (back_same) return set_fore_colour(c);
    if (fore_same) return set_back_colour(b);
    std::string body;
    if (c == 7 && b == 0) {
        body = "0m";
    } else {
        std::string prefix = class_prefix(colour_class(c), colour_class(cur_colour));
        body = prefix + std::to_string(fore_code[c % 8]);
        if (!(prefix.rfind("0;", 0) == 0 && b == 0)) body += ";" + std::to_string(back_code[b]);
        body += "m";
    }
    send_sequence(body);
    cur_colour = static_cast<std::uint8_t>(c);
    cur_back_colour = static_cast<std::uint8_t>(b);
}

void carrier_lost_exit() {
    // Already on the way out: the chain goes on with the code it has.
    if (halting()) halt(halt_code());
    if (door_state::in_carrier_exit) halt(0);
    door_state::in_carrier_exit = true;
    carrier_present = 0;
    carrier_lost = true;
    out_buf.clear();
    door_state::write_direct("\r\nCarrier Dropped, returning to BBS.\r\n");
    halt(0);
}

void door_hold_raise() { ++door_state::hold_count; }

void door_hold_lower() {
    if (door_state::hold_count > 0) --door_state::hold_count;
    // The exit that waited for the hold happens now.
    if (door_state::hold_count == 0) door_state::carrier_ok();
}
