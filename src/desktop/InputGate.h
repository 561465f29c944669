// The window's input while rows are computed or a photograph is read. The rectification lets
// events through once per row or band so that Canc. can stop it; everything else the user sends
// meanwhile (keys, shortcuts, clicks, the wheel) is dropped, not kept for later, and the cancel
// passes once. While a photograph is read nothing passes: the window is drawn and may be
// closed, and nothing acts on the photograph about to go.
#pragma once

#include <QAction>
#include <QObject>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "state/Platform.h"

namespace vesta::desktop {

class InputGate : public QObject {
    Q_OBJECT
  public:
    struct Window {
        std::function<bool()> computing;  // rows are being computed, or a photograph read
        std::function<bool()> cancelled;  // a cancel reached the computation already
        QWidget* cancelButton;            // Canc.
        QAction* cancelAction;            // the menu item whose shortcut is Ctrl+C
    };
    // Watches every event of the application from now on.
    explicit InputGate(Window window, QObject* parent = nullptr);

    // While set, every input is dropped, a cancel too: for the input sent during a computation
    // that reaches the window only after it ended.
    void dropAll(bool on) { dropAll_ = on; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool cancelOpen() const { return !dropAll_ && !window_.cancelled(); }

    Window window_;
    bool dropAll_ = false;
    bool cancelPressed_ = false;
    Qt::MouseButtons droppedPresses_;  // their releases go the same way, however late
};

// The procedures' event loop, counting its yields: a procedure during which the count moved
// computed rows.
class CountedYields : public EventLoop {
  public:
    explicit CountedYields(EventLoop& loop) : loop_(loop) {}
    void yield() override {
        ++count_;
        loop_.yield();
    }
    void beep() override { loop_.beep(); }
    void terminate() override { loop_.terminate(); }
    // The window takes the tasks and runs them once it has painted what the procedure left.
    void whenShown(std::function<void()> task) override { shownTasks_.push_back(std::move(task)); }
    void inBackground(std::function<void()> work, std::function<void()> done) override {
        loop_.inBackground(std::move(work), std::move(done));
    }
    std::function<void(std::function<void()>)> meanwhile() override { return loop_.meanwhile(); }
    long count() const { return count_; }
    std::vector<std::function<void()>> takeShownTasks() { return std::exchange(shownTasks_, {}); }

  private:
    EventLoop& loop_;
    long count_ = 0;
    std::vector<std::function<void()>> shownTasks_;
};

}  // namespace vesta::desktop
