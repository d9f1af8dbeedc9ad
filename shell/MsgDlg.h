#pragma once
// TMessageDialog and AskYesNo: the program's borderless Yes/No question.
#include <QDialog>

#include "platform/Outward.h"  // MessageKind

class QLabel;

namespace orb {

class TBaseBtn;
class TBkControl;

class TMessageDialog : public QDialog {
    Q_OBJECT
public:
    explicit TMessageDialog(QWidget* parent = nullptr);

    TBkControl* Bk = nullptr;
    QLabel* HCaption = nullptr;
    QLabel* MsgDlgMsg = nullptr;
    TBaseBtn* YesBtn = nullptr;
    TBaseBtn* NoBtn = nullptr;

    // Fills in the texts; a button whose caption is empty is hidden.
    void Setup(const QString& title, const QString& message, const QString& yes,
               const QString& no);
    // Grows the dialog downwards until the message fits (within most of the screen), and
    // centres it again on the program's window.
    void FitMessage();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void ShapeAndPlace();
};

// A question of the program, its texts from the language file (the "MainForm" Tags), the
// Dutch texts the defaults; its buttons are "Ja" and "Nee".
struct TQuestion {
    int TitleTag;
    const char* Title;
    int TextTag;
    const char* Text;
};
// The change prompt, and the offer to restore a drawing after a run that did not end normally.
inline constexpr TQuestion kChangedQuestion{4217, "Mandala is veranderd!", 4218,
                                            "Wilt u de huidige mandala bewaren?"};
inline constexpr TQuestion kRestoreQuestion{
    5050, "Mandala herstellen?", 5051,
    "Orbelle werd niet normaal afgesloten. Wilt u de mandala terugzetten waaraan u aan het "
    "kleuren was?"};
// Asks it through AskYesNo; true for "Ja".
bool Ask(const TQuestion& q);
// Sets a dialog up as that question (for showing, or for a picture of it).
void PrepareQuestion(TMessageDialog& dialog, const TQuestion& q);

// Asks a question; true when the user chose yes (the button or Enter).
bool AskYesNo(const QString& title, const QString& message, const QString& yesCaption,
              const QString& noCaption);

// A message box in the program's look: the question dialog with one OK button, the caption
// and OK in the active language. The program shows every Message box through it.
void ShowMessageBox(const QString& text, const QString& caption, MessageKind kind);
// Sets a dialog up as that message box (for showing, or for a picture of it).
void PrepareMessageBox(TMessageDialog& dialog, const QString& text, const QString& caption);

// Styles a button as the dialogs' flat dark-blue buttons with the dotted orange outline.
void StyleDialogButton(TBaseBtn* b);

}  // namespace orb
