// Stand-ins for the platform in core tests: a picture area that records what is drawn, dialogs
// that answer from a script, an event loop that counts.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "BitmapBytes.h"
#include "state/Context.h"
#include "state/ScalePrintJob.h"
#include "ui/Startup.h"

namespace vesta::test {

struct DrawCall {
    std::string figure;  // "line", "box", "circle", "refresh", "picture"
    std::vector<float> at;
    Rgb colour;
    DrawMode mode;
};

class RecordingPicture : public PictureArea {
  public:
    void setPicture(const IndexedImage& image) override { shows(image.width, image.height); }
    void setPicture(const ColourImage& image) override { shows(image.width, image.height); }
    void refresh() override { calls.push_back({"refresh", {}, {}, drawMode()}); }

    std::vector<DrawCall> calls;
    int width = 0;
    int height = 0;

  protected:
    void shows(int w, int h) {
        width = w;
        height = h;
        calls.push_back({"picture", {float(w), float(h)}, {}, drawMode()});
    }
    void drawLine(float x1, float y1, float x2, float y2, Rgb c, DrawMode m) override {
        calls.push_back({"line", {x1, y1, x2, y2}, c, m});
    }
    void drawBox(float x1, float y1, float x2, float y2, Rgb c, DrawMode m) override {
        calls.push_back({"box", {x1, y1, x2, y2}, c, m});
    }
    void drawCircle(float cx, float cy, float r, Rgb c, DrawMode m) override {
        calls.push_back({"circle", {cx, cy, r}, c, m});
    }
};

struct Message {
    std::string text;
    std::string title;
};

class ScriptedDialogs : public Dialogs {
  public:
    void messageBox(const std::string& text, const std::string& title, MessageIcon) override {
        messages.push_back({text, title});
    }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string&) override {
        prompts.push_back(prompt);
        return next(inputs);
    }
    std::optional<std::string> inputBoxHolding(const std::string& prompt, const std::string& title,
                                               const std::string& initial) override {
        initials.push_back(initial);
        return inputBox(prompt, title);
    }
    std::optional<std::string> openFile(const std::string&, const std::string&) override {
        return next(openAnswers);
    }
    std::optional<std::string> saveFile(const std::string& folder, const std::string&) override {
        saveFolders.push_back(folder);
        return next(saveAnswers);
    }
    void showHelp(const std::string& path) override { helpShown.push_back(path); }
    bool confirm(const std::string& text, const std::string&) override {
        questions.push_back(text);
        return confirmAnswer;
    }
    SaveChoice askToSave(const std::string& text, const std::string&) override {
        saveQuestions.push_back(text);
        return saveChoice;
    }
    bool printWindow() override { return true; }
    bool printAtScale(const ScalePrintJob&) override { return true; }

    // Answers in order; an empty optional stands for Cancel.
    std::deque<std::optional<std::string>> openAnswers, saveAnswers, inputs;
    std::vector<std::string> saveFolders;  // where each Save dialog opened
    std::vector<Message> messages;
    std::vector<std::string> prompts, helpShown, questions;
    std::vector<std::string> initials;  // what each input box that holds a text opened with
    bool confirmAnswer = true;
    // Before unsaved work would go: what was asked, and the answer.
    std::vector<std::string> saveQuestions;
    SaveChoice saveChoice = SaveChoice::DontSave;

  private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class CountingEventLoop : public EventLoop {
  public:
    void yield() override {
        ++yields;
        if (duringYield) {
            duringYield(yields);
        }
    }
    // What the user does while a long computation lets events through.
    std::function<void(int)> duringYield;
    void beep() override { ++beeps; }
    void terminate() override { ++terminations; }
    int yields = 0, beeps = 0, terminations = 0;
};

// A context with fakes; its scratch and documents folder is a fresh temporary one.
struct FakeApp {
    RecordingPicture picture1, picture2;
    ScriptedDialogs dialogs;
    CountingEventLoop events;
    TempDir folder;
    Context ctx{picture1, picture2, dialogs, events,
                Paths{"/opt/vesta/share/vesta", folder.path().string(), folder.path().string()}};
};

ScreenInfo screen1024x768();

// A test of the core procedures in a window loaded on a 1024 x 768 screen.
class AppTest : public ::testing::Test {
  protected:
    AppTest() { Form_Load(app.ctx, screen1024x768()); }
    FakeApp app;
    WorkingState& s = app.ctx.s;
    FormModel& f = app.ctx.form;
};

// A width x height palette bitmap written to the app's folder and opened with the Open command.
void openBitmap(FakeApp& app, int width, int height, const std::string& name = "foto.bmp");

// A press and release on the photograph; two of them make a line.
void click(Context& ctx, float x, float y);
void clickLine(Context& ctx, float x1, float y1, float x2, float y2);
// Two near-horizontal and two near-vertical lines on an 800 x 600 photograph: a sound
// construction.
void clickFourLines(Context& ctx);

}  // namespace vesta::test
