// Any bytes as a shop's stock file: read whole (a torn tail zero-filled) by the utility's
// and the game's rules, written back, listed, and every item taken from stock once.
#include "fuzz/record_fuzz.hpp"

#include <unistd.h>

#include "engine/store/debug_log.hpp"
#include "engine/store/shop_file.hpp"
#include "game/shops.hpp"

namespace {
bool everything(const shop_entry&) { return true; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::check_records<shop_entry>(data, size);
    if (size > 32 * shop_entry::record_size) return 0;
    fuzzing::quiet_output();
    fuzzing::scratch_dir scratch;
    std::string image(reinterpret_cast<const char*>(data), size);
    std::vector<shop_entry> parsed = parse_shop_image(image);
    if (parsed.size() != (size + shop_entry::record_size - 1) / shop_entry::record_size) std::abort();

    // The registry holds the items of the first two entries.
    std::vector<registry_record> registry;
    for (std::size_t i = 0; i < parsed.size() && i < 2; ++i) {
        registry_record r;
        r.name = parsed[i].name;
        r.script_id = parsed[i].script_id;
        r.number = static_cast<std::int32_t>(i + 1);
        r.item.name = r.name;
        r.item.script_id = r.script_id;
        registry.push_back(r);
    }
    if (!atomic_rewrite(registry_file_name, records_image<registry_record>(registry))) std::abort();
    if (!atomic_rewrite("weapon.shp", image)) std::abort();

    shop_list all = read_shop_file("weapon.shp", everything);
    if (all.size() != parsed.size()) std::abort();
    shop_list kept = read_shop_file("weapon.shp", registry_keep(registry));
    shop_list for_sale = read_shop_file("weapon.shp", shop_entry_for_sale);
    if (kept.size() < for_sale.size()) std::abort();
    for (const shop_entry& e : for_sale)
        if (e.count == 0) std::abort();

    // Written back whole, it reads the same.
    write_shop_file("weapon.shp", all);
    if (fuzzing::slurp("weapon.shp").size() != all.size() * shop_entry::record_size) std::abort();
    if (records_image<shop_entry>(read_shop_file("weapon.shp", everything)) != records_image<shop_entry>(all))
        std::abort();

    // The sysop's write with nothing changed leaves the file as it stands.
    merge_shop_file("weapon.shp", all, all, everything);
    if (fuzzing::slurp("weapon.shp") != records_image<shop_entry>(all)) std::abort();

    show_shop_list(for_sale);
    for (int n = -1; n <= static_cast<int>(for_sale.size()) + 1; ++n) {
        bool listed = n >= 1 && n <= static_cast<int>(for_sale.size());
        if (shop_item_by_number(for_sale, n).has_value() && !listed) std::abort();
    }
    // Taking from stock never adds to it.
    auto in_stock = [](const shop_list& l) {
        std::int64_t n = 0;
        for (const shop_entry& e : l) n += e.count > 0 ? e.count : 0;
        return n;
    };
    std::int64_t before = in_stock(for_sale);
    for (const shop_entry& e : all)
        take_one_from_stock("weapon.shp", e.name.view(), e.script_id.view(), shop_entry_for_sale);
    if (in_stock(read_shop_file("weapon.shp", shop_entry_for_sale)) > before) std::abort();
    del_shop_list(all);
    ::unlink("weapon.shp");
    ::unlink(registry_file_name);
    debug_indent.clear();
    return 0;
}
