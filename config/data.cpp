// The utility's reading and writing of the game's shared files. Against running nodes it waits
// visibly for a busy file; the statistics it changes are written under the hold, field by
// field, so nothing a node did meanwhile is rewound.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "config/console.hpp"
#include "config/quorcfg.hpp"
#include "engine/data_files.hpp"
#include "engine/debug_log.hpp"
#include "engine/exit.hpp"
#include "engine/file_access.hpp"
#include "engine/hold.hpp"
#include "engine/maintenance.hpp"
#include "engine/record_file.hpp"

namespace cfg {

bool players_loaded = false;
std::list<race_node> race_list;

namespace {
// The statistics as read at start (or last written): what the utility changed is what differs.
std::string stats_as_loaded;

// Where each field of the statistics record lies: offset and size.
constexpr std::pair<std::size_t, std::size_t> stat_fields[] = {
    {0, 2},    {2, 256},  {258, 41}, {299, 2},  {301, 2},  {303, 95}, {398, 24}, {422, 87},
    {509, 2},  {511, 2},  {513, 1},  {514, 4},  {518, 2},  {520, 8},  {528, 2},  {530, 2},
    {532, 2},  {534, 4},  {538, 1},  {539, 8},  {547, 8},  {555, 2},  {557, 2},
};

void default_stats() {
    create_stat_file(game_stats);
    stats_as_loaded = encode_record(game_stats);
}
}  // namespace

void file_busy_wait(const std::string& name, int& result) {
    auto blue_line = [](std::string_view text) { print_line("`9" + std::string(text)); };
    file_available_console(name, result,
                           {" already open : `4HOLD", " file stuck `4OPEN`9, Please inform SysOp", exit_stuck, blue_line});
}

bool file_there(const std::string& name) {
    int result = test_open(name);
    if (is_busy(result)) file_busy_wait(name, result);
    return result == io_ok;
}

void rewrite_or_stop(const std::string& name, std::string_view contents) {
    if (atomic_rewrite(name, contents)) return;
    std::string reason = std::strerror(errno);
    debug_log("FORCE:Could not write " + name + " : " + reason);
    print_line("`9Could not write \"" + name + "\" : `4" + reason + "`9, Please inform SysOp");
    end_prog(exit_stuck);
}

void read_stat_record(stat_record& record) {
    std::vector<stat_record> recs;
    if (!file_there(stat_file_name)) {
        print_line("`9Stat File Not Found : `4HOLD");
        default_stats();
        record = game_stats;
        return;
    }
    if (read_record_file(stat_file_name, recs) != file_status::ok || recs.empty()) {
        print_line("`9Stat file `4CORRUPTED `9.  Deleting.");
        // Kept for the sysop: it may still hold the settings of years.
        std::rename(stat_file_name, "quorstat.bad");
        default_stats();
        record = game_stats;
        hit_any_key();
        return;
    }
    record = recs.front();
    stats_as_loaded = encode_record(record);
}

void write_stat_record() {
    std::string mine = encode_record(game_stats);
    if (mine == stats_as_loaded) return;
    hold_guard hold;
    std::string merged = stats_as_loaded;
    std::vector<stat_record> recs;
    if (file_there(stat_file_name) && read_record_file(stat_file_name, recs) == file_status::ok && !recs.empty())
        merged = encode_record(recs.front());
    for (auto [at, size] : stat_fields)
        if (mine.compare(at, size, stats_as_loaded, at, size) != 0) merged.replace(at, size, mine, at, size);
    rewrite_or_stop(stat_file_name, merged);
    decode_record(merged, game_stats);
    stats_as_loaded = merged;
}

void read_player_list() {
    if (!file_there(players_file_name)) {
        print_line("`9No Character file was `4FOUND`9");
        return;
    }
    if (players_loaded) return;
    std::vector<character_record> recs;
    if (read_record_file(players_file_name, recs) != file_status::ok) {
        print_line("`9Character file `4CORRUPTED`9, Please inform SysOp");
        end_prog(exit_players_unreadable);
    }
    for (const character_record& r : recs) add_char(r);
    players_loaded = true;
}

void read_guild_list() {
    if (!file_there(guilds_file_name)) {
        debug_log("Running Game with no guild file.");
        return;
    }
    std::vector<guild_record> recs;
    if (read_record_file(guilds_file_name, recs) != file_status::ok) {
        print_line("`9Guild file `4CORRUPTED `9Please inform SysOp");
        end_prog(exit_guilds_unreadable);
    }
    for (const guild_record& g : recs) add_guild(g);
}

void read_races() {
    race_list.clear();
    if (!file_there(races_file_name)) {
        print_line("`9  races.dat is `4MISSING`9: creatures can be given no race.");
        return;
    }
    read_race_file(race_list);
}

item_list read_itreg_file(const std::string& name) {
    debug_enter("Entering read_itreg_file");
    item_list list;
    if (file_there(name) && read_registry(list, name) != file_status::ok) {
        print_line("`9\"" + name + "\" is `4CORRUPTED`9, Please inform SysOp");
        list.clear();
    }
    debug_leave("Leaving read_itreg_file");
    return list;
}

const registry_record* item_by_index(const item_list& list, int n) {
    if (n < 1 || static_cast<std::size_t>(n) > list.size()) return nullptr;
    return &list[static_cast<std::size_t>(n - 1)];
}

void del_itreg_list(item_list& list) {
    debug_enter("Entering del_itreg_list");
    list.clear();
    debug_leave("Leaving del_itreg_list");
}

}  // namespace cfg
