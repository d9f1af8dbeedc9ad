#pragma once
// The picture being coloured: the working picture, its one-step undo snapshot and whether
// it differs from what was last loaded or saved. The painting session owns one; only the
// document writes its fields.
#include <QImage>

namespace orb {

class TPaintDocument {
public:
    const QImage& Picture() const { return FPicture; }
    // The picture to draw into (its pixels, never its size or format).
    QImage& Pixels() { return FPicture; }
    // The snapshot; null (0 by 0) when there is nothing to undo.
    const QImage& UndoPicture() const { return FUndoPicture; }
    bool Changed() const { return FChanged; }

    bool HasPicture() const { return !FPicture.isNull() && FPicture.width() > 0 && FPicture.height() > 0; }
    // Takes the snapshot of the picture (an empty snapshot when there is no picture).
    void SaveUndo();
    // Whether Undo would restore something: the picture is changed and the snapshot has
    // its size.
    bool CanUndo() const;
    // Restores the snapshot and consumes it; the picture stays changed. False when there was
    // nothing to restore.
    bool Undo();
    // A freshly loaded drawing: not changed, nothing to undo.
    void LoadFromPicture(const QImage& picture);
    // The picture differs from its file.
    void MarkChanged() { FChanged = true; }
    // The picture was written, or its changes were declined: no question about it any more.
    void MarkSaved() { FChanged = false; }

private:
    QImage FPicture;
    QImage FUndoPicture;
    bool FChanged = false;
};

}  // namespace orb
