#include "desktop/HelpViewer.h"

#include <QUrl>
#include <QVBoxLayout>

namespace vesta::desktop {

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setWindowTitle("Guida di VESTA");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setOpenExternalLinks(false);
    resize(640, 720);
}

void HelpViewer::showPage(const QString& path) {
    browser_->setSource(QUrl::fromLocalFile(path));
    show();
    raise();
    activateWindow();
}

}  // namespace vesta::desktop
