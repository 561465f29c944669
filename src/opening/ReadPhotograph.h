// Reading a photograph from its file, away from the window: nothing of the work on show is
// touched, so the reading may run on another thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "state/ColourImage.h"
#include "state/IndexedImage.h"
#include "state/Result.h"

namespace vesta {

// A photograph as read from its file, before anything of the window changes.
struct ReadPhotograph {
    Result<SourceBitmap> bitmap = Result<SourceBitmap>::success(SourceBitmap{});
    std::shared_ptr<const ColourImage> colour;
    std::optional<double> declaredFocal;
};

// Reads the file alone, away from the window: a palette bitmap, or a file of no kind the
// camera reader knows, goes the bitmap road; any other is decoded as a camera file.
ReadPhotograph readPhotograph(const std::string& path, std::uint64_t decodeBytes);

}  // namespace vesta
