#pragma once
// TProportionalImage: a picture shown centred and scaled to a share of the control's
// size, keeping its proportions, over a background; optionally clipped to a region and
// put on the screen with a raster operation or revealed with an effect.
#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "library/GrphPrps.h"

namespace orb {

enum class TRasterOperation {
    roBLACKNESS, roDSTINVERT, roMERGECOPY, roMERGEPAINT, roNOTSRCCOPY,
    roNOTSRCERASE, roPATCOPY, roPATINVERT, roPATPAINT, roSRCAND,
    roSRCCOPY, roSRCERASE, roSRCINVERT, roSRCPAINT, roWHITENESS
};

enum class EffectStyle { esRandom, esExplode, esImplode };

// The result of a raster operation on one 24-bit pixel: destination, source, pattern.
quint32 RasterOpPixel(TRasterOperation op, quint32 d, quint32 s, quint32 p);
// Applies the operation to every pixel of dst (sizes must match; the pattern is a colour).
void ApplyRasterOp(QImage& dst, const QImage& src, TRasterOperation op, QRgb pattern);

// Where the picture goes: the box of size w x h centred in the control.
QRect ProportionalRect(QSize control, QSize picture, int sx, int sy, bool sxIsStatic,
                       bool syIsStatic, int staticSx, int staticSy);

// Block visiting orders of the reveal effects, over a grid of cols x rows blocks.
std::vector<QPoint> ExplodeOrder(int cols, int rows);
std::vector<QPoint> ImplodeOrder(int cols, int rows);
std::vector<QPoint> RandomOrder(int cols, int rows, int speed, quint32 seed);

class TProportionalImage : public QWidget {
    Q_OBJECT
public:
    explicit TProportionalImage(QWidget* parent = nullptr);

    TBackground& Background() { return bk_; }
    const QImage& Image() const { return image_; }
    void SetImage(const QImage& img);

    int Sx() const { return sx_; }
    int Sy() const { return sy_; }
    void SetSx(int v) { Set(sx_, v); }
    void SetSy(int v) { Set(sy_, v); }
    bool SxIsStatic = false, SyIsStatic = false;
    int StaticSx = 0, StaticSy = 0;
    TRasterOperation RasterOperation() const { return rop_; }
    void SetRasterOperation(TRasterOperation r) { Set(rop_, r); }
    EffectStyle Effect = EffectStyle::esRandom;
    bool Effects = false;
    int EffectSize = 1;
    int EffectSpeed = 1;
    bool NewImage = false;
    QString Text() const { return text_; }
    void SetText(const QString& t);
    // Not owned; shifted by the control's position only while painting.
    const QRegion* ClipRegion = nullptr;
    // When set (logical coordinates), a plain copy is cut to this ellipse with a smooth edge
    // at device resolution instead of the region's stepped one; the pixels inside stay as
    // they are.
    QRectF ClipEllipse;

    std::function<void(QMouseEvent*)> OnMouseDown, OnMouseMove, OnMouseUp;
    std::function<void()> OnClick, OnDblClick;

    // The composed picture: background, rectangle, picture and caption, at a device pixel
    // ratio (the image is the control's size times the ratio; geometry stays logical).
    QImage Compose(qreal dpr = 1) const;
    // Puts the composed picture onto an existing canvas image as the control does on the
    // screen (raster operation over what lies below); the control is at `at`, in the
    // canvas's logical pixels, composed at the canvas's device pixel ratio.
    void PutOn(QImage& canvas, QPoint at) const;
    // True while a reveal effect is still running.
    bool Revealing() const { return revealTimer_.isActive(); }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    template <class T>
    void Set(T& field, T v) {
        if (field == v) return;
        field = v;
        update();
    }
    void StartReveal();

    TBackground bk_;
    QImage image_;
    int sx_ = 90, sy_ = 90;
    TRasterOperation rop_ = TRasterOperation::roSRCCOPY;
    QString text_;
    bool painting_ = false;
    bool pressed_ = false;
    // Reveal state: the composed picture and the blocks shown so far.
    QImage revealImage_;
    std::vector<QPoint> revealOrder_;
    size_t revealShown_ = 0;
    QTimer revealTimer_;
};

}  // namespace orb
