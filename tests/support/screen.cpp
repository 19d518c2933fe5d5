#include "support/screen.hpp"

#include <algorithm>
#include <vector>

namespace {
// SGR colour codes 30-37 / 40-47 in PC colour order.
constexpr int pc_of_ansi[8] = {0, 4, 2, 6, 1, 5, 3, 7};

std::vector<int> numbers(std::string_view params) {
    std::vector<int> r;
    int cur = -1;
    for (char c : params) {
        if (c >= '0' && c <= '9') {
            cur = (cur < 0 ? 0 : cur) * 10 + (c - '0');
            if (cur > 100000) cur = 100000;
        } else if (c == ';') {
            r.push_back(cur);
            cur = -1;
        }
    }
    r.push_back(cur);
    return r;
}

int arg(const std::vector<int>& v, std::size_t i, int def) { return i < v.size() && v[i] >= 0 ? v[i] : def; }
}  // namespace

void ansi_screen::clear() {
    for (auto& r : cells_) r.fill(cell{});
    cx_ = cy_ = 0;
    wrap_pending_ = false;
}

void ansi_screen::feed(std::string_view bytes) {
    for (char c : bytes) {
        if (state_ == 1) {
            if (c == '[') {
                state_ = 2;
                params_.clear();
            } else {
                state_ = 0;
            }
            continue;
        }
        if (state_ == 2) {
            auto u = static_cast<unsigned char>(c);
            if (u >= 0x40 && u <= 0x7E) {
                state_ = 0;
                csi(params_, c);
            } else if (params_.size() < 64) {
                params_.push_back(c);
            }
            continue;
        }
        switch (c) {
        case '\x1b': state_ = 1; break;
        case '\r':
            cx_ = 0;
            wrap_pending_ = false;
            break;
        case '\n':
            line_feed();
            wrap_pending_ = false;
            break;
        case '\b':
            if (cx_ > 0) --cx_;
            wrap_pending_ = false;
            break;
        case '\t': cx_ = std::min(width - 1, (cx_ / 8 + 1) * 8); break;
        default:
            if (static_cast<unsigned char>(c) >= 32 && c != 127) put(c);
            break;
        }
    }
}

void ansi_screen::put(char c) {
    if (wrap_pending_) {
        cx_ = 0;
        line_feed();
        wrap_pending_ = false;
    }
    cell& k = cells_[cy_][cx_];
    k.ch = c;
    k.fore = static_cast<unsigned char>(fore_ + (bold_ ? 8 : 0));
    k.back = static_cast<unsigned char>(back_);
    k.blink = blink_;
    if (cx_ == width - 1)
        wrap_pending_ = true;
    else
        ++cx_;
}

void ansi_screen::line_feed() {
    if (cy_ < rows_ - 1) {
        ++cy_;
        return;
    }
    ++scrolls_;
    for (int y = 1; y < rows_; ++y) cells_[y - 1] = cells_[y];
    cells_[rows_ - 1].fill(cell{});
}

void ansi_screen::csi(std::string_view params, char f) {
    std::vector<int> n = numbers(params);
    wrap_pending_ = false;
    switch (f) {
    case 'H':
    case 'f':
        cy_ = std::clamp(arg(n, 0, 1), 1, rows_) - 1;
        cx_ = std::clamp(arg(n, 1, 1), 1, width) - 1;
        break;
    case 'A': cy_ = std::max(0, cy_ - std::max(1, arg(n, 0, 1))); break;
    case 'B': cy_ = std::min(rows_ - 1, cy_ + std::max(1, arg(n, 0, 1))); break;
    case 'C': cx_ = std::min(width - 1, cx_ + std::max(1, arg(n, 0, 1))); break;
    case 'D': cx_ = std::max(0, cx_ - std::max(1, arg(n, 0, 1))); break;
    case 'J': {
        int mode = arg(n, 0, 0);
        if (mode == 2) {
            clear();
            break;
        }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                bool after = y > cy_ || (y == cy_ && x >= cx_);
                if ((mode == 0 && after) || (mode == 1 && !after) || (mode == 1 && y == cy_ && x == cx_))
                    cells_[y][x] = cell{};
            }
        break;
    }
    case 'K': {
        int mode = arg(n, 0, 0);
        for (int x = 0; x < width; ++x)
            if (mode == 2 || (mode == 0 && x >= cx_) || (mode == 1 && x <= cx_)) cells_[cy_][x] = cell{};
        break;
    }
    case 'm': sgr(params); break;
    case 's':
        saved_x_ = cx_;
        saved_y_ = cy_;
        break;
    case 'u':
        cx_ = saved_x_;
        cy_ = saved_y_;
        break;
    default: break;  // queries and the like draw nothing
    }
}

void ansi_screen::sgr(std::string_view params) {
    for (int v : numbers(params)) {
        if (v < 0) v = 0;
        if (v == 0) {
            fore_ = 7;
            back_ = 0;
            bold_ = blink_ = false;
        } else if (v == 1) {
            bold_ = true;
        } else if (v == 5) {
            blink_ = true;
        } else if (v == 22) {
            bold_ = false;
        } else if (v == 25) {
            blink_ = false;
        } else if (v >= 30 && v <= 37) {
            fore_ = pc_of_ansi[v - 30];
        } else if (v == 39) {
            fore_ = 7;
        } else if (v >= 40 && v <= 47) {
            back_ = pc_of_ansi[v - 40];
        } else if (v == 49) {
            back_ = 0;
        }
    }
}

std::string ansi_screen::row(int y) const {
    if (y < 1 || y > height) return {};
    std::string s;
    for (const cell& k : cells_[y - 1]) s.push_back(k.ch);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string ansi_screen::text() const {
    std::vector<std::string> rows;
    for (int y = 1; y <= height; ++y) rows.push_back(row(y));
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    std::string s;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i) s.push_back('\n');
        s += rows[i];
    }
    return s;
}

bool ansi_screen::contains(std::string_view s) const {
    for (int y = 1; y <= height; ++y)
        if (row(y).find(s) != std::string::npos) return true;
    return false;
}

char ansi_screen::at(int x, int y) const {
    if (x < 1 || x > width || y < 1 || y > height) return ' ';
    return cells_[y - 1][x - 1].ch;
}

int ansi_screen::colour_at(int x, int y) const {
    if (x < 1 || x > width || y < 1 || y > height) return 7;
    const cell& k = cells_[y - 1][x - 1];
    return k.fore + (k.blink ? 16 : 0);
}

int ansi_screen::back_at(int x, int y) const {
    if (x < 1 || x > width || y < 1 || y > height) return 0;
    return cells_[y - 1][x - 1].back;
}

int ansi_screen::colour() const { return fore_ + (bold_ ? 8 : 0) + (blink_ ? 16 : 0); }
