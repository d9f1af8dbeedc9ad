#include "platform/Cursors.h"

#include <QImageReader>
#include <png.h>

#include <future>
#include <mutex>
#include <utility>

#include <QFile>
#include <QHash>
#include <QSet>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace orb {

namespace {
QHash<int, QCursor>& CursorTable() {
    static QHash<int, QCursor> table;
    return table;
}
// Cursors registered by resource name and not asked for yet.
QHash<int, QString>& PendingCursors() {
    static QHash<int, QString> pending;
    return pending;
}
}  // namespace

void RegisterCursor(int number, const QCursor& cursor) {
    PendingCursors().remove(number);
    CursorTable().insert(number, cursor);
}

void RegisterResourceCursor(int number, const QString& name) {
    CursorTable().remove(number);
    PendingCursors().insert(number, name);
}

QCursor CursorFor(int number) {
    if (number == 0) return QCursor(Qt::ArrowCursor);
    if (auto p = PendingCursors().find(number); p != PendingCursors().end()) {
        const QString name = *p;
        PendingCursors().erase(p);
        CursorTable().insert(number, LoadResourceCursor(name));
    }
    auto it = CursorTable().constFind(number);
    if (it != CursorTable().constEnd()) return *it;
    return QCursor(Qt::ArrowCursor);
}

QCursor LoadResourceCursor(const QString& name) {
    const QPixmap pm = QPixmap::fromImage(ResourcePng(QStringLiteral(":/cursors/%1.png").arg(name)));
    if (pm.isNull()) return QCursor(Qt::PointingHandCursor);
    int hx = -1, hy = -1;
    QFile hot(QStringLiteral(":/cursors/%1.hot").arg(name));
    if (hot.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> parts = hot.readAll().simplified().split(' ');
        if (parts.size() >= 2) {
            hx = parts[0].toInt();
            hy = parts[1].toInt();
        }
    }
    return QCursor(pm, hx, hy);
}

int CursorNumber(const QWidget* w) { return w ? w->property("CursorNumber").toInt() : 0; }

namespace {
struct THeldCursors {
    bool held = false;
    QList<QPointer<QWidget>> widgets;
};
THeldCursors& Held() {
    static THeldCursors h;
    return h;
}
void ApplyCursor(QWidget* w, int number) {
    if (number == 0)
        w->unsetCursor();
    else
        w->setCursor(CursorFor(number));
}
}  // namespace

void SetCursorNumber(QWidget* w, int number) {
    if (!w) return;
    w->setProperty("CursorNumber", number);
    if (Held().held) {
        Held().widgets.append(w);
        return;
    }
    ApplyCursor(w, number);
}

void HoldCursors() { Held().held = true; }

void ReleaseCursors() {
    THeldCursors& h = Held();
    if (!h.held) return;
    h.held = false;
    const QList<QPointer<QWidget>> widgets = std::exchange(h.widgets, {});
    QSet<QWidget*> done;
    for (const QPointer<QWidget>& w : widgets)
        if (w && !done.contains(w.data())) {
            done.insert(w.data());
            ApplyCursor(w, CursorNumber(w));
        }
}

namespace {
QImage ReadResourcePng(const QString& path);

// The pictures being read ahead, and those not yet taken.
struct TPngPrefetch {
    std::mutex lock;
    QSet<QString> waiting;
    std::shared_future<QHash<QString, QImage>> batch;
};
TPngPrefetch& Prefetch() {
    static TPngPrefetch p;
    return p;
}
}  // namespace

void PrefetchResourcePngs(const QStringList& paths) {
    TPngPrefetch& p = Prefetch();
    const std::lock_guard<std::mutex> hold(p.lock);
    if (!p.waiting.isEmpty() || paths.isEmpty()) return;
    p.waiting = QSet<QString>(paths.begin(), paths.end());
    p.batch = std::async(std::launch::async, [paths] {
                  QHash<QString, QImage> read;
                  for (const QString& path : paths) read.insert(path, ReadResourcePng(path));
                  return read;
              }).share();
}

QImage ResourcePng(const QString& path) {
    TPngPrefetch& p = Prefetch();
    std::shared_future<QHash<QString, QImage>> batch;
    {
        const std::lock_guard<std::mutex> hold(p.lock);
        if (p.waiting.remove(path)) {
            batch = p.batch;
            if (p.waiting.isEmpty()) p.batch = {};
        }
    }
    if (batch.valid()) return batch.get().value(path);
    return ReadResourcePng(path);
}

namespace {
QImage ReadResourcePng(const QString& path) {
    // Our own PNG resources, read by libpng directly: any reader of Qt's first lists every
    // image format plugin installed (reading each one's file), which costs more than the
    // pictures of the first window. A file libpng cannot read goes to Qt's PNG reader.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&png, data.constData(), size_t(data.size()))) {
        // Straight (not premultiplied) 8-bit BGRA: the bytes of QImage's ARGB32.
        png.format = PNG_FORMAT_BGRA;
        QImage img(int(png.width), int(png.height), QImage::Format_ARGB32);
        if (!img.isNull() && png_image_finish_read(&png, nullptr, img.bits(),
                                                   png_int_32(img.bytesPerLine()), nullptr))
            return img;
        png_image_free(&png);
    }
    file.seek(0);
    QImageReader reader(&file, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
}  // namespace

}  // namespace orb
