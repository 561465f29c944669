// Feeds arbitrary bytes to the JPEG reader.
#include "CameraFuzz.h"
#include "codec/JpegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vesta::fuzz::checkDecoded(vesta::decodeJpeg(data, size, vesta::fuzz::kFuzzLimits));
    return 0;
}
