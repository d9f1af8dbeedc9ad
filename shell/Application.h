#pragma once
// TApplication: the program's application object. A failure that reaches the message loop
// from any handler is shown to the user in a message box with its text, and the program goes
// on with the next event.
#include <QApplication>

#include "platform/Failure.h"

namespace orb {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;
    bool notify(QObject* receiver, QEvent* event) override;
    // The message box of a failure: its text, the program's name as caption.
    static void ShowFailure(const QString& text);
    // What a lower layer returned as failed: each of its messages in its own box, in order
    // (a silent failure shows nothing).
    static void ShowFailure(const TFailure& failure);
};

}  // namespace orb
