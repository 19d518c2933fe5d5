// A fresh door session for each unit test: default session values, a fixed clock, instant
// pauses, and a temporary game directory as the current directory.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "door/door.hpp"
#include "support/fake_seam.hpp"
#include "support/temp_dir.hpp"

// Fixed-capacity strings print as their text in failure messages.
template <std::size_t N>
void PrintTo(const fstr<N>& s, std::ostream* os) {
    *os << '"' << s.view() << '"';
}

struct door_fixture : ::testing::Test {
    fake_seam seam;
    temp_dir dir;
    std::vector<std::string> argv_store;

    void SetUp() override {
        door_reset_session();
        debug_mode = false;
        set_args({});
    }
    void TearDown() override { door_reset_session(); }

    // The command line the kit reads its switches from (the program's name is added).
    void set_args(std::vector<std::string> args) {
        argv_store = {"quorvath"};
        argv_store.insert(argv_store.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : argv_store) argv.push_back(a.data());
        door_set_args(static_cast<int>(argv.size()), argv.data());
    }
};
