// Any bytes as this node's hand-off file and as the texts a caller or a sysop gives the
// entry and the town: the first line is a character's name (as typed for a new character,
// and the name the file is matched against), the second a realm key string, the rest the
// hand-off file. Nothing may crash or read out of bounds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "door/door.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/strings.hpp"
#include "fuzz/record_fuzz.hpp"
#include "game/entry.hpp"
#include "game/new_char.hpp"
#include "game/other_realms.hpp"
#include "game/town.hpp"

namespace {
bool setup() {
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    node_number = 1;
    return true;
}

std::string take_line(std::string& rest) {
    std::size_t end = rest.find('\n');
    std::string line = rest.substr(0, end);
    rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    return line;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = setup();
    (void)ready;
    fuzzing::scratch_dir scratch;
    std::string rest(reinterpret_cast<const char*>(data), size);
    std::string name = take_line(rest);
    std::string keys = take_line(rest);
    if (FILE* f = std::fopen(handoff_file_name().c_str(), "wb")) {
        std::fwrite(rest.data(), 1, rest.size(), f);
        std::fclose(f);
    }
    del_char_list();
    character_record c;
    c.number = 1;
    c.name = upcase_str(name);
    c.level = static_cast<std::int16_t>(name.size() * 3);
    c.creature_fights_left = static_cast<std::int16_t>(keys.size() % 3);
    cur_char = add_char(c);
    handoff_matches(cur_char);
    handoff_matches(nullptr);
    node_handoff back;
    if (!read_node_file(node_number, back)) std::abort();
    name_refusal(upcase_str(name));
    char k = realm_default_key(c, keys);
    if (k == 0) std::abort();
    for (char key : keys + "L?") {
        int n = realm_key_number(keys, key);
        if (n < 0 || n > 6) std::abort();
    }
    del_char_list();
    return 0;
}
