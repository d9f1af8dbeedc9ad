// The fill-style brushes and the owner-drawn fill-style list of the drawing settings.
#include "shell/ColorPage.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>

#include "paint/PixelOps.h"

namespace orb {

QBrush FillStyleBrush(int index, const QColor& colour) {
    const FillStyle style = FillStyleFromIndex(index);
    if (style == FillStyle::Solid) return QBrush(colour);
    QImage tile(8, 8, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (HatchCovers(style, x, y)) tile.setPixel(x, y, colour.rgb() | 0xff000000u);
    return QBrush(tile);
}

namespace {
class SwatchDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& idx) const override {
        TBrushStyleList::DrawItem(*p, opt.rect, idx.row(), opt.state & QStyle::State_Selected);
    }
    QSize sizeHint(const QStyleOptionViewItem& opt, const QModelIndex&) const override {
        return QSize(opt.rect.width(), itemHeight);
    }
    int itemHeight = 16;
};
}  // namespace

TBrushStyleList::TBrushStyleList(QWidget* parent) : QComboBox(parent) {
    auto* d = new SwatchDelegate(this);
    setItemDelegate(d);
    addItems({"Vast", "Horizontaal", "Verticaal", "Achterwaarts diagonaal",
              "Voorwaarts diagonaal", "Kruis", "Diagonaal Kruis"});
}

void TBrushStyleList::DrawItem(QPainter& p, const QRect& r, int index, bool selected) {
    p.save();
    p.fillRect(r, selected ? QColor(0, 0, 128) : QColor(255, 255, 255));
    p.setPen(Qt::NoPen);
    QBrush b = FillStyleBrush(index, selected ? Qt::white : Qt::black);
    b.setTransform(QTransform::fromTranslate(r.left(), r.top()));
    p.setBrush(b);
    p.drawRect(r.adjusted(2, 2, -2, -2));
    p.restore();
}

void TBrushStyleList::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, Qt::white);
    const int arrow = 14;
    DrawItem(p, r.adjusted(0, 0, -arrow, 0), currentIndex(), hasFocus());
    p.fillRect(QRect(r.right() - arrow + 1, r.top(), arrow, r.height()), QColor(0, 0, 100));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 153, 51));
    const double cx = r.right() - arrow / 2.0 + 0.5, cy = r.center().y() + 0.5;
    p.setRenderHint(QPainter::Antialiasing, true);
    p.drawPolygon(QPolygonF({QPointF(cx - 4, cy - 2), QPointF(cx + 4, cy - 2), QPointF(cx, cy + 3)}));
}

}  // namespace orb
