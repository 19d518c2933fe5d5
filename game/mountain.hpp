// The Mountain of Lore, the third realm outside town: the forest's search and keys with eight
// events of its own, among them the tablets of power and the strange bird whose sixth visit
// brings the dryad's test. The bird's count and the test's outcome stay in the player's flag
// file for the sysop's scripts.
#pragma once
#include "engine/rules/creatures.hpp"
#include "engine/text/text_file.hpp"

constexpr const char* mountain_location = "mMountain of Lore";
// The flags of the player's flag file, section FLAGS, never expiring.
constexpr const char* bird_watch_flag = "mountain_bird_watch";
constexpr const char* dryad_test_flag = "MOUNTAIN_DRYAD_TEST";

// Runs the mountain until the player goes back to town; see run_realm.
void mountain();
// One search (key S) on the mountain.
void mountain_search(const creature_list& creatures, const text_list& menu);
// Special event e (1-8) of a search, after its heading; any other e does nothing.
void mountain_special_event(int e, const text_list& menu);
// The dryad's test: her section, the gift asked for until one is made or refused, the
// outcome stored in MOUNTAIN_DRYAD_TEST and judged.
void dryad();
