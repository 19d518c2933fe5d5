#include "engine/store/strings.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

#include "door/sys.hpp"

namespace {
constexpr std::size_t short_max = 255;

std::string cut(std::string s) {
    if (s.size() > short_max) s.resize(short_max);
    return s;
}

int clamp_width(int width) { return width < 0 ? 0 : (width > int(short_max) ? int(short_max) : width); }

char up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
char low(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

const char* const weekday_names[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string two(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", ((n % 100) + 100) % 100);
    return buf;
}

std::string weekday_name(const local_time& t) {
    return (t.weekday >= 0 && t.weekday < 7) ? weekday_names[t.weekday] : "";
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t days_from_civil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
}  // namespace

std::string pad_left(std::string_view text, int width) {
    std::size_t w = static_cast<std::size_t>(clamp_width(width));
    std::string s(text.substr(0, w));
    return std::string(w - s.size(), ' ') + s;
}

std::string pad_right(std::string_view text, int width) {
    std::size_t w = static_cast<std::size_t>(clamp_width(width));
    std::string s(text.substr(0, w));
    s.append(w - s.size(), ' ');
    return s;
}

std::string zero_pad(std::int64_t number, int width) {
    std::size_t w = static_cast<std::size_t>(clamp_width(width));
    std::string s = std::to_string(number);
    if (s.size() < w) s.insert(0, w - s.size(), '0');
    return s.substr(s.size() - w);
}

std::string comma_number(std::int64_t number) {
    std::string digits = std::to_string(number);
    bool negative = !digits.empty() && digits[0] == '-';
    if (negative) digits.erase(0, 1);
    std::string out;
    int n = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (n && n % 3 == 0) out.insert(out.begin(), ',');
        out.insert(out.begin(), digits[i]);
        ++n;
    }
    return negative ? "-" + out : out;
}

std::int32_t str_to_int(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size()) return 0;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
        if (v > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1) return 0;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<std::int32_t>::max() || v < std::numeric_limits<std::int32_t>::min()) return 0;
    return static_cast<std::int32_t>(v);
}

std::string int_to_str(std::int64_t number) { return std::to_string(number); }

std::int64_t round_half_even(double x) {
    if (std::isnan(x)) return 0;
    constexpr double lim = 9.2e18;
    if (x >= lim) return std::numeric_limits<std::int64_t>::max();
    if (x <= -lim) return std::numeric_limits<std::int64_t>::min();
    double f = std::floor(x);
    double diff = x - f;
    std::int64_t r = static_cast<std::int64_t>(f);
    if (diff > 0.5) return r + 1;
    if (diff < 0.5) return r;
    return (r % 2 == 0) ? r : r + 1;
}

std::string upcase_first(std::string_view text) {
    std::string s(text);
    if (!s.empty()) s[0] = up(s[0]);
    return s;
}

std::string lowcase_first(std::string_view text) {
    std::string s(text);
    if (!s.empty()) s[0] = low(s[0]);
    return s;
}

std::string upcase_str(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = up(c);
    return s;
}

std::string lowcase_str(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = low(c);
    return s;
}

std::string collapse_spaces(std::string_view text) {
    std::string s;
    for (char c : text)
        if (!(c == ' ' && !s.empty() && s.back() == ' ')) s.push_back(c);
    return s;
}

std::string trim_leading(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return std::string(text.substr(i));
}

std::string trim_trailing(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ') --n;
    return std::string(text.substr(0, n));
}

int word_count(std::string_view text) {
    std::string s = trim_leading(collapse_spaces(trim_trailing(text)));
    if (s.empty()) return 0;
    int blanks = 0;
    for (char c : s) blanks += c == ' ';
    return blanks + 1;
}

std::string word_at(std::string_view text, int n) {
    std::string s = trim_leading(collapse_spaces(trim_trailing(text)));
    if (n < 1 || s.empty()) return "";
    std::size_t start = 0;
    for (int i = 1;; ++i) {
        std::size_t end = s.find(' ', start);
        if (i == n || end == std::string::npos)
            return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end + 1;
    }
}

bool unquote(std::string& text) {
    std::size_t a = text.find('"');
    if (a == std::string::npos) return false;
    std::size_t b = text.find('"', a + 1);
    if (b == std::string::npos) return false;
    text = text.substr(a + 1, b - a - 1);
    return true;
}

std::string center_str(int width, std::string_view text) {
    std::int64_t n = round_half_even(width / 2.0) - round_half_even(double(text.size()) / 2.0) - 1;
    if (n < 1) return "";
    return std::string(static_cast<std::size_t>(n > 255 ? 255 : n), ' ');
}

void strip_commas(std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ',') out.push_back(c);
    text = out;
}

std::string proper_case(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size()) break;
        std::size_t end = text.find(' ', i);
        if (end == std::string_view::npos) end = text.size();
        // The byte after a colour code's mark is left as stored: names are kept upper-case,
        // so a lowered one would turn "`C" or "`B" into a live clear-screen or blink code.
        std::string word(text.substr(i, end - i));
        bool raised = false;
        for (std::size_t k = 0; k < word.size(); ++k) {
            if (word[k] == '`' && k + 1 < word.size()) {
                ++k;
                continue;
            }
            word[k] = low(word[k]);
            if (!raised && word[k] >= 'a' && word[k] <= 'z') {
                word[k] = up(word[k]);
                raised = true;
            }
        }
        if (!out.empty()) out += ' ';
        out += word;
        i = end;
    }
    return cut(out);
}

namespace {
std::string date_and_time(bool whole_year) {
    local_time t = clock_now();
    return weekday_name(t) + " " + two(t.month) + "/" + two(t.day) + "/" +
           (whole_year ? std::to_string(t.year) : two(t.year)) + "  " + two(t.hour) + ":" + two(t.minute) + ":" +
           two(t.second) + ":" + two(t.hundredths);
}
}  // namespace

std::string date_time_str() { return date_and_time(false); }

std::string date_time_text() { return date_and_time(true); }

std::string today_string() {
    local_time t = clock_now();
    return weekday_name(t) + " " + two(t.month) + "/" + two(t.day) + "/" + two(t.year);
}

std::string date_stamp() {
    local_time t = clock_now();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.year % 10000, t.month % 100, t.day % 100);
    return buf;
}

std::int32_t unix_time_now() {
    local_time t = clock_now();
    std::int64_t secs = days_from_civil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
    if (secs > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (secs < 0) return 0;
    return static_cast<std::int32_t>(secs);
}

std::string controls_to_dots(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '.';
    return out;
}
