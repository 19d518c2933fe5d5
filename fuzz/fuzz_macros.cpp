// Any text through the macro stages, the colour codes and the assignments: no crash, every
// rescan ends, and screen texts stay short strings.
//
// Input: lines of name, text, key string, target and value (missing lines are empty).
// Nothing here touches a file: the item hooks stay at their defaults.
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "door/door.hpp"
#include "engine/store/data_files.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"

namespace {
character_record creature;

bool setup() {
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    graphics_mode = 3;
    character_record c;
    c.number = 1;
    cur_char = add_char(c);
    creature.real_name = "MOB";
    creature.name = "wolf";
    return true;
}

std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> parts(1);
    for (char ch : s) {
        if (ch == '\n')
            parts.emplace_back();
        else
            parts.back() += ch;
    }
    parts.resize(5);
    return parts;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = setup();
    (void)ready;
    auto p = split(std::string(reinterpret_cast<const char*>(data), size));
    cur_char->name = p[0];
    cur_char->sex = static_cast<std::int16_t>(size % 5);
    cur_char->location = p[0];
    opponent = (size & 1) ? &creature : nullptr;
    script_vars vars;
    vars.reset_flags();
    vars.set(1, p[0]);
    vars.set(2, p[1]);
    vars.set(23, p[4]);

    std::string t = p[1];
    expand_macros(t);
    if (t.size() > 255) std::abort();
    expand_menu_chars(t, p[2]);
    expand_vars(t, vars);
    if (t.size() > 255) std::abort();
    disp_line(p[1]);
    disp_text(p[1]);
    codes_to_ansi(p[1]);
    if (strip_codes(p[1]).size() > 255) std::abort();
    set_macro_value(p[3], p[4], vars);
    for (const char* target : {"^CS01", "^CS18", "^OS13", "^GF29", "^VR23", "^CX05"})
        set_macro_value(std::string(target), p[4], vars);
    text_list menu = {p[2], p[1], p[3]};
    prep_menu_text(menu);
    for (const auto& line : menu)
        if (line.size() > 100) std::abort();
    return 0;
}
