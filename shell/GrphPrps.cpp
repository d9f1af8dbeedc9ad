#include "shell/GrphPrps.h"

namespace orb {

TBackground::TBackground() : pen_(Qt::black), brush_(Qt::white, Qt::SolidPattern) {}

void TBackground::Changed() {
    if (OnAnyChange) OnAnyChange();
}

void TBackground::SetPen(const QPen& p) {
    pen_ = p;
    Changed();
}

void TBackground::SetBrush(const QBrush& b) {
    brush_ = b;
    Changed();
}

void TBackground::SetImage(const QImage& img) {
    image_ = img;
    Changed();
}

void TBackground::SetImageDrawStyle(TImageDrawStyle s) {
    if (s == style_) return;
    style_ = s;
    if (OnChange) OnChange();
    Changed();
}

void TBackground::Assign(const TBackground& other) {
    pen_ = other.pen_;
    brush_ = other.brush_;
    image_ = other.image_;
    const bool styleChanged = style_ != other.style_;
    style_ = other.style_;
    if (styleChanged && OnChange) OnChange();
    Changed();
}

}  // namespace orb
