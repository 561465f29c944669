#include "geometry/KnownMeasures.h"

#include <algorithm>
#include <cmath>

#include "geometry/Degenerate.h"
#include "state/IndexedImage.h"

namespace vesta {

namespace {

Result<KnownMeasuresFrame> refuse(const char* why) {
    return Result<KnownMeasuresFrame>::failure(why);
}

double cross(Point o, Point a, Point b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// True when a, b, c, d (in turn) make a convex quadrilateral that turns clockwise on the
// screen, as top-left, top-right, bottom-right, bottom-left do with y downwards, with no
// corner so flat that three of them are in line up to rounding.
bool convexClockwise(const std::array<Point, 4>& q) {
    for (std::size_t i = 0; i < 4; ++i) {
        const Point o = q[i], a = q[(i + 1) % 4], b = q[(i + 3) % 4];
        const double turn = cross(o, a, b);
        if (!(turn > 1e-9 * distance(o, a) * distance(o, b))) {
            return false;
        }
    }
    return true;
}

// The four crossings of the horizontal lines with the vertical ones, as top-left, top-right,
// bottom-right, bottom-left; the reason when two of the lines are parallel.
const char* rectangleCorners(const ConstructionClicks& clicks, std::array<Point, 4>& corners) {
    std::array<std::array<double, 3>, 4> line;
    for (std::size_t k = 0; k < 4; ++k) {
        line[k] = lineThrough(clicks.lines[k][0], clicks.lines[k][1]);
    }
    // Crossing [i][j] of horizontal line i with vertical line j.
    Point at[2][2];
    for (std::size_t i = 0; i < 2; ++i) {
        for (std::size_t j = 0; j < 2; ++j) {
            const std::optional<Point> c = crossing(line[i], line[2 + j]);
            if (!c) {
                return degenerate::kRettangoloAperto;
            }
            at[i][j] = *c;
        }
    }
    // The upper line is the one whose crossings lie higher on the screen, the left one the one
    // whose crossings lie further left: the result stands as the photograph does.
    int top = at[0][0].y + at[0][1].y <= at[1][0].y + at[1][1].y ? 0 : 1;
    int left = at[0][0].x + at[1][0].x <= at[0][1].x + at[1][1].x ? 0 : 1;
    // In a photograph turned by a quarter those corners may run anticlockwise, and the result
    // would be the rectangle's mirror image: one choice is turned back, as the construction
    // does. Where the vertical lines run up and down the screen, the upper line stands the
    // result upright and the left one is changed; where they run across, the upper line is the
    // one on the side where they meet, as a facade taken from the street shows it.
    if (cross(at[top][left], at[top][1 - left], at[1 - top][left]) < 0) {
        // Along the first vertical line, from its crossing with line 1 toward that with line 0.
        const Point up{at[0][0].x - at[1][0].x, at[0][0].y - at[1][0].y};
        const std::optional<Point> vv = crossing(line[2], line[3]);
        const bool vvBeyondLine0 = vv && (vv->x - at[1][0].x) * up.x + (vv->y - at[1][0].y) * up.y >
                                             (up.x * up.x + up.y * up.y) / 2;
        if (std::fabs(up.y) >= std::fabs(up.x) || !vv || (top == 0) == vvBeyondLine0) {
            left = 1 - left;
        } else {
            top = 1 - top;
        }
    }
    corners = {at[top][left], at[top][1 - left], at[1 - top][1 - left], at[1 - top][left]};
    return nullptr;
}

// The chosen area's box, or the whole photograph one pixel inside its border.
void clipToArea(const ConstructionClicks& clicks, KnownMeasuresFrame& f) {
    if (clicks.areaDefined) {
        f.clipLeft = clicks.area[0].x;
        f.clipTop = clicks.area[0].y;
        f.clipRight = clicks.area[3].x;
        f.clipBottom = clicks.area[1].y;
    } else {
        f.clipLeft = 1;
        f.clipTop = 1;
        f.clipRight = clicks.width - 1;
        f.clipBottom = clicks.height - 1;
    }
}

// The area's corners on the rectangle's plane. Every corner must lie on the side of the
// vanishing line where the known rectangle lies; the box being convex, all of it does.
const char* areaOnPlane(const Homography& toRectangle, const KnownMeasuresFrame& f,
                        std::array<Point, 4>& mapped) {
    const std::array<Point, 4> box{Point{f.clipLeft, f.clipTop}, Point{f.clipRight, f.clipTop},
                                   Point{f.clipRight, f.clipBottom},
                                   Point{f.clipLeft, f.clipBottom}};
    const double side = toRectangle.denominator(f.corners[0]);
    for (std::size_t k = 0; k < 4; ++k) {
        const double w = toRectangle.denominator(box[k]);
        // A corner near the vanishing line maps a thousand times farther than the rectangle.
        if (!(w / side > 1e-3)) {
            return degenerate::kAreaOltreOrizzonte;
        }
        mapped[k] = toRectangle.apply(box[k]);
        if (!finite(mapped[k])) {
            return degenerate::kAreaOltreOrizzonte;
        }
    }
    return nullptr;
}

// The scale, the output's size and its mapping from the area's image on the plane: as many
// output pixels over it as the area has, each side divided by the size factor.
const char* scaleOutput(const std::array<Point, 4>& mapped, double grandezza,
                        KnownMeasuresFrame& f) {
    // Shoelace area of the area's image on the plane, against its pixel count.
    double planeArea = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        planeArea += cross(Point{}, mapped[k], mapped[(k + 1) % 4]);
    }
    planeArea = std::fabs(planeArea) / 2;
    const double pixels = (f.clipRight - f.clipLeft) * (f.clipBottom - f.clipTop);
    if (!(pixels > 0) || !(planeArea > 0)) {
        return degenerate::kRisultatoTroppoGrande;
    }
    f.cmPerPixel = std::sqrt(planeArea / pixels) * grandezza;

    double minX = mapped[0].x, maxX = mapped[0].x, minY = mapped[0].y, maxY = mapped[0].y;
    for (const Point& p : mapped) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const double largOut = std::ceil((maxX - minX) / f.cmPerPixel);
    const double altOut = std::ceil((maxY - minY) / f.cmPerPixel);
    if (!(largOut <= kMaxSide) || !(altOut <= kMaxSide) || !(f.cmPerPixel > 0)) {
        return degenerate::kRisultatoTroppoGrande;
    }
    f.largOut = std::max(1, int(largOut));
    f.altOut = std::max(1, int(altOut));
    const double s = f.cmPerPixel;
    f.outputToSource = f.rectangleToSource.after(Homography{{s, 0, minX, 0, s, minY, 0, 0, 1}});
    return nullptr;
}

}  // namespace

Result<KnownMeasuresFrame> knownMeasuresFrame(const ConstructionClicks& clicks, double widthCm,
                                              double heightCm) {
    if (!(widthCm > 0) || !(heightCm > 0) || !std::isfinite(widthCm) || !std::isfinite(heightCm)) {
        return refuse(degenerate::kMisureNonValide);
    }
    KnownMeasuresFrame f;
    if (const char* why = rectangleCorners(clicks, f.corners)) {
        return refuse(why);
    }
    if (!convexClockwise(f.corners)) {
        return refuse(degenerate::kRettangoloStorto);
    }
    const std::optional<Homography> toSource =
        rectangleToQuadrilateral(widthCm, heightCm, f.corners);
    const std::optional<Homography> toRectangle =
        toSource ? toSource->inverse() : std::optional<Homography>();
    if (!toRectangle) {
        return refuse(degenerate::kRettangoloStorto);
    }
    f.rectangleToSource = *toSource;
    clipToArea(clicks, f);
    std::array<Point, 4> mapped;
    if (const char* why = areaOnPlane(*toRectangle, f, mapped)) {
        return refuse(why);
    }
    if (const char* why = scaleOutput(mapped, clicks.grandezza, f)) {
        return refuse(why);
    }
    return Result<KnownMeasuresFrame>::success(f);
}

void KnownMeasuresFrame::sourcePointsOfRow(int row, double* sx, double* sy) const {
    const std::array<double, 9>& m = outputToSource.m;
    const double y = row + 0.5;
    const double nx = m[1] * y + m[2], ny = m[4] * y + m[5], nw = m[7] * y + m[8];
    for (int c = 0; c < largOut; ++c) {
        const double x = c + 0.5;
        const double w = m[6] * x + nw;
        sx[c] = (m[0] * x + nx) / w;
        sy[c] = (m[3] * x + ny) / w;
    }
}

}  // namespace vesta
