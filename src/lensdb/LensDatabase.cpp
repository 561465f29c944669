#include "lensdb/LensDatabase.h"

#include <lensfun/lensfun.h>

#include <cctype>
#include <cmath>
#include <memory>
#include <mutex>

namespace vesta {

namespace {

struct ListFree {
    void operator()(const void* list) const { lf_free(const_cast<void*>(list)); }
};

// The database as the distribution installs it, or nothing when it cannot be read.
const lfDatabase* database() {
    static const std::unique_ptr<lfDatabase> db = [] {
        auto d = std::make_unique<lfDatabase>();
        return d->Load() == LF_NO_ERROR ? std::move(d) : nullptr;
    }();
    return db.get();
}

// The database's texts are shown as it writes them, in whatever language it calls default.
// The model alone where it already begins with the maker's name, as most entries do.
std::string nameOf(const lfMLstr maker, const lfMLstr model) {
    const std::string first = maker ? maker : "", second = model ? model : "";
    if (first.empty() || second.rfind(first, 0) == 0) {
        return second;
    }
    return second.empty() ? first : first + " " + second;
}

// Camera files pad or end their texts oddly, and EXIF's texts are ASCII: anything else is a
// damaged file's, and the database's matcher wants plain words (and valid UTF-8).
std::string cleaned(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\0') {
            break;
        }
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u > 0x7E) ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

// Whether the database's matcher keeps a word of the name: it drops lone punctuation marks and a
// lone "f" (of "f/2.8"), and leaks memory on every lens it compares with a name left with none.
// No lens is named so.
bool hasWord(const std::string& name) {
    const auto is = [&](int (*test)(int), std::size_t i) {
        return i < name.size() && test(static_cast<unsigned char>(name[i])) != 0;
    };
    std::size_t i = 0;
    while (i < name.size()) {
        while (is(std::isspace, i)) {
            ++i;
        }
        if (i == name.size()) {
            break;
        }
        const std::size_t word = i++;
        if (is(std::isdigit, word)) {
            while (is(std::isdigit, i) || (i < name.size() && name[i] == '.')) {
                ++i;
            }
        } else if (is(std::ispunct, word)) {
            while (is(std::ispunct, i)) {
                ++i;
            }
        } else {
            while (i < name.size() && !is(std::isspace, i) && !is(std::isdigit, i) &&
                   !is(std::ispunct, i)) {
                ++i;
            }
        }
        const char c = name[word];
        if (i - word > 1 || c == '*' || c == '+' ||
            !(is(std::ispunct, word) || c == 'f' || c == 'F')) {
            return true;
        }
    }
    return false;
}

// The database's matcher reads the numbers of a lens name ("18-55", "3.5") into a buffer of 100
// characters without checking their length: a longer run of digits and dots, which only a
// damaged or hostile file holds, would overrun it and bring the program down.
bool hasOverlongNumber(const std::string& name) {
    constexpr std::size_t longest = 32;
    std::size_t run = 0;
    for (const char c : name) {
        run = (std::isdigit(static_cast<unsigned char>(c)) || c == '.') ? run + 1 : 0;
        if (run > longest) {
            return true;
        }
    }
    return false;
}

LensModel modelOf(lfDistortionModel model) {
    switch (model) {
        case LF_DIST_MODEL_POLY3:
            return LensModel::Poly3;
        case LF_DIST_MODEL_POLY5:
            return LensModel::Poly5;
        default:
            return LensModel::PtLens;
    }
}

}  // namespace

Result<LensProfile> lookUpLens(const LensQuery& query) {
    const std::string make = cleaned(query.make), model = cleaned(query.model),
                      lensName = cleaned(query.lens);
    if (model.empty()) {
        return Result<LensProfile>::failure("La fotografia non dichiara la sua fotocamera.");
    }
    if (!hasWord(lensName) || hasOverlongNumber(lensName)) {
        return Result<LensProfile>::failure("La fotografia non dichiara il suo obiettivo.");
    }
    if (!query.focalMm || !std::isfinite(*query.focalMm) || !(*query.focalMm > 0)) {
        return Result<LensProfile>::failure("La fotografia non dichiara la sua focale.");
    }
    // lensfun's lookups share scratch state inside the database.
    static std::mutex lock;
    const std::lock_guard<std::mutex> held(lock);
    const lfDatabase* db = database();
    if (!db) {
        return Result<LensProfile>::failure("Il database degli obiettivi (lensfun) non si legge.");
    }
    const std::unique_ptr<const lfCamera*, ListFree> cameras(
        db->FindCameras(make.empty() ? nullptr : make.c_str(), model.c_str()));
    if (!cameras || !cameras.get()[0]) {
        return Result<LensProfile>::failure("La fotocamera " + (make.empty() ? "" : make + " ") +
                                            model + " non è nel database degli obiettivi.");
    }
    const lfCamera* camera = cameras.get()[0];
    const std::unique_ptr<const lfLens*, ListFree> lenses(
        db->FindLenses(camera, nullptr, lensName.c_str()));
    if (!lenses || !lenses.get()[0]) {
        return Result<LensProfile>::failure("L'obiettivo " + lensName +
                                            " non è nel database degli obiettivi.");
    }
    const lfLens* lens = lenses.get()[0];
    const float focal = float(*query.focalMm);
    // A focal length the lens does not reach is another lens's, misnamed.
    if ((lens->MinFocal > 0 && focal < lens->MinFocal * 0.99f) ||
        (lens->MaxFocal > 0 && focal > lens->MaxFocal * 1.01f)) {
        return Result<LensProfile>::failure("L'obiettivo " + nameOf(lens->Maker, lens->Model) +
                                            " non ha la focale di " +
                                            std::to_string(int(std::lround(focal))) + " mm.");
    }
    lfLensCalibDistortion calibration{};
    if (!lens->InterpolateDistortion(focal, calibration) ||
        calibration.Model == LF_DIST_MODEL_NONE || !(lens->CropFactor > 0) ||
        !(camera->CropFactor > 0) || !(lens->AspectRatio >= 1)) {
        return Result<LensProfile>::failure("Il database non ha la distorsione dell'obiettivo " +
                                            nameOf(lens->Maker, lens->Model) + ".");
    }
    LensProfile p;
    p.model = modelOf(calibration.Model);
    p.terms = {calibration.Terms[0], calibration.Terms[1],
               p.model == LensModel::PtLens ? double(calibration.Terms[2]) : 0.0};
    if (p.model == LensModel::Poly3) {
        p.terms[1] = 0;
    }
    p.calibrationCrop = lens->CropFactor;
    p.calibrationAspect = lens->AspectRatio;
    p.cameraCrop = camera->CropFactor;
    p.centreX = lens->CenterX;
    p.centreY = lens->CenterY;
    p.focalMm = focal;
    p.lens = nameOf(lens->Maker, lens->Model);
    p.camera = nameOf(camera->Maker, camera->Model);
    for (const double t : p.terms) {
        if (!std::isfinite(t)) {
            return Result<LensProfile>::failure(
                "Il database non ha la distorsione dell'obiettivo " + p.lens + ".");
        }
    }
    return Result<LensProfile>::success(p);
}

}  // namespace vesta
