// The markup layout: a text set on the control, laid out at two widths and drawn, on the
// offscreen platform. The first byte picks the widths; the rest is the text (Windows-1252,
// as the history pages are stored).
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cstdint>
#include <cstdlib>

#include "library/Cp1252.h"
#include "library/PrsCtrl.h"

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "fuzz_markup";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    App();
    if (size < 1 || size > 65536) return 0;
    const int first = 8 + (data[0] & 0x0F) * 40;  // 8 .. 608
    const int second = 1 + (data[0] >> 4) * 25;   // 1 .. 376
    QWidget parent;
    parent.resize(first, 400);
    orb::TMarkupControl control(&parent);
    control.SetMarkupText(
        orb::FromCp1252(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
    parent.resize(second, 400);
    control.Relayout();
    // The drawing pass goes over the same text; a fixed canvas keeps a tall page cheap.
    QImage canvas(320, 240, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter p(&canvas);
        control.LayoutPass(&p);
    }
    control.SetMarkupText(QString());
    return 0;
}
