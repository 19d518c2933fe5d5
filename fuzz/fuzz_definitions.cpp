// Any bytes as a script file with creature (MONSTER) and item (ITEMS) definition sections:
// every definition number the input names must build or come back as none without a
// crash, whatever its lines, and a built item must be complete.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/script/script_commands.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "fuzz/caller_fuzz.hpp"
#include "fuzz/record_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = (fuzzing::silence_output(), true);
    (void)ready;
    fuzzing::scratch_dir scratch;
    fuzzing::absent_caller();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    atomic_rewrite("d.scr", bytes);

    script_vars vars;
    vars.set(1, "^VR02 \"quoted\" @#");
    vars.set(2, "&VR01");
    // The numbers to try: 0, 1 and the second word of every line.
    std::vector<std::int32_t> numbers = {0, 1};
    std::size_t start = 0;
    while (start < bytes.size() && numbers.size() < 64) {
        std::size_t end = bytes.find('\n', start);
        std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (word_count(line) >= 2) numbers.push_back(str_to_int(word_at(line, 2)));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    for (std::int32_t n : numbers) {
        read_internal_monster("d.scr", n, vars);
        std::optional<item_record> item = read_internal_item("d.scr", n, vars);
        if (item && (item->script_events < 0 || item->script_events > 2047 || item->equipped)) std::abort();
        if (item && item->identified > 1) std::abort();
    }
    return 0;
}
