// The utility's reading and writing of the game's shared files. Against running nodes it waits
// visibly for a busy file; the statistics it changes are written under the hold, field by
// field as the sysop typed them, so nothing a node did meanwhile to the other fields is rewound.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <utility>

#include "config/console.hpp"
#include "config/quorcfg.hpp"
#include "engine/rules/maintenance.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/record_fields.hpp"
#include "engine/store/record_file.hpp"
#include "engine/text/exit.hpp"

namespace cfg {

bool players_loaded = false;
std::list<race_node> race_list;

namespace {
// The statistics as read at start (or last written): what the utility changed is what differs.
stat_record stats_as_loaded;

void default_stats() {
    create_stat_file(game_stats);
    stats_as_loaded = game_stats;
}
}  // namespace

void file_busy_wait(const std::string& name, int& result) {
    auto blue_line = [](std::string_view text) { print_line("`9" + std::string(text)); };
    file_available_console(
        name, result, {" already open : `4HOLD", " file stuck `4OPEN`9, Please inform SysOp", exit_stuck, blue_line});
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
    print_line("`9Could not write \"" + literal_codes(name) + "\" : `4" + reason + "`9, Please inform SysOp");
    end_prog(exit_stuck);
}

void create_if_missing(const std::string& name) {
    if (file_there(name)) return;
    // Created only where no file is: a node that made the file meanwhile keeps what it wrote.
    int fd;
    do {
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        ::close(fd);
    } else if (errno != EEXIST) {
        std::string reason = std::strerror(errno);
        debug_log("FORCE:Could not write " + name + " : " + reason);
        print_line("`9Could not write \"" + literal_codes(name) + "\" : `4" + reason + "`9, Please inform SysOp");
        end_prog(exit_stuck);
    }
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
    stats_as_loaded = record;
}

bool hold_for_sysop() {
    while (!try_place_hold()) {
        goto_xy_console(1, 3);
        print_line("`4  Another program has held file activity (\"hold.dat\") too long.");
        print_line("`9  Nothing has been written yet.");
        print_text("`9  Try again? ");
        if (yes_no(true) == 'N') return false;
        clear_console();
    }
    return true;
}

sysop_hold::~sysop_hold() {
    if (taken) remove_hold();
}

bool write_stat_record() { return update_stat_record(nullptr); }

bool update_stat_record(const std::function<void(stat_record&)>& change) {
    if (!change && same_fields(game_stats, stats_as_loaded)) return true;
    sysop_hold hold;
    if (!hold.taken) return false;
    stat_record fresh = stats_as_loaded;
    std::vector<stat_record> recs;
    if (file_there(stat_file_name) && read_record_file(stat_file_name, recs) == file_status::ok && !recs.empty())
        fresh = recs.front();
    merge_typed_fields(fresh, stats_as_loaded, game_stats);
    if (change) change(fresh);
    rewrite_or_stop(stat_file_name, encode_record(fresh));
    game_stats = fresh;
    stats_as_loaded = fresh;
    return true;
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

item_list read_itreg_file(const std::string& name, bool* damaged) {
    debug_enter("Entering read_itreg_file");
    item_list list;
    bool torn = file_there(name) && read_registry(list, name) != file_status::ok;
    if (damaged) *damaged = torn;
    if (torn) {
        list.clear();
        // The game ends with status 20 on it: the sysop must hear of it here, not later.
        clear_console();
        print_line("`9\"" + literal_codes(name) + "\" is `4DAMAGED`9: the game stops on it (status 20).");
        print_line("`9  Restore it from a copy before the game is played again.");
        hit_any_key();
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
