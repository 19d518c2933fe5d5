// A section with colour codes and macros, shown to a caller on a real terminal: the exact
// bytes for an ANSI caller, the plain text for an ASCII caller.
#include <gtest/gtest.h>

#include "support/pty.hpp"
#include "support/temp_dir.hpp"

namespace {
const std::string quortext =
    "@#logo\r\n"
    "\x1b[1;33m*** QUORVATH ***\x1b[0m\r\n"
    "@#sample\r\n"
    "ABQ\r\n"
    "`c`%The Quorvath `9- `3Welcome, ^CA!\r\n"
    "`9  Your master ^DA calls you ^CG; you carry &CS18 gold.\r\n"
    "`!  (^MC01)ttack  (^MC02)ounce  (^MC03)uit  ``quoted``\r\n"
    "@#\r\n";

// A DOOR.SYS with the graphics field (line 20) given.
std::string door_sys(const std::string& graphics) {
    std::string lines[20] = {"COM0:", "", "", "", "38400", "", "", "", "",   "Anna Berg",
                             "",      "", "", "", "100",   "", "", "", "60", graphics};
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

std::string run_probe(const std::string& graphics) {
    temp_dir game(false);
    write_file(game.file("quorvath.dat"), "BBSTYPE DOORSYS\n");
    write_file(game.file("door.sys"), door_sys(graphics));
    write_file(game.file("quortext.dat"), quortext);
    pty_process::options o;
    o.dir = game.path();
    o.env = {"QV_TEST_NOSLEEP=1"};
    pty_process p(qv_binary("text_probe"), o);
    EXPECT_TRUE(p.wait_for("[ Hit any key ]"));
    p.send("k");
    EXPECT_TRUE(p.wait_for("END\r\n"));
    EXPECT_EQ(p.wait_exit(), 0);
    std::string out = p.output();
    std::size_t begin = out.find("BEGIN\r\n");
    std::size_t end = out.find("END\r\n");
    if (begin == std::string::npos || end == std::string::npos) return "no marks in: " + out;
    return out.substr(begin + 7, end - begin - 7);
}
}  // namespace

TEST(text_e2e, an_ansi_caller_gets_the_colours_as_sequences) {
    EXPECT_EQ(run_probe("GR"),
              "\x1b[2J\x1b[H\x1b[1;37mThe Quorvath \x1b[34m- \x1b[0;36mWelcome, Anna Berg!\r\n"
              "\x1b[1;34m  Your master Romulas calls you ma'am; you carry 1,234,567 gold.\r\n"
              "\x1b[36m  (A)ttack  (B)ounce  (Q)uit  `quoted`\r\n"
              "\x1b[0m  (A,B,Q,?)\r\n"
              "\x1b[1;34m      [ Hit any key ]\r\n"
              "\x1b[1;33m*** QUORVATH ***\x1b[0m\r\n");
}

TEST(text_e2e, an_ascii_caller_gets_plain_text) {
    EXPECT_EQ(run_probe("NG"),
              "The Quorvath - Welcome, Anna Berg!\r\n"
              "  Your master Romulas calls you ma'am; you carry 1,234,567 gold.\r\n"
              "  (A)ttack  (B)ounce  (Q)uit  `quoted`\r\n"
              "  (A,B,Q,?)\r\n"
              "      [ Hit any key ]\r\n");
}
