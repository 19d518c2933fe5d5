// "quorstat.dat" from any bytes, through the game's own reader and writer.
#include "fuzz/record_fuzz.hpp"

#include "engine/store/data_files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::check_records<stat_record>(data, size);
    if (size == 0 || size % stat_record::record_size != 0 || size > 4 * stat_record::record_size) return 0;
    fuzzing::scratch_dir scratch;
    std::string image(reinterpret_cast<const char*>(data), size);
    if (!atomic_rewrite("quorstat.dat", image)) std::abort();
    read_stat_file(game_stats);
    stat_record before = game_stats;
    write_stat_file();
    std::string after = fuzzing::slurp("quorstat.dat");
    if (after.size() != stat_record::record_size) std::abort();
    stat_record back;
    decode_record(after, back);
    if (back.day < before.day || back.last_maint_date.view() < before.last_maint_date.view()) std::abort();
    if (after.substr(303, 95) != image.substr(303, 95)) std::abort();
    return 0;
}
