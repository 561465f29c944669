// Straight edges of real photographs, chosen by eye on enlarged crops and drawn back onto the
// photograph to check them, each end to a tenth of a pixel (placed on the gradient's maximum).
// They are the reference against which lines found or snapped by the tool can be compared.
#pragma once

#include <array>
#include <vector>

namespace vesta::test {

struct RealEdge {
    const char* name;
    double x1, y1, x2, y2;  // pixel coordinates of the photograph, as vesta-rectify takes them
};

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

// Vertical edges are vertical whatever their depth: the front's left end, whole floors high, and
// the wall's edge left of a window column, one storey each (the sills break them), from the left
// of the front to the right. The panel joint at x 223 is no one edge: each storey's panel
// stands a pixel off the next one's, so it is not among them.
inline constexpr std::array<RealEdge, 7> kBuildingVertical{{
    {"left end of the front, four storeys", 193.4, 140.0, 192.2, 320.0},
    {"window column at x 465, storey under the second sill", 463.7, 110.0, 466.6, 185.0},
    {"window column at x 540, storey under the third sill", 542.9, 168.0, 545.7, 250.0},
    {"window column at x 635, storey under the third sill", 633.3, 128.1, 638.5, 215.0},
    {"window column at x 640, storey under the fourth sill", 639.5, 240.1, 643.8, 318.0},
    {"window column at x 750, storey under the third sill", 745.9, 78.1, 752.9, 170.1},
    {"window column at x 755, storey under the fourth sill", 753.6, 197.1, 762.4, 298.0},
}};

// leuvenB.jpg (751x563): the long brick front on the left of the street, its windows' stone
// frames, its gutter and its two downpipes. The edges are short and soft (a reduced phone
// photograph), the verticals nearly parallel (their vanishing point some 4000 px above).
inline constexpr std::array<RealEdge, 8> kLeuvenHorizontal{{
    {"gutter over the right part", 307.6, 167.7, 382.5, 214.6},
    {"first window, top of its frame", 212.3, 165.9, 247.8, 183.8},
    {"first window, its transom", 213.1, 200.7, 246.7, 214.7},
    {"first window, its sill", 211.0, 249.6, 249.0, 260.8},
    {"second window, top of its frame", 266.6, 196.2, 291.8, 208.3},
    {"second window, its transom", 263.6, 222.0, 291.9, 233.1},
    {"first ground-floor window, top of its frame", 215.6, 342.4, 250.6, 343.6},
    {"first ground-floor window, its transom", 213.1, 393.9, 250.7, 391.0},
}};

inline constexpr std::array<RealEdge, 8> kLeuvenVertical{{
    {"left downpipe, the whole front", 113.4, 124.4, 99.9, 415.6},
    {"right downpipe, lower length", 390.6, 291.9, 392.0, 345.6},
    {"right downpipe, upper length", 393.3, 230.6, 393.7, 304.4},
    {"first window, its mullion", 230.3, 253.1, 230.6, 210.6},
    {"first ground-floor window, its mullion", 232.5, 390.6, 232.7, 346.9},
    {"second ground-floor window, its mullion", 279.4, 386.9, 279.3, 349.4},
    {"third window, left of its frame", 334.5, 283.1, 334.4, 251.9},
    {"third ground-floor window, left of its frame", 335.7, 383.1, 335.4, 351.9},
}};

// scenetext06.jpg (640x480, a DiMAGE X at 9.9 mm): the yellow front of "priory galleries at the
// ship", its windows' frames and glazing bars, the cornice over the shop front, the shop front's
// pilasters. Sharp and long edges, but a level camera: the verticals all lean 1 in 31 (the
// camera's roll) and stay parallel to within the tenths of a pixel they are drawn to, their
// vanishing point 100000 px or more away, above or below as the edges fall.
inline constexpr std::array<RealEdge, 8> kShipHorizontal{{
    {"cornice over the shop front, its upper edge", 215.0, 265.8, 635.0, 263.0},
    {"right first-floor window, top of its frame", 495.1, 98.9, 554.9, 89.1},
    {"right first-floor window, its sill's lower edge", 496.0, 248.0, 562.0, 245.9},
    {"right first-floor window, its meeting rail", 502.0, 170.8, 555.9, 167.8},
    {"right first-floor window, lower sash's glazing bar", 505.0, 204.5, 555.9, 201.4},
    {"left first-floor window, top of its frame", 252.0, 139.2, 282.6, 134.6},
    {"left shop window, its upper glazing bar", 254.1, 343.0, 304.8, 347.0},
    {"right shop window, its upper glazing bar", 492.2, 364.8, 598.0, 372.4},
}};

inline constexpr std::array<RealEdge, 8> kShipVertical{{
    {"left end of the front, the first floor", 205.2, 100.1, 210.8, 254.9},
    {"left first-floor window, left of its frame", 249.1, 145.0, 252.5, 250.0},
    {"right first-floor window, left of its frame", 492.3, 105.0, 496.6, 240.0},
    {"right first-floor window, right of its frame", 557.2, 95.0, 561.9, 240.0},
    {"shop front's left pilaster, its right edge", 227.9, 325.1, 231.5, 455.0},
    {"left shop window, left of its frame", 245.4, 320.1, 248.9, 420.0},
    {"pilaster right of the left shop window, its right edge", 336.4, 330.1, 342.0, 474.9},
    {"right shop window, left of its frame", 480.3, 330.1, 486.4, 459.9},
}};

// A photograph with its chosen edges and the part of it every run rectifies (X1,Y1,X2,Y2),
// inside the edges; the principal point is the photograph's centre. Debian's opencv-doc ships
// these photographs; their licence keeps them out of the repository.
struct RealFront {
    const char* photo;
    std::array<double, 4> area;
    std::vector<RealEdge> horizontal, vertical;
    const char* given = "";  // what the construction must be told of the camera
};

inline RealFront buildingFront() {
    return {"/usr/share/doc/opencv-doc/examples/data/building.jpg",
            {470, 120, 750, 300},
            {kBuildingHorizontal.begin(), kBuildingHorizontal.end()},
            {kBuildingVertical.begin(), kBuildingVertical.end()}};
}

inline RealFront leuvenFront() {
    return {"/usr/share/doc/opencv-doc/examples/data/leuvenB.jpg",
            {200, 170, 390, 400},
            {kLeuvenHorizontal.begin(), kLeuvenHorizontal.end()},
            {kLeuvenVertical.begin(), kLeuvenVertical.end()}};
}

inline RealFront shipFront() {
    return {"/usr/share/doc/opencv-doc/examples/text/scenetext06.jpg",
            {230, 100, 560, 430},
            {kShipHorizontal.begin(), kShipHorizontal.end()},
            {kShipVertical.begin(), kShipVertical.end()},
            "--focal35 64"};
}

}  // namespace vesta::test
