// Feeds arbitrary bytes to the EXIF a result keeps: the block made of them must read back, and
// never be larger than one JPEG segment holds.
#include <cstdint>

#include "codec/ResultExif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> kept = vesta::exifForResults(data, size);
    if (kept.size() + 6 > 65533) {
        __builtin_trap();
    }
    vesta::resultExifTags(kept);
    return 0;
}
