#include "sidecar/LensRecord.h"

#include <cmath>
#include <stdexcept>

namespace vesta {

using json = nlohmann::json;

namespace {

// A finite number within [low, high], else `why`.
double within(const json& j, double low, double high, const char* why) {
    if (!j.is_number()) {
        throw std::runtime_error("numero mancante");
    }
    const double v = j.get<double>();
    if (!(v >= low && v <= high)) {
        throw std::runtime_error(why);
    }
    return v;
}

std::string text(const json& j) {
    if (!j.is_string()) {
        throw std::runtime_error("nome dell'obiettivo mancante");
    }
    return j.get<std::string>();
}

}  // namespace

const char* lensModelName(LensModel model) {
    switch (model) {
        case LensModel::Poly3:
            return "poly3";
        case LensModel::Poly5:
            return "poly5";
        case LensModel::PtLens:
            return "ptlens";
        case LensModel::RadialK1:
            break;
    }
    return nullptr;
}

json lensProfileJson(const LensProfile& p) {
    return {{"model", lensModelName(p.model)},
            {"terms", json::array({p.terms[0], p.terms[1], p.terms[2]})},
            {"calibration_crop", p.calibrationCrop},
            {"calibration_aspect", p.calibrationAspect},
            {"camera_crop", p.cameraCrop},
            {"centre", json::array({p.centreX, p.centreY})},
            {"focal_mm", p.focalMm},
            {"lens", p.lens},
            {"camera", p.camera}};
}

LensProfile lensProfileFromJson(const json& j) {
    LensProfile p;
    const std::string model = j.value("model", std::string());
    if (model == "poly3") {
        p.model = LensModel::Poly3;
    } else if (model == "poly5") {
        p.model = LensModel::Poly5;
    } else if (model == "ptlens") {
        p.model = LensModel::PtLens;
    } else {
        throw std::runtime_error("modello dell'obiettivo sconosciuto");
    }
    const json& terms = j.at("terms");
    const json& centre = j.at("centre");
    if (!terms.is_array() || terms.size() != 3 || !centre.is_array() || centre.size() != 2) {
        throw std::runtime_error("elenco di numeri errato");
    }
    // Calibrations move a point a few per cent; terms far beyond that are no lens's.
    for (std::size_t k = 0; k < 3; ++k) {
        p.terms[k] = within(terms[k], -1, 1, "distorsione dell'obiettivo fuori dai limiti");
    }
    p.calibrationCrop = within(j.at("calibration_crop"), 0.05, 20, "fattore di taglio errato");
    p.cameraCrop = within(j.at("camera_crop"), 0.05, 20, "fattore di taglio errato");
    p.calibrationAspect =
        within(j.at("calibration_aspect"), 1, 10, "proporzioni del sensore errate");
    p.centreX = within(centre[0], -1, 1, "centro dell'obiettivo fuori dai limiti");
    p.centreY = within(centre[1], -1, 1, "centro dell'obiettivo fuori dai limiti");
    p.focalMm = within(j.at("focal_mm"), 0, 10000, "focale fuori dai limiti");
    p.lens = text(j.at("lens"));
    p.camera = text(j.at("camera"));
    return p;
}

}  // namespace vesta
