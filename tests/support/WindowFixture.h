// The real main window, 1024 x 768 on a 1024 x 768 screen, with scripted dialogs and a scratch
// folder of its own: the shell's tests start from here.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include <algorithm>
#include <cmath>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "Fakes.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"

namespace vesta::test {

// Clicks in picture pixels on the rolled sample: the four lines of its notes.
constexpr int kSampleLines[8][2] = {{234, 174}, {615, 135}, {201, 352}, {602, 379},
                                    {163, 448}, {216, 174}, {635, 525}, {651, 129}};

// How many pixels differ between two grabs, all of them within 1.5 pixels of the segment a-b
// (in the grabs' own pixels): a band drawn once, its earlier positions gone; -1 if one is off it.
inline int changedAlong(const QImage& before, const QImage& after, QPointF a, QPointF b) {
    const QPointF d = b - a;
    int changed = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            const QPointF p = QPointF(x, y) - a;
            const QPointF off =
                p - std::clamp(QPointF::dotProduct(p, d) / QPointF::dotProduct(d, d), 0.0, 1.0) * d;
            if (after.pixel(x, y) != before.pixel(x, y) && std::hypot(off.x(), off.y()) >= 1.5) {
                return -1;
            }
            changed += after.pixel(x, y) != before.pixel(x, y);
        }
    }
    return changed;
}

// Whether vesta-rectify replays the construction kept beside a saved result to the same bytes.
inline bool replaysTo(const std::filesystem::path& saved) {
    std::filesystem::path again = saved;
    again.replace_filename("rifatta" + saved.extension().string());
    std::filesystem::path record = saved;
    record.replace_extension(".json");
    const std::string command = std::string(VESTA_RECTIFY) + " " + again.string() + " --from " +
                                record.string() + " > /dev/null";
    return std::system(command.c_str()) == 0 && readBytes(again) == readBytes(saved);
}

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
    void clickPhoto(int x, int y) {
        QTest::mouseClick(window.pictureWidget("Picture1"), Qt::LeftButton, {}, QPoint(x, y));
    }
    void clickSampleLines() {
        for (const auto& p : kSampleLines) {
            clickPhoto(p[0], p[1]);
        }
    }

    TempDir scratch;
    ScriptedDialogs dialogs;
    CountingEventLoop events;
    desktop::MainWindow window;
};

}  // namespace vesta::test
