// Keys as terminals send them: the one decoder, and the game's key reader over it.
#include <unistd.h>

#include "door/door_internal.hpp"
#include "door/keys.hpp"
#include "door_fixture.hpp"
#include "support/capture.hpp"
#include "support/input_feed.hpp"

TEST(term_keys, decoder_table) {
    struct row {
        std::string_view bytes;
        bool complete;
        std::size_t length;
        int code;
        bool extended, sequence;
    };
    const row rows[] = {
        {"\x1b[A", false, 3, key_up, true, true},
        {"\x1bOB", false, 3, key_down, true, true},
        {"\x1b[D", false, 3, key_left, true, true},
        {"\x1bOC", false, 3, key_right, true, true},
        {"\x1b[H", false, 3, key_home, true, true},
        {"\x1bOF", false, 3, key_end, true, true},
        {"\x1b[1~", false, 4, key_home, true, true},
        {"\x1b[4~", false, 4, key_end, true, true},
        {"\x1b[2~", false, 4, key_insert, true, true},
        {"\x1b[3~", false, 4, key_delete, true, true},
        {"\x1b[3;2~", false, 6, key_delete, true, true},
        {"\x1b[1;5D", false, 6, key_ctrl_left, true, true},
        {"\x1b[1;5C", false, 6, key_ctrl_right, true, true},
        {"\x1bOd", false, 3, key_ctrl_left, true, true},
        {"\x1b[1;2D", false, 6, key_left, true, true},  // Shift is no Ctrl
        {"\x1b[15~", false, 5, 0, false, true},         // F5: dropped
        {"\x1b[", false, 0, 0, false, true},            // may still grow
        {"\x1b[1;", true, 4, 0, false, true},           // cut off: dropped whole
        {"\x1b[1\r", false, 3, 0, false, true},         // broken off before the CR
        {"\x1b", false, 0, 0, false, false},
        {"\x1b", true, 1, 27, false, false},    // a lone ESC is a key
        {"\x1bq", false, 1, 27, false, false},  // ESC, then q as the next key
        {"\x1b\x1b", false, 1, 27, false, false},
        {"q[A", false, 1, 'q', false, false},
        {"\x7f", false, 1, 127, false, false},
    };
    for (const row& r : rows) {
        term_key k = decode_term_key(r.bytes, r.complete);
        SCOPED_TRACE(testing::PrintToString(std::string(r.bytes)));
        EXPECT_EQ(k.length, r.length);
        if (k.length == 0) continue;
        EXPECT_EQ(k.code, r.code);
        EXPECT_EQ(k.extended, r.extended);
        EXPECT_EQ(k.sequence, r.sequence);
    }
}

namespace {
struct game_keys : door_fixture {
    output_capture out;
};
}  // namespace

TEST_F(game_keys, sequences_are_dropped_whole) {
    input_feed keys("\x1b[Aa\x1bOBb\x1b[3;5~c\x1b[1;5Dd\x1bqe");
    std::string got;
    for (int i = 0; i < 7; ++i) got += read_key();
    EXPECT_EQ(got, "abcd\x1bqe");
}

TEST_F(game_keys, lone_escape_and_a_letter_after_the_wait) {
    input_feed keys("\x1b");
    EXPECT_EQ(read_key(), '\x1b');
    keys.send("[A");  // after the wait: "[" and "A" are keys of their own
    EXPECT_EQ(read_key(), '[');
    EXPECT_EQ(read_key(), 'A');
}

TEST_F(game_keys, key_waiting_ignores_a_sequence) {
    input_feed keys("\x1b[B");
    EXPECT_FALSE(key_waiting());
    keys.send("\x1b");
    EXPECT_TRUE(key_waiting());
    keys.send("x");
    EXPECT_EQ(read_key(), '\x1b');
    EXPECT_EQ(read_key(), 'x');
}
