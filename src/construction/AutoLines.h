// Rette automatiche (Edit): the lines found in the photograph offered in the colours of their
// directions; the user takes them (Accetta le rette), drops single ones with a click
// on them, or clicks a line of their own, which takes the offer away.
#pragma once

#include "construction/FoundLines.h"
#include "state/Context.h"

namespace vesta {

// The lines `detect` finds in the photograph on show, grouped and drawn onto its edges, in its
// pixels; where the lens's bend is taken out, found out of it. Of several fronts, the one whose
// lines lie in `area` (pixels of the photograph) when given.
GroupedLines findPhotographLines(const Context& ctx, const SegmentDetector& detect,
                                 const std::optional<std::array<Point, 2>>& area = std::nullopt);

// Finds the lines away from the window's thread ("Sto cercando le rette..." meanwhile) and
// offers them, unless another photograph was opened in the meantime.
void retteAutomatiche_Click(Context& ctx, const SegmentDetector& detect);

// Offers `found`, drawn on the photograph; the prompt says what the user may do, or that too
// few lines were found to make the construction.
void offerFoundLines(Context& ctx, const GroupedLines& found);

// Accetta le rette: the offered lines become the construction's, as if clicked, the first two
// of each direction the four and the rest further lines.
void accettaRette_Click(Context& ctx);

// The lines given as the user would click them, the four then the further ones: the first two
// of each direction are the four.
void takeLines(Context& ctx, const GroupedLines& lines);

// A click on the photograph while lines are offered: on one of them (within a few pixels of the
// screen) it drops that line, true; elsewhere the offer goes and the click is the user's own,
// false. False too when nothing is offered.
bool offeredLineClick(Context& ctx, float x, float y, double viewScale);

// The offer drawn once more over the bare photograph, as after the lens's bend changed; nothing
// when nothing is offered.
void drawFoundLinesAgain(Context& ctx);

// The offer taken away, the photograph drawn bare again; false when nothing was offered.
bool withdrawFoundLines(Context& ctx);

// Enables the two commands by the stage the work is in.
void offerAutoLineCommands(Context& ctx);

}  // namespace vesta
