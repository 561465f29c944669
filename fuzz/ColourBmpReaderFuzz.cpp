// Feeds arbitrary bytes to the colour bitmap reader.
#include "CameraFuzz.h"
#include "codec/ColourBmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vesta::fuzz::checkDecoded(vesta::decodeColourBmp(data, size, vesta::fuzz::kFuzzLimits));
    return 0;
}
