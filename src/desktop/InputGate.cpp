#include "desktop/InputGate.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace vesta::desktop {

InputGate::InputGate(Window window, QObject* parent) : QObject(parent), window_(std::move(window)) {
    QCoreApplication::instance()->installEventFilter(this);
}

bool InputGate::eventFilter(QObject* watched, QEvent* event) {
    // A window hands its keys and clicks on to a widget, where they are judged: the widget is
    // the one that knows whether it is Canc.
    const bool widget = watched->isWidgetType();
    const QEvent::Type type = event->type();
    if (!dropAll_ && !window_.computing()) {
        if (type == QEvent::MouseButtonRelease && widget &&
            (droppedPresses_ & static_cast<QMouseEvent*>(event)->button())) {
            droppedPresses_ &= ~static_cast<QMouseEvent*>(event)->button();
            return true;
        }
        cancelPressed_ = false;
        return false;
    }
    switch (type) {
        case QEvent::Shortcut:
            // Ctrl+C reaches its menu item as a shortcut; every other shortcut stops here.
            return !(watched == window_.cancelAction && cancelOpen());
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            return widget;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            if (!widget) {
                return false;
            }
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (type == QEvent::MouseButtonPress && watched == window_.cancelButton &&
                mouse->button() == Qt::LeftButton && cancelOpen()) {
                cancelPressed_ = true;
                return false;
            }
            droppedPresses_ |= mouse->button();
            return true;
        }
        case QEvent::MouseButtonRelease: {
            if (!widget) {
                return false;
            }
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (watched == window_.cancelButton && cancelPressed_ &&
                mouse->button() == Qt::LeftButton) {
                cancelPressed_ = false;
                return false;
            }
            droppedPresses_ &= ~mouse->button();
            return true;
        }
        default:
            return false;
    }
}

}  // namespace vesta::desktop
