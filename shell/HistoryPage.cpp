#include "shell/HistoryPage.h"

#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QScrollArea>

#include "library/Cp1252.h"
#include "library/PrsCtrl.h"
#include "library/iDbRecs.h"
#include "platform/Cursors.h"
#include "platform/Tags.h"
#include "shell/Bk.h"
#include "shell/LangState.h"
#include "shell/MMBtns.h"
#include "shell/Main.h"

namespace orb {

using namespace look;

THistoryPage::THistoryPage(TMainForm& form, QWidget* page) : TPage(form, page) {
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

    ContentLst = new QListWidget(page);
    ContentLst->setObjectName("ContentLst");
    SetTag(ContentLst, 2100);
    ContentLst->setGeometry(30, 68, 260, 323);
    ContentLst->setFrameShape(QFrame::NoFrame);
    ContentLst->setStyleSheet(
        "QListWidget { background: rgba(0,0,60,170); color: white; }"
        "QListWidget::item { height: 17px; }"
        "QListWidget::item:selected { background: rgb(255,153,51); color: rgb(0,0,100); }");

    HistoryCtrl = new QScrollArea(page);
    HistoryCtrl->setObjectName("HistoryCtrl");
    SetTag(HistoryCtrl, 2200);
    HistoryCtrl->setGeometry(300, 66, 300, 323);
    HistoryCtrl->setFrameShape(QFrame::NoFrame);
    HistoryCtrl->setStyleSheet("QScrollArea { background: rgba(255,255,255,225); }");
    HistoryMarkup = new TMarkupControl(HistoryCtrl->viewport());
    HistoryMarkup->setObjectName("HistoryMarkup");
    HistoryCtrl->setWidget(HistoryMarkup);
    connect(ContentLst, &QListWidget::currentRowChanged, this, [this] { ContentLstClick(); });

    HistoryBackSBtn = RoundButton(page, "HistoryBackSBtn", 12, 410, 2301,
                                  "Mandala geschiedenis afsluiten");
    HistoryBackSBtnLbl = Label("HistoryBackSBtnLbl", QRect(48, 419, 100, 16), "Menu", 2300, 13,
                               Qt::white, false, Qt::AlignLeft | Qt::AlignTop, "Arial");
    WatchButtonLabel(HistoryBackSBtnLbl);
    for (QLabel* l : {HistoryTitle, HistorySubTitle, HistoryHeaderLbl}) WatchTitle(l);
    TMainForm* f = &Form;
    HistoryBackSBtn->OnClick = [f](QObject* s) { f->MenuSBtnClick(s); };
}

void THistoryPage::FillContents() {
    const QStringList lines = Form.DatabaseLines("Content_");
    if (lines.isEmpty()) return;
    ContentLst->blockSignals(true);
    ContentLst->clear();
    for (const QString& line : lines) {
        // "key|title", indented one tab or space per level; the title is shown.
        int level = 0;
        while (level < line.size() && (line[level] == '\t' || line[level] == ' ')) ++level;
        const int bar = line.indexOf('|');
        const QString title = bar < 0 ? line.mid(level) : line.mid(bar + 1);
        auto* item = new QListWidgetItem(QString(level * 3, ' ') + title);
        item->setData(Qt::UserRole, line);
        if (level == 0) {
            QFont f = ContentLst->font();
            f.setBold(true);
            item->setFont(f);
        }
        ContentLst->addItem(item);
    }
    if (ContentLst->count() > 1) ContentLst->setCurrentRow(1);
    ContentLst->blockSignals(false);
    ContentLstClick();
}

void THistoryPage::ContentLstClick() {
    if (!HistoryMarkup) return;
    QListWidgetItem* item = ContentLst->currentItem();
    QString text;
    if (item && Form.TextDatabase) {
        const QString line = item->data(Qt::UserRole).toString().trimmed();
        const QString key = line.left(line.indexOf('|'));
        QByteArray value;
        if (Form.TextDatabase->FindValue(ToCp1252(key + "_" + QString::number(LngID) + "|||"),
                                         value))
            text = FromCp1252(value);
    }
    HistoryMarkup->SetArchive(Form.ArchiveIndex.get());
    HistoryMarkup->SetMarkupText(text);
}

void THistoryPage::LoadPictures(const QImage& background, const QString& sizeKey) {
    HistoryBk->Background().SetImage(background);
    HistoryHeaderImage->setPixmap(QPixmap::fromImage(
        ResourcePng(QStringLiteral(":/pictures/%1/HistoryHeaderImage.png").arg(sizeKey))));
}

void THistoryPage::BkMouseMove() { Form.SBtnMouseOut(HistoryBackSBtn); }

void THistoryPage::SBtnClick(QObject* sender) {
    if (IsBackChoice(sender)) Form.MenuSBtnClick(HistoryBackSBtn);
}

void THistoryPage::SBtnMouseMove(QObject* sender) {
    if (IsBackChoice(sender)) Form.SBtnMouseIn(HistoryBackSBtn);
}

}  // namespace orb

namespace orb {
bool THistoryPage::IsBackChoice(QObject* o) const {
    return o && (o == HistoryBackSBtn || o == HistoryBackSBtnLbl);
}
}  // namespace orb
