// The batch tool on real photographs. On two fronts, with straight edges chosen by eye: all the
// edges together against a least-squares construction made here, four lines a direction chosen
// at random against all the edges with the tool's own uncertainty, the lines --auto finds against
// the chosen ones. On two chessboards of a calibrated camera: against the board's true
// proportions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BatchRuns.h"
#include "RealChessboards.h"
#include "RealEdges.h"
#include "codec/CameraFile.h"
#include "image/EdgeSnap.h"
#include "state/Numbers.h"

namespace vesta {
namespace {

using test::RealEdge;
namespace fs = std::filesystem;

struct Rectified {
    double aspect = 0;       // width:height of the rectified area
    double aspectSigma = 0;  // relative, as the tool states it
    double centreX = 0, centreY = 0;
    std::array<double, 2> vh{}, vv{};  // the vanishing points
};

double field(const std::string& json, const std::string& name) {
    const std::size_t at = json.find("\"" + name + "\": ");
    EXPECT_NE(at, std::string::npos) << name << " in " << json;
    if (at == std::string::npos) {
        return NAN;
    }
    const std::size_t from = at + name.size() + 4;
    return typedNumber(json.substr(from, json.find_first_of(",}", from) - from)).value_or(NAN);
}

std::string numbers(std::initializer_list<double> values) {
    std::string text;
    for (const double v : values) {
        text += (text.empty() ? "" : ",") + plainForm(v, '.');
    }
    return text;
}

// vesta-rectify itself on the photograph and area (none when all naught), the lines given as
// options (" --h X1,Y1,...") with any further options.
Rectified rectify(const std::string& photo, const std::array<double, 4>& area,
                  const std::string& lines, const std::string& options) {
    test::TempDir dir;
    const std::string where = area == std::array<double, 4>{}
                                  ? ""
                                  : " --area " + numbers({area[0], area[1], area[2], area[3]});
    const test::Outcome r = test::run(
        photo + " " + (dir / "fatta.png").string() + " --json" + where + lines + " " + options,
        dir);
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string& json = r.out;
    return {field(json, "largOut") / field(json, "altOut"),
            field(json, "aspect_sigma"),
            field(json, "centroX"),
            field(json, "centroY"),
            {field(json, "fugaOrizzX"), field(json, "fugaOrizzY")},
            {field(json, "fugaVertX"), field(json, "fugaVertY")}};
}

Rectified rectify(const test::RealFront& front, const std::vector<RealEdge>& h,
                  const std::vector<RealEdge>& v, const std::string& options) {
    std::string lines;
    for (const auto& [flag, edges] : {std::pair{" --h ", &h}, std::pair{" --v ", &v}}) {
        for (const RealEdge& e : *edges) {
            lines += flag + numbers({e.x1, e.y1, e.x2, e.y2});
        }
    }
    return rectify(front.photo, front.area, lines, options);
}

struct Vec3 {
    double x, y, z;
};
Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The point whose lines through each edge's midpoint pass nearest the edge's ends: least squares
// of the ends' distances, by Gauss-Newton from the point nearest all the lines.
std::array<double, 2> vanishingPoint(const std::vector<RealEdge>& lines) {
    double saa = 0, sab = 0, sbb = 0, sac = 0, sbc = 0;
    for (const RealEdge& e : lines) {
        const double len = std::hypot(e.x2 - e.x1, e.y2 - e.y1);
        const double a = (e.y1 - e.y2) / len, b = (e.x2 - e.x1) / len;
        const double c = (e.x1 * e.y2 - e.x2 * e.y1) / len;
        saa += a * a, sab += a * b, sbb += b * b, sac += a * c, sbc += b * c;
    }
    double det = saa * sbb - sab * sab;
    std::array<double, 2> p{(-sac * sbb + sbc * sab) / det, (-sbc * saa + sac * sab) / det};
    // An end's distance from the line through the midpoint m and p, and its slope in p.
    const auto residual = [](const RealEdge& e, std::array<double, 2> q) {
        const double mx = (e.x1 + e.x2) / 2, my = (e.y1 + e.y2) / 2;
        const double dx = q[0] - mx, dy = q[1] - my;
        return ((e.x2 - mx) * dy - (e.y2 - my) * dx) / std::hypot(dx, dy);
    };
    for (int step = 0; step < 50; ++step) {
        double jj[3] = {0, 0, 0}, jr[2] = {0, 0};
        for (const RealEdge& e : lines) {
            const double r = residual(e, p);
            const double h = 1e-6 * std::max(1.0, std::hypot(p[0], p[1]));
            const double j0 = (residual(e, {p[0] + h, p[1]}) - r) / h;
            const double j1 = (residual(e, {p[0], p[1] + h}) - r) / h;
            // Both ends lie at the same distance, on either side.
            jj[0] += 2 * j0 * j0, jj[1] += 2 * j0 * j1, jj[2] += 2 * j1 * j1;
            jr[0] += 2 * j0 * r, jr[1] += 2 * j1 * r;
        }
        det = jj[0] * jj[2] - jj[1] * jj[1];
        p[0] -= (jj[2] * jr[0] - jj[1] * jr[1]) / det;
        p[1] -= (jj[0] * jr[1] - jj[1] * jr[0]) / det;
    }
    return p;
}

// Width:height of the front within the area, built here from the same lines: the focal
// distance from the two directions being square, the front's plane through both, and the area's
// corners carried onto it; the width and height are their spans along the front.
double aspectOf(const std::array<double, 2>& vh, const std::array<double, 2>& vv, double cx,
                double cy, const std::array<double, 4>& area) {
    const double d = std::sqrt(-((vh[0] - cx) * (vv[0] - cx) + (vh[1] - cy) * (vv[1] - cy)));
    const Vec3 across{vh[0] - cx, vh[1] - cy, d}, down{vv[0] - cx, vv[1] - cy, d};
    const Vec3 normal = cross(across, down);
    std::vector<double> us, vs;
    for (const double x : {area[0], area[2]}) {
        for (const double y : {area[1], area[3]}) {
            const Vec3 ray{x - cx, y - cy, d};
            const double t = 1 / dot(normal, ray);
            const Vec3 onFront{ray.x * t, ray.y * t, ray.z * t};
            us.push_back(dot(onFront, across) / std::sqrt(dot(across, across)));
            vs.push_back(dot(onFront, down) / std::sqrt(dot(down, down)));
        }
    }
    return (*std::max_element(us.begin(), us.end()) - *std::min_element(us.begin(), us.end())) /
           (*std::max_element(vs.begin(), vs.end()) - *std::min_element(vs.begin(), vs.end()));
}

double independentAspect(const std::vector<RealEdge>& h, const std::vector<RealEdge>& v, double cx,
                         double cy, const std::array<double, 4>& area) {
    return aspectOf(vanishingPoint(h), vanishingPoint(v), cx, cy, area);
}

// scripts/install-deps.sh installs opencv-doc; a machine without it skips these measurements.
#define SKIP_WITHOUT(photo)                                                                     \
    if (!fs::exists(photo)) {                                                                   \
        GTEST_SKIP() << (photo) << " is missing: install opencv-doc (scripts/install-deps.sh)"; \
    }

// The chosen edges as --snap draws them onto the photograph (as chosen where it finds none).
std::vector<RealEdge> snapped(const char* photo, std::vector<RealEdge> edges) {
    const Result<CameraPhoto> read = readCameraFile(photo);
    EXPECT_TRUE(read.ok()) << photo;
    const GreyView grey(read.value().image);
    for (RealEdge& e : edges) {
        if (const auto on = snapToEdge(grey, {e.x1, e.y1}, {e.x2, e.y2}, snapReach(1, 1))) {
            e = {e.name, on->first.x, on->first.y, on->second.x, on->second.y};
        }
    }
    return edges;
}

// All the chosen edges, as chosen and snapped to their edges: the tool's fitted construction
// agrees with the one made here from the same edges.
TEST(RealPhotograph, AllEdgesAgreeWithALeastSquaresConstructionMadeHere) {
    for (const test::RealFront& front : {test::buildingFront(), test::leuvenFront()}) {
        SKIP_WITHOUT(front.photo);
        for (const bool snap : {false, true}) {
            const Rectified all =
                rectify(front, front.horizontal, front.vertical, snap ? "--snap" : "");
            const std::vector<RealEdge> h =
                snap ? snapped(front.photo, front.horizontal) : front.horizontal;
            const std::vector<RealEdge> v =
                snap ? snapped(front.photo, front.vertical) : front.vertical;
            const double mine = independentAspect(h, v, all.centreX, all.centreY, front.area);
            EXPECT_NEAR(all.aspect / mine, 1, 0.01) << front.photo << (snap ? " --snap" : "");
        }
    }
}

// Snapping an edge that is no one straight edge is refused, the line kept as clicked: on
// building.jpg the joint between the panels at x 223 runs four storeys, each storey's panel a
// pixel off the next one's, and lines drawn onto it from clicks a pixel apart were a pixel and a
// half apart at the top. Every chosen edge of that front, straight, is still found.
TEST(RealPhotograph, SnappingRefusesAnEdgeOfOffsetPieces) {
    const test::RealFront front = test::buildingFront();
    SKIP_WITHOUT(front.photo);
    const Result<CameraPhoto> read = readCameraFile(front.photo);
    ASSERT_TRUE(read.ok());
    const GreyView grey(read.value().image);
    for (const auto* edges : {&front.horizontal, &front.vertical}) {
        for (const RealEdge& e : *edges) {
            EXPECT_TRUE(snapToEdge(grey, {e.x1, e.y1}, {e.x2, e.y2}, 5)) << e.name;
        }
    }
    for (const double top : {222.9, 224.2}) {
        EXPECT_FALSE(snapToEdge(grey, {top, 140}, {222.2, 320}, 5)) << top;
    }
}

// Two percent is out of reach on these photographs: their verticals are short and nearly
// parallel (the vanishing point 6000 px above on building.jpg, 4000 on leuvenB.jpg), and the
// real edges stray from one point by a few tenths of a pixel (building.jpg's storeys' panels
// lean each a little, leuvenB.jpg's stone frames are soft), so four lines a direction state a
// sigma of 2 to 6% on building.jpg (spread 11.0%, snapped 9.8%) and of 6 to 8% or none at all
// on leuvenB.jpg (spread 65%, snapped 45%). What they state holds. scenetext06.jpg's front has
// long sharp edges, but its camera was level: the verticals are parallel within their tenths of
// a pixel, no focal length closes the construction by itself, and Vv falls far above or far
// below. With the camera's focal length given (a DiMAGE X at 9.9 mm, --focal35 64), four lines
// a direction spread 9.4% (snapped 4.3%), all five within two stated sigma; before the frame
// judged Vh against the line through Vv, those whose Vv fell above framed a part 40% too wide,
// and only three (snapped two) held.
TEST(RealPhotograph, FourEdgesADirectionHoldAllOfThemWithinTwoStatedSigma) {
    for (const test::RealFront& front :
         {test::buildingFront(), test::leuvenFront(), test::shipFront()}) {
        SKIP_WITHOUT(front.photo);
        for (const std::string snap : {"", " --snap"}) {
            const std::string options = front.given + snap;
            const Rectified all = rectify(front, front.horizontal, front.vertical, options);
            std::mt19937 random(20);
            const auto four = [&](std::vector<RealEdge> edges) {
                for (std::size_t k = 0; k < 4; ++k) {
                    std::swap(edges[k], edges[k + random() % (edges.size() - k)]);
                }
                edges.resize(4);
                return edges;
            };
            // Five seeded draws; an indeterminate sigma holds nothing.
            int held = 0, determinate = 0;
            for (int draw = 0; draw < 5; ++draw) {
                const std::vector<RealEdge> h = four(front.horizontal), v = four(front.vertical);
                const Rectified some = rectify(front, h, v, options);
                held += std::fabs(some.aspect / all.aspect - 1) <= 2 * some.aspectSigma ? 1 : 0;
                determinate += std::isfinite(some.aspectSigma) ? 1 : 0;
            }
            EXPECT_GE(held, std::min(4, determinate)) << front.photo << options;
            EXPECT_GE(determinate, 3) << front.photo << options;
        }
    }
}

// --auto finds its own lines on the same photograph and area: their construction agrees with
// the least-squares one of the chosen edges, with the area and without it (the vanishing points
// found then carried to the same area). leuvenB.jpg holds several fronts: the houses at the end
// of the street carry the longest crisp edges, the long front on the left the largest part of
// the photograph in short window frames; the left one is taken either way (+0.8%; by the
// longest edges it landed 35% off).
TEST(RealPhotograph, FoundLinesAgreeWithTheChosenEdges) {
    for (const test::RealFront& front : {test::buildingFront(), test::leuvenFront()}) {
        SKIP_WITHOUT(front.photo);
        const Rectified found = rectify(front, {}, {}, "--auto");
        const double mine = independentAspect(front.horizontal, front.vertical, found.centreX,
                                              found.centreY, front.area);
        EXPECT_NEAR(found.aspect / mine, 1, 0.01) << front.photo << ": " << found.aspect;
        const Rectified anywhere = rectify(front.photo, {}, "", "--auto");
        const double aspect =
            aspectOf(anywhere.vh, anywhere.vv, anywhere.centreX, anywhere.centreY, front.area);
        EXPECT_NEAR(aspect / mine, 1, 0.01) << front.photo << " without --area: " << aspect;
    }
}

// The calibrated camera's ideal point of a pixel of its photograph, in units of the focal length
// from the principal point: the distortion model inverted by fixed-point steps.
std::array<double, 2> undistorted(const std::array<double, 2>& pixel) {
    const auto& [k1, k2, p1, p2, k3] = test::kChessDistortion;
    const double xd = (pixel[0] - test::kChessCentreX) / test::kChessFocal;
    const double yd = (pixel[1] - test::kChessCentreY) / test::kChessFocal;
    double x = xd, y = yd;
    for (int step = 0; step < 100; ++step) {
        const double r2 = x * x + y * y;
        const double radial = 1 + r2 * (k1 + r2 * (k2 + r2 * k3));
        const double tx = 2 * p1 * x * y + p2 * (r2 + 2 * x * x);
        const double ty = p1 * (r2 + 2 * y * y) + 2 * p2 * x * y;
        x = (xd - tx) / radial;
        y = (yd - ty) / radial;
    }
    return {x, y};
}

// The board's true width:height over the area: the area's corners taken out of the distortion
// and carried onto the board (in squares) by the homography that fits the corners' ideal points
// best (linear least squares, h33 = 1), then their extent along the board's rows and columns.
double trueAspect(const test::Chessboard& board) {
    double n[8][9] = {};
    for (int j = 0; j < board.down; ++j) {
        for (int i = 0; i < board.across; ++i) {
            const auto [x, y] = undistorted(board.corners[std::size_t(j * board.across + i)]);
            const double rows[2][9] = {{x, y, 1, 0, 0, 0, -i * x, -i * y, double(i)},
                                       {0, 0, 0, x, y, 1, -j * x, -j * y, double(j)}};
            for (const auto& r : rows) {
                for (int a = 0; a < 8; ++a) {
                    for (int b = 0; b < 9; ++b) {
                        n[a][b] += r[a] * r[b];
                    }
                }
            }
        }
    }
    for (int c = 0; c < 8; ++c) {  // Gauss-Jordan with partial pivoting
        int pivot = c;
        for (int r = c + 1; r < 8; ++r) {
            pivot = std::fabs(n[r][c]) > std::fabs(n[pivot][c]) ? r : pivot;
        }
        std::swap(n[c], n[pivot]);
        for (int r = 0; r < 8; ++r) {
            const double f = r == c ? 0 : n[r][c] / n[c][c];
            for (int k = c; k < 9; ++k) {
                n[r][k] -= f * n[c][k];
            }
        }
    }
    double h[9];
    for (int a = 0; a < 8; ++a) {
        h[a] = n[a][8] / n[a][a];
    }
    h[8] = 1;
    std::vector<double> us, vs;
    for (const double px : {board.area[0], board.area[2]}) {
        for (const double py : {board.area[1], board.area[3]}) {
            const auto [x, y] = undistorted({px, py});
            const double w = h[6] * x + h[7] * y + h[8];
            us.push_back((h[0] * x + h[1] * y + h[2]) / w);
            vs.push_back((h[3] * x + h[4] * y + h[5]) / w);
        }
    }
    return (*std::max_element(us.begin(), us.end()) - *std::min_element(us.begin(), us.end())) /
           (*std::max_element(vs.begin(), vs.end()) - *std::min_element(vs.begin(), vs.end()));
}

// Every row and column of corners, each one line through all its corners.
std::string boardLines(const test::Chessboard& board) {
    std::string lines;
    for (int j = 0; j < board.down; ++j) {
        lines += " --h ";
        for (int i = 0; i < board.across; ++i) {
            const auto& [x, y] = board.corners[std::size_t(j * board.across + i)];
            lines += (i ? "," : "") + numbers({x, y});
        }
    }
    for (int i = 0; i < board.across; ++i) {
        lines += " --v ";
        for (int j = 0; j < board.down; ++j) {
            const auto& [x, y] = board.corners[std::size_t(j * board.across + i)];
            lines += (j ? "," : "") + numbers({x, y});
        }
    }
    return lines;
}

// The chessboards, where the truth is known (left_intrinsics.yml: a strong barrel, k1 -0.27 on
// the focal length), every row and column given by all its corners: as the corners lie on the
// bent photograph, the construction lands 2.8% (left01, 6 stated sigma) and 20% (left02, 10
// sigma) off the board's proportions; with the bend fitted to the rows and columns (--lens
// fit), 0.7% (2.6 sigma) and 3.4% (3.6 sigma); with the calibration's focal length as well
// (535.9 px on the 800 px diagonal, 29.0 mm), 0.1% (0.5 sigma) and 0.4% (1.4 sigma). The
// stated sigma counts the fitted k1's own error (before, 2.8 and 4.4 sigma), but not the bend
// one coefficient cannot take out: the camera has k1, k2, k3 and two tangential terms, and the
// rows and columns come out straight within 0.15 px with the proportions still off.
TEST(RealPhotograph, ChessboardsLandNearTheirTrueProportions) {
    for (const test::Chessboard& board : {test::leftFrontal(), test::leftTipped()}) {
        SKIP_WITHOUT(board.photo);
        const double truth = trueAspect(board);
        const std::string lines = boardLines(board);
        const Rectified straight = rectify(board.photo, board.area, lines, "");
        const Rectified fitted = rectify(board.photo, board.area, lines, "--lens fit");
        const Rectified focal =
            rectify(board.photo, board.area, lines, "--lens fit --focal35 29.0");
        const auto off = [&](const Rectified& r) { return std::fabs(r.aspect / truth - 1); };
        EXPECT_LT(off(fitted), off(straight) / 3) << board.photo;
        EXPECT_LT(off(fitted), 4 * fitted.aspectSigma) << board.photo;
        EXPECT_LT(off(focal), 0.01) << board.photo;
        EXPECT_LT(off(focal), 2 * focal.aspectSigma) << board.photo;
    }
}

}  // namespace
}  // namespace vesta
