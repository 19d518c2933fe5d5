// A game directory for the daily maintenance and the start-up upgrade: the text layer's
// clean state (fake clock, captured output), the maintenance's hooks at their defaults, and
// record files written byte by byte at their documented offsets.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/rules/maintenance.hpp"
#include "engine/store/hold.hpp"
#include "golden.hpp"
#include "text_state.hpp"

// A character of "players.dat", 299 bytes.
struct player_bytes : golden {
    player_bytes(int number, const std::string& name) : golden(299) {
        str(0, name).str(21, name + " CALLER").i16(62, number).i16(175, 1);
    }
    player_bytes& class_bits(int v) {
        golden::i16(64, v);
        return *this;
    }
    player_bytes& luck(int v) {
        golden::i16(78, v);
        return *this;
    }
    player_bytes& guild(int v) {
        golden::i16(80, v);
        return *this;
    }
    player_bytes& hit_points(int hp, int max) {
        golden::i16(86, hp).i16(88, max);
        return *this;
    }
    player_bytes& weapon(int power, const std::string& name) {
        golden::i16(90, power).str(92, name);
        return *this;
    }
    player_bytes& armour(int power, const std::string& name) {
        golden::i16(113, power).str(115, name);
        return *this;
    }
    player_bytes& shield(int power, const std::string& name) {
        golden::i16(136, power).str(138, name);
        return *this;
    }
    player_bytes& gold(int v) {
        golden::i32(159, v);
        return *this;
    }
    player_bytes& bank(std::int64_t v) {
        golden::i32(163, v);
        return *this;
    }
    player_bytes& last_day(int v) {
        golden::i16(255, v);
        return *this;
    }
    player_bytes& death_day(int v) {
        golden::i16(257, v);
        return *this;
    }
    player_bytes& dead(bool v) {
        golden::u8(291, v);
        return *this;
    }
    player_bytes& online(bool v) {
        golden::u8(294, v);
        return *this;
    }
};

// The one record of "quorstat.dat", 559 bytes: game day 30 (the next, 31, draws no lottery),
// last maintenance the day before the fake clock's date, grace 15, resurrection 2, 6.0%.
struct stat_bytes : golden {
    stat_bytes() : golden(559) {
        i16(0, 30).str(2, "20260114").i16(299, 15).i16(301, 2).f64(520, 6.0).i16(555, 5).i16(557, 107);
    }
    stat_bytes& day(int v) {
        golden::i16(0, v);
        return *this;
    }
    stat_bytes& last_maint(const std::string& s) {
        golden::str(2, s);
        return *this;
    }
    stat_bytes& grace(int v) {
        golden::i16(299, v);
        return *this;
    }
    stat_bytes& resurrect(int v) {
        golden::i16(301, v);
        return *this;
    }
    stat_bytes& interest(double v) {
        golden::f64(520, v);
        return *this;
    }
    stat_bytes& pot(std::int64_t v) {
        golden::i32(534, v);
        return *this;
    }
    stat_bytes& version(int v) {
        golden::i16(557, v);
        return *this;
    }
};

// A guild of "guilds.dat", 217 bytes.
inline std::string guild_bytes(int number, const std::string& name, int leader) {
    return golden(217).i16(0, number).str(2, name).i16(23, leader).b;
}

template <class... P>
std::string players_image(const P&... p) {
    return (std::string() + ... + p.b);
}

// Little-endian fields of a file image.
inline int i16_at(const std::string& b, std::size_t off) {
    return static_cast<std::int16_t>(static_cast<unsigned char>(b.at(off)) |
                                     (static_cast<unsigned char>(b.at(off + 1)) << 8));
}
inline std::int32_t i32_at(const std::string& b, std::size_t off) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(off + i));
    return static_cast<std::int32_t>(v);
}
inline std::string str_at(const std::string& b, std::size_t off) {
    return b.substr(off + 1, static_cast<unsigned char>(b.at(off)));
}

// The 299-byte record of the player number in "players.dat"; empty when it is not there.
inline std::string player_record(int number, const std::string& file = "players.dat") {
    std::string img = read_file(file);
    for (std::size_t off = 0; off + 299 <= img.size(); off += 299)
        if (i16_at(img, off + 62) == number) return img.substr(off, 299);
    return "";
}
inline std::vector<int> player_numbers(const std::string& file = "players.dat") {
    std::vector<int> numbers;
    std::string img = read_file(file);
    for (std::size_t off = 0; off + 299 <= img.size(); off += 299) numbers.push_back(i16_at(img, off + 62));
    return numbers;
}

inline void reset_maint_hooks() { set_random_news_event_hook(nullptr); }

// Plain-text caller (no colour sequences), fake clock at 2026-01-15 12:00 (a Thursday).
struct maint_state : text_state {
    maint_state() {
        reset_maint_hooks();
        graphics_mode = 1;
    }
    ~maint_state() override { reset_maint_hooks(); }
};
