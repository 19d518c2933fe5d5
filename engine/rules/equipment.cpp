#include "engine/rules/equipment.hpp"

#include <vector>

#include "engine/store/codec.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/record_file.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"

std::string encode_record(const equipment_entry& e) {
    std::string b(equipment_entry::record_size, '\0');
    put_fstr(b, 0, e.name);
    put_i16(b, 21, e.strength);
    put_i32(b, 23, e.price);
    return b;
}

void decode_record(std::string_view image, equipment_entry& e) {
    e.name = get_fstr<20>(image, 0);
    e.strength = get_i16(image, 21);
    e.price = get_i32(image, 23);
}

bool parse_equipment_table(std::string_view image, equipment_table& table) {
    constexpr std::size_t whole = equipment_tiers * equipment_entry::record_size;
    std::vector<equipment_entry> recs;
    if (image.size() < whole || !parse_records(image.substr(0, whole), recs)) return false;
    for (std::size_t i = 0; i < equipment_tiers; ++i) table[i] = recs[i];
    return true;
}

void read_weapon_file(equipment_table& table, const std::string& name) {
    debug_enter("Entering read_weapon_file  " + name);
    std::string image;
    file_status st = read_whole_file(name, image);
    if (st == file_status::missing) {
        disp_line("`9  Error : File " + name + " missing.");
        end_prog(exit_equipment_corrupt);
    }
    if (st != file_status::ok || !parse_equipment_table(image, table)) {
        disp_line("`c\"" + name + "\" `4CORRUPTED`9, please inform SysOp.");
        debug_log("Critical error : " + name + " file corrupted.");
        end_prog(exit_equipment_corrupt);
    }
    debug_leave("Leaving read_weapon_file");
}

int equipment_tier(const equipment_table& table, std::int32_t power) {
    for (std::size_t i = 0; i < equipment_tiers; ++i)
        if (power < table[i].strength) return i == 0 ? 1 : static_cast<int>(i);
    return static_cast<int>(equipment_tiers);
}
