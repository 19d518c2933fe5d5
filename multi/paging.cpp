#include "multi/paging.hpp"

#include <string>

#include "door/door.hpp"
#include "engine/text/colour.hpp"

namespace {
// The width of hit_any_key's prompt, stepped back over so the next line overwrites it.
constexpr int key_prompt_width = 21;
}  // namespace

void show_paged(const text_list& lines, int header_lines) {
    int count = header_lines;
    for (const text_line& line : lines) {
        if (count >= page_lines_per_screen) {
            std::uint8_t colour = cur_colour;
            hit_any_key();
            set_fore_colour(colour);
            send_str(std::string(key_prompt_width, '\b'));
            count = 0;
        }
        disp_line(line.view());
        ++count;
    }
}
