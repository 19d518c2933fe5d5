// The treasury of a guild's hall: the gold and gems that members, or a raider who took the
// hall, leave and take.
#include "multi/guild_hall.hpp"

#include <algorithm>
#include <functional>

#include "door/door.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "multi/guild_hall_shared.hpp"

namespace {
struct treasury_key {
    char key;
    const char* question;
    const char* refusal;
    const char* done_head;
    const char* done_tail;
    bool gems;
    bool to_hall;
};

const treasury_key treasury_keys[] = {
    {'1', "`9  How many gems do you wish to leave? `%: ", "`9  Sorry, you don't have that many `4GEMS`9.",
     "`9  You have left `%", "`9 gems in the guild hall.", true, true},
    {'2', "`9  How many gems do you wish to take? `%: ", "`9  Sorry, there aren't that many `4GEMS`9 present.",
     "`9  You have taken `%", "`9 gems from the guild hall.", true, false},
    {'3', "`9  How much gold do you wish to leave? `%: ", "`9  Sorry, you don't have that much `4GOLD`9.",
     "`9  You have left `%", "`9 gold in the guild hall.", false, true},
    {'4', "`9  How much gold do you wish to take? `%: ", "`9  Sorry, there isn't that much `4GOLD`9 present.",
     "`9  You have taken `%", "`9 gold from the guild hall.", false, false},
};

// One move of the treasury, by a member or a raider who beat the hall; false when the hall is
// gone or the player is no longer a member.
bool move_treasure(std::int16_t guild, const treasury_key& t, bool raiding) {
    disp_line("");
    disp_text(t.question);
    std::int32_t n = read_longint();
    if (n <= 0) return true;
    bool refused = false, moved_any = false;
    std::int64_t moved = 0;
    bool dealt = guild_deal(guild, t.to_hall, [&](guild_record& g) {
        if (!g.has_hall || (!raiding && !member_of(g))) return false;
        std::int64_t hall_has = t.gems ? g.treasury_gems : g.treasury_gold;
        std::int64_t mine = t.gems ? me().gems : me().gold;
        std::int64_t hall_cap = t.gems ? gems_cap : treasury_gold_cap;
        std::int64_t my_cap = t.gems ? gems_cap : max_gold;
        std::int64_t from = t.to_hall ? mine : hall_has;
        std::int64_t room = t.to_hall ? hall_cap - hall_has : my_cap - mine;
        if (n > from) {
            refused = true;
            return false;
        }
        moved = std::clamp<std::int64_t>(room, 0, n);
        std::int64_t sign = t.to_hall ? 1 : -1;
        hall_has += sign * moved;
        mine -= sign * moved;
        if (t.gems) {
            g.treasury_gems = static_cast<std::int16_t>(hall_has);
            me().gems = static_cast<std::int16_t>(mine);
        } else {
            g.treasury_gold = static_cast<std::int32_t>(hall_has);
            me().gold = static_cast<std::int32_t>(mine);
        }
        moved_any = true;
        return true;
    });
    if (refused) disp_line(t.refusal);
    if (dealt && moved_any) disp_line(t.done_head + comma_number(moved) + t.done_tail);
    return dealt || refused;
}

}  // namespace

void guild_treasury(std::int16_t guild, const menu_loop* raid_loop) {
    if (!cur_char) return;
    const std::int16_t parent = 3;
    hall_submenu sub("hall_gng", 4);
    menu_loop& m = sub.loop;
    const text_list& menu = sub.text;
    if (raid_loop) {
        m.raided_guild = raid_loop->raided_guild;
        m.on_result = raid_loop->on_result;
    }
    follow_hall(m, guild, parent, "`9   Treasury of ", raid_loop ? nullptr : member_of);
    m.before_title = [guild] {
        const guild_record* g = guild_num_ptr(guild);
        if (!g) return;
        disp_lines({"", "`9  Gold Present `%: " + pad_right(comma_number(g->treasury_gold), 12) +
                            "`9   Gems Present `%: " + pad_right(comma_number(g->treasury_gems), 12)});
    };
    m.on_key = [&](char k) {
        if (hall_common_key(k, menu)) return true;
        if (k == 'L') {
            sub_location = parent;
            return false;
        }
        for (const treasury_key& t : treasury_keys)
            if (t.key == k && !move_treasure(guild, t, raid_loop != nullptr)) sub_location = parent;
        return true;
    };
    run_menu_loop(m);
}
