// A player fought while away is settled on a fresh read under the hold: its fall and spoils
// at a win, the gold a grab takes from it.
#include <algorithm>

#include "door/file_forms.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "game/combat_internal.hpp"
#include "game/me.hpp"

namespace {
// A player fought while away, on a fresh read, is as the fight found it: still away and
// alive, asleep where it was, and not played since (every log-on stamps the creation text and
// the day). A guest who woke and left, or a victim another winner killed meanwhile, is not.
bool as_found(const character_record& v, const character_record& found) {
    return !character_on_line(v) && !v.dead && v.sleeping_inn == found.sleeping_inn &&
           v.sleeping_guild == found.sleeping_guild && v.last_day == found.last_day &&
           v.created_text.view() == found.created_text.view();
}
}  // namespace

bool settle_victim(character_record& foe) {
    bool settled = false;
    update_under_hold([&] {
        character_record* v = player_record(foe);
        if (!v || v == cur_char || !as_found(*v, foe)) return;
        foe.experience = v->experience;
        death_loss lost = mark_death(*v);
        v->sleeping_inn = 0;
        foe.gold = lost.gold;
        add_experience(me(), lost.experience);
        add_gold(me(), lost.gold);
        settled = true;
    });
    return settled;
}

std::int64_t take_players_gold(const character_record& foe, std::int64_t wanted) {
    std::int64_t taken = 0;
    update_under_hold([&] {
        character_record* v = player_record(foe);
        if (!v || v == cur_char || !as_found(*v, foe)) return;
        taken = std::clamp<std::int64_t>(wanted, 0, std::max<std::int32_t>(v->gold, 0));
        v->gold = clamp_to<std::int32_t>(v->gold - taken);
    });
    return taken;
}
