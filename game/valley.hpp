// The Valley of Fear, the second realm outside town: the forest's search and keys with nine
// events of its own, among them the brigands' ambush and the nap by the lake, and the key
// "/" that calls on the realms' event scripts.
#pragma once
#include <cstdint>

#include "engine/rules/creatures.hpp"
#include "engine/text/text_file.hpp"

constexpr const char* valley_location = "vValley of Fear";

// Runs the valley until the player goes back to town; see run_realm.
void valley();
// One search (key S) in the valley.
void valley_search(const creature_list& creatures, const text_list& menu);
// Special event e (1-9) of a search, after its heading; any other e does nothing.
void valley_special_event(int e, const text_list& menu);
// The brigands of the ambush: the cave bear of the level under another name and gear.
monster_record brigands(std::int16_t level);
