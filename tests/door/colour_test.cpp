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
    EXPECT_EQ(out.take(), "\x1b[5;10H\x1b[2J\x1b[K");
}

TEST_F(colours, ascii_callers_get_text_only) {
    graphics_mode = 1;
    set_fore_colour(15);
    goto_xy(1, 1);
    clear_screen();
    write_line("plain");
    EXPECT_EQ(out.take(), "plain\r\n");
}
