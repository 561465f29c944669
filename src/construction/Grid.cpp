#include "construction/Grid.h"

#include <cmath>

#include "geometry/Lines.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

constexpr Rgb kGrey{128, 128, 128};

// One family of grid lines: those of a side of the area through the reference corner.
struct Family {
    const std::vector<DivisionPoint>& divisions;
    double count;        // largOut or altOut
    Point measuring;     // po for columns, pv for rows
    double sideSlope;    // mOrizz for columns, mVert for rows
    Point vanishing;     // Vv for columns, Vh for rows
    bool inclusiveEnds;  // rows keep crossings at both ends of edges 2 and 4
};

// The crossing at which the line from S toward V meets y = edge (or x = edge).
std::optional<double> crossAtY(double edge, Point s, Point v) {
    if (zeroUpToRounding(v.y, s.y)) {
        return std::nullopt;
    }
    const double x = (edge - s.y) / (v.y - s.y) * (v.x - s.x) + s.x;
    return std::isfinite(x) ? std::optional<double>(x) : std::nullopt;
}

std::optional<double> crossAtX(double edge, Point s, Point v) {
    if (zeroUpToRounding(v.x, s.x)) {
        return std::nullopt;
    }
    const double y = (edge - s.x) / (v.x - s.x) * (v.y - s.y) + s.y;
    return std::isfinite(y) ? std::optional<double>(y) : std::nullopt;
}

class GridDrawer {
  public:
    GridDrawer(Context& ctx, const Frame& f) : ctx_(ctx), s_(ctx.s), f_(f) {}

    void draw(const Family& family) {
        const Point o = f_.rif;
        for (double i = 1; i <= family.count; i += 50) {
            const std::size_t index = std::size_t(i);
            if (index >= family.divisions.size()) {
                break;  // no table for a frame too large to rectify
            }
            const Point d = family.divisions[index];
            const std::optional<double> slope = slopeFrom(family.measuring, d);
            if (!slope) {
                continue;
            }
            const std::optional<Point> start =
                meetingPoint(family.measuring, *slope, o, family.sideSlope);
            if (!start) {
                continue;
            }
            drawLine(*start, family);
            counter_ = 1;
        }
    }

    int counter() const { return counter_; }

  private:
    void keep(double x, double y) {
        if (counter_ <= 4) {
            crossings_[counter_] = Point{x, y};
        }
        ++counter_;
    }

    void drawLine(Point s, const Family& family) {
        const Point tl = s_.corner(1), bl = s_.corner(2), br = s_.corner(3), tr = s_.corner(4);
        const Point v = family.vanishing;
        const auto x1 = crossAtY(f_.angoloY2, s, v);
        const auto x2 = crossAtY(f_.angoloY1, s, v);
        const auto y3 = crossAtX(f_.angoloX2, s, v);
        const auto y4 = crossAtX(f_.angoloX1, s, v);
        if (!x1 || !x2 || !y3 || !y4) {
            return;
        }
        const bool inclusive = family.inclusiveEnds;
        if (tl.x <= *x1 && *x1 <= tr.x) {
            keep(*x1, f_.angoloY2);
        }
        if ((inclusive ? bl.x <= *x2 : bl.x < *x2) && *x2 <= br.x) {
            keep(*x2, f_.angoloY1);
        }
        if (tr.y <= *y3 && *y3 <= br.y) {
            keep(f_.angoloX2, *y3);
        }
        if (tl.y <= *y4 && (inclusive ? *y4 <= bl.y : *y4 < bl.y)) {
            keep(f_.angoloX1, *y4);
        }
        const auto inside = [&](Point p) {
            return tl.x <= p.x && p.x <= tr.x && tl.y <= p.y && p.y <= bl.y;
        };
        if (inside(crossings_[1]) && inside(crossings_[2])) {
            ctx_.picture1.line(float(crossings_[1].x), float(crossings_[1].y),
                               float(crossings_[2].x), float(crossings_[2].y));
        }
    }

    Context& ctx_;
    WorkingState& s_;
    const Frame& f_;
    // Crossings of the line being drawn, from index 1; places not reached keep the previous
    // line's points.
    Point crossings_[5] = {};
    int counter_ = 1;
};

}  // namespace

void griglia1(Context& ctx) {
    WorkingState& s = ctx.s;
    // A grid of a frame that no longer stands would show what will not be rectified.
    if (!s.construction) {
        return;
    }
    PictureArea& pic = ctx.picture1;
    pic.setDrawMode(DrawMode::CopyPen);
    pic.setForeColor(kGrey);
    pic.box(float(s.corner(1).x), float(s.corner(1).y), float(s.corner(3).x), float(s.corner(3).y),
            colours::red);

    const Construction& c = *s.construction;
    const Frame& f = c.frame;
    GridDrawer grid(ctx, f);
    grid.draw(Family{f.divColonne, f.largOut, c.orientation.po, f.mOrizz, c.fughe.vv, false});
    grid.draw(Family{f.divRighe, f.altOut, c.orientation.pv, f.mVert, c.fughe.vh, true});
    s.nMisura = grid.counter();

    ctx.form.domanda1.caption = prompts::kVuoiRaddrizzare;
    pic.setForeColor(colours::red);
}

}  // namespace vesta
