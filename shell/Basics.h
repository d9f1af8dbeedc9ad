#pragma once
// Shared pieces of the skinned user interface: the hover base of the round buttons, the
// size class and window scaling. The palettes and cursors live in the layers below.
#include <QCursor>
#include <QGraphicsEffect>
#include <QImage>
#include <QVector>
#include <QWidget>
#include <functional>
#include <optional>

#include "library/Palette.h"
#include "platform/Cursors.h"

class QPainter;

namespace orb {

// ---- Hover base ----------------------------------------------------------------------

// A lightweight control that reports the mouse entering and leaving its rectangle.
class TGraphicHoverControl : public QWidget {
    Q_OBJECT
public:
    explicit TGraphicHoverControl(QWidget* parent = nullptr);

    std::function<void(QObject* sender)> OnMouseIn;
    std::function<void(QObject* sender)> OnMouseOut;

    virtual void MouseIn();
    virtual void MouseOut();

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
};

// ---- Size class ----------------------------------------------------------------------

enum class SizeClass { Small, Medium, Large };

// The size class for a screen; nullopt when the screen is below the minimum.
std::optional<SizeClass> ChooseSizeClass(int screenWidth, int screenHeight);
SizeClass CurrentSizeClass();
void SetCurrentSizeClass(SizeClass c);
// Scale numerator/denominator of a size class: 1/1, 5/4, 8/5.
int SizeClassNum(SizeClass c);
int SizeClassDen(SizeClass c);
// "s", "m" or "l": the folder of size-dependent resources.
const char* SizeClassKey(SizeClass c);
// The suffix of the size class's picture files in I/B/ ("6x4", "8x6", "10x7").
const char* SizeClassFileSuffix(SizeClass c);

// Rounded v * m / d (as the classic MulDiv: halves away from zero).
int MulDiv(int v, int m, int d);
// Scales the widget's children (positions, sizes, fonts) by m/d, recursively.
void ScaleChildren(QWidget* w, int m, int d);

}  // namespace orb
