// Any bytes as an encoded script (.scc): decoding must never crash, must skip what is no
// group, and what it gives must survive encoding and decoding again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/script/script_runner.hpp"
#include "engine/store/file_access.hpp"
#include "engine/text/text_file.hpp"
#include "fuzz/caller_fuzz.hpp"
#include "fuzz/record_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = (fuzzing::silence_output(), true);
    (void)ready;
    fuzzing::scratch_dir scratch;
    std::string image(reinterpret_cast<const char*>(data), size);
    atomic_rewrite("f.scc", image);
    std::int32_t offset = read_file_number("f.scc");
    if (offset < 0 || offset > 999) std::abort();

    std::vector<std::string> bad;
    std::string text = decode_script(image, offset, &bad);
    if (text.find('\0') != std::string::npos || text.find('\r') != std::string::npos) std::abort();
    if (!text.empty() && text.back() != '\n') std::abort();
    for (const std::string& g : bad)
        if (g.empty() || g.size() > 3) std::abort();

    // What the decoder gives encodes and decodes back to itself at any usable offset.
    int again = offset <= scc_max_offset ? offset : scc_default_offset;
    std::vector<std::string> none;
    if (decode_script(encode_script(text, again), again, &none) != text || !none.empty()) std::abort();

    // The decoded copy on disk holds the same text.
    if (!decompile_script("f.scc", "f.out")) std::abort();
    std::string written = fuzzing::slurp("f.out");
    if (written != text) std::abort();
    return 0;
}
