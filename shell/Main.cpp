#include "shell/Main.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QSessionManager>
#include <QTimer>
#include <QWindow>

#include "library/Palette.h"
#include "library/PictureImage.h"
#include "platform/Cursors.h"
#include "platform/Display.h"
#include "platform/Numbers.h"
#include "platform/Outward.h"
#include "platform/Paths.h"
#include "platform/StartupStages.h"
#include "platform/Tags.h"
#include "shell/About.h"
#include "shell/Intro.h"
#include "shell/LanguageTexts.h"
#include "shell/MMBtns.h"
#include "shell/MsgDlg.h"
#include "shell/Pictures.h"

namespace orb {

using namespace look;

namespace {
const char* kCaption = "Orbelle 2.0 release 5";
// How long the rest of start-up waits for the first frame of a window that is not painted.
constexpr int kFirstFrameWait = 300;
}  // namespace

// Pixel sizes and heights of a style sheet times m / d (item heights round half to even):
// every "height: Npx" and "font-size: Npx" (blanks allowed after the colon). Scanned by hand:
// a regular expression engine would load and compile at start-up for these few words.
static QString ScaledStyleSheet(const QString& sheet, int m, int d) {
    QString out;
    qsizetype i = 0, last = 0;
    while (i < sheet.size()) {
        qsizetype keyEnd = -1;
        for (const QLatin1String key : {QLatin1String("height:"), QLatin1String("font-size:")})
            if (QStringView(sheet).mid(i).startsWith(key)) keyEnd = i + key.size();
        if (keyEnd < 0) {
            ++i;
            continue;
        }
        qsizetype j = keyEnd;
        while (j < sheet.size() && sheet[j] == ' ') ++j;
        const qsizetype digits = j;
        while (j < sheet.size() && sheet[j].isDigit()) ++j;
        if (j == digits || QStringView(sheet).mid(j, 2) != QLatin1String("px")) {
            i = keyEnd;
            continue;
        }
        const int v = QStringView(sheet).mid(digits, j - digits).toInt();
        out += QStringView(sheet).mid(last, digits - last);
        out += QString::number(Round(v * double(m) / d));
        last = i = j;
    }
    out += QStringView(sheet).mid(last);
    return out;
}

// Shrinks the font of every one-line label whose text is wider than the label, so that no
// translation is cut off.
static void FitLabelTexts(QWidget* root) {
    for (QLabel* l : root->findChildren<QLabel*>()) {
        if (l->text().isEmpty() || l->wordWrap() || l->property("Picture").toBool()) continue;
        QFont f = l->font();
        if (f.pixelSize() <= 0) continue;
        const int designSize = l->property("DesignPixelSize").isValid()
                                   ? l->property("DesignPixelSize").toInt()
                                   : f.pixelSize();
        l->setProperty("DesignPixelSize", designSize);
        // Each size measured loads the font at that size: a text's width grows about in step
        // with its size, so the search starts at the size the overflow suggests and steps to
        // the largest that fits (the smallest allowed when none does).
        const auto fits = [&](int px) {
            f.setPixelSize(px);
            return QFontMetrics(f).horizontalAdvance(l->text()) <= l->width();
        };
        int px = designSize;
        f.setPixelSize(px);
        if (const int wide = QFontMetrics(f).horizontalAdvance(l->text());
            px > 6 && wide > l->width()) {
            px = std::clamp(designSize * l->width() / wide, 6, designSize - 1);
            if (fits(px)) {
                while (px + 1 < designSize && fits(px + 1)) ++px;
            } else {
                while (px > 6 && !fits(px)) --px;
            }
        }
        f.setPixelSize(px);
        l->setFont(f);
    }
}

// ---- TMainForm: construction ---------------------------------------------------------

TMainForm::TMainForm(Startup startup)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName("MainForm");
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kDarkBlue);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    QFont f(kFont);
    f.setPixelSize(13);
    setFont(f);

    if (startup == Startup::FirstFrameFirst) HoldCursors();
    anImage = new TPictureImage(this);
    anImage->setObjectName("anImage");
    anImage->hide();
    anImage->SetImageDither(true);
    anImage->SetCodecPalette(false);
    // The loader reads at the display's depth: 16 or 256 colours dithered, else true colour.
    anImage->UseDisplayDepth(DisplayDepth());
    SetMainPictureLoader(anImage);
    data_.PictureLoader = anImage;
    // The window's background decodes on a worker thread while the window is built.
    const QSize screen = ScreenSize();
    const std::optional<SizeClass> startClass = ChooseSizeClass(screen.width(), screen.height());
    if (startClass) {
        const QString bkFile =
            ProgramFile(QStringLiteral("I/B/bk") + SizeClassFileSuffix(*startClass));
        if (QFile::exists(bkFile))
            backgroundFetch_ = std::make_unique<TPictureFetch>(bkFile, *anImage);
    }

    stages::Stage header("caption bar");
    MainFormPanel = new QWidget(this);
    MainFormPanel->setObjectName("MainFormPanel");
    MainFormPanel->setGeometry(0, 0, 640, 480);
    BuildHeader();
    header.End();
    Notebook = new TNotebook(MainFormPanel);
    Notebook->setObjectName("Notebook");
    SetTag(Notebook, 4400);
    Notebook->setGeometry(0, 20, 640, 460);
    {
        stages::Stage s("page Main widgets");
        Main = new TMainPage(*this, Notebook->AddPage("Main"));
    }
    {
        stages::Stage s("page History widgets");
        History = new THistoryPage(*this, Notebook->AddPage("History"));
    }
    {
        stages::Stage s("page Paint widgets");
        Paint = new TPaintPage(*this, Notebook->AddPage("Paint"));
        if (startup == Startup::Whole) Paint->BuildSidePages();
    }
    // The first page's pictures and glyphs are read on a worker thread while the window is
    // built further.
    if (startClass) {
        const QString key = SizeClassKey(*startClass);
        QStringList pictures = Main->PictureResources(key);
        for (TBaseBtn* b : Main->RoundButtons())
            for (const bool disabled : {false, true})
                pictures << GlyphResource(key, b->objectName(), disabled);
        PrefetchResourcePngs(pictures);
    }
    connect(Notebook, &QStackedWidget::currentChanged, this, [this] { NotebookPageChanged(); });


    OpenDialog = new QObject(this);
    OpenDialog->setObjectName("OpenDialog");
    SetTag(OpenDialog, 20);
    OpenDialog->setProperty("Title", QStringLiteral("Mandala openen"));
    SaveDialog = new QObject(this);
    SaveDialog->setObjectName("SaveDialog");
    SetTag(SaveDialog, 30);
    SaveDialog->setProperty("Title", QStringLiteral("Mandala bewaren"));
    data_.OpenDialog = OpenDialog;
    data_.SaveDialog = SaveDialog;
    data_.HeadingFace = CaptionLbl->font().family();

    FormCreate();
}

TMainForm::~TMainForm() {
    ReleaseCursors();  // a window that never showed its first frame
    SetMainPictureLoader(nullptr);
    FormDestroy();
}

TBaseBtn* TMainForm::HeaderButton(const char* name, int x, const QString& caption,
                                  const QString& hint, int tag) {
    auto* b = new TBaseBtn(HeaderPanel);
    b->setObjectName(name);
    b->setGeometry(x, 2, 16, 16);
    SetTag(b, tag);
    b->SetCaption(caption);
    b->setToolTip(hint);
    QFont f(kFont);
    f.setPixelSize(11);
    f.setBold(true);
    b->setFont(f);
    QPalette pal = b->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    b->setPalette(pal);
    b->SetBrush(QColor(24, 24, 150));
    b->SetPen(Qt::NoPen);
    b->ShadowColor = QColor(0, 0, 40);
    b->FaceXOffset = b->FaceYOffset = 0;
    b->FaceWidth = b->FaceHeight = 0.9375;
    b->ShadowXOffset = b->ShadowYOffset = 0.0625;
    return b;
}

void TMainForm::BuildHeader() {
    HeaderPanel = new QWidget(MainFormPanel);
    HeaderPanel->setObjectName("HeaderPanel");
    HeaderPanel->setGeometry(0, 0, 640, 20);
    HeaderPanel->setAutoFillBackground(true);
    InfoSBtn = HeaderButton("InfoSBtn", 6, "i", "Over Orbelle", 200);
    SoundSBtn = HeaderButton("SoundSBtn", 30, "g", "Geluid Aan/Uitzetten", 300);
    CaptionLbl = MakeLabel(HeaderPanel, "CaptionLbl", QRect(54, 0, 504, 20), kCaption, 0, 13,
                       Qt::white, false, Qt::AlignHCenter | Qt::AlignVCenter);
    CaptionLbl->installEventFilter(this);
    SetCursorNumber(CaptionLbl, crNone);
    HelpSBtn = HeaderButton("HelpSBtn", 572, "?", "Orbelle Online Help", 100);
    MinimizeSBtn = HeaderButton("MinimizeSBtn", 596, "-", "Orbelle Minimaliseren", 400);
    QuitSBtn = HeaderButton("QuitSBtn", 618, "x", "Orbelle Afsluiten", 500);
    InfoSBtn->OnClick = [this](QObject*) { InfoSBtnClick(); };
    SoundSBtn->OnClick = [this](QObject*) { SoundSBtnClick(); };
    HelpSBtn->OnClick = [this](QObject*) { HelpSBtnClick(); };
    MinimizeSBtn->OnClick = [this](QObject*) { MinimizeSBtnClick(); };
    QuitSBtn->OnClick = [this](QObject*) { QuitSBtnClick(); };
}

// ---- TMainForm: start-up -------------------------------------------------------------

void TMainForm::FormCreate() {
    SetLngFileName(ProgramFolder() + "Orbelle.lng");
    setWindowTitle(kCaption);
    CaptionLbl->setText(kCaption);
    QApplication::setApplicationDisplayName("Orbelle");

    QDir::setCurrent(ProgramFolder());
    AdoptEarlierUserData();
    QDir().mkpath(UserFolder());

    musicFile_.clear();
    Notebook->SetActivePage("Main");

    static const struct {
        int number;
        const char* name;
    } cursors[] = {{-23, "Help"},       {-24, "ZoomIn"},     {-25, "ZoomOut"},
                   {-26, "XHair1"},     {-27, "XHair2"},     {-28, "MovingHand"},
                   {-29, "PaintBrush"}, {-30, "Pen"},        {-31, "EyeDropper"}};
    stages::Stage cursorStage("cursors");
    for (const auto& c : cursors) RegisterResourceCursor(c.number, c.name);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    cursorStage.End();

    stages::Stage scaling("size class and scaling");
    const QSize screen = ScreenSize();
    const std::optional<SizeClass> cls = ChooseSizeClass(screen.width(), screen.height());
    if (!cls) {
        QApplication::restoreOverrideCursor();
        return;  // created_ stays false: the caller ends with exit code 1
    }
    SetCurrentSizeClass(*cls);
    const int m = SizeClassNum(*cls), d = SizeClassDen(*cls);
    const QSize windowSize = *cls == SizeClass::Small    ? QSize(640, 480)
                             : *cls == SizeClass::Medium ? QSize(800, 600)
                                                         : QSize(1024, 768);
    if (m != d) {
        MainFormPanel->resize(MulDiv(640, m, d), MulDiv(480, m, d));
        ScaleChildren(MainFormPanel, m, d);
        // Controls without a font of their own inherit the panel's, so lists, spinners and
        // the tab strip grow with the window; so do the sizes their style sheets fix.
        QFont pf = font();
        pf.setPixelSize(MulDiv(13, m, d));
        MainFormPanel->setFont(pf);
        ScaleFontsAndSheets(MainFormPanel, m, d);
    }

    resize(windowSize);
    MainFormPanel->move((width() - MainFormPanel->width()) / 2,
                        (height() - MainFormPanel->height()) / 2);
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);

    // Round buttons are circles; header buttons fully rounded squares.
    for (TBaseBtn* b : RoundButtons()) {
        b->CaptionXRound = Trunc(b->width() * 0.9375);
        b->CaptionYRound = b->CaptionXRound;
    }
    for (TBaseBtn* b : {InfoSBtn, SoundSBtn, HelpSBtn, MinimizeSBtn, QuitSBtn}) {
        b->CaptionXRound = b->width();
        b->CaptionYRound = b->height();
        // Captions are placed, not centred: centre this one on the face by its measured
        // size, in the font it is drawn in (measured once the window has its size class).
        const QFontMetrics fm(b->font());
        const double face = b->width() * b->FaceWidth;
        b->CaptionXOffset = (face - fm.horizontalAdvance(b->Caption())) / 2.0 / b->width();
        b->CaptionYOffset = (b->height() * b->FaceHeight - fm.height()) / 2.0 / b->height();
    }

    scaling.End();

    {
        stages::Stage s("backgrounds");
        LoadPictures();
    }
    {
        stages::Stage s("paint page start");
        Paint->Start();
    }

    // Palette displays: everything is shown in the shared palette's colours.
    if (const Palette* pal = GetSharedPalette()) {
        paletteEffect_ = new PaletteDisplayEffect(*pal);
        MainFormPanel->setGraphicsEffect(paletteEffect_);
    }

    // The picture archive's directory and the text database: read when first asked for,
    // at the latest right after the first frame.
    data_.LoadWhenNeeded();

    QApplication::restoreOverrideCursor();
    mainFormReady_ = true;
    created_ = true;
}

void TMainForm::ScaleFontsAndSheets(QWidget* root, int m, int d) {
    // The panel's own font, already at the size class.
    const QFont pf = MainFormPanel->font();
    for (const char* name : {"SubjectLst", "MandalaLst", "ScaleListBox", "ScaleEdit",
                             "BrushStyleLst", "HValue", "SValue", "VValue", "PenWidth"})
        if (auto* w = root->findChild<QWidget*>(QLatin1String(name))) w->setFont(pf);
    for (QWidget* w : root->findChildren<QWidget*>())
        if (!w->styleSheet().isEmpty()) w->setStyleSheet(ScaledStyleSheet(w->styleSheet(), m, d));
}

void TMainForm::EnsurePaintSidePages() {
    if (Paint->SidePagesBuilt()) return;
    stages::Stage s("paint side pages");
    Paint->BuildSidePages();
    // What start-up did to the rest of the window, done to the new pages: the size class,
    // the pictures and style sheets of a page already dressed, the start, the language.
    QWidget* root = Paint->PaintNotebook;
    const int m = SizeClassNum(CurrentSizeClass()), d = SizeClassDen(CurrentSizeClass());
    if (created_ && m != d) {
        for (int i = 0; i < Paint->PaintNotebook->count(); ++i)
            ScaleChildren(Paint->PaintNotebook->widget(i), m, d);
        ScaleFontsAndSheets(root, m, d);
    }
    if (picturesLoaded_.contains(Paint)) {
        ApplyDesignStyleSheets(root);
        Paint->LoadSidePictures();
    }
    if (created_) Paint->StartSidePages();
    if (shown_) {
        ApplyLanguageToTree(root, "MainForm", LngFileName());
        FitLabelTexts(root);
    }
}

void TMainForm::LoadPictures() {
    const SizeClass cls = CurrentSizeClass();
    const QString bkFile = ProgramFile(QStringLiteral("I/B/bk") + SizeClassFileSuffix(cls));
    if (backgroundFetch_ && backgroundFetch_->Path() == bkFile)
        background_ = backgroundFetch_->Take();
    else if (QFile::exists(bkFile))
        background_ = LoadPictureFile(bkFile);
    backgroundFetch_.reset();
    // The page on show now; the others once the window is on the screen, or when shown.
    LoadPagePictures(CurrentPage());
}

void TMainForm::LoadPagePictures(TPage* page) {
    if (!page || picturesLoaded_.contains(page)) return;
    picturesLoaded_.insert(page);
    // The page's style sheets, at the size class: each costs a style polish, so a page that
    // is not on show gets them with its pictures.
    ApplyDesignStyleSheets(page->PageWidget());
    const QString key = SizeClassKey(CurrentSizeClass());
    page->LoadPictures(background_, key);
    for (TBaseBtn* b : page->RoundButtons()) {
        b->GlyphUp = ResourcePng(GlyphResource(key, b->objectName(), false));
        b->GlyphDisabled = ResourcePng(GlyphResource(key, b->objectName(), true));
        b->update();
    }
}

QString TMainForm::GlyphResource(const QString& sizeKey, const QString& button, bool disabled) {
    return QStringLiteral(":/glyphs/%1/%2%3.png")
        .arg(sizeKey, button, disabled ? QStringLiteral("_disabled") : QString());
}

void TMainForm::ApplyDesignStyleSheets(QWidget* root) {
    const int m = SizeClassNum(CurrentSizeClass()), d = SizeClassDen(CurrentSizeClass());
    for (QWidget* w : root->findChildren<QWidget*>())
        if (const QString sheet = DesignStyleSheet(w); !sheet.isEmpty())
            w->setStyleSheet(m != d ? ScaledStyleSheet(sheet, m, d) : sheet);
}

TPage* TMainForm::CurrentPage() const {
    const QString name = Notebook->ActivePage();
    for (TPage* page : Pages())
        if (page->PageWidget() == Notebook->Page(name)) return page;
    return nullptr;
}

QList<TBaseBtn*> TMainForm::RoundButtons() const {
    QList<TBaseBtn*> all;
    for (TPage* page : Pages()) all += page->RoundButtons();
    return all;
}

void TMainForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainForm::FormShow() {
    stages::Stage language("language file");
    ApplyLanguage(this, "MainForm", LngFileName());
    // The caption bar and the page on show now; the other pages after the first frame (each
    // text measured loads its font at its size).
    FitLabelTexts(HeaderPanel);
    FitLabelTexts(Notebook->currentWidget());
    OpenDialog->setProperty("Title", GetLangText(20, "MainForm", LngFileName(),
                                                 OpenDialog->property("Title").toString()));
    SaveDialog->setProperty("Title", GetLangText(30, "MainForm", LngFileName(),
                                                 SaveDialog->property("Title").toString()));
    language.End();
    musicFile_ = ProgramFile("A/Orbelle.wav");
    // The sound button's click, except that the music itself starts once the window is on
    // the screen: loading the media back end takes longer than building the whole window.
    if (SoundSBtn->ButtonIsDown()) {
        Music(false);
        SoundSBtn->SetButtonIsDown(false);
    } else {
        SoundSBtn->SetButtonIsDown(true);
        musicAfterFirstFrame_ = true;
    }
    FreeIntro();
    UpdateStatus();
    // A window that is shown but not on the screen (minimised, on another desktop) gets no
    // paint: the rest of start-up then runs a little later all the same.
    QTimer::singleShot(kFirstFrameWait, this, &TMainForm::AfterFirstFrame);
}

bool TMainForm::event(QEvent* e) {
    if (e->type() == QEvent::Paint && !firstFrameQueued_) {
        // Runs once this paint has reached the screen; whatever needs the data before then
        // reads it on first use.
        firstFrameQueued_ = true;
        QTimer::singleShot(0, this, &TMainForm::AfterFirstFrame);
    }
    return QWidget::event(e);
}

void TMainForm::AfterFirstFrame() {
    if (afterFirstFrameDone_ || !mainFormReady_) return;
    afterFirstFrameDone_ = true;
    ReleaseCursors();
    if (musicAfterFirstFrame_) {
        musicAfterFirstFrame_ = false;
        // Switched off in the meantime: stays off.
        if (SoundSBtn->ButtonIsDown()) {
            stages::Stage s("music and media back end");
            Music(true);
        }
    }
    data_.Load();
    EnsurePaintSidePages();
    Paint->AfterFirstFrame();
    {
        stages::Stage s("pictures of the other pages");
        for (TPage* page : Pages()) LoadPagePictures(page);
    }
    FitLabelTexts(MainFormPanel);
}

// ---- Navigation ----------------------------------------------------------------------

void TMainForm::MenuSBtnClick(QObject* sender) {
    if (Main->IsHistoryChoice(sender)) {
        History->FillContents();
        Notebook->SetActivePage("History");
    } else if (Main->IsPaintChoice(sender)) {
        EnsurePaintSidePages();
        Notebook->SetActivePage("Paint");
        Paint->Enter();
    } else if (History->IsBackChoice(sender)) {
        Notebook->SetActivePage("Main");
    } else if (Paint->IsBackChoice(sender)) {
        if (Paint->Leave()) Notebook->SetActivePage("Main");
    }
    QApplication::processEvents();
    UpdateStatus();
}

void TMainForm::SBtnMouseIn(QObject* sender) {
    auto* b = qobject_cast<TBaseBtn*>(sender);
    if (!b || b->ButtonIsHot()) return;
    b->SetButtonIsDown(true);
    if (RoundButtons().contains(b)) ColourRoundButton(b);
}

void TMainForm::SBtnMouseOut(QObject* sender) {
    auto* b = qobject_cast<TBaseBtn*>(sender);
    if (!b || b->ButtonIsHot()) return;
    b->SetButtonIsDown(false);
    if (RoundButtons().contains(b)) ColourRoundButton(b);
}

QString TMainForm::ActivePage() const { return Notebook->ActivePage(); }

void TMainForm::NotebookPageChanged() {
    if (created_) LoadPagePictures(CurrentPage());
    if (shown_ && !afterFirstFrameDone_) FitLabelTexts(Notebook->currentWidget());
    if (Notebook->ActivePage() == "Paint") {
        EnsurePaintSidePages();
        Paint->Shown();
    }
    UpdateStatus();
}

// ---- Status --------------------------------------------------------------------------

void TMainForm::UpdateStatus() {
    Paint->UpdateButtons();
    for (TBaseBtn* b : RoundButtons()) {
        // A disabled button gets no mouse-out: its hover look must not outlive it.
        if (!b->isEnabled() && !b->ButtonIsHot()) b->SetButtonIsDown(false);
        ColourRoundButton(b);
    }
}

// ---- Caption bar ---------------------------------------------------------------------

void TMainForm::InfoSBtnClick() {
    ShowAboutBox();
    UpdateStatus();
}

QString TMainForm::HelpUrl(int lngId) {
    return QStringLiteral(
               "https://help.orbelle.example/index.dll?lngid=%1&programlabel=orbelle"
               "&programversionnumber=2051&show=onlinehelp")
        .arg(lngId);
}

void TMainForm::HelpSBtnClick() {
    Out().OpenUrl(HelpUrl(LngID()));
    showMinimized();
    UpdateStatus();
}

void TMainForm::MinimizeSBtnClick() {
    showMinimized();
    UpdateStatus();
}

void TMainForm::SoundSBtnClick() {
    if (SoundSBtn->ButtonIsDown()) {
        Music(false);
        SoundSBtn->SetButtonIsDown(false);
    } else {
        Music(true);
        SoundSBtn->SetButtonIsDown(true);
    }
    UpdateStatus();
}

void TMainForm::Music(bool start) {
    if (start) {
        if (!Out().MusicPlaying() && !musicFile_.isEmpty() && QFile::exists(musicFile_))
            Out().MusicStart(musicFile_);
    } else {
        Out().MusicStop();
    }
}

void TMainForm::QuitSBtnClick() {
    if (Notebook->ActivePage() == "Paint" && !Paint->Leave()) {
        UpdateStatus();
        return;  // the user keeps the drawing: no quitting
    }
    Paint->DeclineChanges();
    UpdateStatus();
    quitting_ = true;
    close();
}

void TMainForm::OfferRecovery() {
    const std::optional<TRecovery::TFound> found = TRecovery::Find();
    if (!found) {
        TRecovery::Remove();  // nothing readable: nothing to offer
        return;
    }
    const bool restore = Ask(kRestoreQuestion);
    TRecovery::Remove();
    if (!restore) return;
    GoToPage("Paint");
    Paint->Restore(*found);
    UpdateStatus();
}

void TMainForm::Silence() { SoundSBtn->SetButtonIsDown(true); }

void TMainForm::GoToPage(const QString& page) {
    if (page == "History")
        MenuSBtnClick(Main->MainHistorySBtn);
    else if (page == "Paint")
        MenuSBtnClick(Main->MainPaintSBtn);
    else
        Notebook->SetActivePage(page);
}

void TMainForm::Activate() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

bool TMainForm::eventFilter(QObject* o, QEvent* e) {
    if (o == CaptionLbl) {
        // Only mouse events are one; the cases below are all mouse events.
        auto* me = dynamic_cast<QMouseEvent*>(e);
        switch (me ? e->type() : QEvent::None) {
            case QEvent::MouseButtonPress:
                if (me->button() == Qt::LeftButton) {
                    dragOrigin_ = me->globalPosition().toPoint();
                    dragging_ = true;
                    // Let the window system move the window where it can (Wayland).
                    if (windowHandle() && windowHandle()->startSystemMove()) dragging_ = false;
                }
                return true;
            case QEvent::MouseMove:
                if (dragging_ && (me->buttons() & Qt::LeftButton)) {
                    const QPoint now = me->globalPosition().toPoint();
                    move(pos() + (now - dragOrigin_));
                    dragOrigin_ = now;
                }
                return true;
            case QEvent::MouseButtonRelease:
                dragging_ = false;
                dragOrigin_ = QPoint(0, 0);
                return true;
            default:
                return false;
        }
    }
    return false;
}

// ---- Shutdown ------------------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* e) {
    // Closed by the window manager, Alt+F4 or a second start with "uninstall": the same
    // prompt as the quit button, so a changed drawing is never dropped unasked.
    if (!quitting_ && mainFormReady_) {
        if (Notebook->ActivePage() == "Paint" && !Paint->Leave()) {
            e->ignore();  // the user keeps the drawing: the window stays open
            UpdateStatus();
            return;
        }
        Paint->DeclineChanges();
        quitting_ = true;
    }
    FormCloseQuery();
    e->accept();
}

void TMainForm::FormCloseQuery() {
    if (!mainFormReady_) return;
    mainFormReady_ = false;
    data_.Free();
    Music(false);
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    hide();
    QApplication::processEvents();
    // The about box shows for two seconds while the program ends.
    ShowAboutBox();
    QApplication::processEvents();
    QEventLoop wait;
    QTimer::singleShot(2000, &wait, &QEventLoop::quit);
    // The data is freed: no click and no instance message may act during the pause.
    wait.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    CloseAboutBox();
}

void TMainForm::FormDestroy() {
    const QString temp = TempFolder();
    QDir dir(temp);
    if (dir.exists()) {
        for (const QFileInfo& fi :
             dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            QFile f(fi.absoluteFilePath());
            f.setPermissions(f.permissions() | QFileDevice::WriteOwner);
            f.remove();
        }
        QDir().rmdir(temp);
    }
    mainFormReady_ = false;
}

void TMainForm::SessionEnding(QSessionManager& manager) {
    if (!Paint->HasUnsavedDrawing()) return;
    if (manager.allowsInteraction()) {
        // Keeping a drawing that was not saved asks the session manager to stay.
        if (!Paint->SessionEnding(true)) manager.cancel();
        manager.release();
    } else {
        Paint->SessionEnding(false);
    }
}

// The program's window shows its first frame first.
std::unique_ptr<TMainWindow> CreateMainWindow() {
    return std::make_unique<TMainForm>(TMainForm::Startup::FirstFrameFirst);
}

QImage TMainForm::Render() {
    QImage img(size(), QImage::Format_ARGB32);
    img.fill(palette().color(QPalette::Window));
    render(&img);
    return img;
}

}  // namespace orb

