#pragma once
// TSpinner: a numeric edit box with an up/down spin button at its right edge.
#include <QLineEdit>
#include <functional>

namespace orb {

class TSpinner : public QLineEdit {
    Q_OBJECT
public:
    explicit TSpinner(QWidget* parent = nullptr);

    int MinValue = 0;
    int MaxValue = 0;
    int Increment = 1;
    bool AutoSelect = true;

    // The text as a whole number; text that does not parse reads as MinValue.
    int Value() const;
    // Clamped to MinValue..MaxValue (unless the two are equal), written as decimal text.
    void SetValue(int v);

    // Fires whenever the text changes.
    std::function<void(QObject* sender)> OnChange;

    // The spin button halves, as a click on them does.
    void SpinUp();
    void SpinDown();
    QWidget* SpinButton() const { return button_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    int Clamp(int v) const;
    QWidget* button_;
};

}  // namespace orb
