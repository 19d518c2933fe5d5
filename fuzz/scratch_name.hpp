// Where the fuzz targets put their scratch files: the temporary folder, TMPDIR's when set.
#pragma once
#include <filesystem>
#include <string>

namespace fuzzing {
// "<the temporary folder>/<stem>.XXXXXX", for mkstemp or mkdtemp to make unique.
inline std::string scratch_template(const char* stem) {
    return (std::filesystem::temp_directory_path() / (std::string(stem) + ".XXXXXX")).string();
}
}  // namespace fuzzing
