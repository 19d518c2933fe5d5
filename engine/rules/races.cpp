#include "engine/rules/races.hpp"

#include "door/file_forms.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/text_file.hpp"

namespace {
// A number of the file as a 16-bit field: 0 for no number, out-of-range values clamped.
std::int16_t field_number(std::string_view text) { return clamp_to<std::int16_t>(str_to_int(text)); }
}  // namespace

void read_race_file(std::list<race_node>& list) {
    debug_enter("Entering read_race_file");
    list.clear();
    if (!wait_for_file(races_file_name)) {
        disp_line("`9  races.dat is `4MISSING`9.  Please inform SysOp.");
        debug_log("FORCE:Missing the race file : races.dat");
        end_prog(exit_critical_missing);
    }
    text_list sections;
    retrieve_headers(races_file_name, sections);
    for (const text_line& section : sections) {
        std::string name = return_flag("RACENAME", races_file_name, section.view());
        if (name == "-1") {
            debug_log("FORCE:Error in Race file, missing race name.");
            debug_log("FORCE:Section @#" + section);
            continue;
        }
        std::int16_t size = field_number(return_flag("RACESIZE", races_file_name, section.view()));
        add_race(list, name, size, field_number(section.view()));
    }
    debug_leave("Leaving read_race_file");
}

void add_race(std::list<race_node>& list, std::string_view name, std::int16_t size, std::int16_t number) {
    race_node& r = list.emplace_back();
    r.number = number;
    r.name = name;
    r.size = size;
}

std::string race_name(std::int16_t number) {
    if (!file_exists(races_file_name)) return "-1";
    return return_flag("RACENAME", races_file_name, int_to_str(number));
}
