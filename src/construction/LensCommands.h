// The lens's radial coefficient in the window: typed (Distorsione dell'obiettivo...) or fitted
// to the edges the lines were drawn onto (Correggi la distorsione dalle rette). Either takes the
// lines standing out of the new bend, from where they were clicked on the photograph, and
// makes the construction again.
#pragma once

#include <optional>

#include "geometry/LensFit.h"
#include "geometry/RadialLens.h"
#include "state/Context.h"

namespace vesta {

// Asks for k1 (a comma or a point; empty or 0 leaves the bend in) and takes it out.
void distorsioneK1_Click(Context& ctx);

// Fits k1 to the points of the edges the lines were drawn onto, on the photograph as it is,
// and takes it out; refused on the panel when no line has more than two points.
void correggiDistorsione_Click(Context& ctx);

// The same fit, as the batch tool asks it: the Italian refusal, with nothing changed, when the
// lines tell no coefficient.
std::optional<std::string> fitLensToLines(Context& ctx);

// The working state names a new lens; `before` is the one its clicks were taken out of. Every
// point clicked on the photograph (lines, further lines, their points, the principal point and
// the area) is bent back to where it was clicked and taken out of the new lens, the lines are
// drawn onto their edges again when snapping is on, and the construction is made again.
void takeClicksOutOfNewLens(Context& ctx, const std::optional<RadialLens>& before);

// The fitted coefficient, how straight it left the lines and how sure it is, into the working
// state (the clicks are not moved).
void keepLensFit(WorkingState& s, const LensFit& fit);

// A kept construction's fitted coefficient: how sure it is, as its record tells (`kept`), or,
// from a record that keeps only k1 and how straight the lines were, from the points of the
// lines' edges on the photograph as the fit saw them, so that the reopened or replayed
// construction states the same sigma.
void keepSpreadOfKeptFit(Context& ctx, const std::optional<LensFitSpread>& kept);

// The panel's words for the coefficient the working state takes out, as its record names it.
std::string lensK1Notice(const WorkingState& s, char decimalSeparator);

}  // namespace vesta
