#pragma once
// Printing the picture: the heading "Orbelle" at the top right, the picture centred at
// most 80 % of the page in each direction, proportions kept.
#include <QFont>
#include <QImage>
#include <QRect>

class QPrinter;

namespace orb {

// Where the picture goes on a PW x PH printable page (device pixels); empty when the
// picture is empty.
QRect PrintedPictureRect(int pageWidth, int pageHeight, QSize picture);

// Prints one page with the heading in `headingFace` (10 points) and the picture. False when
// the printer could not start the document.
bool PrintPicture(QPrinter& printer, const QImage& picture, const QString& headingFace);

}  // namespace orb
