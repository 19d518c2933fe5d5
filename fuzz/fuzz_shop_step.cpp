// Any bytes as a shop step's note left for the playing character: reading never crashes, a note
// that reads writes back to the same bytes' meaning, and settling it touches only the game
// directory's own files.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/rules/shop_step.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "fuzz/record_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::scratch_dir scratch;
    fuzzing::quiet_output();
    std::string text(reinterpret_cast<const char*>(data), size);
    std::optional<shop_step> s = parse_step(text);
    if (s) {
        std::optional<shop_step> again = parse_step(encode_step(*s));
        if (!again || encode_step(*again) != encode_step(*s)) std::abort();
    }
    del_char_list();
    character_record c;
    c.number = s ? s->number : 1;
    c.created_time = s ? s->created_time : 0;
    c.name = "FUZZ";
    cur_char = add_char(c);
    if (!atomic_rewrite(step_file_name(c.number), text)) std::abort();
    settle_step();
    if (file_exists(step_file_name(c.number))) std::abort();
    del_char_list();
    return 0;
}
