// The one loop over a result's rows, whatever the road: the bands of a rectifier computed on
// the pool and handed to a sink in row order, with the progress, the stop (interrompi) and the
// test for another photograph opened meanwhile once per band, here alone.
#pragma once

#include <functional>

#include "rectify/Bands.h"
#include "state/Context.h"

namespace vesta {

// NotOpened: the sink could not be opened, nothing was computed.
enum class RowsOutcome { Written, WriteFailed, AnotherPhotograph, OutOfMemory, NotOpened };

// Where the rows of a result go: the scratch bitmap, a colour file.
class ResultSink {
  public:
    virtual ~ResultSink() = default;
    // Band after band in row order, top row first; false when they cannot be written.
    virtual bool put(int firstRow, const ColourImage& band) = 0;
    // After the last row; false when the result could not be completed.
    virtual bool finish() = 0;
    // What a false from put or finish means.
    virtual RowsOutcome failure() const { return RowsOutcome::WriteFailed; }
};

// Computes every row of the rectifier into the sink. Between bands the progress is shown and
// the event loop runs: a stop leaves the rows not computed 0 (index 0, or black) and the result
// complete all the same; another photograph (anotherPhotograph() true after the event loop ran)
// ends the run without finishing the sink, since the result is not this construction's.
RowsOutcome driveRows(Context& ctx, const BandRectifier& rectifier, ResultSink& sink,
                      const std::function<bool()>& anotherPhotograph);

}  // namespace vesta
