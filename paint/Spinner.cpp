#include "paint/Spinner.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "platform/Outward.h"

namespace orb {

namespace {
// The up/down button: the upper half spins up, the lower half down.
class SpinButtonWidget : public QWidget {
public:
    explicit SpinButtonWidget(TSpinner* owner) : QWidget(owner), owner_(owner) {
        setCursor(Qt::ArrowCursor);
        setObjectName("qt_spinbutton");
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        const int w = width(), h = height();
        p.fillRect(rect(), QColor(0, 0, 100));
        p.setPen(QColor(255, 153, 51));
        p.drawLine(0, h / 2, w, h / 2);
        p.setPen(Qt::NoPen);
        p.setBrush(pressed_ == 1 ? QColor(63, 190, 254) : QColor(255, 153, 51));
        const double cx = w / 2.0, a = std::max(2.0, w / 4.0);
        const double uy = h / 4.0, dy = 3 * h / 4.0;
        p.drawPolygon(QPolygonF({QPointF(cx - a, uy + a / 2), QPointF(cx + a, uy + a / 2),
                                 QPointF(cx, uy - a / 2)}));
        p.setBrush(pressed_ == 2 ? QColor(63, 190, 254) : QColor(255, 153, 51));
        p.drawPolygon(QPolygonF({QPointF(cx - a, dy - a / 2), QPointF(cx + a, dy - a / 2),
                                 QPointF(cx, dy + a / 2)}));
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return;
        pressed_ = e->position().y() < height() / 2.0 ? 1 : 2;
        update();
        pressed_ == 1 ? owner_->SpinUp() : owner_->SpinDown();
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        pressed_ = 0;
        update();
    }

private:
    TSpinner* owner_;
    int pressed_ = 0;
};
}  // namespace

TSpinner::TSpinner(QWidget* parent) : QLineEdit(parent), button_(new SpinButtonWidget(this)) {
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange) OnChange(this);
    });
    setText("0");
}

int TSpinner::Clamp(int v) const {
    if (MinValue == MaxValue) return v;
    return std::clamp(v, std::min(MinValue, MaxValue), std::max(MinValue, MaxValue));
}

int TSpinner::Value() const {
    bool ok = false;
    const int v = text().trimmed().toInt(&ok);
    return ok ? v : MinValue;
}

void TSpinner::SetValue(int v) { setText(QString::number(Clamp(v))); }

void TSpinner::SpinUp() {
    if (isReadOnly()) {
        Out().Beep();
        return;
    }
    SetValue(Value() + Increment);
}

void TSpinner::SpinDown() {
    if (isReadOnly()) {
        Out().Beep();
        return;
    }
    SetValue(Value() - Increment);
}

void TSpinner::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Up) {
        SpinUp();
        return;
    }
    if (e->key() == Qt::Key_Down) {
        SpinDown();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        Out().Beep();
        return;
    }
    if (isReadOnly() && (e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Paste))) {
        Out().Beep();
        return;
    }
    const QString t = e->text();
    if (!t.isEmpty() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const QChar c = t.at(0);
        const QString decimal = QLocale().decimalPoint();
        const bool allowed = c.isDigit() || c == '+' || c == '-' ||
                             (!decimal.isEmpty() && c == decimal.at(0)) || c.unicode() < 0x20 ||
                             c.unicode() == 0x7f;
        if (!allowed) {
            Out().Beep();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TSpinner::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (AutoSelect) QTimer::singleShot(0, this, [this] { selectAll(); });
}

void TSpinner::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    const int v = Value();
    if (Clamp(v) != v) SetValue(v);
}

void TSpinner::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    button_->setGeometry(width() - 15, 0, 15, height());
    setTextMargins(0, 0, 15, 0);
}

}  // namespace orb
