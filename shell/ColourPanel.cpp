// The colour panel ("ColorPage" side page): current colour, hue/saturation/brightness
// sliders, the picker, the fill style and the pen width. Every change goes to the painting
// session; the eyedropper's colour comes back from it.
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <array>

#include "paint/ColorModel.h"
#include "paint/PaintSession.h"
#include "paint/ProImg.h"
#include "paint/Spinner.h"
#include "platform/Numbers.h"
#include "platform/Tags.h"
#include "shell/ColorPage.h"
#include "shell/Page.h"
#include "shell/PaintPanels.h"

namespace orb {

TColourPanel::TColourPanel(const TPaintContext& ctx, QWidget* page) : ctx_(ctx) {
    auto [shape, title] = MakeSideHeading(page, "ColorShape", "ColorTitle", "Tekenen", 4351);
    ColorShape = shape;
    ColorTitle = title;

    CurrentColor = new TShape(page);
    CurrentColor->setObjectName("CurrentColor");
    SetTag(CurrentColor, 4300);
    CurrentColor->setGeometry(10, 60, 120, 27);
    CurrentColor->PenColor = Qt::white;

    auto scroller = [page](const char* name, int y) {
        auto* s = new QScrollBar(Qt::Horizontal, page);
        s->setObjectName(name);
        SetTag(s, 4300);
        s->setGeometry(10, y, 120, 7);
        s->setRange(0, 100);
        s->setSingleStep(1);
        s->setPageStep(0);
        SetDesignStyleSheet(
            s,
            "QScrollBar:horizontal { background: rgb(0,0,60); height: 7px; border: none; "
            "border-radius: 3px; margin: 0; }"
            "QScrollBar::handle:horizontal { background: rgb(255,153,51); min-width: 9px; "
            "border-radius: 3px; }"
            "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; "
            "border: none; background: none; }"
            "QScrollBar::add-page, QScrollBar::sub-page { background: none; }");
        return s;
    };
    auto valueBox = [page](const char* name, int y) {
        auto* v = new TSpinner(page);
        v->setObjectName(name);
        v->setGeometry(90, y, 40, 19);
        v->MinValue = 0;
        v->MaxValue = 100;
        v->hide();
        return v;
    };
    HLbl = MakeLabel(page, "HLbl", QRect(10, 100, 80, 16), "Tint", 4352, 13, Qt::white);
    HScroller = scroller("HScroller", 117);
    HValue = valueBox("HValue", 97);
    SLbl = MakeLabel(page, "SLbl", QRect(10, 130, 80, 16), "Kleurdiepte", 4353, 13, Qt::white);
    SScroller = scroller("SScroller", 147);
    SValue = valueBox("SValue", 127);
    VLbl = MakeLabel(page, "VLbl", QRect(10, 160, 80, 16), "Helderheid", 4354, 13, Qt::white);
    VScroller = scroller("VScroller", 177);
    VValue = valueBox("VValue", 157);
    for (QScrollBar* s : {HScroller, SScroller, VScroller})
        connect(s, &QScrollBar::valueChanged, this, [this, s] { RGBValueChange(s); });
    for (TSpinner* v : {HValue, SValue, VValue}) v->OnChange = [this](QObject* o) { RGBValueChange(o); };

    hsImage = new TProportionalImage(page);
    hsImage->setObjectName("hsImage");
    SetTag(hsImage, 4300);
    hsImage->setGeometry(10, 190, 120, 120);
    hsImage->SetSx(100);
    hsImage->SetSy(100);
    hsImage->Background().SetBrush(QColor(0, 0, 100));
    hsImage->Background().SetPen(Qt::NoPen);
    hsImage->OnMouseDown = [this](QMouseEvent* e) {
        hsImageMouseDown(e->button(), e->position().toPoint());
    };
    hsImage->OnMouseMove = [this](QMouseEvent* e) {
        hsImageMouseMove(e->buttons(), e->position().toPoint());
    };

    BrushStyleLbl = MakeLabel(page, "BrushStyleLbl", QRect(10, 315, 120, 16), "Vulstijl", 4355, 13,
                          Qt::white);
    BrushStyleLst = new TBrushStyleList(page);
    BrushStyleLst->setObjectName("BrushStyleLst");
    SetTag(BrushStyleLst, 4356);
    BrushStyleLst->setGeometry(10, 330, 120, 22);
    connect(BrushStyleLst, &QComboBox::currentIndexChanged, this, [this] { BrushStyleLstChange(); });

    PenWidthLbl = MakeLabel(page, "PenWidthLbl", QRect(10, 366, 80, 16), "Pendikte", 4362, 13,
                        Qt::white);
    PenWidth = new TSpinner(page);
    PenWidth->setObjectName("PenWidth");
    SetTag(PenWidth, 4300);
    PenWidth->setGeometry(90, 361, 40, 19);
    PenWidth->MinValue = 1;
    PenWidth->MaxValue = 100;
    PenWidth->SetValue(1);
    PenWidth->OnChange = [this](QObject*) { ctx_.Session.SetPenWidth(PenWidth->Value()); };
    ctx_.Session.SetPenWidth(PenWidth->Value());
    SetDesignStyleSheet(PenWidth,
                        "QLineEdit { background: black; color: white; border: 1px solid "
                        "rgb(255,153,51); }");
}

void TColourPanel::Start() {
    // Each setting runs the change handler.
    HScroller->setValue(50);
    SScroller->setValue(50);
    VScroller->setValue(100);
    BrushStyleLst->blockSignals(true);
    BrushStyleLst->setCurrentIndex(0);
    BrushStyleLst->blockSignals(false);
    ctx_.Session.SetFillStyleIndex(BrushStyleLst->currentIndex());
}

void TColourPanel::ApplyHSV(int h, int s, int v) {
    CurrentColor->BrushColor = ColorFromPercentages(h, s, v);
    CurrentColor->update();
    ctx_.Session.SetColour(CurrentColor->BrushColor);
}

namespace {
// Writes to one group of controls with that group disabled, so their change handler
// ignores the writes: the enabled test, not a flag, stops the echo.
template <class Group, class Write>
void WriteDisabled(const Group& group, Write write) {
    for (auto* c : group) c->setEnabled(false);
    write();
    for (auto* c : group) c->setEnabled(true);
}
}  // namespace

void TColourPanel::RGBValueChange(QObject* sender) {
    auto* spinner = qobject_cast<TSpinner*>(sender);
    auto* bar = qobject_cast<QScrollBar*>(sender);
    const std::array<QScrollBar*, 3> bars{HScroller, SScroller, VScroller};
    const std::array<TSpinner*, 3> boxes{HValue, SValue, VValue};
    if (spinner && std::find(boxes.begin(), boxes.end(), spinner) != boxes.end() &&
        spinner->isEnabled()) {
        ApplyHSV(HValue->Value(), SValue->Value(), VValue->Value());
        WriteDisabled(bars, [&] {
            for (int i = 0; i < 3; ++i) bars[i]->setValue(boxes[i]->Value());
        });
    }
    if (bar && std::find(bars.begin(), bars.end(), bar) != bars.end() && bar->isEnabled()) {
        ApplyHSV(HScroller->value(), SScroller->value(), VScroller->value());
        WriteDisabled(boxes, [&] { CopyScrollersToSpinners(); });
    }
}

void TColourPanel::CopyScrollersToSpinners() {
    HValue->SetValue(HScroller->value());
    SValue->SetValue(SScroller->value());
    VValue->SetValue(VScroller->value());
}

void TColourPanel::hsImagePick(QPoint at) {
    const double W = hsImage->width(), H = hsImage->height();
    if (W <= 0 || H <= 0) return;
    const std::array<QScrollBar*, 3> bars{HScroller, SScroller, VScroller};
    WriteDisabled(bars, [&] {
        HScroller->setValue(Round(at.x() / W * 100.0));  // the scroll bar clamps to 0..100
        SScroller->setValue(Round((H - at.y()) / H * 100.0));
    });
    ApplyHSV(HScroller->value(), SScroller->value(), VScroller->value());
    WriteDisabled(std::array<TSpinner*, 3>{HValue, SValue, VValue},
                  [&] { CopyScrollersToSpinners(); });
}

void TColourPanel::hsImageMouseDown(Qt::MouseButton button, QPoint at) {
    if (button == Qt::LeftButton) hsImagePick(at);
}

void TColourPanel::hsImageMouseMove(Qt::MouseButtons buttons, QPoint at) {
    if (buttons & Qt::LeftButton) hsImagePick(at);
}

void TColourPanel::BrushStyleLstChange() {
    CurrentColor->BrushStyleIndex = std::max(0, BrushStyleLst->currentIndex());
    CurrentColor->update();
    ctx_.Session.SetFillStyleIndex(BrushStyleLst->currentIndex());
}

QColor TColourPanel::CurrentColour() const { return CurrentColor->BrushColor; }

void TColourPanel::ColourPicked(const QColor& c) {
    CurrentColor->BrushColor = c;
    CurrentColor->update();
    ctx_.Session.SetColour(c);
    double h, s, v;
    RGBToHSV(c.red() / 255.0, c.green() / 255.0, c.blue() / 255.0, h, s, v);
    const std::array<QWidget*, 6> all{HValue, SValue, VValue, HScroller, SScroller, VScroller};
    WriteDisabled(all, [&] {
        HScroller->setValue(Round(h / 360.0 * 100.0));
        SScroller->setValue(Round(s * 100.0));
        VScroller->setValue(Round(v * 100.0));
        CopyScrollersToSpinners();
    });
}

}  // namespace orb
