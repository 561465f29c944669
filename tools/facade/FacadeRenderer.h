// Synthetic photographs of a brick facade taken by a known pinhole camera, and the exact image
// positions of the facade's features, so that a rectification can be checked against the truth.
//
// Facade coordinates: u centimetres from the facade's left edge, v centimetres above the ground;
// the facade is the rectangle 0 <= u <= width, 0 <= v <= height of the plane it lies in.
// World coordinates (centimetres): X = u, Y = v, Z out of the facade towards the street, so the
// facade plane is Z = 0 and a camera in front of it has Z > 0.
// Image coordinates (pixels): x to the right, y downwards, origin at the top-left corner of the
// image; pixel (i, j) covers [i, i + 1) x [j, j + 1), so its centre is (i + 0.5, j + 0.5) and the
// centre of a W x H image is (W / 2, H / 2). The pixel holding a point is (floor x, floor y).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "state/IndexedImage.h"

namespace vesta::facade {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

// A point of the facade plane in centimetres.
struct FacadePoint {
    double u = 0, v = 0;
};

// A point of the image in pixels.
struct ImagePoint {
    double x = 0, y = 0;
};

// An axis-aligned rectangle of the facade, centimetres.
struct FacadeRect {
    double left = 0, bottom = 0, right = 0, top = 0;
    double width() const { return right - left; }
    double height() const { return top - bottom; }
};

// What the facade is made of. Every measure is in centimetres of the facade plane; everything is
// painted flat on the plane (no relief), so a rectification can recover all of it exactly.
struct FacadeLayout {
    double width = 1200;
    double height = 900;

    double plinthTop = 60;            // grey stone base, 0..plinthTop
    double stringCourseBottom = 300;  // stone band between ground floor and first floor
    double stringCourseTop = 318;
    double corniceBottom = 840;  // the cornice fills corniceBottom..height

    double courseHeight = 12;  // brick course, mortar joint included
    double brickLength = 30;   // brick, head joint included
    double mortar = 2;         // joint thickness

    double frame = 8;  // window frame width
    // Window openings, outer edge of the frame. Sills hang below, lintels sit above, shutters
    // (upper floors only) hang beside the opening; none of them belongs to the opening.
    std::vector<FacadeRect> windows;
    bool shuttersOnUpperFloors = true;
    double shutterWidth = 60;
    FacadeRect door;           // door opening, standing on the ground
    double doorSurround = 18;  // stone frame around the door

    // The two neighbouring houses, plastered, in the same plane; lower than the facade so that
    // its top corners stand against the sky.
    double leftNeighbourHeight = 620;
    double rightNeighbourHeight = 700;
};

// The facade of the samples: 1200 x 900 cm, three floors, four window columns 280 cm apart
// (centres at u = 180, 460, 740, 1020), windows 120 x 160 cm, a door 150 x 260 cm in the middle
// of the ground floor where the two inner columns would be.
FacadeLayout standardFacade();

// A pinhole camera. With yaw = pitch = roll = 0 it looks straight at the facade (towards -Z),
// image x along +X and image y along -Y.
struct PinholeCamera {
    int width = 800;  // image size in pixels
    int height = 600;
    double focal = 800;  // focal length in pixels
    ImagePoint principal{400, 300};
    double yaw = 0;    // degrees; positive turns the camera to the right (towards +X)
    double pitch = 0;  // degrees; positive looks up
    // Degrees; positive turns the camera anticlockwise about its axis as the photographer sees
    // it, so the scene appears turned clockwise in the photograph.
    double roll = 0;
    Vec3 position{600, 160, 1500};  // centimetres, world coordinates
};

// The camera's axes in world coordinates: right and up span the image plane (image y runs along
// -up), forward is the optical axis.
struct CameraAxes {
    Vec3 right, up, forward;
};
CameraAxes cameraAxes(const PinholeCamera& camera);

// Where a point of the world, or of the facade, lands in the image. A point behind the camera
// gives its mirror image through the centre of projection: check inFront() when that can happen
// (every point of the facade is in front of the sample cameras).
ImagePoint project(const PinholeCamera& camera, const Vec3& world);
ImagePoint projectFacadePoint(const PinholeCamera& camera, FacadePoint point);
bool inFront(const PinholeCamera& camera, const Vec3& world);

// The facade point seen at an image point: the ray through it meets the facade plane there.
// Nothing when the ray runs parallel to the plane or meets it behind the camera.
std::optional<FacadePoint> imageToFacade(const PinholeCamera& camera, ImagePoint point);

// Vanishing points of the facade's horizontal lines (direction +X) and vertical lines (+Y);
// nothing when those lines stay parallel in the image (direction parallel to the image plane).
std::optional<ImagePoint> vanishingPoint(const PinholeCamera& camera, const Vec3& direction);
std::optional<ImagePoint> horizontalVanishingPoint(const PinholeCamera& camera);
std::optional<ImagePoint> verticalVanishingPoint(const PinholeCamera& camera);

// A straight edge of the facade that shows as a sharp boundary in the photograph.
struct ReferenceEdge {
    std::string name;   // stable identifier, e.g. "cornice-bottom", "left"
    std::string label;  // Italian description for the samples' notes
    bool horizontal = true;
    FacadePoint from, to;  // left to right, or bottom to top
};

// The edges worth clicking on: horizontal "top", "cornice-bottom", "string-course-top",
// "string-course-bottom", "base"; vertical "left", "right", "door-left", "door-right".
std::vector<ReferenceEdge> referenceEdges(const FacadeLayout& facade);
// The edge with that name; throws std::out_of_range when there is none.
ReferenceEdge referenceEdge(const FacadeLayout& facade, const std::string& name);

// An edge as it appears in the photograph.
struct ImageSegment {
    ImagePoint from, to;
};
ImageSegment projectEdge(const PinholeCamera& camera, const ReferenceEdge& edge);

// The facade's corners in the image, in the order top-left, bottom-left, bottom-right, top-right.
std::array<ImagePoint, 4> facadeCorners(const FacadeLayout& facade, const PinholeCamera& camera);

// The named colours of the palette: entries 0..kNamedColours-1. The rest of the palette is a
// 6 x 6 x 6 colour cube and a grey ramp, so that pixels straddling an edge find a blend close to
// the average of what they cover.
enum Colour : std::uint8_t {
    kBlack,
    kMortar,
    kBrickA,
    kBrickB,
    kBrickC,
    kStone,
    kStoneShadow,
    kShadow,
    kFrame,
    kGlass,
    kGlassReflection,
    kShutter,
    kShutterSlat,
    kWood,
    kWoodDark,
    kPlinth,
    kPlinthJoint,
    kSky,
    kLeftNeighbour,
    kRightNeighbour,
    kNeighbourPlinth,
    kPavement,
    kPavementJoint,
    kKerb,
    kAsphalt,
    kNamedColours
};
PaletteBlock facadePalette();

// The colour painted at a point of the facade (inside the facade rectangle).
Colour facadeColour(const FacadeLayout& facade, FacadePoint point);

// The colour seen along the ray through an image point: facade, neighbours, pavement, road or sky.
Colour colourAt(const FacadeLayout& facade, const PinholeCamera& camera, ImagePoint point);

struct FacadeScene {
    FacadeLayout facade = standardFacade();
    PinholeCamera camera;
    int supersampling = 3;  // n x n rays per pixel, 1 for none
};

// Renders the photograph: each pixel averages its n x n rays and takes the nearest palette
// colour; a pixel whose rays all see the same named colour gets exactly that entry.
IndexedImage renderFacade(const FacadeScene& scene);

// The scenes of the committed samples.
namespace samples {
// 800 x 600, principal point at the centre, no roll; seen from the left, looking up.
FacadeScene centred();
// 800 x 600, principal point at the centre, camera rolled by 7 degrees; seen from the right.
FacadeScene rolled();
// 1600 x 1200, principal point away from the centre (a shifted lens).
FacadeScene large();
// As centred(), but level and from the height of the first floor: the verticals nearly
// parallel, their vanishing point far away, the proportions of a construction unsure.
FacadeScene level();
}  // namespace samples

}  // namespace vesta::facade
