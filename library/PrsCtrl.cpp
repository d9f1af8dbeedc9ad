#include "library/PrsCtrl.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <optional>

#include "library/PictureArchive.h"
#include "library/PictureImage.h"
#include "platform/Display.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

namespace orb {

namespace {

const char* const kTags[] = {"<B>",  "</B>",   "<I>",  "</I>",   "<U>", "</U>",
                             "<S>",  "</S>",   "<FONT", "</FONT", "<IMG", "<HIDE>",
                             "<SHOW>", "<A",   "</A>", "<INPUT"};

// A number attribute; `fallback` when absent or not a number.
int NumberOr(const QString& v, int fallback) {
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok ? n : fallback;
}

QString BareName(const QString& name) {
    return name.mid(std::max(name.lastIndexOf('/'), name.lastIndexOf('\\')) + 1);
}

}  // namespace

QString MarkupAttribute(const QString& tag, const QString& name) {
    const int at = tag.indexOf(name);
    if (at < 0) return {};
    QString v = tag.mid(at + name.size());
    int i = 0;
    while (i < v.size() && (v[i] == '"' || v[i] == '\'' || v[i] == ' ')) ++i;
    v = v.mid(i);
    const int gt = v.indexOf('>');
    const int end = gt < 0 ? int(v.size()) : gt;
    for (QChar c : {QChar('"'), QChar('\''), QChar(' ')}) {
        const int k = v.indexOf(c);
        if (k >= 0 && k < end) return v.left(k);
    }
    return v.left(end);
}

bool IsMarkupTag(const QString& tag) {
    const QString u = tag.toUpper();
    for (const char* t : kTags)
        if (u.startsWith(QLatin1String(t))) return true;
    return false;
}

// ---- Layout state ----------------------------------------------------------------------

struct TMarkupControl::State {
    int x = 2;
    int y = 0;
    int hm = 0;  // text height of "M" in the control's font
    int hl = 0;  // current line's height, 0 = none yet
    int bold = 0, italic = 0, underline = 0, strike = 0;
    int sizeStep = 0;  // sum of the FONT size steps
    bool hidden = false;
    int link = 0;  // index + 1 of the open link area, 0 = none
    QString run;
    QFont font;
    std::optional<QFontMetrics> fm;
    QHash<QString, int>* widths = nullptr;  // the run widths of the current font
    bool drawing = false;
    QRect visible;  // drawing pass: what the painter can show
};

TMarkupControl::TMarkupControl(QWidget* parent) : QWidget(parent), linkFont_(font()) {
    resize(120, 100);
    setAutoFillBackground(false);
    setMouseTracking(true);
    if (parent) {
        setPalette(parent->palette());
        setFont(parent->font());
        linkFont_ = font();
    }
}

TMarkupControl::~TMarkupControl() = default;

void TMarkupControl::SetdX(int v) { dX_ = v; update(); }
void TMarkupControl::SetdY(int v) { dY_ = v; update(); }
void TMarkupControl::SetDrawFocused(bool on) {
    if (drawFocused_ == on) return;
    drawFocused_ = on;
    Relayout();
}
void TMarkupControl::SetHorScrollBar(bool on) {
    if (horScrollBar_ == on) return;
    horScrollBar_ = on;
    Relayout();
}
void TMarkupControl::SetVerScrollBar(bool on) {
    if (verScrollBar_ == on) return;
    verScrollBar_ = on;
    Relayout();
}
void TMarkupControl::SetHyperLinkFont(const QFont& f) {
    linkFont_ = f;
    linkFontSet_ = true;
    update();
}
void TMarkupControl::SetInputEnabled(bool on) {
    inputEnabled_ = on;
    for (auto& [name, w] : inputs_) w->setEnabled(on);
}

QWidget* TMarkupControl::InputField(const QString& name) const {
    const auto it = inputs_.find(name);
    return it == inputs_.end() ? nullptr : it->second.get();
}

void TMarkupControl::SetMarkupText(const QString& text) {
    text_ = text;
    images_.clear();
    inputs_.clear();
    Measure(parentWidget() ? parentWidget()->width() - 5 : width());
}

void TMarkupControl::Relayout() { Measure(parentWidget() ? parentWidget()->width() : width()); }

void TMarkupControl::Measure(int width) {
    xMax_ = width;
    yMax_ = 0;
    // Wrapping follows the control's width, and the pass ends by widening the control to
    // at least its parent's width. Measuring at that final width makes the measured lines
    // the drawn ones; at the old or the narrower width the height would not fit the text.
    QWidget* par = parentWidget();
    const int final = par ? std::max(width, par->width()) : this->width();
    if (par && final > 0) resize(final, height());
    LayoutPass(nullptr);
    if (parentWidget())
        resize(xMax_, yMax_);
    else
        resize(this->width(), yMax_);
    update();
}

// ---- The pass -------------------------------------------------------------------------

QFont TMarkupControl::CurrentFont(const State& s) const {
    QFont f = s.link ? linkFont_ : font();
    f.setBold(s.bold != 0);
    f.setItalic(s.italic != 0);
    f.setStrikeOut(s.strike != 0);
    // Underline belongs to the link font while a link is open.
    if (!s.link) f.setUnderline(s.underline != 0);
    if (s.sizeStep) {
        if (f.pixelSize() > 0)
            f.setPixelSize(std::max(1, f.pixelSize() + s.sizeStep));
        else
            f.setPointSizeF(std::max(1.0, f.pointSizeF() + s.sizeStep));
    }
    return f;
}

void TMarkupControl::SetFont(State& s) {
    s.font = CurrentFont(s);
    s.fm.emplace(s.font, this);
    QHash<QString, int>& widths = runWidths_[s.font.key()];
    if (widths.size() > 50000) widths.clear();  // a bound for very long, varied texts
    s.widths = &widths;
}

void TMarkupControl::EndLine(State& s, bool wrap) {
    const int oldY = s.y;
    const int oldX = s.x;
    s.y += s.hl < 1 ? s.hm : s.hl;
    s.x = 2;
    s.hl = 0;
    if (wrap && s.link) {
        TLinkArea& open = links_[s.link - 1];
        open.Rect.setRight(oldX - 1);
        open.Rect.setBottom(oldY + s.hm - 1);
        links_.append({QRect(s.x, s.y, 0, 0), open.HRef});
        s.link = int(links_.size());
        SetFont(s);
    }
}

void TMarkupControl::PlaceRun(State& s, QPainter* p) {
    if (s.run.isEmpty()) return;
    int w;
    if (auto known = s.widths->constFind(s.run); known != s.widths->constEnd()) {
        w = *known;
    } else {
        w = s.fm->horizontalAdvance(s.run);
        s.widths->insert(s.run, w);
    }
    if (s.x + w > 0.95 * width()) EndLine(s, true);
    const int h = s.fm->height();
    // A larger font must not run into the next line.
    if (h > s.hm) s.hl = std::max(s.hl, h);
    // Runs outside what the painter shows are laid out but not drawn: a long page in
    // its scroll box would otherwise draw every word on every repaint.
    if (s.drawing && p && s.y < s.visible.bottom() + 1 && s.y + h > s.visible.top()) {
        if (p->font() != s.font) p->setFont(s.font);
        p->drawText(s.x, s.y + s.fm->ascent(), s.run);
    }
    placed_.append({TPlaced::Run, QRect(s.x, s.y, w, h), s.run, s.font});
    s.x += w;
}

void TMarkupControl::PlaceImage(State& s, const QString& tag, QPainter* p) {
    const QString name = MarkupAttribute(tag, "NAME=");
    if (name.isEmpty()) return;
    int w = NumberOr(MarkupAttribute(tag, "WIDTH="), -1);
    int h = NumberOr(MarkupAttribute(tag, "HEIGHT="), -1);
    const QString align = MarkupAttribute(tag, "ALIGN=");
    const QImage pic = FindImage(name.toLower());
    if (!pic.isNull()) {
        if (w > 0 && h < 0) h = Round(double(pic.height()) / pic.width() * w);
        if (w < 0 && h > 0) w = Round(double(pic.width()) / pic.height() * h);
        if (w < 0) w = pic.width();
        if (h < 0) h = pic.height();
    } else {
        if (w > 0 && h < 0) h = w;
        if (w < 0 && h > 0) w = h;
    }
    std::optional<int> left;
    if (align.isEmpty() || align == "LEFT")
        left = s.x;
    else if (align == "CENTER")
        left = Round((width() - w) / 2.0);
    else if (align == "RIGHT")
        left = width() - w;
    if (left && w > 0 && h > 0) {
        const QRect r(*left, s.y, w, h);
        if (s.drawing && p) {
            if (!pic.isNull()) {
                p->drawImage(r, pic);
            } else {
                p->save();
                p->setPen(Qt::black);
                p->setBrush(Qt::NoBrush);
                p->drawRect(r.adjusted(0, 0, -1, -1));
                p->restore();
            }
        }
        placed_.append({pic.isNull() ? TPlaced::Frame : TPlaced::Picture, r, name.toLower(), {}});
    }
    if (!s.drawing && horScrollBar_ && !pic.isNull()) xMax_ = std::max(xMax_, w);
    // The last picture on a line sets the line's height.
    s.hl = h;
    s.x += std::max(w, 0);
}

void TMarkupControl::PlaceInput(State& s, const QString& tag) {
    const QString type = MarkupAttribute(tag, "TYPE=");
    const QString name = MarkupAttribute(tag, "NAME=");
    if (type.isEmpty() || name.isEmpty()) return;
    const QString value = MarkupAttribute(tag, "VALUE=");
    const int side = s.hm;
    int w = side;
    if (type == "TEXT") w = side * std::max(1, NumberOr(MarkupAttribute(tag, "SIZE="), 1));
    auto it = inputs_.find(name);
    if (it == inputs_.end()) {
        std::unique_ptr<QWidget> field;
        if (type == "RADIO") {
            auto* b = new QRadioButton(this);
            b->setToolTip(value);
            connect(b, &QRadioButton::clicked, this, [this, value] { RaiseLink(value); });
            field.reset(b);
        } else if (type == "CHECKBOX") {
            auto* b = new QCheckBox(this);
            b->setToolTip(value);
            connect(b, &QCheckBox::toggled, this,
                    [this, value](bool on) { RaiseLink(on ? value : QString()); });
            field.reset(b);
        } else if (type == "TEXT") {
            auto* e = new QLineEdit(value.toLower(), this);
            connect(e, &QLineEdit::textChanged, this, [this](const QString& t) { RaiseLink(t); });
            field.reset(e);
        } else {
            return;
        }
        field->setObjectName(name);
        field->show();
        it = inputs_.emplace(name, std::move(field)).first;
    }
    // Children of this control, so they scroll with it.
    it->second->setGeometry(s.x, s.y, w, side);
    it->second->setEnabled(inputEnabled_);
    s.x += w;
}

void TMarkupControl::RaiseLink(const QString& href) {
    if (inputEnabled_ && OnHyperLinkClick) OnHyperLinkClick(this, href);
}

void TMarkupControl::ApplyTag(State& s, const QString& tag, QPainter* p) {
    auto starts = [&](const char* t) { return tag.startsWith(QLatin1String(t)); };
    bool fontChanged = true;
    if (starts("<B>")) ++s.bold;
    else if (starts("</B>")) --s.bold;
    else if (starts("<I>")) ++s.italic;
    else if (starts("</I>")) --s.italic;
    else if (starts("<S>")) ++s.strike;
    else if (starts("</S>")) --s.strike;
    else if (starts("<U>")) ++s.underline;
    else if (starts("</U>")) --s.underline;
    else if (starts("<FONT") || starts("</FONT")) {
        const QString v = MarkupAttribute(tag, "SIZE=");
        if (v.startsWith('+')) s.sizeStep += NumberOr(v.mid(1), 0);
        else if (v.startsWith('-')) s.sizeStep -= NumberOr(v.mid(1), 0);
        else fontChanged = false;
    } else if (starts("<IMG")) {
        PlaceImage(s, tag, p);
        fontChanged = false;
    } else if (starts("<HIDE>")) {
        s.hidden = true;
        fontChanged = false;
    } else if (starts("<SHOW>")) {
        s.hidden = false;
        fontChanged = false;
    } else if (starts("</A>")) {
        if (!s.link) return;
        TLinkArea& a = links_[s.link - 1];
        a.Rect.setRight(s.x - 1);
        a.Rect.setBottom(s.y + (s.hl < 1 ? s.hm : s.hl) - 1);
        s.link = 0;
    } else if (starts("<A")) {
        if (s.link) return;
        links_.append({QRect(s.x, s.y, 0, 0), MarkupAttribute(tag, "HREF=")});
        s.link = int(links_.size());
    } else if (starts("<INPUT")) {
        PlaceInput(s, tag);
        fontChanged = false;
    } else {
        fontChanged = false;
    }
    if (fontChanged) SetFont(s);
}

void TMarkupControl::LayoutPass(QPainter* p) {
    links_.clear();
    placed_.clear();
    State s;
    s.drawing = yMax_ != 0;
    const QFont base = font();
    s.hm = QFontMetrics(base, this).height();
    s.bold = base.bold() ? 1 : 0;
    s.italic = base.italic() ? 1 : 0;
    s.underline = base.underline() ? 1 : 0;
    s.strike = base.strikeOut() ? 1 : 0;
    SetFont(s);
    if (text_.isEmpty()) return;
    if (p) {
        s.visible = p->hasClipping() ? p->clipBoundingRect().toAlignedRect()
                                     : QRect(0, 0, p->device()->width(), p->device()->height());
        p->setBrush(Qt::NoBrush);
        p->setPen(palette().color(QPalette::WindowText));
        p->setBackgroundMode(Qt::TransparentMode);
    }

    const QString& t = text_;
    const int n = int(t.size());
    s.run.reserve(64);
    for (int i = 0; i < n; ++i) {
        const QChar c = t[i];
        if (c != '\r' && c != '\n') s.run.append(c);
        if (c == '\n' && i > 0 && t[i - 1] == '\r' && !s.hidden) {
            PlaceRun(s, p);
            s.run.clear();
            EndLine(s, false);
        } else if (c == ' ' && !s.hidden) {
            PlaceRun(s, p);
            s.run.clear();
        } else if (c == '<') {
            const int gt = t.indexOf('>', i);
            if (gt < 0) continue;  // no end: plain text
            const QString tag = t.mid(i, gt - i + 1).toUpper();
            if (!IsMarkupTag(tag)) continue;
            s.run.chop(1);
            if (!s.hidden) PlaceRun(s, p);
            s.run.clear();
            ApplyTag(s, tag, p);
            i = gt;
        }
    }
    if (!s.hidden) PlaceRun(s, p);
    if (s.link) {
        // An unclosed link ends with the text.
        TLinkArea& a = links_[s.link - 1];
        a.Rect.setRight(s.x - 1);
        a.Rect.setBottom(s.y + (s.hl < 1 ? s.hm : s.hl) - 1);
    }

    yMax_ = s.y + 2 * s.hm;
    if (QWidget* par = parentWidget()) {
        xMax_ = std::max(xMax_, par->width());
        yMax_ = std::max(yMax_, par->height());
    }
    if ((horScrollBar_ && width() < xMax_) || (verScrollBar_ && height() < yMax_))
        resize(xMax_, yMax_);
}

// ---- Pictures ---------------------------------------------------------------------------

QImage TMarkupControl::FindImage(const QString& name) {
    const int bits = DisplayDepth();
    const TLoadResolution res = TPictureImage::ReadResForDisplay(bits);
    const bool dither = bits < 16;
    const auto cached = images_.constFind(name);
    if (cached != images_.constEnd()) return *cached;
    // What was decoded is shown even when the file failed; the owner says why.
    auto Read = [&](const QString& file) {
        const TResult<QImage> read = ReadPictureFile(file, res, dither);
        if (!read.Ok() && OnFailure) OnFailure(read.Failure());
        return read.Partial();
    };
    QImage pic;
    bool found = false;
    if (archive_) FindArchiveEntry(*archive_, name, &found);
    if (found) {
        const QString temp = TempFolder() + BareName(name);
        const bool existed = QFileInfo::exists(temp);
        QDir().mkpath(TempFolder());
        if (existed || ExtractArchiveEntry(*archive_, name, temp)) pic = Read(temp);
        QFile::remove(temp);
    } else if (QFileInfo(ProgramFile(name)).isFile()) {
        pic = Read(ProgramFile(name));
    } else {
        return {};
    }
    images_.insert(name, pic);
    return pic;
}

// ---- Events ---------------------------------------------------------------------------

void TMarkupControl::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.setClipRect(e->rect());
    const QRect r = rect();
    if (PaintBackground) {
        PaintBackground(p, r);
    } else {
        p.fillRect(r, palette().color(QPalette::Window));
        QWidget* par = parentWidget();
        const bool framed = drawFocused_ && par && par->hasFocus();
        QPen pen(framed ? QColor(Qt::black) : palette().color(QPalette::Window));
        if (framed) pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    LayoutPass(&p);
}

void TMarkupControl::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::FontChange) return;
    if (!linkFontSet_) linkFont_ = font();
    // A scaled window changes the font after the text was laid out.
    if (!text_.isEmpty()) Relayout();
}

void TMarkupControl::mouseMoveEvent(QMouseEvent* e) {
    if (!OnHyperLinkClick) {
        unsetCursor();
        return;
    }
    const QPoint pt = e->position().toPoint();
    bool inside = false;
    for (const TLinkArea& a : links_) inside = inside || a.Rect.contains(pt);
    setCursor(inside ? Qt::BusyCursor : Qt::WhatsThisCursor);
}

void TMarkupControl::mouseReleaseEvent(QMouseEvent* e) {
    if (!OnHyperLinkClick || !inputEnabled_) return;
    const QPoint pt = e->position().toPoint();
    for (const TLinkArea& a : links_) {
        if (a.Rect.contains(pt)) {
            OnHyperLinkClick(this, a.HRef);
            return;
        }
    }
}

}  // namespace orb
