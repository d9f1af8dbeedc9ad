#include "paint/PaintDocument.h"

namespace orb {

void TPaintDocument::SaveUndo() {
    if (FPicture.isNull()) {
        FUndoPicture = QImage();
        return;
    }
    FUndoPicture = FPicture.copy();
}

bool TPaintDocument::CanUndo() const {
    return FChanged && !FUndoPicture.isNull() && FUndoPicture.size() == FPicture.size();
}

bool TPaintDocument::Undo() {
    if (!CanUndo()) return false;
    FPicture = FUndoPicture;
    FUndoPicture = QImage();
    return true;
}

void TPaintDocument::LoadFromPicture(const QImage& picture) {
    FPicture = picture;
    FUndoPicture = QImage();
    FChanged = false;
}

}  // namespace orb
