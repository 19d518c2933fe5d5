// A small door for the text layer's end-to-end test: it opens a door session as the game
// does, plays as "anna berg" (sex 2, 1,234,567 gold), shows section "sample" of
// "quortext.dat" as a menu (key string, colour codes, macros), its key list and the
// "Hit any key" pause, then the door kit's ANSI screen of section "logo".
#include <string>

#include "door/door.hpp"
#include "engine/store/data_files.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/text_file.hpp"
#include "engine/text/text_init.hpp"

int main(int argc, char** argv) {
    engine_text_init();
    door_set_args(argc, argv);
    door_init("quorvath.dat");
    character_record anna;
    anna.number = 1;
    anna.name = "anna berg";
    anna.sex = 2;
    anna.gold = 1234567;
    cur_char = add_char(anna);

    text_list menu;
    read_menu_text(text_file_name, "sample", menu);
    std::string keys = prep_menu_text(menu);
    write_line("BEGIN");
    dispdesc(menu);
    disp_key_list(keys);
    hit_any_key();
    write_line();
    show_text_ansi("logo");
    write_line("END");
    halt(0);
}
