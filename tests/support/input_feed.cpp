#include "support/input_feed.hpp"

#include <stdexcept>
#include <unistd.h>

input_feed::input_feed(std::string_view bytes) {
    int p[2];
    if (pipe(p) != 0) throw std::runtime_error("pipe failed");
    saved_fd_ = dup(0);
    dup2(p[0], 0);
    close(p[0]);
    write_fd_ = p[1];
    send(bytes);
}

input_feed::~input_feed() {
    end();
    dup2(saved_fd_, 0);
    close(saved_fd_);
}

void input_feed::send(std::string_view bytes) {
    while (!bytes.empty() && write_fd_ >= 0) {
        ssize_t n = write(write_fd_, bytes.data(), bytes.size());
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void input_feed::end() {
    if (write_fd_ >= 0) close(write_fd_);
    write_fd_ = -1;
}
