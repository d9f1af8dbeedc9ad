#pragma once
// Page "Paint": the painting window in its circle, the round tool and command buttons, and
// the side pages, each a panel: the catalogue ("FilePage"), the scale ("SizePage") and the
// drawing settings ("ColorPage"), plus the file commands. The page owns the painting session
// that the window shows and the panels work on.
#include <QImage>
#include <QPoint>

#include "paint/PaintSession.h"
#include "shell/Page.h"
#include "shell/PaintPanels.h"
#include "shell/Recovery.h"
#include "shell/TabStrip.h"


namespace orb {

class TPaintPage : public TPage {
    Q_OBJECT
public:
    TPaintPage(TPageHost& host, QWidget* page);
    ~TPaintPage() override;

    TPaintSession& Session() { return session_; }

    TBkControl* PaintBk = nullptr;
    QLabel *PaintHeaderImage = nullptr, *PaintHeaderLbl = nullptr;
    QLabel *PaintTitle = nullptr, *PaintSubTitle = nullptr;
    TShape* MandalaPanelShape = nullptr;
    QWidget* MandalaPanel = nullptr;
    TBaseBtn *ZoomInSBtn = nullptr, *ZoomOutSBtn = nullptr, *FullScreenSBtn = nullptr,
             *OpenSBtn = nullptr, *SendToClipBrdSBtn = nullptr, *SaveSBtn = nullptr,
             *SendToDesktopSBtn = nullptr, *PrintSBtn = nullptr, *OriginalSizeSBtn = nullptr,
             *MoveSBtn = nullptr, *CenterSBtn = nullptr, *EyeDropperSBtn = nullptr,
             *PenSBtn = nullptr, *PaintSBtn = nullptr, *UndoSBtn = nullptr;
    TNotebook* PaintNotebook = nullptr;
    TTabStrip* PaintTabSet = nullptr;
    TBaseBtn* PaintBackSBtn = nullptr;
    QLabel* PaintBackSBtnLbl = nullptr;

    // The panels, owned by the page. Built with the page, or later for a start that shows
    // the window first: then null until BuildSidePages().
    TCataloguePanel* Catalogue = nullptr;
    TScalePanel* Scale = nullptr;
    TColourPanel* Colour = nullptr;
    TFileCommands* Files = nullptr;

    // The side pages and the file commands. The window that calls this after its own
    // start-up scales and translates them and then runs StartSidePages().
    void BuildSidePages();
    bool SidePagesBuilt() const { return Catalogue != nullptr; }
    // The side pages' start: lists filled, the first drawing settings.
    void StartSidePages();
    // The colour field's picture at the size class.
    void LoadSidePictures();
    // Start-up once the window has its size: the keys, and the side pages built by then.
    void Start();
    // Once the window is on the screen: asks the system for its printers.
    void AfterFirstFrame();
    // The page is chosen from the menu: catalogue side page, lists filled, first drawing.
    void Enter();
    // The page has become the visible one: the painting window shows in its circle.
    void Shown();
    // The page is about to be left (menu, quit, close): a changed drawing is offered for
    // saving first. False when the user chose to keep it and the save did not happen; the
    // page then stays.
    bool Leave();
    bool IsBackChoice(QObject* o) const;

    // Tools, commands and the side pages.
    void SpeedBtnClick(QObject* sender);
    void PaintNotebookPageChanged();
    void PaintTabSetClick(int index);
    // Enabled state and tool marks of this page's buttons; part of the window's UpdateStatus.
    void UpdateButtons();
    // The painting window shows a drawing with changes not yet saved.
    bool HasUnsavedDrawing() const;
    // The changes of the drawing are not to be asked about any more (the user answered).
    void DeclineChanges();
    // A session that ends: asks about a changed drawing when it may, else keeps it in the
    // user's folder. False when the user wants to keep the drawing and it was not saved.
    bool SessionEnding(bool mayAsk);

    // A drawing kept by the recovery of an earlier run, on show again as a changed drawing
    // under its name.
    void Restore(const TRecovery::TFound& found);

    QList<TBaseBtn*> RoundButtons() const override;
    void LoadPictures(const QImage& background, const QString& sizeKey) override;
    void BkMouseMove() override;
    void SBtnClick(QObject* sender) override;
    void SBtnMouseMove(QObject* sender) override;

private:
    TPaintSession session_;
    TRecovery* recovery_ = nullptr;
    bool tabSyncing_ = false;
};

}  // namespace orb
