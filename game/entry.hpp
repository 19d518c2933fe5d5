// The game program's start-up and its first screens: the order of start-up, the intro and
// title screens, the entry menu (leave, enter, rankings), the return from an external module, the killed-today screen
// and the new-day reset of a character.
#pragma once
#include <cstdint>
#include <string>

#include "engine/store/records.hpp"

// The game's start-up, in its order; ends through end_prog (or halt, for "MAINT").
[[noreturn]] void main_body(int argc, char** argv);
// The entry menu; returns when the caller leaves or after the visit to the town square.
void enter_game();
// Entering the realm (key E of the entry menu).
void enter_realm();
void title_screen();

// This node's hand-off file: "qvh" + the node number in five digits + ".dat".
std::string handoff_file_name();
// The hand-off file exists, a character was found and the file's NAME line names it.
bool handoff_matches(const character_record* c);

// Status bits that a new game day clears: 2, 8, 16, 32 and 256 to 16384.
constexpr std::int32_t new_day_status_mask = 2 | 8 | 16 | 32 | 256 | 512 | 1024 | 2048 | 4096 | 8192 | 16384;
// The once-a-day reset of the character's daily fields and flags (the caller saves it).
void new_day_reset(character_record& c);
// The screen of a character killed today: news, mail, and the end of the program (code 0).
[[noreturn]] void killed_today();
