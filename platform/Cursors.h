#pragma once
// Numbered cursors: -19/-20 the two hand cursors of the skinned controls, -23..-31 the help,
// zoom, cross-hair, moving-hand, paint-brush, pen and eyedropper cursors. The painting
// window's cursor number is its active tool.
#include <QCursor>
#include <QImage>
#include <QStringList>
#include <QString>

class QWidget;

namespace orb {

enum CursorId : int {
    crNone = 0,
    crHandPoint = -19,
    crHelpArrow = -20,
    crHelp = -23,
    crZoomIn = -24,
    crZoomOut = -25,
    crXHair1 = -26,
    crXHair2 = -27,
    crMovingHand = -28,
    crPaintBrush = -29,
    crPen = -30,
    crEyeDropper = -31,
};

void RegisterCursor(int number, const QCursor& cursor);
// Registers ":/cursors/<name>.png" under number; it is read the first time it is asked for,
// so a cursor nobody shows costs nothing at start-up.
void RegisterResourceCursor(int number, const QString& name);
QCursor CursorFor(int number);
// Loads ":/cursors/<name>.png" with its hot spot; an arrow when the resource is missing.
QCursor LoadResourceCursor(const QString& name);
// Number of the cursor set on w with SetCursorNumber (0 = default).
int CursorNumber(const QWidget* w);
void SetCursorNumber(QWidget* w, int number);
// While held, SetCursorNumber only records the number; releasing gives every control recorded
// its cursor. A window that shows its first frame first holds them until then: the first
// pointer shape the pointer meets loads the pointer theme.
void HoldCursors();
void ReleaseCursors();

// A PNG of the program's resources; naming the format skips probing the image plug-ins.
QImage ResourcePng(const QString& path);
// Starts reading these PNG resources on a worker thread; ResourcePng then takes each one
// from there, waiting for it if need be. A second call while one is pending adds nothing.
void PrefetchResourcePngs(const QStringList& paths);

}  // namespace orb
