#pragma once
// The image codec layer: format detection by content, readers for BMP, JPEG, GIF, PNG, TIFF
// and PCX at a requested depth, and a BMP writer. Decoding goes through Qt's image I/O,
// PCX through our own decoder.
//
// Every operation returns a status: 1 or more is success, anything below is an error whose
// text ErrorText gives. Failure() makes that text the first note of a failure, in an error
// box, before the caller's own message. Readers may leave a partial picture behind on failure.
//
// Depths: 0 keeps the file's own depth, 24 gives true colour (QImage::Format_RGB32), and
// 1, 4 or 8 give QImage::Format_Indexed8 whose colour table is the returned palette.
// The palette goes in as the palette the program offers (empty when the display needs
// none) and comes out as the picture's palette; see ConvertToDepth in PictureDepth.h.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>
#include <cstdint>

#include "platform/Failure.h"

namespace orb {

enum class TCodecFormat { None, Bmp, Jpeg, Gif, Png, Tiff, Pcx };

// What the file-information call reports.
struct TCodecFileInfo {
    QString Format;  // "BMP", "JPEG", "GIF", "PNG", "TIF" or "PCX"
    int Width = 0;
    int Height = 0;
    int Bits = 0;         // bits per pixel as stored
    int Planes = 0;       // colour planes or samples per pixel
    int Colors = 0;       // entries of the stored colour table, 0 for none
    QString Description;  // a longer name of the variant, at most 25 characters
};

namespace codec {

enum Status : int16_t {
    Ok = 1,
    ErrOpen = -1,
    ErrUnknownFormat = -2,
    ErrWrongFormat = -3,
    ErrCorrupt = -4,
    ErrTruncated = -5,
    ErrTooLarge = -6,
    ErrDepth = -7,
    ErrNoBitmap = -8,
    ErrWrite = -9,
    ErrMemory = -10,
    ErrNoReader = -11,
};

// Pictures larger than this are refused before any pixel memory is taken.
constexpr int kMaxSide = 32767;
constexpr qint64 kMaxPixels = qint64(1) << 26;  // 64 M pixels, 256 MB as true colour
constexpr qint64 kMaxFileBytes = qint64(512) << 20;

// Format of a file's contents, from its first bytes.
TCodecFormat DetectFormat(const QByteArray& data);
QString FormatText(TCodecFormat f);

// File information with format detection by content.
int16_t FileInfo(const QString& file, TCodecFileInfo& info);
int16_t FileInfo(const QByteArray& data, TCodecFileInfo& info);

int16_t ReadBmp(const QString& file, int bits, bool dither, QImage& bitmap, QVector<QRgb>& palette);
int16_t ReadJpeg(const QString& file, int bits, bool dither, QImage& bitmap,
                 QVector<QRgb>& palette);
int16_t ReadGif(const QString& file, int bits, bool dither, QImage& bitmap, QVector<QRgb>& palette);
int16_t ReadPng(const QString& file, int bits, bool dither, QImage& bitmap, QVector<QRgb>& palette);
int16_t ReadTiff(const QString& file, int bits, bool dither, QImage& bitmap,
                 QVector<QRgb>& palette);
int16_t ReadPcx(const QString& file, int bits, bool dither, QImage& bitmap, QVector<QRgb>& palette);
int16_t Read(TCodecFormat format, const QString& file, int bits, bool dither, QImage& bitmap,
             QVector<QRgb>& palette);
// Decodes data already in memory (the readers above load the file and call this).
int16_t Decode(TCodecFormat format, const QByteArray& data, int bits, bool dither, QImage& bitmap,
               QVector<QRgb>& palette);

// Writes an uncompressed BMP file of 1, 4, 8 or 24 bits (0: the picture's own depth).
// A true-colour picture written at 8 bits or fewer is mapped to `palette` when it fits the
// depth, otherwise to the fixed palette of that depth.
int16_t WriteBmp(const QString& file, int bits, const QImage& bitmap, const QVector<QRgb>& palette);
int16_t EncodeBmp(const QImage& bitmap, int bits, const QVector<QRgb>& palette, QByteArray& out);

// The layer's own text for a status (taken as unsigned 16 bits, as the status travels).
QString ErrorText(uint16_t status);

// For a status below 1: ErrorText as an error with the caption "Error"; empty for success.
TFailure Failure(int16_t status);

}  // namespace codec
}  // namespace orb
