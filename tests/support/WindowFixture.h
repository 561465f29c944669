// The real main window, 1024 x 768 on a 1024 x 768 screen, with scripted dialogs and a scratch
// folder of its own: the shell's tests start from here.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "Fakes.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"

namespace vesta::test {

class WindowTest : public ::testing::Test {
  protected:
    explicit WindowTest(char decimalSeparator = '.')
        : window({dialogs, events,
                  Paths{VESTA_SAMPLES_DIR "/..", scratch.path().string(), scratch.path().string()},
                  screen1024x768(), decimalSeparator}) {
        window.resize(1024, 768);
        window.show();
    }
    void choose(const char* item) { window.menuAction(item)->trigger(); }
    void openFile(const std::string& path) {
        dialogs.openAnswers.push_back(path);
        choose("open");
    }

    TempDir scratch;
    ScriptedDialogs dialogs;
    CountingEventLoop events;
    desktop::MainWindow window;
};

}  // namespace vesta::test
