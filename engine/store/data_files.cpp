#include "engine/store/data_files.hpp"

#include <algorithm>
#include <limits>
#include <optional>
#include <unistd.h>
#include <vector>

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

std::int16_t count_of(std::size_t n) {
    return static_cast<std::int16_t>(std::min<std::size_t>(n, std::numeric_limits<std::int16_t>::max()));
}

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

// A record is the playing character's only when it is the same character, not another one
// that took a freed number. The creation time tells them apart; the name only where a record
// has none, since a script may rename the playing character.
bool same_character(const character_record& a, const character_record& b) {
    return a.number == b.number && a.created_time == b.created_time &&
           (a.created_time != 0 || a.name.view() == b.name.view());
}

// Merges the records of "players.dat", handed over in file order one at a time, into
// char_list in place: no copy of the file is held beside the list. The result is that of
// taking the records last first: the list is in that order, the playing character is the
// last record that is the same character, and the records of a number claim the list's
// other records of that number in list order. The playing character takes the file's record
// merged with what this node changed since it last read or wrote it (its base); a node that
// knows no base for it (it took the character up without set_own_base) keeps its own copy
// whole. finish() is false when the playing character is no longer in the file (deleted
// meanwhile): it is then dropped from the list and cur_char is null, so nothing of it is
// written back.
//
// Taken once, the records are assumed to hold each number and the playing character once, as
// a sound file does; when they do not, sound() is false and the records must be counted
// first and taken again by a fresh merge.
class char_merge {
public:
    char_merge() {
        // The playing character must be a node of the list, or the merge would drop it.
        if (cur_char && std::none_of(char_list.begin(), char_list.end(),
                                     [](const character_record& c) { return &c == cur_char; }))
            cur_char = add_char(*cur_char);
        // The other records by number, in list order within a number (stable): a sorted table
        // keeps the merge small beside a list of many thousand characters.
        by_number_.reserve(char_list.size());
        for (auto it = char_list.begin(); it != char_list.end(); ++it) {
            if (&*it == cur_char)
                own_ = it;
            else
                by_number_.emplace_back(it->number, it);
        }
        std::stable_sort(by_number_.begin(), by_number_.end(), number_less);
        taken_.assign(by_number_.size(), 0);
        order_.reserve(char_list.size());
    }

    // First run of a counted merge: how many records each number has.
    void count(const character_record& rec) {
        if (cur_char && same_character(rec, *cur_char)) own_at_ = at_;
        ++at_;
        if (std::size_t first = group_of(rec.number); first != npos) ++taken_[first];
    }
    // Ends the counting; the playing character's own record is no claimer.
    void counted() {
        if (own_at_ != npos)
            if (std::size_t first = group_of(cur_char->number); first != npos) --taken_[first];
        counts_.swap(taken_);
        taken_.assign(by_number_.size(), 0);
        at_ = 0;
        counted_ = true;
    }

    void take(const character_record& rec) {
        std::size_t at = at_++;
        if (cur_char && same_character(rec, *cur_char) && (counted_ ? at == own_at_ : !own_found_)) {
            own_found_ = true;
            own_fresh_ = rec;
            return;
        }
        if (cur_char && same_character(rec, *cur_char) && !counted_) sound_ = false;
        if (cur_char && rec.number == cur_char->number) own_taken_ = true;
        std::size_t first = group_of(rec.number);
        std::optional<node_it> mine;
        if (first != npos) {
            std::size_t size = group_end(first) - first, rank = taken_[first]++;
            // Last first, the k-th record of a number claims its k-th list record.
            std::size_t k = counted_ ? counts_[first] - 1 - rank : rank;
            if (!counted_ && rank > 0) sound_ = false;
            if (k < size) mine = by_number_[first + k].second;
        }
        if (mine) {
            **mine = rec;
            order_.emplace_back(false, *mine);
        } else {
            fresh_.push_back(rec);
            order_.emplace_back(true, std::prev(fresh_.end()));
        }
    }

    bool sound() const { return sound_; }

    bool finish() {
        // Its number held by another character: deleted, and the number given out again. A
        // number nobody holds is a character not saved yet, which the write adds.
        bool own_gone = cur_char && !own_found_ && own_taken_;
        if (own_found_) {
            character_record merged = own_fresh_;
            bool known = own_base && same_character(*own_base, *cur_char);
            merge_fields(merged, known ? *own_base : own_fresh_, *cur_char);
            *cur_char = merged;
            own_base = own_fresh_;
        }
        std::list<character_record> merged;
        for (const auto& [is_fresh, it] : order_) merged.splice(merged.begin(), is_fresh ? fresh_ : char_list, it);
        if (own_gone) cur_char = nullptr;
        if (cur_char) merged.splice(merged.begin(), char_list, own_);
        // What is left is gone from the file.
        char_list.clear();
        char_list.swap(merged);
        char_count = count_of(char_list.size());
        return !own_gone;
    }

private:
    using node_it = std::list<character_record>::iterator;
    using node = std::pair<std::int16_t, node_it>;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    static bool number_less(const node& a, const node& b) { return a.first < b.first; }

    // Index of the first list record of the number, npos when none.
    std::size_t group_of(std::int16_t number) const {
        auto it = std::lower_bound(by_number_.begin(), by_number_.end(), node{number, {}}, number_less);
        return it != by_number_.end() && it->first == number ? static_cast<std::size_t>(it - by_number_.begin()) : npos;
    }
    std::size_t group_end(std::size_t first) const {
        return static_cast<std::size_t>(std::upper_bound(by_number_.begin() + static_cast<std::ptrdiff_t>(first),
                                                         by_number_.end(), by_number_[first], number_less) -
                                        by_number_.begin());
    }

    std::vector<node> by_number_;
    std::vector<std::uint32_t> taken_, counts_;  // per number: records taken, records counted
    std::vector<std::pair<bool, node_it>> order_;  // in file order: a list record or a fresh one
    std::list<character_record> fresh_;
    node_it own_{};
    std::size_t at_ = 0, own_at_ = npos;
    bool counted_ = false, own_found_ = false, own_taken_ = false, sound_ = true;
    character_record own_fresh_;
};

// Reads "players.dat" into the merge; finish is left to the caller (not on a failed read).
// Taken as read when the file holds each number once, else counted from a copy and taken again.
file_status read_into_merge(std::optional<char_merge>& merge) {
    merge.emplace();
    file_status st = read_record_file<character_record>(players_file_name,
                                                        [&merge](const character_record& r) { merge->take(r); });
    if (st != file_status::ok || merge->sound()) return st;
    std::vector<character_record> recs;
    st = read_record_file(players_file_name, recs);
    merge.emplace();
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
        char_count = count_of(char_list.size());
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
    char_count = count_of(char_list.size());
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

std::int16_t list_length(const inventory_list& items) { return count_of(items.size()); }
