#include "library/Pcx.h"

#include <QVector>
#include <algorithm>
#include <cstring>
#include <vector>

namespace orb {
namespace {

constexpr int kHeaderSize = 128;

inline int U16(const uchar* p) { return p[0] | (p[1] << 8); }

// The colours of a 16-colour picture that carries no palette (version 3).
QVector<QRgb> EgaPalette() {
    return {qRgb(0, 0, 0),     qRgb(0, 0, 170),    qRgb(0, 170, 0),    qRgb(0, 170, 170),
            qRgb(170, 0, 0),   qRgb(170, 0, 170),  qRgb(170, 85, 0),   qRgb(170, 170, 170),
            qRgb(85, 85, 85),  qRgb(85, 85, 255),  qRgb(85, 255, 85),  qRgb(85, 255, 255),
            qRgb(255, 85, 85), qRgb(255, 85, 255), qRgb(255, 255, 85), qRgb(255, 255, 255)};
}

// Run-length decoder over the whole pixel stream; runs may cross line ends, which some
// writers produce.
class RleStream {
public:
    RleStream(const uchar* p, const uchar* end, bool encoded) : p_(p), end_(end), rle_(encoded) {}

    // Fills `n` bytes; false when the data ran out (the rest of dst is left as it was).
    bool Fill(uchar* dst, int n) {
        int i = 0;
        while (i < n) {
            if (runLeft_ > 0) {
                const int k = std::min(runLeft_, n - i);
                std::memset(dst + i, runValue_, size_t(k));
                i += k;
                runLeft_ -= k;
                continue;
            }
            if (!rle_) {
                const int k = int(std::min<ptrdiff_t>(end_ - p_, n - i));
                if (k <= 0) return false;
                std::memcpy(dst + i, p_, size_t(k));
                p_ += k;
                i += k;
                continue;
            }
            // Literal bytes, the common case, in a tight loop.
            const uchar* p = p_;
            const uchar* stop = p + std::min<ptrdiff_t>(end_ - p, n - i);
            uchar* d = dst + i;
            while (p < stop && (*p & 0xC0) != 0xC0) *d++ = *p++;
            i += int(d - (dst + i));
            p_ = p;
            if (i >= n) break;
            if (p_ >= end_) return false;
            if (p_ + 1 >= end_) return false;
            runLeft_ = *p_ & 0x3F;
            runValue_ = p_[1];
            p_ += 2;
        }
        return true;
    }

private:
    const uchar* p_;
    const uchar* end_;
    bool rle_;
    int runLeft_ = 0;
    uchar runValue_ = 0;
};

}  // namespace

int TPcxHeader::PictureBits() const {
    if (Planes == 1 &&
        (BitsPerPixel == 1 || BitsPerPixel == 2 || BitsPerPixel == 4 || BitsPerPixel == 8))
        return BitsPerPixel;
    if (BitsPerPixel == 1 && Planes >= 2 && Planes <= 4) return Planes <= 2 ? 2 : 4;
    if (BitsPerPixel == 8 && (Planes == 3 || Planes == 4)) return 24;
    return 0;
}

bool ReadPcxHeader(const QByteArray& data, TPcxHeader& h) {
    if (data.size() < kHeaderSize) return false;
    const uchar* p = reinterpret_cast<const uchar*>(data.constData());
    if (p[0] != 0x0A) return false;
    if (p[1] != 0 && p[1] != 2 && p[1] != 3 && p[1] != 4 && p[1] != 5) return false;
    if (p[2] > 1) return false;
    if (p[3] != 1 && p[3] != 2 && p[3] != 4 && p[3] != 8) return false;
    const int xmin = U16(p + 4), ymin = U16(p + 6), xmax = U16(p + 8), ymax = U16(p + 10);
    if (xmax < xmin || ymax < ymin) return false;
    if (p[65] < 1 || p[65] > 4) return false;
    h.Version = p[1];
    h.Encoding = p[2];
    h.BitsPerPixel = p[3];
    h.Width = xmax - xmin + 1;
    h.Height = ymax - ymin + 1;
    h.HorizontalDpi = U16(p + 12);
    h.VerticalDpi = U16(p + 14);
    h.Planes = p[65];
    h.BytesPerLine = U16(p + 66);
    return true;
}

PcxResult DecodePcx(const QByteArray& data, QImage& out, int maxSide, qint64 maxPixels) {
    out = QImage();
    TPcxHeader h;
    if (!ReadPcxHeader(data, h)) return PcxResult::NotPcx;
    const int bits = h.PictureBits();
    if (bits == 0) return PcxResult::Unsupported;
    // A line must hold the picture's width; anything shorter is a damaged header.
    if (qint64(h.BytesPerLine) * 8 < qint64(h.Width) * h.BitsPerPixel)
        return PcxResult::Unsupported;
    if (h.Width > maxSide || h.Height > maxSide || qint64(h.Width) * h.Height > maxPixels)
        return PcxResult::TooLarge;

    const uchar* p = reinterpret_cast<const uchar*>(data.constData());
    const uchar* end = p + data.size();
    const int w = h.Width, hgt = h.Height, bpl = h.BytesPerLine;

    QVector<QRgb> table;
    bool paletteMissing = false;
    if (bits == 8) {
        // The 256-colour table follows a 0x0C marker at the very end of the file.
        if (data.size() >= kHeaderSize + 769 && end[-769] == 0x0C) {
            const uchar* t = end - 768;
            for (int i = 0; i < 256; ++i) table.append(qRgb(t[i * 3], t[i * 3 + 1], t[i * 3 + 2]));
            end -= 769;
        } else {
            // Older versions have no table and mean grey levels; version 5 must have one.
            for (int i = 0; i < 256; ++i) table.append(qRgb(i, i, i));
            paletteMissing = h.Version >= 5;
        }
    } else if (bits == 1) {
        // Set bits are white; the header's colours are left over from other modes.
        table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    } else if (bits == 2 || bits == 4) {
        const int n = 1 << bits;
        if (h.Version == 3) {
            table = EgaPalette().mid(0, n);
        } else {
            for (int i = 0; i < n; ++i)
                table.append(qRgb(p[16 + i * 3], p[17 + i * 3], p[18 + i * 3]));
        }
    }

    QImage img(w, hgt, bits == 24 ? QImage::Format_RGB32 : QImage::Format_Indexed8);
    if (img.isNull()) return PcxResult::NoMemory;
    if (bits == 24) {
        img.fill(qRgb(0, 0, 0));
    } else {
        img.setColorTable(table);
        img.fill(0);
    }

    RleStream rle(p + kHeaderSize, end, h.Encoding == 1);
    std::vector<uchar> line(size_t(bpl) * size_t(h.Planes), 0);
    bool complete = true;
    for (int y = 0; y < hgt && complete; ++y) {
        complete = rle.Fill(line.data(), int(line.size()));
        // A short last line is still shown as far as it came.
        const uchar* l = line.data();
        if (bits == 24) {
            QRgb* d = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) d[x] = qRgb(l[x], l[bpl + x], l[2 * bpl + x]);
        } else {
            uchar* d = img.scanLine(y);
            if (h.Planes == 1) {
                switch (h.BitsPerPixel) {
                    case 8:
                        std::memcpy(d, l, size_t(w));
                        break;
                    case 4:
                        for (int x = 0; x < w; ++x) d[x] = (l[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
                        break;
                    case 2:
                        for (int x = 0; x < w; ++x) d[x] = (l[x >> 2] >> (6 - 2 * (x & 3))) & 0x03;
                        break;
                    default:
                        for (int x = 0; x < w; ++x) d[x] = (l[x >> 3] >> (7 - (x & 7))) & 0x01;
                        break;
                }
            } else {
                for (int x = 0; x < w; ++x) {
                    int v = 0;
                    for (int pl = 0; pl < h.Planes; ++pl)
                        v |= ((l[pl * bpl + (x >> 3)] >> (7 - (x & 7))) & 1) << pl;
                    d[x] = uchar(v);
                }
            }
        }
        std::fill(line.begin(), line.end(), 0);
    }
    out = img;
    return complete && !paletteMissing ? PcxResult::Ok : PcxResult::Truncated;
}

}  // namespace orb
