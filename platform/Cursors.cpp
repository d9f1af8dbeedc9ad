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
}  // namespace

void RegisterCursor(int number, const QCursor& cursor) { CursorTable().insert(number, cursor); }

QCursor CursorFor(int number) {
    if (number == 0) return QCursor(Qt::ArrowCursor);
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
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

}  // namespace orb
