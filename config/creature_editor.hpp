// The creature editor (main-menu key C): the realm files and any other creature file, one
// creature at a time, with the auto-calculation of gold, experience and verification.
#pragma once
#include <string>
#include <string_view>

#include "engine/rules/creatures.hpp"

namespace cfg {

// The area menu: the five realm files, another typed by its stem, or back.
void creature_editor_menu();
// Edits stem + ".dat"; a missing file is created empty.
void edit_creature_file(const std::string& stem);
// Why a typed stem cannot name a creature file (empty when it can): an empty stem, a path,
// or one of the game's own files, which a save would overwrite with creature records.
std::string creature_stem_refusal(std::string_view stem);
// The race list's pick list; the chosen race's number, or current when none was chosen.
std::int16_t pick_creature_race(const std::string& stem, std::int16_t current, int count, int on);
// The name of the race of that number, or of the n-th race (from 1); empty when none.
std::string race_name_by_number(std::int16_t number);
std::string race_name_by_index(int n);
// Rewrites stem + ".dat" with the list's records in list order.
void write_creature_file(const creature_list& list, const std::string& stem);
// The listing of the list level by level, as printed pages.
std::string print_creature_list(const creature_list& list);

}  // namespace cfg
