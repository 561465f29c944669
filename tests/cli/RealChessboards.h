// Real photographs of a plane whose proportions are known: OpenCV's calibration chessboard
// (square squares) held before a real camera, with that camera's own calibration, lens
// distortion included. The inner corners were found on each photograph by a corner detector
// started from points given by eye, and checked drawn back onto it.
#pragma once

#include <array>
#include <vector>

namespace vesta::test {

// Debian's opencv-doc ships the photographs and the calibration (left_intrinsics.yml).
struct Chessboard {
    const char* photo;
    int across, down;                            // inner corners a row, rows
    std::vector<std::array<double, 2>> corners;  // row by row, pixels of the photograph
    std::array<double, 4> area;                  // X1,Y1,X2,Y2 inside the corners
};

// left_intrinsics.yml: the camera matrix (one focal length, in pixels, and the principal point)
// and the distortion k1, k2, p1, p2, k3 of the pinhole model with radial and tangential terms.
inline constexpr double kChessFocal = 5.3591573396163199e+02;
inline constexpr double kChessCentreX = 3.4228315473308373e+02;
inline constexpr double kChessCentreY = 2.3557082909788173e+02;
inline constexpr std::array<double, 5> kChessDistortion{
    -2.6637260909660682e-01, -3.8588898922304653e-02, 1.7831947042852964e-03,
    -2.8122100441115472e-04, 2.3839153080878486e-01};

// left01.jpg: the board nearly square to the camera, its long side across.
inline Chessboard leftFrontal() {
    return {
        "/usr/share/doc/opencv-doc/examples/data/left01.jpg",
        9,
        6,
        {{244.43, 94.16},  {274.40, 92.19},  {305.48, 90.32},  {338.28, 88.85},  {371.71, 87.90},
         {406.47, 86.75},  {441.64, 86.28},  {477.64, 86.26},  {513.82, 86.53},  {244.89, 126.22},
         {274.73, 124.87}, {306.06, 124.01}, {338.61, 123.12}, {372.21, 122.24}, {406.63, 122.15},
         {442.12, 122.06}, {478.01, 122.22}, {514.26, 122.79}, {245.37, 158.31}, {275.27, 158.09},
         {306.53, 157.63}, {338.91, 157.43}, {372.40, 157.39}, {406.79, 157.53}, {442.07, 157.86},
         {477.89, 158.33}, {513.89, 159.38}, {246.36, 190.37}, {275.84, 190.54}, {307.14, 191.04},
         {339.26, 191.55}, {372.55, 192.03}, {406.77, 192.51}, {441.75, 193.63}, {477.42, 194.36},
         {513.11, 195.60}, {247.38, 222.25}, {276.89, 223.41}, {307.56, 224.28}, {339.53, 225.39},
         {372.66, 226.33}, {406.60, 227.63}, {441.26, 228.61}, {476.68, 230.01}, {511.84, 231.60},
         {248.85, 253.61}, {277.61, 255.12}, {308.48, 256.53}, {340.03, 258.27}, {372.69, 259.92},
         {406.21, 261.69}, {440.52, 263.24}, {475.28, 264.64}, {510.37, 266.23}},
        {270, 105, 490, 245}};
}

// left02.jpg: the board turned and tipped, its long side down; both vanishing points near.
inline Chessboard leftTipped() {
    return {
        "/usr/share/doc/opencv-doc/examples/data/left02.jpg",
        6,
        9,
        {{251.47, 78.19},  {307.04, 86.70},  {365.09, 96.78},  {424.17, 107.81}, {483.13, 120.09},
         {540.09, 133.10}, {251.12, 128.04}, {303.79, 136.93}, {358.51, 146.97}, {413.96, 157.75},
         {469.55, 169.33}, {523.41, 181.12}, {251.31, 172.58}, {301.11, 182.17}, {352.42, 192.15},
         {404.58, 202.77}, {456.81, 213.56}, {507.89, 224.17}, {251.74, 212.84}, {298.78, 222.33},
         {347.04, 232.27}, {396.12, 242.29}, {445.33, 252.41}, {493.47, 262.32}, {252.65, 248.54},
         {296.89, 258.09}, {342.31, 267.74}, {388.42, 277.44}, {434.77, 286.79}, {480.25, 296.04},
         {253.28, 280.44}, {295.13, 289.79}, {338.12, 299.17}, {381.62, 308.39}, {425.19, 317.41},
         {468.05, 325.85}, {254.35, 308.87}, {293.62, 318.11}, {334.32, 327.14}, {375.30, 336.07},
         {416.48, 344.54}, {457.05, 352.42}, {255.25, 334.46}, {292.63, 343.37}, {330.95, 352.28},
         {369.58, 360.49}, {408.44, 368.60}, {446.69, 376.16}, {256.21, 357.18}, {291.52, 365.89},
         {327.79, 374.27}, {364.47, 382.32}, {401.31, 389.79}, {437.74, 396.77}},
        {270, 150, 450, 320}};
}

}  // namespace vesta::test
