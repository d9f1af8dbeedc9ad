#pragma once
// Page "History": the table of contents of the current language and the illustrated text of
// the chosen entry.
#include "shell/Page.h"

namespace orb {

class TContentOutline;
class TMarkupControl;
class TMarkupScrollBox;

class THistoryPage : public TPage {
    Q_OBJECT
public:
    THistoryPage(TPageHost& host, QWidget* page);

    TBkControl* HistoryBk = nullptr;
    TShape* HistoryShapeBk = nullptr;
    QLabel *HistoryHeaderImage = nullptr, *HistoryHeaderLbl = nullptr;
    QLabel *HistoryTitle = nullptr, *HistorySubTitle = nullptr;
    QLabel* ContentLstLbl = nullptr;
    TContentOutline* ContentLst = nullptr;
    TMarkupScrollBox* HistoryCtrl = nullptr;
    TMarkupControl* HistoryMarkup = nullptr;
    TBaseBtn* HistoryBackSBtn = nullptr;
    QLabel* HistoryBackSBtnLbl = nullptr;

    // Fills the contents from the "Content_" record and shows the first page, when the
    // database has contents for the current language.
    void FillContents();
    // Shows the page of the selected contents entry; an empty page when it has none.
    void ContentLstClick();
    bool IsBackChoice(QObject* o) const;

    QList<TBaseBtn*> RoundButtons() const override { return {HistoryBackSBtn}; }
    void LoadPictures(const QImage& background, const QString& sizeKey) override;
    void BkMouseMove() override;
    void SBtnClick(QObject* sender) override;
    void SBtnMouseMove(QObject* sender) override;
};

}  // namespace orb
