// Calls back each time a widget receives events of one type, as the tests watch what the window
// did at a moment of its own (shown, painted).
#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <functional>
#include <utility>

namespace vesta::test {

class OnEvent : public QObject {
  public:
    OnEvent(QWidget* widget, QEvent::Type type, std::function<void()> call)
        : type_(type), call_(std::move(call)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) {
            call_();
        }
        return false;
    }

  private:
    QEvent::Type type_;
    std::function<void()> call_;
};

}  // namespace vesta::test
