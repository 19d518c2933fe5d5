// A creature file from any bytes: both record forms, the choice between them, the level
// filter and the sort, the game's reader, and the news phrase codes on the same bytes.
#include "fuzz/record_fuzz.hpp"

#include "engine/rules/creatures.hpp"

namespace {
bool out_of_order(const monster_record& a, const monster_record& b) {
    return a.level > b.level || (a.level == b.level && a.name.view() > b.name.view());
}

void check_sorted(const creature_list& list) {
    for (auto a = list.begin(), b = std::next(a); a != list.end() && b != list.end(); ++a, ++b)
        if (out_of_order(*a, *b)) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::check_records<monster_record>(data, size);
    std::string image(reinterpret_cast<const char*>(data), size);

    // The older form: every whole record decodes, and what it encodes decodes the same.
    for (std::size_t off = 0; off + monster_record::old_record_size <= size; off += monster_record::old_record_size) {
        monster_record m, back;
        decode_old_creature(image.substr(off, monster_record::old_record_size), m);
        if (m.race != 1) std::abort();
        decode_old_creature(encode_old_creature(m), back);
        if (encode_record(back) != encode_record(m)) std::abort();
    }

    creature_list all, some;
    creature_form form = parse_creature_image(image, all, true, 0);
    std::size_t record = form == creature_form::older ? monster_record::old_record_size : monster_record::record_size;
    if (form == creature_form::torn) {
        if (!all.empty() || size % monster_record::record_size == 0 || size % monster_record::old_record_size == 0)
            std::abort();
    } else if (all.size() != size / record) {
        std::abort();
    }
    check_sorted(all);
    std::int16_t level = size > 0 ? static_cast<std::int16_t>(data[0] % 24) : 1;
    parse_creature_image(image, some, false, level);
    for (const monster_record& m : some)
        if (m.level != level) std::abort();
    check_sorted(some);

    // The game's reader agrees (a torn file ends the game by design, code 12).
    if (form != creature_form::torn && size <= 64 * monster_record::record_size) {
        fuzzing::scratch_dir scratch;
        if (!atomic_rewrite("forest.dat", image)) std::abort();
        creature_list read;
        read_creature_file("forest.dat", read, true);
        if (read.size() != all.size()) std::abort();
        const monster_record* pick = random_creature(level, read);
        if (pick && pick->level != level) std::abort();
    }

    // News phrase codes on any text.
    if (size <= 255) expand_tilde_phrases(image);
    return 0;
}
