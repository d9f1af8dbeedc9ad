#include "shell/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabBar>
#include <QThread>
#include <QWindow>
#include <QRegularExpression>

#include "paint/DtlWin.h"
#include "paint/Tools.h"
#include "platform/Display.h"
#include "platform/Numbers.h"
#include "platform/Outward.h"
#include "platform/Paths.h"
#include "platform/Tags.h"
#include "shell/About.h"
#include "shell/Bk.h"
#include "shell/LanguageTexts.h"
#include "library/PictureArchive.h"
#include "library/iDbRecs.h"
#include "library/PictureImage.h"
#include "shell/Intro.h"
#include "shell/MsgDlg.h"
#include "shell/Pictures.h"
#include "shell/ContentOutline.h"
#include "library/MarkupBox.h"
#include "shell/ColorPage.h"
#include "paint/ProImg.h"
#include "shell/LangState.h"
#include "shell/MMBtns.h"
#include "library/PrsCtrl.h"
#include "library/Cp1252.h"
#include "library/iDbRecs.h"

namespace orb {

bool MainFormReady = false;

namespace {
const QColor kDarkBlue(0, 0, 100);
const QColor kOrange(255, 153, 51);
const QColor kLightBlue(63, 190, 254);
const QColor kMenuLabel(97, 97, 126);
const QColor kCream(244, 235, 219);
const char* kFont = "Palisade";
const char* kCaption = "Orbelle 2.0 release 5";
}  // namespace

// Pixel sizes and heights of a style sheet times m / d (item heights round half to even).
static QString ScaledStyleSheet(const QString& sheet, int m, int d) {
    static const QRegularExpression px(QStringLiteral("(height|font-size): *(\\d+)px"));
    QString out;
    qsizetype last = 0;
    for (auto it = px.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch mt = it.next();
        out += sheet.mid(last, mt.capturedStart() - last);
        out += QStringLiteral("%1: %2px").arg(mt.captured(1)).arg(Round(mt.captured(2).toInt() * double(m) / d));
        last = mt.capturedEnd();
    }
    return out + sheet.mid(last);
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
        f.setPixelSize(designSize);
        while (f.pixelSize() > 6 && QFontMetrics(f).horizontalAdvance(l->text()) > l->width())
            f.setPixelSize(f.pixelSize() - 1);
        l->setFont(f);
    }
}

// ---- TNotebook -----------------------------------------------------------------------

TNotebook::TNotebook(QWidget* parent) : QStackedWidget(parent) {}

QWidget* TNotebook::AddPage(const QString& name) {
    auto* page = new QWidget(this);
    page->setObjectName(name + "Page");
    page->setProperty("PageName", name);
    // The language file may rename pages; navigation keeps to this identity.
    page->setProperty("PageId", name);
    addWidget(page);
    return page;
}

QString TNotebook::ActivePage() const {
    QWidget* w = currentWidget();
    return w ? w->property("PageId").toString() : QString();
}

void TNotebook::SetActivePage(const QString& name) {
    if (QWidget* p = Page(name)) setCurrentWidget(p);
}

QWidget* TNotebook::Page(const QString& name) const {
    for (int i = 0; i < count(); ++i)
        if (widget(i)->property("PageId").toString() == name) return widget(i);
    return nullptr;
}

// ---- TShape --------------------------------------------------------------------------

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, ShapeKind != Kind::Rectangle);
    if (MaskMode) p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.setPen(PenClear ? QPen(Qt::NoPen) : QPen(PenColor, PenWidth));
    p.setBrush(BrushClear ? QBrush(Qt::NoBrush) : FillStyleBrush(BrushStyleIndex, BrushColor));
    const double inset = PenClear ? 0.0 : PenWidth / 2.0;
    const QRectF r = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    switch (ShapeKind) {
        case Kind::Rectangle:
            p.drawRect(PenClear ? QRectF(rect()) : r);
            break;
        case Kind::RoundRect:
            p.drawRoundedRect(r, 12, 12);
            break;
        case Kind::Circle:
            p.drawEllipse(r);
            break;
    }
}

// ---- TMainForm: construction ---------------------------------------------------------

TMainForm::TMainForm() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
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

    MainFormPanel = new QWidget(this);
    MainFormPanel->setObjectName("MainFormPanel");
    MainFormPanel->setGeometry(0, 0, 640, 480);
    BuildHeader();
    Notebook = new TNotebook(MainFormPanel);
    Notebook->setObjectName("Notebook");
    SetTag(Notebook, 4400);
    Notebook->setGeometry(0, 20, 640, 460);
    BuildMainPage(Notebook->AddPage("Main"));
    BuildHistoryPage(Notebook->AddPage("History"));
    BuildPaintPage(Notebook->AddPage("Paint"));
    connect(Notebook, &QStackedWidget::currentChanged, this, [this] { NotebookPageChanged(); });

    anImage = new TPictureImage(this);
    anImage->setObjectName("anImage");
    anImage->hide();
    anImage->SetImageDither(true);
    anImage->SetCodecPalette(false);
    SetMainPictureLoader(anImage);

    OpenDialog = new QObject(this);
    OpenDialog->setObjectName("OpenDialog");
    SetTag(OpenDialog, 20);
    OpenDialog->setProperty("Title", QStringLiteral("Mandala openen"));
    SaveDialog = new QObject(this);
    SaveDialog->setObjectName("SaveDialog");
    SetTag(SaveDialog, 30);
    SaveDialog->setProperty("Title", QStringLiteral("Mandala bewaren"));

    FormCreate();
}

TMainForm::~TMainForm() {
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
    // Captions are placed, not centred: centre this one by its measured size.
    const QFontMetrics fm(f);
    b->CaptionXOffset = (15.0 - fm.horizontalAdvance(caption)) / 2.0 / 16.0;
    b->CaptionYOffset = (15.0 - fm.height()) / 2.0 / 16.0;
    return b;
}

void TMainForm::BuildHeader() {
    HeaderPanel = new QWidget(MainFormPanel);
    HeaderPanel->setObjectName("HeaderPanel");
    HeaderPanel->setGeometry(0, 0, 640, 20);
    HeaderPanel->setAutoFillBackground(true);
    InfoSBtn = HeaderButton("InfoSBtn", 6, "i", "Over Orbelle", 200);
    SoundSBtn = HeaderButton("SoundSBtn", 30, "g", "Geluid Aan/Uitzetten", 300);
    CaptionLbl = Label(HeaderPanel, "CaptionLbl", QRect(54, 0, 504, 20), kCaption, 0, 13,
                       Qt::white, false, Qt::AlignHCenter | Qt::AlignVCenter);
    CaptionLbl->installEventFilter(this);
    SetCursorNumber(CaptionLbl, 0);
    HelpSBtn = HeaderButton("HelpSBtn", 572, "?", "Orbelle Online Help", 100);
    MinimizeSBtn = HeaderButton("MinimizeSBtn", 596, "-", "Orbelle Minimaliseren", 400);
    QuitSBtn = HeaderButton("QuitSBtn", 618, "x", "Orbelle Afsluiten", 500);
    InfoSBtn->OnClick = [this](QObject*) { InfoSBtnClick(); };
    SoundSBtn->OnClick = [this](QObject*) { SoundSBtnClick(); };
    HelpSBtn->OnClick = [this](QObject*) { HelpSBtnClick(); };
    MinimizeSBtn->OnClick = [this](QObject*) { MinimizeSBtnClick(); };
    QuitSBtn->OnClick = [this](QObject*) { QuitSBtnClick(); };
}

QLabel* TMainForm::Label(QWidget* parent, const char* name, const QRect& r, const QString& text,
                         int tag, int pixelSize, const QColor& color, bool italic,
                         Qt::Alignment align, const QString& family) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(r);
    SetTag(l, tag);
    QFont f(family.isEmpty() ? QString(kFont) : family);
    f.setPixelSize(pixelSize);
    f.setItalic(italic);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    l->setAlignment(align);
    l->setAttribute(Qt::WA_TranslucentBackground, true);
    l->setMouseTracking(true);
    SetCursorNumber(l, -20);
    return l;
}

TBaseBtn* TMainForm::RoundButton(QWidget* parent, const char* name, int x, int y, int tag,
                                 const QString& hint) {
    auto* b = new TBaseBtn(parent);
    b->setObjectName(name);
    b->setGeometry(x, y, 32, 32);
    SetTag(b, tag);
    b->setToolTip(hint);
    b->FaceXOffset = b->FaceYOffset = 0.03125;
    b->ShadowXOffset = b->ShadowYOffset = 0.03125;
    b->FaceWidth = b->FaceHeight = 0.9375;
    b->CaptionXRound = b->CaptionYRound = 30;
    b->SetGlyphCentered(true);
    b->GlyphUpIsGlyphDown = true;
    b->SetBrush(kDarkBlue);
    b->ShadowColor = kDarkBlue;
    b->SetPen(QPen(kOrange, 1, Qt::DotLine));
    b->OnMouseIn = [this](QObject* s) { SBtnMouseIn(s); };
    b->OnMouseOut = [this](QObject* s) { SBtnMouseOut(s); };
    return b;
}

void TMainForm::BuildMainPage(QWidget* page) {
    MainBk = new TBkControl(page);
    MainBk->setObjectName("MainBk");
    MainBk->setGeometry(0, 0, 640, 460);
    MainBk->Background().SetPen(Qt::NoPen);
    MainBk->Background().SetBrush(Qt::NoBrush);
    MainBk->OnMouseMove = [this](QMouseEvent*) { BkMouseMove(); };

    SubTitleBk = new TShape(page);
    SubTitleBk->setObjectName("SubTitleBk");
    SubTitleBk->setGeometry(0, 198, 640, 55);
    SubTitleBk->BrushColor = QColor(190, 190, 171);
    SubTitleBk->PenColor = QColor(190, 190, 171);
    SubTitleBk->MaskMode = true;
    SubTitleBk->setAttribute(Qt::WA_TransparentForMouseEvents, true);

    MainSubTitle = Label(page, "MainSubTitle", QRect(430, 14, 196, 24), "Energie en kracht door",
                         52, 19, Qt::white, false, Qt::AlignRight | Qt::AlignTop);
    MainTitle = Label(page, "MainTitle", QRect(330, 30, 296, 80), "Orbelle", 53, 64, kOrange,
                      true, Qt::AlignRight | Qt::AlignTop);
    SubTitleLbl = Label(page, "SubTitleLbl", QRect(0, 198, 640, 55),
                        "Zelf kleur geven aan ornamenten uit 60 eeuwen", 54, 29, kCream, true,
                        Qt::AlignCenter);

    MainHistoryImg = Label(page, "MainHistoryImg", QRect(117, 41, 131, 132), QString(), 1100, 13,
                           Qt::white);
    MainHistoryLbl = Label(page, "MainHistoryLbl", QRect(255, 118, 260, 46), "Geschiedenis", 1100,
                           37, kMenuLabel);
    MainHistorySBtn = RoundButton(page, "MainHistorySBtn", 187, 51, 1101,
                                  "Mandala geschiedenis openen");
    MainHistorySBtnLbl = Label(page, "MainHistorySBtnLbl", QRect(223, 60, 120, 16),
                               "Geschiedenis", 1100, 13, Qt::white, false,
                               Qt::AlignLeft | Qt::AlignTop, "Arial");

    MainPaintImg = Label(page, "MainPaintImg", QRect(429, 284, 131, 132), QString(), 1300, 13,
                         Qt::white);
    MainPaintLbl = Label(page, "MainPaintLbl", QRect(150, 360, 270, 46), "Inkleuren", 1300, 37,
                         kMenuLabel, false, Qt::AlignRight | Qt::AlignTop);
    MainPaintSBtn = RoundButton(page, "MainPaintSBtn", 451, 300, 1301, "Zelf mandala's inkleuren");
    MainPaintSBtnLbl = Label(page, "MainPaintSBtnLbl", QRect(487, 309, 120, 16), "Inkleuren",
                             1300, 13, Qt::white, false, Qt::AlignLeft | Qt::AlignTop, "Arial");

    for (QLabel* l : {MainHistoryImg, MainPaintImg}) l->setProperty("Picture", true);
    for (QLabel* l : {MainHistoryImg, MainHistoryLbl, MainHistorySBtnLbl})
        l->setToolTip("Mandala geschiedenis openen");
    for (QLabel* l : {MainPaintImg, MainPaintLbl, MainPaintSBtnLbl})
        l->setToolTip("Zelf mandala's inkleuren");
    for (QLabel* l : {MainHistoryImg, MainHistoryLbl, MainHistorySBtnLbl, MainPaintImg,
                      MainPaintLbl, MainPaintSBtnLbl}) {
        l->installEventFilter(this);
        SetCursorNumber(l, -19);
    }
    for (QLabel* l : {MainSubTitle, MainTitle, SubTitleLbl}) l->installEventFilter(this);
    MainHistorySBtn->OnClick = [this](QObject* s) { MenuSBtnClick(s); };
    MainPaintSBtn->OnClick = [this](QObject* s) { MenuSBtnClick(s); };
    MainHistorySBtn->raise();
    MainPaintSBtn->raise();
}

void TMainForm::BuildHistoryPage(QWidget* page) {
    HistoryBk = new TBkControl(page);
    HistoryBk->setObjectName("HistoryBk");
    HistoryBk->setGeometry(0, 0, 640, 460);
    HistoryBk->Background().SetPen(Qt::NoPen);
    HistoryBk->Background().SetBrush(Qt::NoBrush);
    HistoryBk->OnMouseMove = [this](QMouseEvent*) { BkMouseMove(); };

    HistoryShapeBk = new TShape(page);
    HistoryShapeBk->setObjectName("HistoryShapeBk");
    HistoryShapeBk->setGeometry(15, 40, 610, 365);
    HistoryShapeBk->ShapeKind = TShape::Kind::RoundRect;
    HistoryShapeBk->BrushColor = QColor(200, 200, 215);
    HistoryShapeBk->PenColor = kOrange;
    HistoryShapeBk->MaskMode = false;
    HistoryShapeBk->BrushClear = true;
    HistoryShapeBk->setAttribute(Qt::WA_TransparentForMouseEvents, true);

    HistoryHeaderImage = Label(page, "HistoryHeaderImage", QRect(15, 6, 30, 30), QString(), 0, 13,
                               Qt::white);
    HistoryHeaderLbl = Label(page, "HistoryHeaderLbl", QRect(52, 8, 300, 28), "Geschiedenis", 2000,
                             22, kOrange, true);
    HistorySubTitle = Label(page, "HistorySubTitle", QRect(300, 408, 326, 18),
                            "Energie en kracht door", 52, 13, Qt::white, false,
                            Qt::AlignRight | Qt::AlignTop);
    HistoryTitle = Label(page, "HistoryTitle", QRect(300, 420, 326, 40), "Orbelle", 53, 30,
                         kOrange, true, Qt::AlignRight | Qt::AlignTop);
    ContentLstLbl = Label(page, "ContentLstLbl", QRect(30, 48, 260, 18), "Inhoud", 2100, 13,
                          Qt::white);

    ContentLst = new TContentOutline(page);
    ContentLst->setObjectName("ContentLst");
    SetTag(ContentLst, 2100);
    ContentLst->setGeometry(30, 68, 260, 323);
    ContentLst->OnClick = [this] { ContentLstClick(); };

    HistoryCtrl = new TMarkupScrollBox(page);
    HistoryCtrl->setObjectName("HistoryCtrl");
    SetTag(HistoryCtrl, 2200);
    HistoryCtrl->setGeometry(300, 66, 300, 323);
    // The text is white, so it sits on the same dark veil as the contents, with the
    // page's background showing through both.
    // No style sheet here: scaling the window re-applies style sheets, and that would
    // take the text's colour with it.
    HistoryCtrl->viewport()->setAutoFillBackground(false);
    QFont textFont("Palisade");
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

    HistoryBackSBtn = RoundButton(page, "HistoryBackSBtn", 12, 410, 2301,
                                  "Mandala geschiedenis afsluiten");
    HistoryBackSBtnLbl = Label(page, "HistoryBackSBtnLbl", QRect(48, 419, 100, 16), "Menu", 2300,
                               13, Qt::white, false, Qt::AlignLeft | Qt::AlignTop, "Arial");
    HistoryBackSBtnLbl->installEventFilter(this);
    SetCursorNumber(HistoryBackSBtnLbl, -19);
    for (QLabel* l : {HistoryTitle, HistorySubTitle, HistoryHeaderLbl}) l->installEventFilter(this);
    HistoryBackSBtn->OnClick = [this](QObject* s) { MenuSBtnClick(s); };
}

void TMainForm::BuildPaintPage(QWidget* page) {
    PaintBk = new TBkControl(page);
    PaintBk->setObjectName("PaintBk");
    PaintBk->setGeometry(0, 0, 640, 460);
    PaintBk->Background().SetPen(Qt::NoPen);
    PaintBk->Background().SetBrush(Qt::NoBrush);
    PaintBk->OnMouseMove = [this](QMouseEvent*) { BkMouseMove(); };

    PaintHeaderImage = Label(page, "PaintHeaderImage", QRect(4, 4, 30, 30), QString(), 0, 13,
                             Qt::white);
    PaintHeaderLbl = Label(page, "PaintHeaderLbl", QRect(4, 36, 90, 20), "Inkleuren", 4000, 15,
                           kOrange, true);
    PaintSubTitle = Label(page, "PaintSubTitle", QRect(480, 410, 153, 16), "Energie en kracht door",
                          52, 11, Qt::white, false, Qt::AlignRight | Qt::AlignTop);
    PaintTitle = Label(page, "PaintTitle", QRect(480, 422, 153, 36), "Orbelle", 53, 28, kOrange,
                       true, Qt::AlignRight | Qt::AlignTop);
    for (QLabel* l : {PaintTitle, PaintSubTitle, PaintHeaderLbl}) l->installEventFilter(this);

    MandalaPanelShape = new TShape(page);
    MandalaPanelShape->setObjectName("MandalaPanelShape");
    SetTag(MandalaPanelShape, 4400);
    MandalaPanelShape->setGeometry(40, 10, 430, 430);
    MandalaPanelShape->ShapeKind = TShape::Kind::Circle;
    MandalaPanelShape->BrushColor = Qt::black;
    MandalaPanelShape->PenColor = kOrange;
    MandalaPanelShape->PenWidth = 2;

    MandalaPanel = new QWidget(page);
    MandalaPanel->setObjectName("MandalaPanel");
    MandalaPanel->setGeometry(40, 10, 400, 400);  // made 430 x 430 at start-up
    MandalaPanel->setAutoFillBackground(true);
    QPalette mp = MandalaPanel->palette();
    mp.setColor(QPalette::Window, Qt::black);
    MandalaPanel->setPalette(mp);

    struct B {
        TBaseBtn** slot;
        const char* name;
        int x, y, tag;
        const char* hint;
    };
    const B buttons[] = {
        {&ZoomInSBtn, "ZoomInSBtn", 110, 10, 4216, "Mandala vergroten"},
        {&ZoomOutSBtn, "ZoomOutSBtn", 70, 40, 4215, "Mandala verkleinen"},
        {&FullScreenSBtn, "FullScreenSBtn", 40, 80, 4214,
         "Mandala volledig in het scherm weergeven"},
        {&OpenSBtn, "OpenSBtn", 370, 10, 4111, "Mandala openen"},
        {&SendToClipBrdSBtn, "SendToClipBrdSBtn", 412, 2, 4114,
         "Mandala naar het klembord kopieren"},
        {&SaveSBtn, "SaveSBtn", 410, 40, 4112, "Mandala bewaren"},
        {&SendToDesktopSBtn, "SendToDesktopSBtn", 448, 42, 4115,
         "Mandala als desktop-achtergrond instellen"},
        {&PrintSBtn, "PrintSBtn", 440, 80, 4113, "Mandala afdrukken"},
        {&OriginalSizeSBtn, "OriginalSizeSBtn", 40, 340, 4213,
         "Mandala op originele grootte weergeven"},
        {&MoveSBtn, "MoveSBtn", 70, 380, 4212, "Mandala verplaatsen"},
        {&CenterSBtn, "CenterSBtn", 110, 410, 4211, "Mandala centreren"},
        {&EyeDropperSBtn, "EyeDropperSBtn", 440, 340, 4311, "Kleur in de mandala kiezen"},
        {&PenSBtn, "PenSBtn", 410, 380, 4312, "Mandala inkleuren met pen"},
        {&PaintSBtn, "PaintSBtn", 370, 410, 4313, "Mandala inkleuren met verf"},
        {&UndoSBtn, "UndoSBtn", 442, 412, 4314, "Laatste aktie ongedaan maken"},
    };
    for (const B& b : buttons) {
        *b.slot = RoundButton(page, b.name, b.x, b.y, b.tag, b.hint);
        (*b.slot)->OnClick = [this](QObject* s) { SpeedBtnClick(s); };
    }

    PaintNotebook = new TNotebook(page);
    PaintNotebook->setObjectName("PaintNotebook");
    SetTag(PaintNotebook, 4300);
    PaintNotebook->setGeometry(493, 5, 140, 385);
    QWidget* filePage = PaintNotebook->AddPage("FilePage");
    BuildSizePage(PaintNotebook->AddPage("SizePage"));
    BuildColorPage(PaintNotebook->AddPage("ColorPage"));
    connect(PaintNotebook, &QStackedWidget::currentChanged, this,
            [this] { PaintNotebookPageChanged(); });

    SubjectLstLbl = Label(filePage, "SubjectLstLbl", QRect(5, 8, 130, 18), "Onderwerpen", 4151, 13,
                          Qt::white);
    SubjectLst = new QComboBox(filePage);
    SubjectLst->setObjectName("SubjectLst");
    SetTag(SubjectLst, 4100);
    SubjectLst->setGeometry(5, 28, 130, 22);
    MandalaLstLbl = Label(filePage, "MandalaLstLbl", QRect(5, 60, 130, 18), "Mandala's", 4152, 13,
                          Qt::white);
    MandalaLst = new QListWidget(filePage);
    MandalaLst->setObjectName("MandalaLst");
    SetTag(MandalaLst, 4100);
    MandalaLst->setGeometry(5, 80, 130, 300);
    MandalaLst->setFrameShape(QFrame::NoFrame);
    // Selected rows navy with white text; the open drop-down keeps the box's own colours.
    MandalaLst->setStyleSheet(
        "QListWidget { background: black; color: white; border: 1px solid rgb(255,153,51); }"
        "QListWidget::item { height: 16px; }"
        "QListWidget::item:selected { background: rgb(0,0,128); color: white; }");
    SubjectLst->setStyleSheet(
        "QComboBox { background: black; color: white; border: 1px solid rgb(255,153,51); }"
        "QComboBox QAbstractItemView { background: black; color: white; "
        "selection-background-color: rgb(0,0,128); selection-color: white; }");

    PaintTabSet = new QTabBar(page);
    PaintTabSet->setObjectName("PaintTabSet");
    // A Tag of its own without a record: the language file then translates the tabs.
    SetTag(PaintTabSet, 4370);
    PaintTabSet->setGeometry(492, 390, 140, 15);
    PaintTabSet->setDrawBase(false);
    PaintTabSet->setExpanding(true);
    PaintTabSet->setShape(QTabBar::TriangularSouth);
    for (const char* t : {"Mandala's", "Schalen", "Tekenen"}) PaintTabSet->addTab(t);
    PaintTabSet->setStyleSheet(
        "QTabBar { font-size: 8px; }"
        "QTabBar::tab { background: rgb(0,0,100); color: white; height: 14px; padding: 0 2px; "
        "border: 1px solid rgb(255,153,51); border-top: none; }"
        "QTabBar::tab:selected { background: rgb(255,153,51); color: rgb(0,0,100); }");
    connect(PaintTabSet, &QTabBar::tabBarClicked, this, [this](int i) { PaintTabSetClick(i); });
    // Arrow keys change the tab without a click: act as the click, and keep the strip in step
    // with the side page when the choice could not switch it.
    connect(PaintTabSet, &QTabBar::currentChanged, this, [this](int i) {
        if (tabSyncing_ || i == PaintNotebook->PageIndex()) return;
        PaintTabSetClick(i);
        QTimer::singleShot(0, this, [this] {
            if (PaintTabSet->currentIndex() != PaintNotebook->PageIndex())
                PaintNotebookPageChanged();
        });
    });

    PaintBackSBtn = RoundButton(page, "PaintBackSBtn", 4, 424, 4401,
                                "Zelf mandala's inkleuren afsluiten");
    PaintBackSBtnLbl = Label(page, "PaintBackSBtnLbl", QRect(39, 433, 60, 16), "Menu", 4400, 13,
                             Qt::white, false, Qt::AlignLeft | Qt::AlignTop, "Arial");
    PaintBackSBtnLbl->installEventFilter(this);
    SetCursorNumber(PaintBackSBtnLbl, -19);
    PaintBackSBtn->OnClick = [this](QObject* s) { MenuSBtnClick(s); };
}

// ---- TMainForm: start-up -------------------------------------------------------------

void TMainForm::FormCreate() {
    LngFileName = ProgramFolder() + "Orbelle.lng";
    setWindowTitle(kCaption);
    CaptionLbl->setText(kCaption);
    QApplication::setApplicationDisplayName("Orbelle");

    QDir::setCurrent(ProgramFolder());
    QDir().mkpath(UserFolder());
    // The loader reads at the display's depth: 16 or 256 colours dithered, else true colour.
    anImage->UseDisplayDepth(DisplayDepth());

    musicFile_.clear();
    Notebook->SetActivePage("Main");
    PaintNotebook->SetActivePage("FilePage");

    static const struct {
        int number;
        const char* name;
    } cursors[] = {{-23, "Help"},       {-24, "ZoomIn"},     {-25, "ZoomOut"},
                   {-26, "XHair1"},     {-27, "XHair2"},     {-28, "MovingHand"},
                   {-29, "PaintBrush"}, {-30, "Pen"},        {-31, "EyeDropper"}};
    for (const auto& c : cursors) RegisterCursor(c.number, LoadResourceCursor(c.name));
    QApplication::setOverrideCursor(Qt::WaitCursor);

    MandalaPanel->resize(430, 430);

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
        for (const char* name : {"SubjectLst", "MandalaLst", "ScaleListBox", "ScaleEdit",
                                 "BrushStyleLst", "HValue", "SValue", "VValue", "PenWidth"})
            if (auto* w = MainFormPanel->findChild<QWidget*>(QLatin1String(name))) w->setFont(pf);
        for (QWidget* w : MainFormPanel->findChildren<QWidget*>())
            if (!w->styleSheet().isEmpty()) w->setStyleSheet(ScaledStyleSheet(w->styleSheet(), m, d));
    }
    resize(windowSize);
    MainFormPanel->move((width() - MainFormPanel->width()) / 2,
                        (height() - MainFormPanel->height()) / 2);
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);

    MandalaPanel->setMask(QRegion(MandalaPanel->rect(), QRegion::Ellipse));

    // Round buttons are circles; header buttons fully rounded squares.
    for (TBaseBtn* b : RoundButtons()) {
        b->CaptionXRound = Trunc(b->width() * 0.9375);
        b->CaptionYRound = b->CaptionXRound;
    }
    for (TBaseBtn* b : {InfoSBtn, SoundSBtn, HelpSBtn, MinimizeSBtn, QuitSBtn}) {
        b->CaptionXRound = b->width();
        b->CaptionYRound = b->height();
    }

    LoadPictures();
    LoadGlyphs();

    FillSubjectList();
    FillMandalaList(true);
    connect(SubjectLst, &QComboBox::currentIndexChanged, this, [this] { SubjectLstChange(); });
    connect(MandalaLst, &QListWidget::itemClicked, this, [this] { MandalaLstClick(); });
    connect(MandalaLst, &QListWidget::currentRowChanged, this, [this](int row) {
        // Keyboard choices load too; a click loads once, through itemClicked.
        if (row >= 0 && MandalaLst->hasFocus() && !mandalaLstPressed_) MandalaLstClick();
    });
    MandalaLst->viewport()->installEventFilter(this);

    // Keys of the paint page; each acts as a click on its button when that is enabled.
    const struct {
        QKeySequence keys;
        TBaseBtn* button;
    } keys[] = {{QKeySequence(Qt::CTRL | Qt::Key_0), OriginalSizeSBtn},
                {QKeySequence(Qt::CTRL | Qt::Key_Z), UndoSBtn},
                {QKeySequence(Qt::CTRL | Qt::Key_S), SaveSBtn},
                {QKeySequence(Qt::CTRL | Qt::Key_O), OpenSBtn},
                {QKeySequence(Qt::CTRL | Qt::Key_P), PrintSBtn},
                {QKeySequence(Qt::CTRL | Qt::Key_C), SendToClipBrdSBtn}};
    RefreshPrinters();
    for (const auto& k : keys) {
        auto* sc = new QShortcut(k.keys, this);
        TBaseBtn* b = k.button;
        connect(sc, &QShortcut::activated, this, [this, b] {
            if (Notebook->ActivePage() == "Paint" && b->isEnabled()) SpeedBtnClick(b);
        });
    }

    // Initial drawing settings: each setting runs the change handler.
    HScroller->setValue(50);
    SScroller->setValue(50);
    VScroller->setValue(100);
    BrushStyleLst->blockSignals(true);
    BrushStyleLst->setCurrentIndex(0);
    BrushStyleLst->blockSignals(false);

    // Palette displays: everything is shown in the shared palette's colours.
    if (const Palette* pal = GetSharedPalette()) {
        paletteEffect_ = new PaletteDisplayEffect(*pal);
        MainFormPanel->setGraphicsEffect(paletteEffect_);
    }

    // The picture archive's directory and the text database.
    ArchiveIndex = LoadArchiveIndex(ProgramFile("orbelle.dat"));
    TextDatabase = std::make_unique<TiDbRecFile>();
    TextDatabase->LoadFromFile(ProgramFile("Mandala.dat"));
    TextDatabase->ActivateAll();

    QApplication::restoreOverrideCursor();
    MainFormReady = true;
    created_ = true;
}

void TMainForm::LoadPictures() {
    const SizeClass cls = CurrentSizeClass();
    const QString suffix = cls == SizeClass::Small    ? "6x4"
                           : cls == SizeClass::Medium ? "8x6"
                                                      : "10x7";
    const QString bkFile = ProgramFile("I/B/bk" + suffix);
    QImage bk;
    if (QFile::exists(bkFile)) bk = LoadPictureFile(bkFile);
    for (TBkControl* c : {MainBk, HistoryBk, PaintBk}) c->Background().SetImage(bk);

    const QString key = SizeClassKey(cls);
    auto pic = [&key](const char* name) {
        return QPixmap::fromImage(
            ResourcePng(QStringLiteral(":/pictures/%1/%2.png").arg(key, QLatin1String(name))));
    };
    const QString hsFile = ProgramFile("I/B/hs" + suffix);
    hsImage->SetImage(LoadPictureFile(hsFile));
    SetCursorNumber(hsImage, -31);
    MainHistoryImg->setPixmap(pic("MainHistoryImg"));
    MainPaintImg->setPixmap(pic("MainPaintImg"));
    HistoryHeaderImage->setPixmap(pic("HistoryHeaderImage"));
    PaintHeaderImage->setPixmap(pic("PaintHeaderImage"));
}

void TMainForm::LoadGlyphs() {
    const QString key = SizeClassKey(CurrentSizeClass());
    for (TBaseBtn* b : RoundButtons()) {
        b->GlyphUp = ResourcePng(QStringLiteral(":/glyphs/%1/%2.png").arg(key, b->objectName()));
        b->GlyphDisabled =
            ResourcePng(QStringLiteral(":/glyphs/%1/%2_disabled.png").arg(key, b->objectName()));
        b->update();
    }
}

QList<TBaseBtn*> TMainForm::RoundButtons() const {
    return {MainHistorySBtn,  MainPaintSBtn,     HistoryBackSBtn,    PaintBackSBtn,
            ZoomInSBtn,       ZoomOutSBtn,       FullScreenSBtn,     OpenSBtn,
            SendToClipBrdSBtn, SaveSBtn,         SendToDesktopSBtn,  PrintSBtn,
            OriginalSizeSBtn, MoveSBtn,          CenterSBtn,         EyeDropperSBtn,
            PenSBtn,          PaintSBtn,         UndoSBtn};
}

void TMainForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainForm::FormShow() {
    ApplyLanguage(this, "MainForm", LngFileName);
    FitLabelTexts(MainFormPanel);
    OpenDialog->setProperty("Title", GetLangText(20, "MainForm", LngFileName,
                                                 OpenDialog->property("Title").toString()));
    SaveDialog->setProperty("Title", GetLangText(30, "MainForm", LngFileName,
                                                 SaveDialog->property("Title").toString()));
    AboutBoxShowHook = [](TAboutBox* box) { ApplyLanguage(box, "MainForm", LngFileName); };
    musicFile_ = ProgramFile("A/Orbelle.wav");
    SoundSBtnClick();
    FreeIntro();
    UpdateStatus();
}

// ---- Navigation ----------------------------------------------------------------------

void TMainForm::MenuSBtnClick(QObject* sender) {
    if (sender == MainHistorySBtn || sender == MainHistoryImg || sender == MainHistoryLbl ||
        sender == MainHistorySBtnLbl) {
        // The table of contents of the current language, when the database has one.
        const QStringList lines = DatabaseLines("Content_");
        if (!lines.isEmpty()) {
            ContentLst->SetLines(lines);
            ContentLst->CollapseTopLevel();
            ContentLst->SetExpanded(1, true);
            ContentLst->SetSelected(std::min(2, ContentLst->Count()));
            ContentLstClick();
        }
        Notebook->SetActivePage("History");
    } else if (sender == MainPaintSBtn || sender == MainPaintImg || sender == MainPaintLbl ||
               sender == MainPaintSBtnLbl) {
        Notebook->SetActivePage("Paint");
        PaintNotebook->SetActivePage("FilePage");
        FillSubjectList();
        FillMandalaList(true);
    } else if (sender == HistoryBackSBtn || sender == HistoryBackSBtnLbl) {
        Notebook->SetActivePage("Main");
    } else if (sender == PaintBackSBtn || sender == PaintBackSBtnLbl) {
        AskSaveChanged();
        if (DetailWindowAlive) DetailWindow->FChanged = false;
        Notebook->SetActivePage("Main");
    }
    QApplication::processEvents();
    UpdateStatus();
}

void TMainForm::SBtnClick(QObject* sender) {
    const QString page = Notebook->ActivePage();
    if (page == "Main") {
        if (sender == MainHistoryImg || sender == MainHistorySBtnLbl || sender == MainHistoryLbl)
            MenuSBtnClick(MainHistorySBtn);
        else if (sender == MainPaintImg || sender == MainPaintSBtnLbl || sender == MainPaintLbl)
            MenuSBtnClick(MainPaintSBtn);
    } else if (page == "History") {
        if (sender == HistoryBackSBtnLbl) MenuSBtnClick(HistoryBackSBtn);
    } else if (page == "Paint") {
        if (sender == PaintBackSBtnLbl) MenuSBtnClick(PaintBackSBtn);
    }
}

// The colour of a round button follows its down state at once, so hovering shows it and
// leaving takes it back.
void TMainForm::ColourRoundButton(TBaseBtn* b) {
    if (b->isEnabled()) {
        b->SetBrush(b->ButtonIsDown() ? kLightBlue : kOrange);
        b->SetPen(Qt::NoPen);
    } else {
        b->SetBrush(kDarkBlue);
        b->SetPen(QPen(kOrange, 1, Qt::DotLine));
    }
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

void TMainForm::SBtnMouseMove(QObject* sender) {
    const QString page = Notebook->ActivePage();
    if (page == "Main") {
        if (sender == MainHistoryImg || sender == MainHistorySBtnLbl || sender == MainHistoryLbl)
            SBtnMouseIn(MainHistorySBtn);
        else if (sender == MainPaintImg || sender == MainPaintSBtnLbl || sender == MainPaintLbl)
            SBtnMouseIn(MainPaintSBtn);
    } else if (page == "History") {
        if (sender == HistoryBackSBtnLbl) SBtnMouseIn(HistoryBackSBtn);
    } else if (page == "Paint") {
        if (sender == PaintBackSBtnLbl) SBtnMouseIn(PaintBackSBtn);
    }
}

void TMainForm::BkMouseMove() {
    const QString page = Notebook->ActivePage();
    if (page == "Main") {
        SBtnMouseOut(MainHistorySBtn);
        SBtnMouseOut(MainPaintSBtn);
    } else if (page == "History") {
        SBtnMouseOut(HistoryBackSBtn);
    } else if (page == "Paint") {
        SBtnMouseOut(PaintBackSBtn);
    }
}

void TMainForm::NotebookPageChanged() {
    if (Notebook->ActivePage() == "Paint") {
        ShowDetailWindow(MandalaPanel, this);
        if (MandalaLst->count() > 0) {
            MandalaLst->setCurrentRow(0);
            MandalaLstClick();
        }
    }
    UpdateStatus();
}

void TMainForm::PaintNotebookPageChanged() {
    // A programmatic change is no click. A flag rather than disabling the strip, which would
    // take the keyboard focus away from it.
    tabSyncing_ = true;
    PaintTabSet->setCurrentIndex(PaintNotebook->PageIndex());
    tabSyncing_ = false;
}

void TMainForm::PaintTabSetClick(int index) {
    if (tabSyncing_ || !PaintTabSet->isEnabled()) return;
    switch (index) {
        case 0:
            if (DetailWindowAlive) SetCursorNumber(DetailWindow, 0);
            PaintNotebook->SetPageIndex(0);
            UpdateStatus();
            break;
        case 1:
            SpeedBtnClick(ZoomInSBtn);
            break;
        case 2:
            SpeedBtnClick(PaintSBtn);
            break;
        default:
            break;
    }
}

void TMainForm::SpeedBtnClick(QObject* sender) {
    auto* button = qobject_cast<QWidget*>(sender);
    if (!button) return;
    // A tool button: the painting window's cursor becomes the tool, and its side page shows.
    if (const TToolEntry* t = ToolByButton(button->objectName())) {
        if (DetailWindowAlive) {
            SetCursorNumber(DetailWindow, t->cursor);
            PaintNotebook->SetActivePage(t->sidePage);
        }
        UpdateStatus();
        return;
    }
    if (sender == UndoSBtn) {
        if (DetailWindowAlive) {
            DetailWindow->Undo();
            PaintNotebook->SetActivePage("ColorPage");
        }
    } else if (sender == OriginalSizeSBtn || sender == CenterSBtn || sender == FullScreenSBtn) {
        if (DetailWindowAlive) {
            if (sender == OriginalSizeSBtn)
                OriginalSize();
            else if (sender == CenterSBtn)
                Center();
            else if (DetailWindow->Document().HasPicture())
                ShowFullScreen(DetailWindow->FPicture);
            PaintNotebook->SetActivePage("SizePage");
        }
    } else if (sender == OpenSBtn || sender == SaveSBtn || sender == PrintSBtn ||
               sender == SendToClipBrdSBtn || sender == SendToDesktopSBtn) {
        PaintNotebook->SetActivePage("FilePage");
        RunFileCommand(sender);
        if (DetailWindowAlive) SetCursorNumber(DetailWindow, crHelpArrow);
        // The pointer may have left while a dialog was open.
        if (auto* b = qobject_cast<TBaseBtn*>(sender); b && !b->underMouse())
            b->SetButtonIsDown(false);
    }
    UpdateStatus();
}

// ---- Status --------------------------------------------------------------------------

void TMainForm::UpdateStatus() {
    const bool ready = DetailWindowAlive && !DetailWindow->FPicture.isNull() &&
                       SubjectLst->count() > 0 && MandalaLst->count() > 0 &&
                       MandalaLst->currentRow() >= 0;
    OpenSBtn->setEnabled(true);
    SaveSBtn->setEnabled(ready && DetailWindow->FChanged);
    PrintSBtn->setEnabled(ready && !printers_.isEmpty());
    SendToClipBrdSBtn->setEnabled(ready);
    for (TBaseBtn* b : {SendToDesktopSBtn, EyeDropperSBtn, PenSBtn, PaintSBtn, CenterSBtn,
                        MoveSBtn, OriginalSizeSBtn, FullScreenSBtn, ZoomOutSBtn, ZoomInSBtn})
        b->setEnabled(ready);
    UndoSBtn->setEnabled(SaveSBtn->isEnabled() && DetailWindowAlive &&
                         DetailWindow->FUndoPicture.width() >= 1 &&
                         DetailWindow->FUndoPicture.height() > 0);

    const int cursor = DetailWindowAlive ? CursorNumber(DetailWindow) : 0;
    auto hot = [](TBaseBtn* b, bool v) {
        v = v && b->isEnabled();
        b->SetButtonIsHot(v);
        b->SetButtonIsDown(v);
    };
    for (const TToolEntry& t : ToolTable())
        if (auto* b = findChild<TBaseBtn*>(QLatin1String(t.button))) hot(b, cursor == t.cursor);
    hot(CenterSBtn,
        DetailWindowAlive && DetailWindow->FOffsetX == 0 && DetailWindow->FOffsetY == 0);
    hot(OriginalSizeSBtn, DetailWindowAlive && DetailWindow->FZoom == 1000);

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
    Out().OpenUrl(HelpUrl(LngID));
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
    if (Notebook->ActivePage() == "Paint") AskSaveChanged();
    if (DetailWindowAlive) DetailWindow->FChanged = false;
    UpdateStatus();
    quitting_ = true;
    close();
}

void TMainForm::Activate() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void TMainForm::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
}

bool TMainForm::eventFilter(QObject* o, QEvent* e) {
    if (o == ScaleEdit) {
        if (e->type() == QEvent::KeyRelease) {
            auto* ke = static_cast<QKeyEvent*>(e);
            ScaleEditKeyUp(ke->key(), ke->modifiers() & ~Qt::KeypadModifier);
        }
        return false;
    }
    if (MandalaLst && o == MandalaLst->viewport()) {
        if (e->type() == QEvent::MouseButtonPress) mandalaLstPressed_ = true;
        if (e->type() == QEvent::MouseButtonRelease) mandalaLstPressed_ = false;
        return false;
    }
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
    if (e->type() == QEvent::MouseMove) {
        if (o == MainTitle || o == MainSubTitle || o == SubTitleLbl || o == HistoryTitle ||
            o == HistorySubTitle || o == HistoryHeaderLbl || o == PaintTitle ||
            o == PaintSubTitle || o == PaintHeaderLbl)
            BkMouseMove();
        else
            SBtnMouseMove(o);
    } else if (e->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(e);
        auto* w = qobject_cast<QWidget*>(o);
        if (me->button() == Qt::LeftButton && w && w->rect().contains(me->position().toPoint()))
            SBtnClick(o);
    }
    return false;
}

// ---- Shutdown ------------------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* e) {
    // Closed by the window manager, Alt+F4 or a second start with "uninstall": the same
    // prompt as the quit button, so a changed drawing is never dropped unasked.
    if (!quitting_ && MainFormReady) {
        if (Notebook->ActivePage() == "Paint") AskSaveChanged();
        if (DetailWindowAlive) DetailWindow->FChanged = false;
        quitting_ = true;
    }
    FormCloseQuery();
    e->accept();
}

void TMainForm::FormCloseQuery() {
    if (!MainFormReady) return;
    MainFormReady = false;
    TextDatabase.reset();
    ArchiveIndex.reset();
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
    MainFormReady = false;
}

QImage TMainForm::Render() {
    QImage img(size(), QImage::Format_ARGB32);
    img.fill(palette().color(QPalette::Window));
    render(&img);
    return img;
}

}  // namespace orb

namespace orb {
// Shows the page of the selected contents entry; an empty page when it has none.
void TMainForm::ContentLstClick() {
    if (!HistoryMarkup) return;
    QString text;
    if (ContentLst->Selected() > 0 && TextDatabase) {
        const QString key = ContentLst->SelectedKey();
        QByteArray value;
        if (TextDatabase->FindValue(ToCp1252(key + "_" + QString::number(LngID) + "|||"), value))
            text = FromCp1252(value);
    }
    HistoryMarkup->SetArchive(ArchiveIndex.get());
    HistoryMarkup->SetMarkupText(text);
}
}  // namespace orb
