#include "game/new_char.hpp"

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/rules/items.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/text_file.hpp"
#include "game/caller.hpp"
#include "game/menu.hpp"
#include "game/town.hpp"

const class_entry class_table[6] = {
    {"Warrior",
     class_warrior,
     'K',
     "`3  (`#K`3)ill, kill, and `4KILL`3.",
     "`4DREAD LORD WARRIORS",
     {"`3 They live to destroy those who would get in the way of their goal,",
      "`3 or those who would question their goals.  (Since they don't know", "`3 what a goal is...)"}},
    {"Mage",
     class_mage,
     'B',
     "`3  (`#B`3)ooks, beakers and `4BOOMS`3.",
     "`4MERCILESS MERLYNN MAGES",
     {"`3 They are those who can make fire dance from their fingers,",
      "`3 (and usually get burned by it) and those who can put a vicious monster",
      "`3 to sleep with but their words (with a long boring speech about their magic.)"}},
    {"Thief",
     class_thief,
     'L',
     "`3  (`#L`3)ie, cheat, and `4STEAL`3.",
     "`4TACTFUL TRICKY THIEVES",
     {"`3 They are those nice, dressed up business executives and politicians",
      "`3 who weren't nasty enough to work in the government, who will stab",
      "`3 their own mother in the back when they go to hug them."}},
    {"Healer",
     class_healer,
     'H',
     "`3  (`#H`3)elp, help, and `4HELP`3.",
     "`4HEARTY HOLY HEALERS",
     {"`3 They are such that all life is sacred to them, as long as it",
      "`3 is their own.  They have learned a way of healing, and can use",
      "`3 it freely, as long as it serves their purposes."}},
    {"Ranger",
     class_ranger,
     'T',
     "`3  (`#T`3)alk & listen to the `4ANIMALS`3.",
     "`4REALLY RIGHTFUL RANGERS",
     {"`3 They are the ones who will sit outside and talk to the animals.",
      "`3 one ranger is quoted as saying that the birds can always guide you",
      "`3 to where you want, so you are never lost when birds are around."}},
    {"Paladin",
     class_paladin,
     'C',
     "`3  (`#C`3)onfuse Enemies by `4HELPING`3 them when they're down.",
     "`4PRISTINE PALADIN POSSE",
     {"`3 They are a weird mix of noble heroes who will help their enemies",
      "`3 if they need it, but if you really upset a P.P., he will take you out.",
      "`3 They have learned a few of the healing arts to match their fighting prowess."}},
};

namespace {

int class_index_of_key(char key) {
    for (int i = 0; i < 6; ++i)
        if (class_table[i].key == key) return i;
    return -1;
}

std::string ask_name() {
    for (;;) {
        disp_line("");
        disp_text("`%>`3");
        // Blanks around a name would let two names look alike.
        std::string name = upcase_str(trim_blanks(read_line()));
        // The names of characters made on other nodes meanwhile count too.
        refresh_char_file();
        std::vector<std::string> refusal = name_refusal(name);
        if (!refusal.empty()) {
            for (const std::string& l : refusal) disp_line(l);
            continue;
        }
        char k = ask_key({}, "`9Go by the name : `%" + name + "`9? (`3Y`9/`3N`9) [`%Y`9] :`%", 'Y', "YN");
        if (k == 'Y') return name;
        disp_line("`9Put down the name you `4REALLY`9 want to go by then.");
    }
}

bool has_control_byte(std::string_view s) { return controls_to_dots(s) != s; }

item_record starting_item(const char* name, const char* script_id, std::int16_t position, std::int16_t power) {
    if (auto registered = item_by_scriptid(name, script_id)) {
        item_record item = *registered;
        item.equipped = 1;
        return item;
    }
    return plain_equipment(name, position, power, 100);
}
}  // namespace

character_record new_character_record(const std::string& name, int class_index, std::int16_t sex) {
    character_record c;
    c.name = name;
    c.real_name = caller_bbs_name();
    c.sex = sex;
    c.class_bits = class_table[class_index].bit;
    c.attack = 10;
    c.defense = 6;
    c.shield_value = 2;
    c.charm = 1;
    c.shame = 0;
    c.luck = 0;
    c.guild = 0;
    c.status_bits = 0;
    c.hit_points = 20;
    c.max_hit_points = 20;
    c.weapon_power = 0;
    c.weapon_name = "Nothing";
    c.armour_power = 0;
    c.armour_name = "Nothing";
    c.shield_power = 0;
    c.shield_name = "Nothing";
    c.gold = 500;
    c.bank_gold = 0;
    c.gems = 0;
    c.transfers_today = 0;
    c.experience = 1;
    c.level = 1;
    c.skill_uses_per_day = 3;
    c.skill_uses_left = 3;
    c.location = "";
    for (int i = 0; i < 6; ++i) c.skill_percent[i] = (i == class_index) ? 5 : 1;
    c.created_text = date_time_str();
    // One day behind, so that the first entry runs the new-day reset at once.
    c.last_day = clamp_to<std::int16_t>(std::int64_t(game_stats.day) - 1);
    c.created_time = unix_time_now();
    c.net_address = game_stats.net_address.view();
    c.death_day = 0;
    c.creature_fights_left = game_stats.creature_fights;
    c.player_fights_left = game_stats.player_fights;
    c.dead = 0;
    c.sleeping_inn = 0;
    c.sleeping_guild = 0;
    c.online = 0;
    return c;
}

void give_starting_items(inventory_list& items) {
    add_to_inv(items, starting_item("Stick", "WP01-05081997-QZ-N", pos_weapon, 2));
    add_to_inv(items, starting_item("Tunic", "AR01-05081997-QZ-N", pos_armor, 2));
    add_to_inv(items, starting_item("Sleeve", "SD01-05081997-QZ-N", pos_shield, 1));
}

void tell_fellow_students(const character_record& c) {
    text_list letter;
    add_desc_line("#0000 `%System Message", letter);
    add_desc_line("  `3You come to find out there is a new student under your master.", letter);
    add_desc_line("  `m will now also be the master for `4" + proper_case(c.name.view()), letter);
    add_desc_line("  `3Give " + std::string(object_word(c.sex)) + " a hand in getting started.", letter);
    add_desc_line("~", letter);
    int master = alias_index(c.name.view());
    for (const character_record& other : char_list)
        if (&other != &c && other.number != c.number && alias_index(other.name.view()) == master)
            append_mailbox(other.number, letter);
    deldesc(letter);
}

bool save_new_character(character_record& rec) {
    // Under the hold on a fresh read of "players.dat": two callers creating characters at
    // once on two nodes never get one name or one number.
    bool taken = false;
    update_under_hold([&] {
        if (char_full_name_ptr(rec.name.view())) {
            taken = true;
            return;
        }
        rec.number = lowest_free_char_number();
        clear_leftover_files(rec.number);
        cur_char = add_char(rec);
    });
    return !taken;
}

character_record* new_character() {
    debug_enter("Entering new_character");
    if (has_control_byte(caller_bbs_name())) {
        // The BBS name is the key that finds the character again; the caller cannot retype it.
        disp_line("`9  Your BBS name holds a control key, so no character can be made for it.  Please inform SysOp.");
        debug_leave("Leaving new_character");
        return nullptr;
    }
    character_record by_name;
    by_name.real_name = caller_bbs_name();
    if (is_mob(by_name)) {
        // The game marks its creatures with these names: such a character would be fought as one.
        disp_line(
            "`9  Your BBS name is one the game keeps for its creatures, so no character can be made for it.  Please "
            "inform SysOp.");
        debug_leave("Leaving new_character");
        return nullptr;
    }
    disp_line("`c");
    disp_line("`!         Welcome to the Realm of the Quorvath");
    disp_line(separator_line());
    disp_line("`9  I have no record of any player with your name.  Would you dare to");
    disp_line("  enter this realm of magic, mysticism and danger?");
    if (ask_key({"", "  `3(`#Y`3)es", "  `3(`#N`3)o", ""}, "`9 Enter this Realm? [`%Y`9] :`%", 'Y', "YN") == 'N') {
        debug_leave("Leaving new_character");
        return nullptr;
    }

    disp_line("`c`9");
    disp_line("`!         Getting information about new character");
    disp_line(separator_line());
    disp_line("`9  By what name do you wish to be called in this realm?");
    std::string name = ask_name();

    disp_line("`9Going by the name : `%" + name);
    disp_line("");
    disp_line("  How would you characterize yourself? ");
    for (const char* k = class_menu_order; *k; ++k) disp_line(class_table[class_index_of_key(*k)].menu_line);
    char key = ask_key({}, "`9Make your choice... (`3K`9/`3B`9/`3L`9/`3H`9/`3C`9/`3T`9) :`%", '\r', class_menu_order);
    int cls = class_index_of_key(key);

    randomize();
    disp_line(std::string("`9With that mentality, you'll fit right in with the ") + class_table[cls].group + "`9.");
    for (const char* l : class_table[cls].lines) disp_line(l);

    if (random_n(100) + 1 < 5) {
        char k = ask_key({""}, "`9Wouldn't you rather be a lawyer? : (`3Y`9/`3N`9) [`%N`9] :`%", 'N', "YN");
        if (k == 'Y') {
            disp_line("`9There is no place in this realm for such a profession.");
            disp_line("`9Choose a `4REAL`9 one next time.");
            end_prog(exit_normal);
        }
        disp_line("`9Good, you should fit `4RIGHT`9 in in this realm.");
    }

    char sex_key = ask_key({""}, "`9Choose your gender : (`3M`9/`3F`9) [`%M`9] :`%", 'M', "MF");
    character_record rec = new_character_record(name, cls, sex_key == 'M' ? 1 : 2);

    while (!save_new_character(rec)) {
        for (const std::string& l : name_in_use_lines()) disp_line(l);
        rec.name = ask_name();
    }

    del_inv(cur_inventory);
    give_starting_items(cur_inventory);
    write_inventory(cur_char->number, cur_inventory);
    tell_fellow_students(*cur_char);
    debug_leave("Leaving new_character");
    return cur_char;
}
