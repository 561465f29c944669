#include "rectify/Bands.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

#include "rectify/PaletteSampler.h"
#include "state/LargePages.h"

namespace vesta {

namespace {

constexpr std::size_t kBandBytes = std::size_t(1) << 20;
constexpr int kMaxBandRows = 64;  // enough rows to keep a thread busy, few enough to balance

// A photograph whose samples do not fill its rows gives an empty result rather than a read
// beyond them.
bool wellFormed(const ColourImage& p) {
    const std::size_t samples = p.rowSamples() * std::size_t(std::max(0, p.height));
    return p.width > 0 && p.height > 0 && (p.channels == 1 || p.channels == 3) &&
           (p.bitsPerChannel == 8 ? p.samples8.size() >= samples
                                  : p.bitsPerChannel == 16 && p.samples16.size() >= samples);
}

}  // namespace

BandRectifier::BandRectifier(RectifyInputs in, PixelMapping mapping, const IndexedImage& photograph)
    : in_(std::move(in)), mapping_(std::move(mapping)), palette_(&photograph) {}

BandRectifier::BandRectifier(RectifyInputs in, PixelMapping mapping, const ColourImage& photograph,
                             Interpolation how)
    : in_(std::move(in)),
      mapping_(std::move(mapping)),
      colour_(&photograph),
      wellFormed_(wellFormed(photograph)),
      how_(how) {}

std::size_t BandRectifier::rowBytes() const {
    return std::size_t(std::max(0, width())) * std::size_t(channels()) *
           std::size_t(bitsPerChannel() / 8);
}

void BandRectifier::fill(int first, int last, RowWork& work, ColourImage& band) const {
    const int rows = std::max(0, last - first);
    band.width = std::max(0, width());
    band.height = rows;
    band.channels = channels();
    band.bitsPerChannel = bitsPerChannel();
    const std::size_t rowSamples = band.rowSamples();
    const bool deep = band.bitsPerChannel == 16;
    if (deep) {
        resizeImageBuffer(band.samples16, rowSamples * std::size_t(rows));
        band.samples8.clear();
    } else {
        resizeImageBuffer(band.samples8, rowSamples * std::size_t(rows));
        band.samples16.clear();
    }
    for (int y = first; y < last; ++y) {
        const std::size_t at = std::size_t(y - first) * rowSamples;
        fillRow(y, work, deep ? nullptr : band.samples8.data() + at,
                deep ? band.samples16.data() + at : nullptr);
    }
}

void BandRectifier::fillRow(int y, RowWork& work, std::uint8_t* out8, std::uint16_t* out16) const {
    if (!wellFormed_ || !mapping_.rowPoints(in_, y, work)) {
        const std::size_t n = rowBytes();
        out8 ? std::memset(out8, 0, n) : std::memset(out16, 0, n);
        return;
    }
    if (palette_) {
        samplePalette(in_, *palette_, work, out8);
    } else if (how_ == Interpolation::Bilinear) {
        out16 ? sampleBilinear(in_, *colour_, work, out16)
              : sampleBilinear(in_, *colour_, work, out8);
    } else {
        out16 ? sampleNearest(in_, *colour_, work, out16)
              : sampleNearest(in_, *colour_, work, out8);
    }
}

int threadsFor(const BandOptions& options) {
    if (options.threads > 0) {
        return options.threads;
    }
    return std::max(1, int(std::thread::hardware_concurrency()));
}

int bandRowsFor(const BandRectifier& rectifier, const BandOptions& options) {
    if (options.bandRows > 0) {
        return options.bandRows;
    }
    const std::size_t row = std::max<std::size_t>(1, rectifier.rowBytes());
    return int(std::clamp<std::size_t>(kBandBytes / row, 1, kMaxBandRows));
}

int bandsInFlight(const BandOptions& options) {
    // One being computed by each thread, one being handed on, one finished out of order.
    return threadsFor(options) + 2;
}

std::size_t bandMemory(const BandRectifier& rectifier, const BandOptions& options) {
    return std::size_t(bandsInFlight(options)) * std::size_t(bandRowsFor(rectifier, options)) *
           rectifier.rowBytes();
}

namespace {

struct Run {
    const BandRectifier& rectifier;
    const BandOptions& options;
    int rows = 0;
    int bandRows = 1;
    int bands = 0;

    bool cancelled() const {
        return options.cancel && options.cancel->load(std::memory_order_relaxed);
    }
    int firstRow(int band) const { return band * bandRows; }
    int lastRow(int band) const { return std::min(rows, firstRow(band) + bandRows); }
};

BandsOutcome oneThread(const Run& run, const BandSink& sink) {
    ColourImage band;
    RowWork work;
    for (int k = 0; k < run.bands; ++k) {
        if (run.cancelled()) {
            return BandsOutcome::Cancelled;
        }
        run.rectifier.fill(run.firstRow(k), run.lastRow(k), work, band);
        if (run.cancelled()) {
            return BandsOutcome::Cancelled;
        }
        if (!sink(run.firstRow(k), band)) {
            return BandsOutcome::SinkStopped;
        }
        if (run.options.progress) {
            run.options.progress(run.lastRow(k), run.rows);
        }
    }
    return BandsOutcome::Finished;
}

// The threads take bands in row order, each into a free buffer; the caller hands the finished
// ones on in row order and gives their buffers back.
class Pool {
  public:
    Pool(const Run& run, int threads, int buffers)
        : run_(run), buffers_(std::size_t(buffers)), ready_(std::size_t(run.bands), -1) {
        for (int b = buffers - 1; b >= 0; --b) {
            free_.push_back(b);
        }
        for (int t = 0; t < threads; ++t) {
            threads_.emplace_back([this](std::stop_token stop) { work(stop); });
        }
    }
    // Every thread is asked to stop before the first is joined.
    ~Pool() {
        for (std::jthread& t : threads_) {
            t.request_stop();
        }
    }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    BandsOutcome handOn(const BandSink& sink) {
        for (int k = 0; k < run_.bands; ++k) {
            int buffer = -1;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] {
                    return ready_[std::size_t(k)] >= 0 || abandoned_ || run_.cancelled();
                });
                buffer = ready_[std::size_t(k)];
                // A thread that could not compute its band (out of memory) ends the run here,
                // on the caller's thread, where the failure can be told.
                if (failure_) {
                    std::rethrow_exception(failure_);
                }
            }
            if (buffer < 0 || run_.cancelled()) {
                return BandsOutcome::Cancelled;
            }
            if (!sink(run_.firstRow(k), buffers_[std::size_t(buffer)])) {
                return BandsOutcome::SinkStopped;
            }
            {
                std::lock_guard lock(mutex_);
                free_.push_back(buffer);
            }
            changed_.notify_all();
            if (run_.options.progress) {
                run_.options.progress(run_.lastRow(k), run_.rows);
            }
        }
        return BandsOutcome::Finished;
    }

  private:
    void work(std::stop_token stop) {
        RowWork rowWork;
        for (;;) {
            int k = 0, buffer = 0;
            {
                std::unique_lock lock(mutex_);
                if (!changed_.wait(lock, stop,
                                   [&] { return next_ >= run_.bands || !free_.empty(); }) ||
                    next_ >= run_.bands) {
                    return;
                }
                k = next_++;
                buffer = free_.back();
                free_.pop_back();
            }
            if (run_.cancelled()) {
                {
                    std::lock_guard lock(mutex_);
                    abandoned_ = true;
                }
                changed_.notify_all();
                return;
            }
            try {
                run_.rectifier.fill(run_.firstRow(k), run_.lastRow(k), rowWork,
                                    buffers_[std::size_t(buffer)]);
            } catch (...) {
                {
                    std::lock_guard lock(mutex_);
                    failure_ = std::current_exception();
                    abandoned_ = true;
                }
                changed_.notify_all();
                return;
            }
            {
                std::lock_guard lock(mutex_);
                ready_[std::size_t(k)] = buffer;
            }
            changed_.notify_all();
        }
    }

    const Run& run_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::vector<ColourImage> buffers_;
    std::vector<int> free_;              // buffers no band holds
    std::vector<int> ready_;             // the buffer holding each finished band, −1 before
    int next_ = 0;                       // the next band a thread takes
    bool abandoned_ = false;             // a thread saw the cancel and took no more bands
    std::exception_ptr failure_;         // what stopped a thread, to be thrown on the caller's
    std::vector<std::jthread> threads_;  // last: joined before the rest goes
};

}  // namespace

BandsOutcome rectifyInBands(const BandRectifier& rectifier, const BandOptions& options,
                            const BandSink& sink) {
    Run run{rectifier, options};
    run.rows = std::max(0, rectifier.height());
    run.bandRows = bandRowsFor(rectifier, options);
    run.bands = (run.rows + run.bandRows - 1) / run.bandRows;
    const int threads = std::min(threadsFor(options), std::max(1, run.bands));
    if (threads == 1) {
        return oneThread(run, sink);
    }
    Pool pool(run, threads, bandsInFlight(options));
    return pool.handOn(sink);
}

}  // namespace vesta
