#include "shell/MainPage.h"

#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPixmap>

#include "platform/Cursors.h"
#include "shell/Bk.h"
#include "shell/MMBtns.h"

namespace orb {

using namespace look;

TMainPage::TMainPage(TPageHost& host, QWidget* page) : TPage(host, page) {
    MainBk = Background("MainBk");

    SubTitleBk = new TShape(page);
    SubTitleBk->setObjectName("SubTitleBk");
    SubTitleBk->setGeometry(0, 198, 640, 55);
    SubTitleBk->BrushColor = QColor(190, 190, 171);
    SubTitleBk->PenColor = QColor(190, 190, 171);
    SubTitleBk->MaskMode = true;
    SubTitleBk->setAttribute(Qt::WA_TransparentForMouseEvents, true);

    MainSubTitle = Label("MainSubTitle", QRect(430, 14, 196, 24), "Energie en kracht door", 52,
                         19, Qt::white, false, Qt::AlignRight | Qt::AlignTop);
    MainTitle = Label("MainTitle", QRect(330, 30, 296, 80), "Orbelle", 53, 64, kOrange, true,
                      Qt::AlignRight | Qt::AlignTop);
    SubTitleLbl = Label("SubTitleLbl", QRect(0, 198, 640, 55),
                        "Zelf kleur geven aan ornamenten uit 60 eeuwen", 54, 29, kCream, true,
                        Qt::AlignCenter);

    MainHistoryImg = Label("MainHistoryImg", QRect(117, 41, 131, 132), QString(), 1100, 13,
                           Qt::white);
    MainHistoryLbl = Label("MainHistoryLbl", QRect(255, 118, 260, 46), "Geschiedenis", 1100, 37,
                           kMenuLabel);
    MainHistorySBtn = RoundButton(page, "MainHistorySBtn", 187, 51, 1101,
                                  "Mandala geschiedenis openen");
    MainHistorySBtnLbl = Label("MainHistorySBtnLbl", QRect(223, 60, 120, 16), "Geschiedenis",
                               1100, 13, Qt::white, false, Qt::AlignLeft | Qt::AlignTop, "Arial");

    MainPaintImg = Label("MainPaintImg", QRect(429, 284, 131, 132), QString(), 1300, 13,
                         Qt::white);
    MainPaintLbl = Label("MainPaintLbl", QRect(150, 360, 270, 46), "Inkleuren", 1300, 37,
                         kMenuLabel, false, Qt::AlignRight | Qt::AlignTop);
    MainPaintSBtn = RoundButton(page, "MainPaintSBtn", 451, 300, 1301, "Zelf mandala's inkleuren");
    MainPaintSBtnLbl = Label("MainPaintSBtnLbl", QRect(487, 309, 120, 16), "Inkleuren", 1300, 13,
                             Qt::white, false, Qt::AlignLeft | Qt::AlignTop, "Arial");

    for (QLabel* l : {MainHistoryImg, MainPaintImg}) l->setProperty("Picture", true);
    // The small white captions beside the buttons lie partly on the light menu pictures: a
    // crisp dark shadow keeps them readable there.
    for (QLabel* l : {MainHistorySBtnLbl, MainPaintSBtnLbl}) {
        auto* shadow = new QGraphicsDropShadowEffect(l);
        shadow->setOffset(1, 1);
        shadow->setBlurRadius(1.5);
        shadow->setColor(QColor(0, 0, 50));
        l->setGraphicsEffect(shadow);
    }
    for (QLabel* l : {MainHistoryImg, MainHistoryLbl, MainHistorySBtnLbl})
        l->setToolTip("Mandala geschiedenis openen");
    for (QLabel* l : {MainPaintImg, MainPaintLbl, MainPaintSBtnLbl})
        l->setToolTip("Zelf mandala's inkleuren");
    for (QLabel* l : {MainHistoryImg, MainHistoryLbl, MainHistorySBtnLbl, MainPaintImg,
                      MainPaintLbl, MainPaintSBtnLbl})
        WatchButtonLabel(l);
    for (QLabel* l : {MainSubTitle, MainTitle, SubTitleLbl}) WatchTitle(l);
    TPageHost* f = &Host;
    MainHistorySBtn->OnClick = [f](QObject* s) { f->MenuSBtnClick(s); };
    MainPaintSBtn->OnClick = [f](QObject* s) { f->MenuSBtnClick(s); };
    MainHistorySBtn->raise();
    MainPaintSBtn->raise();
}

bool TMainPage::IsHistoryChoice(QObject* o) const {
    return o && (o == MainHistorySBtn || o == MainHistoryImg || o == MainHistoryLbl ||
                 o == MainHistorySBtnLbl);
}

bool TMainPage::IsPaintChoice(QObject* o) const {
    return o && (o == MainPaintSBtn || o == MainPaintImg || o == MainPaintLbl ||
                 o == MainPaintSBtnLbl);
}

namespace {
QString MenuPicture(const QString& sizeKey, const char* name) {
    return QStringLiteral(":/pictures/%1/%2.png").arg(sizeKey, QLatin1String(name));
}
}  // namespace

void TMainPage::LoadPictures(const QImage& background, const QString& sizeKey) {
    MainBk->Background().SetImage(background);
    MainHistoryImg->setPixmap(QPixmap::fromImage(ResourcePng(MenuPicture(sizeKey, "MainHistoryImg"))));
    MainPaintImg->setPixmap(QPixmap::fromImage(ResourcePng(MenuPicture(sizeKey, "MainPaintImg"))));
}

QStringList TMainPage::PictureResources(const QString& sizeKey) const {
    return {MenuPicture(sizeKey, "MainHistoryImg"), MenuPicture(sizeKey, "MainPaintImg")};
}

void TMainPage::BkMouseMove() {
    Host.SBtnMouseOut(MainHistorySBtn);
    Host.SBtnMouseOut(MainPaintSBtn);
}

void TMainPage::SBtnClick(QObject* sender) {
    if (IsHistoryChoice(sender))
        Host.MenuSBtnClick(MainHistorySBtn);
    else if (IsPaintChoice(sender))
        Host.MenuSBtnClick(MainPaintSBtn);
}

void TMainPage::SBtnMouseMove(QObject* sender) {
    if (IsHistoryChoice(sender))
        Host.SBtnMouseIn(MainHistorySBtn);
    else if (IsPaintChoice(sender))
        Host.SBtnMouseIn(MainPaintSBtn);
}

}  // namespace orb
