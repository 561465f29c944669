// Colours as red, green, blue, and the drawing modes of a picture area.
#pragma once

#include <cstdint>

namespace vesta {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colours {
inline constexpr Rgb windowBackground{0, 64, 64};  // &H404000: window and picture areas
inline constexpr Rgb red{255, 0, 0};               // QB colour 12, the marks and the window's text
inline constexpr Rgb orange{255, 128, 0};          // panel caption, the rectify button
inline constexpr Rgb white{255, 255, 255};
inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb resultForeground{0, 0, 192};  // Picture2
inline constexpr Rgb darkCyan{0, 128, 128};        // QB colour 3
inline constexpr Rgb lightCyan{0, 255, 255};       // QB colour 11
inline constexpr Rgb blue{0, 0, 255};
// Lines found in the photograph and offered: toward the horizontal and the vertical vanishing
// point.
inline constexpr Rgb foundHorizontal{0, 255, 0};
inline constexpr Rgb foundVertical{255, 255, 0};
}  // namespace colours

// The numeric values are the system's own draw-mode codes.
enum class DrawMode : int {
    Black = 1,    // paints black whatever the colour
    Invert = 6,   // inverts the pixels it touches: drawing a figure twice erases it
    CopyPen = 13  // paints in the given colour
};

// The numeric values are the system's own mouse-pointer codes.
enum class MousePointer : int { Default = 0, Cross = 2, Hourglass = 11 };

}  // namespace vesta
