#include <zlib.h>

#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>

#include "Assets.h"

namespace assets {

QVector<QRgb> Vga16() {
    // Windows order: the dark eight, then the bright eight.
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QVector<QRgb> Shared256() {
    QVector<QRgb> pal = Vga16();
    for (const QColor& c : {kDarkBlue, kOrange, kLightBlue, kBand, kCream, kSlate, kSage})
        pal.push_back(c.rgb());
    static const int kSteps[6] = {0, 51, 102, 153, 204, 255};
    for (int r : kSteps)
        for (int g : kSteps)
            for (int b : kSteps) pal.push_back(qRgb(r, g, b));
    // Greys the cube and the VGA colours lack, spread over the whole range.
    static const int kGreys[17] = {8,   17,  25,  34,  68,  85,  119, 136, 144,
                                   170, 178, 187, 212, 221, 230, 238, 246};
    for (int v : kGreys) pal.push_back(qRgb(v, v, v));
    return pal;
}

namespace {

struct Box {
    std::vector<QRgb> px;
    int Longest(int* channel) const {
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (QRgb c : px) {
            const int v[3] = {qRed(c), qGreen(c), qBlue(c)};
            for (int i = 0; i < 3; ++i)
                lo[i] = std::min(lo[i], v[i]), hi[i] = std::max(hi[i], v[i]);
        }
        // Green counts most to the eye, blue least.
        const double w[3] = {1.0, 1.2, 0.8};
        int best = 0;
        double span = -1;
        for (int i = 0; i < 3; ++i)
            if ((hi[i] - lo[i]) * w[i] > span) span = (hi[i] - lo[i]) * w[i], best = i;
        *channel = best;
        return int(span * double(px.size()));
    }
    QRgb Mean() const {
        double s[3] = {0, 0, 0};
        for (QRgb c : px) s[0] += qRed(c), s[1] += qGreen(c), s[2] += qBlue(c);
        const double n = std::max<size_t>(1, px.size());
        return qRgb(int(std::lround(s[0] / n)), int(std::lround(s[1] / n)),
                    int(std::lround(s[2] / n)));
    }
};

int Channel(QRgb c, int i) { return i == 0 ? qRed(c) : i == 1 ? qGreen(c) : qBlue(c); }

int Nearest(const QVector<QRgb>& pal, int r, int g, int b) {
    int best = 0;
    long bestD = 1L << 40;
    for (int i = 0; i < pal.size(); ++i) {
        const long dr = r - qRed(pal[i]), dg = g - qGreen(pal[i]), db = b - qBlue(pal[i]);
        const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestD) bestD = d, best = i;
    }
    return best;
}

}  // namespace

QVector<QRgb> ChoosePalette(const QImage& src, int count) {
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    std::vector<Box> boxes(1);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        boxes[0].px.insert(boxes[0].px.end(), line, line + img.width());
    }
    while (int(boxes.size()) < count) {
        int pick = -1, channel = 0, score = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            int ch = 0;
            const int s = boxes[i].px.size() > 1 ? boxes[i].Longest(&ch) : 0;
            if (s > score) score = s, pick = int(i), channel = ch;
        }
        if (pick < 0) break;  // fewer distinct colours than entries
        auto& v = boxes[pick].px;
        std::sort(v.begin(), v.end(), [channel](QRgb a, QRgb b) {
            const int ca = Channel(a, channel), cb = Channel(b, channel);
            return ca != cb ? ca < cb : (a & 0xFFFFFF) < (b & 0xFFFFFF);
        });
        Box upper;
        upper.px.assign(v.begin() + v.size() / 2, v.end());
        v.resize(v.size() / 2);
        boxes.push_back(std::move(upper));
    }
    QVector<QRgb> pal;
    for (const Box& b : boxes) pal.push_back(b.Mean());
    while (pal.size() < count) pal.push_back(qRgb(0, 0, 0));
    // A few passes of k-means polish the median-cut colours.
    for (int pass = 0; pass < 3; ++pass) {
        std::vector<std::array<double, 4>> sum(count, {0, 0, 0, 0});
        for (int y = 0; y < img.height(); y += 2) {
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < img.width(); x += 2) {
                const QRgb c = line[x];
                auto& s = sum[Nearest(pal, qRed(c), qGreen(c), qBlue(c))];
                s[0] += qRed(c), s[1] += qGreen(c), s[2] += qBlue(c), s[3] += 1;
            }
        }
        for (int i = 0; i < count; ++i)
            if (sum[i][3] > 0)
                pal[i] = qRgb(int(std::lround(sum[i][0] / sum[i][3])),
                              int(std::lround(sum[i][1] / sum[i][3])),
                              int(std::lround(sum[i][2] / sum[i][3])));
    }
    return pal;
}

std::vector<uint8_t> Dither(const QImage& src, const QVector<QRgb>& pal) {
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    std::vector<uint8_t> out(size_t(w) * h);
    std::vector<float> err0(size_t(w + 2) * 3, 0.f), err1(size_t(w + 2) * 3, 0.f);
    for (int y = 0; y < h; ++y) {
        std::fill(err1.begin(), err1.end(), 0.f);
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            float want[3] = {float(qRed(line[x])), float(qGreen(line[x])), float(qBlue(line[x]))};
            int v[3];
            for (int i = 0; i < 3; ++i)
                v[i] = std::clamp(int(std::lround(want[i] + err0[(x + 1) * 3 + i])), 0, 255);
            const int idx = Nearest(pal, v[0], v[1], v[2]);
            out[size_t(y) * w + x] = uint8_t(idx);
            const int got[3] = {qRed(pal[idx]), qGreen(pal[idx]), qBlue(pal[idx])};
            for (int i = 0; i < 3; ++i) {
                const float e = float(v[i] - got[i]);
                err0[(x + 2) * 3 + i] += e * 7 / 16;
                err1[(x + 0) * 3 + i] += e * 3 / 16;
                err1[(x + 1) * 3 + i] += e * 5 / 16;
                err1[(x + 2) * 3 + i] += e * 1 / 16;
            }
        }
        std::swap(err0, err1);
    }
    return out;
}

namespace {
void Put16(QByteArray& b, int v) {
    char c[2];
    qToLittleEndian<quint16>(quint16(v), c);
    b.append(c, 2);
}
void Put32(QByteArray& b, qint64 v) {
    char c[4];
    qToLittleEndian<quint32>(quint32(v), c);
    b.append(c, 4);
}
}  // namespace

QByteArray EncodeIndexedBmp(int w, int h, int bits, const std::vector<uint8_t>& idx,
                            const QVector<QRgb>& pal) {
    const int stride = ((w * bits + 31) / 32) * 4;
    const int colours = int(pal.size());
    const qint64 offBits = 14 + 40 + 4 * colours;
    QByteArray b;
    b.append("BM", 2);
    Put32(b, offBits + qint64(stride) * h);
    Put32(b, 0);
    Put32(b, offBits);
    Put32(b, 40);
    Put32(b, w);
    Put32(b, h);  // positive: rows stored bottom-up
    Put16(b, 1);
    Put16(b, bits);
    Put32(b, 0);  // BI_RGB
    Put32(b, qint64(stride) * h);
    Put32(b, 2835);  // 72 dpi
    Put32(b, 2835);
    Put32(b, colours);
    Put32(b, colours);
    for (QRgb c : pal) {
        const char q[4] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c)), 0};
        b.append(q, 4);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const uint8_t v = idx[size_t(y) * w + x];
            if (bits == 8)
                row[x] = char(v);
            else
                row[x / 2] = char(uchar(row[x / 2]) | (x % 2 ? (v & 15) : (v & 15) << 4));
        }
        b.append(row);
    }
    return b;
}

namespace {
void PngChunk(QByteArray& out, const char* type, const QByteArray& data) {
    uchar len[4];
    qToBigEndian<quint32>(quint32(data.size()), len);
    out.append(reinterpret_cast<const char*>(len), 4);
    const QByteArray body = QByteArray(type, 4) + data;
    out += body;
    uchar crc[4];
    qToBigEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))),
        crc);
    out.append(reinterpret_cast<const char*>(crc), 4);
}
}  // namespace

QByteArray EncodeUnfilteredPng(const QImage& img) {
    if (img.isNull()) return {};
    const QImage src = img.convertToFormat(QImage::Format_ARGB32);
    const bool alpha = img.hasAlphaChannel();
    const int w = src.width(), h = src.height(), channels = alpha ? 4 : 3;
    QByteArray raw;
    raw.reserve(qsizetype(h) * (1 + qsizetype(w) * channels));
    for (int y = 0; y < h; ++y) {
        raw.append('\0');  // filter type None
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            raw.append(char(qRed(line[x])));
            raw.append(char(qGreen(line[x])));
            raw.append(char(qBlue(line[x])));
            if (alpha) raw.append(char(qAlpha(line[x])));
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    QByteArray packed(qsizetype(packedSize), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.constData()), uLong(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return {};
    packed.truncate(qsizetype(packedSize));

    QByteArray header(13, '\0');
    auto* hd = reinterpret_cast<uchar*>(header.data());
    qToBigEndian<quint32>(quint32(w), hd);
    qToBigEndian<quint32>(quint32(h), hd + 4);
    hd[8] = 8;                     // bits per channel
    hd[9] = alpha ? 6 : 2;         // RGBA or RGB
    hd[10] = hd[11] = hd[12] = 0;  // deflate, adaptive-filter method, no interlace
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    PngChunk(out, "IHDR", header);
    PngChunk(out, "IDAT", packed);
    PngChunk(out, "IEND", QByteArray());
    return out;
}

}  // namespace assets
