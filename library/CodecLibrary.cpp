#include "library/CodecLibrary.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "library/Pcx.h"
#include "library/PictureDepth.h"

namespace orb::codec {
namespace {

inline uint32_t Le16(const uchar* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
inline uint32_t Le32(const uchar* p) { return Le16(p) | (Le16(p + 2) << 16); }
inline uint32_t Be16(const uchar* p) { return (uint32_t(p[0]) << 8) | uint32_t(p[1]); }
inline uint32_t Be32(const uchar* p) { return (Be16(p) << 16) | Be16(p + 2); }

const uchar* Bytes(const QByteArray& d) { return reinterpret_cast<const uchar*>(d.constData()); }

int16_t LoadFile(const QString& file, QByteArray& data) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return ErrOpen;
    if (f.size() > kMaxFileBytes) return ErrTooLarge;
    data = f.readAll();
    return Ok;
}

bool IsSof(uchar m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }

// Walks the marker structure of a JPEG stream. Returns Ok when it reaches the end-of-image
// marker, ErrTruncated when the data stops first, ErrCorrupt for a broken structure.
// `info` (optional) receives the frame header.
int16_t WalkJpeg(const QByteArray& data, TCodecFileInfo* info) {
    const uchar* d = Bytes(data);
    const size_t n = size_t(data.size());
    size_t i = 2;
    bool frame = false;
    while (true) {
        if (i + 2 > n) return ErrTruncated;
        if (d[i] != 0xFF) return ErrCorrupt;
        const uchar m = d[i + 1];
        if (m == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (m == 0xD9) return frame ? Ok : ErrCorrupt;
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            i += 2;
            continue;
        }
        if (i + 4 > n) return ErrTruncated;
        const size_t len = Be16(d + i + 2);
        if (len < 2) return ErrCorrupt;
        if (IsSof(m)) {
            if (i + 10 > n) return ErrTruncated;
            if (len < 8) return ErrCorrupt;
            frame = true;
            if (info) {
                info->Height = int(Be16(d + i + 5));
                info->Width = int(Be16(d + i + 7));
                info->Planes = d[i + 9];
                info->Bits = d[i + 4] * d[i + 9];
                info->Description = m == 0xC2   ? "JPEG progressive"
                                    : m == 0xC0 ? "JPEG baseline"
                                                : "JPEG extended";
                return Ok;
            }
        }
        i += 2 + len;
        if (m == 0xDA) {
            if (!frame) return ErrCorrupt;
            // Entropy-coded data runs to the next marker that is neither a stuffed byte
            // nor a restart marker.
            while (true) {
                if (i >= n) return ErrTruncated;
                const void* ff = std::memchr(d + i, 0xFF, n - i);
                if (!ff) return ErrTruncated;
                const size_t j = size_t(static_cast<const uchar*>(ff) - d);
                if (j + 1 >= n) return ErrTruncated;
                const uchar next = d[j + 1];
                if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                    i = j + 2;
                } else if (next == 0xFF) {
                    i = j + 1;
                } else {
                    i = j;
                    break;
                }
            }
        }
    }
}

// Walks a GIF stream up to the end of its first picture (the one we show).
int16_t WalkGif(const QByteArray& data) {
    const uchar* d = Bytes(data);
    const size_t n = size_t(data.size());
    if (n < 13) return ErrTruncated;
    size_t i = 13;
    if (d[10] & 0x80) i += size_t(3) << ((d[10] & 7) + 1);
    auto skipBlocks = [&](size_t& k) -> int16_t {
        while (true) {
            if (k >= n) return ErrTruncated;
            const size_t len = d[k++];
            if (len == 0) return Ok;
            k += len;
        }
    };
    while (true) {
        if (i >= n) return ErrTruncated;
        const uchar b = d[i++];
        if (b == 0x21) {
            if (i >= n) return ErrTruncated;
            ++i;  // label
            if (int16_t s = skipBlocks(i); s != Ok) return s;
        } else if (b == 0x2C) {
            if (i + 9 > n) return ErrTruncated;
            const uchar flags = d[i + 8];
            i += 9;
            if (flags & 0x80) i += size_t(3) << ((flags & 7) + 1);
            if (i >= n) return ErrTruncated;
            ++i;  // LZW code size
            return skipBlocks(i);
        } else {
            // The trailer before any picture, or garbage.
            return ErrCorrupt;
        }
    }
}

// Walks run-length encoded BMP bits (4 or 8 bits) to the end-of-bitmap code; a stream
// that stops after its last line counts as complete.
int16_t WalkBmpRle(const QByteArray& data, size_t offset, bool four, int height) {
    const uchar* d = Bytes(data);
    const size_t n = size_t(data.size());
    size_t i = offset;
    int lines = 0;
    while (true) {
        if (i + 2 > n) return lines >= height ? Ok : ErrTruncated;
        const uchar count = d[i], code = d[i + 1];
        i += 2;
        if (count > 0) continue;
        if (code == 0) {
            ++lines;
        } else if (code == 1) {
            return Ok;
        } else if (code == 2) {
            if (i + 2 > n) return ErrTruncated;
            lines += d[i + 1];
            i += 2;
        } else {
            size_t bytes = four ? (size_t(code) + 1) / 2 : code;
            bytes += bytes & 1;
            if (i + bytes > n) return ErrTruncated;
            i += bytes;
        }
    }
}

// Walks PNG chunks up to IEND.
int16_t WalkPng(const QByteArray& data) {
    const uchar* d = Bytes(data);
    const size_t n = size_t(data.size());
    size_t i = 8;
    while (true) {
        if (i + 12 > n) return ErrTruncated;
        const size_t len = Be32(d + i);
        if (len > 0x7FFFFFFFu) return ErrCorrupt;
        if (std::memcmp(d + i + 4, "IEND", 4) == 0) return Ok;
        i += 12 + len;
    }
}

int16_t BmpInfo(const QByteArray& data, TCodecFileInfo& info) {
    const uchar* d = Bytes(data);
    if (data.size() < 26) return ErrTruncated;
    const uint32_t dib = Le32(d + 14);
    if (dib == 12) {
        info.Width = int(Le16(d + 18));
        info.Height = int(Le16(d + 20));
        info.Planes = int(Le16(d + 22));
        info.Bits = int(Le16(d + 24));
        info.Colors = info.Bits <= 8 ? 1 << info.Bits : 0;
        info.Description = "OS/2 bitmap";
        return Ok;
    }
    if (dib < 40 || dib > 4096) return ErrCorrupt;
    if (data.size() < 54) return ErrTruncated;
    const int32_t w = int32_t(Le32(d + 18)), h = int32_t(Le32(d + 22));
    if (w <= 0 || h == 0 || h == INT32_MIN) return ErrCorrupt;
    info.Width = w;
    info.Height = h < 0 ? -h : h;
    info.Planes = int(Le16(d + 26));
    info.Bits = int(Le16(d + 28));
    const uint32_t compression = Le32(d + 30);
    const uint32_t used = Le32(d + 46);
    info.Colors =
        used ? int(std::min<uint32_t>(used, 65535)) : (info.Bits <= 8 ? 1 << info.Bits : 0);
    info.Description =
        compression == 1 || compression == 2 ? "Windows bitmap RLE" : "Windows bitmap";
    return Ok;
}

int16_t PngInfo(const QByteArray& data, TCodecFileInfo& info) {
    const uchar* d = Bytes(data);
    if (data.size() < 33) return ErrTruncated;
    if (std::memcmp(d + 12, "IHDR", 4) != 0) return ErrCorrupt;
    const uint32_t w = Be32(d + 16), h = Be32(d + 20);
    if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu) return ErrCorrupt;
    info.Width = int(w);
    info.Height = int(h);
    const int depth = d[24], type = d[25];
    const int channels = type == 0   ? 1
                         : type == 2 ? 3
                         : type == 3 ? 1
                         : type == 4 ? 2
                         : type == 6 ? 4
                                     : 0;
    if (channels == 0 || (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16))
        return ErrCorrupt;
    info.Planes = channels;
    info.Bits = depth * channels;
    info.Colors = type == 3 ? 1 << depth : 0;
    info.Description = d[28] ? "PNG interlaced" : "PNG";
    return Ok;
}

int16_t GifInfo(const QByteArray& data, TCodecFileInfo& info) {
    const uchar* d = Bytes(data);
    if (data.size() < 13) return ErrTruncated;
    info.Width = int(Le16(d + 6));
    info.Height = int(Le16(d + 8));
    info.Bits = (d[10] & 7) + 1;
    info.Planes = 1;
    info.Colors = (d[10] & 0x80) ? 1 << info.Bits : 0;
    info.Description = data.mid(0, 6);
    return Ok;
}

int16_t TiffInfo(const QByteArray& data, TCodecFileInfo& info) {
    const uchar* d = Bytes(data);
    const size_t n = size_t(data.size());
    if (n < 8) return ErrTruncated;
    const bool le = d[0] == 'I';
    auto u16 = [&](size_t at) { return le ? Le16(d + at) : Be16(d + at); };
    auto u32 = [&](size_t at) { return le ? Le32(d + at) : Be32(d + at); };
    const size_t ifd = u32(4);
    if (ifd < 8 || ifd + 2 > n) return ifd < 8 ? ErrCorrupt : ErrTruncated;
    const size_t count = u16(ifd);
    if (ifd + 2 + count * 12 > n) return ErrTruncated;
    int spp = 1, bps = 1, photometric = -1;
    uint32_t compression = 1;
    for (size_t e = 0; e < count; ++e) {
        const size_t at = ifd + 2 + e * 12;
        const uint32_t tag = u16(at), type = u16(at + 2), cnt = u32(at + 4);
        auto value = [&]() -> uint32_t { return type == 3 ? u16(at + 8) : u32(at + 8); };
        switch (tag) {
            case 256:
                info.Width = int(std::min<uint32_t>(value(), 0x7FFFFFFF));
                break;
            case 257:
                info.Height = int(std::min<uint32_t>(value(), 0x7FFFFFFF));
                break;
            case 258:
                if (cnt <= 2 && type == 3) {
                    bps = int(u16(at + 8));
                } else if (type == 3) {
                    const size_t off = u32(at + 8);
                    if (off + 2 <= n) bps = int(u16(off));
                }
                bps = std::min(bps, 64);
                break;
            case 259:
                compression = value();
                break;
            case 262:
                photometric = int(value());
                break;
            case 277:
                spp = int(value());
                break;
            default:
                break;
        }
    }
    if (info.Width <= 0 || info.Height <= 0) return ErrCorrupt;
    info.Planes = spp;
    info.Bits = std::min(bps * spp, 1 << 14);
    info.Colors = photometric == 3 && bps <= 16 ? 1 << bps : 0;
    info.Description = compression == 5                           ? "TIFF LZW"
                       : compression == 32773                     ? "TIFF PackBits"
                       : compression == 7                         ? "TIFF JPEG"
                       : compression == 8 || compression == 32946 ? "TIFF Deflate"
                       : compression >= 2 && compression <= 4     ? "TIFF CCITT"
                       : compression == 1                         ? "TIFF uncompressed"
                                                                  : "TIFF";
    return Ok;
}

// Checks that every strip or tile of the first directory lies inside the data; libtiff
// reports cut strips only as warnings.
int16_t WalkTiff(const QByteArray& data) {
    const uchar* d = Bytes(data);
    const size_t n = size_t(data.size());
    if (n < 8) return ErrTruncated;
    const bool le = d[0] == 'I';
    auto u16 = [&](size_t at) { return le ? Le16(d + at) : Be16(d + at); };
    auto u32 = [&](size_t at) { return le ? Le32(d + at) : Be32(d + at); };
    const size_t ifd = u32(4);
    if (ifd + 2 > n) return ErrTruncated;
    const size_t count = u16(ifd);
    if (ifd + 2 + count * 12 > n) return ErrTruncated;
    // Values of a SHORT or LONG array, inline when they fit in four bytes.
    auto values = [&](size_t at, std::vector<uint64_t>& out) -> bool {
        const uint32_t type = u16(at + 2), cnt = u32(at + 4);
        const size_t size = type == 3 ? 2 : type == 4 ? 4 : 0;
        if (size == 0 || cnt > (1u << 24)) return false;
        size_t from = at + 8;
        if (size * cnt > 4) from = u32(at + 8);
        if (from + size * cnt > n) return false;
        for (uint32_t i = 0; i < cnt; ++i)
            out.push_back(size == 2 ? u16(from + i * 2) : u32(from + i * 4));
        return true;
    };
    std::vector<uint64_t> offsets, counts;
    static const uint8_t kTypeSize[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    for (size_t e = 0; e < count; ++e) {
        const size_t at = ifd + 2 + e * 12;
        const uint32_t tag = u16(at), type = u16(at + 2);
        // Values that do not fit the entry lie elsewhere and must be there too (a cut
        // colour map is otherwise read as grey levels).
        if (type < 13) {
            const uint64_t bytes = uint64_t(kTypeSize[type]) * u32(at + 4);
            if (bytes > 4 && uint64_t(u32(at + 8)) + bytes > n) return ErrTruncated;
        }
        if (tag == 273 || tag == 324) {
            if (!values(at, offsets)) return ErrTruncated;
        } else if (tag == 279 || tag == 325) {
            if (!values(at, counts)) return ErrTruncated;
        }
    }
    if (offsets.size() != counts.size()) return ErrCorrupt;
    for (size_t i = 0; i < offsets.size(); ++i)
        if (offsets[i] + counts[i] > n) return ErrTruncated;
    return Ok;
}

int16_t PcxInfo(const QByteArray& data, TCodecFileInfo& info) {
    TPcxHeader h;
    if (!ReadPcxHeader(data, h)) return data.size() < 128 ? ErrTruncated : ErrCorrupt;
    info.Width = h.Width;
    info.Height = h.Height;
    info.Bits = h.BitsPerPixel * h.Planes;
    info.Planes = h.Planes;
    const int bits = h.PictureBits();
    info.Colors = bits > 0 && bits <= 8 ? 1 << bits : 0;
    info.Description = QString("PCX version %1").arg(h.Version);
    return Ok;
}

const char* QtFormat(TCodecFormat f) {
    switch (f) {
        case TCodecFormat::Bmp:
            return "bmp";
        case TCodecFormat::Jpeg:
            return "jpeg";
        case TCodecFormat::Gif:
            return "gif";
        case TCodecFormat::Png:
            return "png";
        case TCodecFormat::Tiff:
            return "tiff";
        default:
            return "";
    }
}

// Checks that what Qt decoded did not silently stop early (Qt fills the rest of a cut
// JPEG with grey and returns success).
int16_t CheckComplete(TCodecFormat f, const QByteArray& data, const TCodecFileInfo& info) {
    switch (f) {
        case TCodecFormat::Jpeg:
            return WalkJpeg(data, nullptr);
        case TCodecFormat::Gif:
            return WalkGif(data);
        case TCodecFormat::Png:
            return WalkPng(data);
        case TCodecFormat::Tiff:
            return WalkTiff(data);
        case TCodecFormat::Bmp: {
            const uchar* d = Bytes(data);
            const uint32_t dib = Le32(d + 14);
            const uint32_t compression = dib >= 40 ? Le32(d + 30) : 0;
            if (compression == 0 || compression == 3) {
                const qint64 stride = ((qint64(info.Width) * info.Bits + 31) / 32) * 4;
                if (qint64(Le32(d + 10)) + stride * info.Height > data.size()) return ErrTruncated;
            } else if (compression == 1 || compression == 2) {
                return WalkBmpRle(data, Le32(d + 10), compression == 2, info.Height);
            }
            return Ok;
        }
        default:
            return Ok;
    }
}

int16_t InfoFor(TCodecFormat f, const QByteArray& data, TCodecFileInfo& info) {
    info = TCodecFileInfo();
    info.Format = FormatText(f);
    switch (f) {
        case TCodecFormat::Bmp:
            return BmpInfo(data, info);
        case TCodecFormat::Jpeg:
            return WalkJpeg(data, &info);
        case TCodecFormat::Gif:
            return GifInfo(data, info);
        case TCodecFormat::Png:
            return PngInfo(data, info);
        case TCodecFormat::Tiff:
            return TiffInfo(data, info);
        case TCodecFormat::Pcx:
            return PcxInfo(data, info);
        default:
            return data.isEmpty() ? ErrTruncated : ErrUnknownFormat;
    }
}

}  // namespace

TCodecFormat DetectFormat(const QByteArray& data) {
    const uchar* d = Bytes(data);
    const qsizetype n = data.size();
    if (n >= 8 && std::memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0) return TCodecFormat::Png;
    if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return TCodecFormat::Jpeg;
    if (n >= 6 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0))
        return TCodecFormat::Gif;
    if (n >= 4 && (std::memcmp(d, "II*\0", 4) == 0 || std::memcmp(d, "MM\0*", 4) == 0))
        return TCodecFormat::Tiff;
    if (n >= 18 && d[0] == 'B' && d[1] == 'M') {
        const uint32_t dib = Le32(d + 14);
        if (dib == 12 || (dib >= 40 && dib <= 4096)) return TCodecFormat::Bmp;
    }
    TPcxHeader h;
    if (ReadPcxHeader(data, h)) return TCodecFormat::Pcx;
    return TCodecFormat::None;
}

QString FormatText(TCodecFormat f) {
    switch (f) {
        case TCodecFormat::Bmp:
            return "BMP";
        case TCodecFormat::Jpeg:
            return "JPEG";
        case TCodecFormat::Gif:
            return "GIF";
        case TCodecFormat::Png:
            return "PNG";
        case TCodecFormat::Tiff:
            return "TIF";
        case TCodecFormat::Pcx:
            return "PCX";
        default:
            return {};
    }
}

int16_t FileInfo(const QByteArray& data, TCodecFileInfo& info) {
    return InfoFor(DetectFormat(data), data, info);
}

int16_t FileInfo(const QString& file, TCodecFileInfo& info) {
    info = TCodecFileInfo();
    // The header is all we need, except for a JPEG whose frame header follows a large
    // embedded thumbnail, or a TIFF whose directory sits at the end.
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return ErrOpen;
    QByteArray head = f.read(64 * 1024);
    const TCodecFormat fmt = DetectFormat(head);
    int16_t s = InfoFor(fmt, head, info);
    if (s == ErrTruncated && f.size() > head.size()) {
        if (f.size() > kMaxFileBytes) return ErrTooLarge;
        head += f.readAll();
        s = InfoFor(fmt, head, info);
    }
    return s;
}

namespace {

// `file`, when given, holds the same bytes as `data`: libtiff reads a file several times
// faster than a memory buffer through Qt's device callbacks.
// One row of blue, green, red bytes as opaque QRgb pixels.
void ExpandBgrRow(const uchar* src, quint32* dst, qint32 width) {
    // Four pixels are twelve bytes, three little-endian words; a pixel's blue, green and
    // red bytes read as one number are already the low 24 bits of its QRgb.
    qint32 x = 0;
    for (; x + 4 <= width; x += 4, src += 12) {
        quint32 w[3];
        std::memcpy(w, src, 12);
        w[0] = qFromLittleEndian(w[0]);
        w[1] = qFromLittleEndian(w[1]);
        w[2] = qFromLittleEndian(w[2]);
        dst[x] = 0xff000000u | (w[0] & 0xffffffu);
        dst[x + 1] = 0xff000000u | w[0] >> 24 | (w[1] & 0xffffu) << 8;
        dst[x + 2] = 0xff000000u | w[1] >> 16 | (w[2] & 0xffu) << 16;
        dst[x + 3] = 0xff000000u | w[2] >> 8;
    }
    for (; x < width; ++x, src += 3)
        dst[x] = 0xff000000u | quint32(src[2]) << 16 | quint32(src[1]) << 8 | src[0];
}

// Where the rows of an uncompressed 24-bit BMP lie, from its first 54 bytes; nothing for
// any other kind or a size past the limits.
struct TBmp24Rows {
    qint64 offset, width, rows, stride;
    bool bottomUp;  // a positive height: the last row first
    // The file's row k is the picture's row:
    qint64 PictureRow(qint64 k) const { return bottomUp ? rows - 1 - k : k; }
};
std::optional<TBmp24Rows> Bmp24Rows(const uchar* h) {
    const quint32 offset = Le32(h + 10), dib = Le32(h + 14);
    if (dib < 40 || dib > 4096) return {};
    const qint32 width = qint32(Le32(h + 18)), height = qint32(Le32(h + 22));
    const quint16 planes = quint16(h[26] | h[27] << 8), bpp = quint16(h[28] | h[29] << 8);
    if (planes != 1 || bpp != 24 || Le32(h + 30) != 0) return {};
    if (width <= 0 || height == 0 || height == INT32_MIN) return {};
    const qint64 rows = height < 0 ? -qint64(height) : height;
    if (width > kMaxSide || rows > kMaxSide || qint64(width) * rows > kMaxPixels) return {};
    return TBmp24Rows{offset, width, rows, (qint64(width) * 3 + 3) & ~qint64(3), height > 0};
}

// Uncompressed 24-bit BMPs (the program's own backgrounds and pickers, read at every
// start) are copied row by row; Qt's reader converts them pixel by pixel. False when the
// file is of any other kind or its rows do not fit in the data: Qt's reader then decides.
bool DecodeBmp24(const QByteArray& data, QImage& img) {
    if (data.size() < 54) return false;
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const std::optional<TBmp24Rows> b = Bmp24Rows(d);
    if (!b || b->offset + b->stride * b->rows > data.size()) return false;
    img = QImage(int(b->width), int(b->rows), QImage::Format_RGB32);
    if (img.isNull()) return false;
    for (qint64 k = 0; k < b->rows; ++k)
        ExpandBgrRow(d + b->offset + k * b->stride,
                     reinterpret_cast<quint32*>(img.scanLine(int(b->PictureRow(k)))),
                     qint32(b->width));
    return true;
}

// The same pictures read from the file a block of rows at a time into one small buffer:
// the file is not held in memory whole (at start-up, the fresh pages such a copy needs cost
// more than the decoding). False for any other kind of file, or one whose rows are not all
// there; the caller then reads it whole and decides.
bool ReadBmp24(const QString& file, QImage& img) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return false;
    uchar h[54];
    if (f.read(reinterpret_cast<char*>(h), sizeof h) != qint64(sizeof h)) return false;
    if (h[0] != 'B' || h[1] != 'M') return false;
    const std::optional<TBmp24Rows> b = Bmp24Rows(h);
    if (!b || f.size() > kMaxFileBytes || b->offset + b->stride * b->rows > f.size()) return false;
    if (!f.seek(b->offset)) return false;
    img = QImage(int(b->width), int(b->rows), QImage::Format_RGB32);
    if (img.isNull()) return false;
    const qint64 perBlock = std::max<qint64>(1, (64 * 1024) / b->stride);
    std::vector<uchar> block(size_t(perBlock * b->stride));
    for (qint64 k0 = 0; k0 < b->rows; k0 += perBlock) {
        const qint64 n = std::min(perBlock, b->rows - k0);
        if (f.read(reinterpret_cast<char*>(block.data()), n * b->stride) != n * b->stride) {
            img = QImage();  // the file changed under us: the whole reading decides
            return false;
        }
        for (qint64 k = 0; k < n; ++k)
            ExpandBgrRow(block.data() + k * b->stride,
                         reinterpret_cast<quint32*>(img.scanLine(int(b->PictureRow(k0 + k)))),
                         qint32(b->width));
    }
    return true;
}

int16_t FinishPicture(TCodecFormat format, QImage& img, int16_t status, int bits, bool dither,
                      QImage& bitmap, QVector<QRgb>& palette);

int16_t DecodeData(TCodecFormat format, const QByteArray& data, const QString& file, int bits,
                   bool dither, QImage& bitmap, QVector<QRgb>& palette) {
    bitmap = QImage();
    if (bits != 0 && bits != 1 && bits != 4 && bits != 8 && bits != 24) return ErrDepth;
    const TCodecFormat actual = DetectFormat(data);
    if (actual == TCodecFormat::None) return data.size() < 16 ? ErrTruncated : ErrUnknownFormat;
    if (actual != format) return ErrWrongFormat;
    TCodecFileInfo info;
    if (int16_t s = InfoFor(actual, data, info); s < Ok) return s;
    if (info.Width <= 0 || info.Height <= 0) return ErrCorrupt;
    if (info.Width > kMaxSide || info.Height > kMaxSide ||
        qint64(info.Width) * info.Height > kMaxPixels)
        return ErrTooLarge;

    QImage img;
    int16_t status = Ok;
    if (format == TCodecFormat::Pcx) {
        switch (DecodePcx(data, img, kMaxSide, kMaxPixels)) {
            case PcxResult::Ok:
                break;
            case PcxResult::Truncated:
                status = ErrTruncated;
                break;
            case PcxResult::TooLarge:
                status = ErrTooLarge;
                break;
            case PcxResult::NoMemory:
                status = ErrMemory;
                break;
            default:
                status = ErrCorrupt;
                break;
        }
    } else if (format == TCodecFormat::Bmp && DecodeBmp24(data, img)) {
        // done: an uncompressed 24-bit picture
    } else {
        QBuffer buffer;
        QFile direct;
        QIODevice* device = &buffer;
        if (format == TCodecFormat::Tiff && !file.isEmpty()) {
            direct.setFileName(file);
            device = &direct;
        } else {
            buffer.setData(data);
        }
        if (!device->open(QIODevice::ReadOnly)) return ErrOpen;
        QImageReader reader(device, QtFormat(format));
        reader.setAutoDetectImageFormat(false);
        reader.setAllocationLimit(int(kMaxPixels * 8 >> 20));
        if (!reader.read(&img)) {
            status = reader.error() != QImageReader::UnsupportedFormatError ? ErrCorrupt
                     : QImageReader::supportedImageFormats().contains(QtFormat(format))
                         ? ErrUnknownFormat
                         : ErrNoReader;
        } else if (img.width() > kMaxSide || img.height() > kMaxSide) {
            img = QImage();
            status = ErrTooLarge;
        }
        if (int16_t s = CheckComplete(format, data, info); s < Ok && status == Ok) status = s;
    }
    return FinishPicture(format, img, status, bits, dither, bitmap, palette);
}

// A decoded picture at the depth asked for, with its palette.
int16_t FinishPicture(TCodecFormat format, QImage& img, int16_t status, int bits, bool dither,
                      QImage& bitmap, QVector<QRgb>& palette) {
    if (img.isNull()) return status == Ok ? int16_t(ErrCorrupt) : status;
    // Qt hands GIF pictures over as true colour; at their own depth they stay indexed.
    if (bits == 0 && format == TCodecFormat::Gif) {
        if (QImage exact = IndexExactly(img, 256); !exact.isNull()) img = exact;
    }
    QVector<QRgb> pal = palette;
    if (!ConvertToDepth(img, bits, dither, pal) || img.isNull()) return ErrMemory;
    bitmap = img;
    palette = pal;
    return status;
}

}  // namespace

int16_t Decode(TCodecFormat format, const QByteArray& data, int bits, bool dither, QImage& bitmap,
               QVector<QRgb>& palette) {
    return DecodeData(format, data, QString(), bits, dither, bitmap, palette);
}

int16_t Read(TCodecFormat format, const QString& file, int bits, bool dither, QImage& bitmap,
             QVector<QRgb>& palette) {
    bitmap = QImage();
    const bool depthKnown = bits == 0 || bits == 1 || bits == 4 || bits == 8 || bits == 24;
    if (format == TCodecFormat::Bmp && depthKnown) {
        if (QImage img; ReadBmp24(file, img))
            return FinishPicture(format, img, Ok, bits, dither, bitmap, palette);
    }
    QByteArray data;
    if (int16_t s = LoadFile(file, data); s < Ok) return s;
    return DecodeData(format, data, file, bits, dither, bitmap, palette);
}

int16_t ReadBmp(const QString& file, int bits, bool dither, QImage& bitmap,
                QVector<QRgb>& palette) {
    return Read(TCodecFormat::Bmp, file, bits, dither, bitmap, palette);
}
int16_t ReadJpeg(const QString& file, int bits, bool dither, QImage& bitmap,
                 QVector<QRgb>& palette) {
    return Read(TCodecFormat::Jpeg, file, bits, dither, bitmap, palette);
}
int16_t ReadGif(const QString& file, int bits, bool dither, QImage& bitmap,
                QVector<QRgb>& palette) {
    return Read(TCodecFormat::Gif, file, bits, dither, bitmap, palette);
}
int16_t ReadPng(const QString& file, int bits, bool dither, QImage& bitmap,
                QVector<QRgb>& palette) {
    return Read(TCodecFormat::Png, file, bits, dither, bitmap, palette);
}
int16_t ReadTiff(const QString& file, int bits, bool dither, QImage& bitmap,
                 QVector<QRgb>& palette) {
    return Read(TCodecFormat::Tiff, file, bits, dither, bitmap, palette);
}
int16_t ReadPcx(const QString& file, int bits, bool dither, QImage& bitmap,
                QVector<QRgb>& palette) {
    return Read(TCodecFormat::Pcx, file, bits, dither, bitmap, palette);
}

int16_t EncodeBmp(const QImage& bitmap, int bits, const QVector<QRgb>& palette, QByteArray& out) {
    out.clear();
    if (bitmap.isNull()) return ErrNoBitmap;
    if (bits == 0) bits = BitmapBits(bitmap);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return ErrDepth;

    QImage img;
    QVector<QRgb> table;
    if (bits == 24) {
        img = ToTrueColour(bitmap);
    } else {
        const int most = 1 << bits;
        const bool indexed = bitmap.format() == QImage::Format_Indexed8 ||
                             bitmap.format() == QImage::Format_Mono ||
                             bitmap.format() == QImage::Format_MonoLSB;
        if (indexed && bitmap.colorCount() > 0 && bitmap.colorCount() <= most &&
            !bitmap.hasAlphaChannel()) {
            img = bitmap.convertToFormat(QImage::Format_Indexed8);
            table = img.colorTable();
        } else {
            table = !palette.isEmpty() && palette.size() <= most ? palette : FixedPalette(bits);
            img = MapToPalette(bitmap, table, false);
        }
    }
    if (img.isNull()) return ErrMemory;

    const int w = img.width(), h = img.height();
    const qint64 stride = ((qint64(w) * bits + 31) / 32) * 4;
    const qint64 tableBytes = qint64(table.size()) * 4;
    const qint64 offset = 14 + 40 + tableBytes;
    const qint64 total = offset + stride * h;
    if (total > 0xFFFFFFFFll) return ErrTooLarge;
    out.resize(qsizetype(total));
    uchar* p = reinterpret_cast<uchar*>(out.data());
    std::memset(p, 0, size_t(total));
    auto put16 = [](uchar* at, uint32_t v) {
        at[0] = uchar(v);
        at[1] = uchar(v >> 8);
    };
    auto put32 = [&](uchar* at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, uint32_t(total));
    put32(p + 10, uint32_t(offset));
    put32(p + 14, 40);
    put32(p + 18, uint32_t(w));
    put32(p + 22, uint32_t(h));
    put16(p + 26, 1);
    put16(p + 28, uint32_t(bits));
    put32(p + 34, uint32_t(stride * h));
    put32(p + 38, 3780);  // 96 dots per inch
    put32(p + 42, 3780);
    put32(p + 46, uint32_t(table.size()));
    uchar* t = p + 54;
    for (QRgb c : table) {
        t[0] = uchar(qBlue(c));
        t[1] = uchar(qGreen(c));
        t[2] = uchar(qRed(c));
        t += 4;
    }
    for (int y = 0; y < h; ++y) {
        uchar* row = p + offset + stride * (h - 1 - y);  // bottom-up
        if (bits == 24) {
            const QRgb* s = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                row[x * 3] = uchar(qBlue(s[x]));
                row[x * 3 + 1] = uchar(qGreen(s[x]));
                row[x * 3 + 2] = uchar(qRed(s[x]));
            }
        } else {
            const uchar* s = img.constScanLine(y);
            if (bits == 8) {
                std::memcpy(row, s, size_t(w));
            } else if (bits == 4) {
                for (int x = 0; x < w; ++x)
                    row[x >> 1] |= uchar((s[x] & 0x0F) << ((x & 1) ? 0 : 4));
            } else {
                for (int x = 0; x < w; ++x) row[x >> 3] |= uchar((s[x] & 1) << (7 - (x & 7)));
            }
        }
    }
    return Ok;
}

int16_t WriteBmp(const QString& file, int bits, const QImage& bitmap,
                 const QVector<QRgb>& palette) {
    QByteArray bytes;
    if (int16_t s = EncodeBmp(bitmap, bits, palette, bytes); s < Ok) return s;
    // Written aside and renamed, so a failed write never destroys an earlier drawing.
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly)) return ErrWrite;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return ErrWrite;
    }
    return f.commit() ? Ok : ErrWrite;
}

QString ErrorText(uint16_t status) {
    switch (int16_t(status)) {
        case ErrOpen:
            return "The picture file cannot be opened.";
        case ErrUnknownFormat:
            return "The file is not a picture in a known format.";
        case ErrWrongFormat:
            return "The file holds a picture of another format.";
        case ErrCorrupt:
            return "The picture data is damaged.";
        case ErrTruncated:
            return "The picture file ends too early.";
        case ErrTooLarge:
            return "The picture is too large.";
        case ErrDepth:
            return "This colour depth is not supported.";
        case ErrNoBitmap:
            return "There is no picture to write.";
        case ErrWrite:
            return "The picture file cannot be written.";
        case ErrMemory:
            return "Not enough memory for the picture.";
        default:
            return QString("Image codec error %1.").arg(status);
    }
}

TFailure Failure(int16_t status) {
    if (status >= Ok) return {};
    // The language file holds these texts under 5010 + the error number.
    const int tag = status >= ErrMemory ? 5010 - status : 0;
    return TFailure(ErrorText(uint16_t(status)), "Error", MessageKind::Error, tag);
}

}  // namespace orb::codec
