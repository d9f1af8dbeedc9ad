#pragma once
// How the shell reads its pictures: files through the picture loader, bitmap resources
// with their own palette.
#include <QImage>
#include <QString>

namespace orb {

// Loads a picture file (format by extension or content); empty when it cannot be read.
QImage LoadPictureFile(const QString& path);
// Loads the bitmap resource NAME (":/bitmaps/NAME.bmp"); empty when missing.
QImage LoadResourcePicture(const QString& name);

}  // namespace orb
