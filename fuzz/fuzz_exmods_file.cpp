// Any bytes as "exmods.dat": every module keeps its fields within their capacities, and the
// list written back reads back the same.
#include "fuzz/record_fuzz.hpp"

#include "engine/text/exmods.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::scratch_dir scratch;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!atomic_rewrite("exmods.dat", bytes)) std::abort();
    std::list<exmod_entry> mods;
    read_exmods_file(mods);
    std::list<exmod_entry> again;
    text_reader r(bytes);
    parse_exmods(r, again);
    if (mods.size() != again.size()) std::abort();
    for (const exmod_entry& m : mods) {
        if (m.command.size() > 86 || m.name.size() > 86 || m.command.empty()) std::abort();
        for (const text_line& l : m.description)
            if (l.size() > 100) std::abort();
    }
    std::string image = exmods_image(mods);
    text_reader written(image);
    std::list<exmod_entry> reread;
    parse_exmods(written, reread);
    if (exmods_image(reread) != image) std::abort();
    return 0;
}
