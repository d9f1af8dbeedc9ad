#pragma once
// TIntroForm: asks for the language before the main window opens.
#include <QDialog>

class QComboBox;
class QLabel;

namespace orb {

class TBkControl;

class TIntroForm : public QDialog {
    Q_OBJECT
public:
    explicit TIntroForm(QWidget* parent = nullptr);
    ~TIntroForm() override;

    QWidget* BackgroundPnl = nullptr;
    TBkControl* IntroFormImg = nullptr;
    QLabel* Text = nullptr;
    QComboBox* LingoLst = nullptr;

    // The user's choice: entry 0 or none gives 31, entry 1 gives 44; then it closes.
    void LingoLstChange(int index);
    // Only a choice closes the window: Esc and the window manager's close are refused.
    void reject() override;
    bool Chosen() const { return chosen_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    bool chosen_ = false;
};

// The intro window while it exists, else null.
TIntroForm* IntroForm();
inline bool IntroFormAlive() { return IntroForm() != nullptr; }

// Shows the intro window modally (or brings an existing one forward).
void ShowIntro();
// Frees the intro window once the main window is shown.
void FreeIntro();

}  // namespace orb
