#include "game/sage.hpp"

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <string>

#include "door/door.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/text_file.hpp"
#include "game/menu.hpp"
#include "game/skills.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

void history() {
    disp_line("");
    disp_line("`9  The Sage begins to speak to you :");
    disp_lines({"`%  \"I can sense that you are from the town of Shamile.  These days, that is",
                "  a tough place to live.  I know of the plague upon the land which has been",
                "  brought forth by the coming of the quorvath.  I know not its origin, just the",
                "  vast complications associated with its arrival.  It has not been a good time",
                "  for any town.  People have turned up missing, others have become crazier",
                "  than a court jester.  Other things that have happened are creatures of all",
                "  types getting larger and more aggressive, those things that most have been",
                "  calling \"gems\" have started appearing as well.  Most are not aware of what",
                "  their true nature is.  Believe it or not, those \"gems\" are a waste product",
                "  created by the operation of the quorvath.  I believe that the key to",
                "  eliminating the threat the quorvath poses is locked within its \"gems\".",
                "  Alas, I must be on my way now.  We will see each other again.\""});
}

void quorvath_lore() {
    disp_line("");
    disp_line("`9  The Sage begins to speak to you :");
    disp_lines({"`%  \"The Quorvath seems to appear randomly from time to time, noone can really",
                "  know where it will be at any point in time, but it is said that those who",
                "  have entered it seem to have a keen sense to find it again if they are",
                "  still alive.  Unfortunately, the only living people who have entered the",
                "  quorvath are too crazy to be of any use in locating it.  The graveyard south",
                "  of town seems to be a favored locale, perhaps due to its lack of normal",
                "  population.  Take care my child, we will meet again.\""});
}

// S: true when the visit ends.
bool look_up_player() {
    disp_line("");
    disp_lines({"`9  The Sage looks at you with a disappointed look.",
                "`%  \"If that is what you wish to know about, so be it.", "`%  Who is it you wish to know about?\""});
    disp_text("  `9: `3");
    std::string part = read_line();
    character_record* who = char_name_ptr(part);
    if (!who) {
        disp_line("  `%\"My friend, you must be mistaken, for there is no person who goes");
        disp_line("  by that name in this land.\"");
        return false;
    }
    sage_lookup_screen(*who);
    hit_any_key();
    disp_line("`%  \"I am needed elsewhere, good luck to you.\"");
    return true;
}

// The sage's answer to a purse without four gems; false.
bool gems_short() {
    disp_line("  `%\"I am sorry, but I need to harness the energies of these gems");
    disp_line("  to instruct you in the skills.\"");
    return false;
}

// C: true when the visit ends.
bool learn_class_skill() {
    disp_line("");
    disp_line("`%  \"If you wish to become more proficient in any class, I must ask you");
    disp_line("  for four gems in advance.\"");
    disp_text("  `9Is this still what you wish to know about? (`3Y`9/`3N`9) [`%Y`9] : `%");
    char k = upcase_key(read_key());
    if (k == 'N') {
        write_line("No.");
        return false;
    }
    write_line("Yes.");
    if (cur_char->gems < 4) {
        return gems_short();
    }
    int cls = 0;
    while (cls == 0) {
        disp_line("");
        for (int c = 1; c <= 6; ++c)
            disp_line("`3  (`#" + std::string(1, class_letters[c - 1]) + "`3)" + std::string(class_name(c)).substr(1));
        disp_text("`9  Which class do you wish to learn more about? :`% ");
        cls = class_of_letter(read_key());
    }
    write_line(std::string(class_name(cls)));
    // The gems on file pay, and the skill is learnt in the same write.
    bool paid = pay_from_purse({0, 4}, [&] {
        std::int16_t& pct = cur_char->skill_percent[cls - 1];
        int gain = class_bit_set(*cur_char, class_letters[cls - 1]) ? 4 : 2;
        // Never past the masters' ceiling: a change of study sets the level to percentage / 5.
        pct = static_cast<std::int16_t>(std::max<int>(pct, std::min<int>(pct + gain, sage_percent_cap)));
        return true;
    });
    if (!paid) {
        return gems_short();
    }
    disp_line("");
    disp_lines({"`9  The Ancient Sage takes the gems from you and places them in a diamond",
                "  shaped pattern on the table in front of you, and one by one, he places",
                "  his hand on each gem then upon your forehead.  When he is done, the image",
                "  of you using your new skill fills your mind.",
                "  `%\"That should do it.  Now I must leave to attend to other duties.\""});
    return true;
}
}  // namespace

void sage_lookup_screen(const character_record& x) {
    std::string name = proper_case(x.name.view());
    disp_line("`9  The Sage conjures up an image of " + name + " and");
    disp_line("  allows you to examine it.  You learn everything you need to know.");
    hit_any_key();
    disp_line("`c`9  Character Statistics for " + name + "`%:");
    disp_line(long_rule);
    inventory_list items;
    read_inventory(x.number, items);
    auto thing = [](item_record* i) { return i ? i->name.str() : std::string("Nothing"); };
    auto row = [](const std::string& left, const std::string& value, const std::string& right) {
        disp_line(left + pad_right(value, 22) + right);
    };
    row("`9  Name            : `%", name, "`9Level         : `%" + int_to_str(x.level));
    row("`9  Experience      : `%", comma_number(x.experience), "`9Gold          : `%" + comma_number(x.gold));
    row("`9  Creature Fights : `%", int_to_str(x.creature_fights_left),
        "`9Bank Gold     : `%" + comma_number(x.bank_gold));
    row("`9  Player Fights   : `%", int_to_str(x.player_fights_left), "`9Charm         : `%" + int_to_str(x.charm));
    row("`9  Weapon Name     : `%", thing(weapon_equipped_ptr(items)), "`9Attack Value  : `%" + int_to_str(x.attack));
    row("`9  Armor Name      : `%", thing(armor_equipped_ptr(items)), "`9Defense Value : `%" + int_to_str(x.defense));
    row("`9  Shield Name     : `%", thing(shield_equipped_ptr(items)),
        "`9Shield Value  : `%" + int_to_str(x.shield_value));
    disp_line("`9  Hit Points      : `%" +
              pad_right(int_to_str(x.hit_points) + " `9/ `%" + int_to_str(x.max_hit_points), 26) +
              "`9Gems          : `%" + int_to_str(x.gems));
    disp_line("`9  Skill Use Points: `%" + pad_left(int_to_str(x.skill_uses_left), 2) + "`9 /`% " +
              pad_left(int_to_str(x.skill_uses_per_day), 2) + "               `9Master        : `%" +
              alias_name(x.name.view()));
    if (guild_num_ptr(x.guild))
        disp_line("`9  Guild           : `%" + guild_name_of(x));
    else
        disp_line("");
    disp_line("`9  " + upcase_first(possessive_word(x.sex)) + " Skill Percentages`% :");
    disp_line("`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-");
    for (int c = 1; c <= 6; ++c) {
        std::int16_t pct = x.skill_percent[c - 1];
        if (pct <= 1) continue;
        std::string padded = pad_right(class_name(c), 16);
        std::string value = pad_left(int_to_str(pct), 2) + "%";
        if (class_bit_set(x, class_letters[c - 1]))
            disp_line("`%  " + padded + "`3: `%" + value);
        else
            disp_line("`3  " + padded + ": `%" + value);
    }
    del_inv(items);
}

void ancient_sage() {
    if (!cur_char) return;
    text_list text;
    read_menu_text(text_file_name, "traveller", text);
    std::string keys = prep_menu_text(text);
    if (!own_status_bit2()) dispdesc(text);
    menu_loop m;
    m.title = "`9   The Wagon of the Ancient Sage`%:";
    m.keys = keys;
    // The wagon is met wherever the player is; it ends only by the player's choice.
    m.level = std::numeric_limits<std::int16_t>::min();
    m.poll = menu_poll::none;
    m.common_keys = "VFR";
    m.default_key = [] { return 'L'; };
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': return false;
        case '?': dispdesc(text); break;
        case 'H': history(); return false;
        case 'M': quorvath_lore(); return false;
        case 'S': return !look_up_player();
        case 'C': return !learn_class_skill();
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
    if (!has_status_bit(*cur_char, status_met_traveller)) toggle_status_bit(*cur_char, status_met_traveller);
    deldesc(text);
    disp_line("`9  You leave the wagon of the ancient sage, and turn back to look upon");
    disp_line("  it one last time, and the wagon has disappeared.");
}
