// The spoils of an online fight's killing blow: the loser's fall and this side's share in one
// write, then the win shown and told.
#include "engine/rules/creatures.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/play_hooks.hpp"
#include "engine/text/text_file.hpp"
#include "game/me.hpp"
#include "multi/player_fight_internal.hpp"

using enum node_verb;

bool take_spoils(std::int16_t foe_number, const node_line& blow, std::int32_t& gain, std::int32_t& gold) {
    bool taken = false;
    hold_guard hold;
    update_under_hold([&] {
        character_record* v = char_num_ptr(foe_number);
        if (!v || v == cur_char || v->dead || !character_on_line(*v)) return;
        death_loss lost = fall_of(*v);
        gain = lost.experience;
        gold = lost.gold;
        add_experience(me(), gain);
        add_gold(me(), gold);
        taken = true;
    });
    if (taken) send_to(foe_number, blow);
    return taken;
}

void win_over(const std::string& foe_name, std::int16_t foe_number, std::int32_t gain, std::int32_t gold, bool chat) {
    disp_line("");
    disp_line("`!  You have defeated " + foe_name + "!!");
    disp_line("");
    disp_line("`%  You gain `4" + int_to_str(gain) + "`% experience, and find `4" + int_to_str(gold) + "`% gold.");
    send_to(me().number, {chat ? chat_victory : victory, "0 " + int_to_str(foe_number)});
    text_list news;
    add_desc_line(expand_tilde_phrases(chat ? "`%In ~ar `@`bONLINE CHAT `%fight today :"
                                            : "`%In ~ar `@`bONLINE `%player fight today :"),
                  news);
    add_desc_line(expand_tilde_phrases("`3  ~Tg `!" + own_proper_name() + "`3 has killed ~tb `!" + foe_name + "`3."),
                  news);
    hook_add_news(news);
    hit_any_key();
}
