// The Game Options screen.
#include "config/options.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

#include "config/console.hpp"
#include "door/file_forms.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/record_fields.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"

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

// The rows that edit a field of the statistics record, by the record's field list: the row, the
// field, and for whole numbers the lowest value and the type's highest.
struct field_row {
    int row;
    const char* field;
    std::int64_t lo = 0, hi = 0;
};
constexpr field_row field_rows[] = {
    {opt_grace, "grace_days", 0, max16},
    {opt_resurrect, "resurrect_days", 0, max16},
    {opt_creature_fights, "creature_fights", 0, max16},
    {opt_player_fights, "player_fights", 0, max16},
    {opt_transfers_allowed, "transfers_allowed"},
    {opt_transfers_per_day, "transfers_per_day", 0, max16},
    {opt_transfer_max, "transfer_max", 0, max32},
    {opt_interest, "interest_pct"},
    {opt_heal_cost, "heal_cost", 0, max16},
    {opt_room_cost, "room_cost", 0, max16},
    // The game divides experience by it.
    {opt_death_divisor, "death_loss_divisor", 1, max16},
    {opt_floating_gold, "floating_gold", 0, max32},
    {opt_data_version, "data_version"},
    {opt_max_guilds, "max_guilds", 0, max16},
    {opt_auto_calc, "auto_calc"},
    {opt_gold_mult, "mob_gold_mult"},
    {opt_exp_mult, "mob_exp_mult"},
};

const field_row* row_rule(int row) {
    for (const field_row& r : field_rows)
        if (r.row == row) return &r;
    return nullptr;
}

const record_field<stat_record>* stat_field(int row) {
    const field_row* r = row_rule(row);
    return r ? field_named<stat_record>(r->field) : nullptr;
}

std::string true_false(std::uint8_t v) { return v ? "TRUE" : "FALSE"; }

void draw_options(const cursor_menu& menu) {
    clear_console();
    frame_line("`!  Game Options Editor");
    goto_xy_console(1, 2);
    print_labelled("`9Game was started on   : `%", game_stats.started_text.view());
    print_line();
    print_line("`9Game currently on day : `%" + int_to_str(game_stats.day));
    for (int row = 1; row <= opt_leave; ++row) {
        goto_xy_console(1, first_row + row - 1);
        const char* colour = row == opt_leave ? "  `#" : "  `3";
        print_text(colour + std::string(labels[row - 1]) + "`%" + option_value(row));
    }
    draw_menu_arrow(menu);
}

void edit_option(int row) {
    if (row == opt_transfers_allowed || row == opt_auto_calc) {
        const record_field<stat_record>* f = stat_field(row);
        f->set_int(game_stats, !f->get_int(game_stats));
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
    if (row == opt_difficulty) return real_text(difficulty_in_force());
    const record_field<stat_record>* f = stat_field(row);
    if (!f) return "";
    if (row == opt_transfers_allowed || row == opt_auto_calc)
        return true_false(static_cast<std::uint8_t>(f->get_int(game_stats)));
    if (row == opt_data_version) return int_to_str(f->get_int(game_stats));
    if (f->type == field_type::f64) return real_text(f->get_real(game_stats));
    return number_text(f->get_int(game_stats));
}

bool set_option(int row, std::string_view typed, std::string& why) {
    why.clear();
    const field_row* r = row_rule(row);
    const record_field<stat_record>* f = stat_field(row);
    if (f && r->hi > 0) {
        auto v = typed_number(typed, true, r->lo, r->hi, why);
        if (v) f->set_int(game_stats, *v);
        return v.has_value();
    }
    if (row != opt_difficulty && (!f || f->type != field_type::f64)) return false;
    auto v = typed_real(typed, row != opt_interest, why);
    if (!v) return false;
    if (f) f->set_real(game_stats, *v);
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
