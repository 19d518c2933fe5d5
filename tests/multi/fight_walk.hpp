// What the walks of fights between nodes share: callers that answer their fight turns while
// others are watched, and the realm's gold and gems as the files hold them.
#pragma once
#include <chrono>
#include <csignal>
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "game/game_e2e.hpp"
#include "two_nodes.hpp"

namespace two_node {
// Reads every caller; the answering ones take their fight turns (A) and key waits; until
// done() or 60 seconds. False on time-out.
inline bool drive(const std::vector<caller*>& answering, const std::vector<caller*>& watching,
                  const std::function<bool()>& done) {
    std::map<caller*, std::size_t> answered;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        for (caller* c : watching)
            if (c->term->running()) c->term->read_for(10);
        for (caller* c : answering) {
            if (!c->term->running()) continue;
            c->term->read_for(10);
            std::string t = c->text();
            if (t.size() == answered[c]) continue;
            if (t.ends_with("Command? [A] : ") || t.ends_with("[ Hit any key ]")) {
                answered[c] = t.size();
                c->term->send(t.ends_with("[ Hit any key ]") ? "x" : "a");
            }
        }
    }
    return true;
}

// A crash, a power cut, an out-of-memory kill: the node's game ends without a word.
inline void kill_node(caller& c) {
    c.term->signal(SIGKILL);
    EXPECT_EQ(c.term->wait_exit(wait_ms), 128 + SIGKILL);
}

// The gold (in hand and in the bank) and the gems of every character and of every guild's
// treasury in the game directory: what no fight, raid or kill may make grow.
struct wealth {
    std::int64_t gold = 0, gems = 0;
    bool operator==(const wealth&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const wealth& w) {
        return o << w.gold << " gold, " << w.gems << " gems";
    }
};
inline wealth realm_wealth(const temp_dir& game) {
    wealth w;
    auto add = [&w](const std::string& file, std::size_t size, std::size_t gold_at, std::size_t bank_at,
                    std::size_t gems_at) {
        std::string recs = file_present(file) ? read_file(file) : "";
        for (std::size_t at = 0; at + size <= recs.size(); at += size) {
            std::string rec = recs.substr(at, size);
            w.gold += e2e::i32_of(rec, gold_at) + (bank_at ? e2e::i32_of(rec, bank_at) : 0);
            w.gems += e2e::i16_of(rec, gems_at);
        }
    };
    add(game.file("players.dat"), 299, 159, 163, 167);
    add(game.file("guilds.dat"), 217, 134, 0, 138);
    return w;
}
}  // namespace two_node
