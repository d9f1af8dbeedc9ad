#include "shell/Pictures.h"

#include <memory>

#include "library/PictureImage.h"
#include "platform/Display.h"

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
    loader.SetImageName(path);
    QImage img = loader.HasPicture() ? loader.Picture() : QImage();
    loader.SetImageName(QString());
    return img;
}

QImage LoadResourcePicture(const QString& name) {
    QImage img;
    if (!LoadResourceBitmap(QString(), name, nullptr, img, nullptr)) return {};
    return img;
}

}  // namespace orb
