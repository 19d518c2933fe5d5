#include "engine/text/play_hooks.hpp"

#include <string>

#include "door/door.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/text/hooks.hpp"

namespace {
void no_script(std::string_view file, std::string_view params) {
    debug_log("No script runner for " + std::string(file) + " " + std::string(params));
}
void no_news(const text_list&) {}
bool no_poll(std::int32_t&, bool) { return false; }
void no_place() {}

hook_slot<run_script_fn> run_script_hook{no_script, "run_script"};
hook_slot<add_news_fn> add_news_hook{no_news, "add_news"};
hook_slot<menu_poll_fn> menu_poll_hook{no_poll, "menu_poll"};
hook_slot<place_fn> inventory_menu_hook{no_place, "do_inv"};
}  // namespace

void set_do_inv_hook(place_fn f) { inventory_menu_hook.set(f); }
void hook_do_inv() { inventory_menu_hook(); }

void set_run_script_hook(run_script_fn f) { run_script_hook.set(f); }
void hook_run_script(std::string_view file, std::string_view params) { run_script_hook(file, params); }

void set_add_news_hook(add_news_fn f) { add_news_hook.set(f); }
void hook_add_news(const text_list& lines) { add_news_hook(lines); }

void set_menu_poll_hook(menu_poll_fn f) { menu_poll_hook.set(f); }
bool hook_menu_poll(std::int32_t& polls, bool random_events) { return menu_poll_hook(polls, random_events); }

char menu_poll_key(std::int32_t& polls, bool random_events) {
    while (!key_waiting()) {
        // The caller is gone while a hold is raised: read_key gives Enter at once.
        if (carrier_lost || !carrier_present) break;
        ++polls;
        // What the poll shows comes below the waiting prompt, which is drawn again after it.
        bool shown = false;
        below_prompt([&] { shown = hook_menu_poll(polls, random_events); });
        if (shown) return 0;
    }
    char k = read_key();
    return k == 0 ? '\r' : k;
}
