// The screens that show one character, the players in the realm and the game settings,
// and the player and guild rankings: shown to the caller or written as the report files
// "prank.ans", "prank.asc", "grank.ans" and "grank.asc".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/text/text_file.hpp"

// Modes of display_ranks and guild_rankings.
constexpr int ranks_show = 1;        // to the caller
constexpr int ranks_ansi_file = 2;   // "prank.ans" / "grank.ans"
constexpr int ranks_plain_file = 3;  // "prank.asc" / "grank.asc"

// The character statistics screen of the playing character (the character file is written
// with refresh first). A guild number that names no guild is cleared.
void display_stats();
// "Players in the Realm": the online characters and where they are.
void list_players_online();
// The game settings screen.
void display_game_settings();
// Free memory in bytes, as the settings screen and the scripts' listings show it: the
// physical memory available.
std::int64_t free_memory_bytes();
// The characters out in the realm (neither at the inn nor in a guild hall, alive, offline):
// the targets of fights against absent players.
void display_non_inn();

// Sorts char_list by experience, highest first; equal experience keeps the list's order.
// Nodes are relinked, so pointers into the list stay valid.
void rank_players();
// Sorts guild_list by guild_exp_sum, highest first, keeping the order of equal sums.
void sort_guilds();
// Over the characters of char_list whose guild is the number: experience summed (in 64
// bits, so a big guild cannot wrap), levels summed, members counted.
std::int64_t guild_exp_sum(std::int16_t guild);
std::int16_t guild_level_sum(std::int16_t guild);
std::int16_t guild_member_count(std::int16_t guild);

// A guild's members summed: experience, levels and count, as the rankings show them.
struct guild_totals {
    std::int64_t experience = 0;
    std::int64_t levels = 0;
    std::int64_t members = 0;
};
using guild_totals_table = std::unordered_map<std::int16_t, guild_totals>;
// The totals of every guild that a character names, from one pass over char_list: the
// rankings look guilds up here instead of walking the characters once per guild.
guild_totals_table guild_totals_by_number();

// The lines of the player rankings and of the guild rankings from the lists as they stand.
text_list player_ranking_lines();
text_list guild_ranking_lines();
// The same lines one at a time (the guild lines from the table given).
void player_ranking_lines(const line_sink& put);
void guild_ranking_lines(const guild_totals_table& totals, const line_sink& put);
// Player rankings by mode: the character file is written with refresh first (when it
// exists), then the list is ranked; mode 1 shows them, 2 and 3 write the files, any other
// leaves them unseen.
void display_ranks(int mode);
// Guild rankings by mode, as display_ranks.
void guild_rankings(int mode);
// The four ranking files from the lists in memory, without touching "players.dat" (the
// orderly exit's rankings hook).
void write_ranking_files();
