#pragma once
// TContentOutline: the history page's table of contents, an owner-drawn outline.
// Entries come from "key|title" lines; leading tabs or spaces give the depth. A click
// left of an entry's indent opens or closes it; the selected entry and the top level are
// drawn bold. Rows are 17 pixels at the smallest size class and grow with it.
#include <QScrollBar>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <functional>

namespace orb {

class TContentOutline : public QWidget {
    Q_OBJECT
public:
    struct TEntry {
        QString Text;   // the line without its indent: "key|title"
        int Level = 1;  // top level is 1
        bool Expanded = true;
    };

    explicit TContentOutline(QWidget* parent = nullptr);

    // Replaces the entries; every entry starts expanded, none is selected.
    void SetLines(const QStringList& lines);
    int Count() const { return int(entries_.size()); }
    // Entries are numbered from 1, as the page's handlers count them.
    const TEntry& Entry(int index) const { return entries_[index - 1]; }
    bool HasChildren(int index) const;
    bool IsVisible(int index) const;
    void SetExpanded(int index, bool on);
    void CollapseTopLevel();

    // 0 when nothing is selected. Selecting an entry inside a closed one opens its parents.
    int Selected() const { return selected_; }
    void SetSelected(int index);
    // Text of the selected entry before the first "|"; empty when none is selected.
    QString SelectedKey() const;
    static QString Title(const QString& text);

    int RowHeight() const;
    int Indent() const;  // pixels per level
    int TopRow() const { return scroll_->value(); }
    // The entry drawn at a point of the widget, or 0.
    int EntryAt(QPoint pt) const;
    // Rectangle of a visible entry's row in widget coordinates (empty when hidden).
    QRect RowRect(int index) const;

    // Run after a click and after every key release, as the page shows the entry then.
    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QVector<int> VisibleEntries() const;
    int VisibleRows() const;  // rows that fit in full
    void UpdateScroll();
    void EnsureVisible(int index);
    void MoveSelection(int rows);

    QVector<TEntry> entries_;
    int selected_ = 0;
    QScrollBar* scroll_;
};

}  // namespace orb
