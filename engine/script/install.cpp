#include "engine/script/install.hpp"

#include "engine/rules/creatures.hpp"
#include "engine/script/creature_hooks.hpp"
#include "engine/script/items_init.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/text/text_init.hpp"

void install_engine() {
    engine_text_init();
    engine_items_init();
    engine_scripts_init();
    engine_creatures_init();
}
