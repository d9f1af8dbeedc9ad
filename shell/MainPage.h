#pragma once
// Page "Main": the title and the two menu choices, history and colouring.
#include "shell/Page.h"

namespace orb {

class TMainPage : public TPage {
    Q_OBJECT
public:
    TMainPage(TPageHost& host, QWidget* page);

    TBkControl* MainBk = nullptr;
    TShape* SubTitleBk = nullptr;
    QLabel *MainSubTitle = nullptr, *MainTitle = nullptr, *SubTitleLbl = nullptr;
    QLabel *MainHistoryImg = nullptr, *MainHistoryLbl = nullptr, *MainHistorySBtnLbl = nullptr;
    QLabel *MainPaintImg = nullptr, *MainPaintLbl = nullptr, *MainPaintSBtnLbl = nullptr;
    TBaseBtn *MainHistorySBtn = nullptr, *MainPaintSBtn = nullptr;

    // Whether a control stands for the history choice or the colouring choice.
    bool IsHistoryChoice(QObject* o) const;
    bool IsPaintChoice(QObject* o) const;

    QList<TBaseBtn*> RoundButtons() const override { return {MainHistorySBtn, MainPaintSBtn}; }
    void LoadPictures(const QImage& background, const QString& sizeKey) override;
    QStringList PictureResources(const QString& sizeKey) const override;
    void BkMouseMove() override;
    void SBtnClick(QObject* sender) override;
    void SBtnMouseMove(QObject* sender) override;
};

}  // namespace orb
