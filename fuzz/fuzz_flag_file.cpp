// Any bytes as a flag file (a player's flag<NNNN>.dat, "mainflag.dat"): every operation of the
// flag store must take it without a crash, a flag just set must read back as set, and the
// other sections must come through a change untouched.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "door/door.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "fuzz/record_fuzz.hpp"

namespace {
bool setup() {
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    return true;
}

// Number of "@#" header lines whose name is not the changed section's.
std::size_t other_headers(const std::string& image, const std::string& upper_section) {
    std::size_t n = 0, start = 0;
    while (start <= image.size()) {
        std::size_t end = image.find_first_of("\r\n", start);
        std::string line = image.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (line.substr(0, 2) == "@#" && line.size() > 2 && upcase_str(line.substr(2)) != upper_section) ++n;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = setup();
    (void)ready;
    fuzzing::scratch_dir scratch;
    std::string bytes(reinterpret_cast<const char*>(data), size);

    // The first word of the input names the section the changes go to.
    std::string section = word_at(bytes.substr(0, bytes.find_first_of("\r\n")), 1);
    if (section.empty() || section.substr(0, 2) == "@#") section = "FLAGS";
    for (char& c : section)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '.';
    std::string upper = upcase_str(section);

    atomic_rewrite("flag0001.dat", bytes);
    // An empty file is taken for a missing one and starts as the template.
    std::size_t others_before = other_headers(bytes.empty() ? "@#FLAGS\n@#MAIN\n" : bytes, upper);
    return_flag("QUEST", "flag0001.dat", section);
    split_flag_line(bytes.substr(0, 300));
    add_flag("FUZZ", "Set Value", 2, "flag0001.dat", section);
    if (return_flag("fuzz", "flag0001.dat", section) != "SET VALUE") std::abort();
    if (other_headers(fuzzing::slurp("flag0001.dat"), upper) != others_before) std::abort();
    expire_flags("flag0001.dat", section, 2);
    if (other_headers(fuzzing::slurp("flag0001.dat"), upper) != others_before) std::abort();
    remove_flag("quest", "flag0001.dat", section);
    add_section("flag0001.dat", "NEW");
    count_random_events("flag0001.dat");

    atomic_rewrite("mainflag.dat", bytes);
    set_default_tunables();
    read_standard_flags();
    if (check_frequency < 1) std::abort();
    unlink("flag0001.dat");
    unlink("mainflag.dat");
    return 0;
}
