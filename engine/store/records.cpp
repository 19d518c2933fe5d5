// The game's records field by field: each field once, at its documented offset. The codec and
// the merge between writers walk these lists.
#include "engine/store/records.hpp"

#include <limits>

#include "engine/store/debug_log.hpp"
#include "engine/store/record_fields.hpp"

namespace {
using cr = character_record;
constexpr std::int64_t max16 = std::numeric_limits<std::int16_t>::max();
constexpr std::int64_t max32 = std::numeric_limits<std::int32_t>::max();

// Gold and gems in hand and in the bank are added to by several writers (a transfer, a theft,
// the sysop); the class and status bits are changed one by one by different writers (a mark
// from the shady character, the day's reset).
constexpr record_field<cr> character_list[] = {
    text_field<&cr::name>("name", 0),
    text_field<&cr::real_name>("real_name", 21),
    number_field<&cr::number>("number", 62),
    bit_set(number_field<&cr::class_bits>("class_bits", 64)),
    number_field<&cr::sex>("sex", 66),
    number_field<&cr::attack>("attack", 68),
    number_field<&cr::defense>("defense", 70),
    number_field<&cr::shield_value>("shield_value", 72),
    number_field<&cr::charm>("charm", 74),
    number_field<&cr::shame>("shame", 76),
    number_field<&cr::luck>("luck", 78),
    number_field<&cr::guild>("guild", 80),
    bit_set(number_field<&cr::status_bits>("status_bits", 82)),
    number_field<&cr::hit_points>("hit_points", 86),
    number_field<&cr::max_hit_points>("max_hit_points", 88),
    number_field<&cr::weapon_power>("weapon_power", 90),
    text_field<&cr::weapon_name>("weapon_name", 92),
    number_field<&cr::armour_power>("armour_power", 113),
    text_field<&cr::armour_name>("armour_name", 115),
    number_field<&cr::shield_power>("shield_power", 136),
    text_field<&cr::shield_name>("shield_name", 138),
    amount(number_field<&cr::gold>("gold", 159), 0, max_gold),
    amount(number_field<&cr::bank_gold>("bank_gold", 163), 0, max_gold),
    amount(number_field<&cr::gems>("gems", 167), 0, max16),
    number_field<&cr::transfers_today>("transfers_today", 169),
    number_field<&cr::experience>("experience", 171),
    number_field<&cr::level>("level", 175),
    number_field<&cr::skill_uses_per_day>("skill_uses_per_day", 177),
    number_field<&cr::skill_uses_left>("skill_uses_left", 179),
    element_field<&cr::skill_percent, 0>("skill_warrior", 181),
    element_field<&cr::skill_percent, 1>("skill_mage", 183),
    element_field<&cr::skill_percent, 2>("skill_thief", 185),
    element_field<&cr::skill_percent, 3>("skill_healer", 187),
    element_field<&cr::skill_percent, 4>("skill_ranger", 189),
    element_field<&cr::skill_percent, 5>("skill_paladin", 191),
    text_field<&cr::location>("location", 193),
    text_field<&cr::created_text>("created_text", 214),
    number_field<&cr::last_day>("last_day", 255),
    number_field<&cr::death_day>("death_day", 257),
    text_field<&cr::net_address>("net_address", 259),
    number_field<&cr::created_time>("created_time", 283),
    number_field<&cr::creature_fights_left>("creature_fights_left", 287),
    number_field<&cr::player_fights_left>("player_fights_left", 289),
    number_field<&cr::dead>("dead", 291),
    number_field<&cr::sleeping_inn>("sleeping_inn", 292),
    number_field<&cr::sleeping_guild>("sleeping_guild", 293),
    number_field<&cr::online>("online", 294),
    // 295..298: four reserved bytes, written as zeros, ignored on reading.
};

using gr = guild_record;
// The treasury is paid into and taken from by every member's node.
constexpr record_field<gr> guild_list_fields[] = {
    number_field<&gr::number>("number", 0),
    text_field<&gr::name>("name", 2),
    number_field<&gr::leader>("leader", 23),
    number_field<&gr::has_hall>("has_hall", 25),
    text_field<&gr::password>("password", 26),
    text_field<&gr::credo>("credo", 47),
    amount(number_field<&gr::treasury_gold>("treasury_gold", 134), 0, max32),
    amount(number_field<&gr::treasury_gems>("treasury_gems", 138), 0, max16),
    number_field<&gr::guard_level>("guard_level", 140),
    text_field<&gr::guard_name>("guard_name", 142),
    number_field<&gr::guard_attack>("guard_attack", 163),
    number_field<&gr::guard_defense>("guard_defense", 165),
    number_field<&gr::guard_shield>("guard_shield", 167),
    number_field<&gr::guard_hit_points>("guard_hit_points", 169),
    text_field<&gr::guard_weapon>("guard_weapon", 171),
    text_field<&gr::guard_armour>("guard_armour", 192),
    // 213..216: four reserved bytes, written as zeros, ignored on reading.
};

using sr = stat_record;
// The lottery pot is fed by every node's game.
constexpr record_field<sr> stat_list[] = {
    number_field<&sr::day>("day", 0),
    text_field<&sr::last_maint_date>("last_maint_date", 2),
    text_field<&sr::started_text>("started_text", 258),
    number_field<&sr::grace_days>("grace_days", 299),
    number_field<&sr::resurrect_days>("resurrect_days", 301),
    raw_field<&sr::reserved>("reserved", 303),
    text_field<&sr::net_address>("net_address", 398),
    text_field<&sr::mail_dir>("mail_dir", 422),
    number_field<&sr::creature_fights>("creature_fights", 509),
    number_field<&sr::player_fights>("player_fights", 511),
    number_field<&sr::transfers_allowed>("transfers_allowed", 513),
    number_field<&sr::transfer_max>("transfer_max", 514),
    number_field<&sr::transfers_per_day>("transfers_per_day", 518),
    real_field<&sr::interest_pct>("interest_pct", 520),
    number_field<&sr::heal_cost>("heal_cost", 528),
    number_field<&sr::room_cost>("room_cost", 530),
    number_field<&sr::death_loss_divisor>("death_loss_divisor", 532),
    amount(number_field<&sr::floating_gold>("floating_gold", 534), 0, max32),
    number_field<&sr::auto_calc>("auto_calc", 538),
    real_field<&sr::mob_gold_mult>("mob_gold_mult", 539),
    real_field<&sr::mob_exp_mult>("mob_exp_mult", 547),
    number_field<&sr::max_guilds>("max_guilds", 555),
    number_field<&sr::data_version>("data_version", 557),
};

using ir = item_record;
constexpr record_field<ir> item_list[] = {
    text_field<&ir::name>("name", 0),
    number_field<&ir::power>("power", 21),
    number_field<&ir::max_power>("max_power", 23),
    number_field<&ir::cost>("cost", 25),
    number_field<&ir::charges>("charges", 29),
    number_field<&ir::position>("position", 31),
    number_field<&ir::required_level>("required_level", 33),
    number_field<&ir::flags>("flags", 35),
    number_field<&ir::identified>("identified", 39),
    number_field<&ir::equipped>("equipped", 40),
    number_field<&ir::script_events>("script_events", 41),
    text_field<&ir::script_id>("script_id", 45),
    // 66..69: the list link of old, written as zeros, ignored on reading.
};
}  // namespace

template <>
std::span<const record_field<character_record>> record_fields<character_record>() {
    return character_list;
}
template <>
std::span<const record_field<guild_record>> record_fields<guild_record>() {
    return guild_list_fields;
}
template <>
std::span<const record_field<stat_record>> record_fields<stat_record>() {
    return stat_list;
}
template <>
std::span<const record_field<item_record>> record_fields<item_record>() {
    return item_list;
}

std::string encode_record(const character_record& r) { return encode_fields<character_list>(r); }
std::string encode_record(const guild_record& r) { return encode_fields<guild_list_fields>(r); }
std::string encode_record(const stat_record& r) { return encode_fields<stat_list>(r); }
std::string encode_record(const item_record& r) { return encode_fields<item_list>(r); }
void decode_record(std::string_view image, character_record& r) { decode_fields<character_list>(image, r); }
void decode_record(std::string_view image, guild_record& r) { decode_fields<guild_list_fields>(image, r); }
void decode_record(std::string_view image, stat_record& r) { decode_fields<stat_list>(image, r); }
void decode_record(std::string_view image, item_record& r) { decode_fields<item_list>(image, r); }

void log_short_amounts(std::string_view file, std::string_view record, const short_amounts& shorts) {
    for (const short_amount& s : shorts)
        debug_log("FORCE:" + std::string(file) + " " + std::string(record) + " " + std::string(s.field) + " held " +
                  std::to_string(s.file) + ", a change of " + std::to_string(s.change) + " came short");
}
