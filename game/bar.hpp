// The bar of The Stout Mug and the yard behind it: Paully the bartender with his gem lore
// and his luck machine, Daisy the waitress and her drinks, and the meeting where Shady
// hands over a bow.
#pragma once
#include <cstdint>
#include <string>

#include "engine/text/text_file.hpp"
#include "game/menu.hpp"

// The bow behind the tavern (it blocks for its key): Y pays level x 375 or meets Bruno's
// men, N walks away; either ends the meeting.
void bow_menu();
// Paully: the gem lore (G) and the luck machine for 2 gems (Y).
void bartender();
// Daisy: one drink, or none for a character already drunk.
void waitress_drinks();
// The gold in hand pays the price; otherwise Daisy's excuse is shown and false returned.
bool drink_price_check(std::int64_t price);
// Daisy's excuse; false.
bool drink_price_refused();

// The price of the bow for a level: 375 a level, nothing for a level below 1.
std::int64_t bow_price(std::int16_t level);

// A loop of the tavern's menus: the title, the section's keys and the default key; it ends
// only by its own keys.
menu_loop tavern_loop(std::string title, std::string keys, char default_key, menu_poll poll);
// The key every tavern menu shares besides V, F and R (which the menu loop answers): ? the
// section text. True when the key was it.
bool tavern_common_key(char k, const text_list& text);
