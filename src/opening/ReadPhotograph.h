// Reading a photograph from its file, away from the window: nothing of the work on show is
// touched, so the reading may run on another thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "codec/JpegFile.h"
#include "geometry/RadialLens.h"
#include "state/ColourImage.h"
#include "state/IndexedImage.h"
#include "state/Result.h"

namespace vesta {

// A photograph as read from its file, before anything of the window changes.
struct ReadPhotograph {
    Result<SourceBitmap> bitmap = Result<SourceBitmap>::success(SourceBitmap{});
    std::shared_ptr<const ColourImage> colour;
    std::optional<double> declaredFocal;
    std::optional<Result<LensProfile>> lens;  // when looked up: the database's calibration
};

// A first view the window wants while a photograph is read: fitted to a region of the window,
// handed to `show` from the reading's threads. None where `show` is empty.
struct FirstViewWanted {
    double width = 0;
    double height = 0;
    std::function<void(std::shared_ptr<JpegFirstView>)> show;
};

// Reads the file alone, away from the window: a palette bitmap, or a file of no kind the
// camera reader knows, goes the bitmap road; any other is decoded as a camera file, and its
// lens looked up in the database when `lensWanted`.
ReadPhotograph readPhotograph(const std::string& path, std::uint64_t decodeBytes,
                              const FirstViewWanted& wanted = {}, bool lensWanted = false);

}  // namespace vesta
