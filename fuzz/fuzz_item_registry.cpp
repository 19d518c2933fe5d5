// The item registry "items.dat" from any bytes: its records, the matching rule and the
// numbering of a new item.
#include "fuzz/record_fuzz.hpp"

#include "engine/store/item_registry.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::check_records<registry_record>(data, size);
    // Whole files only: a torn one ends the game by design (code 20).
    if (size % registry_record::record_size != 0 || size > 64 * registry_record::record_size) return 0;
    fuzzing::scratch_dir scratch;
    std::string image(reinterpret_cast<const char*>(data), size);
    if (!atomic_rewrite("items.dat", image)) std::abort();
    std::vector<registry_record> recs;
    if (read_registry(recs) != file_status::ok || recs.size() != size / registry_record::record_size) std::abort();
    std::int32_t highest = 0;
    for (const registry_record& r : recs) {
        highest = std::max(highest, r.number);
        // Every record's own item finds a record by the rule, and a look-up by its ScriptID.
        item_record probe = r.item;
        probe.name = r.name;
        probe.script_id = r.script_id;
        if (!item_is_registered(probe)) std::abort();
        if (!item_by_only_scriptid(r.script_id.view())) std::abort();
        if (!item_by_scriptid(r.name.view(), r.script_id.view())) std::abort();
    }
    if (highest == INT32_MAX) return 0;
    if (next_item_registry_number() != highest + 1) std::abort();
    // A new item (a ScriptID no record has) is added with the next number.
    item_record fresh;
    fresh.name = "Fuzz";
    fresh.script_id = std::string(20, '\x7f');
    fresh.script_events = 2;
    bool known = false;
    for (const registry_record& r : recs) known |= r.script_id.view() == fresh.script_id.view();
    if (known) return 0;
    if (add_item_to_registry(fresh) != highest + 1) std::abort();
    std::vector<registry_record> after;
    if (read_registry(after) != file_status::ok || after.size() != recs.size() + 1) std::abort();
    return 0;
}
