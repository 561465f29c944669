// Feeds arbitrary bytes to the PNG reader.
#include "CameraFuzz.h"
#include "codec/PngFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vesta::fuzz::checkDecoded(vesta::decodePng(data, size, vesta::fuzz::kFuzzLimits));
    return 0;
}
