#include "engine/text/macros.hpp"

#include <optional>

#include "door/file_forms.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/item_hooks.hpp"
#include "engine/text/lookups.hpp"

character_record* opponent = nullptr;

namespace {
constexpr std::size_t max_text = 255;

// Word tables, index sex - 1.
const char* const sex_words[3] = {"male", "female", "unknown"};
const char* const child_words[3] = {"son", "daughter", "child"};
const char* const possessive_words[3] = {"his", "her", "its"};
const char* const subject_words[3] = {"he", "she", "its"};
const char* const object_words[3] = {"him", "her", "it"};
const char* const address_words[3] = {"sir", "ma'am", "sir"};
const char* const class_names[6] = {"Warrior", "Mage", "Thief", "Healer", "Ranger", "Paladin"};
// The sexes of the thirteen alias names, by alias_index.
const int alias_sexes[13] = {1, 1, 1, 1, 2, 1, 1, 2, 2, 1, 1, 2, 2};

int word_index(int sex) { return (sex >= 1 && sex <= 3) ? sex - 1 : 2; }

// The six words of a sex in macro-letter order B..G.
std::string_view sex_table_word(char letter, int sex) {
    switch (letter) {
    case 'B': return sex_word(sex);
    case 'C': return child_word(sex);
    case 'D': return possessive_word(sex);
    case 'E': return subject_word(sex);
    case 'F': return object_word(sex);
    default: return address_word(sex);
    }
}

char upcase_char(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The two characters at pos read as a number: both must be decimal digits, else 0.
int two_digits(std::string_view s, std::size_t pos) {
    if (pos + 2 > s.size()) return 0;
    char a = s[pos], b = s[pos + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return 0;
    return (a - '0') * 10 + (b - '0');
}

// The two letters after the marker at i, upper-cased; empty when the text ends first.
std::string macro_letters(std::string_view s, std::size_t i) {
    if (i + 2 >= s.size()) return "";
    return {upcase_char(s[i + 1]), upcase_char(s[i + 2])};
}

void replace_cut(std::string& s, std::size_t at, std::size_t len, std::string_view by) {
    s.replace(at, len, by);
    if (s.size() > max_text) s.resize(max_text);
}

// A value read as a whole number: 0 for a non-number, clamped to the field's type.
template <typename T>
T number_value(std::string_view value) {
    return number_or_zero<T>(value);
}

// The equipped item of a slot, looked up in the record's inventory: the playing character's
// inventory in memory, or a player opponent's file read for the look-up. Creatures have none.
class equipped_lookup {
public:
    equipped_lookup(character_record& who, equip_slot slot) : who_(who) {
        if (&who == cur_char) {
            if (inventory_list* inv = hook_current_inventory()) item_ = hook_equipped_item(*inv, slot);
        } else if (!hook_is_mob(who)) {
            hook_read_inventory(who.number, file_items_);
            item_ = hook_equipped_item(file_items_, slot);
        }
    }
    item_record* item() const { return item_; }
    // A player opponent's inventory goes back to its file after a change.
    void save() {
        if (&who_ != cur_char && item_) write_inventory(who_.number, file_items_);
    }

private:
    character_record& who_;
    inventory_list file_items_;
    item_record* item_ = nullptr;
};

equip_slot power_slot(int nn) {
    switch (nn) {
    case 12:
    case 13:
    case 29: return equip_slot::weapon;
    case 14:
    case 15:
    case 30: return equip_slot::armour;
    default: return equip_slot::shield;
    }
}

std::string equipped_name(character_record& who, int nn) {
    if (hook_is_mob(who)) {
        if (nn == 13) return who.weapon_name.str();
        if (nn == 15) return who.armour_name.str();
        return "Nothing";
    }
    equipped_lookup look(who, power_slot(nn));
    return look.item() ? look.item()->name.str() : "Nothing";
}

std::int64_t equipped_power(character_record& who, int nn, bool maximum) {
    if (hook_is_mob(who)) return 0;
    equipped_lookup look(who, power_slot(nn));
    if (!look.item()) return 0;
    return maximum ? look.item()->max_power : look.item()->power;
}

std::string_view first_class_name(const character_record& c) {
    for (int k = 0; k < 6; ++k)
        if (c.class_bits & (1 << k)) return class_names[k];
    return "";
}

// The value of a lettered macro (CA-CG, DA-DG) for the playing character.
std::optional<std::string> lettered_value(const std::string& name) {
    if (name.size() != 2 || (name[0] != 'C' && name[0] != 'D') || name[1] < 'A' || name[1] > 'G') return std::nullopt;
    if (!cur_char) return std::string();
    if (name == "CA") return own_proper_name();
    if (name == "DA") return alias_name(cur_char->name.view());
    int sex = name[0] == 'C' ? cur_char->sex : alias_sex(alias_index(cur_char->name.view()));
    return std::string(sex_table_word(name[1], sex));
}

// The value of CXnn, CSnn or OSnn; nothing when the macro stays as it stands.
std::optional<std::string> numbered_value(const std::string& name, int nn, int kind) {
    if (name == "CX") {
        if (nn == 0) return std::nullopt;
        if (!cur_char) return std::string();
        return std::string(has_status_bit(*cur_char, bit_mask(nn)) ? "1" : "0");
    }
    if (name == "CS") {
        if (nn < 1 || nn > 31) return std::nullopt;
        return cur_char ? read_char_field(*cur_char, nn, kind) : std::string();
    }
    // OS: removed without an opponent or a number; a number above 31 stays.
    if (!opponent || nn == 0) return std::string();
    if (nn > 31) return std::nullopt;
    return read_char_field(*opponent, nn, kind);
}

// Runs a charge adjuster so that the power (or maximum) becomes the number.
void bring_power_to(character_record& who, int nn, std::string_view value, bool maximum) {
    if (hook_is_mob(who)) return;  // a creature has no inventory to change
    std::int64_t target = number_value<std::int32_t>(value);
    std::int64_t amount = target - equipped_power(who, nn, maximum);
    std::int32_t amt = clamp_to<std::int32_t>(amount);
    if (maximum)
        hook_add_max_charge(who, power_slot(nn), amt);
    else
        hook_add_charge(who, power_slot(nn), amt);
}

void rename_equipped(character_record& who, int nn, std::string_view value) {
    if (hook_is_mob(who)) {
        // A creature's weapon and armour are the names in its record.
        if (nn == 13) who.weapon_name = value;
        if (nn == 15) who.armour_name = value;
        return;
    }
    equipped_lookup look(who, power_slot(nn));
    if (!look.item()) return;
    look.item()->name = value;
    look.save();
}
}  // namespace

// ---- Script variables ----

std::string_view script_vars::get(int n) const {
    if (n < 1 || n > count) return {};
    return var[n - 1].view();
}

void script_vars::set(int n, std::string_view text) {
    if (n < 1 || n > count) return;
    var[n - 1] = text;
}

void script_vars::clear() {
    for (auto& v : var) v = "";
}

char script_vars::flag(int n) const {
    std::string_view flags = get(flags_var);
    if (n < 1 || n > flag_count || std::size_t(n) > flags.size()) return '0';
    return flags[n - 1];
}

void script_vars::set_flag(int n, char c) {
    if (n < 1 || n > flag_count) return;
    std::string flags(get(flags_var));
    if (flags.size() < std::size_t(n)) flags.resize(n, '0');
    flags[n - 1] = c;
    set(flags_var, flags);
}

void script_vars::reset_flags() { set(flags_var, std::string(flag_count, '0')); }

// ---- Words ----

std::string_view sex_word(int sex) { return sex_words[word_index(sex)]; }
std::string_view child_word(int sex) { return child_words[word_index(sex)]; }
std::string_view possessive_word(int sex) { return possessive_words[word_index(sex)]; }
std::string_view subject_word(int sex) { return subject_words[word_index(sex)]; }
std::string_view object_word(int sex) { return object_words[word_index(sex)]; }
std::string_view address_word(int sex) { return address_words[word_index(sex)]; }

std::string_view class_name(int class_number) {
    return (class_number >= 1 && class_number <= 6) ? class_names[class_number - 1] : "";
}

int alias_sex(int index) { return (index >= 0 && index < 13) ? alias_sexes[index] : 1; }

std::string fmt_macro_num(std::int64_t number, int kind) {
    return kind == macro_comma ? comma_number(number) : int_to_str(number);
}

// ---- Fields ----

std::string read_char_field(character_record& c, int nn, int kind) {
    auto num = [kind](std::int64_t v) { return fmt_macro_num(v, kind); };
    switch (nn) {
    case 1: return proper_case(c.name.view());
    case 2: return c.real_name.str();
    case 3: return num(c.attack);
    case 4: return num(c.defense);
    case 5: return num(c.shield_value);
    case 6: return num(c.charm);
    case 7: return num(c.shame);
    case 8: return num(c.luck);
    case 9: return guild_name_of(c);
    case 10: return num(c.hit_points);
    case 11: return num(c.max_hit_points);
    case 12:
    case 14:
    case 16: return num(equipped_power(c, nn, false));
    case 13:
    case 15:
    case 17: return equipped_name(c, nn);
    case 18: return num(c.gold);
    case 19: return num(c.bank_gold);
    case 20: return num(c.gems);
    case 21: return num(c.experience);
    case 22: return num(c.level);
    case 23: return num(c.skill_uses_left);
    case 24: return num(c.skill_uses_per_day);
    case 25: return c.location.empty() ? std::string() : std::string(c.location.view().substr(1));
    case 26: return num(c.creature_fights_left);
    case 27: return num(c.player_fights_left);
    case 28: return std::string(first_class_name(c));
    case 29: return num(equipped_power(c, 12, true));
    case 30: return num(equipped_power(c, 14, true));
    case 31: return num(equipped_power(c, 16, true));
    default: return "";
    }
}

void set_char_field(character_record& c, int nn, std::string_view value) {
    using i16 = std::int16_t;
    using i32 = std::int32_t;
    switch (nn) {
    case 1: c.name = value; break;
    case 6: c.charm = number_value<i16>(value); break;
    case 7: c.shame = number_value<i16>(value); break;
    case 8: c.luck = number_value<i16>(value); break;
    case 9: c.guild = number_value<i16>(value); break;
    case 10: c.hit_points = number_value<i16>(value); break;
    case 11: c.max_hit_points = number_value<i16>(value); break;
    case 12:
    case 14:
    case 16: bring_power_to(c, nn, value, false); break;
    case 13:
    case 15:
    case 17: rename_equipped(c, nn, value); break;
    case 18: c.gold = number_value<i32>(value); break;
    case 19: c.bank_gold = number_value<i32>(value); break;
    case 20: c.gems = number_value<i16>(value); break;
    case 21: c.experience = number_value<i32>(value); break;
    case 23: c.skill_uses_left = number_value<i16>(value); break;
    case 24: c.skill_uses_per_day = number_value<i16>(value); break;
    case 25: c.location = value; break;
    case 26: c.creature_fights_left = number_value<i16>(value); break;
    case 27: c.player_fights_left = number_value<i16>(value); break;
    case 29: bring_power_to(c, 12, value, true); break;
    case 30: bring_power_to(c, 14, value, true); break;
    case 31: bring_power_to(c, 16, value, true); break;
    default: break;  // 2, 3, 4, 5, 22, 28 and other numbers are not assignable
    }
}

// ---- Expansion ----

void expand_macros(std::string& text) {
    if (text.size() > max_text) text.resize(max_text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '^' && text[i] != '&') continue;
        std::string name = macro_letters(text, i);
        if (name.empty()) continue;
        int kind = text[i] == '&' ? macro_comma : macro_plain;
        if (auto v = lettered_value(name)) {
            replace_cut(text, i, 3, *v);
        } else if (name == "CX" || name == "CS" || name == "OS") {
            if (auto v = numbered_value(name, two_digits(text, i + 3), kind)) replace_cut(text, i, 5, *v);
        }
    }
}

void expand_menu_chars(std::string& text, std::string_view keys) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '^' || macro_letters(text, i) != "MC") continue;
        int nn = two_digits(text, i + 3);
        if (nn == 0 || std::size_t(nn) > keys.size()) continue;
        replace_cut(text, i, 5, keys.substr(nn - 1, 1));
    }
}

void expand_vars(std::string& text, const script_vars& vars) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '^' && text[i] != '&') continue;
        std::string name = macro_letters(text, i);
        int nn = two_digits(text, i + 3);
        if (name == "VR" && nn >= 1 && nn <= script_vars::count) {
            std::string_view v = vars.get(nn);
            if (text[i] == '^')
                replace_cut(text, i, 5, v);
            else
                replace_cut(text, i, 5, comma_number(parse_whole(v).value_or(0)));
        } else if (name == "GF" && nn >= 1 && nn <= script_vars::flag_count) {
            replace_cut(text, i, 5, std::string(1, vars.flag(nn)));
        }
    }
}

std::string prep_menu_text(text_list& list) {
    if (list.empty()) return "";
    std::string keys = list.front().str();
    text_list prepared;
    for (auto it = std::next(list.begin()); it != list.end(); ++it) {
        std::string line = it->str();
        expand_macros(line);
        expand_menu_chars(line, keys);
        add_desc_line(line, prepared);
    }
    list = std::move(prepared);
    return keys;
}

void set_macro_value(std::string_view target, std::string_view value, script_vars& vars) {
    std::string_view head = target.substr(0, 3);
    int nn = two_digits(target, 3);
    if (head == "^VR") {
        vars.set(nn, value);
    } else if (head == "^GF") {
        if (value == "0" || value == "1" || value == "2") vars.set_flag(nn, value[0]);
    } else if (head == "^CX") {
        if (!cur_char || nn < 1 || nn > 29) return;
        if (value == "1") cur_char->status_bits |= bit_mask(nn);
        if (value == "0") cur_char->status_bits &= ~bit_mask(nn);
    } else if (head == "^CS") {
        if (cur_char) set_char_field(*cur_char, nn, value);
    } else if (head == "^OS") {
        if (opponent) set_char_field(*opponent, nn, value);
    }
}
