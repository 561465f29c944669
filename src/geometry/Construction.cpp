#include "geometry/Construction.h"

#include <cmath>

#include "geometry/Degenerate.h"
#include "geometry/Homography.h"
#include "geometry/RotationFit.h"

namespace vesta {

ConstructionClicks ConstructionClicks::from(const WorkingState& s) {
    ConstructionClicks c;
    for (int k = 0; k < 4; ++k) {
        const ClickedLine l = s.line(k + 1);
        c.lines[std::size_t(k)] = {l.first, l.second};
        const std::array<double, 2> scales = s.lineViewScales(k + 1);
        c.sigmas[std::size_t(k)] = {clickSigmaAt(scales[0]), clickSigmaAt(scales[1])};
    }
    c.principal = Point{s.centroX, s.centroY};
    c.areaDefined = s.nAree > 0;
    for (int k = 1; k <= 4; ++k) {
        c.area[std::size_t(k - 1)] = s.corner(k);
    }
    c.width = s.larghezzaPic1;
    c.height = s.altezzaPic1;
    c.grandezza = s.grandezza;
    for (const ExtraLine& extra : s.extraLines) {
        const ClickedSegment line{
            {extra.used().first, extra.used().second},
            {clickSigmaAt(extra.viewScales[0]), clickSigmaAt(extra.viewScales[1])}};
        (extra.horizontal ? c.moreHorizontal : c.moreVertical).push_back(line);
    }
    return c;
}

std::vector<ClickedSegment> ConstructionClicks::allLines(bool horizontal) const {
    const std::size_t first = horizontal ? 0 : 2;
    std::vector<ClickedSegment> all{{lines[first], sigmas[first]},
                                    {lines[first + 1], sigmas[first + 1]}};
    const std::vector<ClickedSegment>& more = horizontal ? moreHorizontal : moreVertical;
    all.insert(all.end(), more.begin(), more.end());
    return all;
}

double clickedSlope(Point a, Point b) {
    const double dx = b.x - a.x;
    return dx == 0 ? 90 : (b.y - a.y) / dx;
}

std::optional<VanishingPoints> vanishingPoints(const std::array<std::array<Point, 2>, 4>& lines) {
    double m[4];
    for (std::size_t i = 0; i < 4; ++i) {
        m[i] = clickedSlope(lines[i][0], lines[i][1]);
    }
    if (m[0] - m[1] == 0 || m[2] - m[3] == 0) {
        return std::nullopt;
    }
    const Point h1 = lines[0][0], h2 = lines[1][0], v1 = lines[2][0], v2 = lines[3][0];
    const double hx = (h1.x * m[0] - h1.y - h2.x * m[1] + h2.y) / (m[0] - m[1]);
    const double vx = (v1.x * m[2] - v1.y - v2.x * m[3] + v2.y) / (m[2] - m[3]);
    const VanishingPoints v{{hx, (hx - h1.x) * m[0] + h1.y}, {vx, (vx - v1.x) * m[2] + v1.y}};
    if (!finite(v.vh) || !finite(v.vv)) {
        return std::nullopt;
    }
    return v;
}

std::optional<FittedVanishingPoints> fittedVanishingPoints(const ConstructionClicks& clicks) {
    if (clicks.moreHorizontal.empty() && clicks.moreVertical.empty()) {
        const std::optional<VanishingPoints> fughe = vanishingPoints(clicks.lines);
        return fughe ? std::optional<FittedVanishingPoints>({*fughe, {}, {}}) : std::nullopt;
    }
    const std::vector<ClickedSegment> horizontal = clicks.allLines(true);
    const std::vector<ClickedSegment> vertical = clicks.allLines(false);
    const std::optional<VanishingFit> h = fitVanishingPoint(horizontal);
    const std::optional<VanishingFit> v = fitVanishingPoint(vertical);
    if (!h || !v) {
        return std::nullopt;
    }
    FittedVanishingPoints fitted{{}, h->residuals, v->residuals};
    if (clicks.givenDistance) {
        const std::optional<VanishingPoints> turned = rotationFittedVanishingPoints(
            horizontal, vertical, h->point, v->point, clicks.principal, *clicks.givenDistance);
        if (!turned) {
            return std::nullopt;
        }
        fitted.fughe = *turned;
        for (int axis = 0; axis < 2; ++axis) {
            const Point p = axis == 0 ? turned->vh : turned->vv;
            const std::vector<ClickedSegment>& lines = axis == 0 ? horizontal : vertical;
            std::vector<double>& residuals = axis == 0 ? fitted.residualsH : fitted.residualsV;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                residuals[i] = residualTo(lines[i], {p.x, p.y, 1});
            }
        }
        return fitted;
    }
    const std::optional<Point> vh = finitePoint(h->point), vv = finitePoint(v->point);
    if (!vh || !vv) {
        return std::nullopt;
    }
    fitted.fughe = {*vh, *vv};
    return fitted;
}

Result<Construction> construction(const ConstructionClicks& clicks, bool divisionTables) {
    const std::optional<FittedVanishingPoints> fitted = fittedVanishingPoints(clicks);
    if (!fitted) {
        return Result<Construction>::failure(degenerate::kFugaInfinita);
    }
    Result<Construction> c = constructionOn(fitted->fughe, clicks, divisionTables);
    if (c.ok() && (!std::isfinite(c.value().aspect) || !(c.value().aspect > 0))) {
        return Result<Construction>::failure(degenerate::kCornice);
    }
    return c;
}

Result<Construction> constructionOn(const VanishingPoints& fughe, const ConstructionClicks& clicks,
                                    bool divisionTables) {
    Result<InteriorOrientation> o =
        interiorOrientation(fughe.vh, fughe.vv, clicks.principal, clicks.givenDistance);
    if (!o.ok()) {
        return Result<Construction>::failure(o.error());
    }
    FrameInputs in{fughe.vh,    fughe.vv,     o.value(),     clicks.areaDefined,
                   clicks.area, clicks.width, clicks.height, clicks.grandezza};
    in.divisionTables = divisionTables;
    Result<Frame> frame = rectificationFrame(in);
    if (!frame.ok()) {
        return Result<Construction>::failure(frame.error());
    }
    Construction c{fughe, o.value(), std::move(frame.value()), 0};
    c.aspect = distance(c.frame.maxB, c.frame.rif) / distance(c.frame.maxA, c.frame.rif);
    return Result<Construction>::success(std::move(c));
}

namespace {

// A point through the slope of a line: a second point one unit along it.
Point along(Point p, double slope) {
    return {p.x + 1, p.y + slope};
}

// Signed distance from o of p along the direction from o to toward.
double signedDistance(Point o, Point toward, Point p) {
    const double length = distance(o, toward);
    return ((p.x - o.x) * (toward.x - o.x) + (p.y - o.y) * (toward.y - o.y)) / length;
}

// The projection of `source` from the vanishing point onto the side, then from the measuring
// point onto the measuring line through O.
std::optional<Point> measured(Point vanishing, Point source, Point o, double sideSlope,
                              Point measuring, double measuringSlope) {
    const std::optional<Point> onSide =
        crossing(lineThrough(vanishing, source), lineThrough(o, along(o, sideSlope)));
    if (!onSide) {
        return std::nullopt;
    }
    return crossing(lineThrough(measuring, *onSide), lineThrough(o, along(o, measuringSlope)));
}

}  // namespace

std::optional<Point> resultPosition(const Construction& c, Point source) {
    const Frame& f = c.frame;
    const InteriorOrientation& o = c.orientation;
    const std::optional<Point> x =
        measured(c.fughe.vv, source, f.rif, f.mOrizz, o.po, o.mOrizzonte);
    const std::optional<Point> y = measured(c.fughe.vh, source, f.rif, f.mVert, o.pv, o.mCentro);
    if (!x || !y) {
        return std::nullopt;
    }
    const Point p{signedDistance(f.rif, f.maxB, *x), signedDistance(f.rif, f.maxA, *y)};
    return finite(p) ? std::optional<Point>(p) : std::nullopt;
}

std::optional<ShownCorners> shownCorners(const Construction& c) {
    const Frame& f = c.frame;
    const InteriorOrientation& o = c.orientation;
    const std::optional<Point> rows =
        crossing(lineThrough(o.po, f.maxB), lineThrough(f.rif, along(f.rif, f.mOrizz)));
    const std::optional<Point> columns =
        crossing(lineThrough(o.pv, f.maxA), lineThrough(f.rif, along(f.rif, f.mVert)));
    if (!rows || !columns) {
        return std::nullopt;
    }
    return ShownCorners{f.rif, *rows, *columns};
}

}  // namespace vesta
