#include "shell/Basics.h"

#include <QEnterEvent>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QtEndian>
#include <cmath>
#include <memory>

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

// ---- Shared palettes -----------------------------------------------------------------

namespace {
std::unique_ptr<Palette> g_pal16, g_pal256;

quint32 Le32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(b.constData()) + at);
}
quint16 Le16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(b.constData()) + at);
}

std::unique_ptr<Palette> LoadPaletteResource(const char* name) {
    QFile f(QStringLiteral(":/bitmaps/%1.bmp").arg(QLatin1String(name)));
    if (!f.open(QIODevice::ReadOnly)) return nullptr;
    Palette p = ReadBmpColorTable(f.readAll());
    if (p.isEmpty()) return nullptr;
    return std::make_unique<Palette>(std::move(p));
}
}  // namespace

Palette ReadBmpColorTable(const QByteArray& bmp) {
    // BITMAPFILEHEADER (14) + BITMAPINFOHEADER (>= 40), then the colour table.
    if (bmp.size() < 14 + 40 || bmp[0] != 'B' || bmp[1] != 'M') return {};
    const quint32 headerSize = Le32(bmp, 14);
    if (headerSize < 40 || headerSize > quint32(bmp.size())) return {};
    const int bits = Le16(bmp, 14 + 14);
    if (bits < 1 || bits > 8) return {};
    quint32 used = Le32(bmp, 14 + 32);
    const quint32 maxColors = 1u << bits;
    if (used == 0 || used > maxColors) used = maxColors;
    const qint64 tableAt = 14 + qint64(headerSize);
    if (tableAt + qint64(used) * 4 > bmp.size()) return {};
    Palette pal;
    pal.reserve(int(used));
    for (quint32 i = 0; i < used; ++i) {
        const uchar* q = reinterpret_cast<const uchar*>(bmp.constData()) + tableAt + i * 4;
        pal.push_back(qRgb(q[2], q[1], q[0]));  // stored blue, green, red
    }
    return pal;
}

void LoadPalettes() {
    g_pal16 = LoadPaletteResource("PAL16");
    g_pal256 = LoadPaletteResource("PAL256");
}

void FreePalettes() {
    g_pal16.reset();
    g_pal256.reset();
}

const Palette* GetSharedPalette() {
    const int bits = DisplayDepth();
    if (bits <= 7) return g_pal16.get();
    if (bits == 8) return g_pal256.get();
    return nullptr;
}

int NearestPaletteIndex(const Palette& pal, QRgb c) {
    int best = -1;
    int bestD = INT32_MAX;
    for (int i = 0; i < pal.size(); ++i) {
        const int dr = qRed(pal[i]) - qRed(c), dg = qGreen(pal[i]) - qGreen(c),
                  db = qBlue(pal[i]) - qBlue(c);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}

namespace {
QVector<quint8> BuildCube(const Palette& pal) {
    QVector<quint8> lut(32 * 32 * 32);
    for (int r = 0; r < 32; ++r)
        for (int g = 0; g < 32; ++g)
            for (int b = 0; b < 32; ++b)
                lut[(r << 10) | (g << 5) | b] =
                    quint8(NearestPaletteIndex(pal, qRgb(r * 8 + 4, g * 8 + 4, b * 8 + 4)));
    return lut;
}

QImage MapWithCube(const QImage& src, const Palette& pal, const QVector<quint8>& lut) {
    QImage img = src.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, QRgb> exact;  // the palette's own colours stay exact
    for (QRgb c : pal) exact.insert(c | 0xff000000u, c | 0xff000000u);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = line[x] | 0xff000000u;
            auto it = exact.constFind(c);
            if (it != exact.constEnd()) continue;
            const int i = lut[((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)];
            line[x] = pal[i] | 0xff000000u;
        }
    }
    return img;
}
}  // namespace

QImage MapToPalette(const QImage& img, const Palette& pal) {
    if (pal.isEmpty() || img.isNull()) return img;
    return MapWithCube(img, pal, BuildCube(pal));
}

PaletteDisplayEffect::PaletteDisplayEffect(Palette pal, QObject* parent)
    : QGraphicsEffect(parent), pal_(std::move(pal)) {
    if (!pal_.isEmpty()) lut_ = BuildCube(pal_);
}

void PaletteDisplayEffect::draw(QPainter* painter) {
    if (pal_.isEmpty()) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    const QPixmap pm = sourcePixmap(Qt::DeviceCoordinates, &offset, NoPad);
    if (pm.isNull()) return;
    const QImage mapped = MapWithCube(pm.toImage(), pal_, lut_);
    painter->save();
    painter->setWorldTransform(QTransform());
    painter->drawImage(offset, mapped);
    painter->restore();
}

// ---- Cursors -------------------------------------------------------------------------

namespace {
QHash<int, QCursor>& CursorTable() {
    static QHash<int, QCursor> table;
    return table;
}
}  // namespace

void RegisterCursor(int number, const QCursor& cursor) { CursorTable().insert(number, cursor); }

QCursor CursorFor(int number) {
    if (number == 0) return QCursor(Qt::ArrowCursor);
    auto it = CursorTable().constFind(number);
    if (it != CursorTable().constEnd()) return *it;
    return QCursor(Qt::ArrowCursor);
}

QCursor LoadResourceCursor(const QString& name) {
    const QPixmap pm = QPixmap::fromImage(ResourcePng(QStringLiteral(":/cursors/%1.png").arg(name)));
    if (pm.isNull()) return QCursor(Qt::PointingHandCursor);
    int hx = -1, hy = -1;
    QFile hot(QStringLiteral(":/cursors/%1.hot").arg(name));
    if (hot.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> parts = hot.readAll().simplified().split(' ');
        if (parts.size() >= 2) {
            hx = parts[0].toInt();
            hy = parts[1].toInt();
        }
    }
    return QCursor(pm, hx, hy);
}

int CursorNumber(const QWidget* w) { return w ? w->property("CursorNumber").toInt() : 0; }

void SetCursorNumber(QWidget* w, int number) {
    if (!w) return;
    w->setProperty("CursorNumber", number);
    if (number == 0)
        w->unsetCursor();
    else
        w->setCursor(CursorFor(number));
}

QImage ResourcePng(const QString& path) {
    QImage img;
    img.load(path, "PNG");
    return img;
}

// ---- Drawing helpers -----------------------------------------------------------------

void DrawBitmapAt(QPainter* canvas, int x, int y, const QImage& picture) {
    if (!canvas || picture.isNull()) return;
    canvas->drawImage(QPoint(x, y), picture);
}

void StretchBitmapInto(QPainter* canvas, const QRect& r, const QImage& picture) {
    if (!canvas || picture.isNull()) return;
    canvas->drawImage(QRect(r.left(), r.top(), r.right() - r.left(), r.bottom() - r.top()),
                      picture);
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
