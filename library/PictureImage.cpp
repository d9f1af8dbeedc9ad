#include "library/PictureImage.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QResource>
#include <QSet>
#include <cstring>
#include <exception>

#include "library/CodecLibrary.h"
#include "library/PictureDepth.h"
#include "library/ScrollText.h"
#include "platform/Display.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Resources.h"

namespace orb {

const QString TPictureImage::kFileNotFound = QStringLiteral("file not found");
const QString TPictureImage::kNotCodecPicture =
    QStringLiteral("Non TIF, JPeg, BMP, GIF, PNG or PCX Image");

namespace {

QVector<QRgb>& Shared() {
    static QVector<QRgb> palette;
    return palette;
}

// Upper-cased extension with its dot, taken after the last folder separator; "" for none.
QString UpperExtension(const QString& name) {
    const int slash = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
    const int dot = name.lastIndexOf('.');
    if (dot < 0 || dot < slash) return {};
    return name.mid(dot).toUpper();
}

bool IsListedExtension(const QString& e) {
    static const QSet<QString> listed = {".BMP", ".GIF", ".JPG", ".PCX", ".PNG", ".TIF", ".RES",
                                         ".WMF", ".ICO", ".SCM", ".CMS", ".THB", ".THJ"};
    return listed.contains(e);
}

// Scroll files are short 8-bit texts; UTF-8 when valid, otherwise Latin-1.
QString DecodeText(const QByteArray& bytes) {
    QString s = QString::fromUtf8(bytes);
    if (s.contains(QChar::ReplacementCharacter)) s = QString::fromLatin1(bytes);
    return s;
}

inline uint32_t Le16(const uchar* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
inline uint32_t Le32(const uchar* p) { return Le16(p) | (Le16(p + 2) << 16); }

// Resource root of a module: the program's own, or a resource file mapped under its own
// root so its names cannot clash with the program's.
QString ResourceRoot(const QString& module) {
    if (module.isEmpty()) {
        RegisterProgramResources();
        return ":/bitmaps/";
    }
    static QSet<QString> registered;
    const QString abs = QFileInfo(module).absoluteFilePath();
    const QString tag = QString::fromLatin1(
        QCryptographicHash::hash(abs.toUtf8(), QCryptographicHash::Md5).toHex().left(12));
    const QString root = "/module_" + tag;
    if (!registered.contains(abs)) {
        if (!QResource::registerResource(abs, root)) return {};
        registered.insert(abs);
    }
    return ":" + root + "/bitmaps/";
}

// Bitmap resource names compare without regard to case.
QString FindResourceFile(const QString& root, const QString& name) {
    if (root.isEmpty() || name.isEmpty()) return {};
    const QString exact = root + name + ".bmp";
    if (QFile::exists(exact)) return exact;
    QDir dir(root);
    const QString wanted = (name + ".bmp").toLower();
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.toLower() == wanted) return root + entry;
    return {};
}

}  // namespace

QImage StretchAndScans(const QImage& src, QSize size) {
    if (src.isNull() || size.isEmpty()) return {};
    const QImage rgb = ToTrueColour(src);
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull()) return {};
    const int sw = rgb.width(), sh = rgb.height(), dw = size.width(), dh = size.height();
    for (int dy = 0; dy < dh; ++dy) {
        const int y0 = int(qint64(dy) * sh / dh);
        const int y1 = std::max(y0 + 1, int(qint64(dy + 1) * sh / dh));
        QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(dy));
        for (int dx = 0; dx < dw; ++dx) {
            const int x0 = int(qint64(dx) * sw / dw);
            const int x1 = std::max(x0 + 1, int(qint64(dx + 1) * sw / dw));
            QRgb v = 0xFFFFFFFFu;
            for (int y = y0; y < y1; ++y) {
                const QRgb* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
                for (int x = x0; x < x1; ++x) v &= s[x];
            }
            d[dx] = v;
        }
    }
    return out;
}

bool LoadResourceBitmap(const QString& module, const QString& name, QWidget* window, QImage& target,
                        QVector<QRgb>* palette) {
    Q_UNUSED(window);  // palettes are realised when drawing, not when loading
    const QString path = FindResourceFile(ResourceRoot(module), name);
    if (path.isEmpty()) return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > codec::kMaxFileBytes) return false;
    const QByteArray all = f.readAll();
    // Stored as a bitmap file; what matters is the information header that follows.
    const qsizetype start = all.startsWith("BM") ? 14 : 0;
    const QByteArray dib = all.mid(start);
    const uchar* d = reinterpret_cast<const uchar*>(dib.constData());
    const qint64 n = dib.size();
    if (n < 12) return false;
    const uint32_t headerSize = Le32(d);
    int bitCount = 0;
    uint32_t used = 0, compression = 0, entryBytes = 4;
    if (headerSize == 12) {  // the older header: three-byte colour entries
        bitCount = int(Le16(d + 10));
        entryBytes = 3;
    } else if (headerSize >= 40 && headerSize <= 4096 && n >= 40) {
        bitCount = int(Le16(d + 14));
        compression = Le32(d + 16);
        used = Le32(d + 32);
    } else {
        return false;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return false;
    // Colour count: the used-colours field, else a full table below 16 bits. Deeper
    // bitmaps carry no table (a 2^16-entry one would read far past the data).
    uint32_t colours = used ? used : (bitCount <= 8 ? 1u << bitCount : 0u);
    if (bitCount <= 8 && colours > (1u << bitCount)) return false;
    if (colours > 256) return false;
    const qint64 masks = (headerSize == 40 && compression == 3) ? 12 : 0;
    const qint64 tableAt = headerSize + masks;
    const qint64 bitsAt = tableAt + qint64(colours) * entryBytes;
    if (bitsAt > n) return false;
    QVector<QRgb> pal;
    for (uint32_t i = 0; i < colours; ++i) {
        const uchar* e = d + tableAt + qint64(i) * entryBytes;
        pal.append(qRgb(e[2], e[1], e[0]));
    }
    // Hand the bits to the BMP reader behind a file header that points at them.
    QByteArray file(14, '\0');
    uchar* h = reinterpret_cast<uchar*>(file.data());
    h[0] = 'B';
    h[1] = 'M';
    const uint32_t total = uint32_t(14 + n), offset = uint32_t(14 + bitsAt);
    for (int i = 0; i < 4; ++i) {
        h[2 + i] = uchar(total >> (8 * i));
        h[10 + i] = uchar(offset >> (8 * i));
    }
    file += dib;
    QImage img;
    QVector<QRgb> imgPal = pal;
    if (codec::Decode(TCodecFormat::Bmp, file, 0, false, img, imgPal) < codec::Ok) return false;
    if (img.isNull()) return false;
    if (img.format() == QImage::Format_Indexed8 && !pal.isEmpty()) img.setColorTable(pal);
    target = img;
    if (palette) *palette = pal;
    return true;
}

TDecodedPicture DecodePictureFile(const QString& name, int bits, bool dither,
                                  const QString& resourceModule, QWidget* window) {
    TDecodedPicture out;
    const QString path = NameToPath(name);
    const QString ext = UpperExtension(name);
    // Unlisted extensions are recognised by content.
    QString detected;
    if (!IsListedExtension(ext)) {
        TCodecFileInfo ci;
        if (codec::FileInfo(path, ci) >= codec::Ok) detected = ci.Format;
    }
    struct Line {
        bool match;
        TCodecFormat format;  // None: the program's bitmap resource
        const char* failure;
        int tag;  // the failure text's id in the language file
    };
    const Line table[] = {
        {ext == ".BMP" || detected == "BMP", TCodecFormat::Bmp, "Reading bmp file failed", 5031},
        {ext == ".THB", TCodecFormat::Bmp, "Reading bmp file failed", 5031},
        {ext == ".THJ", TCodecFormat::Jpeg, "Reading jpg file failed", 5032},
        {ext == ".RES", TCodecFormat::None, "Reading resource file failed", 5033},
        {ext == ".PNG" || detected == "PNG", TCodecFormat::Png, "Reading png file failed", 5034},
        {ext == ".GIF" || detected == "GIF", TCodecFormat::Gif, "Reading gif file failed", 5035},
        {ext == ".TIF" || detected == "TIF", TCodecFormat::Tiff, "Reading tif file failed", 5036},
        {ext == ".PCX" || detected == "PCX", TCodecFormat::Pcx, "Reading pcx file failed", 5037},
        {ext == ".JPG" || detected == "JPEG", TCodecFormat::Jpeg, "Reading jpg file failed", 5032},
    };
    TFailure failure;  // every matching reader's messages, in order
    for (const Line& line : table) {
        if (!line.match) continue;
        out = TDecodedPicture();
        out.Matched = true;
        try {
            QVector<QRgb> pal = TPictureImage::SharedPalette();
            if (line.format == TCodecFormat::None) {
                // The resource name: no folder, nothing from the first dot on.
                QString res = name.mid(std::max(name.lastIndexOf('/'), name.lastIndexOf('\\')) + 1);
                res = res.left(res.indexOf('.'));
                QImage bitmap;
                if (LoadResourceBitmap(resourceModule, res, window, bitmap, &pal)) {
                    out.Bitmap = bitmap;
                    out.Complete = true;
                    out.Info.Format = "RES";
                    out.Info.Format2 = "BMP";
                    out.Info.Width = bitmap.width();
                    out.Info.Height = bitmap.height();
                    const int b = BitmapBits(bitmap);
                    out.Info.FileSize =
                        40 + qint64((bitmap.width() * b + 31) / 32) * 4 * bitmap.height();
                } else {
                    failure.Add(line.failure, "Information", MessageKind::Info, line.tag);
                }
                out.Palette = pal;
                continue;
            }
            const int16_t status = codec::Read(line.format, path, bits, dither, out.Bitmap, pal);
            out.Palette = pal;
            if (status < codec::Ok) {
                failure.Add(codec::Failure(status));
                failure.Add(line.failure, "Information", MessageKind::Info, line.tag);
            } else {
                out.Complete = true;
                TCodecFileInfo ci;
                codec::FileInfo(path, ci);
                out.Info.Format = ci.Format;
                out.Info.Width = ci.Width;
                out.Info.Height = ci.Height;
                out.Info.Value1 = ci.Bits;
                out.Info.Value2 = ci.Planes;
                out.Info.Value3 = ci.Colors;
                out.Info.Format2 = ci.Description;
                out.Info.FileSize = QFileInfo(path).size();
            }
        } catch (const std::exception&) {
            // An error raised inside a reader passes in silence.
            out.Bitmap = QImage();
            out.Complete = false;
            failure.Add(TFailure::Silent());
            break;
        }
    }
    out.Failure = failure;
    return out;
}

TResult<QImage> ReadPictureFile(const QString& name, TLoadResolution res, bool dither,
                                const QString& resourceModule) {
    const QString ext = UpperExtension(name);
    const QFileInfo fi(NameToPath(name));
    if (ext != ".RES" && (name.isEmpty() || !fi.isFile())) return QImage();
    if (ext == ".ICO") {
        QImage img;
        QImageReader(fi.filePath(), "ico").read(&img);
        return img;
    }
    if (ext == ".WMF" || ext == ".SCM" || ext == ".CMS") return QImage();
    TDecodedPicture d =
        DecodePictureFile(name, TPictureImage::BitsFor(res), dither, resourceModule, nullptr);
    return TResult<QImage>(d.Failure, d.Bitmap);
}

TPictureImage::TPictureImage(QWidget* parent) : QFrame(parent) {
    resize(105, 105);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    setPalette(p);
    setFocusPolicy(Qt::StrongFocus);
    SetBorderStyle(TBorderStyle::bsNone);
}

TPictureImage::~TPictureImage() = default;

void TPictureImage::SetSharedPalette(const QVector<QRgb>& palette) { Shared() = palette; }
const QVector<QRgb>& TPictureImage::SharedPalette() { return Shared(); }

int TPictureImage::BitsFromScreen() {
    const int d = DisplayDepth();
    if (d <= 4) return 4;
    if (d <= 15) return 8;
    return 24;
}

int TPictureImage::BitsFor(TLoadResolution r) {
    switch (r) {
        case TLoadResolution::lColorVga:
            return 0;
        case TLoadResolution::lMonoChrome:
            return 1;
        case TLoadResolution::lColor16:
            return 4;
        case TLoadResolution::lColor256:
            return 8;
        case TLoadResolution::lColorTrue:
            return 24;
        case TLoadResolution::lAutoMatic:
            return BitsFromScreen();
    }
    return 24;
}

int TPictureImage::BitsFor(TSaveResolution r) {
    switch (r) {
        case TSaveResolution::sColorVga:
            return 0;
        case TSaveResolution::sMonoChrome:
            return 1;
        case TSaveResolution::sColor16:
            return 4;
        case TSaveResolution::sColor256:
            return 8;
        case TSaveResolution::sColorTrue:
            return 24;
        case TSaveResolution::sJpegGray:
            return 8;
        case TSaveResolution::sAutoMatic:
            return BitsFromScreen();
    }
    return 24;
}

TLoadResolution TPictureImage::ReadResForDisplay(int displayBits) {
    if (displayBits < 8) return TLoadResolution::lColor16;
    if (displayBits < 16) return TLoadResolution::lColor256;
    return TLoadResolution::lColorTrue;
}

void TPictureImage::UseDisplayDepth(int displayBits) {
    readRes_ = ReadResForDisplay(displayBits);
    dither_ = displayBits < 16;
}

void TPictureImage::ClearPicture() {
    message_.reset();
    credits_.reset();
    picture_ = QImage();
    picturePalette_.clear();
    kind_ = TPictureKind::None;
    update();
}

void TPictureImage::TakePicture(const QImage& img, const QVector<QRgb>& palette,
                                TPictureKind kind) {
    picture_ = img;
    picturePalette_ = img.format() == QImage::Format_Indexed8 ? img.colorTable() : palette;
    kind_ = img.isNull() && kind != TPictureKind::Metafile ? TPictureKind::None : kind;
    if (autoSize_ && !picture_.isNull() && !picture_.size().isEmpty() &&
        kind != TPictureKind::ScrollMessage && kind != TPictureKind::ScrollCredits)
        resize(picture_.width() + 2 * frameWidth(), picture_.height() + 2 * frameWidth());
    update();
}

void TPictureImage::SetPicture(const QImage& picture, const QVector<QRgb>& palette) {
    ClearPicture();
    TakePicture(picture, palette.isEmpty() ? SharedPalette() : palette,
                picture.isNull() ? TPictureKind::None : TPictureKind::Bitmap);
}

void TPictureImage::RecordOwnInfo(const QString& path, const QString& ext) {
    info_ = TPictureInfo();
    info_.Format = ext.mid(1);
    info_.Format2 = info_.Format;
    info_.Width = picture_.width();
    info_.Height = picture_.height();
    info_.FileSize = QFileInfo(path).size();
}

void TPictureImage::BuildScrolling(const QString& path, bool credits) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw EScrollFormat("the file cannot be read");
    if (f.size() > (qint64(4) << 20)) throw EScrollFormat("the file is too long");
    const QString text = DecodeText(f.readAll());
    if (credits)
        credits_ = std::make_unique<TScrollCredits>(ParseScrollCredits(text), font(),
                                                    contentsRect().size());
    else
        message_ = std::make_unique<TScrollMessage>(ParseScrollMessage(text), font(),
                                                    contentsRect().size());
    QPalette p = palette();
    p.setColor(QPalette::Window, credits ? credits_->Background() : message_->Background());
    setPalette(p);
    RefreshScrollFrame();
}

void TPictureImage::RefreshScrollFrame() {
    if (message_) {
        picture_ = message_->Frame();
        kind_ = TPictureKind::ScrollMessage;
    } else if (credits_) {
        picture_ = credits_->Frame();
        kind_ = TPictureKind::ScrollCredits;
    } else {
        return;
    }
    picturePalette_ = SharedPalette();
    update();
}

TOutcome TPictureImage::SetImageName(const QString& name) {
    info_ = TPictureInfo();
    const QString path = NameToPath(name);
    const QString ext = UpperExtension(name);
    const QFileInfo fi(path);

    // A missing file (an empty name included) empties the picture.
    if (ext != ".RES" && (name.isEmpty() || !fi.exists() || fi.isDir())) {
        ClearPicture();
        status_ = kFileNotFound;
        info_.Format = info_.Format2 = "ERR";
        info_.Width = info_.Height = info_.Value1 = info_.Value2 = info_.Value3 = -1;
        info_.FileSize = -1;
        return {};
    }

    // Depth and dithering asked of the decoders.
    const int bits = BitsFor(readRes_);
    const bool dither = dither_;

    // Icons through Qt's reader; metafiles have no reader on this platform.
    if (ext == ".WMF" || ext == ".ICO") {
        ClearPicture();
        TFailure failure;
        if (ext == ".ICO") {
            QImageReader reader(path, "ico");
            QImage img;
            if (reader.read(&img))
                TakePicture(img, {}, TPictureKind::Icon);
            else
                failure.Add(reader.errorString(), "Error", MessageKind::Error);
        } else {
            kind_ = TPictureKind::Metafile;
        }
        RecordOwnInfo(path, ext);
        status_ = kNotCodecPicture;
        return failure;
    }

    // Scrolling texts.
    // A scrolling text that cannot be read or parsed empties the picture, in silence.
    TFailure failure;
    if (ext == ".SCM" || ext == ".CMS") {
        ClearPicture();
        try {
            BuildScrolling(path, ext == ".CMS");
            RecordOwnInfo(path, ext);
        } catch (const std::exception&) {
            ClearPicture();
            failure = TFailure::Silent();
        }
    }

    // Decode.
    if (!failure.Failed()) {
        TDecodedPicture d = DecodePictureFile(name, bits, dither, resourceModule_, this);
        if (d.Matched) {
            ClearPicture();
            // What was decoded before a failure is still shown.
            TakePicture(d.Bitmap, d.Palette, TPictureKind::Bitmap);
            if (d.Complete) info_ = d.Info;
        }
        failure = d.Failure;
    }

    // The status reads back the requested name.
    status_ = name.toUpper();
    return failure;
}

TOutcome TPictureImage::SaveAsBmp(const QString& file) {
    const QString target = NameToPath(file.isEmpty() ? defSaveFilename_ : file);
    int16_t status = codec::ErrWrite;
    try {
        status = codec::WriteBmp(target, BitsFor(writeRes_), picture_, picturePalette_);
    } catch (const std::exception&) {
        return TFailure::Silent();  // errors raised while writing are swallowed
    }
    if (status >= codec::Ok) return {};
    return codec::Failure(status).Add("Writing bmp file failed", "Information", MessageKind::Info, 5030);
}

void TPictureImage::CopyToClipboard() {
    if (picture_.isNull()) return;
    QGuiApplication::clipboard()->setImage(picture_);
}

void TPictureImage::CutToClipboard() {
    CopyToClipboard();
    ClearPicture();
}

void TPictureImage::PasteFromClipboard() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage()) return;
    const QImage img = QGuiApplication::clipboard()->image();
    if (img.isNull()) return;
    SetPicture(img);
}

void TPictureImage::ScrollMessageStep() {
    if (!message_) return;
    message_->Tick();
    RefreshScrollFrame();
}

void TPictureImage::ScrollCreditsStep() {
    if (!credits_) return;
    credits_->Tick();
    RefreshScrollFrame();
}

bool TPictureImage::event(QEvent* e) {
    if (e->type() == QEvent::Type(kScrollMessageEvent)) {
        ScrollMessageStep();
        return true;
    }
    if (e->type() == QEvent::Type(kScrollCreditsEvent)) {
        ScrollCreditsStep();
        return true;
    }
    return QFrame::event(e);
}

void TPictureImage::keyPressEvent(QKeyEvent* e) {
    const auto mods = e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const int key = e->key();
    if ((mods == Qt::ControlModifier && (key == Qt::Key_C || key == Qt::Key_Insert))) {
        CopyToClipboard();
    } else if ((mods == Qt::ControlModifier && key == Qt::Key_X) ||
               (mods == Qt::ShiftModifier && key == Qt::Key_Delete)) {
        CutToClipboard();
    } else if ((mods == Qt::ControlModifier && key == Qt::Key_V) ||
               (mods == Qt::ShiftModifier && key == Qt::Key_Insert)) {
        PasteFromClipboard();
    } else {
        QFrame::keyPressEvent(e);
        return;
    }
    e->accept();
}

void TPictureImage::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    if (message_) message_->Resize(contentsRect().size());
    if (credits_) credits_->Resize(contentsRect().size());
    RefreshScrollFrame();
}

QRect TPictureImage::PictureRect() const {
    const QRect client = contentsRect();
    if (picture_.isNull()) return {};
    const int w = picture_.width(), h = picture_.height();
    const bool platformDrawing =
        kind_ == TPictureKind::Icon || kind_ == TPictureKind::Metafile || !codecPalette_;
    if (!platformDrawing && stretchRatio_) {
        const double scale = std::min(double(client.width()) / w, double(client.height()) / h);
        const int dw = Round(w * scale), dh = Round(h * scale);
        return QRect(client.left() + (client.width() - dw) / 2,
                     client.top() + (client.height() - dh) / 2, dw, dh);
    }
    if (stretch_) return client;
    if (center_)
        return QRect(client.left() + (client.width() - w) / 2,
                     client.top() + (client.height() - h) / 2, w, h);
    return QRect(client.topLeft(), QSize(w, h));
}

void TPictureImage::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    QPainter p(this);
    if (!picture_.isNull()) {
        const QRect r = PictureRect();
        // Nearest-neighbour stretching, as the colour-on-colour mode gives; one-bit pictures
        // keep their black lines when shrunk.
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.setClipRect(contentsRect());
        if (r.size() == picture_.size())
            p.drawImage(r.topLeft(), picture_);
        else if (readRes_ == TLoadResolution::lMonoChrome && kind_ == TPictureKind::Bitmap &&
                 (r.width() < picture_.width() || r.height() < picture_.height()))
            p.drawImage(r.topLeft(), StretchAndScans(picture_, r.size()));
        else
            p.drawImage(r, picture_);
        p.setClipping(false);
    }
    if (!text_.isEmpty()) {
        p.setFont(font());
        const QFontMetrics fm(font());
        auto draw = [&](int dx, int dy, const QColor& colour) {
            p.save();
            p.translate(textLeft_ + dx, textTop_ + dy);
            p.rotate(-textRotate_);  // counter-clockwise, as the escapement turns
            p.setPen(colour);
            if (!textTransparent_) {
                p.setBackgroundMode(Qt::OpaqueMode);
                p.setBackground(palette().color(QPalette::Window));
            }
            p.drawText(0, fm.ascent(), text_);
            p.restore();
        };
        if (textShadow_) draw(2, 2, textShadowColor_);
        draw(0, 0, palette().color(QPalette::WindowText));
    }
    p.end();
    if (OnPaint) OnPaint(*this);
}

void TPictureImage::SetCodecPalette(bool on) {
    codecPalette_ = on;
    update();
}
void TPictureImage::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on && !picture_.isNull() && kind_ == TPictureKind::Bitmap)
        resize(picture_.width() + 2 * frameWidth(), picture_.height() + 2 * frameWidth());
}
void TPictureImage::SetCenter(bool on) {
    center_ = on;
    update();
}
void TPictureImage::SetStretch(bool on) {
    stretch_ = on;
    update();
}
void TPictureImage::SetStretchRatio(bool on) {
    stretchRatio_ = on;
    update();
}
void TPictureImage::SetBorderStyle(TBorderStyle s) {
    borderStyle_ = s;
    if (s == TBorderStyle::bsSingle) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    update();
}
void TPictureImage::SetText(const QString& t) {
    text_ = t;
    update();
}
void TPictureImage::SetTextLeft(int v) {
    textLeft_ = v;
    update();
}
void TPictureImage::SetTextTop(int v) {
    textTop_ = v;
    update();
}
void TPictureImage::SetTextRotate(int degrees) {
    textRotate_ = degrees;
    update();
}
void TPictureImage::SetTextShadow(bool on) {
    textShadow_ = on;
    update();
}
void TPictureImage::SetTextShadowColor(const QColor& c) {
    textShadowColor_ = c;
    update();
}
void TPictureImage::SetTextTransParent(bool on) {
    textTransparent_ = on;
    update();
}

}  // namespace orb
