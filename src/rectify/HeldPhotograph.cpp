#include "rectify/HeldPhotograph.h"

#include <utility>

namespace vesta {

HeldPhotograph::HeldPhotograph(WorkingState& s) : s_(s), colour_(s.fotoColori) {
    if (!colour_) {
        // Size and palette stay in sorgente for whoever reads them meanwhile; only the pixels,
        // which nothing but the rectification reads while it runs, move.
        IndexedImage& shown = s.sorgente.image;
        palette_.width = shown.width;
        palette_.height = shown.height;
        palette_.palette = shown.palette;
        palette_.pixels = std::move(shown.pixels);
        shown.pixels.clear();
    }
}

// Every Open gives sorgente a photograph of its own: a palette one with pixels, a grey or
// colour one beside fotoColori.
bool HeldPhotograph::replaced() const {
    if (colour_) {
        return s_.fotoColori != colour_;
    }
    return s_.fotoColori != nullptr || !s_.sorgente.image.pixels.empty();
}

HeldPhotograph::~HeldPhotograph() {
    if (!colour_ && !replaced()) {
        s_.sorgente.image.pixels = std::move(palette_.pixels);
    }
}

}  // namespace vesta
