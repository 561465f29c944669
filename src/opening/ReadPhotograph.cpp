#include "opening/ReadPhotograph.h"

#include <filesystem>
#include <fstream>
#include <new>

#include "codec/CameraFile.h"
#include "geometry/FocalLength.h"
#include "image/BitmapFile.h"

namespace vesta {

namespace {

// A regular file whose first bytes are those of a JPEG, PNG, TIFF or colour bitmap: read (and,
// when damaged, told about) by the camera reader.
bool knownCameraKind(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    char head[32] = {};
    in.read(head, sizeof head);
    const CameraFormat kind =
        sniffCameraFormat(reinterpret_cast<const std::uint8_t*>(head), std::size_t(in.gcount()));
    return kind != CameraFormat::Unknown && kind != CameraFormat::PaletteBitmap;
}

}  // namespace

ReadPhotograph readPhotograph(const std::string& path, std::uint64_t decodeBytes) {
    ReadPhotograph r;
    try {
        if (knownCameraKind(path)) {
            Result<CameraPhoto> photo = readCameraFile(path, DecodeLimits{decodeBytes});
            if (!photo.ok()) {
                r.bitmap = Result<SourceBitmap>::failure(photo.error());
            } else if (photo.value().paletteBitmap) {
                r.bitmap = readSourceBitmap(path);
            } else {
                r.declaredFocal = equivalentFocal35(photo.value().facts);
                r.colour = std::make_shared<const ColourImage>(std::move(photo.value().image));
            }
        } else {
            r.bitmap = readSourceBitmap(path);
        }
    } catch (const std::bad_alloc&) {
        r.colour.reset();
        r.bitmap = Result<SourceBitmap>::failure("Memoria insufficiente per aprire la fotografia.");
    }
    return r;
}

}  // namespace vesta
