// Any bytes as items/stockitm.scr: the stock loader fills the registry and writes item
// scripts without a crash, every item it registers is whole, and loading again adds none.
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "fuzz/record_fuzz.hpp"

#include "engine/rules/stock_items.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/item_registry.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::quiet_output();
    fuzzing::scratch_dir scratch;
    std::error_code ec;
    std::filesystem::remove_all("items", ec);
    ::unlink("items.dat");
    ::unlink("debug.txt");
    ::mkdir("items", 0777);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!atomic_rewrite("items/stockitm.scr", bytes)) std::abort();
    std::int16_t n = load_stock_items();
    std::vector<registry_record> recs;
    if (read_registry(recs) == file_status::corrupt) std::abort();
    // Two definitions of one name and ScriptID share a record.
    if (n < 0 || static_cast<std::size_t>(n) < recs.size()) std::abort();
    for (const registry_record& r : recs)
        if (r.script_id.empty() || r.number < 1 || r.item.name.view() != r.name.view()) std::abort();
    // A second load adds nothing.
    load_stock_items();
    std::vector<registry_record> again;
    if (read_registry(again) == file_status::corrupt || again.size() != recs.size()) std::abort();
    debug_indent.clear();
    return 0;
}
