// A crowd at the door: N nodes of the real game, each its own node and character, logging on
// at the same moment to one game directory of 10,000 characters, with the game's own pauses.
// Each caller types ahead: the name at the local log-on, the intro, E into the realm, the
// day's report, L and Y out of the square. For 32, 128 and 255 nodes (or the counts given on
// the command line) it prints the sessions' wall time, the wait (a session's time less a lone
// session's) as median, 95th percentile and maximum, and how many callers were thrown out
// ("File Activity has been held too long", exit 13) or ended otherwise than normally.
//
// The game run is the one built beside this program; QV_GAME names another (an earlier build).
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/bench_support.hpp"

namespace {
using clock_type = std::chrono::steady_clock;
constexpr int realm_size = 10000;

std::string game_program() {
    const char* g = std::getenv("QV_GAME");
    return g && *g ? g : QV_GAME;
}

struct node_end {
    int code = -1;  // exit status, or 128 + the signal
    double ms = 0;  // from the start to the end of the process
};

// Starts the nodes 1..n (node i plays character i) held at a gate, opens the gate and
// waits for all of them.
std::vector<node_end> run_nodes(const std::string& dir, int first, int n) {
    int gate[2];
    if (pipe(gate) != 0) return {};
    std::string game = game_program();
    std::vector<pid_t> pids;
    for (int node = first; node < first + n; ++node) {
        pid_t pid = fork();
        if (pid == 0) {
            close(gate[1]);
            if (chdir(dir.c_str()) != 0) _exit(120);
            std::string keys = "CALLER NUMBER" + std::to_string(node) + "\rxExxxxxxxxxxLY";
            bench::type_ahead(keys);
            int out = open(std::getenv("QV_CROWD_OUT") ? std::getenv("QV_CROWD_OUT") : "/dev/null",
                           O_WRONLY | O_CREAT | O_APPEND, 0644);
            dup2(out, 1);
            dup2(out, 2);
            close(out);
            char go;
            if (read(gate[0], &go, 1) < 0) _exit(121);
            close(gate[0]);
            std::string node_arg = "/N" + std::to_string(node);
            execl(game.c_str(), game.c_str(), "/L", node_arg.c_str(), static_cast<char*>(nullptr));
            _exit(122);
        }
        pids.push_back(pid);
    }
    close(gate[0]);
    auto start = clock_type::now();
    close(gate[1]);
    std::vector<node_end> ends(pids.size());
    for (std::size_t left = pids.size(); left > 0; --left) {
        int status = 0;
        pid_t pid = wait(&status);
        auto it = std::find(pids.begin(), pids.end(), pid);
        if (it == pids.end()) {
            ++left;
            continue;
        }
        node_end& e = ends[static_cast<std::size_t>(it - pids.begin())];
        e.ms = std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
        e.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return ends;
}

double at(std::vector<double> v, double share) {
    std::sort(v.begin(), v.end());
    std::size_t i = static_cast<std::size_t>(share * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::clamp(std::atoi(argv[i]), 1, 255));
    if (counts.empty()) counts = {32, 128, 255};
    std::printf("A crowd logging on at once among %d characters (%s):\n", realm_size, game_program().c_str());
    for (int n : counts) {
        std::string dir = bench::realm_dir("qvcrowd", realm_size, true, true);
        if (dir.empty()) return 1;
        // A lone session first: it also makes the files a game makes at its first start.
        std::vector<node_end> lone = run_nodes(dir, 1, 1);
        run_nodes(dir, 1, 1);
        lone = run_nodes(dir, 1, 1);
        std::vector<node_end> ends = run_nodes(dir, 1, n);
        if (!std::getenv("QV_CROWD_KEEP")) std::system(("rm -rf " + dir).c_str());
        if (lone.empty() || ends.empty()) return 1;
        std::vector<double> session, wait;
        int thrown_out = 0, other = 0;
        for (const node_end& e : ends) {
            session.push_back(e.ms);
            wait.push_back(std::max(0.0, e.ms - lone[0].ms));
            if (e.code == 13)
                ++thrown_out;
            else if (e.code != 0)
                ++other;
        }
        std::printf(
            "  %3d nodes: session %6.0f ms median (alone %4.0f ms); wait median %6.0f, 95%% %6.0f, max %6.0f ms;"
            " thrown out %d, other ends %d\n",
            n, at(session, 0.5), lone[0].ms, at(wait, 0.5), at(wait, 0.95), at(wait, 1.0), thrown_out, other);
        std::fflush(stdout);
    }
    return 0;
}
