// The engine's wings one way only: no source of a wing includes a wing above it, and storage
// includes nothing of the door kit that talks to the caller or ends the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

// Bottom first: a wing may include its own and those before it.
const std::vector<std::string> wing_order = {"store", "text", "rules", "script"};

// What each wing must never include besides the wings above it.
const std::map<std::string, std::vector<std::string>> banned = {
    {"store", {"door/door.hpp", "door/halt.hpp", "door/door_internal.hpp"}},
};

std::string source_dir() {
    const char* dir = std::getenv("QV_SOURCE_DIR");
    return dir ? dir : ".";
}

std::vector<std::string> includes_of(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::string s = text.str();
    static const std::regex include(R"re(#include "([^"]+)")re");
    std::vector<std::string> found;
    for (std::sregex_iterator it(s.begin(), s.end(), include), end; it != end; ++it) found.push_back((*it)[1]);
    return found;
}
}  // namespace

TEST(wings, no_include_runs_up_and_storage_never_reaches_the_caller) {
    fs::path engine = fs::path(source_dir()) / "engine";
    ASSERT_TRUE(fs::is_directory(engine));
    std::vector<std::string> wrong;
    for (std::size_t rank = 0; rank < wing_order.size(); ++rank) {
        const std::string& wing = wing_order[rank];
        for (const auto& entry : fs::directory_iterator(engine / wing)) {
            std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".hpp") continue;
            for (const std::string& inc : includes_of(entry.path())) {
                for (std::size_t above = rank + 1; above < wing_order.size(); ++above)
                    if (inc.starts_with("engine/" + wing_order[above] + "/"))
                        wrong.push_back(wing + "/" + entry.path().filename().string() + " -> " + inc);
                if (inc.starts_with("game/") || inc.starts_with("multi/") || inc.starts_with("config/"))
                    wrong.push_back(wing + "/" + entry.path().filename().string() + " -> " + inc);
                if (auto b = banned.find(wing); b != banned.end())
                    for (const std::string& never : b->second)
                        if (inc == never) wrong.push_back(wing + "/" + entry.path().filename().string() + " -> " + inc);
            }
        }
    }
    EXPECT_EQ(wrong, std::vector<std::string>{});
}

TEST(wings, the_engine_has_no_source_outside_its_wings) {
    std::vector<std::string> loose;
    for (const auto& entry : fs::directory_iterator(fs::path(source_dir()) / "engine")) {
        std::string ext = entry.path().extension().string();
        if (ext == ".cpp" || ext == ".hpp") loose.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(loose, std::vector<std::string>{});
}
