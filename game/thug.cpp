// The hired thug of the realm choice's ambush, fought as a creature.
#include "game/combat.hpp"

bool thug_fight(const monster_record& thug) {
    std::unique_ptr<character_record> foe = mob_to_char(&thug);
    return do_combat(*foe);
}
