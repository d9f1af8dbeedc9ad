#include "shell/TabStrip.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace orb {

namespace {
const QColor kNavy(0, 0, 100), kOrange(255, 153, 51);
constexpr double kSlant = 0.35;  // horizontal run of an edge per pixel of height
constexpr double kGap = 3.0;     // room between a label and the slanted edge
}  // namespace

TTabStrip::TTabStrip(QWidget* parent) : QTabBar(parent) {
    setDrawBase(false);
    setExpanding(true);
    setShape(QTabBar::TriangularSouth);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
}

void TTabStrip::resizeEvent(QResizeEvent* e) {
    valid_ = false;
    QTabBar::resizeEvent(e);
}

void TTabStrip::showEvent(QShowEvent* e) {
    // Laid out while hidden without measuring (below): measured now, at the size shown.
    valid_ = false;
    QTabBar::showEvent(e);
    QResizeEvent relayout(size(), size());
    QTabBar::resizeEvent(&relayout);
}

void TTabStrip::tabLayoutChange() {
    valid_ = false;
    QTabBar::tabLayoutChange();
    update();
}

TTabStrip::Layout TTabStrip::Compute() const {
    Layout l;
    const int n = count();
    const double h = height(), w = width();
    l.slant = kSlant * h;
    if (n == 0 || h <= 0 || w <= 0) return l;
    // Each tab needs its label plus the room its two slanted edges take at the label's
    // height; neighbours share the space where their edges overlap.
    auto needed = [&](const QFont& f, QList<double>* widths) {
        const QFontMetricsF fm(f);
        double total = 0;
        for (int i = 0; i < n; ++i) {
            const double tw = fm.horizontalAdvance(tabText(i)) + 2 * kGap + l.slant;
            if (widths) widths->append(tw);
            total += tw;
        }
        return total + l.slant;  // the last tab's outer edge
    };
    QFont f = font();
    const int largest = std::max(6, int(std::floor(h * 0.72)));
    const int readable = std::max(6, int(std::floor(h * 0.62)));
    f.setPixelSize(largest);
    while (f.pixelSize() > readable && needed(f, nullptr) > w) f.setPixelSize(f.pixelSize() - 1);
    for (int stretch = 100; stretch > 75 && needed(f, nullptr) > w; stretch -= 5)
        f.setStretch(stretch - 5);
    while (f.pixelSize() > 6 && needed(f, nullptr) > w) f.setPixelSize(f.pixelSize() - 1);
    l.font = f;
    QList<double> widths;
    const double total = needed(f, &widths);
    // What is left over is shared out evenly.
    const double extra = std::max(0.0, (w - total) / n);
    double x = 0;
    for (int i = 0; i < n; ++i) {
        l.left.append(x);
        x += widths[i] + extra;
        l.right.append(x + l.slant);
    }
    return l;
}

QFont TTabStrip::LabelFont() const {
    if (!valid_) {
        layout_ = Compute();
        valid_ = true;
    }
    return layout_.font;
}

QPolygonF TTabStrip::TabShape(int i) const {
    LabelFont();
    if (i < 0 || i >= layout_.left.size()) return {};
    const double h = height() - 0.5, s = layout_.slant;
    const double a = layout_.left[i] + 0.5, b = std::min<double>(layout_.right[i], width()) - 0.5;
    return QPolygonF({QPointF(a, 0), QPointF(b, 0), QPointF(b - s, h), QPointF(a + s, h)});
}

QRect TTabStrip::LabelRect(int i) const {
    const QPolygonF shape = TabShape(i);
    if (shape.isEmpty()) return {};
    const QFontMetricsF fm(layout_.font);
    const double tw = fm.horizontalAdvance(tabText(i));
    const double cx = (shape[0].x() + shape[1].x()) / 2;
    const double top = (height() - fm.height()) / 2;
    return QRectF(cx - tw / 2, top, tw, fm.height()).toAlignedRect();
}

QRect TTabStrip::ClearRect(int i) const {
    const QPolygonF shape = TabShape(i);
    if (shape.isEmpty()) return {};
    // At the bottom of the label the slanted edges have come in furthest.
    const QRect label = LabelRect(i);
    const double y = std::min<double>(label.bottom() + 1, height());
    const double in = kSlant * y;
    return QRectF(QPointF(shape[0].x() + in, 0), QPointF(shape[1].x() - in, height())).toAlignedRect();
}

QSize TTabStrip::tabSizeHint(int index) const {
    // A hidden strip (its page not on show) gets equal shares: finding the font measures
    // the labels at several sizes, each a font to load, which waits until it is seen.
    if (!isVisible() && !valid_) return QSize(count() > 0 ? width() / count() : width(), height());
    LabelFont();
    if (index < 0 || index >= layout_.left.size()) return QTabBar::tabSizeHint(index);
    return QSize(int(layout_.right[index] - layout_.slant - layout_.left[index]), height());
}

void TTabStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setFont(LabelFont());
    const int current = currentIndex();
    // Back to front: the chosen tab last, over its neighbours' edges.
    QList<int> order;
    for (int i = 0; i < count(); ++i)
        if (i != current) order.append(i);
    if (current >= 0) order.append(current);
    for (int i : order) {
        const bool chosen = i == current;
        const QPolygonF shape = TabShape(i);
        p.setPen(QPen(kOrange, 1));
        p.setBrush(chosen ? kOrange : kNavy);
        p.drawPolygon(shape);
        p.setPen(chosen ? kNavy : (isTabEnabled(i) && isEnabled() ? QColor(Qt::white) : QColor(150, 150, 170)));
        p.drawText(LabelRect(i), Qt::AlignCenter, tabText(i));
    }
}

}  // namespace orb
