#pragma once
// How the shell reads its pictures: files through the main window's picture loader
// (anImage), bitmap resources with their own palette.
#include <QImage>
#include <QString>

namespace orb {

class TPictureImage;

// The loader every picture file goes through; a private one is made when none is set.
TPictureImage& MainPictureLoader();
void SetMainPictureLoader(TPictureImage* loader);

// Loads a picture file through the loader at its current read depth and empties the loader
// again; an empty picture when it cannot be read (the loader has shown its messages).
QImage LoadPictureFile(const QString& path);
// Loads the bitmap resource NAME with its own palette; empty when missing.
QImage LoadResourcePicture(const QString& name);

}  // namespace orb
