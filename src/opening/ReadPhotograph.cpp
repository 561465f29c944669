#include "opening/ReadPhotograph.h"

#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>
#include <thread>

#include "codec/CameraFile.h"
#include "codec/JpegFile.h"
#include "geometry/FocalLength.h"
#include "image/BitmapFile.h"
#include "lensdb/LensDatabase.h"

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

// Decodes the first view of a JPEG on a thread of its own while the whole image is decoded on
// the caller's; the view is handed on if it can be made. The thread is joined by the caller
// before `bytes` goes, so the view reaches the window before the photograph does.
std::jthread startFirstView(const std::vector<std::uint8_t>& bytes, const DecodeLimits& limits,
                            const FirstViewWanted& wanted) {
    if (!wanted.show || sniffCameraFormat(bytes.data(), std::min<std::size_t>(bytes.size(), 32)) !=
                            CameraFormat::Jpeg) {
        return {};
    }
    try {
        return std::jthread([&bytes, limits, wanted] {
            try {
                Result<JpegFirstView> view = decodeJpegFirstView(
                    bytes.data(), bytes.size(), wanted.width, wanted.height, limits);
                if (view.ok()) {
                    wanted.show(std::make_shared<JpegFirstView>(std::move(view.value())));
                }
            } catch (const std::bad_alloc&) {
                // No first view: the photograph comes, or its own reading says why not.
            }
        });
    } catch (const std::system_error&) {
        return {};
    }
}

}  // namespace

ReadPhotograph readPhotograph(const std::string& path, std::uint64_t decodeBytes,
                              const FirstViewWanted& wanted, bool lensWanted) {
    ReadPhotograph r;
    try {
        if (!knownCameraKind(path)) {
            r.bitmap = readSourceBitmap(path);
            return r;
        }
        Result<CameraFileBytes> file = readCameraFileBytes(path, DecodeLimits{decodeBytes});
        if (!file.ok()) {
            r.bitmap = Result<SourceBitmap>::failure(file.error());
            return r;
        }
        if (file.value().paletteBitmap) {
            r.bitmap = readSourceBitmap(path);
            return r;
        }
        const std::vector<std::uint8_t>& bytes = file.value().bytes;
        std::jthread firstView = startFirstView(bytes, file.value().left, wanted);
        Result<CameraPhoto> photo = decodeCameraFile(bytes.data(), bytes.size(), file.value().left);
        if (firstView.joinable()) {
            firstView.join();
        }
        if (!photo.ok()) {
            r.bitmap = Result<SourceBitmap>::failure(photo.error());
        } else {
            const CameraFacts& facts = photo.value().facts;
            r.declaredFocal = equivalentFocal35(facts);
            if (lensWanted) {
                r.lens = lookUpLens(
                    LensQuery{facts.make, facts.model, facts.lensModel, facts.focalLengthMm});
            }
            r.colour = std::make_shared<const ColourImage>(std::move(photo.value().image));
        }
    } catch (const std::bad_alloc&) {
        r.colour.reset();
        r.bitmap = Result<SourceBitmap>::failure("Memoria insufficiente per aprire la fotografia.");
    }
    return r;
}

}  // namespace vesta
