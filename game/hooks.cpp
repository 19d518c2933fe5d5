#include "game/hooks.hpp"

game_hook_table game_hooks;

void reset_game_hooks() { game_hooks = game_hook_table{}; }

void list_stub_places(stub_list& left) {
    // A new entry must be listed here too, or the table's size no longer matches.
    static_assert(sizeof(game_hook_table) == 30 * sizeof(place_fn));
    const game_hook_table stubs;
    auto note = [&left, &stubs](auto entry, std::string_view name) {
        if (game_hooks.*entry == stubs.*entry) left.push_back(name);
    };
    note(&game_hook_table::auto_maintenance, "auto_maintenance");
    note(&game_hook_table::daily_maintenance, "daily_maintenance");
    note(&game_hook_table::update_item_data, "update_item_data");
    note(&game_hook_table::read_event_file, "read_event_file");
    note(&game_hook_table::clear_in_event, "clear_in_event");
    note(&game_hook_table::read_news, "read_news");
    note(&game_hook_table::post_announcement, "post_announcement");
    note(&game_hook_table::conversation_board, "conversation_board");
    note(&game_hook_table::mail_waiting, "mail_waiting");
    note(&game_hook_table::read_mail, "read_mail");
    note(&game_hook_table::send_mail, "send_mail");
    note(&game_hook_table::thug_fight, "thug_fight");
    note(&game_hook_table::forest, "forest");
    note(&game_hook_table::valley, "valley");
    note(&game_hook_table::mountain, "mountain");
    note(&game_hook_table::inn, "inn");
    note(&game_hook_table::tavern, "tavern");
    note(&game_hook_table::healers, "healers");
    note(&game_hook_table::masters_house, "masters_house");
    note(&game_hook_table::bank, "bank");
    note(&game_hook_table::weapon_shop, "weapon_shop");
    note(&game_hook_table::shield_shop, "shield_shop");
    note(&game_hook_table::armour_shop, "armour_shop");
    note(&game_hook_table::other_realms, "other_realms");
    note(&game_hook_table::guild_area, "guild_area");
    note(&game_hook_table::guild_hall, "guild_hall");
    note(&game_hook_table::build_guild_hall, "build_guild_hall");
    note(&game_hook_table::raid_guild_hall, "raid_guild_hall");
    note(&game_hook_table::player_fight_menu, "player_fight_menu");
    note(&game_hook_table::chat_room, "chat_room");
}
