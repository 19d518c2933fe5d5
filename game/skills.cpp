#include "game/skills.hpp"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/script.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "game/menu.hpp"

namespace {
skill_result damage(std::int32_t d) { return {skill_effect::damage, d}; }
skill_result effect(skill_effect e) { return {e, 0}; }

// Hit points raised by a heal: no cap at the maximum, only the field's own limit.
void heal(character_record& who, std::int64_t amount) {
    if (amount > 0) add_hit_points(who, amount);
}

struct menu_entry {
    char key;
    const char* line;
    bool offered;
};

const char* roar_text[] = {"  `3You let out a roar that seems to scare your opponent.  Taking this oppotunity",
                           "  you close fast and strike hard."};
const char* flip_text[] = {"  `3You manage to get your opponent at such a disadvantage that you can flip him",
                           "  quite easily, and do.  You then run your weapon through his chest."};
const char* strength_tail[] = {"  when you were young, you feel yourself imbibed with incredible strength;  All",
                               "  of which you release into your opponent."};
const char* turn_undead_head[] = {"  `3You hold forth the symbol of your god and chant holy verses and quote",
                                  "  the scriptures of yore to banish this unholy creature from this plane."};

template <std::size_t N>
void show(const char* (&text)[N]) {
    for (const char* l : text) disp_line(l);
}

skill_result warrior_move(character_record& who) {
    switch (random_n(4) + 1) {
    case 1:
        disp_lines({"  `3Doing your best spinning, half-twisting sommersault kick,",
                    "  You cause your opponent to become disoriented, and take this",
                    "  to your advantage as you are able to take your best shot and",
                    "  inflict some massive damage."});
        return damage(skill_damage(who, 1.8));
    case 2:
        disp_lines({"  `3You use your natural talent of being extremely aggresive and",
                    "  decide you want to crush someone.  What better time to have that",
                    "  feeling than in the middle of a fight?  You put together your best", "  one-two attack."});
        return damage(skill_damage(who, 1.7));
    case 3:
        disp_lines({"  `3From out of nowhere, the clouds part in the sky and a great",
                    "  light comes shining forth.  So bright in fact that is blinds your",
                    "  opponent and you are able to get in a good whallop."});
        return damage(skill_damage(who, 1.75));
    default: {
        disp_lines({"  `3You notice your opponents shoe is untied so you inform him.",
                    "  Not believing you, he charges and trips over his shoe lace."});
        item_record* weapon = weapon_equipped_ptr(cur_inventory);
        disp_line(std::string("  You decide to beat some smarts into him") +
                  (weapon ? " with your " + weapon->name.str() : "."));
        return damage(skill_damage(who, 1.8));
    }
    }
}

skill_result mage_skill(character_record& who, char key) {
    switch (key) {
    case 'L':
        disp_lines({"  `3You rear back, recite the phrases you have memorized and hold out your",
                    "  hands toward your opponent.  In a blinding flash of orange and green light,",
                    "  giant sparks and flames shoot forth from your fingertips frying your",
                    "  opponent where he stands."});
        return damage(skill_damage(who, 1.7));
    case 'I':
        disp_lines({"  `3You chant the mystic phrases you have memorized and slowly start to",
                    "  fade into nothingness.  Your opponent looks utterly confused, and tries",
                    "  to strike you down where you were standing a few seconds ago.  You would",
                    "  laugh all the way back to town, but he would know where you were then."});
        return effect(skill_effect::escape);
    case 'S':
        disp_lines({"  `3You sing alound the phrases you have memorized and everything starts",
                    "  moving in slow motion (except you).  It would seem that your opponent is",
                    "  having a hard time connecting with you, and if he did, it wouldn't hurt",
                    "  as badly as it would if it was a full speed blow."});
        return effect(skill_effect::slow);
    default:
        disp_lines({"  `3You incant the wordy phrases that you have memorized, and suddenly, it",
                    "  appears that your opponent is inside out, exposing all the vital organs to",
                    "  your attack and all the armor on the inside where it cannot stop you."});
        return effect(skill_effect::reverse_body);
    }
}

skill_result thief_skill(character_record& who, char key) {
    switch (key) {
    case 'N':
        switch (random_n(3) + 1) {
        case 1:
            disp_lines({"  `3You disorient your opponent and sneak around behind him and place",
                        "  your weapon in his back.  He makes a strange sound as the blood starts",
                        "  to flow down his back."});
            return damage(skill_damage(who, 1.5));
        case 2:
            disp_lines({"  `3You put together a series of short, quick moves to quickly wear your",
                        "  opponent down and then move in for the kill by taking a shot at your", "  opponents neck."});
            return damage(skill_damage(who, 1.4));
        default:
            disp_lines({"  `3You determine your opponents weak spot through careful observation",
                        "  and quickly thrust your weapon through it.  Blood spurts everywhere."});
            return damage(skill_damage(who, 1.6));
        }
    case 'S':
        disp_lines({"  `3Creating a quick diversion, you disorient your oppenent and disappear into",
                    "  the shadows, leaving your oppenent scratching his head, wondering where you",
                    "  went to.  Finally, he gives up and walks off."});
        return effect(skill_effect::escape);
    default:
        disp_lines({"  `3You saunter up to your opponent and defiantly reach your hand into his",
                    "  purse.  Dumbfounded, he doesn't stop you, but does take a swing at you."});
        return effect(skill_effect::grab_gold);
    }
}

skill_result healer_skill(character_record& who, char key) {
    switch (key) {
    case 'D': {
        disp_lines({"  `3You chant a few magical words to your god and ask that your foe find",
                    "  himself weak of life and that his energy be used for the good of the world",
                    "  Your opponent finds himself surrounded in a radiant blue glow and collapses."});
        std::int64_t d = std::int64_t(skill_damage(who, 1.2)) + who.skill_percent[3];
        std::int64_t gain = nearest(random_real() * double(nearest(d / 4.0) - 1)) + 1;
        gain = std::max<std::int64_t>(gain, 0);
        disp_line("  You find yourself gaining " + int_to_str(gain) + " hit points.");
        heal(who, gain);
        return damage(clamp_to<std::int32_t>(d));
    }
    case 'H':
        disp_lines({"  `3You say a short prayer to your god asking for his help in defeating",
                    "  your foe.  You are suddenly immersed in a warm, fuzzy green light from",
                    "  above.  You can feel it filling your body with energy and the ability",
                    "  to carry on your confrontation."});
        who.hit_points = who.max_hit_points;
        return effect(skill_effect::nothing);
    default:
        show(turn_undead_head);
        disp_line("  As you finish, the undead creature crumples and turns to dust.");
        return effect(skill_effect::kill);
    }
}

skill_result power_strike(character_record& who, bool ranger) {
    switch (random_n(3) + 1) {
    case 1: show(roar_text); return damage(skill_damage(who, ranger ? 1.5 : 1.4));
    case 2: show(flip_text); return damage(skill_damage(who, ranger ? 1.4 : 1.3));
    default:
        if (ranger) {
            disp_line("  `3Calling upon the strength of your memory of a forest you used to visit often");
            show(strength_tail);
            // A whole random number here in place of the real one.
            return damage(clamp_to<std::int32_t>(nearest(who.attack * 1.6) + random_n(who.attack - 1) + 1));
        }
        disp_line("  `3Calling upon the strength of the memory of your parents being slaughtered");
        show(strength_tail);
        return damage(skill_damage(who, 1.45));
    }
}

skill_result ranger_skill(character_record& who, char key) {
    switch (key) {
    case 'P': return power_strike(who, true);
    case 'L':
        disp_line("  `3You begin to rub your thumb and fingers together rapidly, and start to lift");
        disp_text("  off the ground.");
        if (has_status_bit(who, status_has_bow)) {
            disp_lines({"  From this height, you can easily shoot your opponent and he",
                        "  will have a difficult time hitting you.  Good thing you remembered",
                        "  to bring your bow along with you."});
            return effect(skill_effect::weaken);
        }
        disp_lines({"  Realizing he can not hit you and you can not hit him, your",
                    "  opponent decides to call this one a draw and wander away.  You realize",
                    "  that this trick would work much better if you had a weapon that could",
                    "  hit someone from long distances."});
        return effect(skill_effect::escape);
    default:
        disp_lines({"  `3You call upon your woodland friends to help you with this fight, and an",
                    "  entire hoard comes out of bushes, trees, holes etc. and starts fighting",
                    "  your fight for you."});
        return effect(skill_effect::kill);
    }
}

skill_result paladin_skill(character_record& who, char key) {
    switch (key) {
    case 'P': return power_strike(who, false);
    case 'L': {
        disp_lines({"  `3You begin to quietly pray and you can feel a great heat eminating from your",
                    "  palms.  You then take and place your hands on the wounds that you have, and",
                    "  your wounds start to fade away leaving you feeling much better."});
        std::int64_t missing = std::int64_t(who.max_hit_points) - who.hit_points;
        if (missing > 0) {
            std::int64_t half = nearest(missing / 2.0);
            heal(who, half + nearest(random_real() * double(half - 1) + 1));
        }
        return effect(skill_effect::nothing);
    }
    default:
        show(turn_undead_head);
        disp_line("  As you finish, the undead creature begins to buckle and fall.");
        return effect(skill_effect::crumble);
    }
}

std::vector<menu_entry> class_menu(int class_number, bool flag_g, bool flag_f) {
    switch (class_number) {
    case 2:
        return {{'L', "  `3(`#L`3)ightning Strike", true},
                {'I', "  `3(`#I`3)nvisibility", true},
                {'S', "  `3(`#S`3)low Opponent", true},
                {'R', "  `3(`#R`3)everse Body", true}};
    case 3:
        return {{'N', "  `3(`#N`3)erve Strike", true},
                {'S', "  `3(`#S`3)link off into the shadows", true},
                {'P', "  `3(`#P`3)ick its pockets", true}};
    case 4:
        return {{'D', "  `3(`#D`3)rain Life", true},
                {'H', "  `3(`#H`3)eal Yourself", true},
                {'T', "  `3(`#T`3)urn Undead", flag_g}};
    case 5:
        return {{'P', "  `3(`#P`3)ower Strike", true},
                {'L', "  `3(`#L`3)evitate", true},
                {'S', "  `3(`#S`3)ummon Woodland Creatures", flag_f}};
    case 6:
        return {{'P', "  `3(`#P`3)ower Strike", true},
                {'L', "  `3(`#L`3)ay hands upon yourself", true},
                {'T', "  `3(`#T`3)urn Undead", flag_g}};
    default: return {};
    }
}
}  // namespace

int class_of_letter(char letter) {
    letter = upcase_key(letter);
    for (int c = 0; c < 6; ++c)
        if (class_letters[c] == letter) return c + 1;
    return 0;
}

bool skill_roll(const character_record& who, int class_number) {
    if (class_number < 1 || class_number > 6) return false;
    randomize();
    int roll = random_n(100) + 1 - who.luck;
    return roll <= who.skill_percent[class_number - 1];
}

std::int32_t skill_damage(const character_record& who, double k) {
    return clamp_to<std::int32_t>(nearest(who.attack * k) + nearest(random_real() * (who.attack - 1) + 1));
}

skill_result class_skill_menu(character_record& who, int class_number) {
    if (class_number == 1) return warrior_move(who);
    if (class_number < 2 || class_number > 6) return effect(skill_effect::nothing);
    char place = who.location.empty() ? '\0' : upcase_key(who.location.view()[0]);
    std::vector<menu_entry> menu = class_menu(class_number, place == 'G', place == 'F');
    char key = 0;
    for (;;) {
        for (const menu_entry& e : menu)
            if (e.offered) disp_line(e.line);
        disp_line("");
        disp_text("  `9Your Choice? `%: ");
        key = upcase_key(read_key());
        bool offered =
            std::any_of(menu.begin(), menu.end(), [&](const menu_entry& e) { return e.offered && e.key == key; });
        // The Healer echoes only a key that it takes; the others echo every key.
        if (offered || class_number != 4) {
            echo_key(key);
            write_line("");
        }
        if (offered) break;
    }
    switch (class_number) {
    case 2: return mage_skill(who, key);
    case 3: return thief_skill(who, key);
    case 4: return healer_skill(who, key);
    case 5: return ranger_skill(who, key);
    default: return paladin_skill(who, key);
    }
}
