#include "shell/HistoryPage.h"

#include <QLabel>
#include <QPixmap>
#include <QPainter>

#include <algorithm>

#include "library/Cp1252.h"
#include "library/MarkupBox.h"
#include "library/PrsCtrl.h"
#include "library/iDbRecs.h"
#include "platform/Cursors.h"
#include "platform/Tags.h"
#include "shell/AppData.h"
#include "shell/Application.h"
#include "shell/Bk.h"
#include "shell/ContentOutline.h"
#include "shell/LangState.h"
#include "shell/MMBtns.h"

namespace orb {

using namespace look;

THistoryPage::THistoryPage(TPageHost& host, QWidget* page) : TPage(host, page) {
    HistoryBk = Background("HistoryBk");

    HistoryShapeBk = new TShape(page);
    HistoryShapeBk->setObjectName("HistoryShapeBk");
    HistoryShapeBk->setGeometry(15, 40, 610, 365);
    HistoryShapeBk->ShapeKind = TShape::Kind::RoundRect;
    HistoryShapeBk->BrushColor = QColor(200, 200, 215);
    HistoryShapeBk->PenColor = kOrange;
    HistoryShapeBk->MaskMode = false;
    HistoryShapeBk->BrushClear = true;
    HistoryShapeBk->setAttribute(Qt::WA_TransparentForMouseEvents, true);

    HistoryHeaderImage = Label("HistoryHeaderImage", QRect(15, 6, 30, 30), QString(), 0, 13,
                               Qt::white);
    HistoryHeaderLbl = Label("HistoryHeaderLbl", QRect(52, 8, 300, 28), "Geschiedenis", 2000, 22,
                             kOrange, true);
    HistorySubTitle = Label("HistorySubTitle", QRect(300, 408, 326, 18), "Energie en kracht door",
                            52, 13, Qt::white, false, Qt::AlignRight | Qt::AlignTop);
    HistoryTitle = Label("HistoryTitle", QRect(300, 420, 326, 40), "Orbelle", 53, 30, kOrange,
                         true, Qt::AlignRight | Qt::AlignTop);
    ContentLstLbl = Label("ContentLstLbl", QRect(30, 48, 260, 18), "Inhoud", 2100, 13, Qt::white);

    ContentLst = new TContentOutline(page);
    ContentLst->setObjectName("ContentLst");
    SetTag(ContentLst, 2100);
    ContentLst->setGeometry(30, 68, 260, 323);
    ContentLst->OnClick = [this] { ContentLstClick(); };

    HistoryCtrl = new TMarkupScrollBox(page);
    HistoryCtrl->setObjectName("HistoryCtrl");
    SetTag(HistoryCtrl, 2200);
    HistoryCtrl->setGeometry(300, 66, 300, 323);
    // The text is white, so it sits on the same dark veil as the contents, with the page's
    // background showing through both. No style sheet here: scaling the window re-applies
    // style sheets, and that would take the text's colour with it.
    HistoryCtrl->viewport()->setAutoFillBackground(false);
    QFont textFont(kFont);
    textFont.setPixelSize(11);
    HistoryCtrl->setFont(textFont);
    HistoryMarkup = HistoryCtrl->Markup();
    HistoryMarkup->setObjectName("HistoryMarkup");
    HistoryMarkup->setFont(HistoryCtrl->font());
    QPalette textPal = HistoryMarkup->palette();
    textPal.setColor(QPalette::WindowText, Qt::white);
    HistoryMarkup->setPalette(textPal);
    HistoryMarkup->PaintBackground = [veil = ContentLst->palette().color(QPalette::Window)](
                                         QPainter& p, const QRect& r) { p.fillRect(r, veil); };
    // A picture of the text that does not decode: its messages once the text is laid out, not
    // from inside the layout or a paint.
    HistoryMarkup->OnFailure = [this](const TFailure& failure) {
        QMetaObject::invokeMethod(
            this, [failure] { TApplication::ShowFailure(failure); }, Qt::QueuedConnection);
    };

    HistoryBackSBtn = RoundButton(page, "HistoryBackSBtn", 12, 410, 2301,
                                  "Mandala geschiedenis afsluiten");
    HistoryBackSBtnLbl = Label("HistoryBackSBtnLbl", QRect(48, 419, 100, 16), "Menu", 2300, 13,
                               Qt::white, false, Qt::AlignLeft | Qt::AlignTop, "Arial");
    WatchButtonLabel(HistoryBackSBtnLbl);
    for (QLabel* l : {HistoryTitle, HistorySubTitle, HistoryHeaderLbl}) WatchTitle(l);
    TPageHost* f = &Host;
    HistoryBackSBtn->OnClick = [f](QObject* s) { f->MenuSBtnClick(s); };
}

void THistoryPage::FillContents() {
    // The history button with no contents for the language keeps the previous lines.
    const QStringList lines = Host.Data().DatabaseLines("Content_");
    if (lines.isEmpty()) return;
    ContentLst->SetLines(lines);
    ContentLst->CollapseTopLevel();
    ContentLst->SetExpanded(1, true);
    ContentLst->SetSelected(std::min(2, ContentLst->Count()));
    ContentLstClick();
}

void THistoryPage::ContentLstClick() {
    if (!HistoryMarkup) return;
    QString text;
    if (ContentLst->Selected() > 0)
        Host.Data().FindText(ContentLst->SelectedKey() + "_" +
                                 QString::number(Host.Data().Language()) + "|||",
                             text);
    HistoryMarkup->SetArchive(Host.Data().Archive());
    HistoryMarkup->SetMarkupText(text);
}

void THistoryPage::LoadPictures(const QImage& background, const QString& sizeKey) {
    HistoryBk->Background().SetImage(background);
    HistoryHeaderImage->setPixmap(QPixmap::fromImage(
        ResourcePng(QStringLiteral(":/pictures/%1/HistoryHeaderImage.png").arg(sizeKey))));
}

void THistoryPage::BkMouseMove() { Host.SBtnMouseOut(HistoryBackSBtn); }

void THistoryPage::SBtnClick(QObject* sender) {
    if (IsBackChoice(sender)) Host.MenuSBtnClick(HistoryBackSBtn);
}

void THistoryPage::SBtnMouseMove(QObject* sender) {
    if (IsBackChoice(sender)) Host.SBtnMouseIn(HistoryBackSBtn);
}

}  // namespace orb

namespace orb {
bool THistoryPage::IsBackChoice(QObject* o) const {
    return o && (o == HistoryBackSBtn || o == HistoryBackSBtnLbl);
}
}  // namespace orb
