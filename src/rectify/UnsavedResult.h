// Before a completed result that was never saved would go (Exit, closing the window, another
// photograph): the user is asked, as desktop programs ask, whether to save it first.
#pragma once

#include "state/Context.h"

namespace vesta {

// What the user is about to do that would throw the result away.
enum class Leaving { Exit, AnotherPhotograph };

// True when the caller may go on: nothing unsaved, saved now ("Salva"), or not to be saved
// ("Non salvare"). False, with everything as it was, for "Annulla" and for a save that was
// cancelled or failed. Nothing is asked while rows are computed or after a save.
bool resultMayGo(Context& ctx, Leaving leaving);

}  // namespace vesta
