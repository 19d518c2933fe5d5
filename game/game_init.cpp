#include "game/game_init.hpp"

#include "engine/script/script_hooks.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/hooks.hpp"
#include "game/inventory_menu.hpp"
#include "game/menu.hpp"

void game_init() {
    install_menu_poll();
    // One entry to fill for the healers, whether the square or a script sends the player.
    set_do_healers_hook([] { game_hooks.healers(); });
    // The inventory menu, for an item past the limit and for the scripts' INVENTORY.
    set_do_inv_hook(do_inv);
}
