// The door control file and switches on any bytes. When the input begins with "\x01", its
// first line holds the command-line arguments (blank-separated) and the rest is the file.
#include <vector>

#include "drop_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string in(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args{"quorvath"};
    if (!in.empty() && in[0] == '\x01') {
        std::size_t eol = in.find('\n');
        std::string line = in.substr(1, eol == std::string::npos ? std::string::npos : eol - 1);
        in = eol == std::string::npos ? std::string() : in.substr(eol + 1);
        std::size_t i = 0;
        while (i < line.size()) {
            std::size_t j = line.find(' ', i);
            if (j == std::string::npos) j = line.size();
            if (j > i) args.push_back(line.substr(i, j - i));
            i = j + 1;
        }
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    door_set_args(static_cast<int>(argv.size()), argv.data());
    door_reset_session();
    std::string path = fuzz_dir() + "quorvath.dat";
    fuzz_write(path, reinterpret_cast<const std::uint8_t*>(in.data()), in.size());
    door_stop s = load_door_config(path);
    if (s && s.code != exit_config_error) std::abort();
    if (!s && bbs_type > 15) std::abort();
    return 0;
}
