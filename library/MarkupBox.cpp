#include "library/MarkupBox.h"

#include <QEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include "library/PrsCtrl.h"

namespace orb {

TMarkupScrollBox::TMarkupScrollBox(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setWidgetResizable(false);
    markup_ = new TMarkupControl(viewport());
    setWidget(markup_);
    // The control paints its whole area itself; the box's own fill would only show
    // through where its background is meant to be translucent.
    markup_->setAutoFillBackground(false);
    markup_->installEventFilter(this);
    viewport()->installEventFilter(this);
}

void TMarkupScrollBox::keyPressEvent(QKeyEvent* e) {
    QScrollBar* v = verticalScrollBar();
    switch (e->key()) {
    case Qt::Key_Up: v->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Down: v->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_PageUp: v->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case Qt::Key_PageDown: v->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    case Qt::Key_Home: v->triggerAction(QAbstractSlider::SliderToMinimum); break;
    case Qt::Key_End: v->triggerAction(QAbstractSlider::SliderToMaximum); break;
    default: QScrollArea::keyPressEvent(e); return;
    }
    e->accept();
}

void TMarkupScrollBox::changeEvent(QEvent* e) {
    QScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange && markup_->font() != font()) markup_->setFont(font());
}

bool TMarkupScrollBox::eventFilter(QObject* watched, QEvent* e) {
    if (watched == markup_ && e->type() == QEvent::MouseButtonPress)
        setFocus(Qt::MouseFocusReason);
    // The wheel over the text scrolls the box, however the event reached the text.
    if (watched == markup_ && e->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(e));
        return true;
    }
    if (watched == viewport() && e->type() == QEvent::Resize && markup_->parentWidget() &&
        markup_->width() != viewport()->width() && !relayoutQueued_) {
        // After the scroll box has settled its bars: laying out from inside its resize
        // would change the bars again while they are being placed.
        relayoutQueued_ = true;
        QTimer::singleShot(0, this, [this] { FitWidth(); });
    }
    return QScrollArea::eventFilter(watched, e);
}

void TMarkupScrollBox::FitWidth() {
    relayoutQueued_ = false;
    if (markup_->width() == viewport()->width()) return;
    const int top = verticalScrollBar()->value();
    markup_->Relayout();
    verticalScrollBar()->setValue(top);
}

}  // namespace orb
