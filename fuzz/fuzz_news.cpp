// Any bytes as a news file and as a conversation board: the reader pages them, an item and a
// comment are added, and what the board keeps is at most 18 lines.
#include <cstdint>
#include <string>

#include "engine/store/file_access.hpp"
#include "engine/store/news_file.hpp"
#include "fuzz/multi_fuzz.hpp"
#include "multi/news.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::multi_run run(data, size);
    if (!atomic_rewrite(news_file_name(0), run.bytes) || !atomic_rewrite("tavern.cnv", run.bytes)) std::abort();
    read_news("0");
    text_list item;
    add_desc_line(run.bytes.substr(0, 100), item);
    add_news(item);
    text_list news;
    read_news_file(news_file_name(0), news);
    if (news.empty()) std::abort();

    add_conversation_comment("tavern.cnv", run.bytes.substr(0, 200));
    text_list board;
    read_conversation("tavern.cnv", board);
    if (board.size() >= conversation_line_limit || board.size() < 2) std::abort();
    erase_file(news_file_name(0));
    erase_file("tavern.cnv");
    return 0;
}
