#include "desktop/WheelScrolling.h"

#include <QApplication>
#include <cmath>

namespace vesta::desktop {

bool scrollWithWheel(const QWheelEvent& event, QScrollBar* vertical, QScrollBar* horizontal) {
    const QPoint delta = event.angleDelta();
    const bool sideways =
        (event.modifiers() & Qt::ShiftModifier) || (delta.y() == 0 && delta.x() != 0);
    const int turn = delta.y() != 0 ? delta.y() : delta.x();
    QScrollBar* bar = sideways ? horizontal : vertical;
    if (!bar || !bar->isVisible() || turn == 0) {
        return false;
    }
    // 120 is one notch; a fine-grained wheel sends parts of it, each moving at least one step.
    const double notches = turn / 120.0;
    long move = std::lround(notches * QApplication::wheelScrollLines() * bar->singleStep());
    if (move == 0) {
        move = turn > 0 ? 1 : -1;
    }
    // Turning the wheel away from the user shows what lies above (or to the left).
    bar->setValue(int(bar->value() - move));
    return true;
}

}  // namespace vesta::desktop
