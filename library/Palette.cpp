#include "library/Palette.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QtEndian>
#include <memory>

#include "library/PictureDepth.h"
#include "platform/Display.h"

namespace orb {

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
    return pal.isEmpty() ? -1 : NearestIndex(pal, c);
}

QImage MapToPalette(const QImage& img, const Palette& pal) {
    if (pal.isEmpty() || pal.size() > 256 || img.isNull()) return img;
    // The picture loader's exact nearest-colour mapping, shown as true colour.
    return MapToPalette(img, pal, false).convertToFormat(QImage::Format_RGB32);
}

PaletteDisplayEffect::PaletteDisplayEffect(Palette pal, QObject* parent)
    : QGraphicsEffect(parent), pal_(std::move(pal)) {}

void PaletteDisplayEffect::draw(QPainter* painter) {
    if (pal_.isEmpty()) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    const QPixmap pm = sourcePixmap(Qt::DeviceCoordinates, &offset, NoPad);
    if (pm.isNull()) return;
    const QImage mapped = MapToPalette(pm.toImage(), pal_);
    painter->save();
    painter->setWorldTransform(QTransform());
    painter->drawImage(offset, mapped);
    painter->restore();
}

void DrawBitmapAt(QPainter* canvas, int x, int y, const QImage& picture) {
    if (!canvas || picture.isNull()) return;
    canvas->drawImage(QPoint(x, y), picture);
}

void StretchBitmapInto(QPainter* canvas, const QRect& r, const QImage& picture) {
    if (!canvas || picture.isNull()) return;
    canvas->drawImage(QRect(r.left(), r.top(), r.right() - r.left(), r.bottom() - r.top()),
                      picture);
}

}  // namespace orb
