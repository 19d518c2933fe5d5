// Any bytes as "events.dat": the day's events must be read without a crash, each with a time
// of four characters and a script name, and a day of checks minute by minute must run each
// event at most once and end with no event pending, whatever the lines say.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/script/script.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "fuzz/caller_fuzz.hpp"
#include "fuzz/record_fuzz.hpp"

namespace {
// A clock the target moves by hand; pauses are instant.
struct day_clock : system_seam {
    local_time t;
    local_time now() override { return t; }
    void sleep_ms(int) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = (fuzzing::silence_output(), true);
    (void)ready;
    fuzzing::scratch_dir scratch;
    static day_clock clock;
    set_sys(&clock);
    fuzzing::absent_caller();
    random_event_percentage = 0;
    script_step_budget = 500;  // an event may name any file as its script

    atomic_rewrite("events.dat", std::string(reinterpret_cast<const char*>(data), size));
    clock.t = local_time{2026, 1, 12, 0, 0, 0, 0, 1};
    read_event_file();
    for (const event_entry& e : event_list) {
        if (e.time.size() != 4 || e.script.empty() || e.done) std::abort();
    }
    // Every quarter of an hour and every event's own minute.
    for (int minute = 1; minute < 24 * 60; ++minute) {
        clock.t.hour = minute / 60;
        clock.t.minute = minute % 60;
        bool due = minute % 15 == 0;
        for (const event_entry& e : event_list)
            due = due || str_to_int(e.time.view()) == clock.t.hour * 100 + clock.t.minute;
        if (due) Check_For_Random_Event();
        if (in_event) std::abort();
    }
    clock.t.hour = 23;
    clock.t.minute = 59;
    Check_For_Random_Event();
    if (next_event) std::abort();
    list_events(event_list);
    event_list.clear();
    next_event = nullptr;
    set_sys(nullptr);
    return 0;
}
