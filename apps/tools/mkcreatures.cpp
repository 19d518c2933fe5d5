// Builds the realms' creature files from a text table (apps/tools/creatures.txt):
//
//     mkcreatures <table> <game directory>
//
// Each "= <file>" line of the table starts a creature file; each creature line gives level,
// name, hit points, attack, defense, shield value, race, weapon, armour and death text,
// separated by "|". Gold, experience and the verification number come from the creature
// editor's formulas with the default game settings, so a sysop who edits a creature in the
// utility with auto-calculation on gets the same figures. Every file is written whole, in
// the current record form, its creatures sorted as the game reads them.
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "door/file_forms.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/record_file.hpp"

namespace {
// The default game settings ("quorstat.dat" of a new game).
constexpr double heal_cost = 6;
constexpr double gold_mult = 1.2;
constexpr double exp_mult = 0.85;

struct table_error {
    int line;
    std::string what;
};

std::vector<std::string> split_fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = line.find('|', start);
        fields.emplace_back(trim_blanks(std::string_view(line).substr(start, bar - start)));
        if (bar == std::string::npos) return fields;
        start = bar + 1;
    }
}

bool number_in(const std::string& text, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
    std::optional<std::int64_t> n = parse_whole(text);
    if (!n || *n < lo || *n > hi) return false;
    out = *n;
    return true;
}

std::optional<monster_record> parse_creature(const std::string& line, std::string& what) {
    std::vector<std::string> f = split_fields(line);
    if (f.size() != 10) {
        what = "expected 10 fields, found " + std::to_string(f.size());
        return std::nullopt;
    }
    monster_record m;
    std::int64_t level = 0, hp = 0, attack = 0, defense = 0, shield = 0, race = 0;
    if (!number_in(f[0], 1, 20, level))
        what = "level must be 1 to 20";
    else if (f[1].empty() || f[1].size() > 20)
        what = "name must be 1 to 20 characters";
    else if (!number_in(f[2], 1, 32000, hp))
        what = "hit points must be 1 to 32000";
    else if (!number_in(f[3], 1, 32000, attack))
        what = "attack must be 1 to 32000";
    else if (!number_in(f[4], 1, 32000, defense))
        what = "defense must be 1 to 32000";
    else if (!number_in(f[5], 1, 87, shield))
        what = "shield value must be 1 to 87";
    else if (!number_in(f[6], 1, 32767, race))
        what = "race must be a race number";
    else if (f[7].size() > 20 || f[8].size() > 20)
        what = "weapon and armour names hold at most 20 characters";
    else if (f[9].size() > 86)
        what = "death text holds at most 86 characters";
    if (!what.empty()) return std::nullopt;
    m.level = static_cast<std::int16_t>(level);
    m.name = f[1];
    m.hit_points = static_cast<std::int16_t>(hp);
    m.attack = static_cast<std::int16_t>(attack);
    m.defense = static_cast<std::int16_t>(defense);
    m.shield_value = static_cast<std::int16_t>(shield);
    m.race = static_cast<std::int16_t>(race);
    m.weapon = f[7];
    m.armour = f[8];
    m.death_text = f[9];
    calculate(m, heal_cost, gold_mult, exp_mult);
    return m;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkcreatures <table> <game directory>\n");
        return 2;
    }
    std::optional<std::vector<std::string>> lines = read_text_lines(argv[1]);
    if (!lines) {
        std::fprintf(stderr, "mkcreatures: cannot read %s\n", argv[1]);
        return 1;
    }
    std::map<std::string, creature_list> files;
    std::string current;
    std::vector<table_error> errors;
    int number = 0;
    for (const std::string& raw : *lines) {
        ++number;
        std::string line(trim_blanks(raw));
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '=') {
            current = std::string(trim_blanks(std::string_view(line).substr(1)));
            if (current.empty() || current.find('/') != std::string::npos)
                errors.push_back({number, "a file name without a directory is expected after \"=\""});
            files[current];
            continue;
        }
        if (current.empty()) {
            errors.push_back({number, "creature before the first \"= <file>\" line"});
            continue;
        }
        std::string what;
        if (std::optional<monster_record> m = parse_creature(line, what))
            insert_creature_sorted(*m, files[current]);
        else
            errors.push_back({number, what});
    }
    for (const table_error& e : errors) std::fprintf(stderr, "%s:%d: %s\n", argv[1], e.line, e.what.c_str());
    if (!errors.empty()) return 1;
    for (const auto& [name, creatures] : files) {
        std::string path = std::string(argv[2]) + "/" + name;
        if (!atomic_rewrite(path, records_image<monster_record>(creatures))) {
            std::fprintf(stderr, "mkcreatures: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s: %zu creatures\n", path.c_str(), creatures.size());
    }
    return 0;
}
