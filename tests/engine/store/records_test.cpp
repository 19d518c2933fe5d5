// Byte-exact images of the three shared records and of an item, field by field.
#include <gtest/gtest.h>

#include "engine/golden.hpp"
#include "engine/store/codec.hpp"
#include "engine/store/records.hpp"

namespace {
character_record sample_char() {
    character_record c;
    c.name = text_of(20, 0);
    c.real_name = text_of(40, 1);
    c.number = 0x1234;
    c.class_bits = 0x0841;
    c.sex = 3;
    c.attack = -100;
    c.defense = 0x0506;
    c.shield_value = 87;
    c.charm = 0x0708;
    c.shame = 9;
    c.luck = -30;
    c.guild = 11;
    c.status_bits = 0x12345678;
    c.hit_points = -5;
    c.max_hit_points = 300;
    c.weapon_power = 0x0A0B;
    c.weapon_name = text_of(20, 2);
    c.armour_power = -1234;
    c.armour_name = "Chain";
    c.shield_power = 13;
    c.shield_name = text_of(20, 3);
    c.gold = 199999999;
    c.bank_gold = -7;
    c.gems = 14;
    c.transfers_today = 15;
    c.experience = 100000000;
    c.level = 20;
    c.skill_uses_per_day = 16;
    c.skill_uses_left = 17;
    c.skill_percent = {18, 19, -20, 21, 22, 23};
    c.location = text_of(20, 4);
    c.created_text = text_of(40, 5);
    c.last_day = -2;
    c.death_day = 24;
    c.net_address = text_of(23, 6);
    c.created_time = 0x7FFFFFFE;
    c.creature_fights_left = 25;
    c.player_fights_left = 26;
    c.dead = 1;
    c.sleeping_inn = 2;
    c.sleeping_guild = 3;
    c.online = 4;
    return c;
}

std::string sample_char_image() {
    golden g(299);
    g.str(0, text_of(20, 0)).str(21, text_of(40, 1)).i16(62, 0x1234).i16(64, 0x0841).i16(66, 3);
    g.i16(68, -100).i16(70, 0x0506).i16(72, 87).i16(74, 0x0708).i16(76, 9).i16(78, -30).i16(80, 11);
    g.i32(82, 0x12345678).i16(86, -5).i16(88, 300).i16(90, 0x0A0B).str(92, text_of(20, 2));
    g.i16(113, -1234).str(115, "Chain").i16(136, 13).str(138, text_of(20, 3));
    g.i32(159, 199999999).i32(163, -7).i16(167, 14).i16(169, 15).i32(171, 100000000).i16(175, 20);
    g.i16(177, 16).i16(179, 17);
    g.i16(181, 18).i16(183, 19).i16(185, -20).i16(187, 21).i16(189, 22).i16(191, 23);
    g.str(193, text_of(20, 4)).str(214, text_of(40, 5)).i16(255, -2).i16(257, 24);
    g.str(259, text_of(23, 6)).i32(283, 0x7FFFFFFE).i16(287, 25).i16(289, 26);
    g.u8(291, 1).u8(292, 2).u8(293, 3).u8(294, 4);
    return g.b;
}

guild_record sample_guild() {
    guild_record r;
    r.number = -3;
    r.name = text_of(20, 7);
    r.leader = 0x0102;
    r.has_hall = 1;
    r.password = text_of(20, 8);
    r.credo = text_of(86, 9);
    r.treasury_gold = 0x01020304;
    r.treasury_gems = 0x0506;
    r.guard_level = 8;
    r.guard_name = text_of(20, 10);
    r.guard_attack = 320;
    r.guard_defense = -240;
    r.guard_shield = 38;
    r.guard_hit_points = 480;
    r.guard_weapon = text_of(20, 11);
    r.guard_armour = "Hide";
    return r;
}

std::string sample_guild_image() {
    golden g(217);
    g.i16(0, -3).str(2, text_of(20, 7)).i16(23, 0x0102).u8(25, 1).str(26, text_of(20, 8));
    g.str(47, text_of(86, 9)).i32(134, 0x01020304).i16(138, 0x0506).i16(140, 8);
    g.str(142, text_of(20, 10)).i16(163, 320).i16(165, -240).i16(167, 38).i16(169, 480);
    g.str(171, text_of(20, 11)).str(192, "Hide");
    return g.b;
}

std::string reserved_bytes() {
    std::string r;
    for (int i = 0; i < 95; ++i) r += static_cast<char>(0xA0 + i % 50);
    return r;
}

stat_record sample_stat() {
    stat_record s;
    s.day = -9;
    s.last_maint_date = text_of(255, 12);
    s.started_text = text_of(40, 13);
    s.grace_days = 15;
    s.resurrect_days = 0x0203;
    std::string r = reserved_bytes();
    for (int i = 0; i < 95; ++i) s.reserved[i] = static_cast<std::uint8_t>(r[i]);
    s.net_address = text_of(23, 14);
    s.mail_dir = text_of(86, 15);
    s.creature_fights = 25;
    s.player_fights = -3;
    s.transfers_allowed = 7;
    s.transfer_max = 0x0A0B0C0D;
    s.transfers_per_day = 0x0E0F;
    s.interest_pct = 6.25;
    s.heal_cost = 0x1011;
    s.room_cost = 300;
    s.death_loss_divisor = 0x1213;
    s.floating_gold = -123456;
    s.auto_calc = 0xFE;
    s.mob_gold_mult = 1.2;
    s.mob_exp_mult = -0.85;
    s.max_guilds = 0x1415;
    s.data_version = 107;
    return s;
}

std::string sample_stat_image() {
    golden g(559);
    g.i16(0, -9).str(2, text_of(255, 12)).str(258, text_of(40, 13)).i16(299, 15).i16(301, 0x0203);
    g.raw(303, reserved_bytes()).str(398, text_of(23, 14)).str(422, text_of(86, 15));
    g.i16(509, 25).i16(511, -3).u8(513, 7).i32(514, 0x0A0B0C0D).i16(518, 0x0E0F).f64(520, 6.25);
    g.i16(528, 0x1011).i16(530, 300).i16(532, 0x1213).i32(534, -123456).u8(538, 0xFE);
    g.f64(539, 1.2).f64(547, -0.85).i16(555, 0x1415).i16(557, 107);
    return g.b;
}

item_record sample_item() {
    item_record it;
    it.name = text_of(20, 16);
    it.power = -112;
    it.max_power = 0x0102;
    it.cost = 12000;
    it.charges = 0x0304;
    it.position = 7;
    it.required_level = 0x0506;
    it.flags = 0x0708090A;
    it.identified = 1;
    it.equipped = 2;
    it.script_events = 1024 + 133;
    it.script_id = "BotD-02081997-QZ-N";
    return it;
}

std::string sample_item_image() {
    golden g(70);
    g.str(0, text_of(20, 16)).i16(21, -112).i16(23, 0x0102).i32(25, 12000).i16(29, 0x0304);
    g.i16(31, 7).i16(33, 0x0506).i32(35, 0x0708090A).u8(39, 1).u8(40, 2).i32(41, 1024 + 133);
    g.str(45, "BotD-02081997-QZ-N");
    return g.b;
}
}  // namespace

TEST(records, character_image_is_byte_exact_both_ways) {
    EXPECT_EQ(encode_record(sample_char()), sample_char_image());
    character_record back;
    decode_record(sample_char_image(), back);
    EXPECT_EQ(encode_record(back), sample_char_image());
    EXPECT_EQ(back.attack, -100);
    EXPECT_EQ(back.luck, -30);
    EXPECT_EQ(back.bank_gold, -7);
    EXPECT_EQ(back.skill_percent[2], -20);
    EXPECT_EQ(back.name.str(), text_of(20, 0));
    EXPECT_EQ(back.armour_name.str(), "Chain");
    EXPECT_EQ(back.online, 4);
}

TEST(records, guild_image_is_byte_exact_both_ways) {
    EXPECT_EQ(encode_record(sample_guild()), sample_guild_image());
    guild_record back;
    decode_record(sample_guild_image(), back);
    EXPECT_EQ(encode_record(back), sample_guild_image());
    EXPECT_EQ(back.number, -3);
    EXPECT_EQ(back.credo.str(), text_of(86, 9));
}

TEST(records, stat_image_is_byte_exact_with_unaligned_doubles_and_reserved_bytes) {
    EXPECT_EQ(encode_record(sample_stat()), sample_stat_image());
    stat_record back;
    decode_record(sample_stat_image(), back);
    EXPECT_EQ(encode_record(back), sample_stat_image());
    EXPECT_DOUBLE_EQ(back.interest_pct, 6.25);
    EXPECT_DOUBLE_EQ(back.mob_gold_mult, 1.2);
    EXPECT_DOUBLE_EQ(back.mob_exp_mult, -0.85);
    EXPECT_EQ(back.floating_gold, -123456);
    EXPECT_EQ(back.last_maint_date.size(), 255u);
    EXPECT_EQ(back.reserved[0], 0xA0);
}

TEST(records, item_image_is_byte_exact_and_link_bytes_ignored) {
    EXPECT_EQ(encode_record(sample_item()), sample_item_image());
    std::string with_link = sample_item_image();
    with_link.replace(66, 4, "\x11\x22\x33\x44");
    item_record back;
    decode_record(with_link, back);
    EXPECT_EQ(encode_record(back), sample_item_image());
    EXPECT_EQ(back.power, -112);
}

TEST(records, link_bytes_of_characters_and_guilds_are_ignored_and_written_as_zeros) {
    std::string c = sample_char_image();
    c.replace(295, 4, "\xDE\xAD\xBE\xEF");
    character_record rc;
    decode_record(c, rc);
    EXPECT_EQ(encode_record(rc), sample_char_image());
    std::string g = sample_guild_image();
    g.replace(213, 4, "\xDE\xAD\xBE\xEF");
    guild_record rg;
    decode_record(g, rg);
    EXPECT_EQ(encode_record(rg), sample_guild_image());
}

TEST(records, length_byte_above_capacity_is_clamped_and_garbage_past_length_dropped) {
    std::string img = sample_char_image();
    img[0] = static_cast<char>(200);  // name: capacity 20
    img[115] = static_cast<char>(3);  // armour name "Chain" cut to "Cha", rest is garbage now
    character_record r;
    decode_record(img, r);
    EXPECT_EQ(r.name.str(), text_of(20, 0));
    EXPECT_EQ(r.armour_name.str(), "Cha");
    std::string out = encode_record(r);
    EXPECT_EQ(static_cast<unsigned char>(out[0]), 20);
    EXPECT_EQ(out.substr(116, 5), std::string("Cha\0\0", 5));
}

TEST(records, short_image_reads_as_zero_filled) {
    std::string img = sample_char_image().substr(0, 64);  // name, real name, number
    character_record r;
    r.gold = 55;
    decode_record(img, r);
    EXPECT_EQ(r.number, 0x1234);
    EXPECT_EQ(r.gold, 0);
    EXPECT_EQ(r.class_bits, 0);
    std::string cut_in_string = sample_char_image().substr(0, 10);
    decode_record(cut_in_string, r);
    EXPECT_EQ(r.name.str(), text_of(9, 0) + std::string(11, '\0'));
}

TEST(codec, puts_past_the_end_are_dropped_and_gets_read_zero) {
    std::string b(3, '\0');
    put_i32(b, 1, 0x04030201);
    EXPECT_EQ(b, std::string("\0\x01\x02", 3));
    EXPECT_EQ(get_i32(b, 1), 0x0201);
    EXPECT_EQ(get_i16(b, 100), 0);
    put_str(b, 0, 5, "abcdefgh");
    EXPECT_EQ(b,
              "\x05"
              "ab");
}
