// "players.dat" from any bytes, through the game's own reader and writer.
#include "fuzz/record_fuzz.hpp"

#include "engine/store/data_files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::check_records<character_record>(data, size);
    // Whole files only: a corrupt one ends the game by design.
    if (size % character_record::record_size != 0 || size > 64 * character_record::record_size) return 0;
    fuzzing::scratch_dir scratch;
    std::string image(reinterpret_cast<const char*>(data), size);
    if (!atomic_rewrite("players.dat", image)) std::abort();
    del_char_list();
    chars_loaded = false;
    read_char_file();
    if (char_count != static_cast<std::int16_t>(size / character_record::record_size)) std::abort();
    cur_char = char_list.empty() ? nullptr : &char_list.back();
    write_char_file(true);
    std::vector<character_record> recs;
    if (!parse_records(fuzzing::slurp("players.dat"), recs) || recs.size() != char_list.size()) std::abort();
    return 0;
}
