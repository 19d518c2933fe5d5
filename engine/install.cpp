#include "engine/install.hpp"

#include "engine/creatures.hpp"
#include "engine/items_init.hpp"
#include "engine/script_runner.hpp"
#include "engine/text_init.hpp"

void install_engine() {
    engine_text_init();
    engine_items_init();
    engine_scripts_init();
    engine_creatures_init();
}
