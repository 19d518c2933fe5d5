// Long texts shown a screen at a time: the news and the message boards.
#pragma once
#include "engine/text/text_file.hpp"

// Lines on a screen before the reader waits for a key.
constexpr int page_lines_per_screen = 23;

// Shows the lines (colour codes and macros) counting from header_lines, the lines of the
// screen already used above them. Whenever the count reaches a full screen and more lines
// follow, waits for a key, restores the colour in use, steps back over the key prompt with
// 21 backspaces and counts again from 0.
void show_paged(const text_list& lines, int header_lines);
