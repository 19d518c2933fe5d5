#include "engine/text/lookups.hpp"

#include <unordered_set>

#include "engine/store/data_files.hpp"
#include "engine/store/strings.hpp"

namespace {
const char* const master_names[13] = {"Wazucki",   "Hogan",     "Matthius", "Heinrick", "Jalunza",
                                      "Balthazar", "Perculess", "Fiodora",  "Martissa", "Romulas",
                                      "Wizz-Tar",  "Miranda",   "Wintarr"};

std::int16_t class_bit_of(char letter) {
    switch (letter) {
    case 'W': return class_warrior;
    case 'M': return class_mage;
    case 'T': return class_thief;
    case 'H': return class_healer;
    case 'R': return class_ranger;
    case 'P': return class_paladin;
    default: return 0;
    }
}
}  // namespace

character_record* char_num_ptr(std::int16_t number) {
    for (auto& c : char_list)
        if (c.number == number) return &c;
    return nullptr;
}

character_record* char_full_name_ptr(std::string_view name) {
    std::string key = upcase_str(strip_codes(name));
    for (auto& c : char_list)
        if (upcase_str(strip_codes(c.name.view())) == key) return &c;
    return nullptr;
}

character_record* char_real_name_ptr(std::string_view bbs_name) {
    std::string key = upcase_str(bbs_name);
    for (auto& c : char_list)
        if (upcase_str(c.real_name.view()) == key) return &c;
    return nullptr;
}

std::int16_t lowest_free_char_number() {
    std::unordered_set<int> used;
    for (const auto& c : char_list) used.insert(c.number);
    int last = char_count < 32767 ? char_count + 1 : 32767;
    for (int n = 1; n <= last; ++n)
        if (!used.count(n)) return static_cast<std::int16_t>(n);
    // Every number up to the list's length is taken only when numbers repeat; look further.
    for (int n = last + 1; n <= 32767; ++n)
        if (!used.count(n)) return static_cast<std::int16_t>(n);
    return 0;
}

guild_record* guild_num_ptr(std::int16_t number) {
    for (auto& g : guild_list)
        if (g.number == number) return &g;
    return nullptr;
}

std::string guild_name_of(const character_record& c) {
    if (c.guild == 0) return "";
    const guild_record* g = guild_num_ptr(c.guild);
    return g ? g->name.str() : "";
}

bool is_guild_leader(const character_record& c) {
    const guild_record* g = c.guild == 0 ? nullptr : guild_num_ptr(c.guild);
    return g && g->leader == c.number;
}

bool class_bit_set(const character_record& c, char class_letter) {
    std::int16_t bit = class_bit_of(class_letter);
    return bit && (c.class_bits & bit);
}

bool master_bit_set(const character_record& c, char class_letter) {
    std::int32_t bit = std::int32_t(class_bit_of(class_letter)) << 6;
    return bit && (c.class_bits & bit);
}

bool has_status_bit(const character_record& c, std::int32_t mask) { return (c.status_bits & mask) != 0; }

void toggle_status_bit(character_record& c, std::int32_t mask) { c.status_bits ^= mask; }

bool own_status_bit2() { return cur_char && has_status_bit(*cur_char, status_expert); }

std::int32_t bit_mask(int n) { return (n >= 0 && n <= 30) ? (std::int32_t(1) << n) : 0; }

std::string proper_name_of(const character_record& c) { return proper_case(c.name.view()); }

std::string own_proper_name() { return cur_char ? proper_name_of(*cur_char) : ""; }

std::string own_number() { return int_to_str(cur_char->number); }

int alias_index(std::string_view name) {
    long sum = 0;
    for (std::size_t i = 0; i < name.size(); ++i) sum += long(static_cast<unsigned char>(name[i])) * 17 + long(i + 1);
    return static_cast<int>(sum % 13);
}

std::string alias_name(std::string_view name) { return master_names[alias_index(name)]; }

std::string strip_codes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '`') {
            out += text[i];
            continue;
        }
        if (i + 1 >= text.size()) break;
        char code = text[++i];
        if (code == 'm')
            out += cur_char ? alias_name(cur_char->name.view()) : "";
        else if (code == 'n')
            out += own_proper_name();
    }
    return out.size() > 255 ? out.substr(0, 255) : out;
}

const std::vector<std::string>& name_in_use_lines() {
    static const std::vector<std::string> lines = {"`9You seem to recall `4THAT`9 name being used by",
                                                   "somebody else `4(you must choose another)`9."};
    return lines;
}

std::vector<std::string> name_refusal(const std::string& name) {
    if (name.empty()) return {"`9Surely You Jest... How is that pronounced anyways?"};
    if (char_full_name_ptr(name)) return name_in_use_lines();
    if (name.size() > 20) return {"`9Your name needs to be less than `4TWENTY`9 characters long."};
    if (strip_codes(name).size() < 3) return {"`9Your name must be at least `4THREE`9 characters long."};
    // A TAB or another control key would move other callers' screens about.
    if (controls_to_dots(name) != name) return {"`9Your name cannot hold `4TABS`9 or other control keys."};
    // They lead the game's macros: shown to other callers, the name would run them.
    if (name.find_first_of("^&") != std::string::npos)
        return {"`9Your name cannot hold a `4CARET`9 or an `4AMPERSAND`9."};
    return {};
}
