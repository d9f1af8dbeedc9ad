#include "shell/Basics.h"

#include <QEnterEvent>
#include <QPainter>
#include <cmath>

#include "platform/Display.h"

namespace orb {

// ---- Hover base ----------------------------------------------------------------------

TGraphicHoverControl::TGraphicHoverControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_Hover, true);
}

void TGraphicHoverControl::MouseIn() {
    if (OnMouseIn) OnMouseIn(this);
}

void TGraphicHoverControl::MouseOut() {
    if (OnMouseOut) OnMouseOut(this);
}

void TGraphicHoverControl::enterEvent(QEnterEvent* e) {
    QWidget::enterEvent(e);
    MouseIn();
}

void TGraphicHoverControl::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    MouseOut();
}

// ---- Size class ----------------------------------------------------------------------

namespace {
SizeClass g_sizeClass = SizeClass::Small;
}

std::optional<SizeClass> ChooseSizeClass(int w, int h) {
    const double wr = double(w) / 640.0, hr = double(h) / 480.0;
    if (wr >= hr) {
        if (h < 480) return std::nullopt;
        if (h < 768) return SizeClass::Small;
        if (h < 864) return SizeClass::Medium;
        return SizeClass::Large;
    }
    if (w < 640) return std::nullopt;
    if (w < 1024) return SizeClass::Small;
    if (w < 1152) return SizeClass::Medium;
    return SizeClass::Large;
}

SizeClass CurrentSizeClass() { return g_sizeClass; }
void SetCurrentSizeClass(SizeClass c) { g_sizeClass = c; }

int SizeClassNum(SizeClass c) { return c == SizeClass::Small ? 1 : c == SizeClass::Medium ? 5 : 8; }
int SizeClassDen(SizeClass c) { return c == SizeClass::Small ? 1 : c == SizeClass::Medium ? 4 : 5; }
const char* SizeClassKey(SizeClass c) {
    return c == SizeClass::Small ? "s" : c == SizeClass::Medium ? "m" : "l";
}
const char* SizeClassFileSuffix(SizeClass c) {
    return c == SizeClass::Small ? "6x4" : c == SizeClass::Medium ? "8x6" : "10x7";
}

int MulDiv(int v, int m, int d) {
    if (d == 0) return -1;
    const long long p = (long long)v * m;
    const long long half = std::llabs((long long)d) / 2;
    const long long q = (p >= 0) == (d > 0) ? (std::llabs(p) + half) / std::llabs((long long)d)
                                           : -((std::llabs(p) + half) / std::llabs((long long)d));
    return int(q);
}

namespace {
void ScaleFont(QWidget* w, int m, int d) {
    QFont f = w->font();
    if (f.pixelSize() > 0)
        f.setPixelSize(std::max(1, MulDiv(f.pixelSize(), m, d)));
    else if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * m / d);
    w->setFont(f);
}
}  // namespace

void ScaleChildren(QWidget* w, int m, int d) {
    if (m == d) return;
    for (QObject* o : w->children()) {
        auto* c = qobject_cast<QWidget*>(o);
        // Only the program's own named controls: a toolkit widget lays out its parts itself.
        if (!c || c->isWindow() || c->objectName().isEmpty() ||
            c->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QRect g = c->geometry();
        c->setGeometry(MulDiv(g.x(), m, d), MulDiv(g.y(), m, d), MulDiv(g.width(), m, d),
                       MulDiv(g.height(), m, d));
        if (c->testAttribute(Qt::WA_SetFont)) ScaleFont(c, m, d);
        ScaleChildren(c, m, d);
    }
}

}  // namespace orb
