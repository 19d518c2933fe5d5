#include "engine/store/game_path.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include "door/file_forms.hpp"

std::optional<std::string> game_path(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string_view::npos) return std::nullopt;
    std::string resolved;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t slash = name.find('/', start);
        if (slash == std::string_view::npos) slash = name.size();
        std::string part(name.substr(start, slash - start));
        start = slash + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::nullopt;
        std::string dir = resolved.empty() ? std::string() : resolved + "/";
        resolved = find_file_case_blind(dir, part);
    }
    if (resolved.empty()) return std::nullopt;
    return resolved;
}

bool is_plain_file(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string program_directory() {
    char cwd[4096];
    std::string dir = ::getcwd(cwd, sizeof cwd) ? cwd : "/";
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}
