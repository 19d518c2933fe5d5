#include <gtest/gtest.h>

#include "door/door.hpp"
#include "support/capture.hpp"

namespace {
struct colours : ::testing::Test {
    void SetUp() override {
        graphics_mode = 3;
        cur_colour = 7;
        cur_back_colour = 0;
    }
    output_capture out;
};
}  // namespace

TEST_F(colours, bright_then_back_to_grey) {
    set_fore_colour(15);
    EXPECT_EQ(out.take(), "\x1b[1;37m");
    set_fore_colour(7);
    EXPECT_EQ(out.take(), "\x1b[0m");
}

TEST_F(colours, reset_names_the_background_again) {
    cur_colour = 12;
    cur_back_colour = 1;
    set_fore_colour(4);
    EXPECT_EQ(out.take(), "\x1b[0;31;44m");
    cur_colour = 2;
    set_fore_colour(4);
    EXPECT_EQ(out.take(), "\x1b[31m");
}

TEST_F(colours, repeats_and_out_of_range_send_nothing) {
    set_fore_colour(9);
    set_fore_colour(9);
    set_fore_colour(40);
    EXPECT_EQ(out.take(), "\x1b[1;34m");
}

TEST_F(colours, cursor_and_clear) {
    goto_xy(10, 5);
    clear_screen();
    clear_to_eol();
    EXPECT_EQ(out.take(), "\x1b[5;10H\x1b[2J\x1b[H\x1b[K");
}

TEST_F(colours, ascii_callers_get_text_only) {
    graphics_mode = 1;
    set_fore_colour(15);
    goto_xy(1, 1);
    clear_screen();
    write_line("plain");
    EXPECT_EQ(out.take(), "plain\r\n");
}

TEST_F(colours, every_class_transition) {
    struct step {
        int from, back, to;
        const char* bytes;
    };
    const step steps[] = {
        {1, 0, 17, "\x1b[5;34m"},        // normal to blink
        {1, 0, 25, "\x1b[1;5;34m"},      // normal to bright blink
        {9, 0, 25, "\x1b[5;34m"},        // bright to bright blink
        {20, 0, 28, "\x1b[1;31m"},       // blink to bright blink
        {17, 0, 9, "\x1b[0;1;34m"},      // blink to bright: reset first
        {28, 2, 12, "\x1b[0;1;31;42m"},  // bright blink to bright: reset names the background
        {9, 3, 17, "\x1b[0;5;34;46m"},   // bright to blink
        {25, 0, 3, "\x1b[0;36m"},        // bright blink to normal
        {3, 4, 7, "\x1b[37m"},           // grey on a background is no reset
        {14, 0, 6, "\x1b[0;33m"},
    };
    for (const step& s : steps) {
        cur_colour = static_cast<std::uint8_t>(s.from);
        cur_back_colour = static_cast<std::uint8_t>(s.back);
        set_fore_colour(s.to);
        EXPECT_EQ(out.take(), s.bytes) << s.from << " -> " << s.to;
        EXPECT_EQ(cur_colour, s.to);
    }
}

TEST_F(colours, background) {
    set_back_colour(1);
    EXPECT_EQ(out.take(), "\x1b[44m");
    set_back_colour(1);
    set_back_colour(8);
    EXPECT_EQ(out.take(), "");
    set_back_colour(0);
    EXPECT_EQ(out.take(), "\x1b[0m");
    cur_colour = 12;
    set_back_colour(6);
    EXPECT_EQ(out.take(), "\x1b[43m");
    EXPECT_EQ(cur_back_colour, 6);
}

TEST_F(colours, both_at_once) {
    set_colours(15, 1);
    EXPECT_EQ(out.take(), "\x1b[1;37;44m");
    set_colours(2, 0);  // a reset needs no background 0
    EXPECT_EQ(out.take(), "\x1b[0;32m");
    set_colours(10, 5);
    EXPECT_EQ(out.take(), "\x1b[1;32;45m");
    set_colours(2, 3);
    EXPECT_EQ(out.take(), "\x1b[0;32;46m");
    set_colours(7, 0);
    EXPECT_EQ(out.take(), "\x1b[0m");
    // Only one of the two differs: the single setter's bytes.
    set_colours(7, 2);
    EXPECT_EQ(out.take(), "\x1b[42m");
    set_colours(4, 2);
    EXPECT_EQ(out.take(), "\x1b[31m");
    // Nothing changes, or out of range.
    set_colours(4, 2);
    set_colours(32, 0);
    set_colours(1, 8);
    EXPECT_EQ(out.take(), "");
    EXPECT_EQ(cur_colour, 4);
    EXPECT_EQ(cur_back_colour, 2);
}

TEST_F(colours, line_end_and_rip_callers) {
    graphics_mode = 5;
    write_str("a");
    write_line("b");
    write_line();
    set_fore_colour(14);
    EXPECT_EQ(out.take(), "ab\r\n\r\n\x1b[1;33m");
}
