// Colour codes on the caller's screen and in files, and the small screen routines.
#include <gtest/gtest.h>

#include "engine/text_state.hpp"
#include "support/input_feed.hpp"

namespace {
using strings = std::vector<std::string>;

struct colour_codes : text_state {};

struct code_case {
    char code;
    int colour;
    const char* file;  // the ANSI parameters in a file
};
const code_case colour_table[] = {
    {'1', 1, "0;34m"},  {'2', 2, "0;32m"},  {'3', 3, "0;36m"},  {'4', 4, "0;31m"},  {'5', 5, "0;35m"},
    {'6', 6, "0;33m"},  {'7', 7, "0;37m"},  {'8', 8, "1;30m"},  {'9', 9, "1;34m"},  {'0', 10, "1;32m"},
    {'!', 11, "1;36m"}, {'@', 12, "1;31m"}, {'#', 13, "1;35m"}, {'$', 14, "1;33m"}, {'%', 15, "0;1m"},
};
}  // namespace

TEST_F(colour_codes, every_colour_code_makes_the_kits_colour_call) {
    for (int start : {7, 4, 12, 20}) {
        for (const auto& c : colour_table) {
            // What the kit itself sends for the same calls is the recording to match.
            cur_colour = static_cast<std::uint8_t>(start);
            write_str("a");
            set_fore_colour(c.colour);
            write_str("b");
            std::string kit = out.take();
            cur_colour = static_cast<std::uint8_t>(start);
            disp_text(std::string("a`") + c.code + "b");
            EXPECT_EQ(out.take(), kit) << c.code << " from " << start;
            EXPECT_EQ(cur_colour, c.colour);
        }
    }
    // The bytes themselves, from light grey.
    cur_colour = 7;
    disp_text("Your `4blood`% boils");
    EXPECT_EQ(out.take(), "Your \x1b[31mblood\x1b[1;37m boils");
    // Within the bright colours only the colour number changes.
    cur_colour = 7;
    disp_line("`9  Command? [`!L`9] : `%");
    EXPECT_EQ(out.take(), "\x1b[1;34m  Command? [\x1b[36mL\x1b[34m] : \x1b[37m\r\n");
}

TEST_F(colour_codes, the_other_codes_on_screen) {
    play_as("ANNA berg", 2);
    cur_colour = 4;
    disp_text("x`by");
    EXPECT_EQ(out.take(), "x\x1b[5;31my");
    EXPECT_EQ(cur_colour, 20);
    // Blink on a blinking colour asks for 36, which the kit ignores.
    disp_text("`b");
    EXPECT_EQ(out.take(), "");
    EXPECT_EQ(cur_colour, 20);
    cur_colour = 7;
    disp_text("`cTop");
    EXPECT_EQ(out.take(), "\x1b[2J\x1b[HTop");
    disp_text("a``b `m/`n");
    EXPECT_EQ(out.take(), "a`b Jalunza/Anna Berg");
    // Codes are compared with case; unknown codes and a last lone backquote are dropped.
    disp_text("`C`x`Mok`");
    EXPECT_EQ(out.take(), "ok");
    disp_line("");
    EXPECT_EQ(out.take(), "\r\n");
    // No playing character: the names are empty.
    cur_char = nullptr;
    disp_line("[`m][`n]");
    EXPECT_EQ(out.take(), "[][]\r\n");
}

TEST_F(colour_codes, an_ascii_caller_gets_the_text_only) {
    graphics_mode = 1;
    play_as("bob");
    disp_line("`c`4Red `%and `bblink`` `n");
    EXPECT_EQ(out.take(), "Red and blink` Bob\r\n");
}

TEST_F(colour_codes, screen_texts_are_cut_at_255_after_their_macros) {
    play_as("bobby jones");
    disp_text(std::string(250, '.') + "^CAxx");
    EXPECT_EQ(out.take(), std::string(250, '.') + "Bobby");
    // The text itself is cut before its macros are looked at.
    disp_text(std::string(254, '.') + "^CA");
    EXPECT_EQ(out.take(), std::string(254, '.') + "^");
    disp_text(std::string(300, 'x'));
    EXPECT_EQ(out.take(), std::string(255, 'x'));
}

TEST_F(colour_codes, codes_to_ansi_for_every_code) {
    for (const auto& c : colour_table)
        EXPECT_EQ(codes_to_ansi(std::string("a`") + c.code + "b"), std::string("a\x1b[") + c.file + "b\x1b[0m")
            << c.code;
    EXPECT_EQ(codes_to_ansi("`%"), "\x1b[0;1m\x1b[0m");
    EXPECT_EQ(codes_to_ansi("`8dim"), "\x1b[1;30mdim\x1b[0m");
    EXPECT_EQ(codes_to_ansi("`cnew"), "\x1b[2Jnew\x1b[0m");
    EXPECT_EQ(codes_to_ansi("a``b`bc`xd`Ce`"), "abcde\x1b[0m");
    EXPECT_EQ(codes_to_ansi(""), "\x1b[0m");
    EXPECT_EQ(codes_to_ansi("^CA &CS18"), "^CA &CS18\x1b[0m");
    play_as("ANNA berg");
    EXPECT_EQ(codes_to_ansi("`m `n"), "Jalunza Anna Berg\x1b[0m");
    cur_char = nullptr;
    EXPECT_EQ(codes_to_ansi("<`m`n>"), "<>\x1b[0m");
}

TEST_F(colour_codes, codes_to_ansi_never_cuts_a_file_line) {
    std::string text;
    while (text.size() < 248) text += "`4ab`%cd";
    std::string ansi = codes_to_ansi(text);
    EXPECT_GT(ansi.size(), 255u);
    EXPECT_EQ(ansi.substr(ansi.size() - 4), "\x1b[0m");
    EXPECT_EQ(ansi.substr(ansi.size() - 12), "\x1b[0;1mcd\x1b[0m");
}

TEST_F(colour_codes, strip_codes_with_and_without_a_playing_character) {
    EXPECT_EQ(strip_codes("`4Dark`% ``Knight`b`c`x`"), "Dark Knight");
    EXPECT_EQ(strip_codes("[`m][`n]"), "[][]");
    play_as("AB");
    // "AB": h = (65*17+1) + (66*17+2) = 2230, 2230 mod 13 = 7, "Fiodora".
    EXPECT_EQ(strip_codes("[`m][`n]"), "[Fiodora][Ab]");
}

TEST_F(colour_codes, key_list_and_hit_any_key) {
    disp_key_list("ABQ");
    EXPECT_EQ(out.take(), "  (A,B,Q,?)\r\n");
    disp_key_list("");
    EXPECT_EQ(out.take(), "  (?)\r\n");
    // A key that looks like a code or a macro is shown as it is.
    cur_colour = 3;
    disp_key_list("`^");
    EXPECT_EQ(out.take(), "\x1b[0m  (`,^,?)\r\n");

    input_feed keys("xy");
    cur_colour = 7;
    hit_any_key();
    EXPECT_EQ(out.take(), "\x1b[1;34m      [ Hit any key ]");
    EXPECT_EQ(read_key(), 'y');
}

TEST_F(colour_codes, char_name_ptr_offers_each_match_in_list_order) {
    // char_list is pushed at the head: the walk meets Hannah, then Bob, then Anna.
    add_char(make_char(1, "`4Anna"));
    add_char(make_char(2, "Bob"));
    character_record* hannah = add_char(make_char(3, "Hannah"));
    character_record* anna = &char_list.back();
    {
        input_feed keys("ny");
        EXPECT_EQ(char_name_ptr("`%an"), anna);
        // The name is shown as stored, its own colour codes carried out.
        EXPECT_EQ(out.take(),
                  "\x1b[1;34m  You mean Hannah (\x1b[0;36mY\x1b[1;34m/\x1b[0;36mN\x1b[1;34m) [\x1b[37mY"
                  "\x1b[34m] : \x1b[37mN\r\n"
                  "\x1b[34m  You mean \x1b[0;31mAnna (\x1b[36mY\x1b[1;34m/\x1b[0;36mN\x1b[1;34m) [\x1b[37mY"
                  "\x1b[34m] : \x1b[37mY\r\n");
    }
    {
        input_feed keys("\r");
        EXPECT_EQ(char_name_ptr("HANN"), hannah);
        EXPECT_NE(out.take().find(": \x1b[37mY\r\n"), std::string::npos);
    }
    {
        input_feed keys("nn");
        EXPECT_EQ(char_name_ptr("an"), nullptr);
        std::string shown = out.take();
        EXPECT_NE(shown.find("Hannah"), std::string::npos);
        EXPECT_NE(shown.find("Anna"), std::string::npos);
        EXPECT_EQ(shown.find("Bob"), std::string::npos);
    }
    EXPECT_EQ(char_name_ptr("zed"), nullptr);
    EXPECT_EQ(out.take(), "");
}

TEST_F(colour_codes, add_skill_percent_caps_and_floors) {
    character_record& c = play_as("bob");
    c.skill_percent = {97, 3, 50, 0, 0, 0};
    input_feed keys("k");
    add_skill_percent(1, 7);
    EXPECT_EQ(c.skill_percent[0], 99);
    EXPECT_EQ(out.take(),
              "  \x1b[1;34mYou may wish to consider a different class, as any skills you gain in\r\n"
              "  your current class will be wasted.\r\n"
              "      [ Hit any key ]");
    add_skill_percent(2, -8);
    EXPECT_EQ(c.skill_percent[1], 1);
    add_skill_percent(3, 48);
    EXPECT_EQ(c.skill_percent[2], 98);
    for (int bad : {0, 7, -1}) add_skill_percent(bad, 10);
    EXPECT_EQ(c.skill_percent, (std::array<std::int16_t, 6>{99, 1, 98, 0, 0, 0}));
    EXPECT_EQ(out.take(), "");
}

TEST_F(colour_codes, enter_description_takes_lines_until_an_empty_one) {
    const std::string head =
        "  \x1b[36mEnter text below: \x1b[1;37m(blank line ends)\x1b[34m" + std::string(16, ' ') +
        "Description : \r\n\x1b[35m" +
        std::string("-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-") + "\r\n";
    {
        input_feed keys("A dark hall\r" + std::string(120, 'w') + "\r\r");
        text_list l = enter_description();
        EXPECT_EQ(lines_of(l), (strings{"  A dark hall", "  " + std::string(98, 'w')}));
        std::string shown = out.take();
        EXPECT_EQ(shown.substr(0, head.size()), head);
        const std::string tail = "\x1b[0;36m" + std::string(120, 'w') +
                                 "\r\n\x1b[1;37m: \x1b[0;36m\r\n"
                                 "\x1b[1;34m  Description written.\r\n";
        EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);
    }
    {
        cur_colour = 7;
        input_feed keys("\r");
        EXPECT_TRUE(enter_description().empty());
        EXPECT_EQ(out.take(), head + "\x1b[37m: \x1b[0;36m\r\n\x1b[1;34m  Description Aborted.\r\n");
    }
}
