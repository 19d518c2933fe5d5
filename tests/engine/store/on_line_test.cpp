// Who is on line: another character plays only while a live process holds its lock; the
// online byte counts alone only where no lock can be seen.
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

#include "engine/engine_state.hpp"
#include "engine/store/char_lock.hpp"
#include "support/child.hpp"

namespace {
struct on_line : ::testing::Test, engine_state {
    // A node playing the character of that number: a live process holding its lock.
    static pid_t node_playing(std::int16_t number) {
        pid_t pid = start_child([number] {
            lock_character(number);
            for (;;) ::pause();
        });
        for (int i = 0; i < 500 && !character_in_play(number); ++i) ::usleep(10'000);
        EXPECT_TRUE(character_in_play(number)) << number;
        return pid;
    }
    static bool on(std::int16_t number, int byte) {
        character_record c = make_char(number, "Dora");
        c.online = static_cast<std::uint8_t>(byte);
        return character_on_line(c) && on_line_now()(c);
    }
};

TEST_F(on_line, a_live_lock_decides_and_the_byte_alone_proves_nothing) {
    // No lock file in the game directory: no node here locks, and the byte is all there is.
    EXPECT_TRUE(on(7, 1));
    EXPECT_FALSE(on(7, 0));
    pid_t dora = node_playing(7), eve = node_playing(300);
    struct row {
        std::int16_t number;
        int byte;
        bool on;
    } rows[] = {
        {7, 1, true},    // byte set, lock held
        {300, 0, true},  // byte clear, lock held: a live node holds it (at log-on, or after
                         // another node's write cleared the byte)
        {8, 1, false},   // byte set, lock free: a node that is gone
        {8, 0, false},
        {0, 1, false},  // no character
    };
    for (const row& r : rows) EXPECT_EQ(on(r.number, r.byte), r.on) << r.number << " byte " << r.byte;
    // Dora's node is killed: her byte stays set, and she is off line; Eve's node plays on.
    ::kill(dora, SIGKILL);
    wait_child(dora);
    EXPECT_FALSE(on(7, 1));
    EXPECT_TRUE(on(300, 1));
    ::kill(eve, SIGKILL);
    wait_child(eve);
    // The playing character of this node is on line whatever its byte and lock.
    cur_char = add_char(make_char(9, "Anna"));
    EXPECT_TRUE(on(9, 0));
}
}  // namespace
