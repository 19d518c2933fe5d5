#include "game/tavern.hpp"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

#include "door/door.hpp"
#include "door/sys.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/script_commands.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/text_file.hpp"
#include "game/bar.hpp"
#include "game/combat.hpp"
#include "game/hooks.hpp"
#include "game/inn.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"

namespace {
const std::string lower_voice = "`%  \"Lower your voice when you talk about that.\"";
const std::string who_line = "  `%\"Who?  Never heard of 'im.\"";
constexpr std::int64_t thug_rate = 1000, room_rate = 400;

// The player named to Shady, as the list held him when the name was typed: a copy, since
// the list is re-read before anything is done to him.
struct victim {
    std::string name;
    std::int16_t number = 0, level = 0, sex = 0;
    bool asleep = false;
};

// A talk with Shady: what the tavern is to do after it, and a room paid for.
struct talk {
    shady_result result;
    victim room_guest;
    std::int64_t room_paid = 0;
};

std::optional<victim> ask_victim(std::initializer_list<std::string> request, std::string& typed) {
    disp_lines(request);
    disp_text("`9  :");
    typed = read_line();
    if (typed.empty()) {
        disp_lines({"", "  `%\"What, having second thoughts?\""});
        return std::nullopt;
    }
    const character_record* c = char_full_name_ptr(typed);
    if (!c) {
        disp_line(who_line);
        return std::nullopt;
    }
    return victim{c->name.str(), c->number, c->level, c->sex, asleep_at_inn(*c)};
}

// The price lines and Shady's question: true unless the player says N (then the refusal).
bool still_interested(std::initializer_list<std::string> price_lines, const std::string& refusal,
                      const std::string& yes = "Yeah, Do it.") {
    disp_lines(price_lines);
    disp_text("`9  You still interested? (`3Y`9/`3N`9) [`%Y`9] :`%");
    if (upcase_key(read_key()) == 'N') {
        disp_lines({"No Thanks", refusal});
        hit_any_key();
        return false;
    }
    disp_line(yes);
    return true;
}

// What came of handing Shady his price.
enum class handed { short_of, paid, victim_gone };

// The price handed over from the gold on file, and the service done in the same write: a
// hang-up after it finds the service done. A victim gone from "players.dat" since the name was
// typed (service false) costs nothing. Shady's answer to a purse that is short.
handed pay(std::int64_t price, const std::function<bool()>& service) {
    bool short_of = false;
    bool paid = pay_from_purse({price}, service, [&] { short_of = true; });
    if (short_of) {
        disp_line("  `%\"Ya know, I said " + comma_number(price) + ".  You don't have that much.\"");
        return handed::short_of;
    }
    disp_line("  `9You give the `4" + comma_number(price) + "`9 to Shady.");
    return paid ? handed::paid : handed::victim_gone;
}

// The victim on the fresh list, as the hold's refresh left it; null when gone.
character_record* victim_now(const victim& v) { return char_full_name_ptr(v.name); }

// P; true when a beating was bought.
bool beating() {
    std::string typed;
    std::optional<victim> v = ask_victim({lower_voice, "`%  \"So, who is it you want taken down?\""}, typed);
    if (!v) return false;
    std::int64_t price = service_price(thug_rate, me().level, v->level);
    if (!still_interested({"  `%\"Alright, I can get that done for ya...  But, it will cost ya big.\"",
                           "  `%\"Way I see it, it will cost you " + int_to_str(price) + " to be exact.\""},
                          "  \"Hey, no skin off my nose either way kid.\""))
        return false;
    handed h = pay(price, [&] {
        character_record* c = victim_now(*v);
        if (c) c->status_bits |= status_hunted;
        return c != nullptr;
    });
    if (h == handed::short_of) return false;
    if (h == handed::paid)
        disp_lines(
            {"  `%\"Alright, the next time " + proper_case(v->name) + " shows " + std::string(possessive_word(v->sex)),
             "  face outside of town, I'll take " + std::string(object_word(v->sex)) + " out.\""});
    else
        disp_line(who_line);
    hit_any_key();
    return true;
}

// S; true when a theft was bought.
bool theft() {
    std::string typed;
    std::optional<victim> v = ask_victim({lower_voice, "`%  \"So, who is it you want made broke?\""}, typed);
    if (!v) return false;
    std::int64_t price = service_price(thug_rate, me().level, v->level);
    if (!still_interested({"  `%\"Alright, I can steal some loot for ya...  But, its still gonna cost ya.\"",
                           "  `%\"This is how it works, it will cost you " + int_to_str(price) + " to be exact.\""},
                          "  \"Hey, I don't work for free anyway kid.\""))
        return false;
    handed h = pay(price, [&] { return pickpocket_now(v->name); });
    if (h == handed::short_of) return false;
    disp_lines({"  `%\"Alright, I'll take what I can get and try to leave " + std::string(object_word(v->sex)),
                "  in the poor house.  Got it?\""});
    if (h == handed::victim_gone) disp_line(who_line);
    hit_any_key();
    return true;
}

// K; true when a room was paid for.
bool room(talk& t) {
    std::string typed;
    std::optional<victim> v = ask_victim({"`%  \"So, who is it ya wanna jack?\""}, typed);
    if (!v) return false;
    if (!v->asleep) {
        disp_line("  `%\"I'll tell ya this, " + upcase_first(typed) + " is not staying in the Inn.\"");
        return false;
    }
    std::int64_t price = service_price(room_rate, me().level, v->level);
    if (!still_interested({"  `%\"Alright, I'll do it for ya...  But, it will cost you.\"",
                           "  `%\"Will cost you " + int_to_str(price) + " to be exact.\""},
                          "  \"Hey, I got nothing to gain from it anyway.\""))
        return false;
    // The room is paid at its door, with the guest found there (break_in): here the gold on
    // file is only looked at, so a hang-up on the way costs nothing.
    if (pay(price, [] { return false; }) == handed::short_of) return false;
    disp_lines({"  `%\"Alright, by the time you can get over to the Inn, the room will be",
                "  unlocked.  Oh, yeah, " + proper_case(v->name) + " is in room " + int_to_str(v->number) + ".",
                "  Go, get outta here now.\""});
    t.result.room = true;
    t.room_guest = *v;
    t.room_paid = price;
    hit_any_key();
    return true;
}

// A; true when the bow was asked for (it is paid behind the tavern).
bool bow(talk& t) {
    if (has_status_bit(me(), status_has_bow)) {
        disp_lines({"`%  \"I can usually get something like that, but I'm fresh out of those",
                    "  at the moment.  You'll just have to ask me again some other time.\""});
        return false;
    }
    if (!still_interested({"`%  \"That's quite the unusual request there.  But I'm sure I can get",
                           "  it for you.  It will cost you " + int_to_str(bow_price(me().level))},
                          "  \"Hey, suit yourself, You're kinda strange anyway\"", "Yeah, I still want it."))
        return false;
    disp_line("  \"Alright, meet me around back when you leave.  Now leave.\"");
    t.result.bow = true;
    hit_any_key();
    return true;
}

// The paid room: the guest is looked for again at the door, since he may have woken,
// logged in or been deleted since; the fight runs on a copy of his record.
void break_in(const talk& t) {
    std::optional<character_record> guest;
    bool short_of = false;
    pay_from_purse(
        {t.room_paid},
        [&] {
            const character_record* c = char_full_name_ptr(t.room_guest.name);
            if (c && asleep_at_inn(*c)) guest = *c;
            return guest.has_value();
        },
        [&] { short_of = true; });
    if (short_of) {
        disp_line("  `%\"Ya know, I said " + comma_number(t.room_paid) + ".  You don't have that much.\"");
        return;
    }
    disp_lines({"`c  `9You quickly leave the bar in an effort to get there before Shady",
                "  can get the lock picked.  You practically run over to the inn and go"});
    if (!guest) {
        disp_line("  to room " + int_to_str(t.room_guest.number) +
                  ", but it is empty.  Later, Shady hands you back your gold.");
        return;
    }
    disp_lines({"  to room " + int_to_str(guest->number) + ".  You try the handle expecting it to be locked",
                "  still, but it is not, you go in and try to surprise " + proper_case(guest->name.view()) + ",",
                "  but " + std::string(subject_word(guest->sex)) + " is waiting for you."});
    do_combat(*guest);
}
}  // namespace

std::int64_t service_price(std::int64_t per_level, std::int16_t buyer_level, std::int16_t victim_level) {
    std::int64_t l = std::max(buyer_level, victim_level);
    return per_level * l * l;
}

bool shady_pickpocket(std::string_view victim_name) {
    refresh_char_file();
    return pickpocket_now(victim_name);
}

bool pickpocket_now(std::string_view victim_name) {
    const character_record* v = char_full_name_ptr(victim_name);
    if (!v) return false;
    std::int64_t roll = random_n(100) + 1 - std::int64_t(me().luck) + v->luck;
    text_list message;
    add_desc_line("#0000 `%System Message", message);
    if (roll < 50) {
        if (v->gold <= 0) return true;
        for (const char* l : {"  `3You go into your purse because you noticed it feeling a little",
                              "  light, and notice that it is empty save for some lint.  What could",
                              "  have happened you wonder?", "~", "SET GLD 0"})
            add_desc_line(l, message);
    } else {
        for (const char* l : {"  `3You're just strolling along when you notice a quick man come up and",
                              "  try to remove your purse from you, but you just managed to catch him out",
                              "  of the corner of your eye.  He disappears almost as fast as he appeared.", "~"})
            add_desc_line(l, message);
    }
    append_user_file(v->name.view(), message);
    return true;
}

shady_result shady_character() {
    talk t;
    if (!cur_char) return t.result;
    bool ranger = me().skill_percent[4] >= 2;
    text_list text;
    std::string ignored, keys = "SP";
    read_text_section(text_file_name, "shade", text, ignored);
    if (ranger) {
        read_text_section(text_file_name, "shade_1", text, ignored);
        keys += 'A';
    }
    read_text_section(text_file_name, "shade_2", text, ignored);
    read_text_section(text_file_name, "shade_3", text, ignored);
    keys += "KL";
    show_menu_text(text);
    menu_loop m = tavern_loop("`9   The Shady Character`%:", keys, 'L', menu_poll::none);
    m.common_keys = "VFR";
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': return false;
        case 'P': return !beating();
        case 'S': return !theft();
        case 'K': return !room(t);
        case 'A': return !ranger || !bow(t);
        default: tavern_common_key(k, text); return true;
        }
    };
    run_menu_loop(m);
    me().status_bits |= status_saw_shady;
    if (t.result.room) break_in(t);
    return t.result;
}

void tavern() {
    if (!cur_char) return;
    debug_enter("Entering tavern");
    text_list text;
    std::string keys;
    read_text_section(text_file_name, "tavern", text, keys);
    me().location = tavern_location;
    write_char_file(true);
    show_menu_text(text);
    shady_result shady;
    menu_loop m = tavern_loop("`9   The Stout Mug`%:", keys, 'L', menu_poll::none);
    m.common_keys = "VFR";
    m.each_turn = [] { me().location = tavern_location; };
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': return false;
        case 'T': bartender(); break;
        case 'J': game_hooks.conversation_board("tavern.cnv", "Conversation at The Stout Mug"); break;
        case 'G': waitress_drinks(); return true;
        case 'P': hook_message_board("tavern.msg", "The Stout Mug patrons", 0); break;
        case 'S':
            if (has_status_bit(me(), status_saw_shady)) {
                disp_lines({"", "`3  You realize you've been seen enough with Shady already."});
                return true;
            }
            shady = shady_character();
            if (shady.bow || shady.room) return false;
            break;
        default: tavern_common_key(k, text); return true;
        }
        show_menu_text(text);
        return true;
    };
    run_menu_loop(m);
    deldesc(text);
    if (shady.bow) bow_menu();
    debug_leave("Leaving tavern");
}

void game_tavern_init() { game_hooks.tavern = tavern; }
