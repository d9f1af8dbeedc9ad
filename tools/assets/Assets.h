#pragma once
// The asset generator's pieces: pictures, glyphs, cursors, palettes and music, each
// drawn from code so that every build makes the same files.
#include <QColor>
#include <QImage>
#include <QPointF>
#include <QString>
#include <QVector>
#include <cstdint>
#include <vector>

class QPainter;

namespace assets {

// The program's own colours.
inline const QColor kDarkBlue(0, 0, 100);
inline const QColor kOrange(255, 153, 51);
inline const QColor kLightBlue(63, 190, 254);
inline const QColor kBand(190, 190, 171);
inline const QColor kCream(244, 235, 219);
inline const QColor kSlate(97, 97, 126);
inline const QColor kSage(140, 177, 156);

// Family name of the program's font, loaded by the generator before any text is drawn.
inline const QString kFontFamily = QStringLiteral("Palisade");

// Small deterministic generator: std distributions differ between libraries.
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return s_;
    }
    double Unit() { return double(Next() >> 11) / double(1ull << 53); }  // [0, 1)
    double Range(double a, double b) { return a + (b - a) * Unit(); }

private:
    uint64_t s_;
};

// --- Pictures (Pictures.cpp) ---
enum class MandalaLook { Full, Half, Sepia, Faint };
// Draws a mandala of radius r around c. `detail` 0 (tiny) .. 2 (full); `seed` turns it a
// little.
void DrawMandala(QPainter& p, QPointF c, double r, MandalaLook look, int detail, uint32_t seed);
QImage MakeBackground(int w, int h, uint32_t seed);
QImage MakeDialogBackground(int w, int h);
QImage MakePicker(int size);
QImage MakeIntroPicture();
QImage MakeAboutPicture();
QImage MakeHistoryMenuPicture(int w, int h);
QImage MakePaintMenuPicture(int w, int h);
QImage MakeHistoryHeader(int size);
QImage MakePaintHeader(int size);

// --- Glyphs and cursors (Glyphs.cpp) ---
const QStringList& GlyphNames();
QImage MakeGlyph(const QString& name, int size, bool disabled);
struct Cursor {
    QString name;
    QImage image;
    int hotX = 0, hotY = 0;
};
std::vector<Cursor> MakeCursors();

// --- Palettes and BMP files (Bmp.cpp) ---
QVector<QRgb> Vga16();
QVector<QRgb> Shared256();
// Picks `count` colours that represent the picture well (median cut).
QVector<QRgb> ChoosePalette(const QImage& img, int count);
// Floyd-Steinberg dithering onto the palette: one index per pixel, rows top-down.
std::vector<uint8_t> Dither(const QImage& img, const QVector<QRgb>& palette);
// An uncompressed Windows BMP (BITMAPINFOHEADER) of 4 or 8 bits with its colour table.
QByteArray EncodeIndexedBmp(int w, int h, int bits, const std::vector<uint8_t>& indices,
                            const QVector<QRgb>& palette);

// A PNG of 8-bit RGBA (RGB when the picture is opaque) whose rows are all unfiltered:
// reading it is inflating and copying, with no row predictor to undo, which was half the
// work of reading one written with adaptive filters. It stays compressed: the program maps
// the resource file, and the pages of stored pixels it touches count as its memory.
QByteArray EncodeUnfilteredPng(const QImage& img);

// --- Music (Music.cpp) ---
struct MusicFormat {
    int rate = 22050;
    double seconds = 48.0;
};
std::vector<int16_t> SynthesiseMusic(const MusicFormat& f);
QByteArray EncodeWav(const std::vector<int16_t>& samples, int rate);

}  // namespace assets
