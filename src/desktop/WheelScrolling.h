// The mouse wheel over a scrolled picture: it moves the picture's scroll bar, whose own value
// change then runs the bar's handler, so the bar and the picture always agree.
#pragma once

#include <QScrollBar>
#include <QWheelEvent>

namespace vesta::desktop {

// Moves `vertical` for a turn of the wheel, `horizontal` for a turn with Shift held or for a
// sideways wheel, by the system's lines per notch times the bar's small step. A hidden bar
// (the picture fits on that side) does not move. Returns whether a bar took the turn.
bool scrollWithWheel(const QWheelEvent& event, QScrollBar* vertical, QScrollBar* horizontal);

}  // namespace vesta::desktop
