#include "geometry/FocalLength.h"

#include <cmath>

namespace vesta {

namespace {

constexpr const char* kFocaleNonValida =
    "Lunghezza focale non valida: inserire un numero maggiore di zero, in millimetri "
    "(per esempio 35 o 4,2).";
constexpr const char* kSensoreNonValido =
    "Larghezza del sensore non valida: inserire un numero maggiore di zero, in millimetri.";

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

Result<double> principalDistanceFromSensor(double focalMm, double sensorWidthMm, int widthPx) {
    if (!positive(focalMm) || widthPx <= 0) {
        return Result<double>::failure(kFocaleNonValida);
    }
    if (!positive(sensorWidthMm)) {
        return Result<double>::failure(kSensoreNonValido);
    }
    return Result<double>::success(focalMm * double(widthPx) / sensorWidthMm);
}

}  // namespace vesta
