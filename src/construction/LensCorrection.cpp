#include "construction/LensCorrection.h"

#include <memory>

#include "construction/AutoLines.h"
#include "state/Numbers.h"

namespace vesta {

namespace {

// The lens of the working state's photograph, found again only when the state names another.
class PhotographBend : public FigureBend {
  public:
    explicit PhotographBend(const WorkingState& s) : s_(s) {}
    bool bends() const override { return lens().has_value(); }
    std::optional<Point> bent(Point p) const override { return lens()->distorted(p); }

  private:
    const std::optional<RadialLens>& lens() const {
        if (!known_ || k1_ != s_.lensK1 || profile_ != s_.lensProfile ||
            width_ != s_.larghezzaSorg() || height_ != s_.altezzaSorg()) {
            known_ = true;
            k1_ = s_.lensK1;
            profile_ = s_.lensProfile;
            width_ = s_.larghezzaSorg();
            height_ = s_.altezzaSorg();
            lens_ = photographLens(k1_, profile_, width_, height_);
        }
        return lens_;
    }

    const WorkingState& s_;
    mutable bool known_ = false;
    mutable std::optional<double> k1_;
    mutable std::optional<LensProfile> profile_;
    mutable int width_ = 0, height_ = 0;
    mutable std::optional<RadialLens> lens_;
};

}  // namespace

void drawThroughLens(Context& ctx) {
    ctx.picture1.setBend(std::make_shared<PhotographBend>(ctx.s));
}

std::string lensNotice(const LensProfile& p, char decimalSeparator) {
    return p.lens + " a " + roundedForm(p.focalMm, 1, decimalSeparator) + " mm (lensfun)";
}

void offerLensProfile(Context& ctx, const std::optional<Result<LensProfile>>& found) {
    WorkingState& s = ctx.s;
    s.lensOffered.reset();
    s.lensNotOffered.clear();
    if (!found) {
        return;
    }
    if (!found->ok()) {
        s.lensNotOffered = found->error();
        return;
    }
    // A calibration that would fold the photograph onto itself is not offered at all.
    const RadialLens lens =
        RadialLens::ofProfile(found->value(), s.larghezzaSorg(), s.altezzaSorg());
    if (!lens.bendsWholePhotograph(s.larghezzaSorg(), s.altezzaSorg())) {
        s.lensNotOffered = "La distorsione dell'obiettivo ripiega la fotografia su se stessa.";
        return;
    }
    s.lensOffered = found->value();
    ctx.form.avviso.caption =
        "Obiettivo nel database: " + lensNotice(found->value(), ctx.decimalSeparator) +
        ". Modifica > Distorsione dall'obiettivo ne toglie la distorsione.";
    offerLensCorrection(ctx);
}

void distorsioneObiettivo_Click(Context& ctx) {
    WorkingState& s = ctx.s;
    if (!s.lensOffered || s.nRette > 0 || s.raddrAvviato != 0) {
        return;
    }
    if (s.lensProfile) {
        s.lensProfile.reset();
        ctx.form.avviso.caption = "Distorsione dell'obiettivo lasciata com'è.";
    } else {
        s.lensProfile = s.lensOffered;
        s.lensK1.reset();
        ctx.form.avviso.caption =
            "Distorsione tolta: " + lensNotice(*s.lensProfile, ctx.decimalSeparator) + ".";
    }
    drawFoundLinesAgain(ctx);
    offerLensCorrection(ctx);
}

std::optional<RadialLens> photographLensOf(const WorkingState& s) {
    return photographLens(s.lensK1, s.lensProfile, s.larghezzaSorg(), s.altezzaSorg());
}

Point asClick(Point p) {
    // Through memory: GCC 12 at -O2 drops the rounding of a point a conditional chose.
    const volatile float x = float(p.x), y = float(p.y);
    return {x, y};
}

Point clickOutOfLens(const Context& ctx, float x, float y) {
    const auto lens = photographLensOf(ctx.s);
    return lens ? lens->undistorted({x, y}) : Point{x, y};
}

void offerLensCorrection(Context& ctx) {
    const WorkingState& s = ctx.s;
    MenuItem& item = ctx.form.distorsioneObiettivo;
    item.visible = s.lensOffered.has_value() || s.lensProfile.has_value();
    item.enabled = s.lensOffered && s.nRette <= 0 && s.raddrAvviato == 0;
    item.checked = s.lensProfile.has_value();
}

}  // namespace vesta
