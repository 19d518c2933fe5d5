// Another node's live hold for a test's scope: "hold.dat" (one zero byte) created and locked
// as a holder does. Its lock holds against this process's own checks and forked children.
#pragma once
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "support/fake_seam.hpp"

struct live_hold {
    int fd;
    explicit live_hold(const char* path = "hold.dat") : fd(::open(path, O_RDWR | O_CREAT | O_TRUNC, 0666)) {
        const char zero = 0;
        (void)!::write(fd, &zero, 1);
        ::flock(fd, LOCK_EX);
    }
    ~live_hold() { ::close(fd); }
    live_hold(const live_hold&) = delete;
    live_hold& operator=(const live_hold&) = delete;
};

// Pauses as fake_seam records them, while another node's hold goes away after clear_after of
// them (its node lets go).
struct clearing_seam : fake_seam {
    int clear_after = -1;
    void sleep_ms(int ms) override {
        fake_seam::sleep_ms(ms);
        if (static_cast<int>(sleeps.size()) == clear_after) ::unlink("hold.dat");
    }
};
