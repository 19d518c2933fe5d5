#include "door/file_forms.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    return trim_trailing_blanks(s);
}

std::string_view trim_trailing_blanks(std::string_view s) {
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string upper_case(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::vector<std::string> split_text_lines(std::string_view bytes) {
    std::size_t end = bytes.find('\x1a');
    if (end != std::string_view::npos) bytes = bytes.substr(0, end);
    std::vector<std::string> lines;
    std::string cur;
    bool open = false;  // a line has begun that no line end has closed yet
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            continue;
        }
        open = true;
        if (cur.size() < 255) cur.push_back(c);
    }
    if (open) lines.push_back(cur);
    return lines;
}

namespace {
struct fd_guard {
    int fd;
    ~fd_guard() {
        if (fd >= 0) ::close(fd);
    }
};

// Reads up to max bytes; false when the file cannot be opened or read.
bool read_up_to(const std::string& path, std::size_t max, std::string& out) {
    fd_guard f{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0) return false;
    struct stat st;
    if (fstat(f.fd, &st) != 0 || S_ISDIR(st.st_mode)) return false;
    out.clear();
    char buf[4096];
    while (out.size() < max) {
        ssize_t n = ::read(f.fd, buf, std::min(sizeof buf, max - out.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}
}  // namespace

std::optional<std::string> read_whole_file(const std::string& path, std::size_t max_bytes) {
    std::string out;
    if (!read_up_to(path, max_bytes, out)) return std::nullopt;
    return out;
}

std::optional<std::vector<std::string>> read_text_lines(const std::string& path) {
    auto bytes = read_whole_file(path);
    if (!bytes) return std::nullopt;
    return split_text_lines(*bytes);
}

std::optional<std::string> read_block(const std::string& path, std::size_t size) {
    std::string out;
    if (!read_up_to(path, size, out)) return std::nullopt;
    out.resize(size, '\0');
    return out;
}

std::vector<std::string> file_names_in(const std::string& dir) {
    std::vector<std::string> names;
    DIR* dp = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!dp) return names;
    while (dirent* e = ::readdir(dp)) names.emplace_back(e->d_name);
    ::closedir(dp);
    return names;
}

std::string find_file_case_blind(const std::string& dir, const std::string& name) {
    std::string exact = dir + name;
    if (::access(exact.c_str(), F_OK) == 0) return exact;
    std::vector<std::string> found;
    for (std::string& entry : file_names_in(dir))
        if (strcasecmp(entry.c_str(), name.c_str()) == 0) found.push_back(std::move(entry));
    if (found.empty()) return exact;
    std::sort(found.begin(), found.end());  // the same choice every time
    return dir + found.front();
}

namespace {
std::optional<std::int64_t> parse_digits(std::string_view s, int base) {
    if (s.empty()) return std::nullopt;
    std::int64_t v = 0;
    constexpr std::int64_t cap = std::numeric_limits<std::int64_t>::max() / 16 - 16;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        if (v < cap) v = v * base + d;  // saturates: the caller clamps to its field anyway
    }
    return v;
}
}  // namespace

std::optional<std::int64_t> parse_whole(std::string_view s) {
    s = trim_blanks(s);
    bool neg = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        neg = s.front() == '-';
        s.remove_prefix(1);
    }
    auto v = parse_digits(s, 10);
    if (!v) return std::nullopt;
    return neg ? -*v : *v;
}

std::optional<std::int64_t> parse_hex(std::string_view s) {
    s = trim_blanks(s);
    if (!s.empty() && s.front() == '$')
        s.remove_prefix(1);
    else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s.remove_prefix(2);
    return parse_digits(s, 16);
}

std::optional<std::int64_t> parse_whole_part(std::string_view s) {
    s = trim_blanks(s);
    std::size_t dot = s.find('.');
    if (dot == std::string_view::npos) return parse_whole(s);
    std::string_view frac = s.substr(dot + 1);
    if (!frac.empty() && !parse_digits(frac, 10)) return std::nullopt;
    std::string_view whole = s.substr(0, dot);
    if (whole.empty() || whole == "-" || whole == "+") {
        if (frac.empty()) return std::nullopt;
        return 0;
    }
    return parse_whole(whole);
}

double mbf_single(const unsigned char* p) {
    int exponent = p[3];
    if (exponent == 0) return 0.0;
    std::uint32_t mantissa =
        0x800000u | (static_cast<std::uint32_t>(p[2] & 0x7F) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
    double v = std::ldexp(static_cast<double>(mantissa), exponent - 152);
    return (p[2] & 0x80) ? -v : v;
}

std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
