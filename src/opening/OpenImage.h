// Opening a photograph: the Open dialog, reading the bitmap, showing it in Picture1 and putting
// the construction back to its first step.
#pragma once

#include "state/Context.h"

namespace vesta {

// The names the Open dialog offers: every kind of photograph vesta reads.
inline constexpr const char* kPhotographPattern = "*.bmp *.jpg *.jpeg *.png *.tif *.tiff";

// open_Click: asks for a photograph and loads it: an 8-bit palette bitmap as such, any other
// kind as a grey or colour photograph. A file that cannot be read is refused with a message, and
// the photograph, construction and caption on show stay exactly as they were. A completed
// result not yet saved is offered for saving first ("Annulla" opens nothing); once another
// photograph is in, the previous result is no longer offered.
void open_Click(Context& ctx);
// The same, the photograph read away from the window's thread where the event loop can: the
// dialog goes at once, "Sto caricando..." and the hourglass show while it is read, and once it
// is in `shown` (when given) shows it at the window's view before a kept construction is
// offered.
void openPhotograph(Context& ctx, void (*shown)(Context&));

// The photograph being read is not wanted any more (its window closes): it is thrown away once
// read.
void abandonOpening(Context& ctx);

// LEGGI_img: takes a bitmap read from `nomeFile` into the working state and updates the window.
void LEGGI_img(Context& ctx, SourceBitmap bitmap);

}  // namespace vesta
