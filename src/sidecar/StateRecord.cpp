#include "sidecar/StateRecord.h"

#include <cmath>
#include <filesystem>

#include "construction/Commands.h"
#include "construction/ConstructionState.h"
#include "construction/ExtraLines.h"
#include "construction/LensCommands.h"
#include "construction/Overlay.h"
#include "construction/PictureInput.h"
#include "construction/TurnPhotograph.h"
#include "state/Numbers.h"

namespace vesta {

namespace {

void click(Context& ctx, double x, double y, double viewScale = 1.0) {
    PICTURE1_MouseDown(ctx, float(x), float(y), viewScale);
    Picture1_MouseUp(ctx, float(x), float(y));
}

// The points along the line clicked as `line`, when it was given by more than two.
std::vector<std::array<double, 2>> pointsOf(const WorkingState& s, const ClickedLine& line) {
    std::vector<std::array<double, 2>> out;
    for (const PointsAlong& along : s.pointsAlong) {
        if (along.line == line) {
            for (const Point p : along.points) {
                out.push_back({p.x, p.y});
            }
            break;
        }
    }
    return out;
}

// Keeps a record's points along the line just clicked from it.
void keepPoints(Context& ctx, const ClickedLine& line,
                const std::vector<std::array<double, 2>>& points) {
    if (!points.empty()) {
        PointsAlong along{line, {}};
        for (const auto& p : points) {
            along.points.push_back({p[0], p[1]});
        }
        ctx.s.pointsAlong.push_back(std::move(along));
    }
}

}  // namespace

int sizeStepsOf(double grandezza) {
    const double steps = std::round((grandezza - 1.0) * 10);
    return steps < 0 ? 0 : steps > 9 ? 9 : int(steps);
}

Result<ConstructionRecord> recordOf(const WorkingState& s, std::optional<double> focal35) {
    const Result<std::string> sum = fileSha256(s.nomeFile);
    if (!sum.ok()) {
        return Result<ConstructionRecord>::failure(sum.error());
    }
    ConstructionRecord r;
    r.photograph = std::filesystem::path(s.nomeFile).filename().string();
    r.sha256 = sum.value();
    for (std::size_t k = 0; k < 4; ++k) {
        const auto [from, to] = s.clickedLine(int(k) + 1);
        r.lines[k] = {from.x, from.y, to.x, to.y};
        r.lineViewScales[k] = s.lineViewScales(int(k) + 1);
        r.linePoints[k] = pointsOf(s, s.clickedLine(int(k) + 1));
    }
    for (const ExtraLine& l : s.extraLines) {
        r.extraLines.push_back({l.horizontal,
                                {l.line.first.x, l.line.first.y, l.line.second.x, l.line.second.y},
                                l.viewScales,
                                pointsOf(s, l.line)});
    }
    r.principalPoint = {s.centroX, s.centroY};
    r.area = {s.corner(1).x, s.corner(1).y, s.corner(3).x, s.corner(3).y};
    r.sizeSteps = sizeStepsOf(s.grandezza);
    r.sizeFactor = s.grandezza;
    r.focal35 = focal35;
    r.snapToEdges = s.agganciaBordi;
    r.lensK1 = s.lensK1;
    r.lensFitRms = s.lensK1 ? s.lensFitRms : std::nullopt;
    r.lensFitSpread = r.lensFitRms ? s.lensFitSpread : std::nullopt;
    r.lensProfile = s.lensProfile;
    r.photographTurn = s.photographTurn;
    r.resultTurn = s.resultTurn;
    r.referenceLength = s.misuraCm;
    r.scale = s.scala;
    if (s.construction) {
        const Construction& c = *s.construction;
        r.horizontalVanishingPoint = {c.fughe.vh.x, c.fughe.vh.y};
        r.verticalVanishingPoint = {c.fughe.vv.x, c.fughe.vv.y};
        r.principalDistance = c.orientation.distanzaPrinc;
        r.outputSize = {int(c.frame.largOut), int(c.frame.altOut)};
    }
    r.knownMeasures = s.misureNote;
    // A result by known measures has its own size, whatever the construction's.
    if (s.scalaNota > 0) {
        r.outputSize = {s.largRaddr, int(s.altRaddr)};
    }
    // How sure the construction is, as the panel shows it; none when it could not be told.
    if (s.distanceSigma > 0) {
        r.distanceSigma = s.distanceSigma;
    }
    if (s.aspectSigma > 0 && !s.aspectIndeterminate) {
        r.aspectSigma = s.aspectSigma;
    }
    if (s.aColori()) {
        r.interpolation = s.bilineare ? "bilinear" : "nearest";
    }
    return Result<ConstructionRecord>::success(std::move(r));
}

void setSizeFactor(Context& ctx, double grandezza) {
    // Steps up and down may end a rounding away from the same number of steps up.
    if (ctx.s.grandezza != grandezza) {
        ctx.s.grandezza = grandezza;
        ctx.form.Text3.caption = plainForm(ctx.s.grandezza, ctx.decimalSeparator);
        CERCHIONUOVO(ctx);
    }
}

void restoreConstruction(Context& ctx, const ConstructionRecord& r) {
    // The clicks are pixels of the photograph as it was turned.
    turnPhotograph(ctx, r.photographTurn - ctx.s.photographTurn);
    // The distance the construction was made with, before its lines meet.
    ctx.focal35 = r.focal35;
    ctx.focal35FromExif = r.focal35 && r.focal35 == ctx.s.exifFocal35;
    // The clicks below are already out of the lens's bend.
    ctx.s.lensK1 = r.lensK1;
    ctx.s.lensFitRms = r.lensFitRms;
    ctx.s.lensFitSpread.reset();
    ctx.s.pointsAlong.clear();
    ctx.s.furtherPoints.clear();
    ctx.s.lensProfile = r.lensProfile;
    if (!r.interpolation.empty()) {
        ctx.s.bilineare = r.interpolation == "bilinear";
        ctx.form.bilineare.checked = ctx.s.bilineare;
    }
    ctx.s.agganciaBordi = r.snapToEdges;
    ctx.form.agganciaBordi.checked = r.snapToEdges;
    // Each line end as sure as it was when clicked, whatever the view now.
    for (std::size_t k = 0; k < 4; ++k) {
        const auto& line = r.lines[k];
        click(ctx, line[0], line[1], r.lineViewScales[k][0]);
        click(ctx, line[2], line[3], r.lineViewScales[k][1]);
        keepPoints(ctx, ctx.s.clickedLine(int(k) + 1), r.linePoints[k]);
    }
    for (const ExtraLineRecord& l : r.extraLines) {
        (l.horizontal ? altraRettaOrizz_Click : altraRettaVert_Click)(ctx);
        click(ctx, l.line[0], l.line[1], l.viewScales[0]);
        click(ctx, l.line[2], l.line[3], l.viewScales[1]);
        keepPoints(ctx, ctx.s.extraLines.empty() ? ClickedLine{} : ctx.s.extraLines.back().line,
                   l.points);
    }
    keepSpreadOfKeptFit(ctx, r.lensFitSpread);
    CENTRO_Click(ctx);
    click(ctx, r.principalPoint[0], r.principalPoint[1]);
    for (int i = 0; i < r.sizeSteps; ++i) {
        GRANDEZZA_SpinUp(ctx);
    }
    setSizeFactor(ctx, r.sizeFactor);
    RETTANG3(ctx);
    click(ctx, r.area[0], r.area[1]);
    click(ctx, r.area[2], r.area[3]);
    // The measures of the rectangle these lines bound: the next rectification is by them.
    ctx.s.misureNote = r.knownMeasures;
    offerStageCommands(ctx);
}

}  // namespace vesta
