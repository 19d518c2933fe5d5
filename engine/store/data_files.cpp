#include "engine/store/data_files.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <unistd.h>
#include <vector>

#include "engine/store/char_merge.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/exit_codes.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/record_fields.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/store_status.hpp"
#include "engine/store/strings.hpp"

char_list_type char_list;
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

// "players.dat" as this node last read it whole or wrote it, while char_list holds what it
// holds: every record as there, the playing character as this node has it (its record there
// being own_base). The file is kept open, so that its inode cannot pass to a file written
// later: the same stamp under the name then means those very contents, and a refresh has
// nothing to read. Whatever changes char_list otherwise forgets it. It also knows the list's
// order against the file's: a read or merge gives the records last first (a merge with the
// playing character at the head), a write gives the file the list's order.
class players_seen {
public:
    players_seen() = default;
    players_seen(const players_seen&) = delete;
    players_seen& operator=(const players_seen&) = delete;
    ~players_seen() { forget(); }

    // Opens the file before a read; the read's stamp then tells whether it read this file.
    void open_before_read() {
        forget();
        fd_ = open_players();
    }
    // After a whole read whose stamp is read: kept when it read the file opened before.
    // at_head: the record the merge put at the head of the list, if any.
    void read_done(const file_stamp& read, const character_record* at_head) {
        if (fd_ >= 0 && stamp_of_open(fd_) == read)
            stamp_ = read;
        else
            forget();
        merged(at_head);
    }
    // After this node's write, under the hold: the file is what it wrote, in the list's order.
    void written() {
        forget();
        fd_ = open_players();
        std::optional<file_stamp> now = fd_ >= 0 ? stamp_of_open(fd_) : std::nullopt;
        if (now)
            stamp_ = *now;
        else
            forget();
        reversed_ = false;
        at_head_ = nullptr;
    }
    // The list now holds the file last first, with at_head (if any) moved to the head.
    void merged(const character_record* at_head) {
        reversed_ = true;
        at_head_ = at_head;
    }
    bool reversed() const { return reversed_; }
    const character_record* at_head() const { return at_head_; }
    void forget() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        stamp_ = {};
    }
    // True when the file under the name is still the one seen.
    bool unchanged() const {
        if (fd_ < 0) return false;
        std::optional<file_stamp> now = stamp_of(players_file_name);
        return now && *now == stamp_;
    }

private:
    static int open_players() {
        int fd;
        do {
            fd = ::open(players_file_name, O_RDONLY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        return fd;
    }

    int fd_ = -1;
    file_stamp stamp_;
    bool reversed_ = false;
    const character_record* at_head_ = nullptr;
};
players_seen seen;

char_list_type::iterator node_of(const character_record* c) {
    return std::find_if(char_list.begin(), char_list.end(), [c](const character_record& r) { return &r == c; });
}
bool is_node_of_list(const character_record* c) { return node_of(c) != char_list.end(); }

// A refresh when no node has written "players.dat" since this node last read or wrote it and
// char_list is still what it was then: nothing to read, the list only takes the order a merge
// gives it (the file's records last first, the playing character at the head). False when
// the file must be read.
bool refresh_unchanged() {
    if (!chars_loaded || !seen.unchanged()) return false;
    auto own = node_of(cur_char);
    if (cur_char && own == char_list.end()) return false;
    // Another record put at the head by an earlier merge is out of its place.
    if (seen.reversed() && seen.at_head() && seen.at_head() != cur_char) return false;
    if (!seen.reversed()) char_list.reverse();
    if (cur_char) char_list.splice(char_list.begin(), char_list, own);
    seen.merged(cur_char);
    return true;
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
    seen.written();
}

// Nothing of this node's to write: the playing character is as this node last read or wrote
// it (and a node of char_list). A write with refresh then gives the file what it holds.
bool own_unchanged() {
    return cur_char && own_base && same_character(*own_base, *cur_char) &&
           encode_record(*own_base) == encode_record(*cur_char) && is_node_of_list(cur_char);
}

// Reads "players.dat" into the merge; finish is left to the caller (not on a failed read).
// Taken as read when the file holds each number once, else counted from a copy and taken again.
// stamp receives the stamp of the file the merge took.
file_status read_into_merge(std::optional<char_merge>& merge, file_stamp& stamp) {
    merge.emplace(own_base);
    file_status st = read_record_file<character_record>(
        players_file_name, [&merge](const character_record& r) { merge->take(r); }, &stamp);
    if (st != file_status::ok || merge->sound()) return st;
    std::vector<character_record> recs;
    st = read_record_file(players_file_name, recs, &stamp);
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
    if (chars_loaded) {
        st = wait_for_file(players_file_name) ? file_status::ok : file_status::missing;
    } else {
        // Read into an empty list, the list is then what the file holds.
        bool from_empty = char_list.empty();
        file_stamp stamp;
        seen.open_before_read();
        st = read_record_file<character_record>(
            players_file_name,
            [&added](const character_record& r) {
                push_char(r);
                ++added;
            },
            &stamp);
        if (st == file_status::ok && from_empty)
            seen.read_done(stamp, nullptr);
        else
            seen.forget();
    }
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
    if (refresh_unchanged()) {
        debug_leave("Leaving refresh_char_file");
        return;
    }
    std::optional<char_merge> merge;
    file_stamp stamp;
    seen.open_before_read();
    file_status st = read_into_merge(merge, stamp);
    if (st == file_status::missing && chars_loaded)
        report_store({store_event::players_missing, players_file_name, "", exit_char_corrupt});
    if (st == file_status::corrupt)
        report_store({store_event::players_corrupt, players_file_name, "", exit_char_corrupt});
    // A file that was never there (a new game) merges as an empty one.
    bool found = merge->finish();
    if (st == file_status::ok) {
        chars_loaded = true;
        seen.read_done(stamp, cur_char);
    } else {
        seen.forget();
    }
    merge_found_own(found);
    debug_leave("Leaving refresh_char_file");
}

void write_char_file(bool refresh) {
    debug_enter("Entering write_char_file");
    if (refresh && own_unchanged()) {
        // The write would give the file what it holds: the refresh alone brings in what
        // other nodes saved.
        refresh_char_file();
    } else {
        place_hold();
        wait_for_file(players_file_name);
        if (refresh) refresh_char_file();
        write_players();
        remove_hold();
    }
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
    char_list_changing();
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

void char_list_changing() { seen.forget(); }

character_record* push_char(const character_record& r) {
    char_list.push_front(r);
    char_count = list_count(char_list.size());
    return &char_list.front();
}

character_record* add_char(const character_record& r) {
    char_list_changing();
    return push_char(r);
}

void del_char_list() {
    char_list_changing();
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
    auto it =
        std::find_if(guild_list.begin(), guild_list.end(), [&](const guild_record& g) { return g.number == number; });
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
    std::vector<stat_record> recs;
    if (same_fields(game_stats, stat_base) && read_record_file(stat_file_name, recs) == file_status::ok &&
        !recs.empty()) {
        // Nothing of this node's to write: the file (whole, as every rewrite renames it into
        // place) already holds what the other nodes wrote, and a hold would only keep them
        // waiting.
        game_stats = stat_base = recs.front();
        return;
    }
    place_hold();
    recs.clear();
    if (read_record_file(stat_file_name, recs) == file_status::ok && !recs.empty()) {
        const stat_record& file = recs.front();
        stat_record merged = file;
        log_short_amounts(stat_file_name, "", merge_fields(merged, stat_base, game_stats));
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
