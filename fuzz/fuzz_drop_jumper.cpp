// The jumper.dat reader on any bytes.
#include "drop_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_drop(13, "jumper.dat", data, size);
    return 0;
}
