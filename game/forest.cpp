#include "game/forest.hpp"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/script.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/play_hooks.hpp"
#include "engine/text/text_file.hpp"
#include "game/bank.hpp"
#include "game/hooks.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "game/realm.hpp"
#include "game/sage.hpp"

namespace {
// The playing character's level, widened: every figure worked out from it is formed in
// 64 bits and clamped where it is stored.
std::int64_t level() { return me().level; }

// An item of the registry by name and ScriptID; when the registry lacks it (a sysop who
// emptied "items.dat"), the game's own build of it, registered as it is built.
item_record registry_item(std::string_view name, std::string_view script_id, item_record (*build)()) {
    if (std::optional<item_record> i = item_by_scriptid(name, script_id)) return *i;
    return build();
}
item_record healing_potion() { return registry_item("`2Potion of Healing", "PotH-03091997-QZ-N", potion_of_healing); }
item_record life_pendant() { return registry_item("Pendant of Life", "PLif-04111997-QZ-N", pendant_of_life); }
item_record leaf_clover() { return registry_item("`2Four Leaf Clover", "FrLC-03091997-QZ-N", four_leaf_clover); }

// A system message the character sends to itself: carried out when it next reads its mail.
void message_to_self(std::initializer_list<std::string> text) {
    text_list list;
    for (const std::string& l : text) add_desc_line(l, list);
    append_user_file(me().name.view(), list);
}

// ---- Special events ----

void sack_of_gold() {
    std::int64_t most = level() * 400;
    std::int64_t g = random_n(clamp_to<std::int32_t>(most)) + 1;
    disp_line("`9  You find a sack containing " + comma_number(g) + " gold pieces in it.");
    // Gold out of the pot leaves it on file before the player holds it.
    if (game_stats.floating_gold >= most) {
        game_stats.floating_gold = clamp_to<std::int32_t>(std::int64_t(game_stats.floating_gold) - g);
        write_stat_file();
    }
    add_gold(me(), g);
    hit_any_key();
}

// The three lights: a few points of one figure, and up to 100 hit points (never the last).
void light(const std::string& colour_line, const std::string& feeling, const std::string& points,
           void (*raise)(character_record&, std::int64_t)) {
    disp_lines({"`9  You are walking through the forest, whne you are hit by a bolt of", colour_line,
                "  Energy, but you can feel it making you " + feeling + "."});
    gain_points(4, points, raise);
    lose_some_hit_points(" hit points.");
    hit_any_key();
}

void found_gem() {
    disp_line("`9  You find a gem partially hidden under a rock!");
    add_gems(me(), 1);
    hit_any_key();
}

void cave(const text_list& menu) {
    disp_lines({"`9  You stumble across a large cave in the middle of the wilderness.",
                "`9  It is very dark, and smells pretty bad.", ""});
    disp_text("`9  Do you Enter? (`3Y`9/`3N`9) [`%Y`9] : `%");
    if (yes_no_key('Y') == 'Y') {
        disp_line("Y");
        disp_line("");
        disp_line("`9  Entering the cave, you encounter a Huge Grizzley Bear!");
        fight_creature(cave_bear(me().level), menu);
    } else {
        disp_line("N");
        disp_line("");
        disp_line("`9  You guess you'll never know what fortunes could lie in that cave.");
    }
}

// The wish itself, by the well's draw: a message to the character's own mailbox.
void make_a_wish() {
    int w = static_cast<int>(std::clamp<std::int64_t>(random_n(100) + 1 + std::int64_t(me().luck), 1, 100));
    if (w <= 20) {
        std::int64_t b = round_half_even(random_real() * me().bank_gold);
        message_to_self({"#0000 `%Bank Notice :", "We regret to inform you that a mistake had been made in your favor.",
                         "The error has been corrected, and the sum of " + comma_number(b) + " has",
                         "been removed from your balance.  We regret the error being made.", "~",
                         "ADD BNK -" + int_to_str(b)});
    } else if (w <= 40) {
        std::string attack = int_to_str(2 * level()), hit_points = int_to_str(12 * level());
        message_to_self({"#0000 `%Bummbling Move!",
                         "On your way through town, you trip over your own feet and break your",
                         "arm.  You realize that even though the healers can fix it, you will ",
                         "not be as strong as you once were.", "(You lose " + attack + " attack points)",
                         "(You lose " + hit_points + " hit points due to pain)", "~", "ADD CHP -" + hit_points,
                         "ADD ATT -" + attack});
    } else if (w <= 60) {
        std::string k = int_to_str(random_n(clamp_to<std::int32_t>(level())) + 2);
        message_to_self({"#0000 `%Good Fortune!",
                         "On your way back to town, a large bird drops a sack at your feet and",
                         "flies off.  Being curious, you open the sack to reveal ",
                         k + " gems!  All beautifully polished.", "~", "ADD GMS " + k});
    } else if (w <= 80) {
        if (const item_record* weapon = weapon_equipped_ptr(cur_inventory)) {
            std::string k = int_to_str(2 * (std::int64_t(random_n(clamp_to<std::int32_t>(level()))) + 1));
            message_to_self(
                {"#0000 `%Strange Event!", "On your way back to town, a shimmering green light shoots out of the sky",
                 "striking your " + weapon->name.str() + ".  It now feels energized.",
                 "(Your weapon has a +" + k + " bonus)", "~", "ADD MWP " + k, "ADD WPN " + k, "ADD ATT " + k});
        }
    } else {
        std::int64_t gift = 2000 * level();
        message_to_self(
            {"#0000 `%Message from the Royal Family in Dressel :",
             "We have heard of your deeds, and wish you the best of luck in saving",
             "Shamile.  Our treasurer has sent over a small gift of " + comma_number(gift) + " gold to aid you.",
             "(Due to their influence, you gain 4 charm and lose 6 shame)", "~", "ADD CRM 4", "ADD SHM -6",
             "ADD GLD " + int_to_str(gift)});
    }
}

void wishing_well() {
    disp_lines({"`9  You stumble across a small, quaint well nestled deep in the forest.",
                "`9  It has a small wooden sign on it that says `3\"Wishes : 1 gem\"`9.", ""});
    disp_text("`9  Do you throw one in? (`3Y`9/`3N`9) [`%Y`9] : `%");
    bool yes = yes_no_key('Y') == 'Y';
    disp_line(yes ? "Y" : "N");
    disp_line("");
    if (!yes) {
        disp_line("");
        disp_line("`9  You realize you would just be throwing a gem away as wishes dont come true.");
    } else if (!pay_from_purse({0, 1}, [] {
                   make_a_wish();
                   return true;
               })) {
        // The gem on file pays, and the wish is made in the same hold.
        disp_line("  `9You don't have a `4GEM`9 to throw in!");
    } else {
        disp_line("`9  Nothing apparently happens.");
    }
}

void clover() {
    disp_lines({"`9  You curse your bad luck as you trip over an upturned tree root, but when",
                "  you land face down in the mud, you are staring right at a 4-leaf clover.",
                "`%  You gain `21`% luck"});
    adjust_capped_stat(me(), 1);
}

void black_cat() {
    disp_lines({"`9  From out of nowhere, a large black cat streaks across your path.", "`%  You lose `21`% luck"});
    adjust_capped_stat(me(), -1);
}

void church() {
    if (realm_event_script_ready()) {
        hook_run_script(realm_event_script, "2");
        return;
    }
    disp_lines({"`9  You remember hearing the rumor about a new church being formed out in",
                "`9  the forest as you stumble upon a small wooden structure.  It looks like",
                "`9  new construction, but as you get near, you realize it is nothing more",
                "`9  than a blind for hunting deer and other animals.",
                "`9  You think to yourself that the rumors are untrue."});
}

void hag() {
    disp_lines({"`9  You encounter an ugly hag, and when she sees that you are not repulsed by",
                "`9  her appearance, she reaches into her bag and pulls out a vial of liquid."});
    if (me().gems < 1) {
        disp_line("`%  \"Too bad deerie, I can tell you can't afford my goodies.\"");
        return;
    }
    disp_lines({"`9  The old hag speaks:", "`%  \"For the price of `51 gem`% each, I will sell you up to 2 of these",
                "`%  magnificent potions.  You sweet thing, they will come in useful in the",
                "`%  future.  How many would you like?\""});
    std::int64_t wanted = -1;
    while (wanted < 0 || wanted > 2) {
        disp_line("");
        disp_text("`9  How Many? [`%0`9]`% :");
        wanted = read_int();
    }
    if (me().gems < wanted) {
        if (me().gems == 1)
            disp_line("`9  You only have `41 GEM`9!");
        else
            disp_line("`9  You only have `4^CS20 GEMS`9!");
        wanted = std::max<std::int64_t>(me().gems, 0);
    }
    // Paid from the gems on file, then the potions handed over in the same hold: a kill between
    // the two writes costs the gems, never gives the potions for nothing.
    bool paid = false;
    {
        hold_guard hold;
        paid = pay_from_purse({0, wanted});
        for (std::int64_t i = 0; paid && i < wanted; ++i) {
            item_record potion = healing_potion();
            potion.identified = 1;
            disp_line("`!  You now have a " + potion.name.str());
            add_to_inv_NW(cur_inventory, potion);
        }
        if (paid) write_own_inventory();
    }
    if (!paid) disp_line("`%  \"Too bad deerie, I can tell you can't afford my goodies.\"");
    // Too many to carry is asked about once the hold is free.
    if (paid && wanted > 0) carry_or_drop(&cur_inventory.front());
}

void pendant() {
    disp_lines({"`9  You stumble across an old statue of what appears to be an ancient warrior.",
                "`9  You study the statue in awe and notice a glint of sunlight from the statues",
                "`9  neck.  To your surprise, you spot a pendant around his neck."});
    char k = 0;
    while (k != 'Y' && k != 'N') {
        disp_line("");
        disp_text("`9  Do you take it? (`3Y`9/`3N`9) [`%N`9] : `%");
        k = yes_no_key('N');
        echo_inline(k);
    }
    if (k == 'N') {
        disp_line("o.");
        disp_line("`9  You wisely decide it best to leave the statue of the warrior alone.");
        return;
    }
    disp_lines({"es!", "`9  You look around to make sure no-one is watching and you slide the pendant",
                "`9  off the statues neck and into your pouch."});
    item_record p = life_pendant();
    disp_line("`!  You now have the " + p.name.str());
    add_to_inv(cur_inventory, p);
    write_own_inventory();
}

// ---- Travel encounters ----

void wagon() {
    if (has_status_bit(me(), status_met_traveller)) {
        disp_lines({"`9  You are trekking along when you spy a wagon rolling along off in the",
                    "  distance.  When you think you are about to catch it, the wagon disappears", "  into thin air."});
        return;
    }
    disp_line("`9  From out of nowhere, a small wagon appears right in your path.");
    disp_text("  Do you check it out? (`3Y`9/`3N`9) [`%Y`9] : `%");
    if (yes_no_key('Y') == 'Y') {
        disp_lines({"Yes", "", "`9  You slowly make your way to the door of the wagon and enter."});
        hit_any_key();
        ancient_sage();
    } else {
        disp_lines({"No", "`9  You think it best if you left it alone."});
    }
}

void golden_gem() {
    disp_lines({"`9  Glistening off to your right, a golden gem catches your eye.", "`%  (You gain `51`% gem.)"});
    add_gems(me(), 1);
}

void leprechaun() {
    disp_lines({"`9  You stop abruptly as you realize you are face to face with a Leprachaun.",
                "`9  He looks are you with large eyes, and holds out a 4-Leaf clover.  He",
                "`9  puts his hands behind his back and brings out two closed fists and",
                "`9  indicates that you should choose one.  Which do you choose?  Left or Right?"});
    char k = 0;
    while (k != 'R' && k != 'L') {
        disp_line("");
        disp_line("");
        disp_text("`9  Which do you choose? (`3R`9/`3L`9) : `%");
        k = upcase_key(read_key());
        echo_inline(k);
    }
    disp_line(k == 'R' ? "ight" : "eft");
    if (random_n(100) + 1 < std::int64_t(me().luck) + 30) {
        disp_lines({"`!  You picked the correct hand!",
                    "`9  The Leprachaun throws the 4-Leaf clover into the air, and when you look up",
                    "  to catch it, the Leprachaun has vanished without a trace."});
        item_record c = leaf_clover();
        disp_line("  `9(`%You catch the Four-Leaf Clover`9)");
        add_to_inv(cur_inventory, c);
        write_own_inventory();
    } else {
        disp_lines({"`9  The Leprachaun opens up his hand to reveal... nothing!",
                    "`9  after that, the short little guy slowly dematerializes laughing the",
                    "`9  entire time.  His little green hat is the last thing to disappear."});
    }
}

// ---- The forest's menu ----

// The hidden word leads to the trivia question, once a game day.
char forest_word(char k) {
    return hidden_word(k, forest_hidden_word, status_secret1, [] { steal_from_bank(1); });
}

const realm forest_realm{
    .name = "forest",
    .creature_file = forest_creature_file,
    .section = forest_section,
    .location = forest_location,
    .ansi_section = forest_ansi_section,
    .title = "   `2Forest of Wolves : ",
    .empty_message = "  `9Sorry, the forest is `4EMPTY`9.  Perhaps you should return tomorrow.",
    .branch_line = forest_branch_line,
    .events = 14,
    .special_event = forest_special_event,
    .filter_key = forest_word,
};
}  // namespace

void forest_search(const creature_list& creatures, const text_list& menu) {
    realm_search(forest_realm, creatures, menu);
}

void forest_special_event(int e, const text_list& menu) {
    switch (e) {
    case 1: sack_of_gold(); break;
    case 2:
        light("  `1Blue`9 light.  It surrounds you, envelops you, and drains you of your", "tougher",
              " defense points.", add_defense_value);
        break;
    case 3:
        light("  `4Red`9 light.  It surrounds you, envelops you, and drains you of your", "stronger", " attack points.",
              add_attack_value);
        break;
    case 4:
        light("  `2Green`9 light.  It surrounds you, envelops you, and drains you of your", "more agile",
              " damage reduction points.", add_shield_value);
        break;
    case 5: found_gem(); break;
    case 6: cave(menu); break;
    case 7: wishing_well(); break;
    case 8: clover(); break;
    case 9: black_cat(); break;
    case 10: random_encounter(1); break;
    case 11: church(); break;
    case 12: random_encounter(3); break;
    case 13: hag(); break;
    case 14: pendant(); break;
    default: break;
    }
}

monster_record cave_bear(std::int16_t lvl) {
    // Sums over i = 1 .. L-1 of k * i are k * L * (L - 1) / 2.
    std::int64_t L = lvl, pairs = L * (L - 1) / 2;
    monster_record m;
    m.name = "Huge Grizzly Bear";
    m.level = lvl;
    m.attack = clamp_to<std::int16_t>(14 + 14 * pairs);
    m.defense = clamp_to<std::int16_t>(3 + 3 * pairs);
    m.shield_value = clamp_to<std::int16_t>(std::min<std::int64_t>(15 + 3 * pairs, 87));
    m.hit_points = clamp_to<std::int16_t>(24 + 24 * pairs);
    m.weapon = "Big Black Paw";
    m.armour = "Big Fur Coat";
    m.death_text = "RRRRRRRRRRRRRRRRRrrrrrrrrrrrrrrrr...";
    m.gold = clamp_to<std::int32_t>(200 * L);
    m.experience = clamp_to<std::int32_t>(40 * L);
    m.strength = clamp_to<std::int32_t>(56 * L);
    return m;
}

void random_encounter(std::int16_t kind) {
    if (!cur_char) return;
    if (kind == 0) {
        randomize();
        kind = static_cast<std::int16_t>(random_n(3) + 1);
    }
    switch (kind) {
    case 1: wagon(); break;
    case 2: golden_gem(); break;
    case 3: leprechaun(); break;
    default: break;
    }
}

void forest() { run_realm(forest_realm); }

void game_forest_init() {
    game_hooks.forest = forest;
    set_random_encounter_hook(random_encounter);
}
