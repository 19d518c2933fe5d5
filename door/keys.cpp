#include "door/keys.hpp"

#include <string>

namespace {
constexpr unsigned char esc = 27;

bool is_parameter(unsigned char b) { return b >= 0x30 && b <= 0x3F; }
bool is_intermediate(unsigned char b) { return b >= 0x20 && b <= 0x2F; }
bool is_final(unsigned char b) { return b >= 0x40 && b <= 0x7E; }

// The first number and the modifier of "1;5" (the modifier 1 when absent).
void parameters(std::string_view p, int& first, int& modifier) {
    first = 0;
    modifier = 1;
    int* at = &first;
    bool any = false;
    for (char c : p) {
        if (c >= '0' && c <= '9') {
            if (*at < 1000) *at = *at * 10 + (c - '0');
            any = true;
        } else if (c == ';' && at == &first) {
            at = &modifier;
            modifier = 0;
        } else {
            return;
        }
    }
    if (at == &modifier && modifier == 0) modifier = 1;
    if (!any) first = 0;
}

// The extended code of a whole sequence, 0 when it is none the utility knows.
int sequence_code(char final, std::string_view params) {
    int first, modifier;
    parameters(params, first, modifier);
    bool ctrl = modifier > 1 && ((modifier - 1) & 4) != 0;
    switch (final) {
    case 'A': return key_up;
    case 'B': return key_down;
    case 'C': return ctrl ? key_ctrl_right : key_right;
    case 'D': return ctrl ? key_ctrl_left : key_left;
    case 'c': return key_ctrl_right;  // SS3 forms of Ctrl+arrow
    case 'd': return key_ctrl_left;
    case 'H': return key_home;
    case 'F': return key_end;
    case '~':
        switch (first) {
        case 1:
        case 7: return key_home;
        case 4:
        case 8: return key_end;
        case 2: return key_insert;
        case 3: return key_delete;
        default: return 0;
        }
    default: return 0;
    }
}
}  // namespace

term_key decode_term_key(std::string_view bytes, bool complete) {
    term_key k;
    if (bytes.empty()) return k;
    unsigned char b0 = static_cast<unsigned char>(bytes[0]);
    if (b0 != esc || (bytes.size() == 1 && complete) || (bytes.size() > 1 && bytes[1] != '[' && bytes[1] != 'O')) {
        k.length = 1;
        k.code = b0;
        return k;
    }
    if (bytes.size() == 1) return k;
    // ESC "[" or ESC "O": parameters, intermediates, one final byte.
    // No key has a longer one; a longer run is noise and is dropped where it stands.
    constexpr std::size_t longest = 16;
    std::size_t i = 2;
    while (i < bytes.size() && i < longest && is_parameter(static_cast<unsigned char>(bytes[i]))) ++i;
    std::size_t params_end = i;
    while (i < bytes.size() && i < longest && is_intermediate(static_cast<unsigned char>(bytes[i]))) ++i;
    k.sequence = true;
    if (i >= longest) {
        k.length = i;
        return k;
    }
    if (i < bytes.size()) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (is_final(b)) {
            k.length = i + 1;
            k.code = params_end == i ? sequence_code(static_cast<char>(b), bytes.substr(2, params_end - 2)) : 0;
            k.extended = k.code != 0;
        } else {
            k.length = i;  // broken off by a byte that belongs to no sequence
        }
        return k;
    }
    if (complete) k.length = bytes.size();  // cut off: dropped whole
    return k;
}

read_term_key_result read_term_key(int first, next_byte_fn next_byte) {
    std::string bytes(1, static_cast<char>(first));
    for (;;) {
        term_key k = decode_term_key(bytes, false);
        if (k.length == 0) {
            int b = next_byte(key_sequence_wait_ms);
            if (b >= 0) {
                bytes.push_back(static_cast<char>(b));
                continue;
            }
            k = decode_term_key(bytes, true);
        }
        read_term_key_result r;
        r.key = k;
        if (k.length < bytes.size()) r.leftover = static_cast<unsigned char>(bytes[k.length]);
        return r;
    }
}
