// Any bytes as "weapons.dat": the table parser and the game's reader of equipment files.
#include "fuzz/record_fuzz.hpp"

#include "engine/rules/equipment.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::check_records<equipment_entry>(data, size);
    std::string image(reinterpret_cast<const char*>(data), size);
    equipment_table table;
    bool whole = parse_equipment_table(image, table);
    if (whole != (size >= equipment_tiers * equipment_entry::record_size)) std::abort();
    // A short file ends the game by design; a whole one is read through the file rule.
    if (!whole) return 0;
    fuzzing::scratch_dir scratch;
    if (!atomic_rewrite("weapons.dat", image)) std::abort();
    equipment_table from_file;
    read_weapon_file(from_file, "weapons.dat");
    for (std::size_t i = 0; i < equipment_tiers; ++i) {
        if (encode_record(from_file[i]) != encode_record(table[i])) std::abort();
        if (from_file[i].name.size() > 20) std::abort();
    }
    for (std::int32_t power : {-32768, -1, 0, 1, 100, 32767}) {
        int tier = equipment_tier(table, power);
        if (tier < 1 || tier > 14) std::abort();
    }
    return 0;
}
