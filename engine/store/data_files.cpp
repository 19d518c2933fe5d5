#include "engine/store/data_files.hpp"

#include <algorithm>
#include <limits>
#include <optional>
#include <unistd.h>
#include <vector>

#include "engine/store/char_merge.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/exit_codes.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/record_fields.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/store_status.hpp"
#include "engine/store/strings.hpp"

std::list<character_record> char_list;
std::int16_t char_count = 0;
bool chars_loaded = false;
character_record* cur_char = nullptr;
std::list<guild_record> guild_list;
std::int16_t guild_count = 0;
stat_record game_stats;

namespace {
// The statistics and the playing character as this node last read or wrote them in their
// files: what differs from them is what this node changed, and only that is written back.
stat_record stat_base;
std::optional<character_record> own_base;

// Writes char_list to a character file; the caller holds the hold.
void write_char_list_to(const std::string& name) {
    wait_for_file(name);
    write_record_file<character_record>(name, char_list);
}

// Writes char_list to "players.dat"; the playing character now stands there as this node has it.
void write_players() {
    write_char_list_to(players_file_name);
    if (cur_char) own_base = *cur_char;
}

// Reads "players.dat" into the merge; finish is left to the caller (not on a failed read).
// Taken as read when the file holds each number once, else counted from a copy and taken again.
file_status read_into_merge(std::optional<char_merge>& merge) {
    merge.emplace(own_base);
    file_status st = read_record_file<character_record>(players_file_name,
                                                        [&merge](const character_record& r) { merge->take(r); });
    if (st != file_status::ok || merge->sound()) return st;
    std::vector<character_record> recs;
    st = read_record_file(players_file_name, recs);
    merge.emplace(own_base);
    for (const auto& r : recs) merge->count(r);
    merge->counted();
    for (const auto& r : recs) merge->take(r);
    return st;
}

// The playing character was deleted while this caller played or waited: the session ends
// without writing anything of it.
void merge_found_own(bool found) {
    if (!found) report_store({store_event::own_character_gone, players_file_name, "", exit_normal});
}
}  // namespace

// ---- Characters ----

std::int16_t list_count(std::size_t n) {
    return static_cast<std::int16_t>(std::min<std::size_t>(n, std::numeric_limits<std::int16_t>::max()));
}

void read_char_file() {
    debug_enter("Entering read_char_file");
    file_status st;
    std::size_t added = 0;
    if (chars_loaded)
        st = wait_for_file(players_file_name) ? file_status::ok : file_status::missing;
    else
        st = read_record_file<character_record>(players_file_name, [&added](const character_record& r) {
            add_char(r);
            ++added;
        });
    if (st == file_status::missing) {
        report_store({store_event::players_new, players_file_name});
    } else if (st == file_status::corrupt) {
        // Nothing of a file that could not be read stays in the list.
        for (; added > 0; --added) char_list.pop_front();
        char_count = list_count(char_list.size());
        report_store({store_event::players_corrupt, players_file_name, "", exit_char_corrupt});
    } else {
        chars_loaded = true;
    }
    debug_leave("Leaving read_char_file");
}

void refresh_char_file() {
    debug_enter("Entering refresh_char_file");
    std::optional<char_merge> merge;
    file_status st = read_into_merge(merge);
    if (st == file_status::missing && chars_loaded)
        report_store({store_event::players_missing, players_file_name, "", exit_char_corrupt});
    if (st == file_status::corrupt)
        report_store({store_event::players_corrupt, players_file_name, "", exit_char_corrupt});
    // A file that was never there (a new game) merges as an empty one.
    bool found = merge->finish();
    if (st == file_status::ok) chars_loaded = true;
    merge_found_own(found);
    debug_leave("Leaving refresh_char_file");
}

void write_char_file(bool refresh) {
    debug_enter("Entering write_char_file");
    place_hold();
    wait_for_file(players_file_name);
    if (refresh) refresh_char_file();
    write_players();
    remove_hold();
    debug_leave("Leaving write_char_file");
}

void write_char_backup() {
    debug_enter("Entering write_char_backup");
    place_hold();
    write_char_list_to(players_backup_name);
    remove_hold();
    debug_leave("Leaving write_char_backup");
}

void update_under_hold(const std::function<void()>& change) {
    place_hold();
    wait_for_file(players_file_name);
    refresh_char_file();
    change();
    write_players();
    remove_hold();
}

void set_own_base() {
    if (cur_char)
        own_base = *cur_char;
    else
        own_base.reset();
}

character_record* add_char(const character_record& r) {
    char_list.push_front(r);
    char_count = list_count(char_list.size());
    return &char_list.front();
}

void del_char_list() {
    char_list.clear();
    char_count = 0;
    cur_char = nullptr;
}

// ---- Guilds ----

void read_guild_file() {
    debug_enter("Entering read_guild_file");
    std::vector<guild_record> recs;
    file_status st = read_record_file(guilds_file_name, recs);
    if (st == file_status::missing) {
        debug_log(" Running Game with no guild file.");
    } else if (st == file_status::corrupt) {
        report_store({store_event::guilds_corrupt, guilds_file_name, "", exit_guild_corrupt});
    } else {
        for (const auto& g : recs) add_guild(g);
    }
    debug_leave("Leaving read_guild_file");
}

void load_guild_file() {
    // A missing file is an empty guild list: a deleted last guild stays deleted.
    del_guild_list();
    if (wait_for_file(guilds_file_name)) read_guild_file();
}

void write_guild_file(const std::string& name) {
    debug_enter("Entering write_guild_file");
    wait_for_hold();
    wait_for_file(name);
    if (!guild_list.empty()) write_record_file<guild_record>(name, guild_list);
    debug_leave("Leaving write_guild_file");
}

void update_guilds_under_hold(const std::function<void()>& change) {
    place_hold();
    load_guild_file();
    change();
    if (guild_list.empty())
        erase_file(guilds_file_name);
    else
        write_guild_file(guilds_file_name);
    remove_hold();
}

guild_record* add_guild(const guild_record& g) {
    guild_list.push_front(g);
    guild_count = list_count(guild_list.size());
    return &guild_list.front();
}

void delete_guild(std::int16_t number) {
    auto it = std::find_if(guild_list.begin(), guild_list.end(),
                           [&](const guild_record& g) { return g.number == number; });
    if (it != guild_list.end()) {
        guild_list.erase(it);
        guild_count = list_count(guild_list.size());
    }
    if (guild_list.empty()) erase_file(guilds_file_name);
}

void del_guild_list() {
    guild_list.clear();
    guild_count = 0;
}

// ---- Statistics ----

void read_stat_file(stat_record& r) {
    debug_enter("Entering read_stat_file");
    std::vector<stat_record> recs;
    file_status st = read_record_file(stat_file_name, recs);
    if (st == file_status::missing) {
        report_store({store_event::stat_new, stat_file_name});
        create_stat_file(r);
    } else if (st == file_status::corrupt || recs.empty()) {
        report_store({store_event::stat_corrupt, stat_file_name, "", exit_stat_corrupt});
    } else {
        r = recs.front();
        if (&r == &game_stats) stat_base = r;
    }
    debug_leave("Leaving read_stat_file");
}

void write_stat_file() {
    place_hold();
    std::vector<stat_record> recs;
    if (read_record_file(stat_file_name, recs) == file_status::ok && !recs.empty()) {
        const stat_record& file = recs.front();
        stat_record merged = file;
        merge_fields(merged, stat_base, game_stats);
        // Another node may have run the daily maintenance since we read the file.
        if (file.day > merged.day) merged.day = file.day;
        if (file.last_maint_date.view() > merged.last_maint_date.view()) merged.last_maint_date = file.last_maint_date;
        game_stats = merged;
    }
    rewrite_file(stat_file_name, encode_record(game_stats));
    stat_base = game_stats;
    remove_hold();
}

void create_stat_file(stat_record& r) {
    r = stat_record{};
    r.day = 0;
    r.last_maint_date = "19800101";
    r.started_text = date_time_str();
    r.grace_days = 15;
    r.resurrect_days = 2;
    r.net_address = "1:1/1.1";
    r.mail_dir = program_directory();
    r.creature_fights = 25;
    r.player_fights = 3;
    r.transfers_allowed = 1;
    r.transfer_max = 10000;
    r.transfers_per_day = 3;
    r.interest_pct = 6.0;
    r.heal_cost = 6;
    r.room_cost = 300;
    r.death_loss_divisor = 10;
    r.floating_gold = 0;
    r.auto_calc = 1;
    r.mob_gold_mult = 1.2;
    r.mob_exp_mult = 0.85;
    r.max_guilds = 5;
    r.data_version = static_cast<std::int16_t>(round_half_even(1.07 * 100));
    rewrite_file(stat_file_name, encode_record(r));
    if (&r == &game_stats) stat_base = r;
}

// ---- Inventories ----

std::string inventory_file_name(std::int16_t number) { return "invt" + zero_pad(number, 4) + ".dat"; }

void write_inventory(std::int16_t number, const inventory_list& items) {
    std::string name = inventory_file_name(number);
    wait_for_file(name);
    write_record_file<item_record>(name, items);
}

std::int16_t list_length(const inventory_list& items) { return list_count(items.size()); }
