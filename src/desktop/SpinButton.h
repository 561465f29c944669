// A spin button: an up arrow and a down arrow, nothing else. Holding an arrow repeats it.
#pragma once

#include <QToolButton>
#include <QWidget>

namespace vesta::desktop {

class SpinButton : public QWidget {
    Q_OBJECT
  public:
    explicit SpinButton(QWidget* parent);
    QToolButton* upArrow() const { return up_; }
    QToolButton* downArrow() const { return down_; }

  signals:
    void spinUp();
    void spinDown();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace vesta::desktop
