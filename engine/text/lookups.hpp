// Look-ups in the loaded lists and the small tests on records.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/records.hpp"

// The first character of char_list with this number, or null.
character_record* char_num_ptr(std::int16_t number);
// The first character whose name equals the key, both upper-cased and stripped of colour
// codes (strip_codes), or null.
character_record* char_full_name_ptr(std::string_view name);
// The first character whose real_name (the caller's BBS name) equals the key, both
// upper-cased, or null.
character_record* char_real_name_ptr(std::string_view bbs_name);
// The lowest number from 1 to char_count + 1 that no character in char_list has. Call it
// inside update_under_hold, so that two nodes never hand out the same number.
std::int16_t lowest_free_char_number();

// The first guild of guild_list with this number, or null.
guild_record* guild_num_ptr(std::int16_t number);
// The name of the character's guild; empty when it has none or the number names no guild.
std::string guild_name_of(const character_record& c);
// The character's guild exists and its leader is the character.
bool is_guild_leader(const character_record& c);

// The current-class bit of a class letter W M T H R P (W 1 .. P 32); other letters false.
bool class_bit_set(const character_record& c, char class_letter);
// The mastered-class bit of a class letter (W 64 .. P 2048); other letters false.
bool master_bit_set(const character_record& c, char class_letter);
bool has_status_bit(const character_record& c, std::int32_t mask);
// status_bits XOR mask.
void toggle_status_bit(character_record& c, std::int32_t mask);
// cur_char has expert mode (status bit 2); false without a playing character.
bool own_status_bit2();
// 2 to the power n for 0 <= n <= 30, else 0.
std::int32_t bit_mask(int n);

// proper_case of the character's name, as the player fights and the chat room show it.
std::string proper_name_of(const character_record& c);
// proper_case of cur_char's name; empty without a playing character.
std::string own_proper_name();
// cur_char's number as the node lines carry it; needs a playing character.
std::string own_number();
// (sum over the name's characters, position i from 1, of code * 17 + i) mod 13.
int alias_index(std::string_view name);
// The name of the character's master, the same on every node and every day.
std::string alias_name(std::string_view name);

// The text without colour codes: "`m" becomes the playing character's alias name, "`n" its
// proper-cased name, every other backquote code (two characters) is removed.
std::string strip_codes(std::string_view text);

// Why a name typed for a character is refused: the lines to show, or none when it may be
// used. The name is already upper-cased.
std::vector<std::string> name_refusal(const std::string& name);
// The lines that say a name is already in use.
const std::vector<std::string>& name_in_use_lines();
