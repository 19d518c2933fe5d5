// The utility's small layer over the local console: colour-code printing, keys, the one-line
// field editor every editor changes a value with, number fields, yes/no questions, the frame
// line, the cursor menu, and the one way the utility ends. Output goes through the door kit's
// output (ANSI colours and cursor); keys through read_key_ext (below).
#pragma once
#include <cstdint>
#include <functional>
#include <iterator>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/records.hpp"
#include "engine/text/exmods.hpp"

// ---- Keys of the local console ----
// Reads one key from the local console (standard input). A terminal's key sequence sets
// extended and gives its code (door/keys.hpp: arrows 72, 80, 75, 77, Home 71, End 79,
// Insert 82, Delete 83, Ctrl+Left 115, Ctrl+Right 116); other sequences are dropped. A lone ESC is 27, DEL is 8
// (Backspace), LF is 13 (Enter); once the input has ended every call gives Escape (27).
char read_key_ext(bool& extended);
// Forgets the end of input and any byte read ahead (a new standard input, in tests).
void reset_console_keys();

namespace cfg {

constexpr int screen_columns = 80;
constexpr int screen_rows = 24;
constexpr const char* utility_version = "1.10";

// ---- Console ----
// Sets the console up: ANSI output, raw keys when standard input is a terminal, the cursor
// hidden, and the settings given back at every way out (halt, end_prog, the stop signals).
void console_open();
// Writes s at the cursor with its colour codes carried out ("^" and "&" are plain text).
void print_text(std::string_view s);
void print_line(std::string_view s = {});
// Writes a value's characters as they are: a backquote, caret or ampersand is shown, never
// acted on; a control byte shows as "." so that every character stands in one place.
void print_literal(std::string_view s);
// The text with each backquote doubled, so that print_text shows it as it is inside a line.
std::string literal_codes(std::string_view s);
// A label (its codes carried out) and a value shown literally, cut to what fits on the row
// before the last column; the label starts at column 1.
void print_labelled(std::string_view label, std::string_view value);
// Clears the console and puts the cursor at the top left.
void clear_console();
void goto_xy_console(int column, int row);
// "`9      [ Hit any key ]" and one key.
void hit_any_key();
void cursor_visible(bool on);
// One key from the console, after everything written has gone out.
char get_key(bool& extended);
[[noreturn]] void halt_with_code(int code);
// Erases the file when it exists; never an error.
void remove_file(const std::string& name);
// Four upper-case hexadecimal digits.
std::string hex_word(std::uint16_t value);
// Bytes of memory free on this machine.
std::int64_t free_memory_bytes();
// The first line of an editor's screen: its name, " for " the product, its version and the
// free memory.
void frame_line(std::string_view editor_name);
// Prints the prompt's tail "(`3Y`9/`3N`9) [`%Y`9] : `%" (or [N]), reads one key and gives it
// upper-cased; Enter gives the default, Escape (also the end of piped input) "N".
char yes_no(bool default_yes);
// Lines at the foot of the screen, the last on the bottom row followed by "[ Hit any key ]",
// and one key: refusals and notices that never scroll the screen.
void foot_message(const std::vector<std::string>& lines);
// The end of every editor: "`9  Write Changes? " [Y] on the row; N or Escape: "`4  Changes
// not saved"; any other key runs write and shows "`!  Changes saved", or the line write gives
// when it could not write everything. The line stands on the row below until a key.
void ask_write_changes(int row, const std::function<std::string()>& write);
// "`9  Enter the name of the file, do not include an extension : `%" on the row and the
// prompt "  `9>`3" below it; the typed name without outer blanks, or nothing on Escape or
// when refusal gives a reason (shown, then a key).
std::optional<std::string> ask_file_stem(int row, const std::function<std::string(std::string_view)>& refusal);

// ---- Look-ups ----
character_record* player_by_number(std::int16_t number);
// The n-th entry (from 1) of a list, or null.
template <class List>
auto* entry_by_index(List& list, int n) {
    using entry = typename List::value_type;
    if (n < 1 || static_cast<std::size_t>(n) > list.size()) return static_cast<entry*>(nullptr);
    return &*std::next(list.begin(), n - 1);
}
inline exmod_entry* exmod_by_index(std::list<exmod_entry>& list, int n) { return entry_by_index(list, n); }
template <class List>
auto* shop_entry_by_index(List& list, int n) {
    return entry_by_index(list, n);
}
// Clears the six current-class bits (1 to 32) and keeps the mastered ones.
void clear_current_classes(std::int16_t& classes);

// ---- Field editor ----
// The state of a one-line field while it is edited; cursor counts from 1 and may stand one
// place after the text.
struct field_state {
    std::string text;
    std::size_t max_length = 0;
    std::size_t cursor = 1;
    bool done = false;
    bool abort = false;
};
// A field of the value with its maximum: never below the value's own length, so an unedited
// long value is never cut.
field_state start_field(std::string_view initial, std::size_t max_length);
// One key applied to the field.
void field_key(field_state& f, char key, bool extended);
// Edits a value in a field drawn at column, row + row_offset. Enter gives the text in result;
// Escape sets abort and leaves result as it was.
void edit_field(std::string& result, std::string_view initial, int column, std::size_t max_length, int row,
                int row_offset, bool& abort);
// The same for a line as wide as the screen, starting at column 3.
void edit_long_field(std::string& result, std::string_view initial, std::size_t max_length, int row, int row_offset,
                     bool& abort);

// ---- Number fields ----
// A number with thousands commas, as fields show it.
std::string number_text(std::int64_t value);
// Checks a typed number: commas are removed; an empty text keeps the old value (nothing, no
// reason); well_formed also refuses texts that do not read back the same ("012", "+12");
// the value must lie in lo..hi (the field's own rule and its type). On refusal why holds the
// line that says so.
std::optional<std::int64_t> typed_number(std::string_view text, bool well_formed, std::int64_t lo, std::int64_t hi,
                                         std::string& why);

// ---- Cursor menu ----
// A menu whose items stand on the given rows; the arrow "`4->" marks the selected one at
// its column. It keeps its place across redraws.
struct cursor_menu {
    std::vector<int> rows;
    int column = 1;
    int selected = 1;
};
enum class menu_event { none, enter, key, quit };
struct menu_input {
    menu_event event = menu_event::none;
    char key = 0;  // the plain key upper-cased (menu_event::key)
};
void draw_menu_arrow(const cursor_menu& m);
// Reads one key: Down and Up move the arrow (wrapping), Enter picks the selected item, "q",
// "Q" and Escape quit, any other plain key comes back upper-cased; other extended keys do
// nothing.
menu_input cursor_menu_key(cursor_menu& m);
// A menu_input from a key already read (for tests and the fuzz target).
menu_input cursor_menu_apply(cursor_menu& m, char key, bool extended);

}  // namespace cfg
