// Any bytes as a player's mailbox: the reader shows it, carries out its command lines and
// answers its replies without a crash, and leaves no mailbox behind.
#include <cstdint>
#include <string>

#include "engine/store/file_access.hpp"
#include "fuzz/multi_fuzz.hpp"
#include "multi/mail.hpp"

namespace {
// Hit points set below 1 are a death, which ends the program: the fuzzer keeps the
// character alive by leaving the hit-point lines out.
std::string without_deaths(std::string bytes) {
    for (const char* word : {"CHP", "^CS10"})
        for (std::size_t p; (p = bytes.find(word)) != std::string::npos;) bytes[p] = 'x';
    return bytes;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::multi_run run(data, size);
    if (!atomic_rewrite("user0001.dat", without_deaths(run.bytes))) std::abort();
    read_mail();
    if (file_exists("user0001.dat") || file_exists("user0001.tmp") || mail_waiting()) std::abort();
    return 0;
}
