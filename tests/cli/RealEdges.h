// Straight edges of real photographs, chosen by eye on enlarged crops and drawn back onto the
// photograph to check them, each end to a tenth of a pixel (placed on the gradient's maximum).
// They are the reference against which lines found or snapped by the tool can be compared.
#pragma once

#include <array>

namespace vesta::test {

struct RealEdge {
    const char* name;
    double x1, y1, x2, y2;  // pixel coordinates of the photograph, as vesta-rectify takes them
};

// Debian's opencv-doc ships this photograph; its licence keeps it out of the repository.
inline constexpr const char* kBuildingPhoto =
    "/usr/share/doc/opencv-doc/examples/data/building.jpg";

// building.jpg (868x600): the long panelled front, right of centre. The floors' sills run the
// whole front; panels and windows of each floor step in and out, so only the sills' edges are
// parallel to the front.
inline constexpr std::array<RealEdge, 8> kBuildingHorizontal{{
    {"top floor's sill, its lower edge", 245.0, 152.7, 455.0, 16.3},
    {"second sill, its lower edge", 245.0, 216.4, 605.1, 22.8},
    {"third sill, its lower edge", 244.9, 281.6, 854.9, 21.8},
    {"fourth sill, its lower edge", 244.9, 348.2, 855.0, 158.5},
    {"second sill, its upper edge", 245.9, 211.9, 604.9, 16.6},
    {"third sill, its upper edge", 245.5, 277.1, 854.1, 14.0},
    {"fourth sill, its upper edge", 245.4, 343.7, 854.2, 150.1},
    {"cornice over the ground floor, its lower edge", 249.5, 417.2, 469.5, 377.4},
}};

// Vertical edges are vertical whatever their depth: the front's left end and a panel joint
// beside it, whole floors high, and the wall's edge left of a window column, one storey each
// (the sills break them), from the left of the front to the right.
inline constexpr std::array<RealEdge, 8> kBuildingVertical{{
    {"left end of the front, four storeys", 193.4, 140.0, 192.2, 320.0},
    {"panel joint at x 222, four storeys", 222.9, 140.0, 222.2, 320.0},
    {"window column at x 465, storey under the second sill", 463.7, 110.0, 466.6, 185.0},
    {"window column at x 540, storey under the third sill", 542.9, 168.0, 545.7, 250.0},
    {"window column at x 635, storey under the third sill", 633.3, 128.1, 638.5, 215.0},
    {"window column at x 640, storey under the fourth sill", 639.5, 240.1, 643.8, 318.0},
    {"window column at x 750, storey under the third sill", 745.9, 78.1, 752.9, 170.1},
    {"window column at x 755, storey under the fourth sill", 753.6, 197.1, 762.4, 298.0},
}};

}  // namespace vesta::test
