// The fight of the playing character against one opponent on the caller's terminal: a
// creature of a realm, the hired thug, a master's test monster (BBS name "MOB LEVEL-FIGHT"),
// a guild guardian, or a player who is away, all held as character-shaped records.
//
// The fight always works on its own copy of the opponent, which `opponent` points at while
// it runs, so nothing the fight does (a refresh of "players.dat", a script) can leave it
// holding a record that has gone. A monster's copy is handed back to the caller's record
// when the fight ends (the masters' house reads the test monster's hit points); a player
// opponent is found again by number in "players.dat" whenever the fight changes it.
//
// Damage is a 32-bit number everywhere; hit points stay within their 16-bit field.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/rules/creatures.hpp"
#include "engine/store/records.hpp"

// A creature turned into a character-shaped opponent, its attack, defense, shield value and
// hit points scaled by the MOB_DIFFICULTY_MULT tunable. Null for a null creature.
std::unique_ptr<character_record> mob_to_char(const monster_record* mob);

// Runs the whole fight against a copy of foe. True unless the player left it (a successful
// run, an escape by a class skill, a grab of gold). A death of the playing character ends
// the program inside (except against a master's test monster, which leaves it at 0 hit
// points). Needs a playing character; false without one.
bool do_combat(character_record& foe);

// One exchange: the player attacks; when the opponent still stands it strikes back. True
// when the fight is over.
bool combat_round(character_record& foe);
// The player's to-hit roll and damage; the application of the player's damage, with the
// rewards of a win.
void player_attacks(character_record& foe);
void player_hits(character_record& foe, std::int32_t damage);
// The opponent's to-hit roll and damage to the player.
void monster_attacks(character_record& foe);
// Takes the opponent's damage from the player and handles a death.
void player_death(std::int32_t damage, character_record& foe);

// The three endings of a death, by the kind of opponent.
void master_fight_failed(const character_record& foe);
[[noreturn]] void news_monster_kill(const character_record& foe);
[[noreturn]] void player_attacked_message(const character_record& foe);

// The opponent is a master's test monster.
bool is_level_fight(const character_record& foe);

// The realm choice's ambush: the hired thug as a creature, fought; true unless the player
// left the fight.
bool thug_fight(const monster_record& thug);

// Installs the fight into the engine's hooks: is_mob and the creature files
// (engine_creatures_init), the script interpreter's mob_to_char and do_combat, and the
// town's thug fight (game_hooks.thug_fight). The game's main calls it after game_init.
void game_combat_init();
