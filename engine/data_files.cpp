#include "engine/data_files.hpp"

#include <algorithm>
#include <limits>
#include <optional>
#include <unistd.h>
#include <vector>

#include "engine/debug_log.hpp"
#include "engine/game_path.hpp"
#include "engine/exit.hpp"
#include "engine/hold.hpp"
#include "engine/hooks.hpp"
#include "engine/record_file.hpp"
#include "engine/strings.hpp"

std::list<character_record> char_list;
std::int16_t char_count = 0;
bool chars_loaded = false;
character_record* cur_char = nullptr;
std::list<guild_record> guild_list;
std::int16_t guild_count = 0;
stat_record game_stats;

namespace {
// The lottery pot as this node last read or wrote it: what the node changed since is
// applied to the pot in the file, so two nodes' changes add up instead of one winning.
std::int32_t stat_gold_base = 0;

std::int16_t count_of(std::size_t n) {
    return static_cast<std::int16_t>(std::min<std::size_t>(n, std::numeric_limits<std::int16_t>::max()));
}

// "players.dat" as this node last read or wrote it: the file's stamp and its records in
// file order. A refresh that finds the file with the same stamp merges these instead of
// reading and decoding the file again; the merge is the same either way.
struct players_seen {
    std::optional<file_stamp> stamp;
    std::vector<character_record> records;
};
players_seen seen;

void forget_seen() {
    seen.stamp.reset();
    std::vector<character_record>().swap(seen.records);
}

// Writes char_list to a character file; the caller holds the hold.
void write_char_list_to(const std::string& name) {
    wait_for_file(name);
    if (name != players_file_name) {
        write_record_file<character_record>(name, char_list);
        return;
    }
    std::optional<file_stamp> before = stamp_of(name);
    write_record_file<character_record>(name, char_list);
    // A write that failed while the game was ending left the old file: nothing is kept.
    std::optional<file_stamp> after = stamp_of(name);
    if (after && after != before) {
        seen.records.assign(char_list.begin(), char_list.end());
        seen.stamp = after;
    } else {
        forget_seen();
    }
}

// A record is the playing character's only when it is the same character, not another one
// that took a freed number.
bool same_character(const character_record& a, const character_record& b) {
    return a.number == b.number && a.created_time == b.created_time && a.name.view() == b.name.view();
}

// Merges the records read from "players.dat" (in file order) into char_list in place. False
// when the playing character is no longer in the file (deleted meanwhile): it is then
// dropped from the list and cur_char is null, so nothing of it is written back.
bool merge_char_records(const std::vector<character_record>& file_recs) {
    // The playing character must be a node of the list, or the merge would drop it.
    if (cur_char && std::none_of(char_list.begin(), char_list.end(),
                                 [](const character_record& c) { return &c == cur_char; }))
        cur_char = add_char(*cur_char);
    // The other records by number, in list order within a number; taken[i] counts the
    // records of the number starting at i that a file record has already claimed. A sorted
    // table keeps the merge small beside a list of many thousand characters.
    using node = std::pair<std::int16_t, std::list<character_record>::iterator>;
    std::vector<node> by_number;
    by_number.reserve(char_list.size());
    for (auto it = char_list.begin(); it != char_list.end(); ++it)
        if (&*it != cur_char) by_number.emplace_back(it->number, it);
    auto number_less = [](const node& a, const node& b) { return a.first < b.first; };
    // Stable: records of one number stay in list order.
    std::stable_sort(by_number.begin(), by_number.end(), number_less);
    std::vector<std::uint32_t> taken(by_number.size(), 0);
    auto claim = [&](std::int16_t number) -> std::optional<std::list<character_record>::iterator> {
        auto range = std::equal_range(by_number.begin(), by_number.end(), node{number, {}}, number_less);
        if (range.first == range.second) return std::nullopt;
        std::size_t first = static_cast<std::size_t>(range.first - by_number.begin());
        std::size_t next = first + taken[first];
        if (next >= static_cast<std::size_t>(range.second - by_number.begin())) return std::nullopt;
        ++taken[first];
        return by_number[next].second;
    };

    // The file's records in list order (last record first), as a fresh read gives them.
    std::list<character_record> merged;
    bool own_found = false, own_taken = false;
    for (auto rec = file_recs.rbegin(); rec != file_recs.rend(); ++rec) {
        if (cur_char && !own_found && same_character(*rec, *cur_char)) {
            // Other nodes' deposits into this character's bank are kept.
            cur_char->bank_gold = std::max(cur_char->bank_gold, rec->bank_gold);
            own_found = true;
            continue;
        }
        if (cur_char && rec->number == cur_char->number) own_taken = true;
        if (auto mine = claim(rec->number)) {
            **mine = *rec;
            merged.splice(merged.end(), char_list, *mine);
        } else {
            merged.push_back(*rec);
        }
    }
    // Its number held by another character: deleted, and the number given out again. A number
    // nobody holds is a character not saved yet, which the write adds.
    bool own_gone = cur_char && !own_found && own_taken;
    if (own_gone) cur_char = nullptr;
    if (cur_char) {
        for (auto it = char_list.begin(); it != char_list.end(); ++it)
            if (&*it == cur_char) {
                merged.splice(merged.begin(), char_list, it);
                break;
            }
    }
    // What is left is gone from the file.
    char_list.clear();
    char_list.swap(merged);
    char_count = count_of(char_list.size());
    return !own_gone;
}

// The playing character was deleted while this caller played or waited: the session ends
// without writing anything of it.
void merge_found_own(bool found) {
    if (found || program_ending()) return;
    debug_log("FORCE:The playing character is gone from players.dat; nothing of it is saved");
    hook_disp_line("`9  Your character is no longer in the realm: it was removed while you were away.");
    end_prog(exit_normal);
}
}  // namespace

// ---- Characters ----

void read_char_file() {
    debug_enter("Entering read_char_file");
    std::vector<character_record> recs;
    file_status st;
    file_stamp stamp;
    if (chars_loaded)
        st = wait_for_file(players_file_name) ? file_status::ok : file_status::missing;
    else
        st = read_record_file(players_file_name, recs, &stamp);
    if (st == file_status::missing) {
        hook_disp_line("`9Starting new Character `4FILE`9");
    } else if (st == file_status::corrupt) {
        hook_disp_line("`9Player file `4CORRUPTED `9Please inform SysOp");
        end_prog(exit_char_corrupt);
    } else if (!chars_loaded) {
        for (const auto& r : recs) add_char(r);
        chars_loaded = true;
        seen = {stamp, std::move(recs)};
    }
    debug_leave("Leaving read_char_file");
}

void refresh_char_file() {
    debug_enter("Entering refresh_char_file");
    if (seen.stamp && stamp_of(players_file_name) == seen.stamp) {
        merge_found_own(merge_char_records(seen.records));
        debug_leave("Leaving refresh_char_file");
        return;
    }
    forget_seen();
    std::vector<character_record> recs;
    file_stamp stamp;
    file_status st = read_record_file(players_file_name, recs, &stamp);
    if (st == file_status::missing && chars_loaded) {
        hook_disp_line("  `9Error : Character file missing.");
        end_prog(exit_char_corrupt);
    }
    if (st == file_status::corrupt) {
        hook_disp_line("`9Player file `4CORRUPTED `9Please inform SysOp");
        end_prog(exit_char_corrupt);
    }
    // A file that was never there (a new game) merges as an empty one.
    bool found = merge_char_records(recs);
    if (st == file_status::ok) {
        chars_loaded = true;
        seen = {stamp, std::move(recs)};
    }
    merge_found_own(found);
    debug_leave("Leaving refresh_char_file");
}

void write_char_file(bool refresh) {
    debug_enter("Entering write_char_file");
    place_hold();
    wait_for_file(players_file_name);
    if (refresh) refresh_char_file();
    write_char_list_to(players_file_name);
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
    write_char_list_to(players_file_name);
    remove_hold();
}

character_record* add_char(const character_record& r) {
    char_list.push_front(r);
    char_count = count_of(char_list.size());
    return &char_list.front();
}

void del_char_list() {
    char_list.clear();
    char_count = 0;
    cur_char = nullptr;
    forget_seen();
}

// ---- Guilds ----

void read_guild_file() {
    debug_enter("Entering read_guild_file");
    std::vector<guild_record> recs;
    file_status st = read_record_file(guilds_file_name, recs);
    if (st == file_status::missing) {
        debug_log(" Running Game with no guild file.");
    } else if (st == file_status::corrupt) {
        hook_disp_line("`9Guild file `4CORRUPTED `9Please inform SysOp");
        end_prog(exit_guild_corrupt);
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
    guild_count = count_of(guild_list.size());
    return &guild_list.front();
}

void delete_guild(std::int16_t number) {
    auto it = std::find_if(guild_list.begin(), guild_list.end(),
                           [&](const guild_record& g) { return g.number == number; });
    if (it != guild_list.end()) {
        guild_list.erase(it);
        guild_count = count_of(guild_list.size());
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
        hook_disp_line("`9Stat File Not Found : `4HOLD");
        create_stat_file(r);
    } else if (st == file_status::corrupt || recs.empty()) {
        hook_disp_line("`9Stat file `4CORRUPTED `9Please inform SysOp");
        end_prog(exit_stat_corrupt);
    } else {
        r = recs.front();
        if (&r == &game_stats) stat_gold_base = r.floating_gold;
    }
    debug_leave("Leaving read_stat_file");
}

void write_stat_file() {
    place_hold();
    std::vector<stat_record> recs;
    if (read_record_file(stat_file_name, recs) == file_status::ok && !recs.empty()) {
        const stat_record& file = recs.front();
        // Another node may have run the daily maintenance since we read the file.
        if (file.day > game_stats.day) game_stats.day = file.day;
        if (file.last_maint_date.view() > game_stats.last_maint_date.view())
            game_stats.last_maint_date = file.last_maint_date;
        std::int64_t pot = std::int64_t(file.floating_gold) + game_stats.floating_gold - stat_gold_base;
        game_stats.floating_gold = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(pot, 0, std::numeric_limits<std::int32_t>::max()));
    }
    rewrite_file(stat_file_name, encode_record(game_stats));
    stat_gold_base = game_stats.floating_gold;
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
    if (&r == &game_stats) stat_gold_base = r.floating_gold;
}

// ---- Inventories ----

std::string inventory_file_name(std::int16_t number) { return "invt" + zero_pad(number, 4) + ".dat"; }

void write_inventory(std::int16_t number, const inventory_list& items) {
    std::string name = inventory_file_name(number);
    wait_for_file(name);
    write_record_file<item_record>(name, items);
}

std::int16_t list_length(const inventory_list& items) { return count_of(items.size()); }
