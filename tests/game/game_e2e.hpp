// What the game's end-to-end tests share: a copy of the default game directory, a caller's
// session on a pseudo-terminal that waits for texts as the caller reads them, the newcomer's
// first call, the next call of the day, leaving, and the stored records read at their offsets.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "engine/golden.hpp"
#include "support/pty.hpp"
#include "support/screen.hpp"
#include "support/temp_dir.hpp"

namespace e2e {
constexpr int wait_ms = 15000;

// A DOOR.SYS for a caller on a local line: port, baud, name, security, minutes, graphics.
inline std::string door_sys(const std::string& graphics) {
    std::string lines[20] = {"COM0:", "", "", "", "38400", "", "", "", "",   "Carl Dorn",
                             "",      "", "", "", "100",   "", "", "", "60", graphics};
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

// Little-endian figures of a stored record, read at their documented offsets.
inline int i16_of(const std::string& b, std::size_t off) {
    return static_cast<std::int16_t>(static_cast<unsigned char>(b[off]) |
                                     (static_cast<unsigned char>(b[off + 1]) << 8));
}
inline std::int32_t i32_of(const std::string& b, std::size_t off) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(i16_of(b, off) & 0xFFFF) |
                                     (static_cast<std::uint32_t>(i16_of(b, off + 2) & 0xFFFF) << 16));
}

// The fields of one 299-byte record of "players.dat", read at their documented offsets.
struct stored_char {
    std::string name, bbs_name;
    int number = 0, online = -1, last_day = 0;
    std::string location;
};
inline std::vector<stored_char> stored_chars(const std::string& file) {
    std::string b = read_file(file);
    std::vector<stored_char> out;
    auto str = [&](std::size_t off) { return b.substr(off + 1, static_cast<unsigned char>(b[off])); };
    auto i16 = [&](std::size_t off) {
        return static_cast<int>(static_cast<std::int16_t>(static_cast<unsigned char>(b[off]) |
                                                          (static_cast<unsigned char>(b[off + 1]) << 8)));
    };
    for (std::size_t r = 0; r + 299 <= b.size(); r += 299) {
        stored_char c;
        c.name = str(r + 0);
        c.bbs_name = str(r + 21);
        c.number = i16(r + 62);
        c.location = str(r + 193);
        c.last_day = i16(r + 255);
        c.online = static_cast<unsigned char>(b[r + 294]);
        out.push_back(c);
    }
    return out;
}

// The text a caller reads: the output without its ANSI sequences.
inline std::string plain(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\x1b') {
            out += bytes[i];
            continue;
        }
        if (i + 1 < bytes.size() && bytes[i + 1] == '[') {
            i += 2;
            while (i < bytes.size() && !(bytes[i] >= 0x40 && bytes[i] <= 0x7e)) ++i;
        }
    }
    return out;
}

// A caller's session: waits for texts as the caller reads them, colour sequences aside.
struct session {
    std::unique_ptr<pty_process> p;
    std::size_t seen = 0;  // where the next wait begins in the plain text

    bool wait_text(const std::string& text, int timeout_ms = wait_ms) {
        for (int waited = 0;; waited += 50) {
            bool gone = !p->running();  // asked first: an ended program's last output is read by then
            std::string t = plain(p->output());
            std::size_t at = t.find(text, seen);
            if (at != std::string::npos) {
                seen = at + text.size();
                return true;
            }
            if (waited >= timeout_ms || gone) return false;
            p->read_for(50);
        }
    }
    // Types a key and waits for the text.
    void key(const std::string& k, const std::string& until) {
        p->send(k);
        ASSERT_TRUE(wait_text(until)) << "after \"" << k << "\", waiting for \"" << until << "\":\n"
                                      << plain(p->output());
    }
    pty_process* operator->() { return p.get(); }
};

struct game_e2e : ::testing::Test {
    temp_dir game{false};
    std::string program = qv_binary("quorvath");
    // The game directory a copy of the default data set, unless the test makes it itself.
    explicit game_e2e(bool copy_data = true) {
        const char* data = std::getenv("QV_DATA_DIR");
        if (copy_data) copy_tree(data ? data : "data", game.path());
    }
    static std::vector<std::string> test_env(const std::string& clock) {
        return {"QV_TEST_NOSLEEP=1", "QV_TEST_CLOCK=" + clock, "QV_TEST_SEED=11"};
    }
    std::unique_ptr<pty_process> start(std::vector<std::string> args = {"/L", "/N1"},
                                       const std::string& clock = "20260115120000") {
        pty_process::options o;
        o.dir = game.path();
        o.args = std::move(args);
        o.env = test_env(clock);
        return std::make_unique<pty_process>(program, o);
    }
    // The local log-on, up to the intro's key wait.
    session log_on(const std::string& clock = "20260115120000") {
        session s{start({"/L", "/N1"}, clock)};
        EXPECT_TRUE(s.wait_text("(or leave blank for Local Sysop):"));
        s.key("", ">");
        s.key("Anna Berg\r", "[ Hit any key ]");
        pass_item_update(s);
        return s;
    }
    // A newcomer's first call: a new character (Bob, a knight unless another class key is
    // given), up to the square's prompt; the day's maintenance first unless it ran already.
    session newcomer(const std::string& clock = "20260115120000", const std::string& class_key = "k",
                     bool maintenance = true) {
        session s = log_on(clock);
        s.key("x", "Selection : ");
        if (maintenance) {
            // The first caller of the game's first day runs the daily maintenance.
            s.key("E", "Running Daily maintenance...HOLD");
            s.key("", "[ Hit any key ]");
            s.key("x", "Enter this Realm? [Y] :");
        } else {
            s.key("E", "Enter this Realm? [Y] :");
        }
        s.key("Y", "called in this realm?\r\n");
        s.key("", ">");
        s.key("Bob\r", "Go by the name : ");
        s.key("\r", "(K/B/L/H/C/T) :");
        s.key(class_key, "Choose your gender : ");
        s.key("m", "[HIT ANY KEY]");
        s.key("x", "[ Hit any key ]");
        s.key("x", "[ Hit any key ]");  // today's news
        s.key("x", "Command  : ");
        return s;
    }
    // The next call of a caller who has played today: recognised, straight to the square (or
    // to where the character wakes, whose prompt is given).
    session back_to_square(const std::string& prompt = "Command  : ") {
        session s = log_on();
        s.key("x", "Selection : ");
        s.key("e", "  You have already been on today.");
        s.key("", "[HIT ANY KEY]");
        s.key("x", "[ Hit any key ]");
        s.key("x", "[ Hit any key ]");  // today's news
        s.key("x", prompt);
        return s;
    }
    // Leaving the game from the square's prompt; the exit status, none if the game did not end.
    static std::optional<int> leave_game(session& s) {
        s.key("l", "[N] :");
        s->send("y");
        std::optional<int> status = s->wait_exit(wait_ms);
        // Its last line ended and the colour reset: what the terminal shows next starts clean.
        EXPECT_TRUE(plain(s->output()).ends_with("\r\n") && s->output().ends_with("\x1b[0m")) << s->output();
        return status;
    }
    // The first start in a new game directory loads the stock items, with a key wait of its
    // own before the intro.
    static void pass_item_update(session& s) {
        if (plain(s->output()).find("UPDATING ITEMS TO VERSION : 1.10 SUCCESSFUL") != std::string::npos)
            s.key("\r", "[ Hit any key ]");
    }
};

inline ansi_screen screen_of(const std::string& bytes) {
    ansi_screen s;
    s.feed(bytes);
    return s;
}
}  // namespace e2e
