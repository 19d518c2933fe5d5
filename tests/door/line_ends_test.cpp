// Where the cursor stands: output that comes while a prompt waits starts below it, and the last
// line of a session is ended and its colour reset.
#include <gtest/gtest.h>

#include <functional>

#include "door_fixture.hpp"
#include "support/capture.hpp"
#include "support/child.hpp"

namespace {
struct line_ends : door_fixture {
    output_capture out;
    void SetUp() override {
        door_fixture::SetUp();
        graphics_mode = 3;
    }
};
}  // namespace

TEST_F(line_ends, what_comes_while_a_prompt_waits_starts_below_it) {
    struct row {
        const char* prompt;
        std::function<void()> shown;
        const char* sent;
    } rows[] = {
        {"Command  : ", [] { write_line("  Bob has PAGED you"); }, "Command  : \r\n  Bob has PAGED you\r\n"},
        {"Command  : ", [] {}, "Command  : "},
        // A message's own blank line stays a blank line.
        {"Command  : ",
         [] {
             write_line();
             write_line("  System Message");
         },
         "Command  : \r\n\r\n  System Message\r\n"},
        // A colour does not move the cursor; the line ends before the text, once.
        {"Command  : ",
         [] {
             set_fore_colour(9);
             write_str("  hits you");
             write_line(" with a sword.");
         },
         "Command  : \x1b[1;34m\r\n  hits you with a sword.\r\n"},
        {"", [] { write_line("hi"); }, "hi\r\n"},
    };
    for (const row& r : rows) {
        write_str(r.prompt);
        below_prompt(r.shown);
        write_str("!");  // after it, output goes on as it is
        EXPECT_EQ(out.take(), std::string(r.sent) + "!");
        set_colours(7, 0);
        write_line();
        out.take();
    }
}

TEST_F(line_ends, a_session_ends_its_last_line_and_resets_the_colour) {
    struct row {
        int graphics;
        std::function<void()> last;
        const char* tail;
    } rows[] = {
        {3, [] { write_str("      [ Hit any key ]"); }, "      [ Hit any key ]\r\n\x1b[0m"},
        {3, [] { write_line("Bye."); }, "Bye.\r\n\x1b[0m"},
        {1, [] { write_str("      [ Hit any key ]"); }, "      [ Hit any key ]\r\n"},  // no sequences to ASCII
        {3, [] {}, ""},                                                                // nothing sent: nothing added
    };
    for (const row& r : rows) {
        child_result c = run_in_child([&] {
            comms_unit_init();
            graphics_mode = static_cast<std::uint8_t>(r.graphics);
            r.last();
            halt(0);
        });
        EXPECT_EQ(c.code, 0);
        EXPECT_EQ(c.out, r.tail);
    }
    // A caller who is gone gets nothing more.
    child_result gone = run_in_child([] {
        comms_unit_init();
        write_str("      [ Hit any key ]");
        flush_output();
        carrier_present = 0;
        carrier_lost = true;
        halt(0);
    });
    EXPECT_EQ(gone.out, "      [ Hit any key ]");
}
