// Shared by the drop-file fuzz targets: the input becomes the drop file in a scratch
// directory, and the reader of one BBS type reads it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "door/door.hpp"
#include "fuzz/scratch_name.hpp"

inline const std::string& fuzz_dir() {
    static const std::string dir = [] {
        std::string tmpl = fuzzing::scratch_template("qvfuzz");
        const char* d = mkdtemp(tmpl.data());
        if (!d) std::abort();
        static const std::string made = d;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(made, ec);
        });
        return std::string(d) + "/";
    }();
    return dir;
}

inline void fuzz_write(const std::string& path, const std::uint8_t* data, std::size_t size) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    close(fd);
}

// Reads data as the drop file of the given type; node picks the DORINFO name.
inline void fuzz_drop(int type, const char* file, const std::uint8_t* data, std::size_t size, int node = 1) {
    door_reset_session();
    drop_path = fuzz_dir();
    node_number = static_cast<std::uint8_t>(node);
    bbs_type = static_cast<std::uint8_t>(type);
    fuzz_write(fuzz_dir() + file, data, size);
    door_stop s = load_drop_file();
    if (!s && user_first_name.size() > 30) std::abort();
}
