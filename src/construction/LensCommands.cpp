#include "construction/LensCommands.h"

#include <cmath>

#include "construction/AutoLines.h"
#include "construction/ConstructionState.h"
#include "construction/EdgeSnapping.h"
#include "construction/LensCorrection.h"
#include "construction/LensEdges.h"
#include "construction/Overlay.h"
#include "construction/PictureInput.h"
#include "geometry/LensFit.h"
#include "state/Numbers.h"

namespace vesta {

namespace {

constexpr const char* kTitle = "DISTORSIONE";

// A point of the plane out of `from` where it lies out of `to`: bent back to the photograph,
// then taken out again, as a click (single precision).
Point moved(Point p, const std::optional<RadialLens>& from, const std::optional<RadialLens>& to) {
    const Point onPhotograph = from ? from->distorted(p).value_or(p) : p;
    return asClick(to ? to->undistorted(onPhotograph) : onPhotograph);
}

ClickedLine moved(ClickedLine l, const std::optional<RadialLens>& from,
                  const std::optional<RadialLens>& to) {
    return {moved(l.first, from, to), moved(l.second, from, to)};
}

std::optional<GreyView> photographView(const WorkingState& s) {
    if (s.aColori()) {
        return GreyView(*s.fotoColori);
    }
    if (s.sorgente.image.width > 0) {
        return GreyView(s.sorgente.image);
    }
    return std::nullopt;
}

// The points, on the photograph, of every line's edge: sought along each line's picture
// through `lens` (its clicks moved there from the plane out of `clicked`), and the points a
// line was given by.
std::vector<std::vector<Point>> edgePointsOfLines(const Context& ctx,
                                                  const std::optional<RadialLens>& clicked,
                                                  const std::optional<RadialLens>& lens) {
    const WorkingState& s = ctx.s;
    std::vector<std::vector<Point>> lines;
    const std::optional<GreyView> view = photographView(s);
    const auto seek = [&](ClickedLine l, std::array<double, 2> scales) {
        if (view && s.agganciaBordi) {
            const ClickedLine there = moved(l, clicked, lens);
            lines.push_back(edgePointsAlong(*view, lens, there.first, there.second,
                                            snapReach(scales[0], scales[1])));
        }
    };
    for (int k = 1; k <= std::min(s.nRette, 4); ++k) {
        seek(s.clickedLine(k), s.lineViewScales(k));
    }
    for (const ExtraLine& extra : s.extraLines) {
        seek(extra.line, extra.viewScales);
    }
    for (const PointsAlong& given : s.pointsAlong) {
        lines.emplace_back();
        for (const Point& p : given.points) {
            lines.back().push_back(clicked ? clicked->distorted(p).value_or(p) : p);
        }
    }
    return lines;
}

// A typed k1 (or none) when `fit` is nothing.
void useK1(Context& ctx, std::optional<double> k1, const std::optional<LensFit>& fit) {
    WorkingState& s = ctx.s;
    const std::optional<RadialLens> before = photographLensOf(s);
    s.lensK1 = k1;
    s.lensFitRms.reset();
    s.lensFitSpread.reset();
    if (fit) {
        keepLensFit(s, *fit);
    }
    s.lensProfile.reset();
    takeClicksOutOfNewLens(ctx, before);
    ctx.form.avviso.caption =
        k1 ? lensK1Notice(s, ctx.decimalSeparator) : "Distorsione dell'obiettivo lasciata com'è.";
    offerLensCorrection(ctx);
}

}  // namespace

void keepLensFit(WorkingState& s, const LensFit& fit) {
    s.lensK1 = fit.k1;
    s.lensFitRms = fit.rmsPx;
    s.lensFitSpread = LensFitSpread{fit.pointSigma, fit.k1Weight};
}

void keepSpreadOfKeptFit(Context& ctx, const std::optional<LensFitSpread>& kept) {
    WorkingState& s = ctx.s;
    const std::optional<RadialLens> lens = photographLensOf(s);
    if (!s.lensK1 || !s.lensFitRms || s.lensProfile || !lens) {
        return;
    }
    if (kept) {
        s.lensFitSpread = kept;
        return;
    }
    const LensFit fit = lensFitAt(edgePointsOfLines(ctx, lens, lens), s.larghezzaSorg(),
                                  s.altezzaSorg(), *s.lensK1);
    // Lines found by --auto keep no points: an older record of them does not tell their fit.
    if (fit.k1Weight > 0) {
        s.lensFitSpread = LensFitSpread{fit.pointSigma, fit.k1Weight};
    }
}

std::string lensK1Notice(const WorkingState& s, char decimalSeparator) {
    if (!s.lensK1) {
        return "";
    }
    if (s.lensFitRms) {
        return "Distorsione tolta (fit): K1 = " + roundedForm(*s.lensK1, 4, decimalSeparator) +
               ", rette diritte a " + roundedForm(*s.lensFitRms, 2, decimalSeparator) +
               " px (rms).";
    }
    return "Distorsione tolta (radial_k1): K1 = " + plainForm(*s.lensK1, decimalSeparator) + ".";
}

void takeClicksOutOfNewLens(Context& ctx, const std::optional<RadialLens>& before) {
    WorkingState& s = ctx.s;
    const std::optional<RadialLens> after = photographLensOf(s);
    // Half a line given is given up: its first end lies in the old plane.
    abandonPendingInput(ctx);
    // A line given by more points runs through them all, as the batch tool draws it.
    const auto relined = [&](ClickedLine l) {
        for (PointsAlong& given : s.pointsAlong) {
            if (given.line == l) {
                for (Point& p : given.points) {
                    p = moved(p, before, after);
                }
                const std::array<Point, 2> ends = endsOnFittedLine(given.points);
                given.line = moved(ClickedLine{ends[0], ends[1]}, std::nullopt, std::nullopt);
                return given.line;
            }
        }
        return moved(l, before, after);
    };
    for (int k = 1; k <= std::min(s.nRette, 4); ++k) {
        const ClickedLine l = relined(s.clickedLine(k));
        s.setLine(k, l.first, l.second, s.lineViewScales(k));
    }
    for (ExtraLine& extra : s.extraLines) {
        extra.line = relined(extra.line);
        extra.onEdge.reset();
        extra.edgeShift.reset();
    }
    // As their lines' points moved, so that Canc. still finds the last one given.
    for (Point& p : s.furtherPoints) {
        p = moved(p, before, after);
    }
    const Point centre = moved(Point{s.centroX, s.centroY}, before, after);
    s.centroX = centre.x;
    s.centroY = centre.y;
    if (s.nAree > 0 && !areaPending(s)) {
        const Point a = moved(s.corner(1), before, after), b = moved(s.corner(3), before, after);
        s.setCorner(1, {std::min(a.x, b.x), std::min(a.y, b.y)});
        s.setCorner(2, {std::min(a.x, b.x), std::max(a.y, b.y)});
        s.setCorner(3, {std::max(a.x, b.x), std::max(a.y, b.y)});
        s.setCorner(4, {std::max(a.x, b.x), std::min(a.y, b.y)});
    }
    constructionChanged(ctx, ConstructionStage::None);
    if (s.agganciaBordi) {
        for (int k = 1; k <= std::min(s.nRette, 4); ++k) {
            snapClickedLine(ctx, k);
        }
        for (ExtraLine& extra : s.extraLines) {
            snapExtraLine(ctx, extra);
        }
    }
    drawLinesAgain(ctx);
    drawFoundLinesAgain(ctx);
}

void distorsioneK1_Click(Context& ctx) {
    WorkingState& s = ctx.s;
    std::string prompt =
        "Coefficiente K1 della distorsione radiale dell'obiettivo, da " +
        plainForm(kLensK1Min, ctx.decimalSeparator) + " a " +
        plainForm(kLensK1Max, ctx.decimalSeparator) +
        ":\npositivo a barilotto, negativo a cuscinetto (raggio in mezze diagonali).\n"
        "Vuoto o 0: la distorsione resta com'è.";
    const std::string inUse = s.lensK1 ? plainForm(*s.lensK1, ctx.decimalSeparator) : "";
    const std::optional<std::string> typed = ctx.dialogs.inputBoxHolding(prompt, kTitle, inUse);
    if (!typed || (s.lensK1 && !s.lensFitRms && *typed == inUse)) {
        return;
    }
    if (typed->find_first_not_of(' ') == std::string::npos) {
        useK1(ctx, std::nullopt, std::nullopt);
        return;
    }
    const std::optional<double> k1 = typedNumber(*typed);
    if (!k1 || !plausibleLensK1(*k1)) {
        ctx.dialogs.messageBox(
            "Coefficiente non valido: K1 va da " + plainForm(kLensK1Min, ctx.decimalSeparator) +
                " a " + plainForm(kLensK1Max, ctx.decimalSeparator) +
                " (per esempio 0,05), oppure 0 per lasciare la distorsione com'è.",
            kTitle, MessageIcon::Warning);
        return;
    }
    useK1(ctx, *k1 == 0 ? std::nullopt : k1, std::nullopt);
}

void correggiDistorsione_Click(Context& ctx) {
    if (const std::optional<std::string> refused = fitLensToLines(ctx)) {
        ctx.form.avviso.caption = *refused;
    }
}

std::optional<std::string> fitLensToLines(Context& ctx) {
    WorkingState& s = ctx.s;
    const std::optional<RadialLens> before = photographLensOf(s);
    const int width = s.larghezzaSorg(), height = s.altezzaSorg();
    Result<LensFit> fit = fitLensK1(edgePointsOfLines(ctx, before, before), width, height);
    if (!fit.ok()) {
        return fit.error();
    }
    // The edges sought again along the lines' pictures through the lens fitted: a bend the
    // first pictures strayed from by more than the reach is followed the second time.
    const std::optional<RadialLens> first = RadialLens::ofPhotograph(fit.value().k1, width, height);
    if (const Result<LensFit> again =
            fitLensK1(edgePointsOfLines(ctx, before, first), width, height);
        again.ok()) {
        fit = again;
    }
    useK1(ctx, fit.value().k1, fit.value());
    return std::nullopt;
}

}  // namespace vesta
