#include "construction/AutoLines.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>

#include "construction/ConstructionState.h"
#include "construction/ExtraLines.h"
#include "construction/LensCorrection.h"
#include "construction/Overlay.h"
#include "construction/PictureInput.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

bool photographOnShow(const WorkingState& s) {
    return s.aColori() || s.sorgente.image.width > 0;
}

bool offered(const WorkingState& s) {
    return !s.proposedLines[0].empty() || !s.proposedLines[1].empty();
}

// Lines are found on the photograph as it is; the construction, the clicks and the drawing work
// in the plane the lens's bend is taken out of, so a found end goes there before it is used.
Point inPlane(const WorkingState& s, Point p) {
    const auto lens = photographLensOf(s);
    return lens ? lens->undistorted(p) : p;
}

// The lines found on the photograph `view`: out of the lens's bend where one is taken out, their
// ends then bent back onto the photograph, where the offer keeps them.
GroupedLines linesOnPhotograph(const GreyView& view, const SegmentDetector& detect,
                               const std::optional<RadialLens>& lens,
                               std::optional<std::array<Point, 2>> area = std::nullopt) {
    // The area names a front among lines grouped out of the bend: its corners go there too.
    if (lens && area) {
        area = {lens->undistorted((*area)[0]), lens->undistorted((*area)[1])};
    }
    GroupedLines lines = findLines(view, detect, lens, area);
    if (lens) {
        for (std::vector<Segment>* direction : {&lines.horizontal, &lines.vertical}) {
            for (Segment& l : *direction) {
                l = {lens->distorted(l.first).value_or(l.first),
                     lens->distorted(l.second).value_or(l.second)};
            }
        }
    }
    return lines;
}

void drawOffer(Context& ctx) {
    const WorkingState& s = ctx.s;
    PictureArea& pic = ctx.picture1;
    pic.refresh();
    pic.setDrawMode(DrawMode::CopyPen);
    for (int d = 0; d < 2; ++d) {
        for (const auto& ends : s.proposedLines[d]) {
            const Point a = inPlane(s, ends[0]), b = inPlane(s, ends[1]);
            pic.line(float(a.x), float(a.y), float(b.x), float(b.y),
                     d == 0 ? colours::foundHorizontal : colours::foundVertical);
        }
    }
    markPrincipalPoint(pic, s.centroX, s.centroY);
}

bool enoughOffered(const WorkingState& s) {
    return s.proposedLines[0].size() >= 2 && s.proposedLines[1].size() >= 2;
}

// The distance of p from the segment a-b.
double distanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

constexpr std::string_view kOtherFronts = "Trovate altre facciate: ";

void keepOtherFronts(WorkingState& s, const GroupedLines& found) {
    s.otherFronts.clear();
    for (const FrontExtent& front : found.otherFronts) {
        s.otherFronts.push_back({front.topLeft, front.bottomRight});
    }
}

// Said on the panel beside the offer: the lines are of one facade, the largest, and others were
// seen; the user may click another's lines by hand.
void tellOtherFronts(Context& ctx) {
    const std::size_t others = ctx.s.otherFronts.size();
    ctx.form.avviso.caption =
        others == 0 ? std::string()
                    : std::string(kOtherFronts) + std::to_string(others) +
                          ", lasciate fuori (le rette offerte sono della facciata più ampia)";
}

void click(Context& ctx, Point p) {
    PICTURE1_MouseDown(ctx, float(p.x), float(p.y), 1.0);
    Picture1_MouseUp(ctx, float(p.x), float(p.y));
}

}  // namespace

GroupedLines findPhotographLines(const Context& ctx, const SegmentDetector& detect,
                                 const std::optional<std::array<Point, 2>>& area) {
    const WorkingState& s = ctx.s;
    if (s.aColori()) {
        return linesOnPhotograph(GreyView(*s.fotoColori), detect, photographLensOf(s), area);
    }
    if (s.sorgente.image.width > 0) {
        return linesOnPhotograph(GreyView(s.sorgente.image), detect, photographLensOf(s), area);
    }
    return {};
}

void retteAutomatiche_Click(Context& ctx, const SegmentDetector& detect) {
    if (!ctx.form.retteAutomatiche.enabled) {
        return;
    }
    ctx.form.domanda1.caption = prompts::kCercoRette;
    ctx.form.retteAutomatiche.enabled = false;
    // Found away from the window's thread on the photograph as it is now, held meanwhile; what
    // is found is offered only if that photograph is still the one on show, as it was turned,
    // its lines not begun.
    const WorkingState& s = ctx.s;
    auto found = std::make_shared<GroupedLines>();
    auto colour = s.fotoColori;
    auto palette = colour ? nullptr : std::make_shared<IndexedImage>(s.sorgente.image);
    ctx.events.inBackground(
        [found, colour, palette, detect, lens = photographLensOf(s)] {
            if (colour) {
                *found = linesOnPhotograph(GreyView(*colour), detect, lens);
            } else if (palette->width > 0) {
                *found = linesOnPhotograph(GreyView(*palette), detect, lens);
            }
        },
        [&ctx, found, opening = s.openings, turn = s.photographTurn] {
            if (ctx.s.openings == opening && ctx.s.photographTurn == turn) {
                offerFoundLines(ctx, *found);
            }
            offerAutoLineCommands(ctx);
        });
}

void offerFoundLines(Context& ctx, const GroupedLines& found) {
    WorkingState& s = ctx.s;
    if (!photographOnShow(s) || s.nRette > 0 || s.nRaddr != 0) {
        return;
    }
    // Half a line clicked before is given up: the offer stands in its place.
    abandonPendingInput(ctx);
    s.modoClick = ClickMode::LineEnd;
    s.proposedLines[0].clear();
    s.proposedLines[1].clear();
    for (const Segment& l : found.horizontal) {
        s.proposedLines[0].push_back({l.first, l.second});
    }
    for (const Segment& l : found.vertical) {
        s.proposedLines[1].push_back({l.first, l.second});
    }
    keepOtherFronts(s, found);
    tellOtherFronts(ctx);
    drawOffer(ctx);
    ctx.form.domanda1.caption = enoughOffered(s) ? prompts::kRetteTrovate : prompts::kPocheRette;
    ctx.form.cancella.enabled = true;
    offerAutoLineCommands(ctx);
}

void takeLines(Context& ctx, const GroupedLines& lines) {
    keepOtherFronts(ctx.s, lines);
    const std::vector<Segment>* directions[2] = {&lines.horizontal, &lines.vertical};
    const auto clickEnds = [&ctx](const Segment& l) {
        click(ctx, inPlane(ctx.s, l.first));
        click(ctx, inPlane(ctx.s, l.second));
    };
    withOneConstructionWord(ctx, [&] {
        for (const std::vector<Segment>* d : directions) {
            for (std::size_t k = 0; k < 2 && k < d->size(); ++k) {
                clickEnds((*d)[k]);
            }
        }
        for (int d = 0; d < 2; ++d) {
            for (std::size_t k = 2; k < directions[d]->size(); ++k) {
                (d == 0 ? altraRettaOrizz_Click : altraRettaVert_Click)(ctx);
                clickEnds((*directions[d])[k]);
            }
        }
    });
    ctx.s.linesFound = ctx.s.nRette == 4;
}

void accettaRette_Click(Context& ctx) {
    WorkingState& s = ctx.s;
    if (!ctx.form.accettaRette.enabled || !enoughOffered(s)) {
        return;
    }
    GroupedLines lines;
    for (const auto& [topLeft, bottomRight] : s.otherFronts) {
        lines.otherFronts.push_back({topLeft, bottomRight, 0});
    }
    for (int d = 0; d < 2; ++d) {
        for (const auto& [a, b] : s.proposedLines[d]) {
            (d == 0 ? lines.horizontal : lines.vertical).push_back({a, b});
        }
    }
    withdrawFoundLines(ctx);
    takeLines(ctx, lines);
    offerAutoLineCommands(ctx);
}

bool offeredLineClick(Context& ctx, float x, float y, double viewScale) {
    WorkingState& s = ctx.s;
    if (!offered(s)) {
        return false;
    }
    // Six pixels of the screen, however the photograph is scaled on it.
    const double reach = 6 / std::max(viewScale, 1e-3);
    double nearest = reach;
    std::vector<std::array<Point, 2>>* from = nullptr;
    std::size_t which = 0;
    for (auto& direction : s.proposedLines) {
        for (std::size_t k = 0; k < direction.size(); ++k) {
            const double d =
                distanceToSegment({x, y}, inPlane(s, direction[k][0]), inPlane(s, direction[k][1]));
            if (d <= nearest) {
                nearest = d;
                from = &direction;
                which = k;
            }
        }
    }
    if (!from) {
        withdrawFoundLines(ctx);
        return false;
    }
    from->erase(from->begin() + std::ptrdiff_t(which));
    drawOffer(ctx);
    ctx.form.domanda1.caption = enoughOffered(s) ? prompts::kRetteTrovate : prompts::kPocheRette;
    offerAutoLineCommands(ctx);
    return true;
}

void drawFoundLinesAgain(Context& ctx) {
    if (offered(ctx.s)) {
        drawOffer(ctx);
    }
}

bool withdrawFoundLines(Context& ctx) {
    WorkingState& s = ctx.s;
    if (!offered(s)) {
        return false;
    }
    s.proposedLines[0].clear();
    s.proposedLines[1].clear();
    if (ctx.form.avviso.caption.starts_with(kOtherFronts)) {
        ctx.form.avviso.caption.clear();
    }
    ctx.picture1.refresh();
    markPrincipalPoint(ctx.picture1, s.centroX, s.centroY);
    ctx.form.domanda1.caption = prompts::kPrimaOrizz;
    offerAutoLineCommands(ctx);
    return true;
}

void offerAutoLineCommands(Context& ctx) {
    const WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    const bool free = s.nRaddr == 0 && s.resultFile != ResultFile::Writing;
    // Offered once at a time: dropped lines come back only by asking again after Canc.
    f.retteAutomatiche.enabled = free && photographOnShow(s) && s.nRette <= 0 && !offered(s);
    f.accettaRette.enabled = free && s.nRette <= 0 && enoughOffered(s);
}

}  // namespace vesta
