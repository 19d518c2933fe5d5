// Keys for the door kit in a unit test: standard input becomes a pipe that the test fills.
//
//   input_feed keys("a;b;c\r");   // what the caller types
//   EXPECT_EQ(read_line(), "a");
//   keys.end();                   // the caller's input ends (end of file)
#pragma once
#include <string_view>

class input_feed {
public:
    explicit input_feed(std::string_view bytes = {});  // replaces descriptor 0
    ~input_feed();                                     // restores it
    input_feed(const input_feed&) = delete;
    input_feed& operator=(const input_feed&) = delete;

    void send(std::string_view bytes);
    void end();  // closes the writing side: the kit then sees end of input

private:
    int saved_fd_ = -1;
    int write_fd_ = -1;
};
