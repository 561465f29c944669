#include "measure/Measuring.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "geometry/Uncertainty.h"
#include "measure/LengthUncertainty.h"
#include "state/Numbers.h"
#include "state/Prompts.h"
#include "state/RubberBand.h"

namespace vesta {

namespace {

constexpr Rgb kDarkGreen{0, 64, 0};

}  // namespace

std::string strCut(double value, std::size_t n) {
    return strForm(value).substr(0, n);
}

void Picture2_MouseDown(Context& ctx, float x, float y) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    PictureArea& p = ctx.picture2;
    p.refresh();
    p.setDrawMode(DrawMode::Invert);
    p.setForeColor(colours::red);
    if (s.nRaddr <= 1) {
        return;
    }
    if (s.attesaSecondo == 1) {
        s.attesaSecondo = 0;
        s.primoMovimento = 0;
        s.xSecondo = x;
        s.ySecondo = y;
        p.setDrawMode(DrawMode::CopyPen);
        p.circle(s.xSecondo, s.ySecondo, 2, colours::red);
        p.line(s.xPrimo, s.yPrimo, s.xSecondo, s.ySecondo, colours::red);
        p.circle(s.xPrimo, s.yPrimo, 2, colours::red);
        p.setDrawMode(DrawMode::Invert);
        MISURA1(ctx);
        return;
    }
    s.attesaSecondo = 1;
    s.primoMovimento = 1;
    s.xPrimo = x;
    s.yPrimo = y;
    p.setDrawMode(DrawMode::CopyPen);
    p.circle(s.xPrimo, s.yPrimo, 2, colours::red);
    f.tfuox.caption = "x1 " + strForm(s.xPrimo);
    f.tfuoy.caption = "y1 " + strForm(s.yPrimo);
    f.tfuvx.caption = "";
    f.tfuvy.caption = "";
}

void Picture2_MouseMove(Context& ctx, float x, float y) {
    WorkingState& s = ctx.s;
    PictureArea& p = ctx.picture2;
    ctx.form.Text1.caption = roundedForm(x, 1, ctx.decimalSeparator);
    ctx.form.Text2.caption = roundedForm(y, 1, ctx.decimalSeparator);
    p.setDrawMode(DrawMode::Invert);
    if (s.attesaSecondo != 1) {
        return;
    }
    dragRubberBand(s, x, y, [&](float toX, float toY) { p.line(s.xPrimo, s.yPrimo, toX, toY); });
}

namespace {

// The decimals of the reference the scale was taken from: the typed length, or the known
// measures; a length shown finer than its reference would claim what nobody measured.
int referenceDecimals(const WorkingState& s) {
    if (s.scalaNota > 0) {
        return s.misureNote
                   ? std::max(decimalsOf((*s.misureNote)[0]), decimalsOf((*s.misureNote)[1]))
                   : 1;
    }
    const std::optional<double> typed = typedLength(s.misuraCm);
    return typed ? decimalsOf(*typed) : 1;
}

// A spread in centimetres to the reference's unit; one below that unit keeps one significant
// figure, so that it never reads as nothing.
std::string spread(double v, int decimals, char sep) {
    int shown = decimals;
    while (shown < 6 && std::isfinite(v) && v > 0 && v < 0.5 * std::pow(10.0, -shown)) {
        ++shown;
    }
    return fixedForm(v, shown, sep);
}

// The length just measured to the reference's unit, and its ± from the scale's pair, the two
// points and the result's uncertain proportions.
void showLengthUncertainty(Context& ctx) {
    const WorkingState& s = ctx.s;
    const double clickSigma = ctx.clickSigma > 0 ? ctx.clickSigma : kMouseClickSigma;
    const char sep = ctx.decimalSeparator;
    const int decimals = referenceDecimals(s);
    const auto cm = [&](double v) { return spread(v, decimals, sep); };
    const std::string length = "d " + fixedForm(s.misuraReale, decimals, sep) + " ±";
    // The foot's note on the last line drawn onto an edge gives way to the length.
    ctx.form.bordi.caption.clear();
    if (s.scalaNota > 0) {
        const LengthUncertainty u =
            measuredLengthAtScale(Point{s.xPrimo, s.yPrimo}, Point{s.xSecondo, s.ySecondo},
                                  s.scalaNota, clickSigma, s.scalaNotaSigma);
        ctx.form.incertezzaMisura.caption = length + cm(u.sigma) + " cm (scala ±" +
                                            cm(u.scalePart) + ", punti ±" + cm(u.clickPart) + ")";
        return;
    }
    const double aspectSigma = s.aspectIndeterminate ? INFINITY : s.aspectSigma;
    const Point refA{s.scalaCoppia[0], s.scalaCoppia[1]};
    const Point refB{s.scalaCoppia[2], s.scalaCoppia[3]};
    const double refCm = s.scala * std::hypot(refB.x - refA.x, refB.y - refA.y);
    const LengthUncertainty u =
        measuredLength(refA, refB, refCm, Point{s.xPrimo, s.yPrimo}, Point{s.xSecondo, s.ySecondo},
                       clickSigma, aspectSigma);
    ctx.form.incertezzaMisura.caption = length + cm(u.sigma) + " cm (scala ±" + cm(u.scalePart) +
                                        ", punti ±" + cm(u.clickPart) + ", proporzioni ±" +
                                        cm(u.aspectPart) + ")";
}

}  // namespace

void MISURA1(Context& ctx) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    s.nMisura += 1;
    const double d = std::sqrt((s.xPrimo - s.xSecondo) * double(s.xPrimo - s.xSecondo) +
                               (s.yPrimo - s.ySecondo) * double(s.yPrimo - s.ySecondo));
    if (s.nMisura == 1 && s.scalaNota > 0) {
        // The known measures gave the result's scale: no reference pair to ask.
        s.scala = s.scalaNota;
    } else if (s.nMisura == 1) {
        const std::optional<std::string> typed =
            ctx.dialogs.inputBox("Inserire la misura in cm.", "");
        const std::optional<double> length = typed ? typedLength(*typed) : std::nullopt;
        if (!length || d == 0) {
            // No scale from this pair: the next pair asks again, an earlier scale stays.
            s.nMisura = 0;
            ctx.dialogs.messageBox(
                d == 0 ? "I due punti coincidono: la scala non può essere stabilita.\n"
                         "Definire due punti distinti di lunghezza nota."
                : typed && ambiguousPoint(*typed)
                    ? ambiguousPointMessage(*typed)
                    : "Lunghezza non valida: inserire un numero maggiore di zero, in "
                      "centimetri (per esempio 120 o 12,5).",
                "MISURA", MessageIcon::Warning);
            if (!(s.scala > 0)) {
                f.domanda1.caption = prompts::kDuePunti;
                return;
            }
        } else {
            s.misuraCm = *typed;
            s.scala = *length / d;
            s.scalaCoppia = {s.xPrimo, s.yPrimo, s.xSecondo, s.ySecondo};
        }
    } else if (s.nMisura == 5) {
        s.nMisura = 1;
    }
    // Lengths in the picture's own pixels: the zoom viewer's display factor has no part in them.
    s.misuraReale = s.scala * d;
    f.Text6[1].caption = "d" + strCut(s.misuraReale);
    f.tfuvx.caption = "x2 " + strCut(s.xSecondo);
    f.tfuvy.caption = "y2 " + strCut(s.ySecondo);
    const double dx = s.scala * std::fabs(double(s.xPrimo) - s.xSecondo);
    f.Text6[2].caption = "dx" + strCut(dx);
    const double dy = s.scala * std::fabs(double(s.yPrimo) - s.ySecondo);
    f.Text6[3].caption = "dy" + strCut(dy);
    const double run = double(s.xSecondo) - s.xPrimo;
    const double a = run == 0 ? 90 : std::atan((double(s.ySecondo) - s.yPrimo) / run) * (180 / kPi);
    f.Text6[4].caption = "a" + strCut(a);
    f.domanda1.caption = "Altra misura ?";
    showLengthUncertainty(ctx);
}

void Picture2_DblClick(Context& ctx) {
    const WorkingState& s = ctx.s;
    // A result by known measures has its own size, and needs no construction.
    if (s.scalaNota <= 0 && !s.construction) {
        return;
    }
    double largOut = s.scalaNota > 0 ? s.largRaddr : s.construction->frame.largOut;
    double altOut = s.scalaNota > 0 ? s.altRaddr : s.construction->frame.altOut;
    // A result turned a quarter lies across its frame (its own size is turned already).
    if (s.scalaNota <= 0 && s.resultTurn % 2 == 1) {
        std::swap(largOut, altOut);
    }
    PictureArea& p = ctx.picture2;
    for (double x = 1; x <= largOut; x += 80) {
        p.line(float(x), 1, float(x), float(altOut), kDarkGreen);
    }
    for (double y = 1; y <= altOut; y += 80) {
        p.line(1, float(y), float(largOut), float(y), colours::windowBackground);
    }
}

}  // namespace vesta
