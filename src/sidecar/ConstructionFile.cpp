#include "sidecar/ConstructionFile.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "geometry/RadialLens.h"
#include "sidecar/LensRecord.h"
#include "sidecar/RecordFormat.h"
#include "state/IndexedImage.h"
#include "state/LineLimits.h"

namespace vesta {

namespace {

using nlohmann::json;
using record::kFormatVersion;
using record::kLensFitModel;
using record::kLensModel;
using record::kLineNames;

const char* const kDamaged = "Il file della costruzione è danneggiato o non è di VESTA:\n";

// A number that a replay can use: present and finite. JSON has no NaN, but a hand-edited file
// may hold a string or nothing at all.
double number(const json& j) {
    if (!j.is_number()) {
        throw std::runtime_error("numero mancante");
    }
    const double v = j.get<double>();
    if (!std::isfinite(v)) {
        throw std::runtime_error("numero non finito");
    }
    return v;
}

// A number no larger than `limit` in magnitude, else `why`.
double numberWithin(const json& j, double limit, const char* why) {
    const double v = number(j);
    if (!(std::fabs(v) <= limit)) {
        throw std::runtime_error(why);
    }
    return v;
}

// A number above zero, as a length or a focal length must be.
double positive(const json& j, const char* why) {
    const double v = number(j);
    if (!(v > 0)) {
        throw std::runtime_error(why);
    }
    return v;
}

// A whole number from `low` to `high`, else `why`: checked before it is converted, since a
// number beyond an int's range (1e300, 2^63) has no int to become.
int wholeNumber(const json& j, int low, int high, const char* why) {
    if (j.is_number_unsigned()) {
        if (j.get<std::uint64_t>() > std::uint64_t(high)) {
            throw std::runtime_error(why);
        }
        return int(j.get<std::uint64_t>());
    }
    if (j.is_number_integer()) {
        const std::int64_t v = j.get<std::int64_t>();
        if (v < low || v > high) {
            throw std::runtime_error(why);
        }
        return int(v);
    }
    const double v = number(j);
    if (!(v >= low && v <= high) || v != std::floor(v)) {
        throw std::runtime_error(why);
    }
    return int(v);
}

// Clicks are single-precision pixels, as the mouse gives them.
constexpr const char* kClickOutOfRange = "coordinate fuori dai limiti";

// N numbers, each no larger than `limit` in magnitude.
template <std::size_t N>
std::array<double, N> numbers(const json& j, double limit = DBL_MAX) {
    if (!j.is_array() || j.size() != N) {
        throw std::runtime_error("elenco di numeri errato");
    }
    std::array<double, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = numberWithin(j[i], limit, kClickOutOfRange);
    }
    return out;
}

// The points along a line: more than two, fewer than anyone measures, each a click.
std::vector<std::array<double, 2>> pointsAlong(const json& j) {
    if (!j.is_array() || j.size() < 3 || j.size() > kMostPointsAlong) {
        throw std::runtime_error("elenco dei punti di una retta errato");
    }
    std::vector<std::array<double, 2>> out;
    for (const json& p : j) {
        out.push_back(numbers<2>(p, FLT_MAX));
    }
    return out;
}

// A distance: finite and not below zero.
double positiveOrZero(const json& j) {
    const double v = number(j);
    if (!(v >= 0)) {
        throw std::runtime_error("numero negativo");
    }
    return v;
}

// The photograph is the one in the record's own folder: a plain file name, nothing that
// reaches another folder.
bool plainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Quarter turns from degrees clockwise, 0, 90, 180 or 270; none when absent (older records).
int turnOf(const json& options, const char* name) {
    if (!options.contains(name)) {
        return 0;
    }
    if (!options.at(name).is_number_integer()) {
        throw std::runtime_error("rotazione non intera");
    }
    const int degrees = wholeNumber(options.at(name), 0, 270, "rotazione fuori dai limiti");
    if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270) {
        throw std::runtime_error("rotazione diversa da 0, 90, 180 o 270 gradi");
    }
    return degrees / 90;
}

// The four lines, the view scales they were clicked at and the further lines.
void readLines(const json& doc, ConstructionRecord& r) {
    for (int k = 0; k < 4; ++k) {
        r.lines[std::size_t(k)] = numbers<4>(doc.at("lines").at(kLineNames[k]), FLT_MAX);
    }
    if (doc.contains("line_view_scales")) {
        for (int k = 0; k < 4; ++k) {
            const std::array<double, 2> scales =
                numbers<2>(doc.at("line_view_scales").at(kLineNames[k]), 1e6);
            if (!(scales[0] > 0 && scales[1] > 0)) {
                throw std::runtime_error("scala della vista non positiva");
            }
            r.lineViewScales[std::size_t(k)] = scales;
        }
    }
    if (doc.contains("line_points")) {
        for (int k = 0; k < 4; ++k) {
            if (doc.at("line_points").contains(kLineNames[k])) {
                r.linePoints[std::size_t(k)] = pointsAlong(doc.at("line_points").at(kLineNames[k]));
            }
        }
    }
    if (doc.contains("extra_lines")) {
        const json& extra = doc.at("extra_lines");
        if (!extra.is_array() || extra.size() > kMostExtraLines) {
            throw std::runtime_error("elenco delle altre rette errato");
        }
        for (const json& l : extra) {
            ExtraLineRecord line;
            const std::string direction = l.at("direction").get<std::string>();
            if (direction != "h" && direction != "v") {
                throw std::runtime_error("direzione di una retta sconosciuta");
            }
            line.horizontal = direction == "h";
            line.line = numbers<4>(l.at("line"), FLT_MAX);
            line.viewScales = numbers<2>(l.at("view_scales"), 1e6);
            if (!(line.viewScales[0] > 0 && line.viewScales[1] > 0)) {
                throw std::runtime_error("scala della vista non positiva");
            }
            if (l.contains("points")) {
                line.points = pointsAlong(l.at("points"));
            }
            r.extraLines.push_back(line);
        }
    }
}

// The choices made in the menus: interpolation, known measures, focal length, edges, lens,
// turns.
void readOptions(const json& options, ConstructionRecord& r) {
    if (options.contains("interpolation")) {
        r.interpolation = options.at("interpolation").get<std::string>();
        if (r.interpolation != "nearest" && r.interpolation != "bilinear") {
            throw std::runtime_error("interpolazione sconosciuta");
        }
    }
    if (options.contains("known_measures_cm")) {
        const json& known = options.at("known_measures_cm");
        if (!known.is_array() || known.size() != 2) {
            throw std::runtime_error("elenco di numeri errato");
        }
        r.knownMeasures = {positive(known[0], "misure note fuori dai limiti"),
                           positive(known[1], "misure note fuori dai limiti")};
    }
    if (options.contains("focal35_mm")) {
        r.focal35 = positive(options.at("focal35_mm"), "focale fuori dai limiti");
    }
    if (options.contains("snap_to_edges")) {
        r.snapToEdges = options.at("snap_to_edges").get<bool>();
    }
    if (options.contains("lens")) {
        const json& lens = options.at("lens");
        if (!lens.is_object()) {
            throw std::runtime_error("modello dell'obiettivo sconosciuto");
        }
        const std::string model = lens.value("model", std::string());
        if (model != kLensModel && model != kLensFitModel) {
            r.lensProfile = lensProfileFromJson(lens);
        } else if (model == kLensFitModel) {
            r.lensFitRms = positiveOrZero(lens.at("rms_px"));
            if (lens.contains("k1_weight")) {
                r.lensFitSpread = LensFitSpread{
                    std::nullopt, positive(lens.at("k1_weight"),
                                           "incertezza della distorsione dell'obiettivo errata")};
                if (lens.contains("point_sigma_px")) {
                    r.lensFitSpread->pointSigma = positiveOrZero(lens.at("point_sigma_px"));
                }
            }
        }
        if (!r.lensProfile) {
            r.lensK1 = number(lens.at("k1"));
            if (!plausibleLensK1(*r.lensK1)) {
                throw std::runtime_error("distorsione dell'obiettivo fuori dai limiti");
            }
        }
    }
    r.photographTurn = turnOf(options, "rotate_degrees");
    r.resultTurn = turnOf(options, "result_rotate_degrees");
}

// What the construction gave, kept for the reader.
void readResults(const json& c, ConstructionRecord& r) {
    r.horizontalVanishingPoint = numbers<2>(c.at("horizontal_vanishing_point"));
    r.verticalVanishingPoint = numbers<2>(c.at("vertical_vanishing_point"));
    r.principalDistance = number(c.at("principal_distance"));
    const json& size = c.at("output_size");
    if (!size.is_array() || size.size() != 2) {
        throw std::runtime_error("elenco di numeri errato");
    }
    for (std::size_t i = 0; i < 2; ++i) {
        r.outputSize[i] =
            wholeNumber(size[i], 0, kMaxSide, "dimensioni dell'immagine fuori dai limiti");
    }
    if (c.contains("aspect_sigma")) {
        r.aspectSigma = number(c.at("aspect_sigma"));
    }
    if (c.contains("distance_sigma")) {
        r.distanceSigma = number(c.at("distance_sigma"));
    }
}

}  // namespace

Result<ConstructionRecord> parseConstructionJson(const std::string& text) {
    try {
        const json doc = json::parse(text);
        if (!doc.is_object() || !doc.contains("vesta_construction")) {
            return Result<ConstructionRecord>::failure(std::string(kDamaged) +
                                                       "non è una costruzione di VESTA");
        }
        if (doc.at("vesta_construction") != kFormatVersion) {
            return Result<ConstructionRecord>::failure(
                "Questa costruzione è stata salvata da una versione più recente di VESTA.");
        }
        ConstructionRecord r;
        r.photograph = doc.at("photograph").at("name").get<std::string>();
        if (!plainFileName(r.photograph)) {
            throw std::runtime_error(
                "il nome della fotografia non è quello di un file nella "
                "cartella della costruzione");
        }
        r.sha256 = doc.at("photograph").at("sha256").get<std::string>();
        readLines(doc, r);
        r.principalPoint = numbers<2>(doc.at("principal_point"), FLT_MAX);
        r.area = numbers<4>(doc.at("area"), FLT_MAX);
        r.sizeSteps =
            wholeNumber(doc.at("size_steps"), 0, 9, "fattore di grandezza fuori dai limiti");
        r.sizeFactor =
            doc.contains("size_factor") ? number(doc.at("size_factor")) : 1.0 + r.sizeSteps / 10.0;
        if (std::fabs(r.sizeFactor - (1.0 + r.sizeSteps / 10.0)) > 1e-6) {
            throw std::runtime_error("fattore di grandezza fuori dai limiti");
        }
        readOptions(doc.at("options"), r);
        r.referenceLength = doc.value("reference_length", std::string());
        r.scale = doc.contains("scale_cm_per_pixel") ? number(doc.at("scale_cm_per_pixel")) : 0;
        if (doc.contains("construction")) {
            readResults(doc.at("construction"), r);
        }
        return Result<ConstructionRecord>::success(std::move(r));
    } catch (const nlohmann::json::exception&) {
        return Result<ConstructionRecord>::failure(std::string(kDamaged) +
                                                   "voci mancanti o di tipo errato");
    } catch (const std::runtime_error& e) {
        return Result<ConstructionRecord>::failure(std::string(kDamaged) + e.what());
    }
}

}  // namespace vesta
