#include "engine/text/text_init.hpp"

#include <string>
#include <vector>

#include "door/door.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/text_file.hpp"

namespace {
// The door kit's ANSI screens: a section of "quortext.dat" as it stands.
std::vector<std::string> quortext_section(std::string_view section) {
    text_list list;
    read_menu_text(text_file_name, section, list);
    return std::vector<std::string>(list.begin(), list.end());
}
}  // namespace

void engine_text_init() {
    set_disp_line_hook(disp_line);
    set_disp_str_hook(disp_text);
    set_show_text_reader(quortext_section);
    set_door_log_writer(debug_log);
}
