#include "desktop/FormPusher.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <utility>

#include "desktop/FontMapping.h"
#include "desktop/PictureWidget.h"
#include "desktop/SpinButton.h"
#include "state/Numbers.h"

namespace vesta::desktop {

namespace {

QColor qColour(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

int pixels(double value) {
    return int(roundHalfEven(value));
}

Qt::CursorShape cursorShape(MousePointer pointer) {
    switch (pointer) {
        case MousePointer::Cross:
            return Qt::CrossCursor;
        case MousePointer::Hourglass:
            return Qt::WaitCursor;
        case MousePointer::Default:
            break;
    }
    return Qt::ArrowCursor;
}

QWidget* makeWidget(const Control& c, QWidget* parent, CanvasPicture& picture1,
                    CanvasPicture& picture2) {
    switch (c.kind) {
        case ControlKind::Frame:
            return new QGroupBox(parent);
        case ControlKind::Button:
            return new QPushButton(parent);
        case ControlKind::TextBox: {
            // The boxes only show numbers: typing into them or taking the focus would swallow
            // keys meant for the window's shortcuts.
            auto* box = new QLineEdit(parent);
            box->setReadOnly(true);
            box->setFocusPolicy(Qt::NoFocus);
            return box;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(parent);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::Picture:
            return new PictureWidget(c.name == "Picture1" ? picture1 : picture2, parent);
        case ControlKind::VScrollBar:
            return new QScrollBar(Qt::Vertical, parent);
        case ControlKind::HScrollBar:
            return new QScrollBar(Qt::Horizontal, parent);
        case ControlKind::Spin:
            return new SpinButton(parent);
        case ControlKind::Window:
            break;
    }
    return new QWidget(parent);
}

// Fonts never change after the design, so they are set once.
void styleWidget(const Control& c, QWidget* w) {
    if (c.font) {
        w->setFont(qtFont(*c.font));
    }
    if (c.kind == ControlKind::Frame) {
        w->setAutoFillBackground(true);
    }
}

// Colours follow the form at every push: a figure turns red, or back, after the design.
// Only a colour that differs is set, so an unchanged control is not repainted.
void setColours(const Control& c, QWidget* w) {
    std::pair<QPalette::ColorRole, QColor> wanted[2];
    int n = 0;
    if (c.kind == ControlKind::Label || c.kind == ControlKind::Frame) {
        // A label without colours of its own keeps the system's, as the design leaves it.
        const QPalette system = QApplication::palette();
        wanted[n++] = {QPalette::Window,
                       c.background ? qColour(*c.background) : system.color(QPalette::Button)};
        wanted[n++] = {QPalette::WindowText,
                       c.foreground ? qColour(*c.foreground) : system.color(QPalette::WindowText)};
    } else if (c.kind == ControlKind::TextBox) {
        wanted[n++] = {QPalette::Base, qColour(c.background.value_or(colours::white))};
        wanted[n++] = {QPalette::Text, qColour(c.foreground.value_or(colours::black))};
    } else if (c.kind == ControlKind::Button && c.background) {
        wanted[n++] = {QPalette::Button, qColour(*c.background)};
    }
    // A label with no text is no box on the panel: the panel shows through it.
    if (c.kind == ControlKind::Label && w->autoFillBackground() == c.caption.empty()) {
        w->setAutoFillBackground(!c.caption.empty());
    }
    QPalette palette = w->palette();
    bool changed = false;
    for (int i = 0; i < n; ++i) {
        if (palette.color(wanted[i].first) != wanted[i].second) {
            palette.setColor(wanted[i].first, wanted[i].second);
            changed = true;
        }
    }
    if (changed) {
        w->setPalette(palette);
    }
}

void setCaption(QWidget* w, const std::string& caption) {
    const QString text = QString::fromStdString(caption);
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        if (button->text() != text) {
            button->setText(text);
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != text) {
            edit->setText(text);
            edit->setCursorPosition(0);
        }
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() != text) {
            label->setText(text);
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    }
}

void setScrollBar(QWidget* w, const Control& c) {
    auto* bar = qobject_cast<QScrollBar*>(w);
    if (!bar) {
        return;
    }
    const QSignalBlocker quiet(bar);
    bar->setRange(c.min, std::max(c.min, c.max));
    bar->setSingleStep(std::max(1, c.smallChange));
    bar->setPageStep(std::max(1, c.largeChange));
    bar->setValue(c.value);
}

}  // namespace

void FormPusher::build(const FormModel& form, QWidget* client, QMenuBar* bar,
                       CanvasPicture& picture1, CanvasPicture& picture2) {
    for (const Control* c : form.controls()) {
        QWidget* parent = c->container.empty() ? client : widgets_.at(c->container);
        QWidget* w = makeWidget(*c, parent, picture1, picture2);
        w->setObjectName(QString::fromStdString(c->name));
        styleWidget(*c, w);
        widgets_[c->name] = w;
    }
    std::map<std::string, QMenu*> menus;
    for (const MenuItem* m : form.menus()) {
        const QString caption = QString::fromStdString(m->caption);
        QAction* action = nullptr;
        if (m->parent.empty()) {
            QMenu* menu = bar->addMenu(caption);
            menus[m->name] = menu;
            action = menu->menuAction();
        } else {
            action = menus.at(m->parent)->addAction(caption);
            if (!m->shortcut.empty()) {
                action->setShortcut(QKeySequence(QString::fromStdString(m->shortcut)));
                action->setShortcutContext(Qt::ApplicationShortcut);
            }
            action->setCheckable(m->name == "frame_m" || m->checkable);
        }
        action->setObjectName(QString::fromStdString(m->name));
        actions_[m->name] = action;
    }
}

void FormPusher::push(const FormModel& form, QWidget* window, QWidget* client) {
    window->setWindowTitle(QString::fromStdString(form.caption));
    client->setCursor(cursorShape(form.pointer));

    std::vector<const Control*> byDepth = form.controls();
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [](const Control* a, const Control* b) { return a->zOrder < b->zOrder; });
    for (const Control* c : byDepth) {
        QWidget* w = widgets_.at(c->name);
        w->setGeometry(pixels(c->left), pixels(c->top), std::max(0, pixels(c->width)),
                       std::max(0, pixels(c->height)));
        setCaption(w, c->caption);
        setColours(*c, w);
        w->setToolTip(QString::fromStdString(c->tooltip));
        w->setEnabled(c->enabled);
        setScrollBar(w, *c);
        if (c->kind == ControlKind::Picture) {
            w->setCursor(cursorShape(c->pointer));
        }
        w->raise();
        w->setVisible(c->visible);
    }
    for (const MenuItem* m : form.menus()) {
        QAction* a = actions_.at(m->name);
        a->setText(QString::fromStdString(m->caption));
        a->setEnabled(m->enabled);
        a->setVisible(m->visible);
        if (a->isCheckable()) {
            a->setChecked(m->checked);
        }
    }
}

QWidget* FormPusher::widget(const std::string& name) const {
    auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second;
}

QAction* FormPusher::action(const std::string& name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

}  // namespace vesta::desktop
