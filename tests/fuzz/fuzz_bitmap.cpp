// Pictures by content: BMP (with the RLE walk) and the other formats' headers, then the
// decode at the depth the first byte picks.
#include <QImage>
#include <QVector>

#include "library/CodecLibrary.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const int Bits[] = {0, 1, 4, 8, 16, 24, 32, 0};
    const int bits = Bits[data[0] & 7];
    const bool dither = data[0] & 8;
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);
    orb::TCodecFileInfo info;
    orb::codec::FileInfo(bytes, info);
    QImage bitmap;
    QVector<QRgb> palette;
    orb::codec::Decode(orb::codec::DetectFormat(bytes), bytes, bits, dither, bitmap, palette);
    return 0;
}
