#pragma once
// TPictureImage: the picture component. A control that holds one picture and loads a
// picture file when its ImageName is set. The main window keeps one hidden instance,
// anImage, as the loader of every picture file; the markup control keeps another.
//
// Using it as a loader:
//
//   TPictureImage::SetSharedPalette(palette);   // once at start-up: the display's palette,
//                                               // empty above 8 bits per pixel
//   TPictureImage anImage;  anImage.hide();
//   anImage.UseDisplayDepth(orb::DisplayDepth()); // 16 / 256 colours dithered, or true colour
//   TOutcome loaded = anImage.SetImageName(path); // loads; "" clears
//   if (anImage.HasPicture()) use(anImage.Picture());   // QImage, see below
//   if (!loaded) show(loaded.Failure());          // the messages, in their boxes
//   anImage.SetImageName("");                     // empty the loader again
//
// Picture() is Format_RGB32 for true colour, Format_Indexed8 (colour table = palette) for
// 1, 4 and 8 bits, Format_ARGB32 for icons; a null QImage when nothing is loaded.
// ImageName() reads back the load status: "file not found", the icon/metafile text, or the
// requested name in upper case. A load or a write that fails returns the messages the user
// is to see (the codec layer's error text, then the component's own); the caller shows them.
//
// Formats: by extension .BMP .GIF .JPG .PCX .PNG .TIF, .THB (BMP), .THJ (JPEG), .RES (a
// bitmap of the program's resources, ":/bitmaps/NAME.bmp"; the file need not exist),
// .ICO (icons), .WMF (no metafile reader here: an empty picture), .SCM (scrolling message),
// .CMS (scrolling credits); any other name (none, ".JPEG", ...) by the file's content.
//
// Writing: SaveAsBmp(file) writes the picture at the depth of ImageWriteRes.
// Clipboard: CopyToClipboard, CutToClipboard, PasteFromClipboard (also by the usual keys).
#include <QFrame>
#include <QImage>
#include <QRgb>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

#include "platform/Failure.h"

namespace orb {

// Depth asked of the decoder; lAutoMatic follows the display.
enum class TLoadResolution { lColorVga, lMonoChrome, lColor16, lColor256, lColorTrue, lAutoMatic };
// Depth used for writing; sAutoMatic follows the display.
enum class TSaveResolution {
    sColorVga,
    sMonoChrome,
    sColor16,
    sColor256,
    sColorTrue,
    sJpegGray,
    sAutoMatic
};
enum class TTiffCompression { sNONE, sCCITT, sLZW, sPACKBITS };
enum class TBorderStyle { bsNone, bsSingle };

// What kind of picture the component holds.
enum class TPictureKind { None, Bitmap, Icon, Metafile, ScrollMessage, ScrollCredits };

// Kept after every load.
struct TPictureInfo {
    QString Format;  // "BMP", "JPEG", ..., "RES", "ICO", "WMF", "SCM", "CMS"; "ERR" when missing
    int Width = 0;
    int Height = 0;
    int Value1 = 0;  // three further values the codec layer reports: bits, planes, colours
    int Value2 = 0;
    int Value3 = 0;
    qint64 FileSize = 0;
    QString Format2;  // the codec layer's longer description, or as Format
};

class TScrollMessage;
class TScrollCredits;

class TPictureImage : public QFrame {
    Q_OBJECT
public:
    // The load status texts.
    static const QString kFileNotFound;     // "file not found"
    static const QString kNotCodecPicture;  // "Non TIF, JPeg, BMP, GIF, PNG or PCX Image"
    // The scroll messages (one and two above the first user event number).
    static constexpr int kScrollMessageEvent = 1001;
    static constexpr int kScrollCreditsEvent = 1002;

    explicit TPictureImage(QWidget* parent = nullptr);
    ~TPictureImage() override;

    // The display's palette, offered to every decode (empty: none, true-colour display).
    static void SetSharedPalette(const QVector<QRgb>& palette);
    static const QVector<QRgb>& SharedPalette();
    // The palette the component reports: the shared one.
    const QVector<QRgb>& Palette() const { return SharedPalette(); }

    // Loading. Setting loads (or clears for ""); reading gives the load status. A missing
    // file is no failure: it empties the picture.
    TOutcome SetImageName(const QString& name);
    QString ImageName() const { return status_; }

    const QImage& Picture() const { return picture_; }
    // Colours belonging to the picture: its colour table, or the palette it was read with.
    const QVector<QRgb>& PicturePalette() const { return picturePalette_; }
    bool HasPicture() const { return !picture_.isNull(); }
    TPictureKind PictureKind() const { return kind_; }
    // Replaces the picture (paste, or a caller handing in a picture to write).
    void SetPicture(const QImage& picture, const QVector<QRgb>& palette = {});
    void ClearPicture();
    const TPictureInfo& PictureInfo() const { return info_; }

    // Writing; an empty name uses DefSaveFilename. An error raised while writing fails
    // without a message.
    TOutcome SaveAsBmp(const QString& file = QString());

    // Clipboard.
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // One step of the scrolling message or credits (what the two scroll messages do).
    void ScrollMessageStep();
    void ScrollCreditsStep();

    // Read depth and dithering for the display: below 8 bits 16 colours, 8 to 15 bits 256
    // colours, both dithered; 16 bits or more true colour without dithering.
    void UseDisplayDepth(int displayBits);
    static TLoadResolution ReadResForDisplay(int displayBits);
    // Bits per pixel a resolution asks for (lAutoMatic / sAutoMatic from the display).
    static int BitsFor(TLoadResolution r);
    static int BitsFor(TSaveResolution r);
    // Bits the display stands for: 4 or fewer give 4, 5 to 15 give 8, 16 or more 24.
    static int BitsFromScreen();

    // Properties.
    TLoadResolution ImageReadRes() const { return readRes_; }
    void SetImageReadRes(TLoadResolution r) { readRes_ = r; }
    TSaveResolution ImageWriteRes() const { return writeRes_; }
    void SetImageWriteRes(TSaveResolution r) { writeRes_ = r; }
    bool ImageDither() const { return dither_; }
    void SetImageDither(bool on) { dither_ = on; }
    bool CodecPalette() const { return codecPalette_; }
    void SetCodecPalette(bool on);
    TTiffCompression TifSaveCompress() const { return tifCompress_; }
    void SetTifSaveCompress(TTiffCompression c) { tifCompress_ = c; }
    int JPegSaveQuality() const { return jpegQuality_; }
    void SetJPegSaveQuality(int q) { jpegQuality_ = (q < 1 || q > 100) ? 25 : q; }
    int JPegSaveSmooth() const { return jpegSmooth_; }
    void SetJPegSaveSmooth(int s) { jpegSmooth_ = s > 100 ? 5 : (s < 0 ? 0 : s); }
    bool PNGInterLaced() const { return pngInterlaced_; }
    void SetPNGInterLaced(bool on) { pngInterlaced_ = on; }
    QString DefSaveFilename() const { return defSaveFilename_; }
    void SetDefSaveFilename(const QString& f) { defSaveFilename_ = f; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool Center() const { return center_; }
    void SetCenter(bool on);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    bool StretchRatio() const { return stretchRatio_; }
    void SetStretchRatio(bool on);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    QString Text() const { return text_; }
    void SetText(const QString& t);
    int TextLeft() const { return textLeft_; }
    void SetTextLeft(int v);
    int TextTop() const { return textTop_; }
    void SetTextTop(int v);
    int TextRotate() const { return textRotate_; }
    void SetTextRotate(int degrees);
    bool TextShadow() const { return textShadow_; }
    void SetTextShadow(bool on);
    QColor TextShadowColor() const { return textShadowColor_; }
    void SetTextShadowColor(const QColor& c);
    bool TextTransParent() const { return textTransparent_; }
    void SetTextTransParent(bool on);
    bool UseTwainWindow() const { return useTwain_; }
    void SetUseTwainWindow(bool on) { useTwain_ = on; }
    // Resource file (a binary Qt resource file) to take ".RES" bitmaps from; empty: the program.
    QString ResourceModule() const { return resourceModule_; }
    void SetResourceModule(const QString& m) { resourceModule_ = m; }

    // Called at the end of painting.
    std::function<void(TPictureImage&)> OnPaint;

    // Where the picture is drawn inside the client area with the current placement.
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;

private:
    void TakePicture(const QImage& img, const QVector<QRgb>& palette, TPictureKind kind);
    void RecordOwnInfo(const QString& path, const QString& ext);
    void BuildScrolling(const QString& path, bool credits);
    void RefreshScrollFrame();

    QString status_;
    QImage picture_;
    QVector<QRgb> picturePalette_;
    TPictureKind kind_ = TPictureKind::None;
    TPictureInfo info_;
    std::unique_ptr<TScrollMessage> message_;
    std::unique_ptr<TScrollCredits> credits_;

    TLoadResolution readRes_ = TLoadResolution::lAutoMatic;
    TSaveResolution writeRes_ = TSaveResolution::sAutoMatic;
    bool dither_ = true;
    bool codecPalette_ = true;
    TTiffCompression tifCompress_ = TTiffCompression::sNONE;
    int jpegQuality_ = 25;
    int jpegSmooth_ = 0;
    bool pngInterlaced_ = false;
    QString defSaveFilename_;
    bool autoSize_ = false;
    bool center_ = false;
    bool stretch_ = false;
    bool stretchRatio_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    QString text_;
    int textLeft_ = 0;
    int textTop_ = 0;
    int textRotate_ = 0;
    bool textShadow_ = false;
    QColor textShadowColor_ = Qt::black;
    bool textTransparent_ = true;
    bool useTwain_ = true;
    QString resourceModule_;
};

// One decoded bitmap picture file.
struct TDecodedPicture {
    bool Matched = false;   // the name is a bitmap format (by extension or content)
    bool Complete = false;  // decoded without a fault; Info is filled
    QImage Bitmap;          // what was decoded, possibly part of the picture
    QVector<QRgb> Palette;
    TPictureInfo Info;
    TFailure Failure;       // what the user is to be told when it did not decode
};
// Decodes a bitmap file (BMP, THB, THJ, RES, PNG, GIF, TIF, PCX, JPG, or an unlisted name by
// content) at `bits` per pixel.
TDecodedPicture DecodePictureFile(const QString& name, int bits, bool dither,
                                  const QString& resourceModule, QWidget* window);
// The plain loader behind the component: a picture file at the read depth, or an empty
// picture when the file is missing or holds no bitmap (metafile, scrolling text). A file that
// does not decode fails, with what was decoded before the fault as the partial value.
TResult<QImage> ReadPictureFile(const QString& name, TLoadResolution res, bool dither,
                       const QString& resourceModule = QString());

// Stretches a picture so that each target pixel is the AND of the source pixels it covers:
// shrinking a black-on-white picture keeps its thin black lines.
QImage StretchAndScans(const QImage& src, QSize size);

// Loads the bitmap resource `name` (or number, when the name is all digits) of `module`
// (a binary Qt resource file; empty: the program's own resources) together with the
// palette built from its colour table. The target takes the bitmap (Format_Indexed8 with
// that palette as colour table for up to 8 bits, Format_RGB32 above) and `palette`, when
// given, the palette. `window` is the window the bitmap is meant for (may be null).
// False, with the target untouched, when any step fails.
bool LoadResourceBitmap(const QString& module, const QString& name, QWidget* window, QImage& target,
                        QVector<QRgb>* palette = nullptr);

}  // namespace orb
