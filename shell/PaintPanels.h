#pragma once
// The side panels of the paint page. Each owns its controls and their handlers and works on
// the painting session; what they need of each other and of the page goes through
// TPaintContext.
#include <QColor>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class QComboBox;
class QImage;
class QLabel;
class QLineEdit;
class QListWidget;
class QScrollBar;

namespace orb {

class TAppData;
class TBaseBtn;
class TBrushStyleList;
class TCataloguePanel;
class TFileCommands;
class TNotebook;
class TPageHost;
class TPaintSession;
class TProportionalImage;
class TShape;
class TSpinner;

// What the panels share: the window, the data, the session, and the page's painting window.
struct TPaintContext {
    TPageHost& Host;
    TPaintSession& Session;
    QWidget* Panel;  // the round opening the painting window fills
    // The painting window shown for the session (created at its first showing).
    void ShowWindow() const;
    void HideWindow() const;
    // Whether the painting window exists: commands on it do nothing before.
    bool Alive() const;
    TAppData& Data() const;
    void UpdateStatus() const;
};

// "FilePage": the catalogue of subjects and drawings, and LoadMandala, the single path by
// which a drawing reaches the painting session.
class TCataloguePanel : public QObject {
    Q_OBJECT
public:
    TCataloguePanel(const TPaintContext& ctx, QWidget* page);
    void Connect(TFileCommands* files) { files_ = files; }

    QLabel *SubjectLstLbl = nullptr, *MandalaLstLbl = nullptr;
    QComboBox* SubjectLst = nullptr;
    QListWidget* MandalaLst = nullptr;

    void Start();
    void FillSubjectList();
    void FillMandalaList(bool selectFirst);
    void SubjectLstChange();
    void MandalaLstClick();
    // Offers to save a changed drawing, then loads the drawing at path. False when the user
    // kept the changed drawing (answered "Ja" and the save did not happen): nothing loads.
    bool LoadMandala(const QString& path);
    // A drawing is chosen: both lists have entries and a drawing is selected.
    bool HasChoice() const;
    // The catalogue shows only "..\" + name: a drawing from outside the user's folder.
    void ShowLoneFile(const QString& name);
    // The user's folder with the file selected, or the lone file.
    void ShowSavedFile(const QString& file);
    // The lists as they were for a drawing: subject and row when that row still shows the
    // name, else the name alone. Nothing is loaded.
    void ShowPlace(int subject, int row, const QString& name);
    // The whole line behind a list item ("name=folder", "name=archive name", a file name).
    static QString LineOf(const QString& display, const QVariant& data);
    QString SubjectLine(int index) const;
    QString MandalaLine(int index) const;

signals:
    // A drawing (or nothing, after a file that could not be read) is in the session, its
    // view reset.
    void drawingShown();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    // The painting window shows nothing: no drawing, no change mark, the view reset.
    void ClearDrawing();
    // The change prompt before another drawing replaces the one on show; true when it may.
    bool MayReplaceDrawing();
    TPaintContext ctx_;
    TFileCommands* files_ = nullptr;
    bool mandalaLstPressed_ = false;
    // What the lists showed for the drawing on show, put back when the user keeps it.
    int subjectShown_ = -1, rowShown_ = -1;
};

// "SizePage": the scale edit and list, and the view commands (original size, centre, full
// screen).
class TScalePanel : public QObject {
    Q_OBJECT
public:
    TScalePanel(const TPaintContext& ctx, QWidget* page);

    TShape* ScaleShape = nullptr;
    QLabel* ScaleTitle = nullptr;
    QLineEdit* ScaleEdit = nullptr;
    QListWidget* ScaleListBox = nullptr;

    void ScaleListBoxClick();
    void ScaleEditKeyUp(int key, Qt::KeyboardModifiers modifiers);
    // The edit and list show the session's zoom.
    void SyncScaleDisplay();
    // Entry 4 ("100%") selected and "100%" in the edit, as after loading a drawing.
    void ResetScaleDisplay();
    void OriginalSize();
    void Center();
    void ShowFullScreen(const QImage& picture);

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void SelectScaleEntry(const QString& text);
    TPaintContext ctx_;
};

// "ColorPage": the drawing settings: colour by hue, saturation and brightness, the picker,
// the fill style and the pen width; each change goes to the session.
class TColourPanel : public QObject {
    Q_OBJECT
public:
    TColourPanel(const TPaintContext& ctx, QWidget* page);

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

    // The first settings, each through its change handler.
    void Start();
    void RGBValueChange(QObject* sender);
    void hsImageMouseDown(Qt::MouseButton button, QPoint at);
    void hsImageMouseMove(Qt::MouseButtons buttons, QPoint at);
    void BrushStyleLstChange();
    // The swatch colour from HSV percentages, as the display can show it.
    void ApplyHSV(int h, int s, int v);
    QColor CurrentColour() const;
    // The eyedropper's colour: the swatch and the sliders follow.
    void ColourPicked(const QColor& c);

private:
    void hsImagePick(QPoint at);
    void CopyScrollersToSpinners();
    TPaintContext ctx_;
};

// The file commands of the paint page (open, save, print, clipboard, desktop) and the change
// prompt that offers to save a changed drawing before it would be lost.
class TFileCommands : public QObject {
    Q_OBJECT
public:
    struct Buttons {
        TBaseBtn *Open, *Save, *Print, *Clipboard, *Desktop;
    };
    TFileCommands(const TPaintContext& ctx, const Buttons& buttons, TCataloguePanel& catalogue);

    // The save dialog's suggested file and folder, set when a drawing is loaded.
    QString SaveFileName, SaveInitialDir;

    bool IsCommand(QObject* sender) const;
    void Run(QObject* sender);
    // The change prompt before a changed drawing would be dropped. True when the caller may
    // go on: nothing was changed, the user answered "Nee", or the drawing was saved. False
    // when the user answered "Ja" and then cancelled the save dialog or the save failed:
    // the user asked to keep the drawing, so the caller abandons what it was doing.
    bool AskSaveChanged();
    void OpenMandala();
    // Saves the picture through the save dialog; true when a file was written. With
    // reselect the catalogue then shows the saved file.
    bool SaveMandala(bool reselect);
    void PrintMandala();
    void CopyMandalaToClipboard();
    void SetMandalaAsWallpaper();
    // Asks the system for its printers (once the window is on the screen, and when
    // printing).
    void RefreshPrinters();
    // Asks first when nobody has asked yet.
    bool HasPrinters();
    // A session that ends without waiting: a changed drawing goes to the user's folder under
    // a new name. Returns the file written (empty when nothing needed saving or it failed).
    QString SaveForLogout();

private:
    bool HasPicture() const;
    TPaintContext ctx_;
    Buttons b_;
    TCataloguePanel& catalogue_;
    std::optional<QStringList> printers_;
};

}  // namespace orb
