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
#include "platform/StartupStages.h"
#include "platform/Tags.h"
#include "shell/Bk.h"
#include "paint/DtlWin.h"
#include "shell/ColorPage.h"
#include "shell/MMBtns.h"
#include "shell/Pictures.h"
#include "shell/TabStrip.h"

namespace orb {

using namespace look;

TPaintPage::TPaintPage(TPageHost& host, QWidget* page) : TPage(host, page) {
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
    // The painting window inside draws the opening and its rim smooth, over the shape.
    MandalaPanel->setProperty("OpeningRim", double(MandalaPanelShape->PenWidth));
    MandalaPanel->setProperty("OpeningRimColour", MandalaPanelShape->PenColor);

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
    connect(PaintNotebook, &QStackedWidget::currentChanged, this,
            [this] { PaintNotebookPageChanged(); });
    // What a mouse action on the painting window changed shows in the scale and the buttons.
    connect(&session_, &TPaintSession::statusChanged, this, [this] {
        if (Scale) Scale->SyncScaleDisplay();
        Host.UpdateStatus();
    });
    connect(&session_, &TPaintSession::colourPicked, this, [this](const QColor& c) {
        if (Colour) Colour->ColourPicked(c);
    });

    PaintTabSet = new TTabStrip(page);
    PaintTabSet->setObjectName("PaintTabSet");
    // A Tag of its own without a record: the language file then translates the tabs.
    SetTag(PaintTabSet, 4370);
    PaintTabSet->setGeometry(490, 389, 144, 17);
    for (const char* t : {"Mandala's", "Schalen", "Tekenen"}) PaintTabSet->addTab(t);
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
    TPageHost* h = &Host;
    PaintBackSBtn->OnClick = [h](QObject* s) { h->MenuSBtnClick(s); };
}

void TPaintPage::BuildSidePages() {
    if (SidePagesBuilt()) return;
    const TPaintContext ctx{Host, session_, MandalaPanel};
    Catalogue = new TCataloguePanel(ctx, PaintNotebook->AddPage("FilePage"));
    Scale = new TScalePanel(ctx, PaintNotebook->AddPage("SizePage"));
    Colour = new TColourPanel(ctx, PaintNotebook->AddPage("ColorPage"));
    Files = new TFileCommands(
        ctx, {OpenSBtn, SaveSBtn, PrintSBtn, SendToClipBrdSBtn, SendToDesktopSBtn}, *Catalogue);
    Catalogue->Connect(Files);
    connect(Catalogue, &TCataloguePanel::drawingShown, Scale, &TScalePanel::ResetScaleDisplay);
    for (QObject* panel : std::initializer_list<QObject*>{Catalogue, Scale, Colour, Files})
        panel->setParent(this);
    PaintNotebook->SetActivePage("FilePage");
}

void TPaintPage::StartSidePages() {
    Catalogue->Start();
    Colour->Start();
}

TPaintPage::~TPaintPage() {
    // The painting window shows this page's session: it goes first.
    if (TDetailWindow* w = DetailWindow(); w && &w->Session() == &session_) delete w;
}

void TPaintPage::Start() {
    // The mask only keeps clicks off the corners: it reaches past the circle, so the
    // antialiased edge the painting window draws is not cut into steps.
    MandalaPanel->setMask(QRegion(MandalaPanel->rect().adjusted(-2, -2, 2, 2), QRegion::Ellipse));

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
    for (const auto& k : keys) {
        // Window-wide shortcuts, acting only while this page is the one shown.
        auto* sc = new QShortcut(k.keys, Host.Window());
        TBaseBtn* b = k.button;
        connect(sc, &QShortcut::activated, this, [this, b] {
            if (PageWidget()->isVisible() && b->isEnabled()) SpeedBtnClick(b);
        });
    }
    if (SidePagesBuilt()) StartSidePages();

    recovery_ = new TRecovery(
        session_,
        [this] {
            TRecovery::TPlace p;
            if (!SidePagesBuilt()) return p;  // no drawing can have been shown yet
            p.Subject = Catalogue->SubjectLst->currentIndex();
            p.Row = Catalogue->MandalaLst->currentRow();
            if (QListWidgetItem* item = Catalogue->MandalaLst->currentItem()) p.Name = item->text();
            p.SaveFile = Files->SaveFileName;
            p.SaveFolder = Files->SaveInitialDir;
            return p;
        },
        this);
}

void TPaintPage::Restore(const TRecovery::TFound& found) {
    const TRecovery::TPlace& p = found.Place;
    Catalogue->ShowPlace(p.Subject, p.Row, p.Name);
    ShowDetailWindow(MandalaPanel, session_);
    session_.LoadPicture(found.Picture);
    session_.MarkChanged();
    Files->SaveFileName = p.SaveFile;
    Files->SaveInitialDir = p.SaveFolder.isEmpty() ? UserFolder() : p.SaveFolder;
    Host.UpdateStatus();
}

void TPaintPage::AfterFirstFrame() {
    if (!Files) return;
    stages::Stage s("printer list");
    Files->RefreshPrinters();
}

void TPaintPage::Enter() {
    PaintNotebook->SetActivePage("FilePage");
    Catalogue->FillSubjectList();
    Catalogue->FillMandalaList(true);
}

void TPaintPage::Shown() {
    ShowDetailWindow(MandalaPanel, session_);
    if (Catalogue->MandalaLst->count() > 0) {
        Catalogue->MandalaLst->setCurrentRow(0);
        Catalogue->MandalaLstClick();
    }
}

bool TPaintPage::Leave() {
    if (Files && !Files->AskSaveChanged()) return false;
    DeclineChanges();  // answered: asked no more
    return true;
}

bool TPaintPage::HasUnsavedDrawing() const { return DetailWindowAlive() && session_.Changed(); }

void TPaintPage::DeclineChanges() {
    if (DetailWindowAlive()) session_.MarkSaved();
}

bool TPaintPage::SessionEnding(bool mayAsk) {
    if (!HasUnsavedDrawing()) return true;
    if (!Files) return true;
    if (mayAsk) {
        if (!Files->AskSaveChanged()) return false;
        session_.MarkSaved();  // answered: the close that follows asks no more
    } else {
        Files->SaveForLogout();
    }
    return true;
}

QList<TBaseBtn*> TPaintPage::RoundButtons() const {
    return {PaintBackSBtn,     ZoomInSBtn,       ZoomOutSBtn,       FullScreenSBtn,
            OpenSBtn,          SendToClipBrdSBtn, SaveSBtn,          SendToDesktopSBtn,
            PrintSBtn,         OriginalSizeSBtn, MoveSBtn,          CenterSBtn,
            EyeDropperSBtn,    PenSBtn,          PaintSBtn,         UndoSBtn};
}

void TPaintPage::LoadPictures(const QImage& background, const QString& sizeKey) {
    PaintBk->Background().SetImage(background);
    if (SidePagesBuilt()) LoadSidePictures();
    PaintHeaderImage->setPixmap(QPixmap::fromImage(
        ResourcePng(QStringLiteral(":/pictures/%1/PaintHeaderImage.png").arg(sizeKey))));
}

void TPaintPage::LoadSidePictures() {
    const QString suffix = SizeClassFileSuffix(CurrentSizeClass());
    Colour->hsImage->SetImage(LoadPictureFile(ProgramFile("I/B/hs" + suffix)));
    SetCursorNumber(Colour->hsImage, crEyeDropper);
}

void TPaintPage::BkMouseMove() { Host.SBtnMouseOut(PaintBackSBtn); }

void TPaintPage::SBtnClick(QObject* sender) {
    if (IsBackChoice(sender)) Host.MenuSBtnClick(PaintBackSBtn);
}

void TPaintPage::SBtnMouseMove(QObject* sender) {
    if (IsBackChoice(sender)) Host.SBtnMouseIn(PaintBackSBtn);
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
            if (DetailWindowAlive()) session_.SetTool(crNone);
            PaintNotebook->SetPageIndex(0);
            Host.UpdateStatus();
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
    if (!button || !SidePagesBuilt()) return;
    const bool alive = DetailWindowAlive();
    // A tool button: the session's tool (the painting window's cursor) becomes the tool, and
    // its side page shows.
    if (const TToolEntry* t = ToolByButton(button->objectName())) {
        if (alive) {
            session_.SetTool(t->cursor);
            PaintNotebook->SetActivePage(t->sidePage);
        }
        Host.UpdateStatus();
        return;
    }
    if (sender == UndoSBtn) {
        if (alive) {
            session_.Undo();
            PaintNotebook->SetActivePage("ColorPage");
        }
    } else if (sender == OriginalSizeSBtn || sender == CenterSBtn || sender == FullScreenSBtn) {
        if (alive) {
            if (sender == OriginalSizeSBtn)
                Scale->OriginalSize();
            else if (sender == CenterSBtn)
                Scale->Center();
            else if (session_.HasPicture())
                Scale->ShowFullScreen(session_.Picture());
            PaintNotebook->SetActivePage("SizePage");
        }
    } else if (Files->IsCommand(sender)) {
        PaintNotebook->SetActivePage("FilePage");
        Files->Run(sender);
        if (DetailWindowAlive()) session_.SetTool(crHelpArrow);
        // The pointer may have left while a dialog was open.
        if (auto* b = qobject_cast<TBaseBtn*>(sender); b && !b->underMouse())
            b->SetButtonIsDown(false);
    }
    Host.UpdateStatus();
}

void TPaintPage::UpdateButtons() {
    const bool alive = DetailWindowAlive();
    const bool ready =
        alive && !session_.Picture().isNull() && SidePagesBuilt() && Catalogue->HasChoice();
    OpenSBtn->setEnabled(true);
    SaveSBtn->setEnabled(ready && session_.Changed());
    PrintSBtn->setEnabled(ready && Files->HasPrinters());
    SendToClipBrdSBtn->setEnabled(ready);
    for (TBaseBtn* b : {SendToDesktopSBtn, EyeDropperSBtn, PenSBtn, PaintSBtn, CenterSBtn,
                        MoveSBtn, OriginalSizeSBtn, FullScreenSBtn, ZoomOutSBtn, ZoomInSBtn})
        b->setEnabled(ready);
    const QImage& undo = session_.Document().UndoPicture();
    UndoSBtn->setEnabled(SaveSBtn->isEnabled() && alive && undo.width() >= 1 &&
                         undo.height() > 0);

    const int cursor = alive ? session_.Tool() : 0;
    auto hot = [](TBaseBtn* b, bool v) {
        v = v && b->isEnabled();
        b->SetButtonIsHot(v);
        b->SetButtonIsDown(v);
    };
    for (const TToolEntry& t : ToolTable())
        if (auto* b = PageWidget()->findChild<TBaseBtn*>(QLatin1String(t.button)))
            hot(b, cursor == t.cursor);
    hot(CenterSBtn, alive && session_.OffsetX() == 0 && session_.OffsetY() == 0);
    hot(OriginalSizeSBtn, alive && session_.Zoom() == 1000);
}

}  // namespace orb

namespace orb {
bool TPaintPage::IsBackChoice(QObject* o) const {
    return o && (o == PaintBackSBtn || o == PaintBackSBtnLbl);
}
}  // namespace orb
