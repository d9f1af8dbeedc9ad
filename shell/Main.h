#pragma once
// TMainForm: the borderless main window with its own caption bar and the three pages
// "Main", "History" and "Paint".
#include <QImage>
#include <QPoint>
#include <QStackedWidget>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "paint/DtlWin.h"
#include "shell/Basics.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSessionManager;
class QListWidget;
class QScrollArea;
class QScrollBar;
class QTabBar;

namespace orb {

class TBaseBtn;
class TBkControl;
class TiDbRecFile;
struct TArchiveIndex;
class TProportionalImage;
class TPictureImage;
class TSpinner;
class TBrushStyleList;

// A page control. Pages are found by the fixed identity given to AddPage (property "PageId");
// "PageName" is the shown name, which the language file may translate.
class TNotebook : public QStackedWidget {
    Q_OBJECT
public:
    explicit TNotebook(QWidget* parent = nullptr);
    QWidget* AddPage(const QString& name);
    QString ActivePage() const;
    void SetActivePage(const QString& name);
    int PageIndex() const { return currentIndex(); }
    void SetPageIndex(int i) { setCurrentIndex(i); }
    QWidget* Page(const QString& name) const;
};

// A plain shape (band or frame). With the mask mode its colour is ANDed into what lies below.
class TShape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, RoundRect, Circle };
    explicit TShape(QWidget* parent = nullptr);
    Kind ShapeKind = Kind::Rectangle;
    QColor BrushColor = Qt::white;
    int BrushStyleIndex = 0;  // fill style of the brush (0 solid, 1..6 hatches)
    bool BrushClear = false;
    QColor PenColor = Qt::black;
    bool PenClear = false;
    int PenWidth = 1;
    bool MaskMode = false;

protected:
    void paintEvent(QPaintEvent*) override;
};

// Program-wide state of the shell.
extern bool MainFormReady;

class TMainForm : public QWidget, public TDetailHost {
    Q_OBJECT
public:
    TMainForm();
    ~TMainForm() override;

    // Whether creation succeeded: false when the screen is below the minimum size
    // (the caller ends the process with exit code 1).
    bool Created() const { return created_; }

    // --- Controls (objectName = design name) ---
    QWidget* MainFormPanel = nullptr;
    QWidget* HeaderPanel = nullptr;
    TNotebook* Notebook = nullptr;
    TBaseBtn *InfoSBtn = nullptr, *SoundSBtn = nullptr, *HelpSBtn = nullptr,
             *MinimizeSBtn = nullptr, *QuitSBtn = nullptr;
    QLabel* CaptionLbl = nullptr;

    TBkControl *MainBk = nullptr, *HistoryBk = nullptr, *PaintBk = nullptr;
    TShape* SubTitleBk = nullptr;
    QLabel *MainSubTitle = nullptr, *MainTitle = nullptr, *SubTitleLbl = nullptr;
    QLabel *MainHistoryImg = nullptr, *MainHistoryLbl = nullptr, *MainHistorySBtnLbl = nullptr;
    QLabel *MainPaintImg = nullptr, *MainPaintLbl = nullptr, *MainPaintSBtnLbl = nullptr;
    TBaseBtn *MainHistorySBtn = nullptr, *MainPaintSBtn = nullptr;

    TShape* HistoryShapeBk = nullptr;
    QLabel *HistoryHeaderImage = nullptr, *HistoryHeaderLbl = nullptr;
    QLabel *HistoryTitle = nullptr, *HistorySubTitle = nullptr;
    QLabel* ContentLstLbl = nullptr;
    class TContentOutline* ContentLst = nullptr;
    class TMarkupScrollBox* HistoryCtrl = nullptr;
    class TMarkupControl* HistoryMarkup = nullptr;
    void ContentLstClick();
    TBaseBtn* HistoryBackSBtn = nullptr;
    QLabel* HistoryBackSBtnLbl = nullptr;

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
    // Invisible components: the picture loader; the open and save dialogs carry Tag and Title.
    TPictureImage* anImage = nullptr;
    QObject *OpenDialog = nullptr, *SaveDialog = nullptr;

    // --- Behaviour ---
    void MenuSBtnClick(QObject* sender);
    void SBtnClick(QObject* sender);
    void SBtnMouseIn(QObject* sender);
    void SBtnMouseOut(QObject* sender);
    void SBtnMouseMove(QObject* sender);
    void ColourRoundButton(TBaseBtn* b);
    void BkMouseMove();
    void NotebookPageChanged();
    void PaintNotebookPageChanged();
    void PaintTabSetClick(int index);
    void SpeedBtnClick(QObject* sender);
    void UpdateStatus();
    void InfoSBtnClick();
    void SoundSBtnClick();
    void HelpSBtnClick();
    void MinimizeSBtnClick();
    void QuitSBtnClick();
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
    // The value of a text database key for the current language, split into lines.
    QStringList DatabaseLines(const QString& keyPrefix) const;

    // Data files, loaded at start-up (absent when missing).
    std::unique_ptr<TArchiveIndex> ArchiveIndex;
    std::unique_ptr<TiDbRecFile> TextDatabase;
    // The save dialog's suggested file and folder, set by LoadMandala.
    QString SaveFileName, SaveInitialDir;

    // Scale page and view commands.
    void ScaleListBoxClick();
    void ScaleEditKeyUp(int key, Qt::KeyboardModifiers modifiers);
    void SyncScaleDisplay();
    // Entry 4 ("100%") selected and "100%" in the edit, as after loading a drawing.
    void ResetScaleDisplay();
    void OriginalSize();
    void Center();
    void ShowFullScreen(const QImage& picture);
    // The file commands of the paint page (open, save, print, clipboard, desktop).
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
    // A session that ends without waiting: a changed drawing goes to the user's folder under
    // a new name. Returns the file written (empty when nothing needed saving or it failed).
    QString SaveForLogout();
    void SessionEnding(QSessionManager& manager);

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

    // Activation by a second instance.
    void Activate();

    QString MusicFile() const { return musicFile_; }
    // Every round button that UpdateStatus colours.
    QList<TBaseBtn*> RoundButtons() const;
    // Renders the window as shown into an image (screenshots, tests).
    QImage Render();


    // The help address, built from the language id.
    static QString HelpUrl(int lngId);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void FormDestroy();
    void BuildHeader();
    void BuildMainPage(QWidget* page);
    void BuildHistoryPage(QWidget* page);
    void BuildPaintPage(QWidget* page);
    void BuildColorPage(QWidget* page);
    void BuildSizePage(QWidget* page);
    void SelectScaleEntry(const QString& text);
    void ShowSavedFile(const QString& file);
    // The catalogue shows only "..\" + name: a drawing from outside the user's folder.
    void ShowLoneFile(const QString& name);
    void hsImagePick(QPoint at);
    void CopyScrollersToSpinners();
    void LoadPictures();
    void LoadGlyphs();
    TBaseBtn* RoundButton(QWidget* parent, const char* name, int x, int y, int tag,
                          const QString& hint);
    TBaseBtn* HeaderButton(const char* name, int x, const QString& caption, const QString& hint,
                           int tag);
    QLabel* Label(QWidget* parent, const char* name, const QRect& r, const QString& text, int tag,
                  int pixelSize, const QColor& color, bool italic = false,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop,
                  const QString& family = QString());
    void Music(bool start);

    QStringList printers_;
    bool quitting_ = false;  // the quit button already asked
    bool created_ = false;
    bool shown_ = false;
    QString musicFile_;
    QPoint dragOrigin_;
    bool dragging_ = false;
    bool mandalaLstPressed_ = false;
    bool tabSyncing_ = false;
    PaletteDisplayEffect* paletteEffect_ = nullptr;  // owned by MainFormPanel
};

}  // namespace orb
