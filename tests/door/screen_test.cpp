// The test screen that later tests compare against: it must draw what the kit sends the way
// a caller's ANSI terminal does.
#include <gtest/gtest.h>

#include "door/door.hpp"
#include "support/capture.hpp"
#include "support/screen.hpp"

TEST(ansi_screen, text_cursor_and_clearing) {
    ansi_screen s;
    s.feed("Hello\r\nWorld");
    EXPECT_EQ(s.row(1), "Hello");
    EXPECT_EQ(s.row(2), "World");
    EXPECT_EQ(s.cursor_x(), 6);
    s.feed("\x1b[5;10HX\x1b[1;3H\x1b[K");
    EXPECT_EQ(s.at(10, 5), 'X');
    EXPECT_EQ(s.row(1), "He");
    s.feed("ab\b\bZ");
    EXPECT_EQ(s.row(1), "HeZb");
    s.feed("\x1b[2J");  // clears and homes, as BBS terminals do
    EXPECT_EQ(s.text(), "");
    EXPECT_EQ(s.cursor_x(), 1);
    EXPECT_EQ(s.cursor_y(), 1);
}

TEST(ansi_screen, colours_as_pc_numbers) {
    ansi_screen s;
    s.feed("a\x1b[1;37mb\x1b[0;31;44mc\x1b[5;1;33md\x1b[0me\x1b[!");
    EXPECT_EQ(s.colour_at(1, 1), 7);
    EXPECT_EQ(s.colour_at(2, 1), 15);
    EXPECT_EQ(s.colour_at(3, 1), 4);
    EXPECT_EQ(s.back_at(3, 1), 1);
    EXPECT_EQ(s.colour_at(4, 1), 30);  // bright brown (yellow) blinking
    EXPECT_EQ(s.back_at(4, 1), 1);
    EXPECT_EQ(s.colour_at(5, 1), 7);
    EXPECT_EQ(s.row(1), "abcde");  // the RIP query draws nothing
}

TEST(ansi_screen, wrapping_and_scrolling) {
    ansi_screen s;
    s.feed(std::string(80, 'x') + "\r\n" + "next");
    EXPECT_EQ(s.row(1), std::string(80, 'x'));
    EXPECT_EQ(s.row(2), "next");  // a full line then CR LF is one line, not two
    s.feed("\r\n" + std::string(81, 'y'));
    EXPECT_EQ(s.row(3), std::string(80, 'y'));
    EXPECT_EQ(s.row(4), "y");
    s.clear();
    for (int i = 1; i <= 26; ++i) s.feed("line " + std::to_string(i) + "\r\n");
    EXPECT_EQ(s.row(1), "line 3");
    EXPECT_EQ(s.row(24), "line 26");
    EXPECT_EQ(s.row(25), "");
}

TEST(ansi_screen, a_sequence_split_between_feeds) {
    ansi_screen s;
    s.feed("\x1b");
    s.feed("[1;3");
    s.feed("2mG");
    EXPECT_EQ(s.colour_at(1, 1), 10);
    EXPECT_EQ(s.row(1), "G");
}

TEST(ansi_screen, draws_what_the_kit_sends) {
    output_capture out;
    graphics_mode = 3;
    cur_colour = 7;
    cur_back_colour = 0;
    clear_screen();
    goto_xy(3, 2);
    set_colours(14, 1);
    write_str("Gold");
    set_colours(7, 0);
    write_line(" pieces");
    ansi_screen s;
    s.feed(out.take());
    EXPECT_EQ(s.row(2), "  Gold pieces");
    EXPECT_EQ(s.colour_at(3, 2), 14);
    EXPECT_EQ(s.back_at(3, 2), 1);
    EXPECT_EQ(s.colour_at(8, 2), 7);
    EXPECT_EQ(s.back_at(8, 2), 0);
    EXPECT_EQ(s.cursor_y(), 3);
}
