#include "shell/Application.h"

#include <new>

#include "platform/Failure.h"
#include "platform/Outward.h"
#include "shell/LangState.h"
#include "shell/LanguageTexts.h"
#include "shell/MsgDlg.h"

namespace orb {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    SetMessagePresenter(ShowMessageBox);
}

TApplication::~TApplication() { SetMessagePresenter(nullptr); }

void TApplication::ShowFailure(const QString& text) {
    Out().Message(text, "Orbelle", MessageKind::Error);
}

void TApplication::ShowFailure(const TFailure& failure) {
    for (const TFailureNote& n : failure.Notes())
        Out().Message(n.Tag ? GetLangText(n.Tag, "MainForm", LngFileName(), n.Text) : n.Text,
                      n.Caption, n.Kind);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const EOrbelleError& e) {
        ShowFailure(e.Text());
    } catch (const std::bad_alloc&) {
        ShowFailure(GetLangText(5025, "MainForm", LngFileName(), "Onvoldoende geheugen."));
    } catch (const std::exception& e) {
        ShowFailure(QString::fromLocal8Bit(e.what()));
    }
    // The event counts as handled: the handler that failed has ended.
    return true;
}

}  // namespace orb
