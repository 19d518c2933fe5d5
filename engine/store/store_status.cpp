#include "engine/store/store_status.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
store_report_fn report_fn = nullptr;
}  // namespace

void set_store_report(store_report_fn f) { report_fn = f; }

void report_store(const store_status& status) {
    // A failure nobody handles must not pass for success.
    if (!report_fn) {
        bool notice = status.event == store_event::players_new || status.event == store_event::stat_new ||
                      status.event == store_event::hold_waiting || status.event == store_event::hold_overdue ||
                      status.event == store_event::hold_taken || status.event == store_event::hold_released;
        if (!notice) std::abort();
        return;
    }
    report_fn(status);
}

std::string system_reason() { return std::strerror(errno ? errno : EIO); }
