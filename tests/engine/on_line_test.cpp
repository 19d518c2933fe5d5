// Who is on line: another character plays only while a live process holds its lock; the
// online byte counts alone only where no lock can be seen.
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

#include "engine/char_lock.hpp"
#include "engine_state.hpp"
#include "support/child.hpp"

namespace {
struct on_line : ::testing::Test, engine_state {};

TEST_F(on_line, a_live_lock_decides_and_the_byte_alone_proves_nothing) {
    character_record dora = make_char(7, "Dora");
    // No lock file in the game directory: no node here locks, and the byte is all there is.
    for (int byte : {0, 1}) {
        dora.online = static_cast<std::uint8_t>(byte);
        EXPECT_EQ(character_on_line(dora), byte == 1) << byte;
    }
    // Dora's node: a live process holding her lock.
    pid_t node = start_child([] {
        lock_character(7);
        for (;;) ::pause();
    });
    for (int i = 0; i < 500 && !character_in_play(7); ++i) ::usleep(10'000);
    ASSERT_TRUE(character_in_play(7));
    character_record gwen = make_char(8, "Gwen");
    struct row {
        const character_record* c;
        int byte;
        bool on;
    } rows[] = {
        {&dora, 1, true},   // byte set, lock held
        {&dora, 0, true},   // byte clear, lock held: a live node holds her (at log-on, or after
                            // another node's write cleared the byte)
        {&gwen, 1, false},  // byte set, lock free: a node that is gone
        {&gwen, 0, false},
    };
    for (const row& r : rows) {
        character_record c = *r.c;
        c.online = static_cast<std::uint8_t>(r.byte);
        EXPECT_EQ(character_on_line(c), r.on) << c.name.str() << " byte " << r.byte;
    }
    // Her node is killed: the byte stays set, and she is off line.
    ::kill(node, SIGKILL);
    wait_child(node);
    dora.online = 1;
    EXPECT_FALSE(character_on_line(dora));
    // The playing character of this node is on line whatever its byte and lock.
    character_record* me = add_char(make_char(9, "Anna"));
    cur_char = me;
    EXPECT_TRUE(character_on_line(*me));
    character_record invalid = make_char(0, "Nobody");
    invalid.online = 1;
    EXPECT_FALSE(character_on_line(invalid));
}
}  // namespace
