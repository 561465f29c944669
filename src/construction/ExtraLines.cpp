#include "construction/ExtraLines.h"

#include <algorithm>
#include <cmath>

#include "construction/ConstructionState.h"
#include "construction/EdgeSnapping.h"
#include "construction/LinePoints.h"
#include "construction/Overlay.h"
#include "construction/PictureInput.h"
#include "geometry/Construction.h"
#include "geometry/LineFit.h"
#include "state/ClickPrecision.h"
#include "state/LineLimits.h"
#include "state/Numbers.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

void askForLine(Context& ctx, bool horizontal) {
    WorkingState& s = ctx.s;
    if (s.nRette != 4 || s.nRaddr != 0 || s.resultFile == ResultFile::Writing) {
        return;
    }
    abandonPendingInput(ctx);
    // No more than a record of the construction keeps and reads back.
    if (s.extraLines.size() >= kMostExtraLines) {
        ctx.form.domanda1.caption = prompts::kTroppeRette;
        return;
    }
    s.modoClick = ClickMode::LineEnd;
    s.extraLineHorizontal = horizontal;
    ctx.form.domanda1.caption = horizontal ? prompts::kAltraOrizz : prompts::kAltraVert;
}

void drawLine(PictureArea& pic, Point a, Point b) {
    pic.circle(float(a.x), float(a.y), 2, colours::red);
    pic.circle(float(b.x), float(b.y), 2, colours::red);
    pic.line(float(b.x), float(b.y), float(a.x), float(a.y), colours::red);
}

// The lines of a direction that stray, as the panel flags them (the clicks' own precision the
// floor); none while the four stand alone.
std::vector<bool> strays(const WorkingState& s, bool horizontal) {
    if (s.residualsH.empty() && s.residualsV.empty()) {
        return {};
    }
    return strayLines(ConstructionClicks::from(s).allLines(horizontal), kMouseClickSigma);
}

// Line i of a direction as the user counts them: 1 and 2 the first two, then the further ones.
std::string lineName(bool horizontal, std::size_t i) {
    return std::string(horizontal ? "orizz. " : "vert. ") + std::to_string(i + 1);
}

std::string pixels(const Context& ctx, double v) {
    return plainForm(roundHalfEven(v * 100) / 100, ctx.decimalSeparator);
}

// The index, in WorkingState::extraLines, of the k-th further line of a direction.
std::optional<std::size_t> extraIndex(const WorkingState& s, bool horizontal, std::size_t k) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < s.extraLines.size(); ++i) {
        if (s.extraLines[i].horizontal == horizontal && seen++ == k) {
            return i;
        }
    }
    return std::nullopt;
}

void fitAgain(Context& ctx) {
    drawAllLines(ctx);
    FUGHE(ctx);
}

}  // namespace

void altraRettaOrizz_Click(Context& ctx) {
    askForLine(ctx, true);
}

void altraRettaVert_Click(Context& ctx) {
    askForLine(ctx, false);
}

bool extraLineEnd(Context& ctx, float x, float y, double viewScale) {
    WorkingState& s = ctx.s;
    if (!s.extraLineHorizontal || s.modoClick != ClickMode::LineEnd) {
        return false;
    }
    PictureArea& pic = ctx.picture1;
    if (s.attesaSecondo != 1) {
        s.attesaSecondo = 1;
        s.primoMovimento = 1;
        s.xPrimo = x;
        s.yPrimo = y;
        s.firstViewScale = viewScale;
        pic.circle(x, y, 2, colours::red);
        return true;
    }
    s.attesaSecondo = 0;
    s.primoMovimento = 0;
    ExtraLine line{*s.extraLineHorizontal,
                   {{s.xPrimo, s.yPrimo}, {x, y}},
                   {s.firstViewScale, viewScale},
                   std::nullopt,
                   std::nullopt};
    if (s.agganciaBordi) {
        snapExtraLine(ctx, line);
    }
    s.extraLines.push_back(line);
    s.extraLineHorizontal.reset();
    drawAllLines(ctx);
    return true;
}

bool takeBackExtraLine(Context& ctx) {
    WorkingState& s = ctx.s;
    if (s.raddrAvviato == 1 || s.nRaddr != 0 || s.nRette != 4 ||
        (!s.extraLineHorizontal && s.extraLines.empty())) {
        return false;
    }
    if (s.extraLineHorizontal) {
        // Only the first end, or only the question: the lines stand as they are.
        abandonPendingInput(ctx);
        s.extraLineHorizontal.reset();
        fitAgain(ctx);
        return true;
    }
    s.extraLines.pop_back();
    fitAgain(ctx);
    return true;
}

void togliRetta_Click(Context& ctx) {
    WorkingState& s = ctx.s;
    if (s.nRette != 4 || s.nRaddr != 0 || s.resultFile == ResultFile::Writing) {
        return;
    }
    // The stray line that strays most, of either direction.
    std::optional<std::pair<bool, std::size_t>> worst;
    double largest = 0;
    for (const bool horizontal : {true, false}) {
        const std::vector<double>& r = horizontal ? s.residualsH : s.residualsV;
        const std::vector<bool> stray = strays(s, horizontal);
        for (std::size_t i = 0; i < stray.size() && i < r.size(); ++i) {
            if (stray[i] && r[i] > largest) {
                largest = r[i];
                worst = {horizontal, i};
            }
        }
    }
    if (!worst) {
        return;
    }
    const auto [horizontal, i] = *worst;
    if (i >= 2) {
        s.extraLines.erase(s.extraLines.begin() +
                           std::ptrdiff_t(*extraIndex(s, horizontal, i - 2)));
    } else {
        // One of the four: the last further line of its direction takes its place.
        std::size_t last = s.extraLines.size();
        while (s.extraLines[--last].horizontal != horizontal) {
        }
        const ExtraLine moved = s.extraLines[last];
        const int k = horizontal ? int(i) + 1 : int(i) + 3;
        s.setLine(k, moved.line.first, moved.line.second, moved.viewScales);
        if (moved.onEdge) {
            s.setLineOnEdge(k, moved.onEdge->first, moved.onEdge->second, *moved.edgeShift);
        }
        s.extraLines.erase(s.extraLines.begin() + std::ptrdiff_t(last));
        // Known measures belong to the rectangle of the four.
        constructionChanged(ctx, ConstructionStage::None);
    }
    fitAgain(ctx);
}

void drawAllLines(Context& ctx) {
    const WorkingState& s = ctx.s;
    PictureArea& pic = ctx.picture1;
    pic.refresh();
    pic.setDrawMode(DrawMode::CopyPen);
    for (int k = 1; k <= std::min(s.nRette, 4); ++k) {
        drawLine(pic, s.line(k).first, s.line(k).second);
    }
    for (const ExtraLine& l : s.extraLines) {
        drawLine(pic, l.used().first, l.used().second);
    }
    markPointsAlong(ctx);
    markPrincipalPoint(pic, s.centroX, s.centroY);
}

void showLineResiduals(Context& ctx) {
    const WorkingState& s = ctx.s;
    Control& label = ctx.form.scarti;
    if (s.residualsH.empty() && s.residualsV.empty()) {
        label.caption.clear();
        label.visible = false;
        return;
    }
    std::string caption = "scarti px:";
    std::string tip =
        "Distanza delle estremità di ogni retta dalla retta per il suo punto medio "
        "e il punto di fuga, in pixel.";
    std::string flagged;
    for (const bool horizontal : {true, false}) {
        const std::vector<double>& r = horizontal ? s.residualsH : s.residualsV;
        std::vector<bool> stray = strays(s, horizontal);
        stray.resize(r.size(), false);
        double sum = 0;
        tip += horizontal ? "\nOrizzontali:" : "\nVerticali:";
        for (std::size_t i = 0; i < r.size(); ++i) {
            sum += r[i] * r[i];
            tip += " " + pixels(ctx, r[i]) + (stray[i] ? " (anomala)" : "");
            if (stray[i]) {
                flagged += " retta " + lineName(horizontal, i) + " anomala";
            }
        }
        caption += std::string(horizontal ? " o " : " v ") +
                   pixels(ctx, r.empty() ? 0 : std::sqrt(sum / double(r.size())));
    }
    if (!flagged.empty()) {
        caption += ";" + flagged;
        tip +=
            "\nUna retta anomala si discosta più del triplo delle altre: si toglie con "
            "Edit > Togli la retta anomala.";
    }
    label.caption = caption;
    label.tooltip = tip;
    label.foreground = flagged.empty() ? std::nullopt : std::optional<Rgb>(colours::red);
    showResidualsFoot(ctx);
}

bool anyStrayLine(const WorkingState& s) {
    for (const bool horizontal : {true, false}) {
        for (const bool b : strays(s, horizontal)) {
            if (b) {
                return true;
            }
        }
    }
    return false;
}

void showResidualsFoot(Context& ctx) {
    FormModel& f = ctx.form;
    f.scarti.visible =
        !f.scarti.caption.empty() && f.Picture1.visible && f.incertezzaMisura.caption.empty();
}

}  // namespace vesta
