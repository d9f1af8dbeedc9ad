#include "paint/PaintDocument.h"

namespace orb {

void TPaintDocument::SaveUndo() {
    if (Picture.isNull()) {
        UndoPicture = QImage();
        return;
    }
    UndoPicture = Picture.copy();
}

bool TPaintDocument::CanUndo() const {
    return Changed && !UndoPicture.isNull() && UndoPicture.size() == Picture.size();
}

bool TPaintDocument::Undo() {
    if (!CanUndo()) return false;
    Picture = UndoPicture;
    UndoPicture = QImage();
    return true;
}

void TPaintDocument::LoadFromPicture(const QImage& picture) {
    Picture = picture;
    UndoPicture = QImage();
    Changed = false;
}

}  // namespace orb
