#include "support/child.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "door/door.hpp"
#include "support/temp_dir.hpp"

namespace {
pid_t fork_with_stdout(int out_fd, const std::function<void()>& fn) {
    flush_output();
    std::fflush(nullptr);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        die_with_parent(parent);
        dup2(out_fd, 1);
        fn();
        flush_output();
        std::fflush(nullptr);
        _exit(0);
    }
    return pid;
}

// The child's wait status; a wait that cannot succeed (no such child) fails the test instead
// of waiting for ever.
int reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("waitpid failed");
    }
    return status;
}

child_result status_of(int status) {
    child_result r;
    if (WIFEXITED(status)) {
        r.exited = true;
        r.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        r.code = WTERMSIG(status);
    }
    return r;
}
}  // namespace

void die_with_parent(pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A parent that ended before the call above sends no signal: end at once.
    if (getppid() != parent) _exit(1);
}

child_result run_in_child(const std::function<void()>& fn) {
    int fd = unnamed_temp_file("qvchild");
    pid_t pid = fork_with_stdout(fd, fn);
    child_result r = status_of(reap(pid));
    char buf[4096];
    off_t pos = 0;
    for (;;) {
        ssize_t n = pread(fd, buf, sizeof buf, pos);
        if (n <= 0) break;
        r.out.append(buf, static_cast<std::size_t>(n));
        pos += n;
    }
    close(fd);
    return r;
}

child_result run_shell(const std::string& command) {
    return run_in_child([&] {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    });
}

pid_t start_child(const std::function<void()>& fn) {
    int fd = open("/dev/null", O_WRONLY);
    pid_t pid = fork_with_stdout(fd, fn);
    close(fd);
    return pid;
}

child_result wait_child(pid_t pid) { return status_of(reap(pid)); }

void kill_at_key_wait(int limit_ms) {
    // The key wait is the kit's only ppoll; the main thread is seen in it through /proc.
    const std::string main_syscall = "/proc/self/task/" + std::to_string(getpid()) + "/syscall";
    std::thread([main_syscall, limit_ms] {
        for (int waited = 0; waited < limit_ms; waited += 5) {
            long number = -1;
            std::ifstream(main_syscall) >> number;
            int pending = 0;
            if (number == SYS_ppoll && ioctl(0, FIONREAD, &pending) == 0 && pending == 0) break;
            usleep(5000);
        }
        kill(getpid(), SIGKILL);
    }).detach();
}
