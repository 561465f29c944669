// The platform services the procedures talk through. The desktop shell implements them with
// Qt; tests script them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vesta {

struct ScalePrintJob;

enum class MessageIcon { None, Information, Warning, Critical };

// The answers to the question asked before unsaved work would go.
enum class SaveChoice { Save, DontSave, Cancel };

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A modal message box with an OK button; returns when the user closes it.
    virtual void messageBox(const std::string& text, const std::string& title,
                            MessageIcon icon) = 0;
    // A modal input box; the typed text, or nothing when cancelled.
    virtual std::optional<std::string> inputBox(const std::string& prompt,
                                                const std::string& title) = 0;
    // The same with the field holding `initial`, so that Enter keeps it.
    virtual std::optional<std::string> inputBoxHolding(const std::string& prompt,
                                                       const std::string& title,
                                                       const std::string& initial) {
        (void)initial;
        return inputBox(prompt, title);
    }
    // The same with a list to choose from; the field holds `initial` and may be typed over.
    virtual std::optional<std::string> chooseOrType(const std::string& prompt,
                                                    const std::string& title,
                                                    const std::vector<std::string>& choices,
                                                    const std::string& initial) {
        (void)choices;
        return inputBoxHolding(prompt, title, initial);
    }
    // The Open dialog, starting in `folder` with the name pattern `pattern`; the chosen path,
    // or nothing when the user cancelled or picked nothing.
    virtual std::optional<std::string> openFile(const std::string& folder,
                                                const std::string& pattern) = 0;
    // The Save dialog; the chosen path or nothing.
    virtual std::optional<std::string> saveFile(const std::string& folder,
                                                const std::string& pattern) = 0;
    // Shows a help page in a viewer window (not modal).
    virtual void showHelp(const std::string& path) = 0;
    // A modal question with Yes and No; true for Yes.
    virtual bool confirm(const std::string& text, const std::string& title) = 0;
    // A modal question about unsaved work, with the buttons Salva, Non salvare and Annulla;
    // closing it answers Annulla.
    virtual SaveChoice askToSave(const std::string& text, const std::string& title) = 0;
    // The Print dialog, once; prints an image of the main window only when the user confirms.
    // False when cancelled or when the printer failed.
    virtual bool printWindow() = 0;
    // The Print dialog, once; prints the job's image at its scale over as many sheets as it
    // takes, only when the user confirms. False when cancelled or refused or when the printer
    // failed (the user is told why).
    virtual bool printAtScale(const ScalePrintJob& job) = 0;
};

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // Lets pending events run (the rectification does this once per output row).
    virtual void yield() = 0;
    virtual void beep() = 0;
    // Ends the program at once: every window closes, nothing is asked or saved.
    virtual void terminate() = 0;
    // Runs `task` once what the procedure changed is on the screen, so a question about the
    // new picture is asked over it, not over the old one. Without a screen, at once.
    virtual void whenShown(std::function<void()> task) { task(); }
    // Runs `work` away from the window's thread, then `done` on it as a procedure of the
    // window, so the window stays drawn and answers meanwhile. `work` touches nothing of the
    // window; what it makes it hands to `done`. Without a window (the batch tool, the tests)
    // both run at once, in order.
    virtual void inBackground(std::function<void()> work, std::function<void()> done) {
        work();
        done();
    }
    // Where inBackground's work runs while the window is drawn, a way for the work to show a
    // first sight of what it makes: called on the work's threads, it runs its step on the
    // window's thread as a procedure of the window, before the work's `done`. Empty elsewhere.
    virtual std::function<void(std::function<void()>)> meanwhile() { return {}; }
};

// The screen as read at start-up.
struct ScreenInfo {
    double widthTwips = 0;
    double heightTwips = 0;
    double twipsPerPixelX = 15;  // 1440 / dots per inch
    double twipsPerPixelY = 15;
};

// Where the program's files live. The installation folder holds the samples and the help page
// and is not writable; the scratch bitmap of the rectified image lives in a per-user folder,
// under a name of the window's own (the window names it after its process); the Save dialog
// starts where the user keeps documents.
struct Paths {
    std::string installDir;
    std::string scratchDir;
    std::string documentsDir;
    std::string scratchName = "vesta.bmp";
    std::string samplesDir() const { return installDir + "/samples"; }
    std::string helpFile() const { return installDir + "/help/vesta300.html"; }
    std::string scratchFile() const { return scratchDir + "/" + scratchName; }
    // The latest construction of each photograph whose own folder cannot take it.
    std::string recordsDir() const { return scratchDir + "/costruzioni"; }
};

}  // namespace vesta
