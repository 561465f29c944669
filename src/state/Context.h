// Everything a procedure works on: the working state, the form model, the two picture areas and
// the platform services. Procedures are free functions over one Context.
#pragma once

#include <optional>

#include "state/FormModel.h"
#include "state/MemoryBudget.h"
#include "state/PictureArea.h"
#include "state/Platform.h"
#include "state/WorkingState.h"
#include "state/ZoomForm.h"

namespace vesta {

struct Context {
    Context(PictureArea& p1, PictureArea& p2, Dialogs& d, EventLoop& e, Paths paths_)
        : picture1(p1), picture2(p2), dialogs(d), events(e), paths(std::move(paths_)) {}

    WorkingState s;
    FormModel form;
    ZoomForm zoomForm;
    PictureArea& picture1;
    PictureArea& picture2;
    Dialogs& dialogs;
    EventLoop& events;
    Paths paths;
    ScreenInfo screen;
    char decimalSeparator = '.';  // the user's, from the system's locale
    // One standard deviation of a click, in pixels of the photograph; 0: the mouse's own.
    double clickSigma = 0;
    // The 35 mm equivalent focal length the user gave, in mm: the construction then takes its
    // principal distance from it rather than deriving one.
    std::optional<double> focal35;
    // It was taken from the photograph's EXIF, not typed.
    bool focal35FromExif = false;
    // The most memory opening a photograph may take; the window sets its own, lower share.
    // Whether opening a photograph looks its lens up in the lens database (a second's reading
    // the first time): in the window, and in a batch run that asks for it.
    bool lookUpLens = false;
    std::uint64_t decodeBytes = memoryForDecoding(MemoryUse::Batch);
};

}  // namespace vesta
