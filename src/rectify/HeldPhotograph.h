// The photograph a rectification reads, held for the whole run. The bands are computed on other
// threads while the event loop runs, and an Open there replaces the working state's photograph:
// a grey or colour one is shared (fotoColori), a palette one has its pixels lent by sorgente
// and given back at the end unless another photograph has taken its place.
#pragma once

#include <memory>

#include "state/ColourImage.h"
#include "state/IndexedImage.h"
#include "state/WorkingState.h"

namespace vesta {

class HeldPhotograph {
  public:
    explicit HeldPhotograph(WorkingState& s);
    ~HeldPhotograph();
    HeldPhotograph(const HeldPhotograph&) = delete;
    HeldPhotograph& operator=(const HeldPhotograph&) = delete;

    // One of the two: the palette photograph, or the grey or colour one.
    const IndexedImage* palette() const { return colour_ ? nullptr : &palette_; }
    const ColourImage* colour() const { return colour_.get(); }

    // Another photograph was opened since the hold began.
    bool replaced() const;

  private:
    WorkingState& s_;
    std::shared_ptr<const ColourImage> colour_;
    IndexedImage palette_;
};

}  // namespace vesta
