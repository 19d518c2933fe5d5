#include "support/temp_dir.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// "<the temporary folder>/<stem>.XXXXXX", for mkstemp or mkdtemp to make unique.
std::string temp_template(const char* stem) {
    return (fs::temp_directory_path() / (std::string(stem) + ".XXXXXX")).string();
}
}  // namespace

temp_dir::temp_dir(bool enter) {
    std::string tmpl = temp_template("qvtest");
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
    if (enter) {
        old_cwd_ = fs::current_path().string();
        fs::current_path(path_);
        entered_ = true;
    }
}

temp_dir::~temp_dir() {
    std::error_code ec;
    if (entered_) fs::current_path(old_cwd_, ec);
    fs::remove_all(path_, ec);
}

int unnamed_temp_file(const char* stem) {
    std::string name = temp_template(stem);
    int fd = mkstemp(name.data());
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    unlink(name.c_str());
    return fd;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool file_present(const std::string& path) { return fs::exists(path); }

void copy_tree(const std::string& from, const std::string& to) {
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}
