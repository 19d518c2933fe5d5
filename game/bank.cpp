#include "game/bank.hpp"

#include <algorithm>
#include <limits>
#include <string>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/chance.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/records.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"
#include "game/hooks.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"

namespace {
constexpr const char* funny = "`%  \"Funny, I've never heard anyone count `4THAT`% way before...\"";
constexpr const char* not_that_much = "`%  \"You don't have `4QUITE`% that much `n.\"";

void gold_line() {
    disp_line("");
    disp_line("`9   Gold on hand : `%" + comma_number(me().gold) + "     `9Gold in bank : `%" +
              comma_number(me().bank_gold));
}

void very_well() {
    disp_line("`%  \"Very well, You now have `4" + comma_number(me().bank_gold) + "`% gold in the bank\"");
}

// The sum a deposit or withdrawal asks for, checked against what the player holds of it: 1
// means all of it; 0 when the player is told why nothing happens.
std::int64_t ask_sum(const char* question, std::int32_t held, const char* none, const char* too_much) {
    disp_text(question);
    std::int64_t n = read_longint();
    const char* refusal = n <= 0 ? funny : n == 1 && held <= 0 ? none : n > 1 && n > held ? too_much : nullptr;
    if (refusal) {
        disp_line(refusal);
        return 0;
    }
    if (n > 1) disp_line("");
    return n;
}

void deposit() {
    std::int64_t n = ask_sum("  `9How much gold do you wish to deposit? (1 for ALL of it) : `%", me().gold,
                             "`%  \"You don't have `4ANY`% gold to deposit.\"", not_that_much);
    if (n == 0) return;
    deposit_gold(n == 1 ? me().gold : n);
    if (n == 1)
        very_well();
    else
        disp_line("`%  \"Very well, You now have `4^CS19`% gold in the bank\"");
}

void withdraw() {
    std::int64_t n = ask_sum("  `9How much gold do you wish to withdraw? (1 for ALL of it) : `%", me().bank_gold,
                             "`%  \"I'm sorry, but your bank account is currently `4EMPTY`%.\"",
                             "`%  \"You don't have `4QUITE`% that much in your account.\"");
    if (n == 0) return;
    update_under_hold([&] {
        character_record& c = me();
        // The purse takes it past the usual limit, but never past what its field holds; what
        // does not fit stays in the bank.
        std::int64_t room = std::int64_t(std::numeric_limits<std::int32_t>::max()) - c.gold;
        std::int64_t amount =
            std::clamp<std::int64_t>(n == 1 ? c.bank_gold : n, 0, std::min<std::int64_t>(c.bank_gold, room));
        c.gold = clamp_to<std::int32_t>(std::int64_t(c.gold) + amount);
        c.bank_gold = clamp_to<std::int32_t>(std::int64_t(c.bank_gold) - amount);
    });
    very_well();
}

enum class transfer_result { done, no_recipient, too_much, account_full };

// Moves a from the playing character's account to the named one, on the merged list: both
// records and the day's count in one write. Nothing moves unless all of it can.
transfer_result move_funds(const std::string& to_name, std::int64_t a) {
    transfer_result r = transfer_result::done;
    update_under_hold([&] {
        character_record& c = me();
        character_record* to = char_full_name_ptr(to_name);
        if (!to || to->number == c.number)
            r = transfer_result::no_recipient;
        else if (a > c.bank_gold)
            r = transfer_result::too_much;
        else if (std::int64_t(to->bank_gold) + a > max_gold)
            r = transfer_result::account_full;
        if (r != transfer_result::done) return;
        add_bank_gold(*to, a);
        add_bank_gold(c, -a);
        c.transfers_today = clamp_to<std::int16_t>(std::int64_t(c.transfers_today) + 1);
    });
    return r;
}

void transfer() {
    if (game_stats.transfers_allowed == 0) {
        disp_line("`%  \"Sorry, we are not authorized to transfer money any longer.\"");
        return;
    }
    if (game_stats.transfers_per_day <= me().transfers_today) {
        disp_line("`%  \"Sorry, we cannot allow any more transactions for today.\"");
        return;
    }
    const char* someone = "`%  \"Sorry, you must pick `4SOMEONE`% to transfer the funds to.\"";
    disp_text("  `9To whom do you wish to transfer Funds? : `%");
    const character_record* to = char_full_name_ptr(read_line());
    if (!to) {
        disp_line(someone);
        return;
    }
    if (to->number == me().number) {
        disp_line("`%  \"You cannot transfer funds to `4YOURSELF`%.\"");
        return;
    }
    std::string to_name = to->name.str();
    disp_text("  `9How much do you wish to transfer to " + to_name + "? : `%");
    std::int64_t a = read_longint();
    if (a <= 0) {
        disp_line(funny);
        return;
    }
    if (a > game_stats.transfer_max) {
        disp_line("`%  \"I'm sorry, but you may only transfer a maximum of `4" + comma_number(game_stats.transfer_max) +
                  "`% coins.\"");
        return;
    }
    if (a > me().bank_gold) {
        disp_line(not_that_much);
        return;
    }
    switch (move_funds(to_name, a)) {
    case transfer_result::no_recipient: disp_line(someone); return;
    case transfer_result::too_much: disp_line(not_that_much); return;
    case transfer_result::account_full: disp_line("`%  \"I'm sorry, but that account cannot hold that much.\""); return;
    case transfer_result::done: break;
    }
    // The notice only tells: the gold is already in the account, so it carries no command.
    text_list notice;
    add_desc_line("#0000 `%Bank Notice", notice);
    add_desc_line("`3  " + own_proper_name() + " has transfered `4" + comma_number(a) + "`3 to your bank account.",
                  notice);
    add_desc_line("~", notice);
    append_user_file(to_name, notice);
    deldesc(notice);
    very_well();
}

// ---- The two thefts ----

// Two keys of the answer, each shown as typed.
std::string answer_keys() {
    std::string keys;
    for (int i = 0; i < 2; ++i) {
        char k = read_key();
        echo_inline(k);
        keys += k;
    }
    return keys;
}

void trivia_question() {
    disp_line("");
    disp_line("`9  Hmmmm.. You seem to be reading my mind.  Try this,");
    disp_line("`9  By Dressel's count of the moons, on what day was old King Orwen born?");
    disp_text("`%  [`!");
    std::string answer = answer_keys();
    disp_text("`%/`!");
    answer += answer_keys();
    disp_text("`%/`!19");
    answer += answer_keys();
    disp_line("`%]");
    disp_line("");
    if (answer != trivia_answer) {
        disp_line("`%  Sorry, you get `4NOTHING`%.");
        return;
    }
    std::int64_t level = me().level;
    std::int64_t gold = 500 * level;
    disp_line("`9  You are truly worthy!");
    disp_line("`%  You receive " + int_to_str(gold) + " gold coins and " + int_to_str(level) + " gems!");
    // Straight into the purse, past the usual limits, but never past what the fields hold.
    me().gold = clamp_to<std::int32_t>(std::int64_t(me().gold) + gold);
    me().gems = clamp_to<std::int16_t>(std::int64_t(me().gems) + level);
}

void dip_into_drawer() {
    disp_line("");
    disp_line("`9  You're not thinking of... no... you'll get caught!");
    disp_text("`9  Do it? (`3Y`9/`3N`9) [`%N`9] `%: ");
    if (yes_no_key('N') != 'Y') {
        disp_line("No.");
        disp_text("`9  Chickening out eh?   Heh, yer just `$YELLOW`9.");
        return;
    }
    disp_line("Yes.");
    if (class_bit_set(me(), 'P')) {
        disp_text("`9  You wouldn't dare think of stealing.");
        return;
    }
    disp_lines({"`9  The banker doesn't seem to be looking so you dip your hand", "  into the cash drawer."});
    randomize();
    std::int64_t t = random_n(100) + 1 + std::int64_t(me().luck) - me().shame;
    if (t <= 50) {
        disp_text("`!  The drawer is `4EMPTY`!.");
        return;
    }
    std::int64_t g = round_half_even(random_real() * double(std::int64_t(me().level) * 1000));
    disp_line("`!  You manage to snag `4" + int_to_str(g) + "`! worth of coin.");
    add_gold(me(), g);
}

// The bank drawer, saved at once so that the word stays used on every node.
void bank_drawer() {
    steal_from_bank(2);
    write_char_file(true);
}
}  // namespace

void steal_from_bank(std::int16_t mode) {
    if (!cur_char) return;
    if (mode == 1) trivia_question();
    if (mode == 2) dip_into_drawer();
}

std::int64_t deposit_gold(std::int64_t amount) {
    std::int64_t moved = 0;
    bool full = false;
    update_under_hold([&] {
        character_record& c = me();
        std::int64_t want = std::clamp<std::int64_t>(amount, 0, std::max<std::int32_t>(c.gold, 0));
        std::int64_t room = std::max<std::int64_t>(max_gold - std::int64_t(c.bank_gold), 0);
        moved = std::min(want, room);
        full = moved < want;
        add_bank_gold(c, moved);
        add_gold(c, -moved);
    });
    if (full) {
        disp_line("`%  \"Your bank account cannot hold that much.");
        disp_line("`%  You must hold on to some of this gold.\"");
    }
    return moved;
}

void bank() {
    if (!cur_char) return;
    refresh_char_file();
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, bank_section, menu, keys);
    me().location = bank_location;
    write_char_file(true);
    show_menu_text(menu);
    gold_line();

    menu_loop m;
    m.title = "`9   Bank of Shamile`%:";
    m.keys = keys;
    m.level = 1;
    m.filter_key = [](char k) { return hidden_word(k, bank_hidden_word, status_secret2, bank_drawer); };
    m.common_keys = "VFR";
    m.default_key = [] { return 'L'; };
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': return false;
        case 'D': deposit(); break;
        case 'W': withdraw(); break;
        case 'T': transfer(); break;
        case '?':
            dispdesc(menu);
            gold_line();
            break;
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
    deldesc(menu);
}

void game_bank_init() { game_hooks.bank = bank; }
