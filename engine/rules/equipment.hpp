// The equipment files "weapons.dat", "armors.dat" and "shields.dat": 14 tiers each, in
// ascending order of strength, 27 bytes a tier. The start-up upgrade prices the old fixed
// equipment slots of characters from them.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "door/fstr.hpp"

constexpr const char* weapons_file_name = "weapons.dat";
constexpr const char* armors_file_name = "armors.dat";
constexpr const char* shields_file_name = "shields.dat";

struct equipment_entry {
    static constexpr std::size_t record_size = 27;

    fstr<20> name;              //  0
    std::int16_t strength = 0;  // 21 power of this tier
    std::int32_t price = 0;     // 23 price of this tier
};

constexpr std::size_t equipment_tiers = 14;
using equipment_table = std::array<equipment_entry, equipment_tiers>;

std::string encode_record(const equipment_entry& e);
void decode_record(std::string_view image, equipment_entry& e);

// The 14 tiers from a whole file image: false when it holds fewer than 14 whole records.
// Records after the 14th (and a torn one after them) are ignored.
bool parse_equipment_table(std::string_view image, equipment_table& table);

// Fills the table from the named file. Missing: "`9  Error : File <name> missing." and
// code 4; fewer than 14 records or unreadable: "`c\"<name>\" `4CORRUPTED`9, please inform
// SysOp." and code 4; busy: the busy-file wait, then code 9, 10 or 11.
void read_weapon_file(equipment_table& table, const std::string& name);

// The tier (1-14) a power falls in: the last tier whose strength is not above the power.
// A power below the first tier's strength takes the first tier.
int equipment_tier(const equipment_table& table, std::int32_t power);
