// "guilds.dat" from any bytes, through the game's own reader and writer.
#include "fuzz/record_fuzz.hpp"

#include "engine/store/data_files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::check_records<guild_record>(data, size);
    if (size % guild_record::record_size != 0 || size > 64 * guild_record::record_size) return 0;
    fuzzing::scratch_dir scratch;
    std::string image(reinterpret_cast<const char*>(data), size);
    if (!atomic_rewrite("guilds.dat", image)) std::abort();
    load_guild_file();
    if (guild_count != static_cast<std::int16_t>(size / guild_record::record_size)) std::abort();
    write_guild_file("guilds.dat");
    std::vector<guild_record> recs;
    if (!parse_records(fuzzing::slurp("guilds.dat"), recs) || recs.size() != guild_list.size()) std::abort();
    // Written head first: the file's order reversed.
    if (!recs.empty() && encode_record(recs.front()) != encode_record(guild_list.front())) std::abort();
    return 0;
}
