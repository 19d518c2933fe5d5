// Message boards: files of numbered posts that players read and write, the tavern's
// "tavern.msg", each guild hall's hall<NNNN>.msg and the boards scripts open.
//
// A board is a sectioned text file, one section a post, oldest first:
//   "@#" + the post's number (1, 2, 3 ... in file order)
//   the author's proper-cased name
//   the date-time text of the posting
//   the subject
//   the body lines, each typed line behind two blanks
// A board keeps at most max_board_messages posts (below 1 counts as 1): a post that would
// pass it drops the oldest and numbers the rest from 1. Every change to a board is made
// under the board's lock, so posts from several nodes are never lost, torn or numbered
// twice: a post is appended, and only making room (or mending a board that does not read
// back as it is stored) replaces the file whole.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "engine/text/text_file.hpp"
#include "game/menu.hpp"

// The board menu under the title: S list, R read, P post, V the status screen, F the players
// on line, ? the menu text, L (and Enter) leave. It runs at the menu depth it is entered at.
// The guild number of a hall board does not change it; a hall's board is followed as the
// hall's own menus are (membership, a raid's queue) by what follow sets on its loop.
void message_board_menu(const std::string& file, std::string_view title, int guild,
                        const std::function<void(menu_loop&)>& follow = {});

// The number of posts (0 for a missing board).
int count_board_msgs(const std::string& file);
// The list of posts: number, subject and author.
void list_board(const std::string& file);
// Asks for a number and shows that post, a screen at a time.
void read_board_msg(const std::string& file, std::string_view title);
// Lets the player write a post and adds it to the board.
void enter_post(const std::string& file);
// Appends the lines to the board (created when missing).
void append_board_post(const std::string& file, const text_list& lines);
// Drops the oldest posts so that one more fits, and numbers the rest from 1.
void renumber_board(const std::string& file);
