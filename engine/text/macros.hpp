// Text macros: values of the playing character, the opponent, script variables and menu keys
// written into the game's texts before they are shown.
//
// A macro is "^" or "&", two letters (any case) and, for the numbered kinds, two digits:
// "^CA", "&CS18". "^" writes numbers plainly, "&" groups them with ",". Expansion scans the
// text once from the start, going on after each marker, so it also reaches what a
// replacement brought in; every result is cut at 255 characters, which ends any rescan.
//
// Stages, in the order the game runs them: expand_macros (character, alias, status bits,
// character and opponent fields), expand_menu_chars (^MCnn), expand_vars (^VRnn, ^GFnn).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "door/fstr.hpp"
#include "engine/store/records.hpp"
#include "engine/text/text_file.hpp"

// The current opponent of a fight: a creature turned into a character-shaped record, or a
// player (then possibly a record of char_list). The fight owns the record and sets this
// pointer; null when there is none.
extern character_record* opponent;

// The 25 text variables of a running script (^VR01-^VR25), 86 characters each. Variable 21
// is the default command, 22 the creature file, 23 the 29 script flags ^GF01-^GF29 (one
// character each), 24 the menu file and 25 the item file.
struct script_vars {
    static constexpr int count = 25;
    static constexpr int capacity = 86;
    static constexpr int flags_var = 23;
    static constexpr int flag_count = 29;

    std::array<fstr<86>, 25> var;

    // Variable n (1-25); empty for any other n.
    std::string_view get(int n) const;
    // Variable n := text cut to 86; any other n is ignored.
    void set(int n, std::string_view text);
    // Every variable empty.
    void clear();
    // Script flag n (1-29): character n of variable 23; "0" beyond its end or for other n.
    char flag(int n) const;
    // Script flag n := c; variable 23 is padded with "0" up to n. Other n are ignored.
    void set_flag(int n, char c);
    // Variable 23 := 29 characters "0" (the start of a script).
    void reset_flags();
};

// Marker kinds of fmt_macro_num.
constexpr int macro_plain = 1;  // "^"
constexpr int macro_comma = 2;  // "&"
// The number in decimal; kind 2 groups the digits with "," every three.
std::string fmt_macro_num(std::int64_t number, int kind);

// Expands CA-CG, DA-DG, CXnn, CSnn and OSnn in place.
void expand_macros(std::string& text);
// Expands ^MCnn (only "^") to character nn of the key string; nn beyond it stays as it stands.
void expand_menu_chars(std::string& text, std::string_view keys);
// Expands ^VRnn/&VRnn (nn 1-25) and ^GFnn/&GFnn (nn 1-29) from the variable block.
void expand_vars(std::string& text, const script_vars& vars);
// A menu section: its first line becomes the key string (returned); every other line is
// expanded (expand_macros, then expand_menu_chars with that key string) into the list,
// which replaces the old one. An empty list gives an empty key string.
std::string prep_menu_text(text_list& list);

// Assigns value to the target named by the macro text: "^VRnn" a variable (cut to 86),
// "^GFnn" a script flag ("0", "1" or "2" only), "^CXnn" a status bit of the playing
// character ("1" sets, "0" clears), "^CSnn"/"^OSnn" field nn of the playing character or the
// opponent. The first three characters are compared exactly; numbers that name no target are
// ignored. Numbers stored in a field are clamped to the field's range, never wrapped.
void set_macro_value(std::string_view target, std::string_view value, script_vars& vars);

// Field nn (1-31) of CSnn/OSnn for a record (the playing character or the opponent), in the
// marker kind's number format; empty for other nn. The script's stat commands use these too.
std::string read_char_field(character_record& who, int nn, int kind);
// Sets field nn (1-31) of the record from the value as set_macro_value does.
void set_char_field(character_record& who, int nn, std::string_view value);

// Word tables by sex (1 male, 2 female, 3 unknown; any other sex reads as 3).
std::string_view sex_word(int sex);         // "male" "female" "unknown"
std::string_view child_word(int sex);       // "son" "daughter" "child"
std::string_view possessive_word(int sex);  // "his" "her" "its"
std::string_view subject_word(int sex);     // "he" "she" "its"
std::string_view object_word(int sex);      // "him" "her" "it"
std::string_view address_word(int sex);     // "sir" "ma'am" "sir"
// Name of class 1-6 (Warrior Mage Thief Healer Ranger Paladin); empty for others.
std::string_view class_name(int class_number);
// The sex of an alias (index 0-12 of alias_index): 1 male or 2 female.
int alias_sex(int index);
