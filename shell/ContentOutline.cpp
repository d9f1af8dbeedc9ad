#include "shell/ContentOutline.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <QWheelEvent>

#include "platform/Numbers.h"
#include "shell/Basics.h"

namespace orb {

TContentOutline::TContentOutline(QWidget* parent)
    : QWidget(parent), scroll_(new QScrollBar(Qt::Vertical, this)) {
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 60, 170));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    QFont f("Palisade");
    f.setPixelSize(11);
    setFont(f);
    scroll_->setObjectName("qt_outline_scroll");
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->hide();
    connect(scroll_, &QScrollBar::valueChanged, this, [this] { update(); });
}

void TContentOutline::SetLines(const QStringList& lines) {
    entries_.clear();
    for (const QString& line : lines) {
        int depth = 0;
        while (depth < line.size() && (line[depth] == '\t' || line[depth] == ' ')) ++depth;
        entries_.append({line.mid(depth), depth + 1, true});
    }
    selected_ = 0;
    scroll_->setValue(0);
    UpdateScroll();
    update();
}

bool TContentOutline::HasChildren(int index) const {
    return index >= 1 && index < Count() && entries_[index].Level > entries_[index - 1].Level;
}

bool TContentOutline::IsVisible(int index) const {
    // Visible when every entry it sits under is open: walk back through the parents.
    int level = entries_[index - 1].Level;
    for (int i = index - 1; i >= 1 && level > 1; --i) {
        const TEntry& e = entries_[i - 1];
        if (e.Level < level) {
            if (!e.Expanded) return false;
            level = e.Level;
        }
    }
    return true;
}

void TContentOutline::SetExpanded(int index, bool on) {
    if (index < 1 || index > Count()) return;
    entries_[index - 1].Expanded = on;
    // A closed entry takes the selection from the children it hides.
    if (!on && selected_ > 0 && !IsVisible(selected_)) {
        int s = selected_;
        while (s > 0 && !IsVisible(s)) {
            const int level = entries_[s - 1].Level;
            while (s > 1 && entries_[s - 2].Level >= level) --s;
            --s;
        }
        selected_ = s;
    }
    UpdateScroll();
    update();
}

void TContentOutline::CollapseTopLevel() {
    for (int i = 1; i <= Count(); ++i)
        if (entries_[i - 1].Level == 1 && HasChildren(i)) SetExpanded(i, false);
}

void TContentOutline::SetSelected(int index) {
    if (index < 0 || index > Count()) return;
    selected_ = index;
    if (index > 0 && !IsVisible(index)) {
        // Open the parents, nearest first.
        int level = entries_[index - 1].Level;
        for (int i = index - 1; i >= 1 && level > 1; --i) {
            if (entries_[i - 1].Level < level) {
                entries_[i - 1].Expanded = true;
                level = entries_[i - 1].Level;
            }
        }
        UpdateScroll();
    }
    if (index > 0) EnsureVisible(index);
    update();
}

QString TContentOutline::SelectedKey() const {
    if (selected_ == 0) return {};
    const QString& t = entries_[selected_ - 1].Text;
    return t.left(t.indexOf('|')).trimmed();
}

QString TContentOutline::Title(const QString& text) {
    const int bar = text.indexOf('|');
    return bar < 0 ? text : text.mid(bar + 1);
}

int TContentOutline::RowHeight() const {
    const SizeClass c = CurrentSizeClass();
    return Round(17.0 * SizeClassNum(c) / SizeClassDen(c));
}

// The indent stays 10 at every size: the window scaling leaves the drawing code's own
// measures alone, only fonts and item heights grow.
int TContentOutline::Indent() const { return 10; }

QVector<int> TContentOutline::VisibleEntries() const {
    QVector<int> rows;
    int hideBelow = 0;  // level of a closed entry whose children are being skipped
    for (int i = 1; i <= Count(); ++i) {
        const TEntry& e = entries_[i - 1];
        if (hideBelow && e.Level > hideBelow) continue;
        hideBelow = 0;
        rows.append(i);
        if (!e.Expanded && HasChildren(i)) hideBelow = e.Level;
    }
    return rows;
}

int TContentOutline::VisibleRows() const { return std::max(1, height() / RowHeight()); }

void TContentOutline::UpdateScroll() {
    const int rows = int(VisibleEntries().size());
    const int page = VisibleRows();
    scroll_->setRange(0, std::max(0, rows - page));
    scroll_->setPageStep(page);
    scroll_->setSingleStep(1);
    const int w = scroll_->sizeHint().width();
    scroll_->setGeometry(width() - w, 0, w, height());
    scroll_->setVisible(rows > page);
}

void TContentOutline::EnsureVisible(int index) {
    const int row = int(VisibleEntries().indexOf(index));
    if (row < 0) return;
    if (row < scroll_->value())
        scroll_->setValue(row);
    else if (row >= scroll_->value() + VisibleRows())
        scroll_->setValue(row - VisibleRows() + 1);
}

int TContentOutline::EntryAt(QPoint pt) const {
    if (pt.y() < 0) return 0;
    const QVector<int> rows = VisibleEntries();
    const int row = scroll_->value() + pt.y() / RowHeight();
    return row < rows.size() ? rows[row] : 0;
}

QRect TContentOutline::RowRect(int index) const {
    const int row = int(VisibleEntries().indexOf(index));
    if (row < 0) return {};
    const int w = scroll_->isVisible() ? width() - scroll_->width() : width();
    return QRect(0, (row - scroll_->value()) * RowHeight(), w, RowHeight());
}

void TContentOutline::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor fill = palette().color(QPalette::Window);
    p.fillRect(rect(), fill);
    const QVector<int> rows = VisibleEntries();
    const int rh = RowHeight();
    const int indent = Indent();
    QFont normal = font();
    QFont bold = normal;
    bold.setBold(true);
    p.setPen(palette().color(QPalette::WindowText));
    for (int row = scroll_->value(); row < rows.size(); ++row) {
        const int top = (row - scroll_->value()) * rh;
        if (top >= height()) break;
        const int index = rows[row];
        const TEntry& e = entries_[index - 1];
        const QRect r(0, top, width(), rh);
        const int textX = e.Level * indent + 3;
        if (HasChildren(index)) {
            p.setFont(normal);
            const QString box = e.Expanded ? "-" : "+";
            const int bx = e.Level * indent - 5;
            const int bw = QFontMetrics(normal).horizontalAdvance(box);
            p.drawText(QRect(bx - bw, top, 2 * bw, rh), Qt::AlignCenter, box);
        }
        p.setFont(e.Level == 1 || index == selected_ ? bold : normal);
        p.drawText(r.adjusted(textX, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   Title(e.Text));
        if (index == selected_) {
            // Bold alone cannot tell a chosen top-level entry from the others: an orange
            // rule under the title shows which page is open.
            const int w = std::min(QFontMetrics(bold).horizontalAdvance(Title(e.Text)),
                                   width() - textX - 2);
            p.fillRect(QRect(textX, top + rh - 2, std::max(w, 0), 1), QColor(255, 153, 51));
        }
    }
}

void TContentOutline::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton) return;
    const int index = EntryAt(e->position().toPoint());
    if (index > 0) SetSelected(index);
}

void TContentOutline::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pt = e->position().toPoint();
    const int index = EntryAt(pt);
    if (index > 0 && pt.x() < entries_[index - 1].Level * Indent() && HasChildren(index))
        SetExpanded(index, !entries_[index - 1].Expanded);
    if (OnClick) OnClick();
}

void TContentOutline::MoveSelection(int rows) {
    const QVector<int> visible = VisibleEntries();
    if (visible.isEmpty()) return;
    int row = selected_ ? int(visible.indexOf(selected_)) : -1;
    row = std::clamp(row + rows, 0, int(visible.size()) - 1);
    SetSelected(visible[row]);
}

void TContentOutline::keyPressEvent(QKeyEvent* e) {
    const int s = selected_;
    switch (e->key()) {
    case Qt::Key_Up: MoveSelection(-1); break;
    case Qt::Key_Down: MoveSelection(1); break;
    case Qt::Key_PageUp: MoveSelection(-VisibleRows()); break;
    case Qt::Key_PageDown: MoveSelection(VisibleRows()); break;
    case Qt::Key_Home: MoveSelection(-Count()); break;
    case Qt::Key_End: MoveSelection(Count()); break;
    case Qt::Key_Plus:
        if (s && HasChildren(s)) SetExpanded(s, true);
        break;
    case Qt::Key_Minus:
        if (s && HasChildren(s)) SetExpanded(s, false);
        break;
    case Qt::Key_Right:
        if (s && HasChildren(s)) {
            if (!entries_[s - 1].Expanded)
                SetExpanded(s, true);
            else
                SetSelected(s + 1);
        }
        break;
    case Qt::Key_Left:
        if (s && HasChildren(s) && entries_[s - 1].Expanded) {
            SetExpanded(s, false);
        } else if (s && entries_[s - 1].Level > 1) {
            int parent = s - 1;
            while (parent > 1 && entries_[parent - 1].Level >= entries_[s - 1].Level) --parent;
            SetSelected(parent);
        }
        break;
    default: QWidget::keyPressEvent(e); return;
    }
    e->accept();
}

void TContentOutline::keyReleaseEvent(QKeyEvent* e) {
    // Every key release shows the selected entry, whatever the key did.
    if (OnClick) OnClick();
    e->accept();
}

void TContentOutline::wheelEvent(QWheelEvent* e) {
    const int steps = e->angleDelta().y() / 40;  // three rows per notch
    scroll_->setValue(scroll_->value() - steps);
    e->accept();
}

void TContentOutline::resizeEvent(QResizeEvent*) { UpdateScroll(); }

}  // namespace orb
