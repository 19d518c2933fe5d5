// Byte images of the game's records, field by field at their documented offsets.
#include "engine/records.hpp"

#include "engine/codec.hpp"

std::string encode_record(const character_record& r) {
    std::string b(character_record::record_size, '\0');
    put_fstr(b, 0, r.name);
    put_fstr(b, 21, r.real_name);
    put_i16(b, 62, r.number);
    put_i16(b, 64, r.class_bits);
    put_i16(b, 66, r.sex);
    put_i16(b, 68, r.attack);
    put_i16(b, 70, r.defense);
    put_i16(b, 72, r.shield_value);
    put_i16(b, 74, r.charm);
    put_i16(b, 76, r.shame);
    put_i16(b, 78, r.luck);
    put_i16(b, 80, r.guild);
    put_i32(b, 82, r.status_bits);
    put_i16(b, 86, r.hit_points);
    put_i16(b, 88, r.max_hit_points);
    put_i16(b, 90, r.weapon_power);
    put_fstr(b, 92, r.weapon_name);
    put_i16(b, 113, r.armour_power);
    put_fstr(b, 115, r.armour_name);
    put_i16(b, 136, r.shield_power);
    put_fstr(b, 138, r.shield_name);
    put_i32(b, 159, r.gold);
    put_i32(b, 163, r.bank_gold);
    put_i16(b, 167, r.gems);
    put_i16(b, 169, r.transfers_today);
    put_i32(b, 171, r.experience);
    put_i16(b, 175, r.level);
    put_i16(b, 177, r.skill_uses_per_day);
    put_i16(b, 179, r.skill_uses_left);
    for (std::size_t i = 0; i < r.skill_percent.size(); ++i) put_i16(b, 181 + 2 * i, r.skill_percent[i]);
    put_fstr(b, 193, r.location);
    put_fstr(b, 214, r.created_text);
    put_i16(b, 255, r.last_day);
    put_i16(b, 257, r.death_day);
    put_fstr(b, 259, r.net_address);
    put_i32(b, 283, r.created_time);
    put_i16(b, 287, r.creature_fights_left);
    put_i16(b, 289, r.player_fights_left);
    put_u8(b, 291, r.dead);
    put_u8(b, 292, r.sleeping_inn);
    put_u8(b, 293, r.sleeping_guild);
    put_u8(b, 294, r.online);
    return b;
}

void decode_record(std::string_view b, character_record& r) {
    r.name = get_fstr<20>(b, 0);
    r.real_name = get_fstr<40>(b, 21);
    r.number = get_i16(b, 62);
    r.class_bits = get_i16(b, 64);
    r.sex = get_i16(b, 66);
    r.attack = get_i16(b, 68);
    r.defense = get_i16(b, 70);
    r.shield_value = get_i16(b, 72);
    r.charm = get_i16(b, 74);
    r.shame = get_i16(b, 76);
    r.luck = get_i16(b, 78);
    r.guild = get_i16(b, 80);
    r.status_bits = get_i32(b, 82);
    r.hit_points = get_i16(b, 86);
    r.max_hit_points = get_i16(b, 88);
    r.weapon_power = get_i16(b, 90);
    r.weapon_name = get_fstr<20>(b, 92);
    r.armour_power = get_i16(b, 113);
    r.armour_name = get_fstr<20>(b, 115);
    r.shield_power = get_i16(b, 136);
    r.shield_name = get_fstr<20>(b, 138);
    r.gold = get_i32(b, 159);
    r.bank_gold = get_i32(b, 163);
    r.gems = get_i16(b, 167);
    r.transfers_today = get_i16(b, 169);
    r.experience = get_i32(b, 171);
    r.level = get_i16(b, 175);
    r.skill_uses_per_day = get_i16(b, 177);
    r.skill_uses_left = get_i16(b, 179);
    for (std::size_t i = 0; i < r.skill_percent.size(); ++i) r.skill_percent[i] = get_i16(b, 181 + 2 * i);
    r.location = get_fstr<20>(b, 193);
    r.created_text = get_fstr<40>(b, 214);
    r.last_day = get_i16(b, 255);
    r.death_day = get_i16(b, 257);
    r.net_address = get_fstr<23>(b, 259);
    r.created_time = get_i32(b, 283);
    r.creature_fights_left = get_i16(b, 287);
    r.player_fights_left = get_i16(b, 289);
    r.dead = get_u8(b, 291);
    r.sleeping_inn = get_u8(b, 292);
    r.sleeping_guild = get_u8(b, 293);
    r.online = get_u8(b, 294);
}

std::string encode_record(const guild_record& g) {
    std::string b(guild_record::record_size, '\0');
    put_i16(b, 0, g.number);
    put_fstr(b, 2, g.name);
    put_i16(b, 23, g.leader);
    put_u8(b, 25, g.has_hall);
    put_fstr(b, 26, g.password);
    put_fstr(b, 47, g.credo);
    put_i32(b, 134, g.treasury_gold);
    put_i16(b, 138, g.treasury_gems);
    put_i16(b, 140, g.guard_level);
    put_fstr(b, 142, g.guard_name);
    put_i16(b, 163, g.guard_attack);
    put_i16(b, 165, g.guard_defense);
    put_i16(b, 167, g.guard_shield);
    put_i16(b, 169, g.guard_hit_points);
    put_fstr(b, 171, g.guard_weapon);
    put_fstr(b, 192, g.guard_armour);
    return b;
}

void decode_record(std::string_view b, guild_record& g) {
    g.number = get_i16(b, 0);
    g.name = get_fstr<20>(b, 2);
    g.leader = get_i16(b, 23);
    g.has_hall = get_u8(b, 25);
    g.password = get_fstr<20>(b, 26);
    g.credo = get_fstr<86>(b, 47);
    g.treasury_gold = get_i32(b, 134);
    g.treasury_gems = get_i16(b, 138);
    g.guard_level = get_i16(b, 140);
    g.guard_name = get_fstr<20>(b, 142);
    g.guard_attack = get_i16(b, 163);
    g.guard_defense = get_i16(b, 165);
    g.guard_shield = get_i16(b, 167);
    g.guard_hit_points = get_i16(b, 169);
    g.guard_weapon = get_fstr<20>(b, 171);
    g.guard_armour = get_fstr<20>(b, 192);
}

std::string encode_record(const stat_record& s) {
    std::string b(stat_record::record_size, '\0');
    put_i16(b, 0, s.day);
    put_fstr(b, 2, s.last_maint_date);
    put_fstr(b, 258, s.started_text);
    put_i16(b, 299, s.grace_days);
    put_i16(b, 301, s.resurrect_days);
    put_bytes(b, 303, std::string_view(reinterpret_cast<const char*>(s.reserved.data()), s.reserved.size()));
    put_fstr(b, 398, s.net_address);
    put_fstr(b, 422, s.mail_dir);
    put_i16(b, 509, s.creature_fights);
    put_i16(b, 511, s.player_fights);
    put_u8(b, 513, s.transfers_allowed);
    put_i32(b, 514, s.transfer_max);
    put_i16(b, 518, s.transfers_per_day);
    put_f64(b, 520, s.interest_pct);
    put_i16(b, 528, s.heal_cost);
    put_i16(b, 530, s.room_cost);
    put_i16(b, 532, s.death_loss_divisor);
    put_i32(b, 534, s.floating_gold);
    put_u8(b, 538, s.auto_calc);
    put_f64(b, 539, s.mob_gold_mult);
    put_f64(b, 547, s.mob_exp_mult);
    put_i16(b, 555, s.max_guilds);
    put_i16(b, 557, s.data_version);
    return b;
}

void decode_record(std::string_view b, stat_record& s) {
    s.day = get_i16(b, 0);
    s.last_maint_date = get_fstr<255>(b, 2);
    s.started_text = get_fstr<40>(b, 258);
    s.grace_days = get_i16(b, 299);
    s.resurrect_days = get_i16(b, 301);
    std::string reserved = get_bytes(b, 303, stat_record::reserved_size);
    for (std::size_t i = 0; i < s.reserved.size(); ++i) s.reserved[i] = static_cast<std::uint8_t>(reserved[i]);
    s.net_address = get_fstr<23>(b, 398);
    s.mail_dir = get_fstr<86>(b, 422);
    s.creature_fights = get_i16(b, 509);
    s.player_fights = get_i16(b, 511);
    s.transfers_allowed = get_u8(b, 513);
    s.transfer_max = get_i32(b, 514);
    s.transfers_per_day = get_i16(b, 518);
    s.interest_pct = get_f64(b, 520);
    s.heal_cost = get_i16(b, 528);
    s.room_cost = get_i16(b, 530);
    s.death_loss_divisor = get_i16(b, 532);
    s.floating_gold = get_i32(b, 534);
    s.auto_calc = get_u8(b, 538);
    s.mob_gold_mult = get_f64(b, 539);
    s.mob_exp_mult = get_f64(b, 547);
    s.max_guilds = get_i16(b, 555);
    s.data_version = get_i16(b, 557);
}

std::string encode_record(const item_record& it) {
    std::string b(item_record::record_size, '\0');
    put_fstr(b, 0, it.name);
    put_i16(b, 21, it.power);
    put_i16(b, 23, it.max_power);
    put_i32(b, 25, it.cost);
    put_i16(b, 29, it.charges);
    put_i16(b, 31, it.position);
    put_i16(b, 33, it.required_level);
    put_i32(b, 35, it.flags);
    put_u8(b, 39, it.identified);
    put_u8(b, 40, it.equipped);
    put_i32(b, 41, it.script_events);
    put_fstr(b, 45, it.script_id);
    return b;
}

void decode_record(std::string_view b, item_record& it) {
    it.name = get_fstr<20>(b, 0);
    it.power = get_i16(b, 21);
    it.max_power = get_i16(b, 23);
    it.cost = get_i32(b, 25);
    it.charges = get_i16(b, 29);
    it.position = get_i16(b, 31);
    it.required_level = get_i16(b, 33);
    it.flags = get_i32(b, 35);
    it.identified = get_u8(b, 39);
    it.equipped = get_u8(b, 40);
    it.script_events = get_i32(b, 41);
    it.script_id = get_fstr<20>(b, 45);
}
