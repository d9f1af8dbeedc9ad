// orbelle-assets: draws the program's pictures, resources and music.
//
//   orbelle-assets --font palis.ttf --program-dir DIR --resource-dir DIR
//       writes the data files into the program folder and the resource files plus
//       their orbelle.qrc into the resource folder (packed afterwards by rcc).
//   orbelle-assets --font palis.ttf --contact-sheet FILE.png
//       shows everything on one sheet, for a look by eye.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>

#include "Assets.h"

using namespace assets;

namespace {

struct SizeClass {
    const char* tag;     // glyph and picture folder
    const char* suffix;  // data file suffix
    int page_w, page_h;  // page size the background covers
    int picker;          // colour picker size
    int glyph;           // glyph size for the round buttons
    int menu_w, menu_h;  // menu picture
    int header;          // header picture
};
const SizeClass kClasses[3] = {{"s", "6x4", 640, 460, 120, 20, 131, 132, 30},
                               {"m", "8x6", 800, 575, 150, 25, 164, 165, 38},
                               {"l", "10x7", 1024, 736, 192, 32, 210, 211, 48}};

bool WriteFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) {
        std::fprintf(stderr, "orbelle-assets: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool WritePng(const QString& path, const QImage& img) {
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    if (!img.save(&buf, "PNG")) return false;
    return WriteFile(path, data);
}

// Pictures read at every start are plain 24-bit BMP data: decoding them is a copy.
bool WriteBmp(const QString& path, const QImage& img) {
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    if (!img.convertToFormat(QImage::Format_RGB888).save(&buf, "BMP")) return false;
    return WriteFile(path, data);
}

QByteArray IndexedVariant(const QImage& img, int bits) {
    const QVector<QRgb> pal = ChoosePalette(img, 1 << bits);
    return EncodeIndexedBmp(img.width(), img.height(), bits, Dither(img, pal), pal);
}

QByteArray PaletteBmp(const QVector<QRgb>& pal, int bits) {
    std::vector<uint8_t> idx(16 * 16);
    for (int i = 0; i < 256; ++i) idx[i] = uint8_t(bits == 4 ? (i % 16) : i);
    return EncodeIndexedBmp(16, 16, bits, idx, pal);
}

class Resources {
public:
    explicit Resources(QString dir) : dir_(std::move(dir)) {}
    bool Add(const QString& name, const QByteArray& data) {
        files_ << name;
        return WriteFile(dir_ + "/" + name, data);
    }
    bool AddPng(const QString& name, const QImage& img) {
        files_ << name;
        // Unfiltered: a start reads some twenty of these before its first frame.
        const QByteArray data = assets::EncodeUnfilteredPng(img);
        return !data.isEmpty() && WriteFile(dir_ + "/" + name, data);
    }
    bool WriteQrc() {
        QByteArray q = "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
        for (const QString& f : files_) q += "  <file>" + f.toUtf8() + "</file>\n";
        q += "</qresource>\n</RCC>\n";
        return WriteFile(dir_ + "/orbelle.qrc", q);
    }

private:
    QString dir_;
    QStringList files_;
};

bool MakeProgramFiles(const QString& dir) {
    bool ok = true;
    for (const SizeClass& c : kClasses) {
        ok &= WriteBmp(dir + "/I/B/bk" + c.suffix, MakeBackground(c.page_w, c.page_h, 11));
        ok &= WriteBmp(dir + "/I/B/hs" + c.suffix, MakePicker(c.picker));
    }
    ok &= WriteBmp(dir + "/I/B/abk", MakeDialogBackground(312, 113));
    // The desktop icon.
    ok &= WritePng(dir + "/orbelle.png", MakePaintHeader(256));
    ok &= WriteFile(dir + "/A/Orbelle.wav", EncodeWav(SynthesiseMusic({}), MusicFormat{}.rate));
    return ok;
}

bool MakeResources(const QString& dir) {
    Resources r(dir);
    bool ok = true;
    ok &= r.Add("bitmaps/PAL16.bmp", PaletteBmp(Vga16(), 4));
    ok &= r.Add("bitmaps/PAL256.bmp", PaletteBmp(Shared256(), 8));
    const QImage intro = MakeIntroPicture(), about = MakeAboutPicture();
    ok &= r.AddPng("pictures/IntroForm.png", intro);
    ok &= r.AddPng("pictures/AboutBox.png", about);
    ok &= r.Add("bitmaps/Intro.bmp", IndexedVariant(intro, 4));
    ok &= r.Add("bitmaps/Intro256.bmp", IndexedVariant(intro, 8));
    ok &= r.Add("bitmaps/About.bmp", IndexedVariant(about, 4));
    ok &= r.Add("bitmaps/About256.bmp", IndexedVariant(about, 8));
    for (const SizeClass& c : kClasses) {
        const QString t = c.tag;
        for (const QString& g : GlyphNames()) {
            ok &= r.AddPng("glyphs/" + t + "/" + g + ".png", MakeGlyph(g, c.glyph, false));
            ok &= r.AddPng("glyphs/" + t + "/" + g + "_disabled.png", MakeGlyph(g, c.glyph, true));
        }
        ok &= r.AddPng("pictures/" + t + "/MainHistoryImg.png",
                       MakeHistoryMenuPicture(c.menu_w, c.menu_h));
        ok &= r.AddPng("pictures/" + t + "/MainPaintImg.png",
                       MakePaintMenuPicture(c.menu_w, c.menu_h));
        ok &= r.AddPng("pictures/" + t + "/HistoryHeaderImage.png", MakeHistoryHeader(c.header));
        ok &= r.AddPng("pictures/" + t + "/PaintHeaderImage.png", MakePaintHeader(c.header));
    }
    for (const Cursor& c : MakeCursors()) {
        ok &= r.AddPng("cursors/" + c.name + ".png", c.image);
        ok &= r.Add("cursors/" + c.name + ".hot",
                    QByteArray::number(c.hotX) + " " + QByteArray::number(c.hotY) + "\n");
    }
    return ok && r.WriteQrc();
}

// One sheet with everything, for judging the look by eye.
QImage ContactSheet() {
    const int W = 1400, H = 1700;
    QImage sheet(W, H, QImage::Format_RGB32);
    sheet.fill(QColor(40, 40, 48));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    QFont label(kFontFamily);
    label.setPixelSize(13);
    p.setFont(label);
    int y = 10;
    auto title = [&](const QString& t) {
        p.setPen(QColor(255, 255, 255));
        p.drawText(10, y + 14, t);
        y += 22;
    };
    // Glyphs on the three faces, each size.
    const QColor faces[3] = {kOrange, kLightBlue, kDarkBlue};
    for (const SizeClass& c : kClasses) {
        title(QString("glyphs %1 (%2 px on %3 px buttons): up, down, disabled")
                  .arg(c.tag)
                  .arg(c.glyph)
                  .arg(c.glyph * 8 / 5));
        const int btn = c.tag[0] == 's' ? 32 : c.tag[0] == 'm' ? 40 : 51;
        const double f = btn / 32.0;
        for (int face = 0; face < 3; ++face) {
            int x = 10;
            p.fillRect(0, y, W, btn + 8, face == 2 ? QColor(0, 0, 100) : QColor(0, 0, 100));
            for (const QString& g : GlyphNames()) {
                const double off = face == 1 ? f : 0;  // down look: one pixel lower right
                p.setPen(Qt::NoPen);
                if (face != 1) {
                    p.setBrush(QColor(128, 128, 128));
                    p.drawEllipse(QRectF(x + 2 * f, y + 4 + 2 * f, 30 * f, 30 * f));
                }
                p.setBrush(faces[face]);
                if (face == 2) p.setPen(QPen(kOrange, 1, Qt::DotLine));
                p.drawEllipse(QRectF(x + f + off, y + 4 + f + off, 30 * f, 30 * f));
                const QImage img = MakeGlyph(g, c.glyph, face == 2);
                p.drawImage(
                    QPointF(x + (btn - c.glyph) / 2 + off, y + 4 + (btn - c.glyph) / 2 + off), img);
                x += btn + 14;
            }
            y += btn + 8;
        }
        y += 6;
    }
    title("menu and header pictures, s m l");
    {
        int x = 10;
        p.fillRect(0, y, W, 215, kDarkBlue);
        for (const SizeClass& c : kClasses) {
            p.drawImage(x, y + 2, MakeHistoryMenuPicture(c.menu_w, c.menu_h));
            x += c.menu_w + 8;
            p.drawImage(x, y + 2, MakePaintMenuPicture(c.menu_w, c.menu_h));
            x += c.menu_w + 8;
            p.drawImage(x, y + 2, MakeHistoryHeader(c.header));
            p.drawImage(x, y + 60, MakePaintHeader(c.header));
            x += c.header + 12;
        }
        y += 220;
    }
    title("intro, about (true colour, 256, 16 colours), pickers, cursors");
    {
        const QImage intro = MakeIntroPicture(), about = MakeAboutPicture();
        int x = 10;
        for (const QImage& img : {intro, about}) {
            p.drawImage(x, y, img);
            x += img.width() + 8;
        }
        for (const QImage& img : {intro, about})
            for (int bits : {8, 4}) {
                QImage r;
                r.loadFromData(IndexedVariant(img, bits), "BMP");
                p.drawImage(QRectF(x, y, img.width() / 2.0, img.height() / 2.0), r);
                x += img.width() / 2 + 6;
            }
        y += 335;
        x = 10;
        for (const SizeClass& c : kClasses) {
            p.drawImage(x, y, MakePicker(c.picker));
            x += c.picker + 10;
        }
        for (const Cursor& c : MakeCursors()) {
            for (int bg = 0; bg < 3; ++bg) {
                const QColor col = bg == 0   ? QColor(255, 255, 255)
                                   : bg == 1 ? kOrange
                                             : QColor(0, 0, 0);
                p.fillRect(x, y + bg * 40, 36, 36, col);
                p.drawImage(x + 2, y + bg * 40 + 2, c.image);
                p.fillRect(x + 2 + c.hotX, y + bg * 40 + 2 + c.hotY, 1, 1, QColor(255, 0, 0));
            }
            x += 40;
        }
        y += 200;
    }
    title("backgrounds (small, tiled 2x at half scale), dialog background with text");
    {
        const QImage bk = MakeBackground(640, 460, 11);
        QImage tiled(1280, 460, QImage::Format_RGB32);
        QPainter t(&tiled);
        t.drawImage(0, 0, bk);
        t.drawImage(640, 0, bk);
        t.setPen(Qt::white);
        QFont f(kFontFamily);
        f.setPixelSize(13);
        t.setFont(f);
        t.drawText(40, 60, "Geschiedenis  Inkleuren  Energie en kracht door");
        f.setPixelSize(64);
        f.setItalic(true);
        t.setFont(f);
        t.setPen(kOrange);
        t.drawText(420, 150, "Orbelle");
        t.end();
        p.drawImage(QRectF(10, y, 1280 * 0.75, 460 * 0.75), tiled);
        const QImage dlg = MakeDialogBackground(312, 113);
        QImage d(390, 141, QImage::Format_RGB32);
        QPainter dp(&d);
        for (int yy = 0; yy < d.height(); yy += dlg.height())
            for (int xx = 0; xx < d.width(); xx += dlg.width()) dp.drawImage(xx, yy, dlg);
        QFont df(kFontFamily);
        df.setPixelSize(14);
        dp.setFont(df);
        dp.setPen(Qt::white);
        dp.drawText(12, 24, "Mandala is veranderd!");
        dp.drawText(12, 50, "Wilt u de huidige mandala bewaren?");
        dp.end();
        p.drawImage(990, y, d);
        y += 360;
    }
    (void)y;
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString font, programDir, resourceDir, sheet;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        const QString next = i + 1 < args.size() ? args[i + 1] : QString();
        if (a == "--font")
            font = next, ++i;
        else if (a == "--program-dir")
            programDir = next, ++i;
        else if (a == "--resource-dir")
            resourceDir = next, ++i;
        else if (a == "--contact-sheet")
            sheet = next, ++i;
        else {
            std::fprintf(stderr,
                         "usage: orbelle-assets --font FILE.ttf [--program-dir DIR] "
                         "[--resource-dir DIR] [--contact-sheet FILE.png]\n");
            return 2;
        }
    }
    if (font.isEmpty() || QFontDatabase::addApplicationFont(font) < 0) {
        std::fprintf(stderr, "orbelle-assets: cannot load the font %s\n", qPrintable(font));
        return 1;
    }
    bool ok = true;
    if (!programDir.isEmpty()) ok &= MakeProgramFiles(programDir);
    if (!resourceDir.isEmpty()) ok &= MakeResources(resourceDir);
    if (!sheet.isEmpty()) ok &= WritePng(sheet, ContactSheet());
    return ok ? 0 : 1;
}
