#include "shell/Pictures.h"

#include <QImageReader>

namespace orb {

QImage LoadPictureFile(const QString& path) {
    QImageReader r(path);
    r.setDecideFormatFromContent(true);
    return r.read();
}

QImage LoadResourcePicture(const QString& name) {
    return QImage(QStringLiteral(":/bitmaps/%1.bmp").arg(name));
}

}  // namespace orb
