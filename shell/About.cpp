#include "shell/About.h"

#include <QApplication>
#include <QKeyEvent>

#include "paint/ProImg.h"
#include "platform/Display.h"
#include "platform/Outward.h"
#include "platform/Tags.h"
#include "shell/LanguageTexts.h"
#include "shell/MMBtns.h"
#include "shell/Pictures.h"

namespace orb {

namespace {
TAboutBox* current = nullptr;
}  // namespace

TAboutBox* AboutBox() { return current; }

QString TAboutBox::MakerAddress() { return QStringLiteral("https://www.tessvale.example/"); }
QString TAboutBox::PublisherAddress() {
    return QStringLiteral("https://www.lindgrove-books.example/");
}

TAboutBox::TAboutBox(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("AboutBox");
    setWindowTitle("Over Orbelle");
    resize(329, 329);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    BkPanel = new QWidget(this);
    BkPanel->setObjectName("BkPanel");
    BkPanel->setGeometry(1, 1, 327, 327);
    QPalette bp = BkPanel->palette();
    bp.setColor(QPalette::Window, Qt::black);
    BkPanel->setPalette(bp);
    BkPanel->setAutoFillBackground(true);

    AboutBoxImage = new TProportionalImage(BkPanel);
    AboutBoxImage->setObjectName("AboutBoxImage");
    AboutBoxImage->setGeometry(1, 1, 325, 325);
    AboutBoxImage->SetSx(100);
    AboutBoxImage->SetSy(100);
    AboutBoxImage->Background().SetBrush(QColor(140, 177, 156));
    AboutBoxImage->Background().SetPen(QPen(Qt::white));
    QImage picture(":/pictures/AboutBox.png");
    const int depth = DisplayDepth();
    if (depth < 24) {
        const QImage res = LoadResourcePicture(depth == 8 ? "About256" : "About");
        if (!res.isNull()) picture = res;
    }
    AboutBoxImage->SetImage(picture);

    auto hotSpot = [this](const char* name, QRect r, int tag, const QString& hint) {
        auto* b = new TBaseBtn(AboutBoxImage);
        b->setObjectName(name);
        b->setGeometry(r);
        SetTag(b, tag);
        b->FaceVisible = false;
        b->SetPen(Qt::NoPen);
        b->setToolTip(hint);
        return b;
    };
    TessvaleSBtn = hotSpot("TessvaleSBtn", QRect(40, 267, 130, 40), 201,
                           "Ga naar de website van Tessvale Software");
    PublisherSBtn = hotSpot("PublisherSBtn", QRect(211, 207, 78, 95), 202,
                            "Ga naar de website van de uitgever");
    TessvaleSBtn->OnClick = [this](QObject*) { HotSpotClick(MakerAddress()); };
    PublisherSBtn->OnClick = [this](QObject*) { HotSpotClick(PublisherAddress()); };

    if (!current) current = this;
}

TAboutBox::~TAboutBox() {
    if (current == this) current = nullptr;
}

void TAboutBox::HotSpotClick(const QString& address) {
    // A click held back during the pause at exit arrives once the box is hidden and the
    // program is ending: it must not open a site or touch the main window then.
    if (!isVisible()) return;
    Out().OpenUrl(address);
    hide();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "MainForm") w->showMinimized();
}

void TAboutBox::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // No language file is known before the main window exists: the Dutch texts stay.
    ApplyLanguage(this, "MainForm", LngFileName());
}

void TAboutBox::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods =
        e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier &&
        (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape)) {
        hide();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool TAboutBox::event(QEvent* e) {
    // Losing the focus closes (hides) the box.
    if (e->type() == QEvent::WindowDeactivate && isVisible()) hide();
    return QWidget::event(e);
}

namespace {
// Over the main window, also when it is already hidden at exit; else on the screen. Each
// time it is shown: the main window may have moved since the box was made.
void PlaceAboutBox(TAboutBox* box) {
    QWidget* anchor = nullptr;
    if (QWidget* active = QApplication::activeWindow(); active && active != box) anchor = active;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!anchor && w->objectName() == QLatin1String("MainForm")) anchor = w;
    const QRect area = anchor ? anchor->geometry() : QRect(QPoint(0, 0), ScreenSize());
    box->move(area.left() + (area.width() - box->width()) / 2,
              area.top() + (area.height() - box->height()) / 2);
}
}  // namespace

void ShowAboutBox() {
    if (TAboutBox* box = AboutBox()) {
        PlaceAboutBox(box);
        box->show();
        box->raise();
        box->activateWindow();
        return;
    }
    auto* box = new TAboutBox();
    PlaceAboutBox(box);
    box->show();
    box->raise();
    box->activateWindow();
}

void CloseAboutBox() {
    if (TAboutBox* box = AboutBox()) box->hide();
}

void FreeAboutBox() { delete AboutBox(); }

}  // namespace orb
