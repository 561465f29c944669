// Further lines after the four: "Altra retta orizzontale" / "Altra retta verticale" (Edit), the
// residual of every line from its fitted vanishing point on the panel, and taking a stray line
// away ("Togli la retta anomala").
#pragma once

#include "state/Context.h"

namespace vesta {

// The next two clicks on the photograph give one more line toward the horizontal (vertical)
// vanishing point; offered once the four lines stand and while no result is on show.
void altraRettaOrizz_Click(Context& ctx);
void altraRettaVert_Click(Context& ctx);

// A click while a further line is asked for: its first end, or its second, after which the
// photograph is drawn again with every line and the vanishing points are fitted anew (the
// following mouse-up runs FUGHE). False when no further line is asked for.
bool extraLineEnd(Context& ctx, float x, float y, double viewScale);

// Canc. on a further line: its first end goes, or else the last line given, and the vanishing
// points are fitted again. False when there is none, so Canc. takes back what it always did.
bool takeBackExtraLine(Context& ctx);

// Togli la retta anomala: the line that strays most goes; one of the four is replaced by the
// last further line of its direction.
void togliRetta_Click(Context& ctx);

// The photograph bare again with the four lines, the further ones and the principal point.
void drawAllLines(Context& ctx);

// The residuals of the last fit on the panel (scarti): their root mean square a direction, each
// line's in the tooltip, a stray line named in red; hidden while the four stand alone.
void showLineResiduals(Context& ctx);

// True when one of the lines strays from its vanishing point (Togli la retta anomala).
bool anyStrayLine(const WorkingState& s);

// The residuals' line at the panel's foot shows on the photograph, unless a measured length's ±
// holds the foot.
void showResidualsFoot(Context& ctx);

}  // namespace vesta
