// A rectification computed a band of rows at a time, so that a result of any size needs the
// photograph and a few bands in memory, never the whole result; and the bands computed on a
// pool of threads and handed on in row order.
//
// Each output row depends on its row number and the inputs alone, and every sampler is exact
// arithmetic, so the bytes do not change with the band height or the number of threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>

#include "rectify/ColourSampler.h"
#include "rectify/PixelMapping.h"
#include "rectify/RowRectifier.h"
#include "state/ColourImage.h"
#include "state/IndexedImage.h"

namespace vesta {

// Rows of a result: each row's source points from a mapping (the construction's lines or the
// known measures' map), sampled in a palette photograph (indices, nearest pixel: the bytes of
// the palette road) or in a grey or colour one (its channels and depth, nearest or bilinear).
// Rows are numbered as the result is shown, top row first; the photograph must outlive this.
class BandRectifier {
  public:
    BandRectifier(RectifyInputs in, PixelMapping mapping, const IndexedImage& photograph);
    BandRectifier(RectifyInputs in, PixelMapping mapping, const ColourImage& photograph,
                  Interpolation how);

    int width() const { return in_.largOut; }
    int height() const { return in_.altOut; }
    int channels() const { return colour_ ? colour_->channels : 1; }
    int bitsPerChannel() const { return colour_ ? colour_->bitsPerChannel : 8; }
    std::size_t rowBytes() const;

    // Fills rows [first, last) into band: width() x (last − first) pixels of the result's
    // channels and depth (a palette result: one 8-bit channel of indices). The band's storage
    // is reused when it is already large enough; work is the caller's room for one row.
    void fill(int first, int last, RowWork& work, ColourImage& band) const;

  private:
    void fillRow(int y, RowWork& work, std::uint8_t* out8, std::uint16_t* out16) const;

    RectifyInputs in_;
    PixelMapping mapping_;
    const IndexedImage* palette_ = nullptr;
    const ColourImage* colour_ = nullptr;
    bool wellFormed_ = true;  // a colour photograph's samples fill its rows
    Interpolation how_ = Interpolation::Nearest;
};

struct BandOptions {
    int threads = 0;   // threads computing bands; 0 for one per core
    int bandRows = 0;  // rows in a band; 0 for about 1 MiB a band
    // Read before each band is computed and before each is handed on; once set, no further
    // band reaches the sink.
    const std::atomic<bool>* cancel = nullptr;
    // After each band has reached the sink, in the caller's thread: rows handed on so far.
    std::function<void(int rowsDone, int rows)> progress;
};

enum class BandsOutcome { Finished, Cancelled, SinkStopped };

// Receives band after band in row order, in the caller's thread: the band's first row and
// its pixels, valid only during the call. Returning false stops the run (a file that cannot
// be written).
using BandSink = std::function<bool(int firstRow, const ColourImage& band)>;

int threadsFor(const BandOptions& options);
int bandRowsFor(const BandRectifier& rectifier, const BandOptions& options);
// The band buffers one run holds at most, and so the bytes of result it keeps at once.
int bandsInFlight(const BandOptions& options);
std::size_t bandMemory(const BandRectifier& rectifier, const BandOptions& options);

// Computes every band, threadsFor(options) at a time, and hands them to sink in row order.
// At most bandsInFlight(options) bands exist at once: a thread waits for a free buffer.
BandsOutcome rectifyInBands(const BandRectifier& rectifier, const BandOptions& options,
                            const BandSink& sink);

}  // namespace vesta
