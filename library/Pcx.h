#pragma once
// PCX pictures: 1 bit (one plane), 2 and 4 bits (one plane or bit planes), 8 bits with the
// 256-colour table at the end of the file, and 24 bits (three byte planes), run-length
// encoded or stored. Qt has no reader of its own for the format.
#include <QByteArray>
#include <QImage>

namespace orb {

struct TPcxHeader {
    int Version = 0;
    int Encoding = 0;      // 1 run-length, 0 stored
    int BitsPerPixel = 0;  // per plane
    int Planes = 0;
    int BytesPerLine = 0;  // per plane
    int Width = 0;
    int Height = 0;
    int HorizontalDpi = 0;
    int VerticalDpi = 0;

    // Bits per pixel of the picture as a whole (1, 2, 4, 8 or 24), 0 when unsupported.
    int PictureBits() const;
};

// Reads and checks the 128-byte header; false when the data is not a PCX picture.
bool ReadPcxHeader(const QByteArray& data, TPcxHeader& header);

enum class PcxResult { Ok, NotPcx, Unsupported, TooLarge, Truncated, NoMemory };

// Decodes a PCX picture into `out`: Format_Indexed8 with the picture's colours for up to
// 8 bits, Format_RGB32 for 24 bits. Pictures wider or higher than maxSide, or with more than
// maxPixels pixels, are refused before anything is allocated. A file that ends early gives
// Truncated with the rows read so far in `out` (the rest black).
PcxResult DecodePcx(const QByteArray& data, QImage& out, int maxSide, qint64 maxPixels);

}  // namespace orb
