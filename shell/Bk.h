#pragma once
// TBkControl: a page background that draws its picture tiled, centred, stretched or at
// the top left, then its pen and brush rectangle.
#include <QWidget>
#include <functional>

#include "library/GrphPrps.h"

namespace orb {

class TBkControl : public QWidget {
    Q_OBJECT
public:
    explicit TBkControl(QWidget* parent = nullptr);

    TBackground& Background() { return bk_; }
    const TBackground& Background() const { return bk_; }

    std::function<void(QMouseEvent*)> OnMouseDown, OnMouseMove, OnMouseUp;

    // Renders the control as it paints itself (also used by tests).
    void PaintTo(QPainter& p);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TBackground bk_;
    bool painting_ = false;
};

}  // namespace orb
