// The item browser (hidden main-menu key Z) and the shop editor (key S): the registry one
// item at a time, and which registered items each shop's stock file offers, and how many.
#pragma once
#include <string>
#include <string_view>

namespace cfg {

// Browses the registry file named, one record at a time; a missing file is created empty.
void item_browser(const std::string& file_name);
// Picks the stock file: the three shops, another typed by name, or back.
void shop_menu();
// Edits one stock file against "items.dat".
void shop_editor(const std::string& file_name);
// Why a typed shop name cannot name a stock file (empty when it can).
std::string shop_name_refusal(std::string_view name);

}  // namespace cfg
