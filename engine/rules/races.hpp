// "races.dat", the races of the creatures: a sectioned text file with one section per race,
// named by the race number in decimal, holding the flag lines RACENAME (the race's name)
// and RACESIZE (its size, a whole number).
#pragma once
#include <cstdint>
#include <list>
#include <string>

#include "door/fstr.hpp"

constexpr const char* races_file_name = "races.dat";

struct race_node {
    std::int16_t number = 0;
    fstr<20> name;
    std::int16_t size = 0;
};

// The races of "races.dat" in file order (list replaced). A section without RACENAME is
// skipped with two FORCE lines in the debug log. Missing: "`9  races.dat is `4MISSING`9.
// Please inform SysOp." and code 12.
void read_race_file(std::list<race_node>& list);
// Appends one race at the tail (the name cut to 20).
void add_race(std::list<race_node>& list, std::string_view name, std::int16_t size, std::int16_t number);
// The RACENAME of the race number in "races.dat"; "-1" when the race has none or the file is
// missing (a missing file is not created).
std::string race_name(std::int16_t number);
