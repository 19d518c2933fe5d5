// The sysop's editors of the game's settings and players: the Game Options screen (the
// statistics record, written at quit by the merge of write_stat_record, and the creature
// difficulty flag of "mainflag.dat", written at once) and the Player Editor.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/records.hpp"

namespace cfg {

// The Game Options screen's rows, in screen order.
enum option_row {
    opt_grace = 1,
    opt_resurrect,
    opt_creature_fights,
    opt_player_fights,
    opt_transfers_allowed,
    opt_transfers_per_day,
    opt_transfer_max,
    opt_interest,
    opt_heal_cost,
    opt_room_cost,
    opt_death_divisor,
    opt_floating_gold,
    opt_data_version,
    opt_max_guilds,
    opt_auto_calc,
    opt_gold_mult,
    opt_exp_mult,
    opt_difficulty,
    opt_leave
};
constexpr const char* difficulty_flag = "MOB_DIFFICULTY_MULT";

// A typed decimal number: empty keeps the old value (nothing, no reason); otherwise it must be
// finite, at least 0, and above 0 when above_zero. why says what was refused.
std::optional<double> typed_real(std::string_view text, bool above_zero, std::string& why);
// A real as the screens show it: "1.0", "6.5", "0.25".
std::string real_text(double value);
// The row's value as shown.
std::string option_value(int row);
// Applies a typed value to the row (game_stats, or the flag at once); false with why set
// when refused, false with why empty when the text was empty or the row takes no text.
bool set_option(int row, std::string_view typed, std::string& why);
// The difficulty multiplier in force: the flag's value, 1.0 when it is absent or no number.
double difficulty_in_force();
// The Game Options screen (main-menu key G).
void game_options();

// Reset Daily Stats on one player, as the new day does it.
void reset_daily_stats(character_record& c);
// The editor's start: "players.dat" read afresh into char_list.
void begin_player_edit();
// Takes a player of the list up for editing: its record as read is kept (once) to tell what
// the sysop changed. Returns the player.
character_record& edit_player(character_record& c);
// Writes what the sysop changed under the hold on a fresh read: into each record, found by
// number and creation time, only the changed fields, as the record's field list merges them
// (gold, bank gold and gems as the difference made, the status and class bits by the bits
// changed). A player in play now (its lock held by a live node) is written only when ask says
// so; without ask every change is written. Nothing is written when the sysop leaves a hold
// held too long.
struct player_write {
    bool written = true;
    std::vector<std::string> declined;  // in play, and the sysop said no
    std::vector<std::string> gone;      // gone meanwhile: not written
};
player_write write_player_changes(const std::function<bool(const character_record&)>& ask = nullptr);
// The line that closes the write: empty when every change was written.
std::string player_write_line(const player_write& w);
// The Player Editor (main-menu key P).
void player_editor();

}  // namespace cfg
