// Hooks through which items, screens and menu loops of the engine reach parts of the game
// that other units provide: the inventory menu, the script runner, today's news and the
// message-queue check of the menu loops. Each is a plain function pointer with a setter; passing null restores the
// safe default.
#pragma once
#include <cstdint>
#include <string_view>

#include "engine/text/text_file.hpp"

// Runs a script file with a parameter line (an item's event: "items/<n>.scr" and "USE").
// The script runner installs run_script. Default: nothing runs (logged in full debug mode).
// The caller's inventory menu (the game installs do_inv): an item added past the limit of
// 12 and the scripts' INVENTORY open it. Default: nothing.
using place_fn = void (*)();
void set_do_inv_hook(place_fn f);
void hook_do_inv();

using run_script_fn = void (*)(std::string_view file, std::string_view params);
void set_run_script_hook(run_script_fn f);
void hook_run_script(std::string_view file, std::string_view params);

// Appends one item of lines to today's news. The news unit installs add_news.
// Default: nothing.
using add_news_fn = void (*)(const text_list& lines);
void set_add_news_hook(add_news_fn f);
void hook_add_news(const text_list& lines);

// The check that a menu loop's key wait makes between polls. polls is the loop's count of
// 10 ms polls without a key, already raised by one; the installed check compares it with
// check_frequency and, when it is due, sets it back to 0 and looks at the player's message
// queue (dispatching one message), or else, when random_events is set, at the random
// events. It returns true when it showed something, so the loop's prompt is due again.
// The message-queue unit installs it. Default: nothing, false.
using menu_poll_fn = bool (*)(std::int32_t& polls, bool random_events);
void set_menu_poll_hook(menu_poll_fn f);
bool hook_menu_poll(std::int32_t& polls, bool random_events);

// The key wait of every menu loop: polls for a key (10 ms a poll), running the check above
// between polls. Returns the key, or 0 when the check showed something before a key came
// (the caller shows its prompt again and waits anew with the same counter). Once the
// caller is gone the door kit ends the program, or (while a hold is raised) Enter is read.
char menu_poll_key(std::int32_t& polls, bool random_events = true);
