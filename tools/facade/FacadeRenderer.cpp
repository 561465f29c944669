#include "facade/FacadeRenderer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace vesta::facade {

namespace {

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(double k, Vec3 a) {
    return {k * a.x, k * a.y, k * a.z};
}
double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

bool inside(const FacadeRect& r, FacadePoint p) {
    return p.u >= r.left && p.u < r.right && p.v >= r.bottom && p.v < r.top;
}

// Position within a repeating pattern of period `period`, in [0, period).
double wrap(double value, double period) {
    const double m = std::fmod(value, period);
    return m < 0 ? m + period : m;
}

// A fixed scramble of two integers, so each brick keeps its shade from run to run.
std::uint32_t hash(int a, int b) {
    std::uint32_t h =
        std::uint32_t(a) * 0x9E3779B1u ^ (std::uint32_t(b) + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

struct Entry {
    Colour colour;
    Rgb rgb;
};

constexpr Entry kNamed[] = {
    {kBlack, {0, 0, 0}},
    {kMortar, {188, 178, 160}},
    {kBrickA, {152, 64, 46}},
    {kBrickB, {134, 54, 40}},
    {kBrickC, {168, 80, 54}},
    {kStone, {218, 208, 186}},
    {kStoneShadow, {128, 118, 104}},
    {kShadow, {58, 48, 46}},
    {kFrame, {236, 236, 228}},
    {kGlass, {36, 50, 66}},
    {kGlassReflection, {96, 120, 142}},
    {kShutter, {60, 102, 70}},
    {kShutterSlat, {36, 68, 46}},
    {kWood, {112, 72, 40}},
    {kWoodDark, {70, 42, 24}},
    {kPlinth, {142, 142, 136}},
    {kPlinthJoint, {92, 92, 90}},
    {kSky, {158, 198, 234}},
    {kLeftNeighbour, {206, 178, 118}},
    {kRightNeighbour, {202, 186, 176}},
    {kNeighbourPlinth, {118, 112, 102}},
    {kPavement, {176, 172, 164}},
    {kPavementJoint, {118, 116, 110}},
    {kKerb, {204, 202, 194}},
    {kAsphalt, {78, 78, 82}},
};
static_assert(std::size(kNamed) == kNamedColours);

std::array<Rgb, 256> paletteColours() {
    std::array<Rgb, 256> p{};
    int n = 0;
    for (const Entry& e : kNamed) {
        p[n++] = e.rgb;
    }
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                p[n++] = Rgb{std::uint8_t(51 * r), std::uint8_t(51 * g), std::uint8_t(51 * b)};
            }
        }
    }
    // Greys between the cube's steps of 51.
    const int greys = 256 - n;
    for (int i = 0; i < greys; ++i) {
        const auto level = std::uint8_t(8 + (239 * i) / (greys - 1));
        p[n++] = Rgb{level, level, level};
    }
    return p;
}

const std::array<Rgb, 256>& colours() {
    static const std::array<Rgb, 256> table = paletteColours();
    return table;
}

std::uint8_t nearestEntry(double r, double g, double b) {
    const auto& table = colours();
    int best = 0;
    double bestDistance = std::numeric_limits<double>::max();
    for (int i = 0; i < 256; ++i) {
        const double dr = table[i].r - r;
        const double dg = table[i].g - g;
        const double db = table[i].b - b;
        const double d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return std::uint8_t(best);
}

Colour brickWall(const FacadeLayout& f, FacadePoint p) {
    const int course = int(std::floor(p.v / f.courseHeight));
    // Running bond: every other course starts half a brick along. The quarter-brick offset
    // keeps head joints off the facade's sides, whose edges must stay sharp.
    const double shifted = p.u + f.brickLength / 4 + ((course & 1) ? f.brickLength / 2 : 0.0);
    if (wrap(p.v, f.courseHeight) < f.mortar || wrap(shifted, f.brickLength) < f.mortar) {
        return kMortar;
    }
    const int brick = int(std::floor(shifted / f.brickLength));
    const Colour shades[] = {kBrickA, kBrickA, kBrickB, kBrickC};
    return shades[hash(course, brick) % 4];
}

Colour plinth(const FacadeLayout& f, FacadePoint p) {
    const double row = f.plinthTop / 2;
    const int r = int(std::floor(p.v / row));
    const double shifted = p.u + ((r & 1) ? 65.0 : 20.0);
    if (wrap(p.v, row) < 1.5 || wrap(shifted, 90.0) < 1.5) {
        return kPlinthJoint;
    }
    return kPlinth;
}

Colour cornice(const FacadeLayout& f, FacadePoint p) {
    const double above = p.v - f.corniceBottom;
    if (above < 12) {
        return kShadow;  // the underside of the projecting cornice
    }
    if (above < 30) {
        // Dentils, 12 cm wide with 8 cm gaps.
        return wrap(p.u - 4, 20.0) < 12 ? kStone : kStoneShadow;
    }
    if (above < 34) {
        return kStoneShadow;
    }
    return kStone;
}

// The opening itself: frame, a mullion, a transom and glass with a reflection.
Colour windowOpening(const FacadeLayout& f, const FacadeRect& w, FacadePoint p) {
    const double du = p.u - w.left;
    const double dv = p.v - w.bottom;
    if (du < f.frame || w.right - p.u <= f.frame || dv < f.frame || w.top - p.v <= f.frame) {
        return kFrame;
    }
    const double mid = (w.left + w.right) / 2;
    const double transom = w.bottom + 0.7 * w.height();
    if (std::abs(p.u - mid) < 3 || std::abs(p.v - transom) < 3) {
        return kFrame;
    }
    // A band of reflected sky across each pane.
    const double diagonal = du + (w.top - p.v);
    return wrap(diagonal, 90.0) < 28 ? kGlassReflection : kGlass;
}

Colour doorway(const FacadeLayout& f, FacadePoint p) {
    const FacadeRect& d = f.door;
    if (!inside(d, p)) {
        return kStone;  // the surround
    }
    const double mid = (d.left + d.right) / 2;
    if (std::abs(p.u - mid) < 1.5) {
        return kWoodDark;
    }
    // Each leaf carries two sunk panels outlined in dark wood.
    const double leafLeft = p.u < mid ? d.left : mid;
    const double leafRight = p.u < mid ? mid : d.right;
    const double inset = 14;
    const double splitAt = d.bottom + 0.45 * d.height();
    const bool lower = p.v < splitAt;
    const FacadeRect panel{leafLeft + inset, lower ? d.bottom + inset : splitAt + inset / 2,
                           leafRight - inset, lower ? splitAt - inset / 2 : d.top - inset};
    if (inside(panel, p)) {
        const FacadeRect sunk{panel.left + 3, panel.bottom + 3, panel.right - 3, panel.top - 3};
        return inside(sunk, p) ? kWood : kWoodDark;
    }
    return kWood;
}

}  // namespace

FacadeLayout standardFacade() {
    FacadeLayout f;
    const double columns[] = {180, 460, 740, 1020};
    const double windowWidth = 120;
    const double windowHeight = 160;
    const double upperSills[] = {390, 640};
    // Ground floor: only the outer columns, the door takes the middle.
    for (double c : {columns[0], columns[3]}) {
        f.windows.push_back({c - windowWidth / 2, 100, c + windowWidth / 2, 100 + windowHeight});
    }
    for (double sill : upperSills) {
        for (double c : columns) {
            f.windows.push_back(
                {c - windowWidth / 2, sill, c + windowWidth / 2, sill + windowHeight});
        }
    }
    f.door = {525, 0, 675, 260};
    return f;
}

Colour facadeColour(const FacadeLayout& f, FacadePoint p) {
    if (p.v >= f.corniceBottom) {
        return cornice(f, p);
    }
    // The door and its surround cut through plinth and brick.
    const FacadeRect surround{f.door.left - f.doorSurround, f.door.bottom,
                              f.door.right + f.doorSurround, f.door.top + f.doorSurround};
    if (inside(surround, p)) {
        return doorway(f, p);
    }
    for (const FacadeRect& w : f.windows) {
        if (inside(w, p)) {
            return windowOpening(f, w, p);
        }
        const FacadeRect sill{w.left - 12, w.bottom - 10, w.right + 12, w.bottom};
        if (inside(sill, p)) {
            return kStone;
        }
        const FacadeRect sillShadow{sill.left + 2, sill.bottom - 5, sill.right - 2, sill.bottom};
        if (inside(sillShadow, p)) {
            return kShadow;
        }
        const FacadeRect lintel{w.left - 8, w.top, w.right + 8, w.top + 14};
        if (inside(lintel, p)) {
            return kStone;
        }
        if (f.shuttersOnUpperFloors && w.bottom > f.stringCourseTop) {
            const FacadeRect left{w.left - f.shutterWidth, w.bottom, w.left, w.top};
            const FacadeRect right{w.right, w.bottom, w.right + f.shutterWidth, w.top};
            if (inside(left, p) || inside(right, p)) {
                const FacadeRect& s = inside(left, p) ? left : right;
                const double fromSide = std::min(p.u - s.left, s.right - p.u);
                if (fromSide < 4 || s.top - p.v < 4 || p.v - s.bottom < 4) {
                    return kShutter;  // the stile and rails around the slats
                }
                return wrap(p.v - w.bottom, 8.0) < 2.5 ? kShutterSlat : kShutter;
            }
        }
    }
    if (p.v >= f.stringCourseBottom && p.v < f.stringCourseTop) {
        return kStone;
    }
    if (p.v >= f.stringCourseBottom - 5 && p.v < f.stringCourseBottom) {
        return kShadow;
    }
    if (p.v < f.plinthTop) {
        return plinth(f, p);
    }
    return brickWall(f, p);
}

CameraAxes cameraAxes(const PinholeCamera& c) {
    const double yaw = radians(c.yaw);
    const double pitch = radians(c.pitch);
    const double roll = radians(c.roll);
    const Vec3 forward{std::sin(yaw) * std::cos(pitch), std::sin(pitch),
                       -std::cos(yaw) * std::cos(pitch)};
    const Vec3 right0{std::cos(yaw), 0, std::sin(yaw)};
    const Vec3 up0 = cross(right0, forward);
    const Vec3 right = std::cos(roll) * right0 + std::sin(roll) * up0;
    const Vec3 up = std::cos(roll) * up0 - std::sin(roll) * right0;
    return {right, up, forward};
}

ImagePoint project(const PinholeCamera& c, const Vec3& world) {
    const CameraAxes a = cameraAxes(c);
    const Vec3 d = world - c.position;
    const double z = dot(d, a.forward);
    return {c.principal.x + c.focal * dot(d, a.right) / z,
            c.principal.y - c.focal * dot(d, a.up) / z};
}

ImagePoint projectFacadePoint(const PinholeCamera& c, FacadePoint p) {
    return project(c, Vec3{p.u, p.v, 0});
}

bool inFront(const PinholeCamera& c, const Vec3& world) {
    return dot(world - c.position, cameraAxes(c).forward) > 0;
}

namespace {

// The direction of the ray through an image point (not normalised).
Vec3 rayDirection(const PinholeCamera& c, const CameraAxes& a, ImagePoint p) {
    return a.forward + ((p.x - c.principal.x) / c.focal) * a.right -
           ((p.y - c.principal.y) / c.focal) * a.up;
}

}  // namespace

std::optional<FacadePoint> imageToFacade(const PinholeCamera& c, ImagePoint p) {
    const Vec3 d = rayDirection(c, cameraAxes(c), p);
    if (d.z == 0) {
        return std::nullopt;
    }
    const double t = -c.position.z / d.z;
    if (t <= 0) {
        return std::nullopt;
    }
    const Vec3 hit = c.position + t * d;
    return FacadePoint{hit.x, hit.y};
}

std::optional<ImagePoint> vanishingPoint(const PinholeCamera& c, const Vec3& direction) {
    const CameraAxes a = cameraAxes(c);
    const double z = dot(direction, a.forward);
    const double length = std::sqrt(dot(direction, direction));
    if (std::abs(z) <= 1e-12 * length) {
        return std::nullopt;
    }
    return ImagePoint{c.principal.x + c.focal * dot(direction, a.right) / z,
                      c.principal.y - c.focal * dot(direction, a.up) / z};
}

std::optional<ImagePoint> horizontalVanishingPoint(const PinholeCamera& c) {
    return vanishingPoint(c, Vec3{1, 0, 0});
}

std::optional<ImagePoint> verticalVanishingPoint(const PinholeCamera& c) {
    return vanishingPoint(c, Vec3{0, 1, 0});
}

std::vector<ReferenceEdge> referenceEdges(const FacadeLayout& f) {
    const double w = f.width;
    const double h = f.height;
    const FacadeRect& d = f.door;
    return {
        {"top", "bordo superiore del cornicione (contro il cielo)", true, {0, h}, {w, h}},
        {"cornice-bottom",
         "attacco del cornicione (mattoni sotto, ombra scura sopra)",
         true,
         {0, f.corniceBottom},
         {w, f.corniceBottom}},
        {"string-course-top",
         "bordo superiore della fascia marcapiano",
         true,
         {0, f.stringCourseTop},
         {w, f.stringCourseTop}},
        {"string-course-bottom",
         "bordo inferiore della fascia marcapiano",
         true,
         {0, f.stringCourseBottom},
         {w, f.stringCourseBottom}},
        {"base", "piede della facciata sul marciapiede", true, {0, 0}, {w, 0}},
        {"left", "spigolo sinistro della facciata", false, {0, 0}, {0, h}},
        {"right", "spigolo destro della facciata", false, {w, 0}, {w, h}},
        {"door-left",
         "stipite sinistro del portone (legno a destra, pietra a sinistra)",
         false,
         {d.left, d.bottom},
         {d.left, d.top}},
        {"door-right", "stipite destro del portone", false, {d.right, d.bottom}, {d.right, d.top}},
    };
}

ReferenceEdge referenceEdge(const FacadeLayout& f, const std::string& name) {
    for (ReferenceEdge& e : referenceEdges(f)) {
        if (e.name == name) {
            return e;
        }
    }
    throw std::out_of_range("no reference edge named " + name);
}

ImageSegment projectEdge(const PinholeCamera& c, const ReferenceEdge& e) {
    return {projectFacadePoint(c, e.from), projectFacadePoint(c, e.to)};
}

std::array<ImagePoint, 4> facadeCorners(const FacadeLayout& f, const PinholeCamera& c) {
    return {projectFacadePoint(c, {0, f.height}), projectFacadePoint(c, {0, 0}),
            projectFacadePoint(c, {f.width, 0}), projectFacadePoint(c, {f.width, f.height})};
}

PaletteBlock facadePalette() {
    PaletteBlock block{};
    const auto& table = colours();
    for (int i = 0; i < 256; ++i) {
        block[4 * i] = table[i].b;
        block[4 * i + 1] = table[i].g;
        block[4 * i + 2] = table[i].r;
        block[4 * i + 3] = 0;
    }
    return block;
}

namespace {

Colour groundColour(double x, double z) {
    const double pavementDepth = 300;
    const double kerbDepth = 18;
    if (z < pavementDepth) {
        // 50 cm slabs; the grid starts at the foot of the facade.
        return wrap(x, 50.0) < 1.5 || wrap(z, 50.0) < 1.5 ? kPavementJoint : kPavement;
    }
    if (z < pavementDepth + kerbDepth) {
        return kKerb;
    }
    return kAsphalt;
}

Colour colourAlong(const FacadeLayout& f, const PinholeCamera& c, const Vec3& d) {
    const Vec3& C = c.position;
    const double tGround = d.y < 0 ? -C.y / d.y : std::numeric_limits<double>::infinity();
    const double tPlane = d.z < 0 ? -C.z / d.z : std::numeric_limits<double>::infinity();
    if (tPlane < tGround) {
        const Vec3 hit = C + tPlane * d;
        if (hit.x >= 0 && hit.x < f.width) {
            if (hit.y < f.height) {
                return facadeColour(f, {hit.x, hit.y});
            }
        } else {
            const double roof = hit.x < 0 ? f.leftNeighbourHeight : f.rightNeighbourHeight;
            if (hit.y < f.plinthTop) {
                return kNeighbourPlinth;
            }
            if (hit.y < roof) {
                return hit.x < 0 ? kLeftNeighbour : kRightNeighbour;
            }
        }
        return kSky;
    }
    if (tGround < std::numeric_limits<double>::infinity()) {
        const Vec3 hit = C + tGround * d;
        return groundColour(hit.x, hit.z);
    }
    return kSky;
}

}  // namespace

Colour colourAt(const FacadeLayout& f, const PinholeCamera& c, ImagePoint p) {
    return colourAlong(f, c, rayDirection(c, cameraAxes(c), p));
}

IndexedImage renderFacade(const FacadeScene& scene) {
    const PinholeCamera& c = scene.camera;
    const CameraAxes axes = cameraAxes(c);
    const int n = std::max(1, scene.supersampling);
    const auto& table = colours();

    IndexedImage image;
    image.width = c.width;
    image.height = c.height;
    image.palette = facadePalette();
    image.pixels.assign(std::size_t(c.width) * std::size_t(c.height), 0);

    for (int row = 0; row < c.height; ++row) {
        std::uint8_t* out = image.row(row);
        for (int col = 0; col < c.width; ++col) {
            double r = 0, g = 0, b = 0;
            int first = -1;
            bool uniform = true;
            for (int sy = 0; sy < n; ++sy) {
                for (int sx = 0; sx < n; ++sx) {
                    const ImagePoint p{col + (sx + 0.5) / n, row + (sy + 0.5) / n};
                    const Colour k = colourAlong(scene.facade, c, rayDirection(c, axes, p));
                    if (first < 0) {
                        first = k;
                    } else if (k != first) {
                        uniform = false;
                    }
                    r += table[k].r;
                    g += table[k].g;
                    b += table[k].b;
                }
            }
            const double samples = double(n) * n;
            out[col] =
                uniform ? std::uint8_t(first) : nearestEntry(r / samples, g / samples, b / samples);
        }
    }
    return image;
}

namespace samples {

FacadeScene centred() {
    FacadeScene s;
    PinholeCamera& c = s.camera;
    c.width = 800;
    c.height = 600;
    c.focal = 700;
    c.principal = {400, 300};
    c.yaw = 28;
    c.pitch = 12;
    c.roll = 0;
    c.position = {-150, 160, 1250};
    return s;
}

FacadeScene rolled() {
    FacadeScene s;
    PinholeCamera& c = s.camera;
    c.width = 800;
    c.height = 600;
    c.focal = 640;
    c.principal = {400, 300};
    c.yaw = -28;
    c.pitch = 12;
    c.roll = 7;
    c.position = {1350, 160, 1300};
    return s;
}

FacadeScene large() {
    FacadeScene s;
    PinholeCamera& c = s.camera;
    c.width = 1600;
    c.height = 1200;
    c.focal = 1350;
    c.principal = {700, 520};
    c.yaw = 24;
    c.pitch = 14;
    c.roll = -2;
    c.position = {-150, 170, 1400};
    return s;
}

FacadeScene level() {
    FacadeScene s = centred();
    s.camera.pitch = 0.5;
    s.camera.position.y = 450;
    return s;
}

}  // namespace samples

}  // namespace vesta::facade
