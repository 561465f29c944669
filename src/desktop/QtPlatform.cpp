#include "desktop/QtPlatform.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cstdlib>

#include "desktop/ScalePrinting.h"

namespace vesta::desktop {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QString filterFor(const std::string& pattern) {
    return "Immagini (" + q(pattern) + " " + q(pattern).toUpper() + ")";
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
    return inputBoxHolding(prompt, title, std::string());
}

std::optional<std::string> QtDialogs::inputBoxHolding(const std::string& prompt,
                                                      const std::string& title,
                                                      const std::string& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, q(title), q(prompt), QLineEdit::Normal, q(initial), &ok);
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
    // Replacing an existing file is asked by the save command itself, once.
    const QString chosen = QFileDialog::getSaveFileName(
        parent_, QString(), q(folder), filterFor(pattern), nullptr,
        QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
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

bool QtDialogs::confirm(const std::string& text, const std::string& title) {
    return QMessageBox::question(parent_, q(title), q(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

SaveChoice QtDialogs::askToSave(const std::string& text, const std::string& title) {
    QMessageBox box(parent_);
    box.setWindowTitle(q(title));
    box.setText(q(text));
    box.setIcon(QMessageBox::Warning);
    QPushButton* save = box.addButton("Salva", QMessageBox::AcceptRole);
    QPushButton* dontSave = box.addButton("Non salvare", QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton("Annulla", QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) {
        return SaveChoice::Save;
    }
    return box.clickedButton() == dontSave ? SaveChoice::DontSave : SaveChoice::Cancel;
}

bool QtDialogs::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::printWindow() {
    QPrinter printer(QPrinter::HighResolution);
    if (!parent_ || !choosePrinter(printer)) {
        return false;
    }
    const QPixmap window = parent_->grab();
    QPainter painter;
    bool printed = painter.begin(&printer);
    if (printed) {
        // The whole window on the page, as large as the page allows.
        const QRect page = painter.viewport();
        QSize size = window.size();
        size.scale(page.size(), Qt::KeepAspectRatio);
        painter.setViewport(page.x(), page.y(), size.width(), size.height());
        painter.setWindow(window.rect());
        painter.drawPixmap(0, 0, window);
        printed = painter.end();
    }
    if (!printed) {
        messageBox("La stampa non è riuscita: controllare la stampante scelta.", "STAMPA",
                   MessageIcon::Warning);
    }
    return printed;
}

std::optional<std::string> QtDialogs::chooseOrType(const std::string& prompt,
                                                   const std::string& title,
                                                   const std::vector<std::string>& choices,
                                                   const std::string& initial) {
    QStringList items;
    for (const std::string& c : choices) {
        items << q(c);
    }
    const int at = std::max(0, int(items.indexOf(q(initial))));
    bool ok = false;
    const QString text = QInputDialog::getItem(parent_, q(title), q(prompt), items, at, true, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text.toStdString();
}

bool QtDialogs::printAtScale(const ScalePrintJob& job) {
    QPrinter printer(QPrinter::HighResolution);
    if (!parent_ || !choosePrinter(printer)) {
        return false;
    }
    std::string reason;
    if (!printSheets(printer, job, reason)) {
        messageBox(reason, "STAMPA IN SCALA", MessageIcon::Warning);
        return false;
    }
    return true;
}

QtEventLoop::~QtEventLoop() {
    for (auto& [id, worker] : workers_) {
        worker.join();
    }
}

void QtEventLoop::inBackground(std::function<void()> work, std::function<void()> done) {
    const int id = ++lastWorker_;
    auto job = std::make_shared<std::pair<std::function<void()>, std::function<void()>>>(
        std::move(work), std::move(done));
    auto deliver = [this, id, job] {
        workers_.at(id).join();
        workers_.erase(id);
        if (finish_) {
            finish_(job->second);
        } else {
            job->second();
        }
    };
    try {
        workers_.emplace(id, std::thread([this, job, deliver] {
                             job->first();
                             QMetaObject::invokeMethod(&receiver_, deliver, Qt::QueuedConnection);
                         }));
    } catch (const std::system_error&) {
        job->first();
        job->second();
    }
}

std::function<void(std::function<void()>)> QtEventLoop::meanwhile() {
    return [this](std::function<void()> step) {
        QMetaObject::invokeMethod(
            &receiver_,
            [this, step = std::move(step)] {
                if (finish_) {
                    finish_(step);
                } else {
                    step();
                }
            },
            Qt::QueuedConnection);
    };
}

void QtEventLoop::yield() {
    if (show_ && (!sinceShown_.isValid() || sinceShown_.elapsed() >= 40)) {
        show_();
        sinceShown_.restart();
    }
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
