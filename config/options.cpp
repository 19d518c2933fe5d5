// The Game Options screen.
#include "config/options.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

#include "config/console.hpp"
#include "engine/data_files.hpp"
#include "engine/flags.hpp"
#include "door/file_forms.hpp"
#include "engine/lookups.hpp"
#include "engine/strings.hpp"

namespace cfg {
namespace {
constexpr int first_row = 5;
constexpr int message_row = 24;
constexpr std::int64_t max16 = std::numeric_limits<std::int16_t>::max();
constexpr std::int64_t max32 = std::numeric_limits<std::int32_t>::max();

const char* const labels[opt_leave] = {
    "# of inactive days before character deletion : ",
    "# of days before character auto-resurrected  : ",
    "# of creature fights per day   : ",
    "# of player fights per day     : ",
    "Allow bank transfers?          : ",
    "# of transfers allowed per day : ",
    "Amount allowed per transfer    : ",
    "Bank's daily interest          : ",
    "Cost per point per level heal  : ",
    "Cost per level to get a room   : ",
    "% of experince lost at death   : ",
    "\"Floating\" gold in game        : ",
    "Patched to version `!(Read Only)`3 : ",
    "Max. # of guilds allowed       : ",
    "Auto calculate mob gold & exp  : ",
    "Mob gold multiplier            : ",
    "Mob exp multiplier             : ",
    "Mob Difficulty Multiplier      : ",
    "Return to Main Menu",
};

// The whole-number rows: the field, its lowest value and its type's highest.
struct whole_row {
    int row;
    std::int64_t lo, hi;
};
constexpr whole_row whole_rows[] = {
    {opt_grace, 0, max16},         {opt_resurrect, 0, max16},     {opt_creature_fights, 0, max16},
    {opt_player_fights, 0, max16}, {opt_transfers_per_day, 0, max16}, {opt_transfer_max, 0, max32},
    {opt_heal_cost, 0, max16},     {opt_room_cost, 0, max16},
    // The game divides experience by it.
    {opt_death_divisor, 1, max16}, {opt_floating_gold, 0, max32}, {opt_max_guilds, 0, max16},
};

const whole_row* whole_rule(int row) {
    for (const whole_row& w : whole_rows)
        if (w.row == row) return &w;
    return nullptr;
}

std::int64_t whole_value(int row) {
    switch (row) {
    case opt_grace: return game_stats.grace_days;
    case opt_resurrect: return game_stats.resurrect_days;
    case opt_creature_fights: return game_stats.creature_fights;
    case opt_player_fights: return game_stats.player_fights;
    case opt_transfers_per_day: return game_stats.transfers_per_day;
    case opt_transfer_max: return game_stats.transfer_max;
    case opt_heal_cost: return game_stats.heal_cost;
    case opt_room_cost: return game_stats.room_cost;
    case opt_death_divisor: return game_stats.death_loss_divisor;
    case opt_floating_gold: return game_stats.floating_gold;
    case opt_max_guilds: return game_stats.max_guilds;
    default: return 0;
    }
}

void set_whole(int row, std::int64_t v) {
    auto i16 = static_cast<std::int16_t>(v);
    auto i32 = static_cast<std::int32_t>(v);
    switch (row) {
    case opt_grace: game_stats.grace_days = i16; break;
    case opt_resurrect: game_stats.resurrect_days = i16; break;
    case opt_creature_fights: game_stats.creature_fights = i16; break;
    case opt_player_fights: game_stats.player_fights = i16; break;
    case opt_transfers_per_day: game_stats.transfers_per_day = i16; break;
    case opt_transfer_max: game_stats.transfer_max = i32; break;
    case opt_heal_cost: game_stats.heal_cost = i16; break;
    case opt_room_cost: game_stats.room_cost = i16; break;
    case opt_death_divisor: game_stats.death_loss_divisor = i16; break;
    case opt_floating_gold: game_stats.floating_gold = i32; break;
    case opt_max_guilds: game_stats.max_guilds = i16; break;
    default: break;
    }
}

std::string true_false(std::uint8_t v) { return v ? "TRUE" : "FALSE"; }

void draw_options(const cursor_menu& menu) {
    clear_console();
    frame_line("`!  Game Options Editor");
    goto_xy_console(1, 2);
    print_line("`9Game was started on   : `%" + std::string(game_stats.started_text.view()));
    print_line("`9Game currently on day : `%" + int_to_str(game_stats.day));
    for (int row = 1; row <= opt_leave; ++row) {
        goto_xy_console(1, first_row + row - 1);
        const char* colour = row == opt_leave ? "  `#" : "  `3";
        print_text(colour + std::string(labels[row - 1]) + "`%" + option_value(row));
    }
    draw_menu_arrow(menu);
}

void edit_option(int row) {
    if (row == opt_transfers_allowed) {
        game_stats.transfers_allowed = !game_stats.transfers_allowed;
        return;
    }
    if (row == opt_auto_calc) {
        game_stats.auto_calc = !game_stats.auto_calc;
        return;
    }
    if (row == opt_data_version || row == opt_leave) return;
    std::string text = option_value(row);
    std::string initial = text;
    bool abort = false;
    int column = 3 + static_cast<int>(strip_codes(labels[row - 1]).size());
    edit_field(text, initial, column, 20, first_row + row - 1, 0, abort);
    std::string why;
    if (abort || text == initial || set_option(row, text, why) || why.empty()) return;
    goto_xy_console(1, message_row);
    print_text(why + "`9  [ Hit any key ]");
    bool extended;
    get_key(extended);
}
}  // namespace

std::optional<double> typed_real(std::string_view text, bool above_zero, std::string& why) {
    why.clear();
    if (trim_blanks(text).empty()) return std::nullopt;
    std::optional<double> v = parse_real(text);
    if (!v) {
        why = "`4That is not a number.";
        return std::nullopt;
    }
    if (*v < 0 || (above_zero && *v <= 0)) {
        why = above_zero ? "`4The value must be above 0." : "`4The value cannot be below 0.";
        return std::nullopt;
    }
    return v;
}

std::string real_text(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", value);
    std::string s = buf;
    if (s.find_first_of(".en") == std::string::npos) s += ".0";
    return s;
}

double difficulty_in_force() {
    std::optional<double> v = parse_real(return_flag(difficulty_flag, main_flag_file_name, flags_section_name));
    return v && *v != -1.0 ? *v : 1.0;
}

std::string option_value(int row) {
    switch (row) {
    case opt_transfers_allowed: return true_false(game_stats.transfers_allowed);
    case opt_interest: return real_text(game_stats.interest_pct);
    case opt_data_version: return int_to_str(game_stats.data_version);
    case opt_auto_calc: return true_false(game_stats.auto_calc);
    case opt_gold_mult: return real_text(game_stats.mob_gold_mult);
    case opt_exp_mult: return real_text(game_stats.mob_exp_mult);
    case opt_difficulty: return real_text(difficulty_in_force());
    case opt_leave: return "";
    default: return number_text(whole_value(row));
    }
}

bool set_option(int row, std::string_view typed, std::string& why) {
    why.clear();
    if (const whole_row* w = whole_rule(row)) {
        auto v = typed_number(typed, true, w->lo, w->hi, why);
        if (v) set_whole(row, *v);
        return v.has_value();
    }
    if (row != opt_interest && row != opt_gold_mult && row != opt_exp_mult && row != opt_difficulty) return false;
    auto v = typed_real(typed, row != opt_interest, why);
    if (!v) return false;
    if (row == opt_interest) game_stats.interest_pct = *v;
    if (row == opt_gold_mult) game_stats.mob_gold_mult = *v;
    if (row == opt_exp_mult) game_stats.mob_exp_mult = *v;
    if (row == opt_difficulty) {
        // Class 2: a tuning the sysop set stays past the daily maintenance.
        add_flag(difficulty_flag, real_text(*v), flag_class_never, main_flag_file_name, flags_section_name);
        mob_difficulty_mult = *v;
    }
    return true;
}

void game_options() {
    cursor_menu menu;
    for (int row = 1; row <= opt_leave; ++row) menu.rows.push_back(first_row + row - 1);
    for (;;) {
        draw_options(menu);
        menu_input in = cursor_menu_key(menu);
        while (in.event == menu_event::none || in.event == menu_event::key) in = cursor_menu_key(menu);
        if (in.event == menu_event::quit || menu.selected == opt_leave) return;
        edit_option(menu.selected);
    }
}

}  // namespace cfg
