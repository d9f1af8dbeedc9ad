#pragma once
// TApplication: the program's application object. A failure that reaches the message loop
// from any handler is shown to the user in a message box with its text, and the program goes
// on with the next event.
#include <QApplication>

namespace orb {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // The message box of a failure: its text, the program's name as caption.
    static void ShowFailure(const QString& text);
};

}  // namespace orb
