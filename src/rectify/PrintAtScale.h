// Printing the rectified image at an architectural scale, once the result's scale is known.
#pragma once

#include <optional>

#include "state/Context.h"

namespace vesta {

// Centimetres of the facade per pixel of the result on show, when known: fixed by Misura's
// reference pair on this result or by the known measures it was rectified with.
std::optional<double> resultScale(const Context& ctx);

// stampaScala_Click: asks the scale (1:20, 1:50, 1:100, 1:200 or typed, "1:75" or "75"),
// refuses anything else with a message, then prints the result at that scale.
void stampaScala_Click(Context& ctx);

}  // namespace vesta
