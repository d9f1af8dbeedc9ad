#include "platform/Cursors.h"

#include <QImageReader>

#include <QFile>
#include <QHash>
#include <QPixmap>
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

void SetCursorNumber(QWidget* w, int number) {
    if (!w) return;
    w->setProperty("CursorNumber", number);
    if (number == 0)
        w->unsetCursor();
    else
        w->setCursor(CursorFor(number));
}

QImage ResourcePng(const QString& path) {
    // Our own PNG resources: read by Qt's built-in PNG reader alone. Format detection
    // would first load every image format plugin installed (and their libraries), which
    // costs more than the whole window's pictures.
    // The file is opened here: a reader given a name and a fixed format peeks at the
    // device before opening it, and warns.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&file, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

}  // namespace orb
