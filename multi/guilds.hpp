// Guilds: the guild area of the town square, where characters found, join, lead, quit and
// disband guilds, and the member list and hall texts the hall menus show.
//
// A guild lives in its record of "guilds.dat"; a character's membership is its guild number
// (0, or a number that names no guild: none). Every change to "guilds.dat" or to another
// character is made under the hold on a fresh read of the file, so a change made on another
// node meanwhile survives and two nodes never hand out one guild number. Characters held by
// other nodes hear of a change through a system message in their mailbox ("SET GUI 0" and the
// guild's number).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/store/records.hpp"
#include "engine/text/text_file.hpp"

// "hall" + the guild number zero-padded to four digits + ".dat": the hall's description.
std::string hall_file_name(std::int16_t guild);
// The same + ".msg": the hall's message board.
std::string hall_board_name(std::int16_t guild);

// A key answers the question: Enter takes the default; only Y is yes. Echoed "Yes" or "No",
// then the mark.
bool ask_yes(std::string_view prompt, bool enter_is_yes, std::string_view mark = "");
// The question after a name is typed, Enter meaning yes.
inline constexpr const char* confirm_prompt = "  `9Is this what you want? (`3Y`9/`3N`9) [`%Y`9] :`% ";
// Text typed for others to read (a guild's or guardian's name, a credo): no control bytes
// and no macro leaders, so it can never act on another caller's screen or pose as the game.
std::string typed_text(std::string_view line);

// The guild area menu, entered from the town square (menu depth 2).
void guild_area();

// The lowest number from 1 to guild_count + 1 that no guild of guild_list has.
std::int16_t next_guild_number();
// Asks for a password until one of 3 to 20 letters and digits is confirmed; empty when the
// player enters an empty line.
std::string enter_guild_password();
// The guild whose name equals the text, case-blind; null when none.
guild_record* guild_name_ptr(std::string_view name);

// The guild area's operations, for the playing character.
void create_guild();
void join_guild();
void kick_guild_member();
void transfer_guild_leadership();
void disband_guild();
void quit_guild();

// The member list of the guild, the members ranked by experience.
void display_guild_members(std::int16_t guild);
// The top of the hall menus: an empty line, the hall's title, the divider and the lines of
// hall<NNNN>.dat (list replaced).
void read_guild_menu(std::int16_t guild, text_list& list);
