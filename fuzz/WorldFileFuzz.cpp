// Feeds arbitrary bytes to the test that tells a world file from a file of the user's: what
// vesta writes is always one.
#include <cstdint>
#include <string>

#include "rectify/WorldFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vesta::isWorldFileText(std::string(reinterpret_cast<const char*>(data), size));
    if (!vesta::isWorldFileText(vesta::worldFileText(double(size) / 7 + 1e-3))) {
        __builtin_trap();
    }
    return 0;
}
