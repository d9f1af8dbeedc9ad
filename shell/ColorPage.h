#pragma once
// The drawing settings' own controls: fill-style brushes and the owner-drawn fill-style list.
#include <QBrush>
#include <QComboBox>

namespace orb {

// A brush of the fill style (0 solid, 1..6 the 8x8 hatches of the fill tool) in the colour;
// hatches draw only their lines.
QBrush FillStyleBrush(int index, const QColor& colour);

// The fill-style list: seven entries shown as pattern swatches, no text.
class TBrushStyleList : public QComboBox {
    Q_OBJECT
public:
    explicit TBrushStyleList(QWidget* parent = nullptr);
    // Draws entry `index` into r as the list does (navy and white when selected).
    static void DrawItem(QPainter& p, const QRect& r, int index, bool selected);

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace orb
