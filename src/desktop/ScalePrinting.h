// The rectified image on the printer at a scale: each sheet as the core's layout gives it,
// with the photograph's name, the scale and the scale bar at its foot.
#pragma once

#include <QPrinter>
#include <string>

#include "state/ScalePrintJob.h"

namespace vesta::desktop {

// Prints the job on a printer already chosen. False with the Italian reason when the layout is
// refused (sheet too small, too many sheets) or the printer fails.
bool printSheets(QPrinter& printer, const ScalePrintJob& job, std::string& reason);

}  // namespace vesta::desktop
