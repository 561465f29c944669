#include "cli/LineClicks.h"

#include "construction/ExtraLines.h"
#include "construction/LensCommands.h"
#include "construction/LensCorrection.h"
#include "construction/PictureInput.h"
#include "geometry/LensFit.h"
#include "geometry/RadialLens.h"

namespace vesta {

namespace {

struct GivenLine {
    const Click* ends;                 // two
    const std::vector<Click>* points;  // empty for a line of two
    int extra;                         // 0 one of the four, 1 a further horizontal, 2 vertical
};

std::vector<GivenLine> givenLines(const BatchRequest& request) {
    std::vector<GivenLine> lines;
    for (std::size_t k = 0; k < 4; ++k) {
        lines.push_back({request.lines[k], &request.linePoints[k], 0});
    }
    for (const ExtraLineClicks& l : request.extraLines) {
        lines.push_back({l.ends.data(), &l.points, l.horizontal ? 1 : 2});
    }
    return lines;
}

}  // namespace

bool clickRequestLines(Context& ctx, const BatchRequest& request,
                       std::vector<std::string>& messages) {
    const std::vector<GivenLine> lines = givenLines(request);
    const int width = ctx.s.larghezzaSorg(), height = ctx.s.altezzaSorg();
    ctx.s.lensFitRms = request.lensFitRms;
    ctx.s.lensFitSpread.reset();
    // Snapped lines tell the bend by their edges: fitted once they are clicked, as the window's
    // Correggi la distorsione dalle rette does.
    const bool fitToEdges = request.lensFit && request.snap && !request.clicksUndistorted;
    if (request.lensFit && !request.snap && !request.clicksUndistorted) {
        std::vector<std::vector<Point>> along;
        for (const GivenLine& l : lines) {
            along.emplace_back();
            for (const Click& c : *l.points) {
                along.back().push_back({c.x, c.y});
            }
        }
        const Result<LensFit> fit = fitLensK1(along, width, height);
        if (!fit.ok()) {
            messages.push_back(fit.error());
            return false;
        }
        keepLensFit(ctx.s, fit.value());
    }
    // A kept construction's clicks are out of the bend, its lines already through their points.
    const std::optional<RadialLens> photographs =
        photographLens(ctx.s.lensK1, ctx.s.lensProfile, width, height);
    const bool bend = photographs && !request.clicksUndistorted;
    const RadialLens lens = photographs.value_or(RadialLens::ofPhotograph(0, width, height));
    ctx.s.pointsAlong.clear();
    for (const GivenLine& l : lines) {
        const auto taken = [&](const Click& c) {
            return asClick(bend ? lens.undistorted({c.x, c.y}) : Point{c.x, c.y});
        };
        std::array<Point, 2> ends{taken(l.ends[0]), taken(l.ends[1])};
        std::vector<Point> points;
        for (const Click& c : *l.points) {
            points.push_back(taken(c));
        }
        if (bend && points.size() > 2) {
            const std::array<Point, 2> fitted = endsOnFittedLine(points);
            ends = {asClick(fitted[0]), asClick(fitted[1])};
        }
        if (l.extra != 0) {
            (l.extra == 1 ? altraRettaOrizz_Click : altraRettaVert_Click)(ctx);
        }
        for (int e = 0; e < 2; ++e) {
            PICTURE1_MouseDown(ctx, float(ends[e].x), float(ends[e].y), l.ends[e].viewScale);
            Picture1_MouseUp(ctx, float(ends[e].x), float(ends[e].y));
        }
        if (!points.empty()) {
            ctx.s.pointsAlong.push_back({{ends[0], ends[1]}, points});
        }
    }
    if (fitToEdges) {
        if (const std::optional<std::string> refused = fitLensToLines(ctx)) {
            messages.push_back(*refused);
            return false;
        }
    }
    if (request.clicksUndistorted) {
        keepSpreadOfKeptFit(ctx, request.lensFitSpread);
    }
    return true;
}

}  // namespace vesta
