// Builds the shops' stock files from the stock items (data/items/stockitm.scr):
//
//     mkshops <stock item file> <game directory>
//
// The table below names, for each stock file, runs of item numbers of the file's ITEMS
// section and how many of each the shop holds (below 0: it never runs out). Each entry takes
// the item's name, ScriptID and cost; the files are written whole, in the table's order.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "engine/rules/stock_items.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/records.hpp"
#include "engine/store/shop_file.hpp"
#include "engine/text/text_file.hpp"

namespace {
struct stock_run {
    const char* file;
    std::int32_t first, last;  // item numbers
    std::int16_t count;
};

// Most items never run out; the best two of each shop are rare, the very best rarer still.
constexpr stock_run stock_table[] = {
    {weapon_stock_file, 10, 26, -1}, {weapon_stock_file, 27, 28, 3}, {weapon_stock_file, 29, 29, 1},
    {armour_stock_file, 30, 46, -1}, {armour_stock_file, 47, 48, 3}, {armour_stock_file, 49, 49, 1},
    {shield_stock_file, 50, 66, -1}, {shield_stock_file, 67, 68, 3}, {shield_stock_file, 69, 69, 1},
};
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkshops <stock item file> <game directory>\n");
        return 2;
    }
    if (test_open(argv[1]) != io_ok) {
        std::fprintf(stderr, "mkshops: cannot read %s\n", argv[1]);
        return 1;
    }
    text_list section;
    read_menu_text(argv[1], "ITEMS", section);
    std::map<std::int32_t, item_record> items = parse_stock_items(section);
    std::map<std::string, shop_list> files;
    for (const stock_run& run : stock_table) {
        for (std::int32_t n = run.first; n <= run.last; ++n) {
            auto it = items.find(n);
            if (it == items.end()) {
                std::fprintf(stderr, "mkshops: %s has no complete item %d\n", argv[1], int(n));
                return 1;
            }
            shop_entry e;
            e.name = it->second.name.view();
            e.script_id = it->second.script_id.view();
            e.cost = it->second.cost;
            e.count = run.count;
            files[run.file].push_back(e);
        }
    }
    for (const auto& [name, list] : files) {
        std::string path = std::string(argv[2]) + "/" + name;
        write_shop_file(path, list);
        std::printf("%s: %zu entries\n", path.c_str(), list.size());
    }
    return 0;
}
