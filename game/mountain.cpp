#include "game/mountain.hpp"

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/script.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "game/forest.hpp"
#include "game/inventory_menu.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "game/realm.hpp"

namespace {
std::string own_flag_file() { return flag_file_name(me().number); }

void chest() {
    std::int64_t g = random_n(clamp_to<std::int32_t>(std::int64_t(me().level) * 600)) + 1;
    disp_line("`9  You find a small chest containing " + comma_number(g) + " gold pieces in it.");
    add_gold(me(), g);
    hit_any_key();
}

// A tablet of power: the strain of the ritual first, then the figure it raises.
void tablet(const std::string& growing, std::string_view loss_tail, std::string_view points,
            void (*raise)(character_record&, std::int64_t)) {
    disp_lines({"`9  You are making your way around the mountain when your foot catches",
                "  on something, making you trip.  You scrape away some snow and ice and",
                "  discover a large, flat stone with carvings in it.  You recognize it as",
                "  one of the ancient tablets of power rumored to be scattered about the realm.",
                "  Knowing this to be a beneficial magic, you read the text aloud.",
                "  As you are basked in energy, you feel yourself growing " + growing + "."});
    lose_some_hit_points(loss_tail);
    gain_points(8, points, raise);
    hit_any_key();
}

void bird_watch() {
    std::int64_t v = parse_whole(return_flag(bird_watch_flag, own_flag_file(), flags_section_name)).value_or(0);
    v = std::max<std::int64_t>(v, 0) + 1;
    if (v <= 3) {
        disp_lines({"`9  You notice a strangly colored bird watching your movement from",
                    "  a distance.  After you have gotten a good look at it, it drops",
                    "  a gem from its mouth and flies away.", "`9  (`%You find a Gem`9)"});
        add_gems(me(), 1);
    } else if (v <= 5) {
        disp_lines({"`9  You see before you an apparition of a beautiful woman in silken",
                    "  robes.  She gestures toward you and speaks to you in your head.",
                    "`%  \"You will be tested.  Do not let the promise of reward at the",
                    "  expense of others tempt you.\""});
    } else {
        // The sixth visit is not counted, so every later one brings the test again.
        if (v == 6) dryad();
        return;
    }
    add_flag(bird_watch_flag, int_to_str(v), flag_class_never, own_flag_file(), flags_section_name);
}

// A gift of gems or gold: the prompt and a number. One that is no number, does not fit the
// field or is not positive, or one above what the player holds, is refused with its line:
// nothing is taken and her menu asks again.
std::optional<std::int64_t> gift_amount(std::string_view prompt, std::int64_t field_max, std::int64_t held,
                                        std::string_view too_much) {
    disp_text(prompt);
    std::optional<std::int64_t> n = parse_whole(read_line());
    if (!n || *n > field_max || *n <= 0) {
        disp_line("`4  Try a real Number next time");
        return std::nullopt;
    }
    if (*n > held) {
        disp_line(too_much);
        return std::nullopt;
    }
    return n;
}

// One offer at her menu; the outcome code, or nothing while no gift is made or refused.
std::optional<int> offer(char k, const text_list& text) {
    switch (k) {
    case 'M': {
        std::optional<std::int64_t> gems = gift_amount("`9  How Many : ", std::numeric_limits<std::int16_t>::max(),
                                                       me().gems, "`4  You don't have that many to give!");
        if (!gems) return std::nullopt;
        std::int64_t n = *gems;
        if (!pay_from_purse({0, n})) {
            disp_line("`4  You don't have that many to give!");
            return std::nullopt;
        }
        disp_line("`9  You give her " + comma_number(n) + " gems.");
        return n <= 2 ? 7 : n == 3 ? 10 : n <= 6 ? 8 : 9;
    }
    case 'G': {
        std::optional<std::int64_t> gold = gift_amount("`9  How Much : ", std::numeric_limits<std::int32_t>::max(),
                                                       me().gold, "`4  You don't have that much to give!");
        if (!gold) return std::nullopt;
        std::int64_t amount = *gold;
        std::int64_t fair = 500 * std::int64_t(me().level);
        int c = amount < fair ? 1 : amount == fair ? 2 : 3;
        // The purse on file pays; all of it is what it held then.
        if (!pay_from_purse({amount}, [&] {
                if (amount == me().gold) ++c;
                return true;
            })) {
            disp_line("`4  You don't have that much to give!");
            return std::nullopt;
        }
        disp_line("`9  You give her " + comma_number(amount) + " gold.");
        return c;
    }
    case 'I': {
        if (!inv_unequipped_num_ptr(cur_inventory, 1)) {
            disp_line("`4  You have nothing to give her.");
            return std::nullopt;
        }
        list_unequipped_inv(cur_inventory);
        disp_line("");
        disp_text("`9  Which Item : ");
        int n = read_int();
        const item_record* item = inv_unequipped_num_ptr(cur_inventory, n);
        if (!item) {
            disp_line("`4  Nothing Given!");
            return std::nullopt;
        }
        int c = item->position == pos_weapon ? 6 : 5;
        disp_line("`9  You give her your " + item->name.str());
        drop_unequipped_item_num(cur_inventory, n);
        return c;
    }
    case 'N': return 0;
    case 'Y': do_inv(); break;
    case '?': dispdesc(text); break;
    default: break;
    }
    return std::nullopt;
}

// Her words, then the shame she lays on the player and the charm it costs.
void shunned(const std::vector<std::string>& words, int shame, int charm) {
    for (const std::string& l : words) disp_line(l);
    disp_lines({"`9  (`%+" + int_to_str(shame) + " Shame`9)", "`9  (`%-" + int_to_str(charm) + " Charm`9)"});
    add_shm(me(), shame);
    add_crm(me(), -charm);
}

void judge(int c) {
    const std::vector<std::string> regret = {
        "`%  \"It is a shame that you do not recall what gifts this land has given you",
        "  of late.  But, you do realize something is afoot which lessens your",
        "  selfishness somewhat.  I am sorry, and I do hope we meet again under better", "  conditions.\""};
    switch (c) {
    case 0:
        shunned({"`%  \"It is a pity that you do not realize how insignificant your pettiness is",
                 "  but remember always that you will be shunned for your actions.\""},
                6, 5);
        break;
    case 1: shunned(regret, 5, 4); break;
    case 2:
    case 3:
    case 5:
    case 7: shunned(regret, 4, 3); break;
    case 4:
        disp_lines({"`%  \"It is a shame that you do not recall what gifts this land has given you",
                    "  of late.  But, you have done well in showing your unselfish nature.",
                    "  I do not feel that anyone with as generous a heart as you should be puished",
                    "  for their lack of memory.  Take my blessing and be on your way.  I hope", "  we meet again.\"",
                    "`9  (`%-2 Shame`9)", "`9  (`%+2 Charm`9)", "`9  (`%+2 Luck`9)"});
        add_shm(me(), -2);
        add_crm(me(), 2);
        adjust_capped_stat(me(), 2);
        break;
    default: break;  // the code stays in the flag for the sysop's scripts
    }
}

const realm mountain_realm{
    .name = "mountain",
    .creature_file = "mountain.dat",
    .section = "mountain",
    .location = mountain_location,
    .ansi_section = "mountain_ansi_1",
    .title = "`7   Mountain of Lore",
    .empty_message = "  `9The mountain is empty.  Perhaps you should return tomorrow.",
    .branch_line = realm_branch_line,
    .events = 8,
    .special_event = mountain_special_event,
};
}  // namespace

void dryad() {
    if (!cur_char) return;
    text_list text;
    std::string keys;
    read_text_section(text_file_name, "dryad", text, keys);
    dispdesc(text);  // her words are shown in expert mode too

    int c = 0;
    menu_loop m;
    m.title = "`9   What do you offer her`%:";
    m.keys = keys;
    m.level = std::numeric_limits<std::int16_t>::min();  // only a gift ends it
    m.poll = menu_poll::none;
    m.default_key = [] { return 'N'; };
    m.on_key = [&](char k) {
        std::optional<int> outcome = offer(k, text);
        if (outcome) c = *outcome;
        return !outcome;
    };
    run_menu_loop(m);
    deldesc(text);

    add_flag(dryad_test_flag, int_to_str(c), flag_class_never, own_flag_file(), flags_section_name);
    judge(c);
}

void mountain_special_event(int e, const text_list&) {
    switch (e) {
    case 1: chest(); break;
    case 2: random_encounter(1); break;
    case 3: random_encounter(2); break;
    case 4:
        tablet("tougher", " hit points due to the strenuous nature of the ritual", " defense points.",
               add_defense_value);
        break;
    case 5: tablet("stronger", " hit points.", " attack points.", add_attack_value); break;
    case 6: tablet("more agile", " hit points.", " damage reduction points.", add_shield_value); break;
    case 7: random_encounter(3); break;
    case 8: bird_watch(); break;
    default: break;
    }
}

void mountain_search(const creature_list& creatures, const text_list& menu) {
    realm_search(mountain_realm, creatures, menu);
}

void mountain() { run_realm(mountain_realm); }
