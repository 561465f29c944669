#include "construction/ProportionsNotice.h"

#include <charconv>
#include <cmath>

#include "construction/FocalLengthCommand.h"
#include "geometry/Construction.h"
#include "geometry/FocalLength.h"
#include "geometry/LensFit.h"
#include "geometry/Uncertainty.h"
#include "state/Numbers.h"

namespace vesta {

std::string aspectText(double aspectSigma, bool indeterminate, char decimalSeparator) {
    if (indeterminate || !std::isfinite(aspectSigma)) {
        return "indeterminato";
    }
    const double percent = aspectSigma * 100;
    // Small figures keep a second decimal, so that a sure construction does not read ±0,0%.
    const int decimals = percent < 1 ? 2 : 1;
    char buffer[48];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, percent, std::chars_format::fixed, decimals);
    std::string digits = ec == std::errc() ? std::string(buffer, end) : "?";
    for (char& c : digits) {
        if (c == '.') {
            c = decimalSeparator;
        }
    }
    return "±" + digits + "%";
}

namespace {

// The tooltip under the figure says whether the principal distance came from a focal length,
// on a line of its own after the figure's meaning.
void showDistanceSource(Context& ctx, bool fromFocalLength) {
    std::string& tip = ctx.form.incertezza.tooltip;
    tip = tip.substr(0, tip.find('\n'));
    if (fromFocalLength) {
        tip += "\nDistanza principale dalla focale equivalente di " +
               plainForm(*ctx.focal35, ctx.decimalSeparator) + " mm (Focale...).";
    }
}

}  // namespace

std::optional<FittedBend> fittedBend(const WorkingState& s) {
    if (!s.lensK1 || !s.lensFitRms || !s.lensFitSpread || s.lensProfile) {
        return std::nullopt;
    }
    FittedBend bend;
    bend.lens = RadialLens::ofPhotograph(*s.lensK1, s.larghezzaSorg(), s.altezzaSorg());
    bend.pointSigma = s.lensFitSpread->pointSigma;
    bend.k1Weight = s.lensFitSpread->k1Weight;
    // A line given by more points runs through them all, surer at its ends than one of them.
    const auto shares = [&](ClickedLine l) {
        for (const PointsAlong& given : s.pointsAlong) {
            if (given.line == l) {
                return fittedEndShares(given.points);
            }
        }
        return std::array<double, 2>{1, 1};
    };
    for (int k = 1; k <= std::min(s.nRette, 4); ++k) {
        bend.endShares[std::size_t(k - 1)] = shares(s.clickedLine(k));
    }
    for (const ExtraLine& extra : s.extraLines) {
        (extra.horizontal ? bend.moreHorizontalShares : bend.moreVerticalShares)
            .push_back(shares(extra.line));
    }
    return bend;
}

std::optional<double> givenDistance(const Context& ctx) {
    if (!ctx.focal35) {
        return std::nullopt;
    }
    const Result<double> d =
        principalDistanceFrom35mm(*ctx.focal35, int(ctx.s.larghezzaPic1), int(ctx.s.altezzaPic1));
    return d.ok() ? std::optional<double>(d.value()) : std::nullopt;
}

void showProportionUncertainty(Context& ctx) {
    WorkingState& s = ctx.s;
    ConstructionClicks clicks = ConstructionClicks::from(s);
    clicks.givenDistance = givenDistance(ctx);
    // Vanishing points set by other means than these clicks leave no clicks to be unsure of.
    if (!construction(clicks).ok()) {
        clearProportionUncertainty(ctx);
        return;
    }
    if (ctx.clickSigma > 0) {
        clicks.setClickSigma(ctx.clickSigma);
    }
    const ProportionUncertainty u = proportionUncertainty(clicks, fittedBend(s));
    s.distanceSigma = u.distanceSigma;
    const bool sure = showAspectUncertainty(ctx, u.aspectSigma, u.indeterminate);
    showDistanceSource(ctx, clicks.givenDistance.has_value());
    if (sure) {
        return;
    }
    const std::string uncertain = "Le proporzioni dell'immagine raddrizzata sono incerte (" +
                                  ctx.form.incertezza.caption + ").";
    // Told on the panel, never in a box that would stop the road: the figure in red, what helps
    // in its tooltip, and a line at the panel's foot that points there.
    ctx.form.avviso.caption = "Proporzioni incerte (" + ctx.form.incertezza.caption +
                              "): il suggerimento della cifra in rosso dice cosa aiuta.";
    ctx.form.incertezza.tooltip +=
        "\n" + uncertain +
        " Aiutano: rette più lunghe e più distanti tra loro, i punti presi su una vista "
        "ingrandita, le misure note del rettangolo delle quattro rette (Misure note) o la "
        "focale della fotografia (Focale...).";
    // The camera's own focal length is the surest help there is: asked for, once for these
    // clicks, rather than told.
    const std::vector<double> key = constructionKey(s);
    if (key != s.warnedClicks) {
        offerExifFocalLength(ctx, uncertain, key);
    }
}

std::vector<double> constructionKey(const WorkingState& s) {
    const ConstructionClicks clicks = ConstructionClicks::from(s);
    std::vector<double> key;
    for (const auto& line : clicks.lines) {
        for (const Point& p : line) {
            key.push_back(p.x);
            key.push_back(p.y);
        }
    }
    for (const auto* more : {&clicks.moreHorizontal, &clicks.moreVertical}) {
        for (const ClickedSegment& line : *more) {
            for (const Point& p : line.ends) {
                key.push_back(p.x);
                key.push_back(p.y);
            }
        }
    }
    key.push_back(clicks.principal.x);
    key.push_back(clicks.principal.y);
    return key;
}

bool showAspectUncertainty(Context& ctx, double aspectSigma, bool indeterminate) {
    ctx.s.aspectSigma = aspectSigma;
    ctx.s.aspectIndeterminate = indeterminate;
    ctx.form.incertezza.caption = aspectText(aspectSigma, indeterminate, ctx.decimalSeparator);
    const bool sure = !indeterminate && aspectSigma <= kUncertainAspect;
    ctx.form.incertezza.foreground = sure ? colours::black : colours::red;
    ctx.form.avviso.caption.clear();
    return sure;
}

void clearProportionUncertainty(Context& ctx) {
    ctx.s.aspectSigma = 0;
    ctx.s.distanceSigma = 0;
    ctx.s.aspectIndeterminate = false;
    ctx.form.incertezza.caption.clear();
    ctx.form.incertezza.foreground = colours::black;
    ctx.form.avviso.caption.clear();
    showDistanceSource(ctx, false);
}

}  // namespace vesta
