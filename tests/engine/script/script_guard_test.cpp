// Scripts that would hang, spin or crash the game end with a script error, quickly.
#include <gtest/gtest.h>

#include <chrono>

#include "engine/script_state.hpp"

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif
#else
constexpr bool sanitized = false;
#endif
// A second on the game's own build; the sanitizers slow every step several times over, and
// a loaded test machine more, so there the guard only has to end the script at all soon.
constexpr auto time_limit = std::chrono::seconds(sanitized ? 10 : 1);

struct script_guards : script_state {
    // Runs the script (one key for the error's wait) and checks it ends in time.
    std::string run_quickly(const std::string& script) {
        auto start = std::chrono::steady_clock::now();
        std::string screen = run(script, "x");
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, time_limit);
        return screen;
    }
};
}  // namespace

TEST_F(script_guards, a_variable_number_out_of_range_is_ignored) {
    std::string s = lines({"@#MAIN", "  SETSTR ^VR01 \"keep\"", "  READCHAR ^VR99", "  READCHAR ^VR00",
                           "  READLINE ^VR26", "  RANDOM ^VR99 6", "  SET ^VR99 x", "  SETSTR ^VR99 \"x\"",
                           "  ADD ^VR99 1", "  MULT ^VR99 2", "  MONSTERAVAILABLE ^VR99", "  COMBAT ^VR99 EXT",
                           "  SET ^VR9 x", "  SET ^GF99 1", "  SET ^GF03 1", "  DISPLAYSTATS", "  HALT"});
    EXPECT_EQ(run(s, "abc\r"), "c\r\n");
    EXPECT_EQ(var(1), "keep");
    for (int n = 2; n <= 22; ++n) EXPECT_EQ(var(n), "") << n;
    EXPECT_EQ(var(23), "00100000000000000000000000000");
    EXPECT_EQ(fake().calls.size(), 1u);
}

TEST_F(script_guards, an_empty_main_or_none_is_an_error_not_a_spin) {
    EXPECT_EQ(run_quickly(lines({"@#DEFINE", "  SET ^VR01 1", "@#MAIN", "  ; nothing but a comment", "", "@#"})),
              error_screen("test.scr", "MAIN", 1, "Empty Section"));
    EXPECT_EQ(run_quickly(lines({"@#DEFINE", "  WRITE \"d\"", "@#OTHER", "  HALT"})),
              "d" + error_screen("test.scr", "DEFINE", 2, "No Main Section"));
    EXPECT_EQ(run_quickly(""), error_screen("test.scr", "DEFINE", 1, "No Main Section"));
    EXPECT_EQ(fake().calls, (std::vector<std::string>{"WRITE \"d\""}));
}

TEST_F(script_guards, a_loop_without_a_key_read_runs_out_of_steps) {
    EXPECT_EQ(run_quickly(lines({"@#MAIN", "  ADD ^VR01 1"})), error_screen("test.scr", "MAIN", 1, "Runaway Script"));
    EXPECT_EQ(run_quickly(lines({"@#MAIN", "  GOSUB A", "@#A", "  IF 1 == 1", "  ENDIF", "  RETURN"})),
              error_screen("test.scr", "A", 3, "Runaway Script"));
    // A key read between the steps keeps an endless menu loop going.
    std::string menu = lines(
        {"@#M", "AB", "  menu", "@#MAIN", "  MENU M", "  READCHAR ^VR01", "  IF ^VR01 == B", "  HALT", "  ENDIF"});
    std::string keys(script_step_budget / 4 + 10, 'a');
    EXPECT_EQ(run(menu, keys + "b"), "  menu\r\n");
}

TEST_F(script_guards, deep_recursion_ends_at_the_gosub_limit) {
    EXPECT_EQ(run_quickly(lines({"@#MAIN", "  GOSUB A", "@#A", "  WRITE \"\"", "  GOSUB A"})),
              error_screen("test.scr", "A", 2, "Gosub Too Deep A"));
    // Up to the limit is fine.
    std::string s = lines({"@#MAIN", "  GOSUB A", "  DISPLAYSTATS", "  HALT", "@#A", "  ADD ^VR01 1",
                           "  IF ^VR01 < " + std::to_string(script_max_depth), "  GOSUB A", "  ENDIF", "  RETURN"});
    EXPECT_EQ(run_quickly(s), "");
    EXPECT_EQ(var(1), std::to_string(script_max_depth));
}

TEST_F(script_guards, scripts_nested_too_deeply_end_with_an_error) {
    play_as("Hero");
    fake().on_healer = [] { execute_script("test.scr", "", "test.scr"); };
    std::string screen = run_quickly(lines({"@#MAIN", "  HEALER", "  HALT"}));
    EXPECT_EQ(screen, error_screen("test.scr", "DEFINE", 0, "Too Deep Script"));
    EXPECT_EQ(std::count(fake().calls.begin(), fake().calls.end(), "HEALERS"), script_max_nesting);
}

TEST_F(script_guards, a_missing_script_file_is_an_error) {
    input_feed keys("x");
    execute_script("gone.scr", "", "gone.scr");
    EXPECT_EQ(out.take(), error_screen("gone.scr", "DEFINE", 0, "Missing File gone.scr"));
    input_feed more("x");
    execute_script("/etc/passwd", "", "x");
    EXPECT_EQ(out.take(), error_screen("/etc/passwd", "DEFINE", 0, "Missing File /etc/passwd"));
}
