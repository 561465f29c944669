#include "geometry/Frame.h"

#include <algorithm>
#include <cmath>

#include "geometry/Degenerate.h"
#include "state/IndexedImage.h"
#include "state/Numbers.h"

namespace vesta {

namespace {

Result<Frame> refuse() {
    return Result<Frame>::failure(degenerate::kCornice);
}

int sign(double v) {
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// Where the vanishing points lie, seen from the part of the photograph to rectify (the area,
// else the whole photograph): Vv below or above it, Vh right or left of it. Where the facade's
// verticals run up and down the photograph, Vh is judged against the line from Vv through that
// part, not against Vv's own abscissa: with nearly parallel verticals and a camera a little
// rolled, Vv lies thousands of pixels to one side, and half a pixel in one click sends it across
// infinity to the other, which laid the frame from other corners: the result showed a part 40%
// wider for its height than the area. Elsewhere (a photograph turned by a quarter) the vanishing
// points are compared with each other.
Layout vanishingLayout(const FrameInputs& in) {
    Point centre{in.width / 2, in.height / 2};
    if (in.areaDefined) {
        centre = {0, 0};
        for (const Point& p : in.area) {
            centre = {centre.x + p.x / 4, centre.y + p.y / 4};
        }
    }
    const double dx = centre.x - in.vv.x, dy = centre.y - in.vv.y;
    if (std::fabs(dy) < std::fabs(dx)) {
        return {in.vv.y > in.vh.y, in.vh.x > in.vv.x};
    }
    const bool below = dy < 0;
    const double lineAtVh = in.vv.x + (in.vh.y - in.vv.y) * dx / dy;
    return {below, in.vh.x > lineAtVh};
}

// Corner 1 and corner 2 by the layout of the vanishing points: from the area when one is
// defined, otherwise the image corners one pixel inside its border.
void chooseCorners(const FrameInputs& in, Layout layout, Frame& f) {
    const auto [vvBelow, vhRight] = layout;
    const double w = in.width;
    const double h = in.height;
    Point c1, c2;
    if (!in.areaDefined) {
        if (vvBelow) {
            c1 = vhRight ? Point{1, 1} : Point{w - 1, 1};
            c2 = vhRight ? Point{w - 1, h - 1} : Point{1, h - 1};
            f.casoFughe = 3;
        } else {
            c1 = vhRight ? Point{1, h - 1} : Point{w - 1, h - 1};
            c2 = vhRight ? Point{w - 1, 1} : Point{1, 1};
            f.casoFughe = 4;
        }
    } else {
        const auto corner = [&](int k) { return in.area[std::size_t(k - 1)]; };
        const int first = vvBelow ? (vhRight ? 1 : 4) : (vhRight ? 2 : 3);
        const int second = vvBelow ? (vhRight ? 3 : 2) : (vhRight ? 4 : 1);
        c1 = corner(first);
        c2 = corner(second);
    }
    f.angoloX1 = c1.x;
    f.angoloY1 = c1.y;
    f.angoloX2 = c2.x;
    f.angoloY2 = toInteger16(c2.y);
}

// Which way the result shows the columns and rows, never a mirror image. The columns run from O
// toward q2, the end of the side toward Vh, and the rows toward q1 on the side toward Vv; the
// photograph's map onto the result keeps the facade's handedness when (q2 − O) × (q1 − O), its
// sign turned for each reversed axis, is positive (y downwards in both). As laid out, the
// first row shown is the one by O when Vv lies below Vh, which stands a photograph upright,
// and the columns run as segnoX says. A photograph turned by a quarter (a camera held
// sideways, a scan) can come out mirrored so; then one axis is turned back. Where the facade's
// verticals run up and down the photograph the rows stand it upright already, and the columns
// are turned; where they run across, nothing on the screen says which way is up, and the
// facade's top goes where Vv lies, as a facade taken from the street shows it.
void showUnmirrored(Frame& f, const FrameInputs& in, Layout layout, Point q2, Point q1) {
    f.columnsReversed = f.segnoX == -1;
    f.rowsReversed = !layout.vvBelow;
    const Point across{q2.x - f.rif.x, q2.y - f.rif.y}, down{q1.x - f.rif.x, q1.y - f.rif.y};
    const double turn = across.x * down.y - across.y * down.x;
    const bool mirrored = turn != 0 && (turn < 0) != (f.columnsReversed != f.rowsReversed);
    if (!mirrored) {
        return;
    }
    const bool upAndDown = std::fabs(down.y) >= std::fabs(down.x);
    // Vv's side is on top when the rows counted toward it are shown bottom up, or those
    // counted away from it top down.
    const bool rowsTowardVv = (in.vv.x - f.rif.x) * down.x + (in.vv.y - f.rif.y) * down.y > 0;
    if (upAndDown || rowsTowardVv == f.rowsReversed) {
        f.columnsReversed = !f.columnsReversed;
    } else {
        f.rowsReversed = !f.rowsReversed;
    }
}

}  // namespace

std::vector<DivisionPoint> divisionTable(double count, Point o, double signedT, double dirX,
                                         double dirY, double t) {
    if (count > kMaxSide) {
        return std::vector<DivisionPoint>(1);
    }
    std::vector<DivisionPoint> table(std::size_t(count) + 1);
    const int step = std::max(1, int(floorInt(t)));
    for (std::size_t i = 1; i < table.size(); i += std::size_t(step)) {
        table[i].x = o.x + double(i) * signedT * dirX;
        table[i].y = o.y + double(i) * signedT * dirY;
    }
    return table;
}

int cornerCase(double x, double y, Point vh, Point vv, Layout layout) {
    static constexpr int kGroups[4][4] = {{1, 2, 3, 4}, {3, 4, 1, 2}, {2, 1, 4, 3}, {4, 3, 2, 1}};
    const int group = !layout.vvBelow ? (layout.vhRight ? 0 : 1) : (layout.vhRight ? 2 : 3);
    const bool r = x >= vv.x, l = x <= vv.x, a = y <= vh.y, b = y >= vh.y;
    int result = 0;
    // Made in this order; on a boundary the later test wins.
    if (r && a)
        result = kGroups[group][0];
    if (r && b)
        result = kGroups[group][1];
    if (l && a)
        result = kGroups[group][2];
    if (l && b)
        result = kGroups[group][3];
    return result;
}

namespace {

// The reference corner O where the side toward Vv meets the side toward Vh, and the slopes of
// those sides; false where a side cannot be drawn.
bool placeReference(const FrameInputs& in, Frame& f) {
    const double x1 = f.angoloX1, y1 = f.angoloY1, x2 = f.angoloX2, y2 = f.angoloY2;
    const Point towardVv = f.casoFughe <= 2 ? Point{x1, y1} : Point{x1, y2};
    const Point towardVh = (f.casoFughe == 1 || f.casoFughe == 3) ? Point{x1, y1} : Point{x2, y1};
    const std::optional<double> mVert = slopeFrom(in.vv, towardVv);
    const std::optional<double> mOrizz = slopeFrom(in.vh, towardVh);
    if (!mVert || !mOrizz) {
        return false;
    }
    f.mVert = *mVert;
    f.mOrizz = *mOrizz;
    if (f.casoFughe == 1) {
        f.rif = Point{x1, y1};
    } else {
        const std::optional<Point> rif = meetingPoint(in.vv, f.mVert, in.vh, f.mOrizz);
        if (!rif) {
            return false;
        }
        f.rif = *rif;
    }
    return true;
}

// The true lengths of the two sides through O, as the points maxA and maxB; q1 and q2 are the
// far corners carried onto the sides. False where a construction line cannot be drawn.
bool trueLengths(const FrameInputs& in, Layout layout, Frame& f, Point& q1, Point& q2) {
    const InteriorOrientation& o = in.orientation;
    const double x1 = f.angoloX1, y1 = f.angoloY1, x2 = f.angoloX2, y2 = f.angoloY2;
    // The far corners A (for the side toward Vv) and B (toward Vh), by the case of corner 2.
    const int case2 = cornerCase(x2, y2, in.vh, in.vv, layout);
    const Point a = (case2 == 2 || case2 == 4) ? Point{x1, y2} : Point{x2, y2};
    const Point b = (case2 == 3 || case2 == 4) ? Point{x2, y1} : Point{x2, y2};

    // True length of the side toward Vv: A is carried along its row onto the side (Q1), then
    // projected from the vertical measuring point onto the line through O square to the
    // horizon.
    const std::optional<double> s1 = slopeFrom(in.vh, a);
    if (!s1) {
        return false;
    }
    const std::optional<Point> onVv = meetingPoint(in.vh, *s1, in.vv, f.mVert);
    if (!onVv) {
        return false;
    }
    const std::optional<double> s2 = slopeFrom(o.pv, *onVv);
    if (!s2) {
        return false;
    }
    const std::optional<Point> maxA = meetingPoint(o.pv, *s2, f.rif, o.mCentro);

    // True length of the side toward Vh, likewise with the horizontal measuring point and the
    // line through O parallel to the horizon.
    const std::optional<double> s3 = slopeFrom(in.vv, b);
    if (!maxA || !s3) {
        return false;
    }
    const std::optional<Point> onVh = meetingPoint(in.vv, *s3, in.vh, f.mOrizz);
    if (!onVh) {
        return false;
    }
    std::optional<double> s4 = slopeFrom(o.po, *onVh);
    if (!s4) {
        return false;
    }
    if (*s4 == 0) {
        s4 = 1;
    }
    const std::optional<Point> maxB = meetingPoint(o.po, *s4, f.rif, o.mOrizzonte);
    if (!maxB) {
        return false;
    }
    f.maxA = *maxA;
    f.maxB = *maxB;
    q1 = *onVv;
    q2 = *onVh;
    return true;
}

}  // namespace

Result<Frame> rectificationFrame(const FrameInputs& in) {
    Frame f;
    const Layout layout = vanishingLayout(in);
    chooseCorners(in, layout, f);
    if (in.areaDefined) {
        f.casoFughe = cornerCase(f.angoloX1, f.angoloY1, in.vh, in.vv, layout);
    }
    Point q1, q2;
    if (!placeReference(in, f) || !trueLengths(in, layout, f, q1, q2)) {
        return refuse();
    }
    f.segnoY = sign(f.maxA.y - f.rif.y);
    f.segnoX = sign(f.maxB.x - f.rif.x);
    showUnmirrored(f, in, layout, q2, q1);
    f.altOut = floorInt(distance(f.maxA, f.rif) / in.grandezza);
    f.largOut = floorInt(distance(f.maxB, f.rif) / in.grandezza);
    if (!std::isfinite(f.altOut) || !std::isfinite(f.largOut)) {
        return refuse();
    }

    // Division points on the lines through O across and along the horizon, at the angle of the
    // horizon (its slope turned into an angle).
    if (!in.divisionTables) {
        return Result<Frame>::success(std::move(f));
    }
    const double t = in.grandezza;
    fillDivisionTables(f, in.orientation.mOrizzonte, t, t, t);
    return Result<Frame>::success(std::move(f));
}

void fillDivisionTables(Frame& f, double mOrizzonte, double across, double down, double step) {
    const double angle = std::atan(mOrizzonte);
    f.divRighe =
        divisionTable(f.altOut, f.rif, f.segnoY * down, std::sin(-angle), std::cos(-angle), step);
    f.divColonne =
        divisionTable(f.largOut, f.rif, f.segnoX * across, std::cos(angle), std::sin(angle), step);
}

}  // namespace vesta
