// The rectification of a grey or colour photograph: the same construction as the palette
// road, computed in bands of rows on every core and streamed into the scratch file, whose
// format is the working state's formatoRisultato.
#pragma once

#include <memory>

#include "rectify/Bands.h"
#include "rectify/RowRectifier.h"
#include "state/Context.h"

namespace vesta {

enum class ColourRows { Written, WriteFailed, AnotherPhotograph, OutOfMemory };

// Writes the result into the scratch file `scratch`, already created empty. Between bands the
// event loop runs: a cancel (interrompi) stops the computing and leaves the rows not computed
// black; an Open meanwhile stops it too and the result is not this construction's. Where
// Picture2 is seen, the result is kept in risultatoColori as well.
ColourRows rectifyColour(Context& ctx, const RectifyInputs& in, const std::string& scratch);

// The same for the rows any rectifier of `photograph` (the working state's fotoColori as the
// computing starts) gives.
ColourRows rectifyColourBands(Context& ctx, const BandRectifier& rectifier,
                              const std::shared_ptr<const ColourImage>& photograph,
                              const std::string& scratch);

// The interpolation menu item: bilinear on or off, for the next rectification of a grey or
// colour photograph.
void bilineare_Click(Context& ctx);

}  // namespace vesta
