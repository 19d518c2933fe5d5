#include "engine/text/colour.hpp"

#include "door/door.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"

namespace {
// The colour number of a colour code, or -1 when the character is no colour.
int code_colour(char code) {
    switch (code) {
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9': return code - '0';
    case '0': return 10;
    case '!': return 11;
    case '@': return 12;
    case '#': return 13;
    case '$': return 14;
    case '%': return 15;
    default: return -1;
    }
}

// The ANSI parameters that a file gets for each colour 1-15.
const char* const file_colour_sequence[16] = {"",      "0;34m", "0;32m", "0;36m", "0;31m", "0;35m", "0;33m", "0;37m",
                                              "1;30m", "1;34m", "1;32m", "1;36m", "1;31m", "1;35m", "1;33m", "0;1m"};

// The names "`m" and "`n" stand for; empty without a playing character.
std::string code_name(char code) {
    if (!cur_char) return "";
    return code == 'm' ? alias_name(cur_char->name.view()) : own_proper_name();
}

// Writes a text with its colour codes carried out; the last piece through last_piece.
void show(std::string_view arg, void (*last_piece)(std::string_view), bool macros = true) {
    std::string text = cut255(std::string(arg));
    if (macros && text.find_first_of("^&") != std::string::npos) expand_macros(text);
    std::string_view rest = text;
    for (std::size_t q; (q = rest.find('`')) != std::string_view::npos;) {
        if (q > 0) write_str(rest.substr(0, q));
        char code = q + 1 < rest.size() ? rest[q + 1] : '\0';
        rest.remove_prefix(std::min(q + 2, rest.size()));
        int colour = code_colour(code);
        if (colour > 0)
            set_fore_colour(colour);
        else if (code == 'b')
            set_fore_colour(cur_colour + 16);
        else if (code == 'c')
            clear_screen();
        else if (code == 'm' || code == 'n')
            write_str(code_name(code));
        else if (code == '`')
            write_str("`");
    }
    last_piece(rest);
}

void write_str_piece(std::string_view s) { write_str(s); }
void write_line_piece(std::string_view s) { write_line(s); }

char upcase_key(char k) { return (k >= 'a' && k <= 'z') ? static_cast<char>(k - 'a' + 'A') : k; }
}  // namespace

void disp_text(std::string_view text) { show(text, write_str_piece); }

void disp_line(std::string_view text) { show(text, write_line_piece); }

void disp_codes(std::string_view text) { show(text, write_str_piece, false); }

void disp_codes_line(std::string_view text) { show(text, write_line_piece, false); }

void dispdesc(const text_list& list) {
    debug_enter("Entering dispdesc");
    for (const text_line& l : list) disp_line(l);
    debug_leave("Leaving dispdesc");
}

void hit_any_key() {
    disp_text("`9      [ Hit any key ]");
    read_key();
}

void disp_key_list(std::string_view keys) {
    // The keys go out as they stand: a key is never taken for a code or a macro.
    disp_text("`7  (");
    std::string list;
    for (char k : keys) {
        list += k;
        list += ',';
    }
    write_str(list);
    write_line("?)");
}

std::string codes_to_ansi(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '`') {
            out += text[i];
            continue;
        }
        char code = i + 1 < text.size() ? text[++i] : '\0';
        int colour = code_colour(code);
        if (colour > 0)
            out += std::string("\x1b[") + file_colour_sequence[colour];
        else if (code == 'c')
            out += "\x1b[2J";
        else if (code == 'm' || code == 'n')
            out += code_name(code);
    }
    out += "\x1b[0m";
    return out;
}

character_record* char_name_ptr(std::string_view part) {
    debug_enter("Entering char_name_ptr");
    std::string key = upcase_str(strip_codes(part));
    character_record* found = nullptr;
    for (character_record& c : char_list) {
        if (upcase_str(strip_codes(c.name.view())).find(key) == std::string::npos) continue;
        disp_text("`9  You mean " + c.name + " (`3Y`9/`3N`9) [`%Y`9] : `%");
        char k = read_key();
        if (k == '\r') k = 'Y';
        k = upcase_key(k);
        write_line(std::string(1, k));
        if (k == 'Y') {
            found = &c;
            break;
        }
    }
    debug_leave("Leaving char_name_ptr");
    return found;
}

void add_skill_percent(int class_number, int amount) {
    if (!cur_char || class_number < 1 || class_number > 6) return;
    std::int16_t& pct = cur_char->skill_percent[class_number - 1];
    long value = long(pct) + amount;
    if (value > 98) {
        pct = 99;
        disp_line("  `9You may wish to consider a different class, as any skills you gain in");
        disp_line("  your current class will be wasted.");
        hit_any_key();
        return;
    }
    pct = static_cast<std::int16_t>(value < 1 ? 1 : value);
}

text_list read_typed_lines() {
    text_list lines;
    for (;;) {
        disp_text("`%: `3");
        std::string line = read_line();
        if (line.empty()) break;
        add_desc_line("  " + line, lines);
    }
    return lines;
}

text_list enter_description() {
    disp_line("  `3Enter text below: `%(blank line ends)`9" + pad_left("Description : ", 30));
    disp_line("`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-");
    text_list lines = read_typed_lines();
    disp_line(lines.empty() ? "`9  Description Aborted." : "`9  Description written.");
    return lines;
}
