// The zoom viewer's window as plain data, in twips (1/1440 inch), its own unit.
#pragma once

#include <vector>

#include "state/ColourImage.h"
#include "state/IndexedImage.h"

namespace vesta {

struct TwipRect {
    double left = 0, top = 0, width = 0, height = 0;
};

struct TwipLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct ScrollBarState {
    TwipRect place;
    int max = 0;
    int value = 0;
    int smallChange = 1;  // an arrow click or a line of the wheel
    int largeChange = 1;  // a click on the track
};

struct ZoomForm {
    bool loaded = false;  // the window exists (first opening, or reopened after closing)
    bool shown = false;
    TwipRect window;  // position on the screen and client size
    TwipRect image;   // Image1: the stretched picture
    TwipRect spin;    // Spin1
    ScrollBarState hScroll, vScroll;
    // Which picture Image1 shows, and a copy of it taken when the viewer was opened.
    enum class Showing { Nothing, Photograph, Rectified } showing = Showing::Nothing;
    IndexedImage picture;
    ColourImage colourPicture;   // instead of picture, for a grey or colour photograph
    std::vector<TwipLine> grid;  // drawn on the window's surface, beneath Image1
};

}  // namespace vesta
