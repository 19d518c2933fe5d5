#include "engine/script/script_hooks.hpp"

#include "engine/script/script.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/hooks.hpp"

namespace {
bool no_flag_command(std::string_view, std::string_view, const std::string&, std::string_view, std::string_view, int,
                     script_vars&) {
    return false;
}

// The variables alone: what ADD can do without the stat adders of the characters.
void add_to_variable(std::string_view target, std::string_view amount, script_vars& vars) {
    int nn = script_var_number(target);
    if (nn == 0) return;
    std::int64_t sum = std::int64_t(str_to_int(vars.get(nn))) + str_to_int(amount);
    vars.set(nn, int_to_str(sum));
}

std::shared_ptr<monster_record> no_monster(const std::string&, std::int32_t, script_vars&) { return nullptr; }
std::optional<item_record> no_item(const std::string&, std::int32_t, script_vars&) { return std::nullopt; }
script_creatures no_creatures(const std::string&) { return nullptr; }
std::vector<creature_row> no_rows(const script_creature_list&) { return {}; }
monster_record* no_creature(script_creature_list&, std::int16_t) { return nullptr; }
std::unique_ptr<character_record> no_opponent(const monster_record&) { return nullptr; }
bool no_fight(character_record&) { return false; }
void no_encounter(std::int16_t) {}
void no_place() {}
void no_register(const item_record&) {}
std::int32_t unregistered(const item_record&) { return -1; }
item_record* push_head(inventory_list& items, const item_record& item) {
    items.push_front(item);
    return &items.front();
}
bool no_message() { return false; }
std::string no_dispatch(std::int16_t) { return ""; }
bool no_event() { return false; }

hook_slot<exec_flag_command_fn> flag_command{no_flag_command, "exec_flag_command"};
hook_slot<adjust_script_value_fn> adjust_value{add_to_variable, "adjust_script_value"};
hook_slot<read_internal_monster_fn> internal_monster{no_monster, "read_internal_monster"};
hook_slot<read_internal_item_fn> internal_item{no_item, "read_internal_item"};
hook_slot<read_creature_file_fn> creature_file{no_creatures, "read_creature_file"};
hook_slot<creature_rows_fn> rows_of{no_rows, "creature_rows"};
hook_slot<random_creature_fn> pick_creature{no_creature, "random_creature"};
hook_slot<mob_to_char_fn> make_opponent{no_opponent, "mob_to_char"};
hook_slot<do_combat_fn> fight{no_fight, "do_combat"};
hook_slot<random_encounter_fn> encounter{no_encounter, "random_encounter"};
hook_slot<place_fn> healers{no_place, "do_healers"};
hook_slot<place_fn> game_settings{no_place, "display_game_settings"};
hook_slot<register_item_fn> registry_add{no_register, "register_item"};
hook_slot<get_item_script_num_fn> script_num{unregistered, "get_item_script_num"};
hook_slot<add_to_inv_fn> inventory_add{push_head, "add_to_inv"};
hook_slot<node_msg_waiting_fn> msg_waiting{no_message, "node_msg_waiting"};
hook_slot<check_node_messages_fn> dispatch{no_dispatch, "check_node_messages"};
hook_slot<check_for_random_event_fn> random_event{no_event, "check_for_random_event"};
}  // namespace

void set_exec_flag_command_hook(exec_flag_command_fn f) { flag_command.set(f); }
bool hook_exec_flag_command(std::string_view keyword, std::string_view rest, const std::string& file,
                            std::string_view section, std::string_view script_name, int line_number,
                            script_vars& vars) {
    return flag_command(keyword, rest, file, section, script_name, line_number, vars);
}

void set_adjust_script_value_hook(adjust_script_value_fn f) { adjust_value.set(f); }
void hook_adjust_script_value(std::string_view target, std::string_view amount, script_vars& vars) {
    adjust_value(target, amount, vars);
}

void set_read_internal_monster_hook(read_internal_monster_fn f) { internal_monster.set(f); }
std::shared_ptr<monster_record> hook_read_internal_monster(const std::string& file, std::int32_t n, script_vars& vars) {
    return internal_monster(file, n, vars);
}

void set_read_internal_item_hook(read_internal_item_fn f) { internal_item.set(f); }
std::optional<item_record> hook_read_internal_item(const std::string& file, std::int32_t n, script_vars& vars) {
    return internal_item(file, n, vars);
}

void set_read_creature_file_hook(read_creature_file_fn f) { creature_file.set(f); }
script_creatures hook_read_creature_file(const std::string& file) { return creature_file(file); }

void set_creature_rows_hook(creature_rows_fn f) { rows_of.set(f); }
std::vector<creature_row> hook_creature_rows(const script_creature_list& list) { return rows_of(list); }

void set_random_creature_hook(random_creature_fn f) { pick_creature.set(f); }
monster_record* hook_random_creature(script_creature_list& list, std::int16_t level) {
    return pick_creature(list, level);
}

void set_mob_to_char_hook(mob_to_char_fn f) { make_opponent.set(f); }
std::unique_ptr<character_record> hook_mob_to_char(const monster_record& mob) { return make_opponent(mob); }

void set_do_combat_hook(do_combat_fn f) { fight.set(f); }
bool hook_do_combat(character_record& opponent) { return fight(opponent); }

void set_random_encounter_hook(random_encounter_fn f) { encounter.set(f); }
void hook_random_encounter(std::int16_t kind) { encounter(kind); }

void set_do_healers_hook(place_fn f) { healers.set(f); }
void hook_do_healers() { healers(); }
void set_display_game_settings_hook(place_fn f) { game_settings.set(f); }
void hook_display_game_settings() { game_settings(); }

void set_register_item_hook(register_item_fn f) { registry_add.set(f); }
void hook_register_item(const item_record& item) { registry_add(item); }

void set_get_item_script_num_hook(get_item_script_num_fn f) { script_num.set(f); }
std::int32_t hook_get_item_script_num(const item_record& item) { return script_num(item); }

void set_add_to_inv_hook(add_to_inv_fn f) { inventory_add.set(f); }
item_record* hook_add_to_inv(inventory_list& items, const item_record& item) { return inventory_add(items, item); }

void set_node_msg_waiting_hook(node_msg_waiting_fn f) { msg_waiting.set(f); }
bool hook_node_msg_waiting() { return msg_waiting(); }

void set_check_node_messages_hook(check_node_messages_fn f) { dispatch.set(f); }
std::string hook_check_node_messages(std::int16_t raided_guild) { return dispatch(raided_guild); }

void set_check_for_random_event_hook(check_for_random_event_fn f) { random_event.set(f); }
bool hook_check_for_random_event() { return random_event(); }

void reset_script_hooks() {
    set_exec_flag_command_hook(nullptr);
    set_adjust_script_value_hook(nullptr);
    set_read_internal_monster_hook(nullptr);
    set_read_internal_item_hook(nullptr);
    set_read_creature_file_hook(nullptr);
    set_creature_rows_hook(nullptr);
    set_random_creature_hook(nullptr);
    set_mob_to_char_hook(nullptr);
    set_do_combat_hook(nullptr);
    set_random_encounter_hook(nullptr);
    set_do_healers_hook(nullptr);
    set_do_inv_hook(nullptr);
    set_display_game_settings_hook(nullptr);
    set_register_item_hook(nullptr);
    set_get_item_script_num_hook(nullptr);
    set_add_to_inv_hook(nullptr);
    set_node_msg_waiting_hook(nullptr);
    set_check_node_messages_hook(nullptr);
    set_check_for_random_event_hook(nullptr);
}
