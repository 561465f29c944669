// The platform of a run without a window: pictures that draw nothing, dialogs that answer
// from the request, an event loop with nothing to run.
#pragma once

#include <string>
#include <vector>

#include "state/Context.h"

namespace vesta {

class BlindPicture : public PictureArea {
  public:
    void setPicture(const IndexedImage&) override {}
    void setPicture(const ColourImage&) override {}
    void refresh() override {}
    bool shown() const override { return keep; }
    // The result is kept in memory, as a window keeps the one it shows: a result to be turned
    // before it is written needs it whole.
    bool keep = false;

  protected:
    void drawLine(float, float, float, float, Rgb, DrawMode) override {}
    void drawBox(float, float, float, float, Rgb, DrawMode) override {}
    void drawCircle(float, float, float, Rgb, DrawMode) override {}
};

// Answers the Open dialog with the input and cancels everything else. The messages the
// procedures show are kept, so that a refused step can say why; whether a step was refused is
// read from the state it leaves, not from them.
class AnsweringDialogs : public Dialogs {
  public:
    explicit AnsweringDialogs(std::string input) : input_(std::move(input)) {}
    void messageBox(const std::string& text, const std::string&, MessageIcon) override {
        messages.push_back(text);
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&) override {
        return input_;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void showHelp(const std::string&) override {}
    bool confirm(const std::string&, const std::string&) override { return false; }
    SaveChoice askToSave(const std::string&, const std::string&) override {
        return SaveChoice::Cancel;
    }
    bool printWindow() override { return false; }
    bool printAtScale(const ScalePrintJob&) override { return false; }

    std::vector<std::string> messages;

  private:
    std::string input_;
};

class QuietEventLoop : public EventLoop {
  public:
    void yield() override {}
    void beep() override {}
    void terminate() override {}
};

}  // namespace vesta
