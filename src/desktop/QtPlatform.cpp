#include "desktop/QtPlatform.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <cstdlib>

namespace vesta::desktop {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QString filterFor(const std::string& pattern) {
    return "Immagini bitmap (" + q(pattern) + " " + q(pattern).toUpper() + ")";
}

}  // namespace

void QtDialogs::messageBox(const std::string& text, const std::string& title, MessageIcon icon) {
    QMessageBox box(parent_);
    box.setWindowTitle(q(title));
    box.setText(q(text));
    switch (icon) {
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::None:
            break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

std::optional<std::string> QtDialogs::inputBox(const std::string& prompt,
                                               const std::string& title) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, q(title), q(prompt), QLineEdit::Normal, QString(), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text.toStdString();
}

std::optional<std::string> QtDialogs::openFile(const std::string& folder,
                                               const std::string& pattern) {
    const QString chosen =
        QFileDialog::getOpenFileName(parent_, QString(), q(folder), filterFor(pattern), nullptr,
                                     QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

std::optional<std::string> QtDialogs::saveFile(const std::string& folder,
                                               const std::string& pattern) {
    const QString chosen =
        QFileDialog::getSaveFileName(parent_, QString(), q(folder), filterFor(pattern), nullptr,
                                     QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

void QtDialogs::showHelp(const std::string& path) {
    if (!help_) {
        help_ = new HelpViewer(parent_);
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_->showPage(q(path));
}

void QtEventLoop::yield() {
    ++yieldDepth_;
    QCoreApplication::processEvents();
    --yieldDepth_;
}

void QtEventLoop::beep() {
    QApplication::beep();
}

void QtEventLoop::terminate() {
    QApplication::closeAllWindows();
    if (yieldDepth_ > 0) {
        std::_Exit(0);
    }
    QCoreApplication::quit();
}

ScreenInfo primaryScreenInfo() {
    ScreenInfo info;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        info.widthTwips = 1024 * 15.0;
        info.heightTwips = 768 * 15.0;
        return info;
    }
    info.twipsPerPixelX = 1440.0 / screen->logicalDotsPerInchX();
    info.twipsPerPixelY = 1440.0 / screen->logicalDotsPerInchY();
    info.widthTwips = screen->geometry().width() * info.twipsPerPixelX;
    info.heightTwips = screen->geometry().height() * info.twipsPerPixelY;
    return info;
}

char systemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 128 ? char(point[0].unicode()) : '.';
}

}  // namespace vesta::desktop
