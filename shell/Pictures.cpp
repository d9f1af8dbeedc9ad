#include "shell/Pictures.h"

#include <memory>

#include "library/PictureImage.h"
#include "platform/Display.h"
#include "shell/Application.h"

namespace orb {

namespace {
TPictureImage* g_loader = nullptr;
}

TPictureImage& MainPictureLoader() {
    if (g_loader) return *g_loader;
    static std::unique_ptr<TPictureImage> own;
    if (!own) {
        own = std::make_unique<TPictureImage>();
        own->hide();
        own->UseDisplayDepth(DisplayDepth());
    }
    return *own;
}

void SetMainPictureLoader(TPictureImage* loader) { g_loader = loader; }

QImage LoadPictureFile(const QString& path) {
    TPictureImage& loader = MainPictureLoader();
    const TOutcome loaded = loader.SetImageName(path);
    // A picture that failed part-way is shown as far as it was decoded.
    QImage img = loader.HasPicture() ? loader.Picture() : QImage();
    (void)loader.SetImageName(QString());  // emptying cannot fail
    TApplication::ShowFailure(loaded.Failure());
    return img;
}

TPictureFetch::TPictureFetch(const QString& path, const TPictureImage& loader) : path_(path) {
    const int bits = TPictureImage::BitsFor(loader.ImageReadRes());
    const bool dither = loader.ImageDither();
    result_ = std::async(std::launch::async, [path, bits, dither] {
        return DecodePictureFile(path, bits, dither, QString(), nullptr);
    });
}

TPictureFetch::~TPictureFetch() {
    if (result_.valid()) result_.wait();
}

QImage TPictureFetch::Take() {
    if (!result_.valid()) return {};
    const TDecodedPicture d = result_.get();
    // As the loader: what was decoded before a fault is still shown.
    TApplication::ShowFailure(d.Failure);
    return d.Matched ? d.Bitmap : QImage();
}

QImage LoadResourcePicture(const QString& name) {
    QImage img;
    if (!LoadResourceBitmap(QString(), name, nullptr, img, nullptr)) return {};
    return img;
}

}  // namespace orb
