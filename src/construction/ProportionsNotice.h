// How sure the proportions of the construction on show are: worked out after each
// construction, shown under the output size, and a warning when they are not sure enough.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geometry/Uncertainty.h"
#include "state/Context.h"

namespace vesta {

// Above this relative spread of the width:height ratio the user is warned.
inline constexpr double kUncertainAspect = 0.02;

// "±3,2%" (with the user's decimal separator) or "indeterminato".
std::string aspectText(double aspectSigma, bool indeterminate, char decimalSeparator);

// Works out the uncertainty of the construction the working state holds, keeps it in the
// state, shows it in the panel and, once for each set of lines and principal point, warns when
// it is above kUncertainAspect or indeterminate. Never refuses anything.
void showProportionUncertainty(Context& ctx);

// The bend fitted to the lines, whose own error the figure counts; a typed coefficient or a
// database's calibration is the user's choice, taken as exact: nothing then.
std::optional<FittedBend> fittedBend(const WorkingState& s);

// The principal distance the user's focal length gives the photograph on show, if any.
std::optional<double> givenDistance(const Context& ctx);

// The lines and principal point of the construction on show, as one list of numbers: a
// warning or question about a construction is not repeated for the same one.
std::vector<double> constructionKey(const WorkingState& s);

// Keeps the result's width:height uncertainty and shows its figure on the panel, in red above
// kUncertainAspect or when it cannot be told; true when it is sure enough.
bool showAspectUncertainty(Context& ctx, double aspectSigma, bool indeterminate);

// Forgets the figure: no construction is on show.
void clearProportionUncertainty(Context& ctx);

}  // namespace vesta
