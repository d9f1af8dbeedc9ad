#pragma once
// A main window on the paint page with a drawing in the painting window: two white halves
// split by a black line.
#include <QListWidget>
#include <QComboBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <memory>

#include "paint/DtlWin.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "shell/Main.h"
#include "tests/common/RecordingOutward.h"

using namespace orb;

namespace {
const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0);

// A main window with a drawing in the painting window: two white halves split by a black
// line, and a tool chosen through the buttons.
struct Painting {
    ScopedOutward out;
    QTemporaryDir dir;
    std::unique_ptr<TMainForm> f;
    TDetailWindow* w = nullptr;
    Painting() {
        SetProgramFolder(dir.path());
        SetSimulatedScreen(QSize(800, 600));
        f = std::make_unique<TMainForm>();
        f->show();
        f->MenuSBtnClick(f->Main->MainPaintSBtn);
        w = DetailWindow();
        QImage pic(100, 100, QImage::Format_RGB32);
        pic.fill(kWhite);
        for (int y = 0; y < 100; ++y) pic.setPixel(50, y, kBlack);
        w->Session().LoadPicture(pic);
        f->Paint->Catalogue->SubjectLst->addItem("Bloemen=Bloemen");
        f->Paint->Catalogue->MandalaLst->addItem("Roos=\\Bloemen\\roos.bmp");
        f->Paint->Catalogue->MandalaLst->setCurrentRow(0);
        f->UpdateStatus();
    }
    ~Painting() {
        f.reset();
        SetSimulatedScreen(QSize());
        SetProgramFolder(ORBELLE_PROGRAM_DIR);
    }
    // Window point of a picture pixel.
    QPoint At(int px, int py) const {
        const QRect r = w->PictureRect();
        return QPoint(r.left() + px * w->Session().Zoom() / 1000, r.top() + py * w->Session().Zoom() / 1000);
    }
    void Click(QPoint p) {
        w->FormMouseDown(Qt::LeftButton, p);
        w->FormMouseUp(Qt::LeftButton, p);
    }
    // A click as the mouse gives it: press and release events sent to the window.
    void RealClick(QPoint p) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, p); }
    void RealDrag(QPoint from, QPoint to) {
        QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), w->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
    }
    // A click on a round button through its mouse events (nothing happens when disabled).
    static void ClickButton(QWidget* b) {
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(b->width() / 2, b->height() / 2));
    }
    void Colour(int h, int s, int v) {
        f->Paint->Colour->HScroller->setValue(h);
        f->Paint->Colour->SScroller->setValue(s);
        f->Paint->Colour->VScroller->setValue(v);
    }
};
}  // namespace
