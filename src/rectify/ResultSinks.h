// The two places a result's rows go: the scratch bitmap of a palette result, and the scratch
// file of a grey or colour one in the format formatoRisultato names.
#pragma once

#include <memory>
#include <string>

#include "codec/RowWriter.h"
#include "rectify/RowDriver.h"
#include "state/ColourImage.h"
#include "state/IndexedImage.h"

namespace vesta {

// A palette result into `scratch`, already created empty: the photograph's header and palette,
// then the rows at their places. Null when the file cannot be opened.
std::unique_ptr<ResultSink> paletteFileSink(const std::string& scratch, const HeaderBlock& header,
                                            const PaletteBlock& palette, int width, int height);

// A grey or colour result of the given shape into `scratch`, already created empty, in the
// format `formatPath`'s extension names, with the photograph's colour profile; when `keep`, the
// whole result is gathered in memory as well (for Picture2), taken by keptResult() after
// finish(). Null when the file or its encoder cannot be opened.
class ColourFileSink : public ResultSink {
  public:
    static std::unique_ptr<ColourFileSink> open(const std::string& scratch,
                                                const std::string& formatPath,
                                                const ColourImage& shape, bool keep);
    ~ColourFileSink() override;

    bool put(int firstRow, const ColourImage& band) override;
    bool finish() override;
    RowsOutcome failure() const override;
    ColourImage keptResult() { return std::move(shown_); }

  private:
    ColourFileSink() = default;

    int fd_ = -1;
    std::unique_ptr<RowWriter> writer_;
    ColourImage shown_;
    bool keep_ = false;
};

}  // namespace vesta
