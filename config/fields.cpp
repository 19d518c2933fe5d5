// The field editor, number fields and the cursor menu of every editor screen.
#include <algorithm>

#include "config/console.hpp"
#include "door/door.hpp"
#include "door/keys.hpp"
#include "engine/store/strings.hpp"

namespace cfg {
namespace {
// Draws the field: a quote, the part of the text that fits as it is, a quote, then blanks over
// what an earlier, longer text left. first is the first character shown (long fields scroll).
void draw_field(const field_state& f, int column, int row, std::size_t width, std::size_t& first) {
    std::size_t at = f.cursor - 1;
    if (at < first) first = at;
    if (at >= first + width) first = at - width + 1;
    std::string shown = f.text.substr(std::min(first, f.text.size()), width);
    goto_xy(column, row);
    // The value's own characters, codes included: one screen place each, so the cursor stands
    // on the character it edits.
    print_text("`9\"`7");
    print_literal(shown);
    print_text("`9\"" + std::string(width - shown.size(), ' '));
    goto_xy(column + 1 + static_cast<int>(at - first), row);
}

bool typed_char(char key) { return key >= ' ' && key <= 'z'; }
}  // namespace

field_state start_field(std::string_view initial, std::size_t max_length) {
    field_state f;
    f.text = std::string(initial);
    f.max_length = std::max(max_length, f.text.size());
    return f;
}

void field_key(field_state& f, char key, bool extended) {
    std::size_t len = f.text.size();
    std::size_t at = f.cursor - 1;  // index under the cursor; len when after the text
    if (extended) {
        switch (key) {
        case key_left:
            if (f.cursor > 1) --f.cursor;
            break;
        case key_right:
            if (f.cursor <= len) ++f.cursor;
            break;
        case key_home: f.cursor = 1; break;
        case key_end: f.cursor = len + 1; break;
        case key_insert:
            if (len < f.max_length) f.text.insert(at, 1, ' ');
            break;
        case key_delete:
            if (at < len) f.text.erase(at, 1);
            break;
        case key_ctrl_left:
            f.text.erase(0, at);
            f.cursor = 1;
            break;
        case key_ctrl_right: f.text.erase(at); break;
        default: break;
        }
        return;
    }
    if (key == 8) {
        if (f.cursor > 1) {
            f.text.erase(at - 1, 1);
            --f.cursor;
        }
    } else if (key == 13) {
        f.done = true;
    } else if (key == 27) {
        f.done = true;
        f.abort = true;
    } else if (typed_char(key)) {
        if (at < len) {
            f.text[at] = key;
            ++f.cursor;
        } else if (len < f.max_length) {
            f.text.push_back(key);
            ++f.cursor;
        }
    }
}

void edit_field(std::string& result, std::string_view initial, int column, std::size_t max_length, int row,
                int row_offset, bool& abort) {
    field_state f = start_field(initial, max_length);
    // The field and its two quotes stay on the line; a longer value scrolls inside it.
    std::size_t room = static_cast<std::size_t>(std::max(1, screen_columns - column - 1));
    std::size_t width = std::min(f.max_length + 1, room);
    std::size_t first = 0;
    cursor_visible(true);
    while (!f.done) {
        draw_field(f, column, row + row_offset, width, first);
        bool extended;
        char k = get_key(extended);
        field_key(f, k, extended);
    }
    cursor_visible(false);
    abort = f.abort;
    if (!f.abort) result = f.text;
}

void edit_long_field(std::string& result, std::string_view initial, std::size_t max_length, int row, int row_offset,
                     bool& abort) {
    edit_field(result, initial, 3, max_length, row, row_offset, abort);
}

std::string number_text(std::int64_t value) { return comma_number(value); }

std::optional<std::int64_t> typed_number(std::string_view typed, bool well_formed, std::int64_t lo, std::int64_t hi,
                                         std::string& why) {
    why.clear();
    std::string text = trim_trailing(trim_leading(typed));
    strip_commas(text);
    if (text.empty()) return std::nullopt;
    std::size_t digits_from = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (text.size() == digits_from || text.find_first_not_of("0123456789", digits_from) != std::string::npos) {
        why = "`4That is not a whole number.";
        return std::nullopt;
    }
    if (text.size() - digits_from > 18) {
        why = "`4That number is too large for this field.";
        return std::nullopt;
    }
    if (well_formed && int_to_str(std::stoll(text)) != text) {
        why = "`4Type the number without signs or leading zeros.";
        return std::nullopt;
    }
    std::int64_t value = std::stoll(text);
    if (value < lo || value > hi) {
        why = "`4The value must lie between " + comma_number(lo) + " and " + comma_number(hi) + ".";
        return std::nullopt;
    }
    return value;
}

void draw_menu_arrow(const cursor_menu& m) {
    goto_xy(m.column, m.rows[static_cast<std::size_t>(m.selected - 1)]);
    print_text("`4->");
}

menu_input cursor_menu_apply(cursor_menu& m, char key, bool extended) {
    menu_input in;
    int count = static_cast<int>(m.rows.size());
    if (extended) {
        if ((key != key_down && key != key_up) || count == 0) return in;
        goto_xy(m.column, m.rows[static_cast<std::size_t>(m.selected - 1)]);
        send_str("  ");
        m.selected = key == key_down ? m.selected % count + 1 : (m.selected + count - 2) % count + 1;
        draw_menu_arrow(m);
        return in;
    }
    if (key == 'q' || key == 'Q' || key == 27) {
        in.event = menu_event::quit;
    } else if (key == 13) {
        in.event = menu_event::enter;
    } else {
        in.event = menu_event::key;
        in.key = upcase_str(std::string(1, key))[0];
    }
    return in;
}

menu_input cursor_menu_key(cursor_menu& m) {
    bool extended;
    char k = get_key(extended);
    return cursor_menu_apply(m, k, extended);
}

}  // namespace cfg
