#include "geometry/FocalLength.h"

#include <cmath>

namespace vesta {

bool plausibleFocal35(double mm) {
    return mm >= kFocal35Min && mm <= kFocal35Max;
}

namespace {

constexpr const char* kFocaleNonValida =
    "Lunghezza focale non valida: inserire un numero maggiore di zero, in millimetri "
    "(per esempio 35 o 4,2).";

bool positive(double v) {
    return std::isfinite(v) && v > 0;
}

}  // namespace

Result<double> principalDistanceFrom35mm(double focal35Mm, int widthPx, int heightPx) {
    if (!positive(focal35Mm) || widthPx <= 0 || heightPx <= 0) {
        return Result<double>::failure(kFocaleNonValida);
    }
    const double diagonal = std::hypot(double(widthPx), double(heightPx));
    return Result<double>::success(focal35Mm * diagonal / kDiagonal35mm);
}

std::optional<double> equivalentFocal35(const CameraFacts& facts) {
    if (facts.focalLength35mm && *facts.focalLength35mm > 0) {
        return double(*facts.focalLength35mm);
    }
    if (!facts.focalLengthMm || !facts.focalPlaneXResolution || !facts.focalPlaneYResolution ||
        !facts.pixelXDimension || !facts.pixelYDimension) {
        return std::nullopt;
    }
    // Without a unit the resolution counts pixels an inch.
    const int unit = facts.focalPlaneResolutionUnit.value_or(2);
    const double mmPerUnit = unit == 2 ? 25.4 : unit == 3 ? 10 : unit == 4 ? 1 : 0;
    const double width = *facts.pixelXDimension / *facts.focalPlaneXResolution * mmPerUnit;
    const double height = *facts.pixelYDimension / *facts.focalPlaneYResolution * mmPerUnit;
    const double focal35 = *facts.focalLengthMm * kDiagonal35mm / std::hypot(width, height);
    if (!positive(focal35)) {
        return std::nullopt;
    }
    return focal35;
}

}  // namespace vesta
