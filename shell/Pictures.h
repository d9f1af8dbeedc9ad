#pragma once
// How the shell reads its pictures: files through the main window's picture loader
// (anImage), bitmap resources with their own palette.
#include <QImage>
#include <QString>
#include <future>

#include "library/PictureImage.h"

namespace orb {


// The loader every picture file goes through; a private one is made when none is set.
TPictureImage& MainPictureLoader();
void SetMainPictureLoader(TPictureImage* loader);

// Loads a picture file through the loader at its current read depth and empties the loader
// again; an empty picture when it cannot be read (the loader has shown its messages).
QImage LoadPictureFile(const QString& path);
// A picture file decoded on a worker thread while this one goes on, at the loader's read
// depth and dithering as they are when the fetch starts: Take() gives what LoadPictureFile
// would have given, and shows its failure the same way.
class TPictureFetch {
public:
    TPictureFetch(const QString& path, const TPictureImage& loader);
    ~TPictureFetch();  // a fetch not taken is waited for
    TPictureFetch(const TPictureFetch&) = delete;
    TPictureFetch& operator=(const TPictureFetch&) = delete;
    QString Path() const { return path_; }
    QImage Take();

private:
    QString path_;
    std::future<TDecodedPicture> result_;
};

// Loads the bitmap resource NAME with its own palette; empty when missing.
QImage LoadResourcePicture(const QString& name);

}  // namespace orb
