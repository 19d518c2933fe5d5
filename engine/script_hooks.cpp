#include "engine/script_hooks.hpp"

#include "engine/script.hpp"
#include "engine/strings.hpp"

namespace {
bool no_flag_command(std::string_view, std::string_view, const std::string&, std::string_view, std::string_view,
                     int, script_vars&) {
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

exec_flag_command_fn flag_command = no_flag_command;
adjust_script_value_fn adjust_value = add_to_variable;
read_internal_monster_fn internal_monster = no_monster;
read_internal_item_fn internal_item = no_item;
read_creature_file_fn creature_file = no_creatures;
creature_rows_fn rows_of = no_rows;
random_creature_fn pick_creature = no_creature;
mob_to_char_fn make_opponent = no_opponent;
do_combat_fn fight = no_fight;
random_encounter_fn encounter = no_encounter;
place_fn healers = no_place;
place_fn inventory_menu = no_place;
place_fn game_settings = no_place;
register_item_fn registry_add = no_register;
get_item_script_num_fn script_num = unregistered;
add_to_inv_fn inventory_add = push_head;
node_msg_waiting_fn msg_waiting = no_message;
check_node_messages_fn dispatch = no_dispatch;
check_for_random_event_fn random_event = no_event;

template <typename F>
void install(F& slot, F f, F fallback) {
    slot = f ? f : fallback;
}
}  // namespace

void set_exec_flag_command_hook(exec_flag_command_fn f) { install(flag_command, f, &no_flag_command); }
bool hook_exec_flag_command(std::string_view keyword, std::string_view rest, const std::string& file,
                            std::string_view section, std::string_view script_name, int line_number,
                            script_vars& vars) {
    return flag_command(keyword, rest, file, section, script_name, line_number, vars);
}

void set_adjust_script_value_hook(adjust_script_value_fn f) { install(adjust_value, f, &add_to_variable); }
void hook_adjust_script_value(std::string_view target, std::string_view amount, script_vars& vars) {
    adjust_value(target, amount, vars);
}

void set_read_internal_monster_hook(read_internal_monster_fn f) { install(internal_monster, f, &no_monster); }
std::shared_ptr<monster_record> hook_read_internal_monster(const std::string& file, std::int32_t n, script_vars& vars) {
    return internal_monster(file, n, vars);
}

void set_read_internal_item_hook(read_internal_item_fn f) { install(internal_item, f, &no_item); }
std::optional<item_record> hook_read_internal_item(const std::string& file, std::int32_t n, script_vars& vars) {
    return internal_item(file, n, vars);
}

void set_read_creature_file_hook(read_creature_file_fn f) { install(creature_file, f, &no_creatures); }
script_creatures hook_read_creature_file(const std::string& file) { return creature_file(file); }

void set_creature_rows_hook(creature_rows_fn f) { install(rows_of, f, &no_rows); }
std::vector<creature_row> hook_creature_rows(const script_creature_list& list) { return rows_of(list); }

void set_random_creature_hook(random_creature_fn f) { install(pick_creature, f, &no_creature); }
monster_record* hook_random_creature(script_creature_list& list, std::int16_t level) {
    return pick_creature(list, level);
}

void set_mob_to_char_hook(mob_to_char_fn f) { install(make_opponent, f, &no_opponent); }
std::unique_ptr<character_record> hook_mob_to_char(const monster_record& mob) { return make_opponent(mob); }

void set_do_combat_hook(do_combat_fn f) { install(fight, f, &no_fight); }
bool hook_do_combat(character_record& opponent) { return fight(opponent); }

void set_random_encounter_hook(random_encounter_fn f) { install(encounter, f, &no_encounter); }
void hook_random_encounter(std::int16_t kind) { encounter(kind); }

void set_do_healers_hook(place_fn f) { install(healers, f, &no_place); }
void hook_do_healers() { healers(); }
void set_do_inv_hook(place_fn f) { install(inventory_menu, f, &no_place); }
void hook_do_inv() { inventory_menu(); }
void set_display_game_settings_hook(place_fn f) { install(game_settings, f, &no_place); }
void hook_display_game_settings() { game_settings(); }

void set_register_item_hook(register_item_fn f) { install(registry_add, f, &no_register); }
void hook_register_item(const item_record& item) { registry_add(item); }

void set_get_item_script_num_hook(get_item_script_num_fn f) { install(script_num, f, &unregistered); }
std::int32_t hook_get_item_script_num(const item_record& item) { return script_num(item); }

void set_add_to_inv_hook(add_to_inv_fn f) { install(inventory_add, f, &push_head); }
item_record* hook_add_to_inv(inventory_list& items, const item_record& item) { return inventory_add(items, item); }

void set_node_msg_waiting_hook(node_msg_waiting_fn f) { install(msg_waiting, f, &no_message); }
bool hook_node_msg_waiting() { return msg_waiting(); }

void set_check_node_messages_hook(check_node_messages_fn f) { install(dispatch, f, &no_dispatch); }
std::string hook_check_node_messages(std::int16_t raided_guild) { return dispatch(raided_guild); }

void set_check_for_random_event_hook(check_for_random_event_fn f) { install(random_event, f, &no_event); }
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

void list_stub_script_hooks(stub_list& left) {
    note_stub(left, flag_command, &no_flag_command, "exec_flag_command");
    note_stub(left, adjust_value, &add_to_variable, "adjust_script_value");
    note_stub(left, internal_monster, &no_monster, "read_internal_monster");
    note_stub(left, internal_item, &no_item, "read_internal_item");
    note_stub(left, creature_file, &no_creatures, "read_creature_file");
    note_stub(left, rows_of, &no_rows, "creature_rows");
    note_stub(left, pick_creature, &no_creature, "random_creature");
    note_stub(left, make_opponent, &no_opponent, "mob_to_char");
    note_stub(left, fight, &no_fight, "do_combat");
    note_stub(left, encounter, &no_encounter, "random_encounter");
    note_stub(left, healers, &no_place, "do_healers");
    note_stub(left, inventory_menu, &no_place, "do_inv");
    note_stub(left, game_settings, &no_place, "display_game_settings");
    note_stub(left, registry_add, &no_register, "register_item");
    note_stub(left, script_num, &unregistered, "get_item_script_num");
    note_stub(left, inventory_add, &push_head, "add_to_inv");
    note_stub(left, msg_waiting, &no_message, "node_msg_waiting");
    note_stub(left, dispatch, &no_dispatch, "check_node_messages");
    note_stub(left, random_event, &no_event, "check_for_random_event");
}
