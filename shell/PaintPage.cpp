#include "shell/PaintPage.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QScrollBar>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>

#include "library/PictureImage.h"
#include "paint/ProImg.h"
#include "paint/Tools.h"
#include "platform/Cursors.h"
#include "platform/Paths.h"
#include "platform/Tags.h"
#include "shell/Bk.h"
#include "shell/ColorPage.h"
#include "shell/MMBtns.h"
#include "shell/Main.h"
#include "shell/Pictures.h"

namespace orb {

using namespace look;

TPaintPage::TPaintPage(TMainForm& form, QWidget* page) : TPage(form, page) {
    PaintBk = Background("PaintBk");

    PaintHeaderImage = Label("PaintHeaderImage", QRect(4, 4, 30, 30), QString(), 0, 13, Qt::white);
    PaintHeaderLbl = Label("PaintHeaderLbl", QRect(4, 36, 90, 20), "Inkleuren", 4000, 15, kOrange,
                           true);
    PaintSubTitle = Label("PaintSubTitle", QRect(480, 410, 153, 16), "Energie en kracht door", 52,
                          11, Qt::white, false, Qt::AlignRight | Qt::AlignTop);
    PaintTitle = Label("PaintTitle", QRect(480, 422, 153, 36), "Orbelle", 53, 28, kOrange, true,
                       Qt::AlignRight | Qt::AlignTop);
    for (QLabel* l : {PaintTitle, PaintSubTitle, PaintHeaderLbl}) WatchTitle(l);

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
    MandalaPanel->setGeometry(40, 10, 430, 430);
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

    SubjectLstLbl = MakeLabel(filePage, "SubjectLstLbl", QRect(5, 8, 130, 18), "Onderwerpen", 4151,
                              13, Qt::white);
    SubjectLst = new QComboBox(filePage);
    SubjectLst->setObjectName("SubjectLst");
    SetTag(SubjectLst, 4100);
    SubjectLst->setGeometry(5, 28, 130, 22);
    MandalaLstLbl = MakeLabel(filePage, "MandalaLstLbl", QRect(5, 60, 130, 18), "Mandala's", 4152,
                              13, Qt::white);
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
    PaintBackSBtnLbl = Label("PaintBackSBtnLbl", QRect(39, 433, 60, 16), "Menu", 4400, 13,
                             Qt::white, false, Qt::AlignLeft | Qt::AlignTop, "Arial");
    WatchButtonLabel(PaintBackSBtnLbl);
    TMainForm* f = &Form;
    PaintBackSBtn->OnClick = [f](QObject* s) { f->MenuSBtnClick(s); };
    PaintNotebook->SetActivePage("FilePage");
}

void TPaintPage::Start() {
    MandalaPanel->setMask(QRegion(MandalaPanel->rect(), QRegion::Ellipse));

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
        // Window-wide shortcuts, acting only while this page is the one shown.
        auto* sc = new QShortcut(k.keys, &Form);
        TBaseBtn* b = k.button;
        connect(sc, &QShortcut::activated, this, [this, b] {
            if (PageWidget()->isVisible() && b->isEnabled()) SpeedBtnClick(b);
        });
    }

    // Initial drawing settings: each setting runs the change handler.
    HScroller->setValue(50);
    SScroller->setValue(50);
    VScroller->setValue(100);
    BrushStyleLst->blockSignals(true);
    BrushStyleLst->setCurrentIndex(0);
    BrushStyleLst->blockSignals(false);
}

void TPaintPage::Enter() {
    PaintNotebook->SetActivePage("FilePage");
    FillSubjectList();
    FillMandalaList(true);
}

void TPaintPage::Shown() {
    ShowDetailWindow(MandalaPanel, this);
    if (MandalaLst->count() > 0) {
        MandalaLst->setCurrentRow(0);
        MandalaLstClick();
    }
}

void TPaintPage::Leave() {
    AskSaveChanged();
    if (DetailWindowAlive) DetailWindow->FChanged = false;
}

QList<TBaseBtn*> TPaintPage::RoundButtons() const {
    return {PaintBackSBtn,     ZoomInSBtn,       ZoomOutSBtn,       FullScreenSBtn,
            OpenSBtn,          SendToClipBrdSBtn, SaveSBtn,          SendToDesktopSBtn,
            PrintSBtn,         OriginalSizeSBtn, MoveSBtn,          CenterSBtn,
            EyeDropperSBtn,    PenSBtn,          PaintSBtn,         UndoSBtn};
}

void TPaintPage::LoadPictures(const QImage& background, const QString& sizeKey) {
    PaintBk->Background().SetImage(background);
    const QString suffix = SizeClassFileSuffix(CurrentSizeClass());
    hsImage->SetImage(LoadPictureFile(ProgramFile("I/B/hs" + suffix)));
    SetCursorNumber(hsImage, crEyeDropper);
    PaintHeaderImage->setPixmap(QPixmap::fromImage(
        ResourcePng(QStringLiteral(":/pictures/%1/PaintHeaderImage.png").arg(sizeKey))));
}

void TPaintPage::BkMouseMove() { Form.SBtnMouseOut(PaintBackSBtn); }

void TPaintPage::SBtnClick(QObject* sender) {
    if (IsBackChoice(sender)) Form.MenuSBtnClick(PaintBackSBtn);
}

void TPaintPage::SBtnMouseMove(QObject* sender) {
    if (IsBackChoice(sender)) Form.SBtnMouseIn(PaintBackSBtn);
}

bool TPaintPage::eventFilter(QObject* o, QEvent* e) {
    if (o == ScaleEdit) {
        if (e->type() == QEvent::KeyRelease) {
            auto* ke = static_cast<QKeyEvent*>(e);
            ScaleEditKeyUp(ke->key(), ke->modifiers() & ~Qt::KeypadModifier);
        }
        return false;
    }
    if (o == MandalaLst->viewport()) {
        if (e->type() == QEvent::MouseButtonPress) mandalaLstPressed_ = true;
        if (e->type() == QEvent::MouseButtonRelease) mandalaLstPressed_ = false;
        return false;
    }
    return TPage::eventFilter(o, e);
}

// ---- Tools and side pages -------------------------------------------------------------

void TPaintPage::PaintNotebookPageChanged() {
    // A programmatic change is no click. A flag rather than disabling the strip, which would
    // take the keyboard focus away from it.
    tabSyncing_ = true;
    PaintTabSet->setCurrentIndex(PaintNotebook->PageIndex());
    tabSyncing_ = false;
}

void TPaintPage::PaintTabSetClick(int index) {
    if (tabSyncing_ || !PaintTabSet->isEnabled()) return;
    switch (index) {
        case 0:
            if (DetailWindowAlive) SetCursorNumber(DetailWindow, crNone);
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

void TPaintPage::SpeedBtnClick(QObject* sender) {
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

void TPaintPage::UpdateStatus() { Form.UpdateStatus(); }

void TPaintPage::UpdateButtons() {
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
        if (auto* b = PageWidget()->findChild<TBaseBtn*>(QLatin1String(t.button)))
            hot(b, cursor == t.cursor);
    hot(CenterSBtn,
        DetailWindowAlive && DetailWindow->FOffsetX == 0 && DetailWindow->FOffsetY == 0);
    hot(OriginalSizeSBtn, DetailWindowAlive && DetailWindow->FZoom == 1000);
}

}  // namespace orb

namespace orb {
bool TPaintPage::IsBackChoice(QObject* o) const {
    return o && (o == PaintBackSBtn || o == PaintBackSBtnLbl);
}
}  // namespace orb
