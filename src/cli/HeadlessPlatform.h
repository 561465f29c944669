// The platform of a run without a window: pictures that draw nothing, dialogs that answer
// from the request, an event loop with nothing to run.
#pragma once

#include <deque>
#include <string>

#include "state/Context.h"

namespace vesta {

class BlindPicture : public PictureArea {
  public:
    void setPicture(const IndexedImage&) override {}
    void refresh() override {}
    bool shown() const override { return false; }

  protected:
    void drawLine(float, float, float, float, Rgb, DrawMode) override {}
    void drawBox(float, float, float, float, Rgb, DrawMode) override {}
    void drawCircle(float, float, float, Rgb, DrawMode) override {}
};

// Answers the Open dialog with the input, cancels everything else, and keeps the first
// message the procedures wanted to show: in a batch run any message is a refusal.
class AnsweringDialogs : public Dialogs {
  public:
    explicit AnsweringDialogs(std::string input) : input_(std::move(input)) {}
    void messageBox(const std::string& text, const std::string&, MessageIcon) override {
        if (message.empty()) {
            message = text;
        }
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
    bool printWindow() override { return false; }

    std::string message;

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
