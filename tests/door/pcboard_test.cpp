// PCBOARD.SYS in both forms, built byte by byte from the documented offsets.
#include "door_fixture.hpp"

namespace {
struct pcboard : door_fixture {
    std::string block = std::string(128, ' ');

    void at(std::size_t offset, std::string_view bytes) { block.replace(offset, bytes.size(), bytes); }
    door_stop read(int type, std::size_t size = 128) {
        write_file(dir.file("pcboard.sys"), block.substr(0, size));
        bbs_type = static_cast<std::uint8_t>(type);
        return load_drop_file();
    }
};

// A PCBoard 14/15 caller: Carl Dorn at 38400 on COM2 with 45 minutes, ANSI.
struct pcboard15 : pcboard {
    pcboard15() {
        at(11, "Y");                          // graphics letter
        at(13, "38400");                      // speed, ASCII digits
        at(18, "     ");                      // not "Local"
        at(25, "Carl           ");            // first name, 15 bytes
        at(84, "Carl Dorn                ");  // full name, 25 bytes
        at(109, std::string("\x2d\x00", 2));  // minutes, 16-bit little-endian: 45
        at(125, "2");                         // port digit
        at(127, std::string(1, '\0'));        // flags
    }
};

// Three old 4-byte binary single reals (mantissa low byte first, sign in
// the top bit of the third byte, exponent with bias 128 last).
const std::string mbf_0 = std::string("\x00\x00\x00\x00", 4);
const std::string mbf_90 = std::string("\x00\x00\x34\x87", 4);
const std::string mbf_150 = std::string("\x00\x00\x16\x88", 4);
const std::string mbf_3600 = std::string("\x00\x00\x61\x8C", 4);
const std::string mbf_minus_3600 = std::string("\x00\x00\xE1\x8C", 4);
const std::string mbf_7200 = std::string("\x00\x00\x61\x8D", 4);
const std::string mbf_36000 = std::string("\x00\xA0\x0C\x90", 4);
const std::string mbf_36030 = std::string("\x00\xBE\x0C\x90", 4);
const std::string mbf_36090 = std::string("\x00\xFA\x0C\x90", 4);
const std::string mbf_36600 = std::string("\x00\xF8\x0E\x90", 4);

// A PCBoard 12 caller: 9600 bps, ANSI, logged on at 10:00, 3600 s allowed, left at 10:10.
struct pcboard12 : pcboard {
    pcboard12() {
        at(10, "9 ");                         // speed code
        at(14, "CARL DORN                ");  // full name, 25 bytes
        at(57, "1");                          // graphics
        times(mbf_36000, mbf_3600, mbf_36600);
    }
    void times(const std::string& logged_on, const std::string& allowed, const std::string& left_at) {
        at(72, logged_on);
        at(76, allowed);
        at(80, left_at);
    }
};
}  // namespace

TEST_F(pcboard15, pcboard15_block) {
    ASSERT_FALSE(read(6));
    EXPECT_EQ(user_first_name, "CARL");
    EXPECT_EQ(user_last_name, "DORN");
    EXPECT_EQ(baud_rate, 38400);
    EXPECT_EQ(com_port, 2);
    EXPECT_FALSE(local_mode);
    EXPECT_EQ(minutes_allowed, 45);
    EXPECT_EQ(graphics_mode, 3);
    EXPECT_EQ(security_level, 50);
}

TEST_F(pcboard15, rip_flag_counts_only_for_pcboard15) {
    at(127, "\x02");
    ASSERT_FALSE(read(6));
    EXPECT_EQ(graphics_mode, 5);
    ASSERT_FALSE(read(10));
    EXPECT_EQ(graphics_mode, 3);
}

TEST_F(pcboard15, graphics_letters) {
    const std::pair<const char*, int> letters[] = {{"N", 1}, {"7", 1}, {"Y", 3}, {"Q", 1}};
    for (auto [letter, mode] : letters) {
        at(11, letter);
        ASSERT_FALSE(read(10));
        EXPECT_EQ(graphics_mode, mode) << letter;
    }
}

TEST_F(pcboard15, local_caller) {
    at(18, "Local");
    ASSERT_FALSE(read(6));
    EXPECT_EQ(baud_rate, 0);
    EXPECT_EQ(com_port, 0);
    EXPECT_TRUE(local_mode);
    at(18, "     ");
    at(125, "0");
    ASSERT_FALSE(read(6));
    EXPECT_EQ(baud_rate, 38400);
    EXPECT_TRUE(local_mode);
}

TEST_F(pcboard15, names_with_padding) {
    at(25, std::string("\0 anna\0\0\0      ", 15));
    at(84, std::string("Anna van Berg\0\0\0  \0\0\0\0\0\0", 25));
    ASSERT_FALSE(read(6));
    EXPECT_EQ(user_first_name, "ANNA");
    EXPECT_EQ(user_last_name, "VAN BERG");
    at(84, "Anna                     ");
    ASSERT_FALSE(read(6));
    EXPECT_EQ(user_last_name, "");
}

TEST_F(pcboard15, short_block_reads_as_zero_filled) {
    ASSERT_FALSE(read(6, 110));  // the minutes' high byte and everything after are missing
    EXPECT_EQ(user_first_name, "CARL");
    EXPECT_EQ(minutes_allowed, 45);
    EXPECT_EQ(com_port, 0);
    EXPECT_TRUE(local_mode);
    EXPECT_EQ(read(6, 25).code, 17);  // the first name is cut off: no caller
    EXPECT_EQ(read(6, 0).code, 17);
}

TEST_F(pcboard12, pcboard12_block) {
    ASSERT_FALSE(read(4));
    EXPECT_EQ(user_first_name, "CARL");
    EXPECT_EQ(user_last_name, "DORN");
    EXPECT_EQ(baud_rate, 9600);
    EXPECT_EQ(graphics_mode, 3);
    EXPECT_EQ(minutes_allowed, 50);
    EXPECT_FALSE(local_mode);
    EXPECT_EQ(security_level, 0);
}

TEST_F(pcboard12, speed_codes) {
    const std::pair<const char*, int> codes[] = {{"12", 1200},  {"2 ", 2400}, {"4 ", 4800}, {"9 ", 9600},
                                                 {"19", 19200}, {"3 ", 300},  {"1 ", 300},  {"L ", 300}};
    for (auto [code, speed] : codes) {
        at(10, code);
        ASSERT_FALSE(read(4));
        EXPECT_EQ(baud_rate, speed) << code;
        EXPECT_EQ(local_mode, code[0] == 'L') << code;
    }
}

TEST_F(pcboard12, name_and_graphics) {
    at(14, std::string("carl\0q  smith            ", 25));
    at(57, "0");
    ASSERT_FALSE(read(4));
    EXPECT_EQ(user_first_name, "CARL");
    EXPECT_EQ(user_last_name, "QSMITH");
    EXPECT_EQ(graphics_mode, 1);
}

TEST_F(pcboard12, minutes_from_the_three_times) {
    struct case_ {
        const std::string *logged_on, *allowed, *left_at;
        int minutes;
    };
    const case_ cases[] = {
        {&mbf_36000, &mbf_3600, &mbf_36600, 50},
        {&mbf_36000, &mbf_3600, &mbf_36030, 60},  // 59.5 rounds to the even 60
        {&mbf_36000, &mbf_3600, &mbf_36090, 58},  // 58.5 rounds to the even 58
        {&mbf_0, &mbf_90, &mbf_0, 2},             // 1.5
        {&mbf_0, &mbf_150, &mbf_0, 2},            // 2.5
        {&mbf_0, &mbf_36000, &mbf_0, 255},        // capped
        {&mbf_0, &mbf_3600, &mbf_7200, 0},        // more used than allowed
        {&mbf_0, &mbf_minus_3600, &mbf_0, 0},
    };
    for (const auto& c : cases) {
        times(*c.logged_on, *c.allowed, *c.left_at);
        ASSERT_FALSE(read(4));
        EXPECT_EQ(minutes_allowed, c.minutes);
    }
}

TEST_F(pcboard12, short_block) {
    ASSERT_FALSE(read(4, 60));
    EXPECT_EQ(user_first_name, "CARL");
    EXPECT_EQ(minutes_allowed, 0);
    EXPECT_EQ(read(4, 10).code, 17);
}

TEST_F(pcboard12, local_pcboard12_session_gets_rip) {
    // door_init gives a local PCBoard 12 session graphics 5; the reader itself does not.
    at(10, "L ");
    ASSERT_FALSE(read(4));
    EXPECT_TRUE(local_mode);
    EXPECT_EQ(graphics_mode, 3);
}
