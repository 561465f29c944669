#include <nlohmann/json.hpp>

#include "sidecar/ConstructionFile.h"
#include "sidecar/LensRecord.h"
#include "sidecar/RecordFormat.h"

namespace vesta {

namespace {

using nlohmann::json;
using record::kFormatVersion;
using record::kLensFitModel;
using record::kLensModel;
using record::kLineNames;

json pair(const std::array<double, 2>& p) {
    return json::array({p[0], p[1]});
}

// The lens as the record keeps it: a database calibration, or a k1 given or fitted.
json lensJson(const ConstructionRecord& r) {
    if (r.lensProfile) {
        return lensProfileJson(*r.lensProfile);
    }
    json lens = {{"model", r.lensFitRms ? kLensFitModel : kLensModel}, {"k1", *r.lensK1}};
    if (r.lensFitRms) {
        lens["rms_px"] = *r.lensFitRms;
    }
    // How sure the fit was: lines found in the photograph keep no points to find it again.
    if (r.lensFitRms && r.lensFitSpread && r.lensFitSpread->k1Weight > 0) {
        lens["k1_weight"] = r.lensFitSpread->k1Weight;
        if (r.lensFitSpread->pointSigma) {
            lens["point_sigma_px"] = *r.lensFitSpread->pointSigma;
        }
    }
    return lens;
}

// Each option is absent when not chosen, so a record of the plain road reads the same in every
// version of the program.
json optionsJson(const ConstructionRecord& r) {
    json options = json::object();
    if (!r.interpolation.empty()) {
        options["interpolation"] = r.interpolation;
    }
    if (r.knownMeasures) {
        options["known_measures_cm"] = pair(*r.knownMeasures);
    }
    if (r.focal35) {
        options["focal35_mm"] = *r.focal35;
    }
    if (r.snapToEdges) {
        options["snap_to_edges"] = true;
    }
    if (r.lensProfile || r.lensK1) {
        options["lens"] = lensJson(r);
    }
    // Degrees clockwise.
    if (r.photographTurn != 0) {
        options["rotate_degrees"] = 90 * r.photographTurn;
    }
    if (r.resultTurn != 0) {
        options["result_rotate_degrees"] = 90 * r.resultTurn;
    }
    return options;
}

}  // namespace

std::string constructionJson(const ConstructionRecord& r) {
    json lines = json::object();
    json viewScales = json::object();
    bool allAt1to1 = true;
    for (int k = 0; k < 4; ++k) {
        lines[kLineNames[k]] = r.lines[std::size_t(k)];
        viewScales[kLineNames[k]] = r.lineViewScales[std::size_t(k)];
        allAt1to1 = allAt1to1 && r.lineViewScales[std::size_t(k)] == std::array<double, 2>{1, 1};
    }
    const json options = optionsJson(r);
    json result = {{"horizontal_vanishing_point", pair(r.horizontalVanishingPoint)},
                   {"vertical_vanishing_point", pair(r.verticalVanishingPoint)},
                   {"principal_distance", r.principalDistance},
                   {"output_size", r.outputSize}};
    if (r.aspectSigma) {
        result["aspect_sigma"] = *r.aspectSigma;
    }
    if (r.distanceSigma) {
        result["distance_sigma"] = *r.distanceSigma;
    }
    const json doc = {{"vesta_construction", kFormatVersion},
                      {"photograph", {{"name", r.photograph}, {"sha256", r.sha256}}},
                      {"lines", lines},
                      {"principal_point", pair(r.principalPoint)},
                      {"area", r.area},
                      {"size_steps", r.sizeSteps},
                      {"size_factor", r.sizeFactor},
                      {"options", options},
                      {"reference_length", r.referenceLength},
                      {"scale_cm_per_pixel", r.scale},
                      {"construction", result}};
    json points = json::object();
    for (int k = 0; k < 4; ++k) {
        if (!r.linePoints[std::size_t(k)].empty()) {
            points[kLineNames[k]] = r.linePoints[std::size_t(k)];
        }
    }
    // Four lines clicked at 1:1 are written with none of the keys only other roads need, so
    // every reader of records takes them.
    if (allAt1to1 && r.extraLines.empty() && points.empty()) {
        return doc.dump(2) + "\n";
    }
    json more = doc;
    if (!allAt1to1) {
        more["line_view_scales"] = viewScales;
    }
    if (!points.empty()) {
        more["line_points"] = points;
    }
    if (!r.extraLines.empty()) {
        json extra = json::array();
        for (const ExtraLineRecord& l : r.extraLines) {
            extra.push_back({{"direction", l.horizontal ? "h" : "v"},
                             {"line", l.line},
                             {"view_scales", l.viewScales}});
            if (!l.points.empty()) {
                extra.back()["points"] = l.points;
            }
        }
        more["extra_lines"] = extra;
    }
    return more.dump(2) + "\n";
}

}  // namespace vesta
