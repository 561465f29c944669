// Feeds arbitrary bytes to the TIFF reader.
#include "CameraFuzz.h"
#include "codec/TiffFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vesta::fuzz::checkDecoded(vesta::decodeTiff(data, size, vesta::fuzz::kFuzzLimits));
    return 0;
}
