// The design's Windows font names mapped to fonts this machine has.
#pragma once

#include <QFont>

#include "state/FormModel.h"

namespace vesta::desktop {

QFont qtFont(const Font& font);

}  // namespace vesta::desktop
