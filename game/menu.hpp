// The menu loop every place of the game runs, written once: the title with the allowed keys,
// the prompt with the default key in brackets, Enter taking the default, the key echoed
// upper-cased, and the wait for a key that looks at mail, the message queue and the random
// events between polls. Also the depth of the menus, `sub_location`.
//
//   menu_loop m;
//   m.title = "`9   Bank of Shamile`%:";
//   m.keys = keys;                          // the section's key string
//   m.level = 2;                            // runs while sub_location >= 2
//   m.default_key = [] { return 'L'; };
//   m.on_key = [&](char k) {
//       switch (k) {
//       case 'D': deposit(); break;
//       case '?': show_menu_text(menu); break;
//       case 'L': return false;             // the loop ends
//       }
//       return true;
//   };
//   run_menu_loop(m);
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/text/text_file.hpp"

// The depth of the menu the player is in. Every menu loop runs while it is at least the
// loop's own level; setting a lower value unwinds every loop above it (1 the town square,
// 2 the realm choice and the inn, 3 a realm; 0 ends the town square).
extern std::int16_t sub_location;

// What a loop looks at between key polls, every check_frequency polls of 10 ms.
enum class menu_poll {
    none,                   // nothing: the key is read without polling
    queue,                  // the message queue
    queue_and_events,       // the message queue, else the random events (most places)
    mail_queue_and_events,  // mail, else the queue, else the random events (the town square)
};

struct menu_loop {
    // Shown before the key list, on the same line ("`9   Central Square `%:").
    std::string title;
    // The allowed keys, as the section's key string gives them ("?" is added on screen).
    std::string keys;
    // The loop runs while sub_location is at least this.
    std::int16_t level = 1;
    menu_poll poll = menu_poll::queue_and_events;
    // The default key, asked each time the prompt is shown; Enter takes it. Without one the
    // prompt is "`9  Command  : `%" and Enter is passed on as it is ('\r').
    std::function<char()> default_key;
    // Run at the start of every turn, before the prompt (a place that keeps its location text,
    // or re-reads what it shows); lowering sub_location there ends the loop at once.
    std::function<void()> each_turn;
    // Shown each time the prompt is due, before its empty line and title (a status line).
    std::function<void()> before_title;
    // Looks at the key first, before its echo and every other handling (a hidden word), and
    // hands back the key to act on. Null: the key as typed.
    std::function<char(char key)> filter_key;
    // The key is echoed upper-cased on a line of its own before on_key; a place that echoes
    // its keys itself turns this off.
    bool echo = true;
    // Run after a key is read and echoed, before on_key: false drops the key (a place that
    // was taken from the player meanwhile lowers sub_location there, and the loop ends).
    std::function<bool()> before_key;
    // The keys of the screens that many places offer, for a place that asks for them: V the
    // statistics, F the players on line, R the rankings ("VFR", "VR", ...). The loop answers
    // such a key itself (echoing it for a place that echoes its own keys); on_key never
    // sees it.
    std::string_view common_keys;
    // Handles one key, upper-cased; false ends the loop.
    std::function<bool(char key)> on_key;
    // The guild whose hall the player holds in a raid, for the queue's dispatcher (0: none).
    std::int16_t raided_guild = 0;
    // Given every non-empty word the dispatcher returns at this loop's polls.
    std::function<void(const std::string& result)> on_result;
};

// A menu's key (or a kind of line read) and the function that handles it: a menu with many
// keys keeps them in a table and its on_key only dispatches.
template <class Handler, class Key = char>
struct menu_key {
    Key key;
    Handler handler;
};

// The handler of key k in the table, or null.
template <class Handler, class Key, std::size_t N>
Handler key_handler(const menu_key<Handler, Key> (&table)[N], Key k) {
    for (const menu_key<Handler, Key>& e : table)
        if (e.key == k) return e.handler;
    return nullptr;
}

// Runs the loop: while sub_location >= level, show (when due) an empty line, the title with
// the key list, an empty line and the prompt; wait for a key, polling as asked; a poll that
// showed something makes the prompt due again; a key is upper-cased, echoed and handled, and
// the prompt is due again.
void run_menu_loop(const menu_loop& m);

// The poll check of the loops: when polls has reached check_frequency (below 1 counts as 1),
// polls := 0 and the first that applies runs: mail waits (with_mail only): read it; a message
// waits in the queue: handle one (raided_guild passed on; a non-empty result goes to
// on_result); otherwise, when random_events is set, the random-event check. True when
// something was shown, so the prompt is due again.
bool poll_check(std::int32_t& polls, bool with_mail, bool random_events, std::int16_t raided_guild = 0,
                const std::function<void(const std::string&)>& on_result = {});

// Puts the loops' poll check into the engine's key wait (menu_poll_key), so that every
// menu of the engine (the inventory) polls alike. game_init calls it.
void install_menu_poll();

// The key with a letter a-z raised.
char upcase_key(char k);
// The echo of a key: the key (upper-cased) and a line end; a control key gives only the
// line end.
void echo_key(char k);
// A key as typed, on the same line (control keys show nothing).
void echo_inline(char k);
// A key read for a yes-or-no question, Enter taking the default, upper-cased.
char yes_no_key(char enter_key);
// A hidden word of a place: when k is the word's first letter and the playing character has
// not used the word today (used_bit clear), four more keys are read without echo; the five,
// upper-cased, spelling the word set used_bit, run the action and count as a blank key. A
// mistyped word hands its fifth key on, upper-cased, as the command; any other key comes
// back as it is. Nothing is echoed.
char hidden_word(char k, std::string_view word, std::int32_t used_bit, void (*action)());
// The separator line of the entry screens, the creation dialogue and the Crossroads: "`#" and 77 characters "-=-=...-".
std::string separator_line();
// Each text on a line of its own (disp_line).
void disp_lines(std::initializer_list<std::string> text);
// The place's menu text, unless the player is in expert mode.
void show_menu_text(const text_list& menu);

// A question answered by one key: each time, the lines (disp_line) and the prompt
// (disp_text); a key read, Enter taken as enter_key, upper-cased and echoed; asked again
// until the key is one of allowed. Returns that key.
char ask_key(const std::vector<std::string>& lines, std::string_view prompt, char enter_key, std::string_view allowed);
