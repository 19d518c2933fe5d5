// What the three realms outside town share: entry with its creature file and menu text, the
// menu with the status line and its default key, the search that finds a creature of the
// player's level or turns into one of the realm's special events, the keys every realm
// answers to, and the tree bank. A realm is described by one table; the forest, the valley
// and the mountain each fill one in and add their events.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/rules/creatures.hpp"
#include "engine/store/records.hpp"
#include "engine/text/text_file.hpp"

struct realm {
    const char* name = "";           // in the debug log ("Entering forest")
    const char* creature_file = "";  // "forest.dat"
    const char* section = "";        // of "quortext.dat"; its first line is the key list
    const char* location = "";       // the character's location text while inside
    const char* ansi_section = "";   // the picture shown to ANSI callers at entry
    const char* title = "";          // shown before the key list
    const char* empty_message = "";  // a search without creature fights left
    const char* branch_line = "";    // the tree bank's second line
    int events = 0;                  // a special event draws 1 .. events
    void (*special_event)(int e, const text_list& menu) = nullptr;
    // Looks at a key before the realm acts on it (the forest's hidden word) and hands back
    // the key to act on, which it has not echoed. Null: the key as typed.
    char (*filter_key)(char k) = nullptr;
    // A key of the realm's own, after its echo (the valley's "/"); true when it acted.
    bool (*own_key)(char k) = nullptr;
};

// The tree bank's second line in the forest; the other realms quote the branch differently.
constexpr const char* forest_branch_line =
    "  'special' branch and a panel opens up.  You put your money belt in, close";
constexpr const char* realm_branch_line =
    "  \"special\" branch and a panel opens up.  You put your money belt in, close";

// The realms' shared event scripts, run only while the file carries its mark (the number
// read_file_number finds); the valley's "/" runs its section "1" without the test.
constexpr const char* realm_event_script = "events.scc";
constexpr std::int32_t realm_event_mark = 113;
bool realm_event_script_ready();

// Runs the realm until the player goes back to town (sub_location drops below 3). Ends the
// program through the orderly exit when the creature file or "quortext.dat" is missing
// (code 12), and when the player dies in it.
void run_realm(const realm& r);

// One search (key S): a creature of the player's level from the list, a special event when
// Random(100) + 1 < luck + 20, else the fight; without creature fights left, the realm's
// empty message.
void realm_search(const realm& r, const creature_list& creatures, const text_list& menu);

// A creature fought as every realm fights it: turned into an opponent, fought, freed; the
// menu text again unless in expert mode, and one creature fight fewer.
void fight_creature(const monster_record& mob, const text_list& menu);

// The tree bank (key D): all gold in hand into the bank, merged with what other nodes wrote
// and saved at once; the bank gold never passes the bank's limit, the rest stays in hand.
void tree_bank(std::string_view branch_line = forest_branch_line);

// The strain of the lights and tablets: Round(Random x (hit points - 1)), at most 100; when
// at least 1, "`%  You lose `4" + h + "`%" + tail and the hit points taken (death at 0).
void lose_some_hit_points(std::string_view tail);
// Random(most) + 1 points of a figure: "`%  You gain `4" + n + "`%" + points, then raise.
void gain_points(int most, std::string_view points, void (*raise)(character_record&, std::int64_t));
