#include "paint/ProImg.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

#include "platform/Numbers.h"
#include "library/Palette.h"

namespace orb {

quint32 RasterOpPixel(TRasterOperation op, quint32 d, quint32 s, quint32 p) {
    const quint32 m = 0xffffff;
    d &= m;
    s &= m;
    p &= m;
    switch (op) {
        case TRasterOperation::roBLACKNESS: return 0;
        case TRasterOperation::roDSTINVERT: return ~d & m;
        case TRasterOperation::roMERGECOPY: return p & s;
        case TRasterOperation::roMERGEPAINT: return (~s & m) | d;
        case TRasterOperation::roNOTSRCCOPY: return ~s & m;
        case TRasterOperation::roNOTSRCERASE: return ~(s | d) & m;
        case TRasterOperation::roPATCOPY: return p;
        case TRasterOperation::roPATINVERT: return p ^ d;
        case TRasterOperation::roPATPAINT: return p | (~s & m) | d;
        case TRasterOperation::roSRCAND: return s & d;
        case TRasterOperation::roSRCCOPY: return s;
        case TRasterOperation::roSRCERASE: return s & (~d & m);
        case TRasterOperation::roSRCINVERT: return s ^ d;
        case TRasterOperation::roSRCPAINT: return s | d;
        case TRasterOperation::roWHITENESS: return m;
    }
    return s;
}

void ApplyRasterOp(QImage& dst, const QImage& src, TRasterOperation op, QRgb pattern) {
    if (dst.format() != QImage::Format_RGB32 && dst.format() != QImage::Format_ARGB32)
        dst = dst.convertToFormat(QImage::Format_RGB32);
    const QImage s = src.convertToFormat(QImage::Format_RGB32);
    const int w = std::min(dst.width(), s.width()), h = std::min(dst.height(), s.height());
    for (int y = 0; y < h; ++y) {
        auto* dl = reinterpret_cast<quint32*>(dst.scanLine(y));
        auto* sl = reinterpret_cast<const quint32*>(s.constScanLine(y));
        for (int x = 0; x < w; ++x)
            dl[x] = 0xff000000u | RasterOpPixel(op, dl[x], sl[x], pattern);
    }
}

QRect ProportionalRect(QSize control, QSize picture, int sx, int sy, bool sxIsStatic,
                       bool syIsStatic, int staticSx, int staticSy) {
    const int W = control.width(), H = control.height();
    const double PW = picture.width(), PH = picture.height();
    if (PW <= 0 || PH <= 0) return {};
    auto fit = [&](int px, int py, int& w, int& h) {
        w = Round(W * px / 100.0);
        h = Round(PH / PW * w);
        const int hMax = Round(H * py / 100.0);
        if (h > hMax) {
            h = hMax;
            w = Round(PW / PH * h);
        }
    };
    int w, h;
    fit(sx, sy, w, h);
    if (sxIsStatic || syIsStatic) {
        int w2, h2;
        fit(staticSx, staticSy, w2, h2);
        if (sxIsStatic)
            w = w2;
        else
            h = h2;
    }
    return QRect((W - w) / 2, (H - h) / 2, w, h);
}

std::vector<QPoint> ExplodeOrder(int cols, int rows) {
    std::vector<QPoint> order;
    if (cols <= 0 || rows <= 0) return order;
    const long long total = (long long)cols * rows;
    order.reserve(size_t(total));
    // A square spiral from the centre block: right, down, left, up, with growing legs.
    int x = (cols - 1) / 2, y = (rows - 1) / 2;
    auto visit = [&](int vx, int vy) {
        if (vx >= 0 && vy >= 0 && vx < cols && vy < rows) order.emplace_back(vx, vy);
    };
    visit(x, y);
    const int dx[4] = {1, 0, -1, 0}, dy[4] = {0, 1, 0, -1};
    const int limit = 2 * std::max(cols, rows) + 2;
    for (int leg = 1, dir = 0; (long long)order.size() < total && leg <= limit; ++leg) {
        for (int twice = 0; twice < 2; ++twice, dir = (dir + 1) % 4) {
            for (int i = 0; i < leg; ++i) {
                x += dx[dir];
                y += dy[dir];
                visit(x, y);
            }
        }
    }
    return order;
}

std::vector<QPoint> ImplodeOrder(int cols, int rows) {
    std::vector<QPoint> order = ExplodeOrder(cols, rows);
    std::reverse(order.begin(), order.end());
    return order;
}

std::vector<QPoint> RandomOrder(int cols, int rows, int speed, quint32 seed) {
    std::vector<QPoint> order;
    if (cols <= 0 || rows <= 0) return order;
    const long long count = (long long)cols * rows / std::max(1, speed);
    QRandomGenerator rng(seed);
    order.reserve(size_t(count));
    for (long long i = 0; i < count; ++i)
        order.emplace_back(int(rng.bounded(quint32(cols))), int(rng.bounded(quint32(rows))));
    return order;
}

TProportionalImage::TProportionalImage(QWidget* parent) : QWidget(parent) {
    resize(100, 100);
    bk_.OnAnyChange = [this] { update(); };
    revealTimer_.setInterval(15);
    connect(&revealTimer_, &QTimer::timeout, this, [this] {
        // About sixty frames for the whole reveal, whatever the block count.
        revealShown_ = std::min(revealOrder_.size(),
                                revealShown_ + std::max<size_t>(1, revealOrder_.size() / 60));
        if (revealShown_ >= revealOrder_.size()) revealTimer_.stop();
        update();
    });
}

void TProportionalImage::SetImage(const QImage& img) {
    image_ = img;
    NewImage = true;
    update();
}

void TProportionalImage::SetText(const QString& t) {
    if (t == text_) return;
    text_ = t;
    NewImage = true;
    update();
}

namespace {
QSize DeviceSize(QSize logical, qreal dpr) {
    return QSize(int(std::ceil(logical.width() * dpr)), int(std::ceil(logical.height() * dpr)));
}
// The ratio of the surface a painter really draws on (a screenshot image may differ from
// the screen the control is on).
qreal TargetRatio(QPainter& p, const QWidget* w) {
    const QPaintDevice* d = p.paintEngine() ? p.paintEngine()->paintDevice() : nullptr;
    return d ? d->devicePixelRatioF() : w->devicePixelRatioF();
}
}  // namespace

QImage TProportionalImage::Compose(qreal dpr) const {
    if (dpr <= 0) dpr = 1;
    // Painted in logical pixels onto a device-sized image: the stretch below repeats or
    // drops device pixels, so a reduced picture keeps the detail the screen can show.
    QImage out(DeviceSize(size(), dpr), QImage::Format_RGB32);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::black);
    QPainter p(&out);
    DrawBackground(p, bk_, width(), height());
    if (image_.width() > 0 && image_.height() > 0) {
        const QRect r = ProportionalRect(size(), image_.size(), sx_, sy_, SxIsStatic, SyIsStatic,
                                         StaticSx, StaticSy);
        // Colour-on-colour stretching: rows and columns are repeated or dropped, never blended.
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(r, image_);
    }
    if (!text_.isEmpty()) {
        p.setFont(font());
        const QFontMetrics fm(font());
        const int tw = fm.horizontalAdvance(text_) + 4, th = fm.height() + 4;
        const QRect box((width() - tw) / 2, height() - th, tw, th);
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.drawText(box, Qt::AlignCenter, text_);
    }
    return out;
}

void TProportionalImage::PutOn(QImage& canvas, QPoint at) const {
    const qreal dpr = canvas.devicePixelRatio();
    const QImage composed = Compose(dpr);
    const QRect device(QPoint(int(std::floor(at.x() * dpr)), int(std::floor(at.y() * dpr))),
                       composed.size());
    QImage region = canvas.copy(device).convertToFormat(QImage::Format_RGB32);
    region.setDevicePixelRatio(dpr);
    const QRgb pattern = bk_.Brush().style() == Qt::NoBrush ? qRgb(255, 255, 255)
                                                            : bk_.Brush().color().rgb();
    ApplyRasterOp(region, composed, rop_, pattern);
    QPainter p(&canvas);
    if (ClipRegion) p.setClipRegion(ClipRegion->translated(at));
    p.drawImage(at, region);
}

void TProportionalImage::StartReveal() {
    const int bs = std::max(1, EffectSize);
    const int cols = (width() + bs - 1) / bs, rows = (height() + bs - 1) / bs;  // logical
    switch (Effect) {
        case EffectStyle::esExplode: revealOrder_ = ExplodeOrder(cols, rows); break;
        case EffectStyle::esImplode: revealOrder_ = ImplodeOrder(cols, rows); break;
        case EffectStyle::esRandom:
            revealOrder_ = RandomOrder(cols, rows, EffectSpeed, QRandomGenerator::global()->generate());
            break;
    }
    revealShown_ = 0;
    revealTimer_.start();
}

void TProportionalImage::paintEvent(QPaintEvent*) {
    if (painting_) return;
    painting_ = true;
    QPainter p(this);
    const qreal dpr = TargetRatio(p, this);
    const bool smooth = !ClipEllipse.isEmpty() && rop_ == TRasterOperation::roSRCCOPY &&
                        !(NewImage && Effects) && !revealTimer_.isActive() && revealOrder_.empty();
    if (ClipRegion && !smooth) p.setClipRegion(*ClipRegion);
    if (NewImage && Effects) {
        revealImage_ = Compose(dpr);
        StartReveal();
    }
    if (revealTimer_.isActive() || (!revealOrder_.empty() && revealShown_ < revealOrder_.size())) {
        // Blocks are logical; the composed picture may be finer.
        const int bs = std::max(1, EffectSize);
        const qreal k = revealImage_.devicePixelRatio();
        for (size_t i = 0; i < revealShown_; ++i) {
            const QRectF r(revealOrder_[i].x() * bs, revealOrder_[i].y() * bs, bs, bs);
            p.drawImage(r, revealImage_, QRectF(r.topLeft() * k, r.size() * k));
        }
    } else if (!revealOrder_.empty()) {
        p.drawImage(QPointF(0, 0), revealImage_);  // the effect ends with the whole picture
        revealOrder_.clear();
    } else if (smooth) {
        // The edge's pixels are blended with what lies below; the inside is copied as is.
        QImage cut = Compose(dpr).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const qreal k = cut.devicePixelRatio();
        cut.setDevicePixelRatio(1);
        QImage mask(cut.size(), QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        {
            QPainter m(&mask);
            m.setRenderHint(QPainter::Antialiasing, true);
            m.setPen(Qt::NoPen);
            m.setBrush(Qt::white);
            m.drawEllipse(QRectF(ClipEllipse.topLeft() * k, ClipEllipse.size() * k));
        }
        {
            QPainter c(&cut);
            c.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            c.drawImage(0, 0, mask);
        }
        cut.setDevicePixelRatio(k);
        p.drawImage(QPointF(0, 0), cut);
    } else if (rop_ == TRasterOperation::roSRCCOPY) {
        p.drawImage(QPointF(0, 0), Compose(dpr));
    } else {
        // Any other operation combines with what lies below: compose the parent's pixels.
        QImage below(DeviceSize(size(), dpr), QImage::Format_RGB32);
        below.setDevicePixelRatio(dpr);
        below.fill(Qt::black);
        if (parentWidget()) {
            QPainter bp(&below);
            parentWidget()->render(&bp, QPoint(), QRegion(geometry()),
                                   QWidget::DrawWindowBackground);
        }
        const QRgb pattern = bk_.Brush().style() == Qt::NoBrush ? qRgb(255, 255, 255)
                                                                : bk_.Brush().color().rgb();
        ApplyRasterOp(below, Compose(dpr), rop_, pattern);
        p.drawImage(QPointF(0, 0), below);
    }
    NewImage = false;
    painting_ = false;
}

void TProportionalImage::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
    if (OnMouseDown) OnMouseDown(e);
}
void TProportionalImage::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(e);
}
void TProportionalImage::mouseReleaseEvent(QMouseEvent* e) {
    if (OnMouseUp) OnMouseUp(e);
    if (pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) &&
        OnClick)
        OnClick();
    pressed_ = false;
}
void TProportionalImage::mouseDoubleClickEvent(QMouseEvent*) {
    if (OnDblClick) OnDblClick();
}

}  // namespace orb
