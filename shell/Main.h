#pragma once
// TMainForm: the borderless main window with its own caption bar and the three pages
// "Main", "History" and "Paint". Each page is an object that owns its controls and their
// handlers (shell/MainPage, shell/HistoryPage, shell/PaintPage); the window keeps the caption
// bar, the navigation between the pages, start-up, shutdown and the program's data files.
#include <QImage>
#include <QPoint>
#include <QSet>
#include <QString>
#include <QWidget>
#include <memory>

#include "shell/AppData.h"
#include "shell/Basics.h"
#include "shell/HistoryPage.h"
#include "shell/MainPage.h"
#include "shell/MainWindow.h"
#include "shell/PaintPage.h"
#include "shell/Page.h"
#include "shell/Pictures.h"

class QLabel;
class QSessionManager;

namespace orb {

class TBaseBtn;
class TPictureImage;

class TMainForm : public QWidget, public TPageHost, public TMainWindow {
    Q_OBJECT
public:
    // How the window starts: whole at once, or its first frame first. Then the paint page's
    // side pages are built, and the controls' pointer shapes (whose first use loads the
    // pointer theme) applied, once that frame is on the screen (the side pages sooner when
    // something needs them).
    enum class Startup { Whole, FirstFrameFirst };
    explicit TMainForm(Startup startup = Startup::Whole);
    ~TMainForm() override;
    // The paint page's side pages, built, scaled, translated and started if they were not.
    void EnsurePaintSidePages();

    // --- TMainWindow ---
    QWidget& Widget() override { return *this; }
    bool Created() const override { return created_; }
    // Set at the end of creation, cleared when closing begins and at destruction.
    bool MainFormReady() const override { return mainFormReady_; }
    void Activate() override;
    void SessionEnding(QSessionManager& manager) override;
    void Silence() override;
    void OfferRecovery() override;
    void GoToPage(const QString& page) override;
    TPaintPage& PaintingPage() override {
        EnsurePaintSidePages();
        return *Paint;
    }

    // --- Controls (objectName = design name) ---
    QWidget* MainFormPanel = nullptr;
    QWidget* HeaderPanel = nullptr;
    TNotebook* Notebook = nullptr;
    TBaseBtn *InfoSBtn = nullptr, *SoundSBtn = nullptr, *HelpSBtn = nullptr,
             *MinimizeSBtn = nullptr, *QuitSBtn = nullptr;
    QLabel* CaptionLbl = nullptr;

    // The pages, each owned by its notebook page.
    TMainPage* Main = nullptr;
    THistoryPage* History = nullptr;
    TPaintPage* Paint = nullptr;

    // Invisible components: the picture loader; the open and save dialogs carry Tag and Title.
    TPictureImage* anImage = nullptr;
    QObject *OpenDialog = nullptr, *SaveDialog = nullptr;

    // --- Behaviour ---
    // Navigation: the menu choices of page "Main" and the back buttons of the other pages.
    void MenuSBtnClick(QObject* sender) override;
    // The hover look of a round button: light blue while the pointer is on it.
    void SBtnMouseIn(QObject* sender) override;
    void SBtnMouseOut(QObject* sender) override;
    void NotebookPageChanged();
    // Enabled states and looks of every round button.
    void UpdateStatus() override;
    QString ActivePage() const override;
    QWidget* Window() override { return this; }
    // The text database, the archive's directory and the picture loader, for the pages.
    TAppData& Data() override { return data_; }
    void InfoSBtnClick();
    void SoundSBtnClick();
    void HelpSBtnClick();
    void MinimizeSBtnClick();
    void QuitSBtnClick();

    QString MusicFile() const { return musicFile_; }
    // The part of start-up that waits for the first frame has run.
    bool StartUpDone() const { return afterFirstFrameDone_; }
    // Every round button of every page.
    QList<TBaseBtn*> RoundButtons() const;
    // Renders the window as shown into an image (screenshots, tests).
    QImage Render();

    // The help address, built from the language id.
    static QString HelpUrl(int lngId);

protected:
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void FormCreate();
    void FormShow();
    // What the first frame does not show: the music, the data files, the printer list.
    void AfterFirstFrame();
    void FormCloseQuery();
    void FormDestroy();
    void BuildHeader();
    // The page background, then the pictures and button glyphs of the page on show.
    void LoadPictures();
    // A page's style sheets, pictures and glyphs, once.
    void LoadPagePictures(TPage* page);
    // The resource of a round button's glyph at a size class.
    static QString GlyphResource(const QString& sizeKey, const QString& button, bool disabled);
    // The design style sheets under root, at the size class.
    void ApplyDesignStyleSheets(QWidget* root);
    // Fonts and style sheets under root that follow the size class m / d.
    void ScaleFontsAndSheets(QWidget* root, int m, int d);
    TPage* CurrentPage() const;
    QList<TPage*> Pages() const { return {Main, History, Paint}; }
    TBaseBtn* HeaderButton(const char* name, int x, const QString& caption, const QString& hint,
                           int tag);
    void Music(bool start);

    TAppData data_;
    bool mainFormReady_ = false;
    bool quitting_ = false;  // the quit button already asked
    bool created_ = false;
    bool shown_ = false;
    QImage background_;  // the page background of the size class, shared by the pages
    QSet<TPage*> picturesLoaded_;
    std::unique_ptr<TPictureFetch> backgroundFetch_;
    bool firstFrameQueued_ = false;
    bool afterFirstFrameDone_ = false;
    bool musicAfterFirstFrame_ = false;
    QString musicFile_;
    QPoint dragOrigin_;
    bool dragging_ = false;
    PaletteDisplayEffect* paletteEffect_ = nullptr;  // owned by MainFormPanel
};

}  // namespace orb
