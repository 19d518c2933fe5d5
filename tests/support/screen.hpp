// The screen a caller sees: an 80 x 25 ANSI terminal fed with the bytes the game sends, so
// that tests compare screens (text and colours) instead of byte streams.
//
//   ansi_screen s;
//   s.feed("\x1b[2J\x1b[1;37mHello\r\n");
//   s.row(1)            == "Hello"      (trailing blanks cut)
//   s.colour_at(1, 1)   == 15           (PC colour: 0-15, +16 when blinking)
//   s.cursor_y()        == 2
//
// Understood: printable bytes (bytes 128-255 are kept as they are: the PC character set),
// CR, LF (scrolls at the bottom row), BS, TAB, BEL (ignored), and ESC "[" sequences ending
// in H and f (position), A B C D (moves), J (0, 1, 2: 2 also homes the cursor, as BBS
// terminals do), K (0, 1, 2), m (colours), s and u (save, restore). Other sequences, such as
// the RIP query ESC "[!", are swallowed. A character written in the last column leaves the
// cursor there; the next printable character wraps to the next line first.
// Rows and columns count from 1, as in goto_xy and ESC "[row;colH".
#pragma once
#include <array>
#include <string>
#include <string_view>

class ansi_screen {
public:
    static constexpr int width = 80;
    static constexpr int height = 25;

    // A terminal of fewer rows (24, as a console may be) scrolls at its own last row.
    explicit ansi_screen(int rows = height) : rows_(rows < 1 || rows > height ? height : rows) { clear(); }
    void clear();  // blank screen in grey on black, cursor home
    void feed(std::string_view bytes);

    // Row y's text with trailing blanks cut.
    std::string row(int y) const;
    // Every row, trailing blanks cut, joined with "\n"; blank rows at the bottom left out.
    std::string text() const;
    // True when any row holds s.
    bool contains(std::string_view s) const;
    char at(int x, int y) const;
    int colour_at(int x, int y) const;  // foreground 0-15, +16 when blinking
    int back_at(int x, int y) const;    // background 0-7
    int cursor_x() const { return cx_ + 1; }
    int cursor_y() const { return cy_ + 1; }
    int colour() const;                       // the colour the next character gets
    int scrolls() const { return scrolls_; }  // line feeds on the last row so far

private:
    struct cell {
        char ch = ' ';
        unsigned char fore = 7;  // 0-15
        unsigned char back = 0;  // 0-7
        bool blink = false;
    };
    void put(char c);
    void line_feed();
    void csi(std::string_view params, char final_byte);
    void sgr(std::string_view params);

    std::array<std::array<cell, width>, height> cells_;
    int rows_ = height;
    int scrolls_ = 0;
    int cx_ = 0, cy_ = 0;
    int saved_x_ = 0, saved_y_ = 0;
    bool wrap_pending_ = false;
    int fore_ = 7, back_ = 0;
    bool bold_ = false, blink_ = false;
    // Parser state for a sequence cut between two feeds.
    int state_ = 0;  // 0 text, 1 after ESC, 2 inside ESC "["
    std::string params_;
};
