// Any bytes as a sectioned text file ("quortext.dat", a script, a board): every reader of the
// text layer must take it without a crash, and keep its lines within their capacities.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "door/door.hpp"
#include "engine/store/data_files.hpp"
#include "engine/text/text_file.hpp"
#include "fuzz/record_fuzz.hpp"

namespace {
bool setup() {
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    graphics_mode = 3;
    character_record c;
    c.number = 1;
    c.name = "X^CA";
    c.sex = 2;
    cur_char = add_char(c);
    return true;
}

void check(const text_list& l) {
    for (const auto& line : l)
        if (line.size() > 100) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = setup();
    (void)ready;
    fuzzing::scratch_dir scratch;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (FILE* f = std::fopen("t.dat", "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    text_list names;
    retrieve_headers("t.dat", names);
    check(names);
    names.push_back("MAIN");
    for (const auto& name : names) {
        text_list l;
        read_menu_text("t.dat", name.view(), l);
        check(l);
        std::string keys;
        read_text_section("t.dat", name.view(), l, keys);
        check(l);
        if (keys.size() > 255) std::abort();
    }
    text_reader r(bytes);
    std::string line;
    while (r.read_line(line))
        if (line.size() > 255) std::abort();
    text_reader again(bytes);
    text_list block;
    read_desc(again, block);
    check(block);
    read_file_number("t.dat");
    return 0;
}
