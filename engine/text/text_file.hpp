// Sectioned text files and the lists of text lines they are read into.
//
// A sectioned text file ("quortext.dat", scripts, flag files, boards, definition files) is a
// text file of lines ended by CR, LF or CR LF; a line longer than 255 characters is cut to
// 255 on reading. A line beginning "@#" opens a section named by the rest of the line exactly
// as written (names match case-blind); a section runs to the next line beginning "@#" or "~"
// or to the end of the file. Lines before the first header belong to no section.
//
// A text list holds lines of up to 100 characters (a longer line is cut), in file order; an
// empty list is the "nil" of the game's texts (no section, or an empty one).
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "door/fstr.hpp"

using text_line = fstr<100>;
using text_list = std::list<text_line>;

// Reads a text file line by line from the start (the "open text file" of read_desc).
class text_reader {
public:
    text_reader() = default;
    // The lines of a text image held in memory.
    explicit text_reader(std::string_view bytes);
    // Opens a file through the game's open rule: false when it is missing; a file that stays
    // busy ends the game with its code; a read that fails part-way ends it with code 5.
    bool open(const std::string& name);
    // The next line without its line end, cut to 255 characters; false at the end.
    bool read_line(std::string& line);
    bool at_end() const { return next_ >= lines_.size(); }

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

// The lines of the named section of the file (list replaced; empty when the file has no such
// section or the section is empty). A missing file shows "`9  Error : File <name> missing."
// and ends the game with code 12.
void read_menu_text(const std::string& file_name, std::string_view section, text_list& list);
// The same from a text image held in memory.
void read_image_section(std::string_view image, std::string_view section, text_list& list);
// Reads the section as read_menu_text does and prepares it as a menu (prep_menu_text): its
// key string is appended to keys, its expanded lines to list.
void read_text_section(const std::string& file_name, std::string_view section, text_list& list, std::string& keys);
// Reads lines from the reader's position into list (replaced) up to the next line beginning
// "@#" or "~" (read, not stored) or the end.
void read_desc(text_reader& file, text_list& list);
// Appends one line at the tail, cut to 100 characters.
void add_desc_line(std::string_view text, text_list& list);
// Frees every line: the list becomes empty.
void deldesc(text_list& list);

// The upper-cased names of all sections of the file in file order (list replaced); a lone
// "@#" gives no name. A missing file leaves the list as it was.
void retrieve_headers(const std::string& file_name, text_list& list);
// The same, keeping only names that contain the filter (the filter is not upper-cased).
void retrieve_headers(const std::string& file_name, std::string_view filter, text_list& list);

// Modes of writedesc.
constexpr int writedesc_plain = 1;  // lines as they stand (any mode other than 2 and 3)
constexpr int writedesc_ansi = 2;   // colour codes turned into ANSI sequences
constexpr int writedesc_strip = 3;  // colour codes removed
// Replaces the whole file with the list's lines (one LF-ended line each), converted by mode;
// an empty list leaves an empty file. The rewrite goes through a temporary file and a
// rename, so another node sees the old file or the new one.
void writedesc(int mode, const std::string& file_name, const text_list& list);
// Lines made one at a time: a source hands each line to the sink it is given.
using line_sink = std::function<void(std::string_view line)>;
using line_source = std::function<void(const line_sink& put)>;
// writedesc for lines that are never held as a list: each is cut to a text line's 100
// characters as a list would, and they go to the file in pieces as they come, so a listing
// of thousands of lines costs a small buffer instead of the whole file in memory.
void writedesc_lines(int mode, const std::string& file_name, const line_source& lines);
// The same lines to several files at once, each converted by its own mode: the lines are
// made once for them all.
struct desc_file {
    int mode;
    std::string name;
};
void writedesc_lines(std::initializer_list<desc_file> files, const line_source& lines);
// Adds every line of the list, one LF-ended line each, to a file image being built (written
// whole afterwards with atomic_rewrite or rewrite_file).
void add_desc_to_file(std::string& file_image, const text_list& list);
// Appends the list's lines to the mailbox user<NNNN>.dat of the player with that name (name
// compared without case and colour codes). A name that matches no character, or an empty
// list, writes nothing. The lines go in as one append under the file's lock, so appends from
// several nodes never interleave.
void append_user_file(std::string_view player_name, const text_list& list);
// The same for the mailbox of the character with that number, for callers that hold the
// record (a loop over the characters finds each mailbox without a search by name).
// The game's own letters: an append that fails is file_write_failed (code 5), so nothing
// goes on to claim it sent.
void append_mailbox(std::int16_t number, const text_list& list);
// What became of a letter a player wrote.
enum class mail_delivery { sent, mailbox_full, failed };
// A mailbox above this size takes no more player mail (the game's own letters still go).
constexpr std::int64_t mailbox_limit = 1024 * 1024;
// Appends a player's letter to the mailbox of that number, unless the mailbox is above
// mailbox_limit; a failed append is logged with its reason and returned, never fatal.
mail_delivery deliver_player_mail(std::int16_t number, const text_list& list);
// A line of text that goes into a mailbox: control bytes become "." and a line that would
// start a message ("#") or end a body ("~") gets a blank in front, so what a player typed
// or a script wrote stays text.
std::string mail_safe_line(std::string_view line);
// "user" + the player number zero-padded to four digits + ".dat".
std::string mailbox_file_name(std::int16_t number);
// "user" + the player number zero-padded to four digits + ".tmp": a mailbox being read.
std::string mailbox_temp_name(std::int16_t number);
// A message of a mailbox being read whose command lines have been carried out: its first byte
// (the "#" of its header, or its first command line when it has none) is overwritten with
// this mark, and the reading skips it up to the next header. A player's text can never begin
// a line with it (mail_safe_line), so only the reader sets it.
constexpr char mail_read_mark = '\x01';

// Reads the file three characters at a time (line ends skipped) and returns the number the
// last group spells; 0 when it is no number or the file is missing.
std::int32_t read_file_number(const std::string& file_name);

// Take one text and discard it: the output routine for listings that are to stay silent.
void silent_line(std::string_view text);
void silent_text(std::string_view text);

// "quortext.dat", the game's menu and location texts.
constexpr const char* text_file_name = "quortext.dat";
