// Keys as terminals send them. An arrow or function key arrives as ESC, "[" or "O", optional
// parameter bytes and one final byte; its bytes may come split over a short time. Both the
// game's key reader and the sysop's utility recognise them here, so neither takes the pieces
// of one key for several keys.
#pragma once
#include <cstddef>
#include <string_view>

// Extended codes of the keys the utility acts on.
constexpr int key_up = 72, key_down = 80, key_left = 75, key_right = 77, key_home = 71, key_end = 79, key_insert = 82,
              key_delete = 83, key_ctrl_left = 115, key_ctrl_right = 116;

// What the first bytes of the input are.
struct term_key {
    std::size_t length = 0;  // bytes taken; 0: the bytes so far may still become a sequence
    int code = 0;            // the byte (plain key) or the extended code; 0 for an unknown sequence
    bool extended = false;   // an arrow, Home, End, Insert, Delete or Ctrl+arrow
    bool sequence = false;   // an escape sequence (known or not): never a plain key
};

// Decodes the bytes at the front of the input. When complete is false, bytes that may still
// grow into a sequence give length 0; when it is true (no more bytes came within the wait)
// something is always taken: a lone ESC is the key 27, a cut-off sequence is dropped whole.
// ESC followed by anything but "[" or "O" is the key 27 alone.
term_key decode_term_key(std::string_view bytes, bool complete);

// How long to wait for the next byte of a sequence.
constexpr int key_sequence_wait_ms = 60;

// The next byte of the input within ms milliseconds, or -1.
using next_byte_fn = int (*)(int ms);

struct read_term_key_result {
    term_key key;
    int leftover = -1;  // a byte read past the key, to be read as the next key's first; -1 none
};
// Reads the rest of a key whose first byte has arrived, waiting up to key_sequence_wait_ms for
// each further byte.
read_term_key_result read_term_key(int first, next_byte_fn next_byte);
