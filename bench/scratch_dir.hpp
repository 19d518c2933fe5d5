// The benchmarks' scratch game directories, in the temporary folder: TMPDIR's when set, so
// that TMPDIR chooses the file system (creating a file costs much more on some than others).
#pragma once
#include <filesystem>
#include <stdlib.h>
#include <string>
#include <system_error>

namespace bench {
// Makes a new directory "<the temporary folder>/<stem>.XXXXXX" and gives its name; "" when
// it cannot.
inline std::string make_scratch_dir(const char* stem) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) return {};
    std::string dir = (base / (std::string(stem) + ".XXXXXX")).string();
    if (!mkdtemp(dir.data())) return {};
    return dir;
}
}  // namespace bench
