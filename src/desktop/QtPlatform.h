// The platform services with Qt: message and input boxes, file dialogs, help, the event loop.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QPrinter>
#include <QWidget>
#include <functional>
#include <map>
#include <thread>

#include "desktop/HelpViewer.h"
#include "state/Platform.h"

namespace vesta::desktop {

class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    std::optional<std::string> inputBox(const std::string& prompt,
                                        const std::string& title) override;
    std::optional<std::string> inputBoxHolding(const std::string& prompt, const std::string& title,
                                               const std::string& initial) override;
    std::optional<std::string> openFile(const std::string& folder,
                                        const std::string& pattern) override;
    std::optional<std::string> saveFile(const std::string& folder,
                                        const std::string& pattern) override;
    void showHelp(const std::string& path) override;
    bool confirm(const std::string& text, const std::string& title) override;
    SaveChoice askToSave(const std::string& text, const std::string& title) override;
    std::optional<std::string> chooseOrType(const std::string& prompt, const std::string& title,
                                            const std::vector<std::string>& choices,
                                            const std::string& initial) override;
    bool printWindow() override;
    bool printAtScale(const ScalePrintJob& job) override;

  protected:
    // Lets the user choose the printer; the real one shows the Print dialog.
    virtual bool choosePrinter(QPrinter& printer);

  private:
    QWidget* parent_;
    QPointer<HelpViewer> help_;
};

class QtEventLoop : public EventLoop {
  public:
    QtEventLoop() = default;
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;
    // Waits for work still running; what it made is not delivered.
    ~QtEventLoop() override;
    // Called before events are let through, at most every few tens of milliseconds, so the
    // window can show the progress of a long computation.
    void onYield(std::function<void()> show) { show_ = std::move(show); }
    void yield() override;
    void beep() override;
    // Closes every window; from inside a running computation the process ends on the spot,
    // since the loop would otherwise carry on to its end before the program could stop.
    void terminate() override;
    // Finished work is handed to `run`, which runs its `done` as a procedure of the window (so
    // what it changed is shown); without it `done` is called alone.
    void onFinish(std::function<void(std::function<void()>)> run) { finish_ = std::move(run); }
    // `work` on a thread of its own; `done` later, from the event loop, on this thread. A thread
    // that cannot be started does both here, in order.
    void inBackground(std::function<void()> work, std::function<void()> done) override;
    // Steps posted as finished work is, so they reach the window before the work's `done`.
    std::function<void(std::function<void()>)> meanwhile() override;

  private:
    std::function<void(std::function<void()>)> finish_;
    QObject receiver_;  // where finished work is posted; what is posted goes with it
    std::map<int, std::thread> workers_;
    int lastWorker_ = 0;
    int yieldDepth_ = 0;
    std::function<void()> show_;
    QElapsedTimer sinceShown_;
};

// The screen as Qt sees it, in twips.
ScreenInfo primaryScreenInfo();

// The user's decimal separator, from the system's locale.
char systemDecimalSeparator();

}  // namespace vesta::desktop
