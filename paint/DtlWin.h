#pragma once
// The painting window: the working picture shown through the round opening of the
// paint page. The tools arrive with the colouring work; this holds the window, its
// state and the view.
#include <QImage>
#include <QWidget>

namespace orb {

class TDetailWindow : public QWidget {
    Q_OBJECT
public:
    explicit TDetailWindow(QWidget* parent);
    ~TDetailWindow() override;

    QImage FBuffer;
    int FStartX = 0, FStartY = 0, FEndX = 0, FEndY = 0;
    int FOffsetX = 0, FOffsetY = 0;
    int FZoom = 1000;
    QImage FUndoPicture;
    QImage FPicture;
    bool FChanged = false;

    // The rectangle, in window pixels, where the picture is displayed.
    QRect PictureRect() const;
    // Composes the view into FBuffer and shows it.
    void Paint();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
};

extern TDetailWindow* DetailWindow;
extern bool DetailWindowAlive;

// Creates the painting window inside the panel, or shows it again.
void ShowDetailWindow(QWidget* panel);

}  // namespace orb
