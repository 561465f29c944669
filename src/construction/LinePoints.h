// Altri punti sulla retta (Edit): further clicks along the lines standing, for a lens fitted to
// them (Correggi la distorsione dalle rette). Each click joins the nearest line, which then runs
// through all its points as the batch tool draws a line given by many.
#pragma once

#include "state/Context.h"

namespace vesta {

// How far from a line a click may join it, in screen pixels of the view.
inline constexpr double kPointAlongReach = 10;

// Asks on the panel for points along the lines; chosen again, or any other input chosen, the
// clicks draw lines again.
void altriPunti_Click(Context& ctx);

// A click while points are asked for: it joins the nearest line standing within reach (in the
// construction's plane, the lens's bend taken out), which is fitted again through its points and
// the construction made again; a click beyond reach of every line is refused on the panel and
// changes nothing. False when no points are asked for.
bool pointAlongLine(Context& ctx, float x, float y, double viewScale);

// True while a click on the photograph is a point along a line.
bool pointsAlongAsked(const WorkingState& s);

// Canc.: the last point given goes and its line runs through the others again, or through its
// two clicked ends when none is left. False when there is none.
bool takeBackPointAlong(Context& ctx);

// After every event: the question ends once another input is chosen; the menu item shows it.
void followPointsAlongQuestion(Context& ctx);

// Marks, on the photograph, every point a line standing was given by.
void markPointsAlong(Context& ctx);

}  // namespace vesta
