// Feeds arbitrary bytes to the readers of a photograph's lens: the EXIF block's lens fields,
// and the lens database looked up with whatever texts they hold. The bytes are read both as an
// EXIF block and as make, model and lens separated by zero bytes, with the last byte the focal
// length in mm. A calibration found must bend and straighten a point back to itself.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "codec/ExifReader.h"
#include "geometry/RadialLens.h"
#include "lensdb/LensDatabase.h"

namespace {

void lookUp(const vesta::LensQuery& query) {
    const vesta::Result<vesta::LensProfile> found = vesta::lookUpLens(query);
    if (!found.ok()) {
        return;
    }
    const vesta::RadialLens lens = vesta::RadialLens::ofProfile(found.value(), 6000, 4000);
    if (!lens.bendsWholePhotograph(6000, 4000)) {
        return;
    }
    for (const vesta::Point p :
         {vesta::Point{0, 0}, vesta::Point{5999, 3999}, vesta::Point{3000, 10}}) {
        const vesta::Point u = lens.undistorted(p);
        const auto back = lens.distorted(u);
        if (!back || std::hypot(back->x - p.x, back->y - p.y) > 1e-6) {
            __builtin_trap();
        }
    }
}

}  // namespace

// lensfun 0.3 leaves one small block of glib's unfreed when it reads its database, once per
// process: that is the library's, not a fault of the lookup.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libglib-2.0.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vesta::CameraFacts facts = vesta::readExifFacts(data, size);
    lookUp({facts.make, facts.model, facts.lensModel, facts.focalLengthMm});

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string parts[3];
    std::size_t from = 0;
    for (std::string& part : parts) {
        const std::size_t zero = bytes.find('\0', from);
        part = bytes.substr(std::min(from, bytes.size()),
                            zero == std::string::npos ? std::string::npos : zero - from);
        from = zero == std::string::npos ? bytes.size() : zero + 1;
    }
    const double focal = size > 0 ? double(data[size - 1]) : 0;
    lookUp({parts[0], parts[1], parts[2], focal});
    return 0;
}
