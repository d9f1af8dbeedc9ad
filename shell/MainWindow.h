#pragma once
// TMainWindow: what the program's entry point and its unattended runs ask of the main window.
// The window itself (TMainForm) is built by CreateMainWindow; nothing outside it needs its
// controls or its header.
#include <QString>
#include <memory>

class QSessionManager;
class QWidget;

namespace orb {

class TPaintPage;

class TMainWindow {
public:
    virtual ~TMainWindow() = default;

    virtual QWidget& Widget() = 0;
    // Whether creation succeeded: false when the screen is below the minimum size
    // (the caller ends the process with exit code 1).
    virtual bool Created() const = 0;
    // The window is fully created and not yet closing.
    virtual bool MainFormReady() const = 0;
    // Activation by a second instance.
    virtual void Activate() = 0;
    // A session that ends: the change prompt when the session allows it, else a changed
    // drawing is kept in the user's folder.
    virtual void SessionEnding(QSessionManager& manager) = 0;
    // The sound button pressed down without starting the music: showing the window, which
    // toggles it, leaves the program silent.
    virtual void Silence() = 0;
    // Shows a page ("Main", "History", "Paint") the way a user gets there: "History" and
    // "Paint" through their menu choices, so the lists and the first drawing load.
    virtual void GoToPage(const QString& page) = 0;
    virtual TPaintPage& PaintingPage() = 0;
    // A drawing kept by an earlier run that did not end normally: offered for restoring with
    // the Yes/No dialog ("Ja" shows it on the paint page as a changed drawing, "Nee" removes
    // it).
    virtual void OfferRecovery() = 0;
};

// Builds the program's main window.
std::unique_ptr<TMainWindow> CreateMainWindow();

}  // namespace orb
