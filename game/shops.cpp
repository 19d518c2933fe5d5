#include "game/shops.hpp"

#include <algorithm>
#include <string>

#include "door/door.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/shop_step.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/text_file.hpp"
#include "game/hooks.hpp"
#include "game/inventory_menu.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

// A text with a value inside: before + value + after.
struct framed {
    const char* before;
    const char* after;
    std::string with(const std::string& value) const { return before + value + after; }
};

// What tells one shop from another.
struct shop_texts {
    const char* stock_file;
    const char* section;
    const char* location;
    const char* title;
    const char* heading;
    const char* which_one;
    const char* not_a_choice;
    framed choice_comment;
    const char* are_you_sure;
    const char* declined;
    const char* pays;
    const char* new_item;
    const char* just_sold;
    const char* cannot_afford;
    const char* too_many;
    framed offer;  // around the offer; the item's name and offer_end follow
    const char* offer_end;
    framed thanks;
    const char* sold_to;
    const char* refused;
};

const shop_texts weapon_texts{weapon_stock_file,
                              "alfonses",
                              "sThe Weapon Emporeum",
                              "`9   Alfonse's Weapon Emporeum`%:",
                              "`c`%                             Weapon Listing:",
                              "`%  \"So, which one ya want?\"",
                              "`%  \"That aint a choice ya nit-wit\"",
                              {"`%  \"Alright, a ", " is always a fine choice.\""},
                              "  `9Buy this weapon, are you sure? (`3Y`9/`3N`9) [`%Y`9] :`%",
                              "`%  \"Well, I'm sure you'll find just the right weapon in time.\"",
                              "`9  Alfonse takes your `%",
                              "`9 and gives you your new ",
                              "`%  \"Ya, I just sold it.  Pick something else\"",
                              "`%  \"You can't afford a weapon that good!\"",
                              "`%  \"You can't carry that much buddy.\"",
                              {"`%  \"I will offer you `4", "`% gold for your "},
                              ".\"",
                              {"`%  \"Great, thanks for the ", "\""},
                              "`9  Alfonse takes your ",
                              "`%  \"Suit yourself friend.\""};

const shop_texts shield_texts{shield_stock_file,
                              "bartrichs",
                              "sThe Shield Hut",
                              "`9   Bartrich's Shield Hut`%:",
                              "`c`%                             Shield Listing:",
                              "`%  \"So, whatta ya wanna wear on yer wrist?\"",
                              "`%  \"Where you lookin' kid?  I ain't got one a those.\"",
                              {"`%  \"That ", " is purdy darn tough ya know.\""},
                              "  `9Buy this shield, are you sure? (`3Y`9/`3N`9) [`%Y`9] :`%",
                              "`%  \"Hey, its your loss kid.\"",
                              "`9  Bartrich takes your `%",
                              "`9 and gives you your new ",
                              "`%  \"Ya, I had that before kid, but someone just bought it.  Tough luck kid\"",
                              "`%  \"Ya want me to beat the rest of it outta ya?\"",
                              "`%  \"Where you think yer gonna put it?\"",
                              {"`%  \"I'll give ya `4", "`% gold for your "},
                              "\"",
                              {"`%  \"Another effin' ", "  These people..\""},
                              "`9  Bartrich takes your ",
                              "`%  \"Good, I didn't want your junk anyway.\""};

const shop_texts armour_texts{armour_stock_file,
                              "tonios",
                              "sThe Hall of Armor",
                              "`9   Tonio's Hall of Armor`%:",
                              "`c`%                             Armor Listing:",
                              "`%  \"So, which one can I squeeze you into?\"",
                              "`%  \"Oh, I'm so sorry, that one isn't available!\"",
                              {"`%  \"Fabulous, that ", " has always been one of my favorites.\""},
                              "  `9Buy this armor, are you sure? (`3Y`9/`3N`9) [`%Y`9] :`%",
                              "`%  \"Very well then, but it did look simply stunning on you!\"",
                              "`9  Tonio takes your `%",
                              "`9 and helps you into your new ",
                              "`%  \"Oh goodness me! I just sold it!  Don't fret, it just was not your color.\"",
                              "`%  \"Your purse couldn't possibly contain that much gold!\"",
                              "`%  \"I don't think you have enough hands to carry that sugar!\"",
                              {"`%  \"I will offer you `4", "`% gold for your "},
                              ".\"",
                              {"`%  \"Gorgeous, this ", " will look stunning over ... there.\""},
                              "`9  Tonio takes your ",
                              "`%  \"Oh, well I didn't want it anyway.\""};

shop_step step_of(bool buying, const char* stock_file, const item_record& item) {
    shop_step s;
    s.kind = buying ? step_kind::buy : step_kind::sell;
    s.number = me().number;
    s.created_time = me().created_time;
    s.stock_file = stock_file;
    s.item = item;
    return s;
}

void show_listing(const shop_texts& t, const shop_list& stock) {
    disp_line(t.heading);
    disp_line(long_rule);
    show_shop_list(stock);
}

// A key answering a yes-or-no question, Enter taking the default, upper-cased.
char answer(char enter_key) {
    char k = read_key();
    return upcase_key(k == '\r' ? enter_key : k);
}

void buy(const shop_texts& t, shop_list& stock) {
    if (!can_get_new_item(cur_inventory)) {
        disp_line("");
        disp_line(t.too_many);
        return;
    }
    show_listing(t, stock);
    disp_line("");
    disp_line("  `9You have `4" + comma_number(me().gold) + "`9 gold on hand.");
    disp_line(t.which_one);
    disp_line("");
    disp_text("`9  Choice : `%");
    int n = read_int();
    if (n < 1 || static_cast<std::size_t>(n) > stock.size()) {
        disp_line("");
        disp_line(t.not_a_choice);
        return;
    }
    std::optional<item_record> item = shop_item_by_number(stock, n);
    if (!item) {
        // The registry lost the item since the listing was read.
        disp_line("");
        disp_line(t.just_sold);
        return;
    }
    std::int32_t price = item->cost;
    if (me().gold < price) {
        disp_line("");
        disp_line(t.cannot_afford);
        return;
    }
    disp_line("");
    disp_line(t.choice_comment.with(item->name.str()));
    disp_text(t.are_you_sure);
    if (answer('Y') == 'N') {
        disp_line("`%No.");
        disp_line(t.declined);
        return;
    }
    disp_line("`%Yes!");
    // Paid from the gold on file, in one noted step: the stock, the purse, then the inventory,
    // so that no moment of it holds the item unpaid for.
    bool sold = false, short_of = false;
    noted_step(step_of(true, t.stock_file, *item), [&] {
        sold = pay_from_purse(
            {price},
            [&] {
                return take_one_from_stock(t.stock_file, item->name.view(), item->script_id.view(),
                                           shop_entry_for_sale) == stock_take::sold;
            },
            [&] { short_of = true; });
        if (!sold) return;
        add_to_inv_NW(cur_inventory, *item);
        write_own_inventory();
    });
    stock = read_shop_file(t.stock_file, shop_entry_for_sale);
    if (short_of) {
        disp_line(t.cannot_afford);
        return;
    }
    if (!sold) {
        disp_line(t.just_sold);
        return;
    }
    disp_line(t.pays + comma_number(price) + t.new_item + item->name.str());
}

void sell(const shop_texts& t) {
    if (!inv_unequipped_num_ptr(cur_inventory, 1)) {
        disp_line("`4  You have nothing to sell");
        return;
    }
    disp_line("`c`%                             Selling Items:");
    disp_line(long_rule);
    list_unequipped_inv(cur_inventory);
    disp_line("");
    disp_text("`9  Sell which Item #? : ");
    int n = read_int();
    item_record* item = inv_unequipped_num_ptr(cur_inventory, n);
    if (!item) {
        disp_line("");
        disp_line("`%  You don't have that item.");
        return;
    }
    std::string name = item->name.str();
    std::int64_t offer = sale_offer(me().charm, item->cost);
    disp_line(t.offer.with(comma_number(offer)) + name + t.offer_end);
    disp_line("");
    disp_text("`9  Accept his offer? (`3Y`9/`3N`9) [`%N`9] : `%");
    if (answer('N') != 'Y') {
        disp_line("N");
        disp_line("");
        disp_line(t.refused);
        return;
    }
    disp_line("Y");
    disp_line("");
    disp_line(t.thanks.with(name));
    disp_line("");
    disp_line(t.sold_to + name + " and gives you " + comma_number(offer) + " gold.");
    // One noted step: the item leaves the inventory file, then the gold reaches the purse.
    noted_step(step_of(false, "", *item), [&] {
        update_under_hold([&] {
            drop_unequipped_item_num(cur_inventory, n);
            add_gold(me(), offer);
        });
    });
}

void run_shop(const shop_texts& t) {
    if (!cur_char) return;
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, t.section, menu, keys);
    shop_list stock = read_shop_file(t.stock_file, shop_entry_for_sale);
    me().location = t.location;
    write_char_file(true);
    show_menu_text(menu);

    menu_loop m;
    m.title = t.title;
    m.keys = keys;
    m.level = 1;
    // The inventory menu marks the player as in it; back in the shop, the shop again.
    m.each_turn = [&t] { me().location = t.location; };
    m.common_keys = "VRF";
    m.default_key = [] { return 'L'; };
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': return false;
        case '?': dispdesc(menu); break;
        case 'Y':
            do_inv();
            show_menu_text(menu);
            break;
        case 'E': show_listing(t, stock); break;
        case 'B': buy(t, stock); break;
        case 'S': sell(t); break;
        default: break;
        }
        return true;
    };
    run_menu_loop(m);

    deldesc(menu);
    del_shop_list(stock);
}
}  // namespace

bool shop_entry_for_sale(const shop_entry& e) {
    return e.count != 0 && item_by_scriptid(e.name.view(), e.script_id.view()).has_value();
}

void show_shop_list(const shop_list& list) {
    disp_line("`%            #         Name                         Cost");
    int n = 0;
    for (const shop_entry& e : list)
        disp_line("            `3" + zero_pad(++n, 2) + "       `9" + pad_right(e.name.view(), 23) + "`!" +
                  pad_left(comma_number(e.cost), 12));
}

std::optional<item_record> shop_item_by_number(const shop_list& list, int n) {
    if (n < 1 || static_cast<std::size_t>(n) > list.size()) return std::nullopt;
    const shop_entry& e = *std::next(list.begin(), n - 1);
    return item_by_scriptid(e.name.view(), e.script_id.view());
}

std::int64_t sale_offer(std::int16_t charm, std::int32_t cost) {
    std::int64_t p = std::min<std::int64_t>(std::int64_t(charm) + 35, 75);
    return round_half_even(double(p * cost) / 100.0);
}

void weapon_shop() { run_shop(weapon_texts); }
void shield_shop() { run_shop(shield_texts); }
void armour_shop() { run_shop(armour_texts); }

void game_shops_init() {
    game_hooks.weapon_shop = weapon_shop;
    game_hooks.shield_shop = shield_shop;
    game_hooks.armour_shop = armour_shop;
}
