// Keys and lines from the caller, read from piped bytes as the kit reads them.
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "door/door_internal.hpp"
#include "door_fixture.hpp"
#include "support/capture.hpp"
#include "support/input_feed.hpp"

namespace {
struct input : door_fixture {
    output_capture out;
    void SetUp() override {
        door_fixture::SetUp();
        graphics_mode = 3;
        door_state::command_stacking = true;
    }
};
}  // namespace

TEST_F(input, line_editing_and_echo) {
    input_feed keys("ab\bc\r");
    EXPECT_EQ(read_line(), "ac");
    EXPECT_EQ(out.take(), "ab\b \bc\r\n");
    keys.send("\b\bx\x7f\x7fy\r");  // BS and DEL on an empty line send nothing
    EXPECT_EQ(read_line(), "y");
    EXPECT_EQ(out.take(), "x\b \by\r\n");
}

TEST_F(input, control_and_high_bytes_become_dots) {
    input_feed keys("\x1bq\t\xE9\x7e\x02\r");
    EXPECT_EQ(read_line(), ".q\t.~.");
    EXPECT_EQ(out.take(), ".q\t.~.\r\n");
    keys.send("a\nb\r");  // a lone LF is no Enter
    EXPECT_EQ(read_line(), "a.b");
}

TEST_F(input, crlf_and_nul_from_a_telnet_line) {
    input_feed keys(std::string_view("ab\r\ncd\r\0ef\r", 11));
    EXPECT_EQ(read_line(), "ab");
    EXPECT_EQ(read_line(), "cd");
    EXPECT_EQ(read_line(), "ef");
}

TEST_F(input, line_holds_255_characters) {
    input_feed keys(std::string(300, 'x') + "\r");
    EXPECT_EQ(read_line(), std::string(255, 'x'));
    EXPECT_EQ(out.take(), std::string(255, 'x') + "\r\n");
}

TEST_F(input, stacked_commands) {
    input_feed keys("a;b;c\r");
    EXPECT_EQ(read_line(), "a");
    EXPECT_EQ(out.take(), "a;b;c\r\n");
    // The rest comes at once, echoed, without a key.
    keys.end();
    EXPECT_EQ(read_line(), "b");
    EXPECT_EQ(read_line(), "c");
    EXPECT_EQ(out.take(), "b\r\nc\r\n");
    EXPECT_FALSE(carrier_lost);
}

TEST_F(input, stacking_keeps_empty_commands_and_can_be_off) {
    input_feed keys("x;;y\r");
    EXPECT_EQ(read_line(), "x");
    EXPECT_EQ(read_line(), "");
    EXPECT_EQ(read_line(), "y");
    door_state::command_stacking = false;
    keys.send("p;q\r");
    EXPECT_EQ(read_line(), "p;q");
}

TEST_F(input, numbers) {
    input_feed keys("42\r-7\r12x\r\r 99 \r99999\r3000000000\r300\r70000\r");
    EXPECT_EQ(read_int(), 42);
    EXPECT_EQ(read_int(), -7);
    EXPECT_EQ(read_int(), 0);
    EXPECT_EQ(read_int(), 0);
    EXPECT_EQ(read_int(), 99);
    EXPECT_EQ(read_int(), 32767);  // too large for the field: clamped, never wrapped
    EXPECT_EQ(read_longint(), 2147483647);
    EXPECT_EQ(read_byte(), 255);
    EXPECT_EQ(read_word(), 65535);
}

TEST_F(input, keys) {
    input_feed keys("\x01z\xE9\r\n");
    EXPECT_EQ(read_key(), 'z');  // Ctrl-A is no key
    EXPECT_EQ(static_cast<unsigned char>(read_key()), 0xE9);
    EXPECT_EQ(read_key(), '\r');
    door_state::macro = "mq";
    keys.send("\x0e");  // Ctrl-N types the macro
    EXPECT_EQ(read_key(), 'm');
    EXPECT_EQ(read_key(), 'q');
    EXPECT_EQ(out.take(), "");
}

TEST_F(input, key_waiting) {
    input_feed keys;
    EXPECT_FALSE(key_waiting());
    keys.send("k");
    EXPECT_TRUE(key_waiting());
    EXPECT_TRUE(key_waiting());  // the key it saw stays waiting
    EXPECT_EQ(read_key(), 'k');
    EXPECT_FALSE(key_waiting());
}

TEST_F(input, output_is_flushed_before_a_key_wait) {
    // What has reached descriptor 1, read without the capture's own flush.
    auto sent = [] {
        char buf[64];
        ssize_t n = pread(1, buf, sizeof buf, 0);
        return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    };
    input_feed keys("k");
    write_str("Prompt: ");
    EXPECT_EQ(sent(), "");  // buffered
    EXPECT_TRUE(key_waiting());
    EXPECT_EQ(sent(), "Prompt: ");
    write_str("Again: ");
    read_key();
    EXPECT_EQ(sent(), "Prompt: ");  // a waiting key needs no wait, so no flush yet
    keys.send("j");
    read_key();
    EXPECT_EQ(sent(), "Prompt: Again: ");
}

TEST_F(input, end_of_input_under_a_hold_is_deferred) {
    input_feed keys;
    keys.end();
    door_hold_raise();
    EXPECT_FALSE(key_waiting());
    EXPECT_TRUE(carrier_lost);
    EXPECT_EQ(read_key(), '\r');  // the holder can finish
    write_line("dropped");
    EXPECT_EQ(out.take(), "");
    std::string path = dir.file("out.txt");
    EXPECT_EXIT(
        {
            int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            door_hold_lower();
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(read_file(path), "\r\nCarrier Dropped, returning to BBS.\r\n");
}

TEST_F(input, minutes_left_across_midnight) {
    seam.set_time(2026, 3, 1, 23, 50, 0);
    start_time = clock_now();
    minutes_allowed = 60;
    seam.set_time(2026, 3, 2, 0, 10, 0);
    EXPECT_EQ(minutes_left(), 40);
    bonus_minutes = 5;
    EXPECT_EQ(minutes_left(), 45);
}

TEST_F(input, minutes_left_drops_seconds) {
    seam.set_time(2026, 3, 1, 10, 0, 30);
    start_time = clock_now();
    minutes_allowed = 30;
    seam.set_time(2026, 3, 1, 10, 5, 29);
    EXPECT_EQ(minutes_left(), 26);
    seam.set_time(2026, 3, 1, 10, 5, 30);
    EXPECT_EQ(minutes_left(), 25);
}

namespace {
std::vector<std::string> two_lines(std::string_view section) {
    EXPECT_FALSE(text_display);
    return {"`1" + std::string(section), "two"};
}
}  // namespace

TEST_F(input, show_text_ansi_only_to_ansi_callers) {
    show_text_ansi("MAIN");
    EXPECT_EQ(out.take(), "");  // no reader installed yet
    set_show_text_reader(two_lines);
    show_text_ansi("MAIN");
    EXPECT_EQ(out.take(), "`1MAIN\r\ntwo\r\n");
    EXPECT_FALSE(text_display);
    graphics_mode = 1;
    show_text_ansi("MAIN");
    graphics_mode = 5;
    show_text_ansi("MAIN");
    EXPECT_EQ(out.take(), "");
    set_show_text_reader(nullptr);
}

TEST_F(input, key_waiting_notices_end_of_input) {
    std::string path = dir.file("out.txt");
    EXPECT_EXIT(
        {
            input_feed keys;
            keys.end();
            int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            for (int i = 0; i < 3; ++i) key_waiting();
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(read_file(path), "\r\nCarrier Dropped, returning to BBS.\r\n");
}

TEST_F(input, broken_output_line_is_carrier_loss) {
    comms_unit_init();  // the broken-pipe signal is ignored, so the write reports the error
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    close(p[0]);
    int saved = dup(1);
    dup2(p[1], 1);
    close(p[1]);
    door_hold_raise();
    write_line("nobody hears this");
    flush_output();
    dup2(saved, 1);
    close(saved);
    EXPECT_TRUE(carrier_lost);
    write_line("nor this");  // dropped, and no exit while the hold is raised
    EXPECT_EQ(out.take(), "");
}

TEST_F(input, hang_up_is_heard_when_the_bbs_started_us_with_it_blocked) {
    sigset_t carrier_signals, old;
    sigemptyset(&carrier_signals);
    sigaddset(&carrier_signals, SIGHUP);
    sigaddset(&carrier_signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &carrier_signals, &old);
    comms_unit_init();
    raise(SIGTERM);
    EXPECT_FALSE(carrier_present);
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

TEST_F(input, short_pauses_add_up_on_the_test_clock) {
    seam.set_time(2026, 3, 1, 10, 0, 0);
    for (int i = 0; i < 500; ++i) delay_ms(2);
    EXPECT_EQ(clock_now().second, 1);
    EXPECT_EQ(clock_now().hundredths, 0);
}
