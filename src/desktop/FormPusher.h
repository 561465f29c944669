// Builds a widget for every control and an action for every menu item of the form model, and
// pushes the model onto them after each event.
#pragma once

#include <QAction>
#include <QMenuBar>
#include <QWidget>
#include <map>
#include <string>

#include "state/FormModel.h"

namespace vesta::desktop {

class CanvasPicture;

class FormPusher {
  public:
    // Creates the widgets inside `client` and the menus on `bar`. `picture1` and `picture2` are
    // the canvases the two picture areas show.
    void build(const FormModel& form, QWidget* client, QMenuBar* bar, CanvasPicture& picture1,
               CanvasPicture& picture2);
    // Makes every widget and action show what the model says.
    void push(const FormModel& form, QWidget* window, QWidget* client);

    QWidget* widget(const std::string& name) const;
    QAction* action(const std::string& name) const;

  private:
    std::map<std::string, QWidget*> widgets_;
    std::map<std::string, QAction*> actions_;
};

}  // namespace vesta::desktop
