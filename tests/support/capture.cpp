#include "support/capture.hpp"

#include <cstdio>
#include <unistd.h>

#include "door/door.hpp"
#include "support/temp_dir.hpp"

output_capture::output_capture() {
    flush_output();
    std::fflush(stdout);
    file_fd_ = unnamed_temp_file("qvcapture");
    saved_fd_ = dup(1);
    dup2(file_fd_, 1);
}

output_capture::~output_capture() {
    flush_output();
    std::fflush(stdout);
    // What came after the last take() (a failing test's messages among it) is passed on to
    // the real standard output, so that it is not lost.
    std::string rest = take();
    for (std::size_t done = 0; done < rest.size();) {
        ssize_t n = write(saved_fd_, rest.data() + done, rest.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    dup2(saved_fd_, 1);
    close(saved_fd_);
    close(file_fd_);
}

std::string output_capture::take() {
    flush_output();
    std::fflush(stdout);
    std::string out;
    char buf[4096];
    for (;;) {
        ssize_t n = pread(file_fd_, buf, sizeof buf, read_pos_);
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
        read_pos_ += n;
    }
    return out;
}
