#pragma once
// Page "Paint": the painting window in its circle, the round tool and command buttons, and
// the side pages: the catalogue ("FilePage"), the scale ("SizePage") and the drawing settings
// ("ColorPage"). The page is the painting window's host: it gives the colour, fill style and
// pen width, and takes the eyedropper's colour.
#include <QImage>
#include <QPoint>
#include <QStringList>
#include <QVariant>

#include "paint/DtlWin.h"
#include "shell/Page.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QScrollBar;
class QSessionManager;
class QTabBar;

namespace orb {

class TBrushStyleList;
class TProportionalImage;
class TSpinner;

class TPaintPage : public TPage, public TDetailHost {
    Q_OBJECT
public:
    TPaintPage(TMainForm& form, QWidget* page);

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
    QTabBar* PaintTabSet = nullptr;
    TBaseBtn* PaintBackSBtn = nullptr;
    QLabel* PaintBackSBtnLbl = nullptr;
    // Catalogue lists of the "FilePage".
    QLabel *SubjectLstLbl = nullptr, *MandalaLstLbl = nullptr;
    QComboBox* SubjectLst = nullptr;
    QListWidget* MandalaLst = nullptr;
    // Scale controls of the "SizePage".
    TShape* ScaleShape = nullptr;
    QLabel* ScaleTitle = nullptr;
    QLineEdit* ScaleEdit = nullptr;
    QListWidget* ScaleListBox = nullptr;
    // Drawing settings of the "ColorPage".
    TShape* ColorShape = nullptr;
    QLabel* ColorTitle = nullptr;
    TShape* CurrentColor = nullptr;
    QLabel *HLbl = nullptr, *SLbl = nullptr, *VLbl = nullptr;
    QScrollBar *HScroller = nullptr, *SScroller = nullptr, *VScroller = nullptr;
    TSpinner *HValue = nullptr, *SValue = nullptr, *VValue = nullptr;
    TProportionalImage* hsImage = nullptr;
    QLabel* BrushStyleLbl = nullptr;
    TBrushStyleList* BrushStyleLst = nullptr;
    QLabel* PenWidthLbl = nullptr;
    TSpinner* PenWidth = nullptr;

    // The save dialog's suggested file and folder, set by LoadMandala.
    QString SaveFileName, SaveInitialDir;

    // Start-up once the window has its size: lists, keys and the first drawing settings.
    void Start();
    // The page is chosen from the menu: catalogue side page, lists filled, first drawing.
    void Enter();
    // The page has become the visible one: the painting window shows in its circle.
    void Shown();
    // The page is left for the menu: a changed drawing is offered for saving first.
    void Leave();
    bool IsBackChoice(QObject* o) const;

    // Tools, commands and the side pages.
    void SpeedBtnClick(QObject* sender);
    void PaintNotebookPageChanged();
    void PaintTabSetClick(int index);
    // The status of the whole window (the main window's UpdateStatus).
    void UpdateStatus();
    // Enabled state and tool marks of this page's buttons; part of UpdateStatus.
    void UpdateButtons();

    // The change prompt: asks to save a changed picture.
    void AskSaveChanged();
    // The catalogue.
    void FillSubjectList();
    void FillMandalaList(bool selectFirst);
    void SubjectLstChange();
    void MandalaLstClick();
    // The single path by which a drawing reaches the painting window.
    void LoadMandala(const QString& path);
    // The whole line behind a list item ("name=folder", "name=archive name", a file name).
    static QString LineOf(const QString& display, const QVariant& data);
    QString SubjectLine(int index) const;
    QString MandalaLine(int index) const;

    // Scale page and view commands.
    void ScaleListBoxClick();
    void ScaleEditKeyUp(int key, Qt::KeyboardModifiers modifiers);
    void SyncScaleDisplay();
    // Entry 4 ("100%") selected and "100%" in the edit, as after loading a drawing.
    void ResetScaleDisplay();
    void OriginalSize();
    void Center();
    void ShowFullScreen(const QImage& picture);
    // The file commands (open, save, print, clipboard, desktop).
    void RunFileCommand(QObject* sender);
    void OpenMandala();
    // Saves the picture through the save dialog; true when a file was written. With
    // reselect the catalogue then shows the saved file.
    bool SaveMandala(bool reselect);
    void PrintMandala();
    void CopyMandalaToClipboard();
    void SetMandalaAsWallpaper();
    // Asks the system for its printers (at start-up and when printing).
    void RefreshPrinters();
    bool HasPrinters() const { return !printers_.isEmpty(); }
    // A session that ends without waiting: a changed drawing goes to the user's folder under
    // a new name. Returns the file written (empty when nothing needed saving or it failed).
    QString SaveForLogout();

    // Colour page handlers.
    void RGBValueChange(QObject* sender);
    void hsImageMouseDown(Qt::MouseButton button, QPoint at);
    void hsImageMouseMove(Qt::MouseButtons buttons, QPoint at);
    void BrushStyleLstChange();
    // The swatch colour from HSV percentages, as the display can show it.
    void ApplyHSV(int h, int s, int v);

    // TDetailHost: what the painting window reads and reports.
    QColor CurrentColour() const override;
    int FillStyleIndex() const override;
    int PenWidthValue() const override;
    void ColourPicked(const QColor& c) override;
    void AfterMouseUp() override;

    QList<TBaseBtn*> RoundButtons() const override;
    void LoadPictures(const QImage& background, const QString& sizeKey) override;
    void BkMouseMove() override;
    void SBtnClick(QObject* sender) override;
    void SBtnMouseMove(QObject* sender) override;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void BuildColorPage(QWidget* page);
    void BuildSizePage(QWidget* page);
    void SelectScaleEntry(const QString& text);
    void ShowSavedFile(const QString& file);
    // The catalogue shows only "..\" + name: a drawing from outside the user's folder.
    void ShowLoneFile(const QString& name);
    // The painting window shows nothing: no drawing, no change mark, the view reset.
    void ClearDrawing();
    void hsImagePick(QPoint at);
    void CopyScrollersToSpinners();

    QStringList printers_;
    bool mandalaLstPressed_ = false;
    bool tabSyncing_ = false;
};

}  // namespace orb
