// The clicks of a batch run replayed into the core, step by step as the user makes them in
// the window: open, lines, principal point, size, area, Raddrizza, turn.
#pragma once

#include <string>

#include "cli/BatchRequest.h"
#include "cli/HeadlessPlatform.h"
#include "codec/ColourFileWriter.h"

namespace vesta {

// Walks the road until the result is on show in `result`; nothing then, else the messages
// the refused step showed (the "impossible" prompt when it showed none). A colour photograph
// is refused when `format` (OUTPUT's, by its extension) is not one a colour file is written in.
std::optional<std::string> replayRoad(Context& ctx, const BatchRequest& request,
                                      AnsweringDialogs& dialogs, BlindPicture& result,
                                      const Result<ColourFileFormat>& format);

}  // namespace vesta
