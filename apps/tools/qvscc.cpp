// qvscc: the sysop's encoder of scripts. Turns a plain script (.scr) into the encoded form
// (.scc) that the game decodes when it runs it, so that callers who can read the game
// directory cannot read the script's secrets at a glance.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "door/file_forms.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/store/file_access.hpp"

namespace {
void usage() {
    std::fprintf(stderr,
                 "usage: qvscc [-o offset] script.scr [script.scc]\n"
                 "\n"
                 "Encodes a plain script into the .scc form the game runs. The output is\n"
                 "groups of three decimal digits: each character's code plus the offset, and\n"
                 "013 plus the offset at each line end. The offset itself stands as the first\n"
                 "and as the LAST group of the file; the game reads it from the last group.\n"
                 "The offset is 0 to %d (default %d). The output name defaults to the input's\n"
                 "name with the ending .scc.\n",
                 scc_max_offset, scc_default_offset);
}

std::string default_output(const std::string& input) {
    std::size_t dot = input.rfind('.');
    std::size_t slash = input.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return input + ".scc";
    return input.substr(0, dot) + ".scc";
}
}  // namespace

int main(int argc, char** argv) {
    int offset = scc_default_offset;
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a == "-o" && i + 1 < argc) {
            std::optional<std::int64_t> n = parse_whole(argv[++i]);
            if (!n || *n < 0 || *n > scc_max_offset) {
                std::fprintf(stderr, "qvscc: the offset must be a number from 0 to %d\n", scc_max_offset);
                return 1;
            }
            offset = static_cast<int>(*n);
        } else if (a == "-h" || a == "--help") {
            usage();
            return 0;
        } else if (input.empty() && !a.empty() && a[0] != '-') {
            input = a;
        } else if (output.empty() && !a.empty() && a[0] != '-') {
            output = a;
        } else {
            usage();
            return 1;
        }
    }
    if (input.empty()) {
        usage();
        return 1;
    }
    if (output.empty()) output = default_output(input);
    if (output == input) {
        std::fprintf(stderr, "qvscc: the output would replace the script itself\n");
        return 1;
    }
    std::optional<std::string> text = read_whole_file(input, 16u << 20);
    if (!text) {
        std::fprintf(stderr, "qvscc: cannot read %s\n", input.c_str());
        return 1;
    }
    if (!atomic_rewrite(output, encode_script(*text, offset))) {
        std::fprintf(stderr, "qvscc: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
