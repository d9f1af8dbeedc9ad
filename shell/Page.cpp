#include "shell/Page.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "platform/Cursors.h"
#include "platform/Tags.h"
#include "shell/Bk.h"
#include "shell/ColorPage.h"
#include "shell/MMBtns.h"

namespace orb {

using namespace look;

// ---- TNotebook -----------------------------------------------------------------------

TNotebook::TNotebook(QWidget* parent) : QStackedWidget(parent) {}

QWidget* TNotebook::AddPage(const QString& name) {
    auto* page = new QWidget(this);
    page->setObjectName(name + "Page");
    page->setProperty("PageName", name);
    // The language file may rename pages; navigation keeps to this identity.
    page->setProperty("PageId", name);
    addWidget(page);
    return page;
}

QString TNotebook::ActivePage() const {
    QWidget* w = currentWidget();
    return w ? w->property("PageId").toString() : QString();
}

void TNotebook::SetActivePage(const QString& name) {
    if (QWidget* p = Page(name)) setCurrentWidget(p);
}

QWidget* TNotebook::Page(const QString& name) const {
    for (int i = 0; i < count(); ++i)
        if (widget(i)->property("PageId").toString() == name) return widget(i);
    return nullptr;
}

// ---- TShape --------------------------------------------------------------------------

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, ShapeKind != Kind::Rectangle);
    if (MaskMode) p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    // Width 0 is a one-pixel outline in logical pixels, not a one-device-pixel hairline.
    const int penWidth = std::max(1, PenWidth);
    p.setPen(PenClear ? QPen(Qt::NoPen)
                      : QPen(PenColor, penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(BrushClear ? QBrush(Qt::NoBrush) : FillStyleBrush(BrushStyleIndex, BrushColor));
    const double inset = PenClear ? 0.0 : penWidth / 2.0;
    const QRectF r = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    switch (ShapeKind) {
        case Kind::Rectangle:
            p.drawRect(PenClear ? QRectF(rect()) : r);
            break;
        case Kind::RoundRect:
            p.drawRoundedRect(r, 12, 12);
            break;
        case Kind::Circle:
            p.drawEllipse(r);
            break;
    }
}

// ---- The look ------------------------------------------------------------------------

void SetDesignStyleSheet(QWidget* w, const QString& sheet) {
    w->setProperty("DesignStyleSheet", sheet);
}

QString DesignStyleSheet(const QWidget* w) { return w->property("DesignStyleSheet").toString(); }

void ColourRoundButton(TBaseBtn* b) {
    if (b->isEnabled()) {
        b->SetBrush(b->ButtonIsDown() ? kLightBlue : kOrange);
        b->SetPen(Qt::NoPen);
    } else {
        b->SetBrush(kDarkBlue);
        b->SetPen(QPen(kOrange, 1, Qt::DotLine));
    }
}

TSideHeading MakeSideHeading(QWidget* page, const char* shapeName, const char* titleName,
                             const QString& title, int tag) {
    auto* shape = new TShape(page);
    shape->setObjectName(shapeName);
    shape->ShapeKind = TShape::Kind::Circle;
    shape->setGeometry(5, 5, 32, 32);
    shape->BrushColor = QColor(255, 153, 51);
    shape->PenClear = true;
    QLabel* label = MakeLabel(page, titleName, QRect(19, 9, 110, 18), title, tag, 13, Qt::white,
                              false, Qt::AlignLeft | Qt::AlignTop, "Arial");
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return {shape, label};
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& r, const QString& text, int tag,
                  int pixelSize, const QColor& color, bool italic, Qt::Alignment align,
                  const QString& family) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(r);
    SetTag(l, tag);
    QFont f(family.isEmpty() ? QString(kFont) : family);
    f.setPixelSize(pixelSize);
    f.setItalic(italic);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    l->setAlignment(align);
    l->setAttribute(Qt::WA_TranslucentBackground, true);
    l->setMouseTracking(true);
    SetCursorNumber(l, crHelpArrow);
    return l;
}

// ---- TPage ---------------------------------------------------------------------------

TPage::TPage(TPageHost& host, QWidget* page) : QObject(page), Host(host), page_(page) {}

TBkControl* TPage::Background(const char* name) {
    auto* bk = new TBkControl(page_);
    bk->setObjectName(name);
    bk->setGeometry(0, 0, 640, 460);
    bk->Background().SetPen(Qt::NoPen);
    bk->Background().SetBrush(Qt::NoBrush);
    bk->OnMouseMove = [this](QMouseEvent*) { BkMouseMove(); };
    return bk;
}

TBaseBtn* TPage::RoundButton(QWidget* parent, const char* name, int x, int y, int tag,
                             const QString& hint) {
    auto* b = new TBaseBtn(parent);
    b->setObjectName(name);
    b->setGeometry(x, y, 32, 32);
    SetTag(b, tag);
    b->setToolTip(hint);
    b->FaceXOffset = b->FaceYOffset = 0.03125;
    b->ShadowXOffset = b->ShadowYOffset = 0.03125;
    b->FaceWidth = b->FaceHeight = 0.9375;
    b->CaptionXRound = b->CaptionYRound = 30;
    b->SetGlyphCentered(true);
    b->GlyphUpIsGlyphDown = true;
    b->SetBrush(kDarkBlue);
    b->ShadowColor = kDarkBlue;
    b->SetPen(QPen(kOrange, 1, Qt::DotLine));
    TPageHost* host = &Host;
    b->OnMouseIn = [host](QObject* s) { host->SBtnMouseIn(s); };
    b->OnMouseOut = [host](QObject* s) { host->SBtnMouseOut(s); };
    return b;
}

void TPage::WatchTitle(QLabel* l) {
    l->installEventFilter(this);
    titles_.append(l);
}

void TPage::WatchButtonLabel(QLabel* l) {
    l->installEventFilter(this);
    SetCursorNumber(l, crHandPoint);
    buttonLabels_.append(l);
}

bool TPage::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::MouseMove) {
        if (titles_.contains(o))
            BkMouseMove();
        else if (buttonLabels_.contains(o))
            SBtnMouseMove(o);
    } else if (e->type() == QEvent::MouseButtonRelease && buttonLabels_.contains(o)) {
        auto* me = static_cast<QMouseEvent*>(e);
        auto* w = qobject_cast<QWidget*>(o);
        if (me->button() == Qt::LeftButton && w && w->rect().contains(me->position().toPoint()))
            SBtnClick(o);
    }
    return false;
}

}  // namespace orb
