// Two callers on two nodes in one game directory, each on a pseudo-terminal as a BBS runs
// the game, after the day's maintenance: newcomers made on each node, typed at and read.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "support/pty.hpp"
#include "support/screen.hpp"
#include "support/temp_dir.hpp"

namespace two_node {
constexpr int wait_ms = 20000;

// One caller's terminal: keys typed, and the text read as the caller reads it (colour
// sequences left out), each wait going on after what the last one found.
struct caller {
    std::unique_ptr<pty_process> term;
    std::size_t read_up_to = 0;

    std::string text() const {
        static const std::regex ansi("\x1b\\[[0-9;?!]*[A-Za-z]");
        return std::regex_replace(term->output(), ansi, "");
    }
    bool shows(const std::string& wanted) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
        std::size_t looked_at = std::string::npos;  // how much output the last look saw
        for (;;) {
            bool gone = !term->running();  // asked first: an ended program's last output is read by then
            if (term->output().size() != looked_at) {
                looked_at = term->output().size();
                std::size_t at = text().find(wanted, read_up_to);
                if (at != std::string::npos) {
                    read_up_to = at + wanted.size();
                    return true;
                }
            }
            if (std::chrono::steady_clock::now() > until || gone) return false;
            term->read_for(5);
        }
    }
    void type(const std::string& keys, const std::string& wanted) {
        term->send(keys);
        ASSERT_TRUE(shows(wanted)) << "typed \"" << keys << "\", waiting for \"" << wanted << "\":\n"
                                   << text().substr(read_up_to);
    }
};

inline void set16(std::string& rec, std::size_t at, int v) {
    rec[at] = static_cast<char>(v & 0xFF);
    rec[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void set32(std::string& rec, std::size_t at, std::int64_t v) {
    for (int i = 0; i < 4; ++i) rec[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The game started on a pseudo-terminal in dir as the BBS starts it, with the test clock,
// instant pauses, the dice seeded and any further environment.
inline caller start_game(const std::string& dir, std::vector<std::string> args, int seed = 0,
                         const std::vector<std::string>& env = {}) {
    pty_process::options o;
    o.dir = dir;
    o.args = std::move(args);
    o.env = {"QV_TEST_NOSLEEP=1", "QV_TEST_CLOCK=20260115120000", "QV_TEST_SEED=" + std::to_string(seed)};
    o.env.insert(o.env.end(), env.begin(), env.end());
    return caller{std::make_unique<pty_process>(qv_binary("quorvath"), o)};
}
// A local log-on, up to the intro's key wait.
inline void log_on(caller& c, const std::string& bbs_name) {
    ASSERT_TRUE(c.shows("(or leave blank for"));
    c.type("", ">");
    c.type(bbs_name + "\r", "[ Hit any key ]");
    // The game's first start loads the stock items, with a key wait of its own.
    if (c.text().find("UPDATING ITEMS") != std::string::npos) c.type("\r", "[ Hit any key ]");
}
// A caller who has played today comes back to the town square.
inline void come_back(caller& c, const std::string& bbs_name) {
    log_on(c, bbs_name);
    const std::pair<std::string, std::string> dialogue[] = {
        {"x", "Selection : "},    {"E", "You have already been on today."},
        {"", "[HIT ANY KEY]"},    {"x", "[ Hit any key ]"},
        {"x", "[ Hit any key ]"}, {"x", "Command  : "}};
    for (const auto& [keys, wanted] : dialogue) c.type(keys, wanted);
}
// Leaves the game from the square; the exit status, none if the game did not end.
inline std::optional<int> leave(caller& c) {
    c.type("l", "[N] :");
    c.term->send("y");
    return c.term->wait_exit(wait_ms);
}
// A local log-on of a newcomer who makes a character and reaches the town square.
inline void enter(caller& c, const std::string& bbs_name, const std::string& name) {
    log_on(c, bbs_name);
    // The keys typed, each with the text it brings up.
    const std::pair<std::string, std::string> dialogue[] = {{"x", "Selection : "},
                                                            {"E", "Enter this Realm? [Y] :"},
                                                            {"Y", "called in this realm?"},
                                                            {"", ">"},
                                                            {name + "\r", "Go by the name : "},
                                                            {"\r", "(K/B/L/H/C/T) :"},
                                                            {"k", "Choose your gender : "},
                                                            {"f", "[HIT ANY KEY]"},
                                                            {"x", "[ Hit any key ]"},
                                                            {"x", "[ Hit any key ]"},
                                                            {"x", "Command  : "}};
    for (const auto& [keys, wanted] : dialogue) c.type(keys, wanted);
}
// The 299-byte record of the named character (upper case) in a players file image.
inline std::string record(const std::string& players, const std::string& name) {
    for (std::size_t at = 0; at + 299 <= players.size(); at += 299)
        if (players.substr(at + 1, static_cast<unsigned char>(players[at])) == name) return players.substr(at, 299);
    ADD_FAILURE() << name;
    return std::string(299, '\0');
}
// Rewrites the records of a players file as change makes them.
inline void change_players(const std::string& file,
                           const std::function<void(const std::string& name, std::string& rec)>& change) {
    std::string players = read_file(file);
    for (std::size_t at = 0; at + 299 <= players.size(); at += 299) {
        std::string rec = players.substr(at, 299);
        change(rec.substr(1, static_cast<unsigned char>(rec[0])), rec);
        players.replace(at, 299, rec);
    }
    write_file(file, players);
}

struct two_nodes : ::testing::Test {
    temp_dir game{false};
    two_nodes() {
        const char* data = std::getenv("QV_DATA_DIR");
        copy_tree(data ? data : "data", game.path());
        // Today's maintenance first, as the BBS's nightly event runs it.
        EXPECT_EQ(start({"MAINT"}).term->wait_exit(wait_ms), 0);
    }
    caller start(int node) { return start({"/L", "/N" + std::to_string(node)}, node); }
    caller start(std::vector<std::string> args, int seed = 0) { return start_game(game.path(), std::move(args), seed); }
    static std::string record(const std::string& players, const std::string& name) {
        return two_node::record(players, name);
    }
    std::string stored(const std::string& name) { return record(read_file(game.file("players.dat")), name); }
    // Rewrites the named records of "players.dat" as change makes them.
    void change_players(const std::function<void(const std::string& name, std::string& rec)>& change) {
        two_node::change_players(game.file("players.dat"), change);
    }
    // A newcomer made on the node, who leaves again at once.
    void made_on(int node, const std::string& bbs_name, const std::string& name) {
        caller c = start(node);
        enter(c, bbs_name, name);
        ASSERT_EQ(leave(c), 0);
    }
    void log_on(caller& c, const std::string& bbs_name) { two_node::log_on(c, bbs_name); }
    void come_back(caller& c, const std::string& bbs_name) { two_node::come_back(c, bbs_name); }
    std::optional<int> leave(caller& c) { return two_node::leave(c); }
    void enter(caller& c, const std::string& bbs_name, const std::string& name) { two_node::enter(c, bbs_name, name); }
};

}  // namespace two_node
