// A simple window that shows the help page.
#pragma once

#include <QTextBrowser>
#include <QWidget>

namespace vesta::desktop {

class HelpViewer : public QWidget {
    Q_OBJECT
  public:
    explicit HelpViewer(QWidget* parent = nullptr);
    void showPage(const QString& path);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

}  // namespace vesta::desktop
