#include "engine/rules/item_script.hpp"

#include <sys/stat.h>

#include "engine/rules/items.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/text_file.hpp"

namespace {
constexpr int item_event_count = 11;

std::string section_name(std::string_view k, int event) {
    return "ITEM" + std::string(k) + "_" + std::string(event_name(std::int32_t(1) << event));
}
}  // namespace

std::int32_t item_file_events(const std::string& item_file, std::string_view k) {
    text_list headers;
    retrieve_headers(item_file, headers);
    std::int32_t events = 0;
    for (int e = 0; e < item_event_count; ++e) {
        std::string name = upcase_str(section_name(k, e));
        for (const text_line& h : headers)
            if (h.view() == name) events |= std::int32_t(1) << e;
    }
    return events;
}

void write_item_script(std::int32_t number, std::string_view k, const std::string& item_file, std::int32_t sections) {
    std::string dir = game_path("items").value_or("items");
    if (!file_exists(dir)) ::mkdir(dir.c_str(), 0777);
    std::string script = dir + "/" + int_to_str(number) + ".scr";
    if (is_plain_file(script) &&
        !(return_flag("DATE", item_file, "ITEM" + std::string(k) + "_FLAGS") > return_flag("DATE", script, "FLAGS")))
        return;
    std::string image;
    for (int e = 0; e < item_event_count; ++e) {
        if (!(sections & (std::int32_t(1) << e))) continue;
        text_list lines;
        read_menu_text(item_file, section_name(k, e), lines);
        image += "@#" + std::string(event_name(std::int32_t(1) << e)) + "\n";
        add_desc_to_file(image, lines);
        image += "  Return\n";
    }
    image += "@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n";
    if (!atomic_rewrite(script, image)) debug_log("FORCE:Could not write item script " + script);
}
