#include "game/hooks.hpp"

game_hook_table game_hooks;

void reset_game_hooks() { game_hooks = game_hook_table{}; }
