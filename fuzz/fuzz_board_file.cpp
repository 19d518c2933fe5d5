// Any bytes as a message board: counting, listing, reading, making room and appending never
// crash, and the posts counted before and after agree. A post is also made onto the bytes as
// they stand, where only the board's end is read.
#include <cstdint>
#include <string>

#include "engine/store/file_access.hpp"
#include "engine/text/flags.hpp"
#include "fuzz/multi_fuzz.hpp"
#include "multi/boards.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::multi_run run(data, size);
    const std::string board = "tavern.msg";
    text_list post;
    for (const char* line : {"@#99", "Anna", "Monday 01/12/26  10:00:00:00", "Subject", "  body"})
        add_desc_line(line, post);
    if (!atomic_rewrite(board, run.bytes)) std::abort();
    append_board_post(board, post);
    if (count_board_msgs(board) < 1) std::abort();
    if (!atomic_rewrite(board, run.bytes)) std::abort();
    int before = count_board_msgs(board);
    list_board(board);
    read_board_msg(board, "Fuzz");
    renumber_board(board);
    int after = count_board_msgs(board);
    if (after != (before >= max_board_messages ? max_board_messages - 1 : before)) std::abort();
    append_board_post(board, post);
    if (count_board_msgs(board) != after + 1) std::abort();
    return 0;
}
