#include "game/masters.hpp"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/play_hooks.hpp"
#include "engine/text/text_file.hpp"
#include "game/combat.hpp"
#include "game/hooks.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "game/skills.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
// A change of study from this level on.
constexpr std::int16_t study_level = 7;
// A class left above this percentage is mastered.
constexpr std::int16_t mastery_percent = 95;

std::string master_name() { return alias_name(me().name.view()); }

// Every sum the house stores is formed wide and held to its 16-bit field.
std::int16_t field16(std::int64_t v) { return clamp_to<std::int16_t>(v); }

// T of the level formulas: L x (L - 1) / 2.
std::int64_t triangle(std::int64_t level) { return level * (level - 1) / 2; }

std::int16_t current_bit(int class_number) { return static_cast<std::int16_t>(1 << (class_number - 1)); }
std::int16_t mastered_bit(int class_number) { return static_cast<std::int16_t>(1 << (class_number + 5)); }

// The house and the conversation wait for a key without polling and end only by the
// player's choice.
menu_loop unpolled_loop(std::string title, std::string keys) {
    menu_loop m;
    m.title = std::move(title);
    m.keys = std::move(keys);
    m.level = std::numeric_limits<std::int16_t>::min();
    m.poll = menu_poll::none;
    return m;
}

// The key the house and the conversation share besides V and R (which the menu loop
// answers): ? the text. True when the key was it.
bool shared_key(char k, const text_list& text) {
    switch (k) {
    case '?': dispdesc(text); return true;
    default: return false;
    }
}

// The master's answer to whether the player is ready for the next test: the experience
// still needed, the highest level already reached (with the place's text after it), or the
// ready line. True when the player is ready.
bool ready_for_test(const text_list& text) {
    std::int64_t need = test_need(me().level);
    if (me().experience <= need) {
        disp_line("`%  \"You still need `4" + comma_number(need - me().experience) +
                  "`% experience before you are ready");
        disp_line("   for your next test.\"");
        return false;
    }
    if (me().level >= top_level) {
        disp_lines({"  `9Your master says to you : ", "  `%\"You have already attained the highest possible level",
                    "  in your current class.\"", "  You may wish to turn your attention to the peril that",
                    "  Shamile is in.\""});
        hit_any_key();
        show_menu_text(text);
        return false;
    }
    disp_line("`%  \"You `4ARE`% ready for your next test my " + std::string(child_word(me().sex)) + "\"");
    return true;
}

void converse_head() {
    disp_line("`c`%                             Converse with " + master_name() + ":");
    disp_line(long_rule);
}

void avoidance() {
    converse_head();
    disp_lines({"  `9You walk right up to ^DA and try to get ^DD attention.", "  `9Nothing you do seems to affect ^DA.",
                "  `9You realize that perhaps your master does not wish to speak to you today,",
                "  `9And that perhaps you should seek ^DF out tomorrow instead.", ""});
    hit_any_key();
}

void shame_punishment() {
    converse_head();
    disp_lines({"  `4" + master_name() + " `9says to you : ", "  `%\"`n`%, You have brought shame to our house.",
                "   For that, you must be taught a lesson.\"", "", "  `9With that, your master stands up before you...",
                "  `9Makes some blindingly fast moves and...", "  `9You wind up on your butt about ten feet away",
                "  `4(Hit points go DOWN, 10% of experience LOST)"});
    character_record& c = me();
    c.hit_points = 1;
    add_shm(c, 1);
    c.experience = clamp_to<std::int32_t>(round_half_even(c.experience * 0.9));
    c.status_bits = (c.status_bits & ~status_shamed_master) | status_master_avoids;
    write_char_file(true);
    disp_line("");
    hit_any_key();
}

// A fellow student's name as the parchment lists it: lower case with the first letter
// raised. The character after a colour code's backquote stays as stored, so a stored "`C"
// can never become a live clear-screen code on this screen.
std::string student_name(std::string_view name) {
    std::string s(name);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '`') {
            ++i;
            continue;
        }
        if (s[i] >= 'A' && s[i] <= 'Z') s[i] = static_cast<char>(s[i] - 'A' + 'a');
    }
    return upcase_first(s);
}

void fellow_students() {
    std::string master = master_name();
    disp_line("`c`%                             Students under " + master + ":");
    disp_line(long_rule);
    disp_line("  `9" + master + " holds out a piece of parchment for you to examine.");
    bool any = false;
    for (const character_record& c : char_list) {
        if (c.name.view() == me().name.view() || alias_name(c.name.view()) != master) continue;
        disp_line("  `!" + student_name(c.name.view()));
        any = true;
    }
    if (!any) disp_line("`4  Your name is the only one on it!");
}

void ask_change_of_study() {
    disp_lines({"", "`9  ^DA look you up and down, as if deciding whether",
                "`9  or not to allow you to change areas of study or not.", "`!  Finally, ^DA speaks : "});
    if (me().level < study_level) {
        disp_line("`%  You are not ready yet my ^CC, grow a little, become a");
        disp_line("`%  stronger person and we will speak of this again.");
        return;
    }
    disp_lines({"`%  I think you have done well so far, and I understand",
                "`%  the need to always be learning something new.  I will",
                "`%  begin teaching you a new profession immediately", "", "`!  Choose a profession :"});
    change_study();
}

void conversation() {
    text_list text;
    std::string keys;
    read_text_section(text_file_name, converse_section, text, keys);
    show_menu_text(text);
    bool asked = false;
    menu_loop m = unpolled_loop("`9   Conversing with " + master_name() + "`%:", keys);
    m.common_keys = "VR";
    m.default_key = [&] { return asked ? 'L' : 'H'; };
    m.on_key = [&](char k) {
        if (shared_key(k, text)) return true;
        switch (k) {
        case 'L': return false;
        case 'A':
            disp_line("");
            disp_line("`%  \"You have a shame of `4" + comma_number(me().shame) + "`%.");
            break;
        case 'W': fellow_students(); break;
        case 'C': ask_change_of_study(); break;
        case 'H':
            disp_line("");
            ready_for_test(text);
            asked = true;
            break;
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
    deldesc(text);
}

// The test with the house's text (shown after the highest-level lines).
void take_test(const text_list& text) {
    if (has_status_bit(me(), status_master_avoids)) {
        converse_master();
        return;
    }
    if (!ready_for_test(text)) return;
    disp_line("`9  With that, ^DA claps ^DD hands together.");
    monster_record monster = master_test_monster(me().level);
    std::unique_ptr<character_record> foe = mob_to_char(&monster);
    foe->real_name = level_fight_mark;
    bool won = do_combat(*foe);
    monster.hit_points = foe->hit_points;
    if (me().hit_points <= 0) {
        me().hit_points = me().max_hit_points;
        return;
    }
    if (monster.hit_points <= 0 && won) advance_level();
}
}  // namespace

std::int64_t test_need(std::int16_t level) { return std::int64_t(100) << std::clamp<int>(level, 0, 40); }

monster_record master_test_monster(std::int16_t level) {
    std::int64_t t = triangle(level);
    monster_record m;
    m.name = "Shadow Monster";
    m.level = level;
    m.attack = field16(14 + 11 * t);
    m.defense = field16(9 + 9 * t);
    m.shield_value = field16(std::min<std::int64_t>(6 + t, max_shield_value));
    m.hit_points = field16(28 + 17 * t);
    m.weapon = "`8Draining Claw";
    m.armour = "Shadowy Substance";
    m.death_text = "Nothing but silence is heard.";
    m.gold = 0;
    m.experience = 0;
    m.strength = clamp_to<std::int32_t>(std::int64_t(m.attack) + m.defense + round_half_even(m.shield_value / 3.0) +
                                        m.hit_points);
    return m;
}

void advance_level() {
    character_record& c = me();
    std::int64_t level = c.level;
    std::string next = int_to_str(level + 1);
    text_list news;
    add_desc_line("The news of `!^CA's`3 advancement in ^CD profession", news);
    add_desc_line("permeates the town. `4(^CA is now level `$" + next + "`4)", news);
    hook_add_news(news);
    disp_lines({"", "", "`%  \"Congratulations ^CA.  You have beaten your test."});
    for (int k = 1; k <= 6; ++k)
        if (class_bit_set(c, class_letters[k - 1])) add_skill_percent(k, 5);
    c.attack = field16(c.attack + 8 * level);
    c.defense = field16(c.defense + 6 * level);
    // No cap of 87 here: the fight takes a shield above 87 as 13 percent of the damage.
    c.shield_value = field16(c.shield_value + 3);
    add_max_hit_points(c, 16 * level);
    c.hit_points = c.max_hit_points;
    disp_lines({"  `9You are now level `4" + next + "`9.",
                "  `9You gain : `4" + int_to_str(16 * level) + " `9HP, `4" + int_to_str(8 * level) + "`9 Attack, `4" +
                    int_to_str(6 * level) + "`9 Defense, `43`9 Damage Reduction",
                "  `9You gain 5 skill percent in your current class."});
    c.level = field16(level + 1);
    if (c.level % 5 == 0) {
        disp_line("  `9You gain 1 skill usage per day.");
        add_skill_points(c, 1);
        add_max_skill_points(c, 1);
    }
    add_shm(c, -3);
}

void level_test() {
    if (!cur_char) return;
    text_list text;
    std::string keys;
    read_text_section(text_file_name, masters_section, text, keys);
    take_test(text);
    deldesc(text);
}

void converse_master() {
    if (!cur_char) return;
    if (has_status_bit(me(), status_master_avoids))
        avoidance();
    else if (has_status_bit(me(), status_shamed_master))
        shame_punishment();
    else
        conversation();
}

void change_study() {
    if (!cur_char) return;
    character_record& c = me();
    for (int k = 1; k <= 6; ++k) {
        char letter = class_letters[k - 1];
        if (!class_bit_set(c, letter) && !master_bit_set(c, letter))
            disp_line("    `3(`#" + std::string(1, letter) + "`3)" + std::string(class_name(k)).substr(1));
    }
    disp_lines({"    `3(`4X`3)Don't change area of study.", "", "`9   Changing area of study `%:", ""});
    disp_text("`9  Command? [`!X`9] : `%");
    char key = read_key();
    if (key == '\r') key = 'X';
    key = upcase_key(key);
    echo_key(key);
    int cls = class_of_letter(key);
    if (cls && class_bit_set(c, key)) {
        disp_line("`9  That is what you are `4NOW`9.");
        return;
    }
    if (cls && master_bit_set(c, key)) {
        disp_line("`9  You have already`4MASTERED`9 that profession.");
        return;
    }
    if (!cls) {
        // Any key but a class letter answers as X does.
        disp_line("`%  \"Very well, you will continue your path to mastery\"");
        return;
    }
    for (int k = 1; k <= 6; ++k) {
        if (!(c.class_bits & current_bit(k))) continue;
        if (c.skill_percent[k - 1] > mastery_percent) {
            disp_line("`%  \"I must congratulate you on mastering the skills of the " + std::string(class_name(k)) +
                      ".\"");
            disp_line("`4    You are now a MASTER in the ^CS28 class.");
            c.class_bits = static_cast<std::int16_t>(c.class_bits | mastered_bit(k));
        }
        c.class_bits = static_cast<std::int16_t>(c.class_bits & ~current_bit(k));
    }
    disp_line("`%  \"You will now continue life studying the arts of the " + std::string(class_name(cls)) + "\"");
    c.class_bits = static_cast<std::int16_t>(c.class_bits | current_bit(cls));
    std::int16_t& pct = c.skill_percent[cls - 1];
    // Held to 1..20: a percentage above 99 (a script, the player editor) would go past every
    // test and past the experience field.
    std::int64_t level = std::clamp<std::int64_t>(pct / 5, 1, top_level);
    pct = std::max<std::int16_t>(pct, 5);
    std::int64_t t = triangle(level);
    auto power = [](item_record* i) -> std::int64_t { return i ? i->power : 0; };
    c.level = field16(level);
    c.attack = field16(8 + 8 * t + power(weapon_equipped_ptr(cur_inventory)));
    c.defense = field16(4 + 6 * t + power(armor_equipped_ptr(cur_inventory)));
    c.shield_value = field16(1 + 3 * (level - 1) + power(shield_equipped_ptr(cur_inventory)));
    c.max_hit_points = field16(20 + 16 * t);
    c.hit_points = c.max_hit_points;
    c.experience = level == 1 ? 1 : clamp_to<std::int32_t>(test_need(static_cast<std::int16_t>(level - 1)));
}

void masters_house() {
    if (!cur_char) return;
    text_list text;
    std::string keys;
    read_text_section(text_file_name, masters_section, text, keys);
    me().location = masters_location;
    write_char_file(true);
    show_menu_text(text);
    menu_loop m = unpolled_loop("`9   Masters House`%:", keys);
    m.common_keys = "VRF";
    m.each_turn = [] { me().location = masters_location; };
    m.default_key = [] { return 'L'; };
    m.on_key = [&](char k) {
        if (shared_key(k, text)) return true;
        switch (k) {
        case 'L': return false;
        case 'C':
            converse_master();
            show_menu_text(text);
            break;
        case 'P':
            disp_line("");
            take_test(text);
            break;
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
    deldesc(text);
}

void game_masters_init() { game_hooks.masters_house = masters_house; }
