#include "game/bar.hpp"

#include <algorithm>
#include <limits>
#include <utility>

#include "door/door.hpp"
#include "door/sys.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "game/me.hpp"

namespace {
// Random(100) + 1, drawn afresh for every question a drink asks.
int roll() { return random_n(100) + 1; }

// A section of "quortext.dat" read for one menu, shown unless in expert mode.
text_list open_section(const char* section, std::string& keys) {
    text_list text;
    read_text_section(text_file_name, section, text, keys);
    show_menu_text(text);
    return text;
}

// Paid from the gold on file; a purse short of the price is Bruno's, in the same write.
void bow_bought(std::int64_t price) {
    bool paid = pay_from_purse(
        {price},
        [] {
            me().status_bits |= status_has_bow;
            return true;
        },
        [] {
            me().hit_points = 1;
            add_gold(me(), -std::int64_t(me().gold));
        });
    if (!paid) {
        disp_lines({"`9  You hold out some money for Shady to take.  He kind of looks at",
                    "  you funny and says : `%\"Who you trying to fool kid?  You aint got",
                    "  enough coin there for what you was asking for.  Ya know, for my",
                    "  troubles, I'm gonna let Bruno and his buddies take it out of your",
                    "  hide.  Whatta ya think of that?\"", "  `4(Your hit points go way down)",
                    "  (They relieve you of all your gold as well)"});
    } else {
        disp_lines({"`9  You give Shady the amount he requested, and he produces the bow",
                    "  from a sack you did not notice him carrying before.",
                    "`%  \"Use it in good health bub.\"`9, he says to you.  And with that,",
                    "  Shady disappears as quickly as he had appeared."});
    }
}

void gem_lore() {
    disp_lines({"`%  \"Well, you see, they are not really gems at all.  Strange as this may",
                "  sound, the sages say they are what is left over when someone from beyond",
                "  this world tries an experiment on it.  Waste, if you like: bits of",
                "  whatever they were making that did not come out right.  The sages of",
                "  every town collect them, and the jewellers too, and they pay for them",
                "  in learning and in trade.  That's why folks want 'em.\"", ""});
}

void luck_machine() {
    disp_lines({"`%  \"Not really, but I got this interesting machine that you can use to",
                "  see just how lucky you are.  Some fellow from out of town left it here",
                "  to pay off his tab.  You pull the handle, and it tells you if you won.",
                "  Pull it a hundred times and you'll know your luck.  For, oh, let's say",
                "  2 gems, I will let you use it.\""});
    disp_text("`9  Accept his offer? (`3Y`9/`3N`9) [`%Y`9] :`%");
    if (upcase_key(read_key()) == 'N') {
        disp_line("No Thanks");
        disp_line("`%  \"Okay, it will be here when you want to know.\"");
        return;
    }
    disp_line("");
    if (!pay_from_purse({0, 2})) {
        disp_lines({"`9  You realize that you don't have two gems.  You mumble apologies",
                    "  and Paully doesn't seem to mind.",
                    "`%  \"Well, as soon as you have two gems, you come back and see me.\""});
        return;
    }
    disp_lines({"", "`9  You hand Paully two gems and he lets you into a small room in back.",
                "  In the middle of it stands a tall wooden box with brass dials and a",
                "  long lever on its side.  Paully tells you it stops after a hundred",
                "  pulls.  You take a deep breath, grab the lever and start pulling",
                "  the handle rapidly, counting the number of times you win.", "",
                "  You won `4" + int_to_str(std::int64_t(me().luck) + 50) + "`9 times.",
                "  You return to the bar after another minute."});
}

// One of Daisy's drinks: its key, price, and what it does once paid for.
struct drink {
    char key;
    std::int64_t price;
    void (*effect)(character_record& c);
};

void drunk_when(character_record& c, bool drunk) {
    if (drunk) c.status_bits |= status_drunk;
}
void attack_point(character_record& c, int below) {
    if (roll() >= c.luck + below) return;
    add_attack_value(c, 1);
    disp_line("`%  You gain `41`% Attack Points.");
}

void ale(character_record& c) {
    drunk_when(c, roll() > 35);
    attack_point(c, 15);
}
void stout(character_record& c) {
    drunk_when(c, roll() > 80);
    attack_point(c, 30);
}
void firewater(character_record& c) {
    drunk_when(c, true);
    if (roll() >= c.luck + 40) return;
    add_shield_value(c, 1);
    disp_line("`%  You gain `41`% Damage Reduction.");
}
void house_mix(character_record& c) {
    std::int64_t hp = c.hit_points;
    if (roll() < c.luck + 50) {
        add_hit_points(c, std::max<std::int64_t>(c.max_hit_points, 1) - hp);
        disp_line("`%  Hit points are `4MAXED`%.");
    } else {
        add_hit_points(c, std::max<std::int64_t>(hp / 2, 1) - hp);
        disp_line("`%  Hit points go `4DOWN`%.");
    }
}
void wine(character_record& c) {
    drunk_when(c, roll() > 60);
    if (roll() < c.luck + 25) {
        add_defense_value(c, 2);
        disp_line("`%  You gain `42`% Defense Points.");
    }
    if (roll() < c.luck + 25) {
        add_max_hit_points(c, 1);
        disp_line("  `%You gain `41`% Max Hit Point.");
    }
}

constexpr drink drinks[] = {
    {'A', 50, ale}, {'S', 90, stout}, {'F', 120, firewater}, {'H', 100, house_mix}, {'W', 75, wine}};

// A drink ordered: false when it was paid for and drunk, which ends Daisy's menu.
bool order(const drink& d) {
    if (!drink_price_check(d.price)) return true;
    // The drink is paid from the gold on file and drunk in the same write.
    bool short_of = false;
    pay_from_purse(
        {d.price},
        [&] {
            disp_line("  `9You pay Daisy for the drink and drink it down.");
            d.effect(me());
            return true;
        },
        [&] { short_of = true; });
    if (!short_of) return false;
    drink_price_refused();
    return true;
}
}  // namespace

std::int64_t bow_price(std::int16_t level) { return 375 * std::int64_t(std::max<std::int16_t>(level, 0)); }

menu_loop tavern_loop(std::string title, std::string keys, char default_key, menu_poll poll) {
    menu_loop m;
    m.title = std::move(title);
    m.keys = std::move(keys);
    m.level = std::numeric_limits<std::int16_t>::min();
    m.poll = poll;
    m.default_key = [default_key] { return default_key; };
    return m;
}

bool tavern_common_key(char k, const text_list& text) {
    switch (k) {
    case '?': dispdesc(text); return true;
    default: return false;
    }
}

void bow_menu() {
    if (!cur_char) return;
    std::string keys;
    text_list text = open_section("bowmenu", keys);
    menu_loop m = tavern_loop("`9   Behind The Stout Mug`%:", keys, 'Y', menu_poll::none);
    m.common_keys = "VFR";
    m.on_key = [&](char k) {
        switch (k) {
        case 'W': disp_line("`%  \"I got the bow, question is, my friend, do you have the money?\""); return true;
        case 'Y': bow_bought(bow_price(me().level)); return false;
        case 'N':
            disp_lines({"`%  \"What you think, I work for free?  My time is worth it, but at least",
                        "  you were honest with me, I'll let you live... This time."});
            return false;
        default: tavern_common_key(k, text); return true;
        }
    };
    run_menu_loop(m);
}

void bartender() {
    if (!cur_char) return;
    std::string keys;
    text_list text = open_section("bartender", keys);
    menu_loop m = tavern_loop("`9   Paully The Bartender`%:", keys, 'L', menu_poll::queue_and_events);
    m.common_keys = "VFR";
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': return false;
        case 'G': gem_lore(); break;
        case 'Y': luck_machine(); break;
        default: tavern_common_key(k, text); break;
        }
        return true;
    };
    run_menu_loop(m);
}

bool drink_price_check(std::int64_t price) { return me().gold >= price || drink_price_refused(); }

bool drink_price_refused() {
    disp_line("`%  \"Ah'm sorry " + own_proper_name() + " but you don't quite have enough");
    disp_line("  to pay for that drink.");
    return false;
}

void waitress_drinks() {
    if (!cur_char) return;
    if (has_status_bit(me(), status_drunk)) {
        hit_any_key();
        disp_lines({"`%  \"Ah'm afraid you've already had enough ta drink today.  Why don't",
                    "  y'all run along and get some sleep now.\"", "`9  With that, Daisy turns and walks away."});
        return;
    }
    std::string keys;
    text_list text = open_section("drinks", keys);
    menu_loop m = tavern_loop("`9   Daisy The Waitress`%:", keys, 'L', menu_poll::queue_and_events);
    m.before_title = [] { disp_line("`9  You have " + int_to_str(me().gold) + " gold on hand."); };
    m.on_key = [&](char k) {
        if (k == 'L') return false;
        if (k == '?') dispdesc(text);
        for (const drink& d : drinks)
            if (d.key == k) return order(d);
        return true;
    };
    run_menu_loop(m);
}
