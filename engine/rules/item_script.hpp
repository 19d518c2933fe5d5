// The script of an item, items/<n>.scr (n its registry number), written from the event
// sections of the item file that defines the item: ITEM<k>_WEAR, ITEM<k>_USE ... for item k
// of the file. The script command ITEM and the stock items' loader both write them here.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The event bits (WEAR 1 .. FLAGS 1024) of the sections ITEM<k>_<EVENT> the file holds.
std::int32_t item_file_events(const std::string& item_file, std::string_view k);

// Writes items/<number>.scr (the folder made when missing): for each event of sections, in
// the order of the bits, "@#" + the event, the lines of ITEM<k>_<EVENT> and "  Return"; then
// "@#MAIN", "  Gosub ^VR01", "  Halt" and "@#". A script that exists already is written
// again only when the DATE flag of the file's ITEM<k>_FLAGS section is later than the DATE
// flag of the script's FLAGS section.
void write_item_script(std::int32_t number, std::string_view k, const std::string& item_file, std::int32_t sections);
