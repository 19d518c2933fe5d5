// The stock items of the game, items/stockitm.scr, loaded into the item registry "items.dat"
// by the start-up upgrade. The file's own header comments describe its form: section ITEMS
// holds the definitions (NAME, SCRID, STAT1, STAT2 and SCUSE lines, each with the item's
// number n), sections ITEM<n>_<EVENT> the lines of the item's scripts.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "engine/store/records.hpp"
#include "engine/text/text_file.hpp"

constexpr const char* stock_items_file_name = "items/stockitm.scr";

// The complete item definitions of an ITEMS section, by item number (ascending). A
// definition needs its NAME, SCRID, STAT1 and STAT2 lines, each exactly once and of the
// right form, and a ScriptID that is not empty; any other one is left out (with a FORCE line
// in the debug log). Without SCUSE (or with all 0) the script events are 0.
std::map<std::int32_t, item_record> parse_stock_items(const text_list& section);

// Loads the stock items: each complete definition, in the order of the numbers, is put in
// the registry (a record of the same name and ScriptID is updated in place and keeps its
// number) and its script items/<registry number>.scr written from its event sections.
// Without SCUSE the events are those whose sections exist. Returns how many items were
// added or changed (each logged in a FORCE line). A missing file: "`9  Error : File
// items/stockitm.scr missing." and code 12.
std::int16_t load_stock_items();
