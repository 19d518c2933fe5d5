// The door control file and switches on any bytes. When the input begins with "\x01", its
// first line holds the command-line arguments (blank-separated) and the rest is the file.
#include <vector>

#include "drop_fuzz.hpp"

namespace {
// Every setting the control file carries, for comparing two reads.
std::string settings() {
    std::string s = control_file_text();
    s += '|' + std::string(door_cfg.pause_code.view()) + '|' + std::to_string(door_cfg.max_time) + '|' +
         std::to_string(door_cfg.status_line) + std::to_string(door_cfg.digi) + std::to_string(door_cfg.colour) +
         std::to_string(door_cfg.colour1) + '|' + std::to_string(door_cfg.stat_fore) + '|' +
         std::to_string(door_cfg.stat_back) + '|' + std::to_string(bbs_type) + '|' + std::to_string(com_port) + '|' +
         std::to_string(fossil_flag) + std::to_string(door_cfg.ext_fossil) + '|' + std::to_string(locked_baud);
    return s;
}
}  // namespace

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
    if (s || args.size() > 1) return 0;
    // What the utility writes reads back to the same settings, and is written the same again.
    fill_default_ports();
    std::string first = settings();
    std::string text = control_file_text();
    fuzz_write(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    door_reset_session();
    if (load_door_config(path)) std::abort();
    fill_default_ports();
    if (settings() != first || control_file_text() != text) std::abort();
    return 0;
}
