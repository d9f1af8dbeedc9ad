#include "library/PictureDepth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace orb {
namespace {

QVector<QRgb> MakeVga16() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QVector<QRgb> MakeFixed256() {
    QVector<QRgb> p = MakeVga16();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) p.append(qRgb(r * 51, g * 51, b * 51));
    // Greys between the cube's steps, so soft grey gradients keep their shades.
    for (int i = 1; p.size() < 256; ++i) {
        const int v = i * 255 / 25;
        p.append(qRgb(v, v, v));
    }
    return p;
}

inline int Dist(int r, int g, int b, QRgb p) {
    const int dr = r - qRed(p), dg = g - qGreen(p), db = b - qBlue(p);
    return dr * dr + dg * dg + db * db;
}

// Exact nearest-colour search. Each 5-bit colour cell gets, on first use, the few palette
// entries that can be nearest to any colour inside it; a small direct-mapped cache in
// front answers repeated colours without searching at all.
class Nearest {
public:
    explicit Nearest(const QVector<QRgb>& pal) : pal_(pal), first_(32768, -1), count_(32768, 0) {
        keys_.fill(0);
    }

    int operator()(int r, int g, int b) {
        const uint32_t rgb = (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
        const uint32_t key = rgb | 0x1000000u;
        const uint32_t slot = ((rgb * 2654435761u) >> 20) & (kSlots - 1);
        if (keys_[slot] == key) return idx_[slot];
        const int cell = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        if (first_[size_t(cell)] < 0) Candidates(cell);
        const uint8_t* c = candidates_.data() + first_[size_t(cell)];
        int best = c[0], bestD = INT32_MAX;
        for (int k = 0; k < count_[size_t(cell)]; ++k) {
            const int d = Dist(r, g, b, pal_[c[k]]);
            if (d < bestD) {
                bestD = d;
                best = c[k];
            }
        }
        keys_[slot] = key;
        idx_[slot] = uint8_t(best);
        return best;
    }

private:
    // Entries within (distance of the nearest to the cell's centre + twice the largest
    // centre-to-corner distance) of the centre; any colour of the cell has its nearest
    // among them. Kept in palette order, so ties go to the first entry as in a full search.
    void Candidates(int cell) {
        const int cr = ((cell >> 10) << 3) + 4, cg = (((cell >> 5) & 31) << 3) + 4,
                  cb = ((cell & 31) << 3) + 4;
        double nearest = 1e9;
        for (QRgb p : pal_) nearest = std::min(nearest, std::sqrt(double(Dist(cr, cg, cb, p))));
        const double reach = nearest + 2 * std::sqrt(3.0 * 4 * 4) + 0.001;
        first_[size_t(cell)] = int32_t(candidates_.size());
        for (int i = 0; i < pal_.size(); ++i)
            if (std::sqrt(double(Dist(cr, cg, cb, pal_[i]))) <= reach) {
                candidates_.push_back(uint8_t(i));
                ++count_[size_t(cell)];
            }
    }

    static constexpr uint32_t kSlots = 4096;
    const QVector<QRgb>& pal_;
    std::array<uint32_t, kSlots> keys_;
    std::array<uint8_t, kSlots> idx_{};
    std::vector<int32_t> first_;
    std::vector<uint16_t> count_;
    std::vector<uint8_t> candidates_;
};

// Nearest entry per 5-bit colour cell, filled as cells are met. Used while dithering,
// where the error carried on hides the cell's rounding and colours vary too much for
// the exact cache above to hit.
class CellNearest {
public:
    explicit CellNearest(const QVector<QRgb>& pal) : pal_(pal), lut_(32768, -1) {}

    int operator()(int r, int g, int b) {
        const int cell = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        int16_t& v = lut_[size_t(cell)];
        if (v < 0) {
            const int cr = (r & ~7) + 4, cg = (g & ~7) + 4, cb = (b & ~7) + 4;
            int best = 0, bestD = INT32_MAX;
            for (int i = 0; i < pal_.size(); ++i) {
                const int d = Dist(cr, cg, cb, pal_[i]);
                if (d < bestD) {
                    bestD = d;
                    best = i;
                }
            }
            v = int16_t(best);
        }
        return v;
    }

private:
    const QVector<QRgb>& pal_;
    std::vector<int16_t> lut_;
};

inline int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

}  // namespace

const QVector<QRgb>& FixedPalette(int bits) {
    static const QVector<QRgb> mono = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    static const QVector<QRgb> vga = MakeVga16();
    static const QVector<QRgb> full = MakeFixed256();
    if (bits <= 1) return mono;
    if (bits <= 4) return vga;
    return full;
}

int NearestIndex(const QVector<QRgb>& palette, QRgb c) {
    int best = 0, bestD = INT32_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int d = Dist(qRed(c), qGreen(c), qBlue(c), palette[i]);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

QImage ToTrueColour(const QImage& src) {
    if (src.isNull()) return {};
    if (src.format() == QImage::Format_RGB32) return src;
    if (!src.hasAlphaChannel()) return src.convertToFormat(QImage::Format_RGB32);
    QImage a = src.convertToFormat(QImage::Format_ARGB32);
    QImage out(a.size(), QImage::Format_RGB32);
    if (out.isNull()) return {};
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = s[x];
            const int al = qAlpha(p);
            if (al == 255) {
                d[x] = p;
            } else {
                const int inv = 255 - al;
                d[x] = qRgb((qRed(p) * al + 255 * inv + 127) / 255,
                            (qGreen(p) * al + 255 * inv + 127) / 255,
                            (qBlue(p) * al + 255 * inv + 127) / 255);
            }
        }
    }
    return out;
}

QImage MapToPalette(const QImage& src, const QVector<QRgb>& palette, bool dither) {
    if (src.isNull() || palette.isEmpty() || palette.size() > 256) return {};
    const int w = src.width(), h = src.height();
    QImage out(w, h, QImage::Format_Indexed8);
    if (out.isNull()) return {};
    out.setColorTable(palette);
    Nearest nearest(palette);

    if (!dither && src.format() == QImage::Format_Indexed8 && !src.hasAlphaChannel()) {
        // Map the colour table once, then translate indices.
        const QVector<QRgb> table = src.colorTable();
        std::array<uint8_t, 256> map{};
        for (int i = 0; i < table.size(); ++i)
            map[i] = uint8_t(nearest(qRed(table[i]), qGreen(table[i]), qBlue(table[i])));
        for (int y = 0; y < h; ++y) {
            const uchar* s = src.constScanLine(y);
            uchar* d = out.scanLine(y);
            for (int x = 0; x < w; ++x) d[x] = map[s[x]];
        }
        return out;
    }

    const QImage rgb = ToTrueColour(src);
    if (rgb.isNull()) return {};
    if (!dither) {
        for (int y = 0; y < h; ++y) {
            const QRgb* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            uchar* d = out.scanLine(y);
            for (int x = 0; x < w; ++x)
                d[x] = uchar(nearest(qRed(s[x]), qGreen(s[x]), qBlue(s[x])));
        }
        return out;
    }

    // Floyd-Steinberg: 7/16 right, 3/16 below left, 5/16 below, 1/16 below right.
    // Error rows carry one guard cell at each end.
    CellNearest cells(palette);
    std::vector<int> cur(size_t(w + 2) * 3, 0), next(size_t(w + 2) * 3, 0);
    for (int y = 0; y < h; ++y) {
        std::fill(next.begin(), next.end(), 0);
        const QRgb* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* d = out.scanLine(y);
        for (int x = 0; x < w; ++x) {
            int* e = &cur[size_t(x + 1) * 3];
            const int r = Clamp255(qRed(s[x]) + e[0] / 16);
            const int g = Clamp255(qGreen(s[x]) + e[1] / 16);
            const int b = Clamp255(qBlue(s[x]) + e[2] / 16);
            const int i = cells(r, g, b);
            d[x] = uchar(i);
            const int er[3] = {r - qRed(palette[i]), g - qGreen(palette[i]), b - qBlue(palette[i])};
            for (int c = 0; c < 3; ++c) {
                cur[size_t(x + 2) * 3 + c] += er[c] * 7;
                next[size_t(x) * 3 + c] += er[c] * 3;
                next[size_t(x + 1) * 3 + c] += er[c] * 5;
                next[size_t(x + 2) * 3 + c] += er[c];
            }
        }
        std::swap(cur, next);
    }
    return out;
}

QImage IndexExactly(const QImage& src, int most) {
    if (src.isNull() || src.hasAlphaChannel() || most < 1 || most > 256) return {};
    const QImage rgb = ToTrueColour(src);
    const int w = rgb.width(), h = rgb.height();
    // Open-addressed set of the colours seen so far; bails out at the first one too many.
    constexpr uint32_t kSlots = 1024;
    std::array<uint32_t, kSlots> keys;
    std::array<uint8_t, kSlots> idx{};
    keys.fill(0);
    QVector<QRgb> table;
    QImage out(w, h, QImage::Format_Indexed8);
    if (out.isNull()) return {};
    for (int y = 0; y < h; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* d = out.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const uint32_t key = (s[x] & 0xFFFFFFu) | 0x1000000u;
            uint32_t slot = ((key * 2654435761u) >> 22) & (kSlots - 1);
            while (keys[slot] != 0 && keys[slot] != key) slot = (slot + 1) & (kSlots - 1);
            if (keys[slot] == 0) {
                if (table.size() == most) return {};
                keys[slot] = key;
                idx[slot] = uint8_t(table.size());
                table.append(s[x] | 0xFF000000u);
            }
            d[x] = idx[slot];
        }
    }
    out.setColorTable(table);
    return out;
}

int BitmapBits(const QImage& img) {
    if (img.isNull()) return 0;
    if (img.format() == QImage::Format_Indexed8 || img.format() == QImage::Format_Mono ||
        img.format() == QImage::Format_MonoLSB) {
        const int n = img.colorCount();
        return n <= 2 ? 1 : (n <= 16 ? 4 : 8);
    }
    return 24;
}

bool ConvertToDepth(QImage& img, int bits, bool dither, QVector<QRgb>& palette) {
    if (img.isNull()) return true;
    const bool indexed = img.format() == QImage::Format_Indexed8 ||
                         img.format() == QImage::Format_Mono ||
                         img.format() == QImage::Format_MonoLSB;
    switch (bits) {
        case 0:
            if (indexed && img.colorCount() > 0 && !img.hasAlphaChannel()) {
                if (img.format() != QImage::Format_Indexed8)
                    img = img.convertToFormat(QImage::Format_Indexed8);
                palette = img.colorTable();
            } else {
                img = ToTrueColour(img);
            }
            return true;
        case 24:
            img = ToTrueColour(img);
            return true;
        case 1:
        case 4:
        case 8: {
            const int most = 1 << bits;
            QVector<QRgb> target;
            if (!palette.isEmpty() && palette.size() <= most) {
                target = palette;
            } else if (indexed && img.colorCount() > 0 && img.colorCount() <= most &&
                       !img.hasAlphaChannel()) {
                if (img.format() != QImage::Format_Indexed8)
                    img = img.convertToFormat(QImage::Format_Indexed8);
                palette = img.colorTable();
                return true;
            } else if (QImage exact = IndexExactly(img, most); !exact.isNull()) {
                img = exact;
                palette = img.colorTable();
                return true;
            } else {
                target = FixedPalette(bits);
            }
            img = MapToPalette(img, target, dither);
            palette = target;
            return !img.isNull();
        }
        default:
            return false;
    }
}

}  // namespace orb
