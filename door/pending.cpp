// Placeholders for the kit's session start, input and files until they are written.
#include "door/door.hpp"
#include "door/door_internal.hpp"

namespace {
std::vector<std::string> args;
section_lines_reader show_reader = nullptr;
}

void door_set_args(int argc, char** argv) {
    args.assign(argv, argv + argc);
}
const std::vector<std::string>& door_args() { return args; }
void door_init(std::string_view) { graphics_mode = 3; }
void set_show_text_reader(section_lines_reader r) { show_reader = r; }
