#pragma once
// TMessageDialog and AskYesNo: the program's borderless Yes/No question.
#include <QDialog>

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

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

// Asks a question; true when the user chose yes (the button or Enter).
bool AskYesNo(const QString& title, const QString& message, const QString& yesCaption,
              const QString& noCaption);

// Styles a button as the dialogs' flat dark-blue buttons with the dotted orange outline.
void StyleDialogButton(TBaseBtn* b);

}  // namespace orb
