#include "engine/script/creature_hooks.hpp"

#include <memory>
#include <string>
#include <vector>

#include "engine/rules/creatures.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/text/item_hooks.hpp"

namespace {
script_creatures script_read_creatures(const std::string& file) {
    auto loaded = std::make_shared<script_creature_list>();
    read_creature_file(file, loaded->creatures, true);
    return loaded;
}

std::vector<creature_row> script_creature_rows(const script_creature_list& list) {
    std::vector<creature_row> rows;
    for (const monster_record& m : list.creatures) rows.push_back({m.level, m.name.str(), m.experience, m.strength});
    return rows;
}

monster_record* script_random_creature(script_creature_list& list, std::int16_t level) {
    return const_cast<monster_record*>(random_creature(level, list.creatures));
}
}  // namespace

void engine_creatures_init() {
    set_is_mob_hook(is_mob);
    set_read_creature_file_hook(script_read_creatures);
    set_creature_rows_hook(script_creature_rows);
    set_random_creature_hook(script_random_creature);
}
