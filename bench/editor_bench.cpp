// The sysop's save of one player edit among 10,000 players against the game's own save of its
// character: both take the hold, read "players.dat" afresh, merge and write it once. The hold's
// 500 ms pause is cut to nothing, so the times are the work itself.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/scratch_dir.hpp"
#include "config/console.hpp"
#include "config/options.hpp"
#include "door/sys.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/record_file.hpp"
#include "engine/text/lookups.hpp"

namespace {
using clock_type = std::chrono::steady_clock;

struct no_pause : system_seam {
    no_pause() { set_sys(this); }
    void sleep_ms(int ms) override { system_seam::sleep_ms(ms == 500 ? 0 : ms); }
};

// The mean time of a save over rounds, in ms.
template <class F>
double mean_ms(int rounds, F save) {
    double total = 0;
    for (int i = 0; i < rounds; ++i) {
        auto t = clock_type::now();
        save();
        total += std::chrono::duration<double, std::milli>(clock_type::now() - t).count();
    }
    return total / rounds;
}
}  // namespace

int main() {
    std::string tmpl = bench::make_scratch_dir("qvbench");
    if (tmpl.empty() || chdir(tmpl.c_str()) != 0) return 1;
    no_pause seam;
    std::vector<character_record> recs(10000);
    for (int i = 0; i < 10000; ++i) {
        recs[i].number = static_cast<std::int16_t>(i + 1);
        recs[i].name = "Player" + std::to_string(i + 1);
        recs[i].created_time = 1000 + i;
        recs[i].gold = i;
    }
    write_record_file<character_record>("players.dat", recs);
    constexpr int rounds = 20;

    read_char_file();
    cur_char = char_num_ptr(5000);
    set_own_base();
    double game = mean_ms(rounds, [] {
        cur_char->gold += 1;
        write_char_file(true);
    });

    cfg::begin_player_edit();
    double utility = mean_ms(rounds, [] {
        cfg::edit_player(*cfg::player_by_number(4000)).gold += 1;
        cfg::write_player_changes();
    });
    std::printf("Saving one player among 10,000 (mean of %d):\n", rounds);
    std::printf("  the game's save of its character  %7.2f ms\n", game);
    std::printf("  quorcfg's save of one player edit %7.2f ms (%.2f times the game's)\n", utility, utility / game);
    std::string cleanup = std::string("rm -rf ") + tmpl;
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
