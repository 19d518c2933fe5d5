// Captures what the door kit sends to the caller (standard output) during a test.
#pragma once
#include <string>

class output_capture {
public:
    output_capture();   // redirects descriptor 1 into a temporary file
    ~output_capture();  // restores it; what was not taken goes on to the real output
    output_capture(const output_capture&) = delete;
    output_capture& operator=(const output_capture&) = delete;

    // Flushes the kit's buffer and returns everything sent since the last take().
    std::string take();

private:
    int saved_fd_ = -1;
    int file_fd_ = -1;
    long read_pos_ = 0;
};
