// Keys and lines from the caller, and the time the caller has left.
#include "door/door.hpp"
#include "door/door_internal.hpp"
#include "door/file_forms.hpp"
#include "door/keys.hpp"

using namespace door_state;

namespace {
int sequence_byte(int ms) { return wait_readable(ms) ? take_byte() : -1; }

// A key that began with ESC from the line: the rest of a terminal's key sequence is read and
// the whole sequence dropped (true); a lone ESC stays the key. A byte read past the key is
// the next key's first.
bool drop_sequence(int first) {
    read_term_key_result r = read_term_key(first, sequence_byte);
    pending_key = r.leftover;
    return r.key.sequence;
}
}  // namespace

char read_key() {
    line_counter = 1;
    for (;;) {
        int k;
        if (!stuffed.empty()) {
            k = static_cast<unsigned char>(stuffed[0]);
            stuffed.erase(0, 1);
        } else if (decoded_key >= 0) {
            k = decoded_key;
            decoded_key = -1;
        } else {
            if (pending_key >= 0) {
                k = pending_key;
                pending_key = -1;
            } else {
                k = wait_byte();
                // The carrier is gone but the exit must wait (a hold is raised): Enter lets the
                // holder finish and release it.
                if (k < 0) return '\r';
            }
            if (k == 27 && drop_sequence(k)) continue;
        }
        if (k == 14) {
            stuffed = macro;
            k = 1;
        }
        if (k == 1) continue;
        return static_cast<char>(k);
    }
}

bool key_waiting() {
    flush_output();
    if (!carrier_ok()) return false;
    if (pending_key >= 0 || decoded_key >= 0) return true;
    if (wait_readable(10)) {
        int b = take_byte();
        if (b == 27) {
            // A key sequence is no key: the caller pressed nothing the game reads.
            if (drop_sequence(b)) return pending_key >= 0;
            decoded_key = 27;
            return true;
        }
        if (b > 0) {
            pending_key = b;
            return true;
        }
    }
    carrier_ok();  // end of input found by this look
    return false;
}

std::string read_line() {
    line_counter = 1;
    auto take_stacked = [] {
        std::size_t semi = stacked.find(';');
        std::string first = stacked.substr(0, semi);
        stacked = semi == std::string::npos ? std::string() : stacked.substr(semi + 1);
        return first;
    };
    std::string line;
    if (!stacked.empty()) {
        line = take_stacked();
        write_str(line);
    } else {
        for (;;) {
            unsigned char k = static_cast<unsigned char>(read_key());
            if (k == 13) break;
            if (k == 8 || k == 127) {
                if (!line.empty()) {
                    line.pop_back();
                    send_str("\b \b");
                }
                continue;
            }
            if (k != 9 && (k < 32 || k > 126)) k = '.';
            if (line.size() < 255) {
                line.push_back(static_cast<char>(k));
                send_str(std::string_view(reinterpret_cast<const char*>(&k), 1));
            }
        }
        if (command_stacking && line.find(';') != std::string::npos) {
            stacked = line;
            line = take_stacked();
        }
    }
    write_line();
    return line;
}

namespace {
std::int64_t read_number() { return parse_whole(read_line()).value_or(0); }
}  // namespace

std::int16_t read_int() { return clamp_to<std::int16_t>(read_number()); }
std::int32_t read_longint() { return clamp_to<std::int32_t>(read_number()); }
std::uint8_t read_byte() { return clamp_to<std::uint8_t>(read_number()); }
std::uint16_t read_word() { return clamp_to<std::uint16_t>(read_number()); }

std::int16_t minutes_left() {
    local_time now = clock_now();
    long elapsed = (now.hour * 3600L + now.minute * 60L + now.second) -
                   (start_time.hour * 3600L + start_time.minute * 60L + start_time.second);
    if (now.hour < start_time.hour) elapsed += 86400;  // the session went past midnight
    return clamp_to<std::int16_t>(static_cast<std::int64_t>(minutes_allowed) - elapsed / 60 + bonus_minutes);
}
