#pragma once
// TTabStrip: the paint page's strip of side-page tabs, drawn as slanted tabs hanging below
// the side page. Each tab is as wide as its label needs (the strip's width shared out in
// proportion), and the label sits between the slanted edges with room to spare; the font is
// the largest that lets every label fit at the strip's height, narrowed a little before it
// gets smaller than can be read.
#include <QTabBar>

namespace orb {

class TTabStrip : public QTabBar {
    Q_OBJECT
public:
    explicit TTabStrip(QWidget* parent = nullptr);

    // The tab's outline (a trapezoid: wide at the top, narrow at the bottom).
    QPolygonF TabShape(int index) const;
    // Where the tab's label is drawn, and the part of the tab that is clear of the slanted
    // edges at the label's height; the label fits when it lies inside.
    QRect LabelRect(int index) const;
    QRect ClearRect(int index) const;
    // The font the labels are drawn in.
    QFont LabelFont() const;

protected:
    void paintEvent(QPaintEvent*) override;
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void tabLayoutChange() override;

private:
    struct Layout {
        QFont font;
        QList<double> left, right;  // top corners of each tab
        double slant = 0;
    };
    Layout Compute() const;
    mutable Layout layout_;
    mutable bool valid_ = false;
};

}  // namespace orb
