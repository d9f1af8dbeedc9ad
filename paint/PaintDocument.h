#pragma once
// The picture being coloured: the working picture, its one-step undo snapshot and whether
// it differs from what was last loaded or saved. The painting window shows it; the
// catalogue and the file commands talk to it.
#include <QImage>

namespace orb {

class TPaintDocument {
public:
    QImage Picture;      // the working picture
    QImage UndoPicture;  // the snapshot; null (0 by 0) when there is nothing to undo
    bool Changed = false;

    bool HasPicture() const { return !Picture.isNull() && Picture.width() > 0 && Picture.height() > 0; }
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
    // The picture was written: it no longer differs from its file.
    void MarkSaved() { Changed = false; }
};

}  // namespace orb
