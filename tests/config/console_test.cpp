// The utility's console kit: keys, the field editor, number fields, the date text.
#include <gtest/gtest.h>

#include "config/console.hpp"
#include "door/door.hpp"
#include "door/keys.hpp"
#include "engine/store/strings.hpp"
#include "support/capture.hpp"
#include "support/fake_seam.hpp"
#include "support/input_feed.hpp"

TEST(console_keys, what_a_terminal_sends) {
    struct row {
        char key;
        bool extended;
    };
    input_feed feed(
        "\x1b[A\x1bOB\x1b[D\x1bOC\x1b[H\x1bOF\x1b[1~\x1b[4~\x1b[2~\x1b[3~\x1b[1;5D\x1b[1;5C"
        "\x1b[15~x\x7f\n\r");
    reset_console_keys();
    const row rows[] = {{key_up, true},     {key_down, true},   {key_left, true},      {key_right, true},
                        {key_home, true},   {key_end, true},    {key_home, true},      {key_end, true},
                        {key_insert, true}, {key_delete, true}, {key_ctrl_left, true}, {key_ctrl_right, true},
                        {'x', false},       {8, false},         {13, false},           {13, false}};
    for (const row& r : rows) {
        bool extended;
        char k = read_key_ext(extended);
        EXPECT_EQ(k, r.key);
        EXPECT_EQ(extended, r.extended);
    }
    feed.send("\x1b");
    bool extended;
    EXPECT_EQ(read_key_ext(extended), 27);  // a lone ESC after the wait
    feed.end();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(read_key_ext(extended), 27);  // end of input is Escape
    reset_console_keys();
}

namespace {
struct k {
    char key;
    bool extended = false;
};
constexpr k left{key_left, true}, right{key_right, true}, home{key_home, true}, end_key{key_end, true},
    ins{key_insert, true}, del{key_delete, true}, cut_left{key_ctrl_left, true}, cut_right{key_ctrl_right, true}, bs{8},
    enter{13}, esc{27};
}  // namespace

TEST(field_editor, keys) {
    struct row {
        const char* initial;
        std::size_t max;
        std::vector<k> keys;
        const char* text;
        std::size_t cursor;
        bool abort;
    };
    const row rows[] = {
        {"abc", 5, {{'x'}, {'y'}, enter}, "xyc", 3, false},    // overwrite
        {"abc", 3, {end_key, {'d'}, enter}, "abc", 4, false},  // full field at its end
        {"abc", 3, {home, ins, enter}, "abc", 1, false},       // Insert in a full field
        {"abc", 5, {right, ins, {'X'}, enter}, "aXbc", 3, false},
        {"abcd", 9, {right, right, cut_left, enter}, "cd", 1, false},
        {"abcd", 9, {right, cut_right, enter}, "a", 2, false},
        {"abc", 9, {bs, home, del, end_key, bs, del, enter}, "b", 2, false},  // both ends
        {"ab", 9, {end_key, {'{'}, {'~'}, {'\x01'}, {'z'}, enter}, "abz", 4, false},
        {"abc", 9, {{'q'}, esc}, "qbc", 2, true},
        {"a much longer value", 5, {end_key, bs, enter}, "a much longer valu", 19, false},
        {"", 2, {left, {'a'}, {'b'}, {'c'}, enter}, "ab", 3, false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.initial);
        cfg::field_state f = cfg::start_field(r.initial, r.max);
        for (const k& key : r.keys) cfg::field_key(f, key.key, key.extended);
        EXPECT_TRUE(f.done);
        EXPECT_EQ(f.text, r.text);
        EXPECT_EQ(f.cursor, r.cursor);
        EXPECT_EQ(f.abort, r.abort);
    }
}

TEST(field_editor, escape_keeps_the_value_and_a_redraw_blanks_old_cells) {
    input_feed feed("\x1b[3~\x1b[3~\x1b[3~\r");
    reset_console_keys();
    output_capture out;
    graphics_mode = 3;
    std::string result = "old";
    bool abort = true;
    cfg::edit_field(result, "abcd", 10, 6, 2, 1, abort);
    EXPECT_FALSE(abort);
    EXPECT_EQ(result, "d");
    std::string screen = out.take();
    EXPECT_NE(screen.find("\x1b[3;10H"), std::string::npos);  // row plus offset
    EXPECT_NE(screen.find("d\x1b[1;34m\"   "), std::string::npos) << screen;
    feed.send("xy\x1b");
    feed.end();
    cfg::edit_field(result, "abcd", 10, 6, 2, 0, abort);
    EXPECT_TRUE(abort);
    EXPECT_EQ(result, "d");
    reset_console_keys();
    graphics_mode = 0;
}

TEST(number_fields, typed_numbers) {
    struct row {
        const char* text;
        bool well_formed;
        std::int64_t lo, hi;
        std::optional<std::int64_t> value;
        bool refused;
    };
    const row rows[] = {
        {"12a", false, 0, 32767, {}, true},
        {"012", true, 0, 32767, {}, true},
        {"+12", true, 0, 32767, {}, true},
        {"+12", false, 0, 32767, 12, false},
        {"1,234", true, 0, 32767, 1234, false},
        {"70000", true, -32768, 32767, {}, true},
        {"-5", true, -32768, 32767, -5, false},
        {"", true, 0, 10, {}, false},
        {"99999999999999999999", false, 0, 10, {}, true},
    };
    for (const row& r : rows) {
        std::string why;
        EXPECT_EQ(cfg::typed_number(r.text, r.well_formed, r.lo, r.hi, why), r.value) << r.text;
        EXPECT_EQ(!why.empty(), r.refused) << r.text;
    }
}

TEST(console_kit, date_time_text_and_small_helpers) {
    fake_seam seam;
    seam.set_time(2026, 12, 8, 7, 5, 3);
    seam.time.hundredths = 42;
    EXPECT_EQ(date_time_text(), "Tuesday 12/08/2026  07:05:03:42");
    EXPECT_EQ(cfg::hex_word(0x3E0), "03E0");
    std::int16_t classes = 0x7FF;
    cfg::clear_current_classes(classes);
    EXPECT_EQ(classes, 0x7C0);
    std::list<int> l = {4, 5, 6};
    EXPECT_EQ(*cfg::entry_by_index(l, 3), 6);
    EXPECT_EQ(cfg::entry_by_index(l, 4), nullptr);
}

TEST(cursor_menu, arrows_wrap_and_keys_come_back) {
    output_capture out;
    cfg::cursor_menu m{{10, 11, 12}, 1, 1};
    cfg::cursor_menu_apply(m, key_up, true);
    EXPECT_EQ(m.selected, 3);
    cfg::cursor_menu_apply(m, key_down, true);
    EXPECT_EQ(m.selected, 1);
    EXPECT_EQ(cfg::cursor_menu_apply(m, key_left, true).event, cfg::menu_event::none);
    EXPECT_EQ(cfg::cursor_menu_apply(m, 'q', false).event, cfg::menu_event::quit);
    EXPECT_EQ(cfg::cursor_menu_apply(m, 27, false).event, cfg::menu_event::quit);
    EXPECT_EQ(cfg::cursor_menu_apply(m, 13, false).event, cfg::menu_event::enter);
    EXPECT_EQ(cfg::cursor_menu_apply(m, 'b', false).key, 'B');
}
