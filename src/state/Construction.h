// The construction standing on the photograph, as one value: the vanishing points of the four
// lines, the interior orientation found from them and the principal point, and the frame of
// the rectified image with its division tables. Coordinates are pixels of the photograph.
#pragma once

#include <vector>

namespace vesta {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

// Where each pair of construction lines meets.
struct VanishingPoints {
    Point vh;  // fugaOrizzX, fugaOrizzY: lines 1 and 2
    Point vv;  // fugaVertX, fugaVertY: lines 3 and 4
};

struct InteriorOrientation {
    double mCentro = 0;        // slope of the line from the vertical vanishing point Vv to P
    double mOrizzonte = 0;     // -1 / mCentro: the horizon's slope
    Point piede;               // F: the horizon meets the line Vv-P
    Point puntoDist;           // D: the eye point turned down onto the horizon through P
    double distanzaPrinc = 0;  // |P D|, which equals sqrt(|P Vv| · |P F|)
    double r2 = 0;             // |Vv D|: the circle that carries the vertical measuring point
    Point pv;                  // pvx, pvy: measuring point of the vertical direction
    double mH = 0;             // slope of P-Vh
    Point e;                   // E: P's circle of radius |P D| cut by the perpendicular to P-Vh
    double r3 = 0;             // |Vh E|: the circle that carries the horizontal measuring point
    Point po;                  // pox, poy: measuring point of the horizontal direction
};

// A division point of an output row or column, on the photograph.
using DivisionPoint = Point;

struct Frame {
    double angoloX1 = 0, angoloY1 = 0, angoloX2 = 0;  // the two corners the frame grows from
    int angoloY2 = 0;
    int casoFughe = 0;               // case 1..4 of the reference corner
    double mVert = 0, mOrizz = 0;    // slopes of the area sides through O
    Point rif;                       // O, the reference corner (angoloRifX, angoloRifY)
    Point maxA, maxB;                // measured ends of the sides toward Vv and toward Vh
    int segnoX = 0, segnoY = 0;      // which way columns and rows run from O
    double altOut = 0, largOut = 0;  // output size in pixels
    // Rows 0..altOut and 0..largOut, row 0 unused; left with row 0 alone when the side is
    // beyond what a bitmap can hold, since no rectification could use them.
    std::vector<DivisionPoint> divRighe, divColonne;
    // How the result shows the columns and rows: column c at x = c − 1, or at largOut − c when
    // reversed; row r at y = r − 1, or at altOut − r when reversed.
    bool columnsReversed = false, rowsReversed = false;
};

struct Construction {
    VanishingPoints fughe;
    InteriorOrientation orientation;
    Frame frame;
    // Width over height of the result before its sides are floored to whole pixels:
    // |maxB − O| / |maxA − O|.
    double aspect = 0;
};

}  // namespace vesta
