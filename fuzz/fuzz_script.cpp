// Any bytes as a script the sysop wrote, with the keys a caller typed: the interpreter must
// run it to its end without a crash, a hang or a read out of bounds, whatever it says.
//
// Input: the script text, then a NUL byte and the keys (no NUL: no keys). When the keys run
// out the caller is gone; a hold is raised so that the door kit does not end the program
// then but answers every key read at once, which ends the run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

#include "door/door.hpp"
#include "engine/script/script.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/item_hooks.hpp"
#include "fuzz/record_fuzz.hpp"

namespace {
inventory_list fuzz_inventory;

// Stand-ins for the game-bound parts: the interpreter passes creatures through without
// looking at them, so any object serves as one.
struct stand_in {
    int level = 1;
};

bool setup() {
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    script_step_budget = 500;  // runaway inputs end fast
    set_read_internal_item_hook([](const std::string&, std::int32_t n, script_vars&) -> std::optional<item_record> {
        if (n % 2 == 0) return std::nullopt;
        item_record r;
        r.name = "Fuzz Item";
        r.script_id = "FUZZ-01011999-QZ-N";
        return r;
    });
    set_get_item_script_num_hook([](const item_record&) { return std::int32_t(1); });
    set_current_inventory_hook([] { return &fuzz_inventory; });
    set_read_creature_file_hook([](const std::string&) {
        auto list = std::make_shared<stand_in>();
        return script_creatures(list, reinterpret_cast<script_creature_list*>(list.get()));
    });
    set_creature_rows_hook([](const script_creature_list&) {
        return std::vector<creature_row>{{1, "Rat", 10, 5}, {2, "Wolf", 20, 7}};
    });
    set_random_creature_hook(
        [](script_creature_list& l, std::int16_t) { return reinterpret_cast<monster_record*>(&l); });
    set_read_internal_monster_hook([](const std::string&, std::int32_t n, script_vars&) {
        if (n % 2 == 0) return std::shared_ptr<monster_record>();
        auto mob = std::make_shared<stand_in>();
        return std::shared_ptr<monster_record>(mob, reinterpret_cast<monster_record*>(mob.get()));
    });
    set_mob_to_char_hook([](const monster_record&) {
        auto c = std::make_unique<character_record>();
        c->name = "Stand In";
        c->real_name = "MOB";
        return c;
    });
    set_do_combat_hook([](character_record& foe) { return foe.name.size() % 2 == 0; });
    set_exec_flag_command_hook([](std::string_view kw, std::string_view rest, const std::string&, std::string_view,
                                  std::string_view, int, script_vars& vars) {
        std::string text(rest);
        expand_vars(text, vars);
        disp_line(text);
        return kw.size() == 5;  // WRITE reports an error, the others do not
    });
    return true;
}

// Standard input becomes a pipe holding the keys, closed behind them.
void feed_keys(const std::string& keys) {
    int p[2];
    if (pipe(p) != 0) std::abort();
    std::string k = keys.substr(0, 16384);
    if (!k.empty() && write(p[1], k.data(), k.size()) != static_cast<ssize_t>(k.size())) std::abort();
    close(p[1]);
    dup2(p[0], 0);
    close(p[0]);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = setup();
    (void)ready;
    fuzzing::scratch_dir scratch;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::size_t nul = bytes.find('\0');
    std::string script = bytes.substr(0, nul);
    std::string keys = nul == std::string::npos ? "" : bytes.substr(nul + 1);

    atomic_rewrite("f.scr", script);
    door_reset_session();
    graphics_mode = 3;
    door_hold_raise();
    carrier_present = 1;
    carrier_lost = false;
    fuzz_inventory.clear();
    set_default_tunables();
    feed_keys(keys);
    execute_script("f.scr", "one two ^VR01 &VR99", "f.scr");
    if (opponent) std::abort();
    return 0;
}
