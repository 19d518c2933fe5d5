#include "door/halt.hpp"

#include <cstdlib>
#include <vector>

namespace {
std::vector<exit_proc>& chain() {
    static std::vector<exit_proc> c;
    return c;
}
int exit_code = 0;
bool in_halt = false;
}  // namespace

void add_exit_proc(exit_proc p) { chain().push_back(p); }

void halt(int code) {
    exit_code = code;
    in_halt = true;
    while (!chain().empty()) {
        exit_proc p = chain().back();
        chain().pop_back();
        p();
    }
    std::exit(exit_code);
}

int halt_code() { return exit_code; }
bool halting() { return in_halt; }
