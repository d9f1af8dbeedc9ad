#include "paint/MaxZoom.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <memory>

#include "paint/ProImg.h"
#include "platform/Cursors.h"
#include "platform/Display.h"
#include "platform/Numbers.h"

namespace orb {

QRect FullScreenCircleBox(QSize s) {
    const int W = s.width(), H = s.height();
    if (H < W) {
        const int m = Round((W - H) / 2.0);
        return QRect(m, 0, W - 2 * m, H);
    }
    const int m = Round((H - W) / 2.0);
    return QRect(0, m, W, H - 2 * m);
}

TMaxZoomWindow::TMaxZoomWindow(QWidget* over)
    : QDialog(over, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName("MaxZoomWindow");
    setModal(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    // The screen that shows the main window; with a simulated screen size, that size.
    QRect geo;
    QScreen* screen = over && over->window()->screen() ? over->window()->screen()
                                                        : QGuiApplication::primaryScreen();
    const QSize simulated = ScreenSize();
    if (screen) geo = screen->geometry();
    if (!simulated.isEmpty() && (geo.isEmpty() || simulated != geo.size()))
        geo = QRect(geo.topLeft(), simulated);
    setGeometry(geo);

    ItemImage = new TProportionalImage(this);
    ItemImage->setObjectName("ItemImage");
    ItemImage->setGeometry(rect());
    ItemImage->Background().SetBrush(QBrush(Qt::black));
    ItemImage->Background().SetPen(Qt::NoPen);
    ItemImage->SetSx(100);
    ItemImage->SetSy(100);
    ItemImage->SetRasterOperation(TRasterOperation::roSRCCOPY);
    ItemImage->Effects = false;
    SetCursorNumber(ItemImage, crZoomOut);
    ItemImage->OnClick = [this] { ItemImageClick(); };
    FormCreate();
}

TMaxZoomWindow::~TMaxZoomWindow() {
    ItemImage->ClipRegion = nullptr;
}

void TMaxZoomWindow::FormCreate() {
    const QRect box = FullScreenCircleBox(size());
    region_ = QRegion(box, QRegion::Ellipse);
    ItemImage->ClipRegion = &region_;
    ItemImage->ClipEllipse = QRectF(box);
}

void TMaxZoomWindow::ItemImageClick() { accept(); }

void TMaxZoomWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void ShowFullScreen(const QImage& picture, QWidget* over) {
    auto w = std::make_unique<TMaxZoomWindow>(over);
    w->ItemImage->SetImage(picture.copy());
    w->showFullScreen();
    w->exec();
    w->ItemImage->SetImage(QImage());
}

}  // namespace orb
