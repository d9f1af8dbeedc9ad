#include "shell/Intro.h"

#include <QCloseEvent>

#include <QApplication>
#include <QComboBox>
#include <QLabel>

#include "platform/Display.h"
#include "shell/Bk.h"
#include "shell/LangState.h"
#include "shell/Pictures.h"

namespace orb {

namespace {
TIntroForm* current = nullptr;
}  // namespace

TIntroForm* IntroForm() { return current; }

TIntroForm::TIntroForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("IntroForm");
    setWindowTitle("Orbelle");
    resize(282, 282);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    BackgroundPnl = new QWidget(this);
    BackgroundPnl->setObjectName("BackgroundPnl");
    BackgroundPnl->setGeometry(rect());
    IntroFormImg = new TBkControl(BackgroundPnl);
    IntroFormImg->setObjectName("IntroFormImg");
    IntroFormImg->setGeometry(BackgroundPnl->rect());
    IntroFormImg->Background().SetImageDrawStyle(TImageDrawStyle::idsCenter);
    IntroFormImg->Background().SetBrush(Qt::NoBrush);
    IntroFormImg->Background().SetPen(QPen(Qt::white));
    // The picture the form carries, replaced by a paletted one on shallow displays.
    QImage picture(":/pictures/IntroForm.png");
    const int depth = DisplayDepth();
    if (depth < 24) {
        const QImage res = LoadResourcePicture(depth == 8 ? "Intro256" : "Intro");
        if (!res.isNull()) picture = res;
    }
    IntroFormImg->Background().SetImage(picture);

    Text = new QLabel("Choose your language", BackgroundPnl);
    Text->setObjectName("Text");
    Text->setGeometry(25, 258, 118, 16);
    QFont af("Arial");
    af.setPixelSize(11);
    Text->setFont(af);
    QPalette tp = Text->palette();
    tp.setColor(QPalette::WindowText, Qt::white);
    Text->setPalette(tp);
    Text->setAttribute(Qt::WA_TranslucentBackground, true);

    LingoLst = new QComboBox(BackgroundPnl);
    LingoLst->setObjectName("LingoLst");
    LingoLst->setGeometry(145, 255, 120, 20);
    LingoLst->setFont(af);
    LingoLst->addItems({"Dutch / Nederlands", "English"});
    LingoLst->setCurrentIndex(-1);
    LingoLst->setStyleSheet("QComboBox { color: black; background: white; }");
    connect(LingoLst, &QComboBox::activated, this, &TIntroForm::LingoLstChange);

    if (!current) current = this;
}

TIntroForm::~TIntroForm() {
    if (current == this) current = nullptr;
}

void TIntroForm::LingoLstChange(int index) {
    SetLngID(index == 1 ? 44 : 31);
    chosen_ = true;
    accept();
}

void TIntroForm::reject() {
    if (chosen_) QDialog::reject();
}

void TIntroForm::closeEvent(QCloseEvent* e) {
    if (chosen_)
        QDialog::closeEvent(e);
    else
        e->ignore();
}

void ShowIntro() {
    if (TIntroForm* form = IntroForm()) {
        form->show();
        form->raise();
        return;
    }
    auto* form = new TIntroForm();
    // Centred on the screen, as the main window will be.
    const QSize screen = ScreenSize();
    form->move((screen.width() - form->width()) / 2, (screen.height() - form->height()) / 2);
    QApplication::processEvents();
    form->exec();
}

void FreeIntro() {
    delete IntroForm();
}

}  // namespace orb
