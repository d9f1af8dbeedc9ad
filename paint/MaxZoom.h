#pragma once
// TMaxZoomWindow: the picture on the whole screen, black around it, clipped to the largest
// circle centred on the screen. A click anywhere, or Esc, ends the view.
#include <QDialog>
#include <QRegion>

namespace orb {

class TProportionalImage;

// The box of the largest circle centred on a screen of the given size.
QRect FullScreenCircleBox(QSize screen);

class TMaxZoomWindow : public QDialog {
    Q_OBJECT
public:
    // Covers the screen that shows `over` (the primary screen when null).
    explicit TMaxZoomWindow(QWidget* over = nullptr);
    ~TMaxZoomWindow() override;

    TProportionalImage* ItemImage = nullptr;

    void ItemImageClick();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void FormCreate();
    QRegion region_;
};

// Shows the picture full screen, modally; the window lives only while it is shown.
void ShowFullScreen(const QImage& picture, QWidget* over = nullptr);

}  // namespace orb
