// Any bytes as "races.dat": the race list, and the look-up of a race's name.
#include <unistd.h>

#include "fuzz/record_fuzz.hpp"

#include "engine/rules/races.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::quiet_output();
    fuzzing::scratch_dir scratch;
    ::unlink("debug.txt");
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!atomic_rewrite("races.dat", bytes)) std::abort();
    std::list<race_node> races;
    read_race_file(races);
    for (const race_node& r : races) {
        if (r.name.size() > 20 || r.name.view() == "-1") std::abort();
        race_name(r.number);
    }
    // The reader never changes the file.
    if (fuzzing::slurp("races.dat") != bytes) std::abort();
    debug_indent.clear();
    return 0;
}
