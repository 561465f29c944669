// Feeds arbitrary bytes to the TIFF reader, its camera tags and the EXIF block made of them
// (camera-exif.tif seeds the EXIF directory).
#include "CameraFuzz.h"
#include "codec/ResultExif.h"
#include "codec/TiffFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vesta::Result<vesta::DecodedImage> decoded =
        vesta::decodeTiff(data, size, vesta::fuzz::kFuzzLimits);
    // The kept block must read back as the block of a JPEG's EXIF does.
    if (decoded.ok() && !decoded.value().image.exif.empty() &&
        vesta::resultExifTags(decoded.value().image.exif).make.size() > 256) {
        __builtin_trap();
    }
    vesta::fuzz::checkDecoded(std::move(decoded));
    return 0;
}
