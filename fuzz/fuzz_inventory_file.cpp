// An inventory file invt<NNNN>.dat from any bytes, through the game's reader and writer,
// and the list operations on what was read.
#include "fuzz/record_fuzz.hpp"

#include "engine/rules/items.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::check_records<item_record>(data, size);
    // Whole files only: a torn one ends the game by design (code 3).
    if (size % item_record::record_size != 0 || size > 64 * item_record::record_size) return 0;
    fuzzing::scratch_dir scratch;
    std::string image(reinterpret_cast<const char*>(data), size);
    if (!atomic_rewrite("invt0001.dat", image)) std::abort();
    inventory_list items;
    read_inventory(1, items);
    std::size_t n = size / item_record::record_size;
    if (items.size() != n) std::abort();
    // Read in reverse, written from the head: a read and a write reverse the file's records.
    write_inventory(1, items);
    std::vector<item_record> recs;
    if (!parse_records(fuzzing::slurp("invt0001.dat"), recs) || recs.size() != n) std::abort();
    // The look-ups stay inside the list for any record contents.
    for (int k = -1; k <= int(n) + 1; ++k) {
        item_record* i = inv_item_num_ptr(items, k);
        if ((k >= 1 && k <= int(n)) != (i != nullptr)) std::abort();
        inv_unequipped_num_ptr(items, k);
    }
    for (int pos = -1; pos <= 11; ++pos) list_equipped_at_pos_ptr(items, pos);
    weapon_equipped_ptr(items);
    armor_equipped_ptr(items);
    shield_equipped_ptr(items);
    for (const item_record& i : items) {
        position_name(i.position);
        for (std::int32_t bit = 1; bit <= 1024; bit <<= 1) has_event(i, bit);
    }
    del_inv(items);
    return 0;
}
