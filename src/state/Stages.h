// The stages a photograph goes through, and which commands of the window each stage offers. The
// procedures say which stage the work enters; applyStage sets the form's enabled and visible
// states from one table.
#pragma once

#include "state/FormModel.h"
#include "state/WorkingState.h"

namespace vesta {

enum class Stage : int {
    NoPhotograph = 0,
    // A photograph on show, fewer than four lines, or four whose vanishing points were refused.
    DrawingLines = 1,
    // The vanishing points stand, the frame does not: an area or a principal point is being
    // given, or the last one was refused.
    Construction = 2,
    // The frame of an area (the photograph's own by default) stands: it can be rectified.
    Area = 3,
    // Rows of the result are being computed.
    Rectifying = 4,
    // The result on show, offered for saving, measuring and another rectification.
    Result = 5,
    // Misura pressed: the result takes the clicks of a scale and of measured lengths.
    Measuring = 6,
};

inline constexpr int kStages = 7;

// What a stage's offer may hang on besides the stage.
struct StageFacts {
    bool lineGiven = false;      // at least one of the four lines
    bool fourLines = false;      // all four
    bool knownMeasures = false;  // true measures kept for these four lines
    bool resultKept = false;     // a finished result not yet thrown away
    bool colour = false;         // a grey or colour photograph, not a palette bitmap
    bool strayLine = false;      // with the four lines, one strays from its vanishing point
    bool scaleKnown = false;     // the result has a scale
};

// Which rows applyStage sets.
enum class Rows {
    All,
    // Only the rows whose offer follows facts that may change within a stage (a scale taken, a
    // line given), set again after every event.
    EveryEvent,
};

// The stage the working state is in.
Stage stageOf(const WorkingState& s);

// Sets every command's enabled or visible state as the table gives it for the stage.
void applyStage(FormModel& form, Stage stage, const StageFacts& facts, Rows rows = Rows::All);

// For messages: the stage's name.
const char* stageName(Stage stage);

}  // namespace vesta
