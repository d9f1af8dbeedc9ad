#include "paint/Printing.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include "platform/Numbers.h"

namespace orb {

QRect PrintedPictureRect(int PW, int PH, QSize picture) {
    if (picture.width() < 1 || picture.height() < 1) return {};
    const int A = Round(0.9 * PW), B = Round(PW - 0.9 * PW);
    const int C = Round(0.9 * PH), D = Round(PH - 0.9 * PH);
    int w = Round(0.8 * PW);
    int h = Round(double(picture.height()) / picture.width() * w);
    if (h > Round(0.8 * PH)) {
        h = Round(0.8 * PH);
        w = Round(double(picture.width()) / picture.height() * h);
    }
    return QRect(Round(A + (B - A - w) / 2.0), Round(C + (D - C - h) / 2.0), w, h);
}

bool PrintPicture(QPrinter& printer, const QImage& picture, const QString& headingFace) {
    printer.setDocName("Orbelle");
    QPainter p;
    if (!p.begin(&printer)) return false;
    // One logical unit per device pixel over the printable area.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int PW = page.width(), PH = page.height();

    QFont f(headingFace);
    f.setPointSize(10);
    f.setBold(false);
    f.setItalic(false);
    p.setFont(f);
    const QFontMetrics fm(f, &printer);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    const int x = PW - fm.horizontalAdvance("Orbelle") - 3 * fm.horizontalAdvance("H");
    const int y = 2 * fm.height();
    p.drawText(QPoint(x, y + fm.ascent()), "Orbelle");

    const QRect r = PrintedPictureRect(PW, PH, picture.size());
    if (!r.isEmpty()) {
        // Source pixels unchanged: no smoothing between them.
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(r, picture);
    }
    return p.end();
}

}  // namespace orb
