#include "construction/LinePoints.h"

#include <algorithm>
#include <cmath>

#include "construction/ConstructionState.h"
#include "construction/EdgeSnapping.h"
#include "construction/ExtraLines.h"
#include "construction/LensCorrection.h"
#include "construction/Overlay.h"
#include "construction/PictureInput.h"
#include "geometry/LensFit.h"
#include "state/LineLimits.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

constexpr const char* kFarFromLines = "Punto lontano dalle rette: non preso.";
constexpr const char* kTooManyPoints = "Non si possono dare più di 100 punti su una retta.";

// A line standing: one of the four (k), or a further one.
struct Standing {
    int k = 0;
    ExtraLine* extra = nullptr;
    ClickedLine clicked, used;
};

std::vector<Standing> standingLines(WorkingState& s) {
    std::vector<Standing> lines;
    for (int k = 1; k <= std::min(s.nRette, 4); ++k) {
        lines.push_back({k, nullptr, s.clickedLine(k), s.line(k)});
    }
    for (ExtraLine& extra : s.extraLines) {
        lines.push_back({0, &extra, extra.line, extra.used()});
    }
    return lines;
}

// How far p lies from the segment a-b.
double fromSegment(Point p, ClickedLine l) {
    const double dx = l.second.x - l.first.x, dy = l.second.y - l.first.y;
    const double length2 = dx * dx + dy * dy;
    const double t =
        length2 > 0
            ? std::clamp(((p.x - l.first.x) * dx + (p.y - l.first.y) * dy) / length2, 0.0, 1.0)
            : 0.0;
    return std::hypot(p.x - (l.first.x + t * dx), p.y - (l.first.y + t * dy));
}

PointsAlong* pointsOf(WorkingState& s, const ClickedLine& clicked) {
    for (PointsAlong& along : s.pointsAlong) {
        if (along.line == clicked) {
            return &along;
        }
    }
    return nullptr;
}

// The line through the points (its two clicked ends alone: the line as they gave it), ends on
// the perpendiculars through the outermost ones. The points are kept in their order along it, so
// the ends span them all, as the batch tool's points run from one end to the other.
ClickedLine throughPoints(const std::vector<Point>& points) {
    if (points.size() <= 2) {
        return {points.front(), points.back()};
    }
    const std::array<Point, 2> ends = endsOnFittedLine(points);
    return {asClick(ends[0]), asClick(ends[1])};
}

// The standing line becomes `l`, drawn onto its edge again when snapping is on.
void putLine(Context& ctx, const Standing& line, ClickedLine l) {
    WorkingState& s = ctx.s;
    if (line.extra) {
        line.extra->line = l;
        line.extra->onEdge.reset();
        line.extra->edgeShift.reset();
        if (s.agganciaBordi) {
            snapExtraLine(ctx, *line.extra);
        }
        return;
    }
    s.setLine(line.k, l.first, l.second, s.lineViewScales(line.k));
    if (s.agganciaBordi) {
        snapClickedLine(ctx, line.k);
    }
}

// The lines moved: the photograph drawn again and the construction made from them anew.
void madeAgain(Context& ctx) {
    constructionChanged(ctx, ConstructionStage::None);
    drawAllLines(ctx);
    if (ctx.s.nRette == 4) {
        FUGHE(ctx);
    }
}

}  // namespace

bool pointsAlongAsked(const WorkingState& s) {
    return s.pointsAlongAsked && s.modoClick == ClickMode::LineEnd && !s.extraLineHorizontal &&
           s.nRette >= 1 && s.nRaddr == 0 && s.resultFile != ResultFile::Writing;
}

void altriPunti_Click(Context& ctx) {
    WorkingState& s = ctx.s;
    if (s.pointsAlongAsked) {
        s.pointsAlongAsked = false;
        ctx.form.domanda1.caption = prompts::nextLine(s.nRette);
    } else if (s.nRette >= 1 && s.nRaddr == 0 && s.resultFile != ResultFile::Writing) {
        abandonPendingInput(ctx);
        s.modoClick = ClickMode::LineEnd;
        s.extraLineHorizontal.reset();
        s.pointsAlongAsked = true;
        ctx.form.domanda1.caption = prompts::kAltriPunti;
    }
    ctx.form.altriPunti.checked = s.pointsAlongAsked;
}

bool pointAlongLine(Context& ctx, float x, float y, double viewScale) {
    WorkingState& s = ctx.s;
    if (!pointsAlongAsked(s) || s.attesaSecondo == 1) {
        return false;
    }
    const Point p{x, y};
    std::vector<Standing> lines = standingLines(s);
    const Standing* nearest = nullptr;
    double distance = kPointAlongReach / std::max(viewScale, 1e-9);
    for (const Standing& line : lines) {
        if (const double d = fromSegment(p, line.used); d <= distance) {
            distance = d;
            nearest = &line;
        }
    }
    if (!nearest) {
        ctx.form.avviso.caption = kFarFromLines;
        return true;
    }
    PointsAlong* along = pointsOf(s, nearest->clicked);
    if (along && along->points.size() >= kMostPointsAlong) {
        ctx.form.avviso.caption = kTooManyPoints;
        return true;
    }
    if (!along) {
        s.pointsAlong.push_back(
            {nearest->clicked, {nearest->clicked.first, nearest->clicked.second}});
        along = &s.pointsAlong.back();
    }
    // In its place along the line, from the first end to the second.
    const ClickedLine l = nearest->clicked;
    const auto at = [&l](Point q) {
        return (q.x - l.first.x) * (l.second.x - l.first.x) +
               (q.y - l.first.y) * (l.second.y - l.first.y);
    };
    along->points.insert(std::upper_bound(along->points.begin(), along->points.end(), p,
                                          [&at](Point a, Point b) { return at(a) < at(b); }),
                         p);
    along->line = throughPoints(along->points);
    s.furtherPoints.push_back(p);
    ctx.form.avviso.caption.clear();
    putLine(ctx, *nearest, along->line);
    madeAgain(ctx);
    // The vanishing points' prompt would ask for the area while points are still asked for.
    ctx.form.domanda1.caption = prompts::kAltriPunti;
    return true;
}

bool takeBackPointAlong(Context& ctx) {
    WorkingState& s = ctx.s;
    if (s.nRaddr != 0 || s.raddrAvviato == 1) {
        return false;
    }
    while (!s.furtherPoints.empty()) {
        const Point p = s.furtherPoints.back();
        s.furtherPoints.pop_back();
        // A line taken away since (Togli la retta anomala) took its points with it.
        for (const Standing& line : standingLines(s)) {
            PointsAlong* along = pointsOf(s, line.clicked);
            const auto given = along ? std::find(along->points.rbegin(), along->points.rend(), p)
                                     : std::vector<Point>::reverse_iterator{};
            if (!along || given == along->points.rend()) {
                continue;
            }
            along->points.erase(std::next(given).base());
            const ClickedLine l = throughPoints(along->points);
            if (along->points.size() <= 2) {
                s.pointsAlong.erase(s.pointsAlong.begin() + (along - s.pointsAlong.data()));
            } else {
                along->line = l;
            }
            putLine(ctx, line, l);
            madeAgain(ctx);
            return true;
        }
    }
    // Nothing to take back: Canc. goes on to the lines, which are clicked again.
    s.pointsAlongAsked = false;
    return false;
}

void followPointsAlongQuestion(Context& ctx) {
    WorkingState& s = ctx.s;
    if (s.pointsAlongAsked && !pointsAlongAsked(s)) {
        s.pointsAlongAsked = false;
    }
    ctx.form.altriPunti.checked = s.pointsAlongAsked;
}

void markPointsAlong(Context& ctx) {
    WorkingState& s = ctx.s;
    PictureArea& pic = ctx.picture1;
    for (const Standing& line : standingLines(s)) {
        if (const PointsAlong* along = pointsOf(s, line.clicked)) {
            for (const Point& p : along->points) {
                pic.circle(float(p.x), float(p.y), 2, colours::lightCyan);
            }
        }
    }
}

}  // namespace vesta
