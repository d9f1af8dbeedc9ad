#pragma once
// TMarkupScrollBox: the scroll box around a TMarkupControl. It scrolls by wheel and by
// keys once it has the focus (a click in the text gives it), and lays the text out again
// when its visible width changes, so a scroll bar never covers the end of the lines.
// The text takes the box's font, also when the window is scaled later.
#include <QScrollArea>

namespace orb {

class TMarkupControl;

class TMarkupScrollBox : public QScrollArea {
    Q_OBJECT
public:
    explicit TMarkupScrollBox(QWidget* parent = nullptr);
    TMarkupControl* Markup() const { return markup_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FitWidth();
    TMarkupControl* markup_;
    bool relayoutQueued_ = false;
};

}  // namespace orb
