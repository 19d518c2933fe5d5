// A clean engine for one test: a fresh game directory as the current directory, a fake
// clock with instant pauses, and the engine's globals emptied.
#pragma once
#include <string>
#include <vector>

#include "door/door.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/record_file.hpp"
#include "support/fake_seam.hpp"
#include "support/temp_dir.hpp"

inline void reset_engine_globals() {
    release_own_hold();
    release_character();
    del_char_list();
    del_guild_list();
    chars_loaded = false;
    game_stats = stat_record{};
    debug_mode = false;
    debug_indent.clear();
    carrier_present = 1;
    carrier_lost = false;
    graphics_mode = 3;
}

struct engine_state {
    temp_dir dir;
    fake_seam seam;
    engine_state() { reset_engine_globals(); }
    ~engine_state() { reset_engine_globals(); }
};

inline character_record make_char(std::int16_t number, const std::string& name, std::int32_t bank = 0) {
    character_record c;
    c.number = number;
    c.name = name;
    c.real_name = name + " CALLER";
    c.bank_gold = bank;
    c.gold = 100 * number;
    c.level = 1;
    return c;
}

inline std::vector<character_record> file_chars(const std::string& name = "players.dat") {
    std::vector<character_record> recs;
    parse_records(read_file(name), recs);
    return recs;
}

inline void put_chars(const std::vector<character_record>& recs, const std::string& name = "players.dat") {
    write_file(name, records_image<character_record>(recs));
}
