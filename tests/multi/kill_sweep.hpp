// Kills a piece of the game's work at each of its moments, by each way a process ends
// (SIGKILL as a crash or a power cut, SIGHUP as a caller dropping carrier, SIGTERM as the BBS
// giving up on the node), and sums gold, gems and items over every record and file before
// and after: never more after; and a hang-up or a terminate lands the work whole or not at
// all.
//
// A moment is a pause of the game or a write of a game file about to begin (the test seam's
// stop file, QV_TEST_STOP_AT). Trial k puts k in the killed node's stop file just before the
// key that starts the work; the game stops itself at its k-th moment, is sent the signal and
// let go on. The sweep runs k = 1, 2, ... until the work reaches its end without stopping,
// and ends it there too.
//
// A piece of work is a row of a table: how the callers are brought up to its key (one node
// or several, each trial on a fresh copy of a game directory laid out once), the key, the
// node killed and the text on it that shows the work is over, and what else must hold after
// each trial. A row of two nodes (a fight between two callers on line) starts both in its
// lead-up (trial::start(1), trial::start(2)), brings them to the last blow, and sets typed to
// the striker and killed to the other; its wind-down lets the node still playing leave, so
// that its saves are in before the sums are taken.
#pragma once
#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "two_nodes.hpp"

namespace kill_sweep {
using two_node::caller;

inline std::int64_t le_at(const std::string& b, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return bytes == 2 ? static_cast<std::int16_t>(v) : static_cast<std::int32_t>(v);
}

// What the realm holds, at the files' documented offsets.
struct realm_tally {
    // In hand and in the banks, the lottery pot, the guild treasuries, what letters not yet
    // read add, and the cost of every item a player carries (a purchase trades the one for
    // the other).
    std::int64_t gold = 0;
    std::int64_t gems = 0;
    // Carried, and in the shops' stock (a stock that never runs out counts none).
    std::int64_t items = 0;
    bool operator==(const realm_tally&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const realm_tally& t) {
    return o << "{gold " << t.gold << ", gems " << t.gems << ", items " << t.items << "}";
}

// Each record of a file of fixed-size records.
inline void each_record(const std::string& file, std::size_t size, const std::function<void(const std::string&)>& f) {
    std::string b = read_file(file);
    for (std::size_t at = 0; at + size <= b.size(); at += size) f(b.substr(at, size));
}

// The amounts a mailbox's letters still owe: ADD lines of messages not yet carried out (a
// message carried out starts with the reader's mark, byte 1).
inline void tally_letters(const std::string& file, realm_tally& t) {
    std::string b = read_file(file);
    bool done = false;
    std::size_t at = 0;
    while (at < b.size()) {
        std::size_t end = b.find_first_of("\r\n", at);
        if (end == std::string::npos) end = b.size();
        std::string line = b.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && (line[0] == '#' || line[0] == '\x01')) done = line[0] == '\x01';
        if (done || line.rfind("ADD ", 0) != 0) continue;
        std::string what = line.substr(4, line.find(' ', 4) - 4);
        std::int64_t n = std::atoll(line.c_str() + 4 + what.size());
        if (what == "GLD" || what == "BNK" || what == "^CS18" || what == "^CS19") t.gold += n;
        if (what == "GMS" || what == "^CS20") t.gems += n;
    }
}

inline realm_tally tally_of(const std::string& dir) {
    realm_tally t;
    each_record(dir + "/players.dat", 299, [&](const std::string& c) {
        t.gold += le_at(c, 159, 4) + le_at(c, 163, 4);
        t.gems += le_at(c, 167, 2);
    });
    each_record(dir + "/quorstat.dat", 559, [&](const std::string& s) { t.gold += le_at(s, 534, 4); });
    each_record(dir + "/guilds.dat", 217, [&](const std::string& g) {
        t.gold += le_at(g, 134, 4);
        t.gems += le_at(g, 138, 2);
    });
    std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.c_str()), closedir);
    for (dirent* e; d && (e = readdir(d.get()));) {
        std::string name = e->d_name;
        auto is = [&](const char* head, const char* tail) { return name.rfind(head, 0) == 0 && name.ends_with(tail); };
        if (is("invt", ".dat"))
            each_record(dir + "/" + name, 70, [&](const std::string& i) {
                t.gold += le_at(i, 25, 4);
                ++t.items;
            });
        if (is("", ".shp"))
            each_record(dir + "/" + name, 52,
                        [&](const std::string& e) { t.items += std::max<std::int64_t>(le_at(e, 46, 2), 0); });
        if (is("user", ".dat") || is("user", ".tmp")) tally_letters(dir + "/" + name, t);
    }
    return t;
}

// The state letter of a process: 'T' while it is stopped.
inline char process_state(pid_t pid) {
    std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    std::size_t close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() ? '?' : stat[close + 2];
}

// One trial: a copy of the laid-out game directory and the callers playing in it.
struct trial {
    temp_dir game{false};
    temp_dir stops{false};
    std::vector<std::pair<int, std::unique_ptr<caller>>> nodes;
    // Set by the lead-up: the caller that takes the key starting the work, the one whose
    // game is ended (the same when left null) and the text on it that shows the work over.
    caller* typed = nullptr;
    caller* killed = nullptr;
    std::string key, end_text;

    explicit trial(const std::string& layout) { copy_tree(layout, game.path()); }
    std::string stop_file(int node) const { return stops.file("node" + std::to_string(node)); }
    // The game on the node, its moments counted in the node's stop file.
    caller& start(int node) {
        nodes.emplace_back(
            node, std::make_unique<caller>(two_node::start_game(game.path(), {"/L", "/N" + std::to_string(node)}, node,
                                                                {"QV_TEST_STOP_AT=" + stop_file(node)})));
        return *nodes.back().second;
    }
    int node_of(const caller& c) const {
        for (const auto& [node, n] : nodes)
            if (n.get() == &c) return node;
        return 0;
    }
    void change_players(const std::function<void(const std::string& name, std::string& rec)>& change) {
        two_node::change_players(game.file("players.dat"), change);
    }
    std::string stored(const std::string& name) { return two_node::record(read_file(game.file("players.dat")), name); }
};

// A piece of work under test.
struct operation {
    const char* name;
    // From a fresh copy up to the key: starts the callers and sets typed, key, end_text (and
    // killed when another node than the typing one is ended).
    std::function<void(trial&)> lead_up;
    // What else holds once the killed game has ended by the signal, at a moment or at the
    // end of the work (may be empty); before the sums, so that it may log on again and settle
    // what a kill left.
    std::function<void(trial&, int signal, bool at_the_end)> check;
    // The other callers' ends, before the sums are taken (may be empty).
    std::function<void(trial&)> wind_down;
    // Gold only moves: a kill by any signal at any moment leaves exactly as much.
    bool keeps_gold = false;
};

inline const char* signal_name(int sig) { return sig == SIGKILL ? "SIGKILL" : sig == SIGHUP ? "SIGHUP" : "SIGTERM"; }

// The ways a node is ended. The sanitizer build, many times slower, leaves out SIGTERM, which
// the door kit takes exactly as a hang-up.
inline std::vector<int> ending_signals() {
#ifdef QV_SANITIZED
    return {SIGKILL, SIGHUP};
#else
    return {SIGKILL, SIGHUP, SIGTERM};
#endif
}

enum class trial_end { stopped, at_the_end, broken };

// One trial with the stop at moment k: the work is started, and the killed game is sent the
// signal where it stopped, or at the end of the work when it got there first.
inline trial_end run_trial(const operation& op, int sig, int k, trial& t) {
    op.lead_up(t);
    if (::testing::Test::HasFatalFailure()) return trial_end::broken;
    caller& killed = t.killed ? *t.killed : *t.typed;
    std::string stop = t.stop_file(t.node_of(killed));
    write_file(stop, std::to_string(k));
    std::size_t from = killed.read_up_to;
    t.typed->term->send(t.key);
    trial_end end = trial_end::stopped;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(two_node::wait_ms);
    for (std::size_t looked_at = std::string::npos;;) {
        if (process_state(killed.term->pid()) == 'T') break;
        if (killed.term->output().size() != looked_at) {
            looked_at = killed.term->output().size();
            // At the end the game waits for a key; the stop file is still there.
            if (killed.text().find(t.end_text, from) != std::string::npos && file_present(stop)) {
                end = trial_end::at_the_end;
                break;
            }
        }
        if (!killed.term->running() || std::chrono::steady_clock::now() > until) {
            ADD_FAILURE() << "neither stopped nor at \"" << t.end_text << "\":\n" << killed.text().substr(from);
            return trial_end::broken;
        }
        killed.term->read_for(2);
    }
    // Past the end, the game's own exit must not stop at a moment.
    ::unlink(stop.c_str());
    ::kill(killed.term->pid(), sig);
    ::kill(killed.term->pid(), SIGCONT);
    std::optional<int> status = killed.term->wait_exit(two_node::wait_ms);
    EXPECT_EQ(status, sig == SIGKILL ? 128 + SIGKILL : 0) << killed.text().substr(from);
    if (op.wind_down) op.wind_down(t);
    return end;
}

// The sweep of one piece of work by one signal, each trial on a copy of layout.
inline void sweep(const operation& op, int sig, const std::string& layout) {
    realm_tally before = tally_of(layout);
    std::vector<std::pair<std::string, realm_tally>> landed;
    trial_end end = trial_end::stopped;
    for (int k = 1; k <= 60 && end == trial_end::stopped; ++k) {
        std::string at = std::string(op.name) + ", " + signal_name(sig) + " at moment " + std::to_string(k);
        SCOPED_TRACE(at);
        trial t(layout);
        end = run_trial(op, sig, k, t);
        if (end == trial_end::broken) return;
        if (op.check) op.check(t, sig, end == trial_end::at_the_end);
        realm_tally after = tally_of(t.game.path());
        EXPECT_LE(after.gold, before.gold);
        if (op.keeps_gold) {
            EXPECT_EQ(after.gold, before.gold);
        }
        EXPECT_LE(after.gems, before.gems);
        EXPECT_LE(after.items, before.items);
        landed.emplace_back(at, after);
    }
    ASSERT_EQ(end, trial_end::at_the_end) << op.name << ": the work never reached its end";
    // A hang-up lets the game finish what it started under the hold and save: the work has
    // landed whole, or not at all.
    if (sig == SIGKILL) return;
    realm_tally whole = landed.back().second;
    for (const auto& [at, after] : landed)
        EXPECT_TRUE(after == before || after == whole) << at << ": " << after << ", not " << before << " or " << whole;
}
}  // namespace kill_sweep
