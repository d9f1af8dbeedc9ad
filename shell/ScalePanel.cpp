// The scale panel ("Schalen" side page): the scale edit and list, and the view commands of
// the paint page (original size, centre, full screen).
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "paint/MaxZoom.h"
#include "paint/PaintSession.h"
#include "platform/Tags.h"
#include "shell/Page.h"
#include "shell/PaintPanels.h"

namespace orb {

namespace {
// A scale text as a whole percentage: every "%" and space removed; 0 when it does not parse.
int ScaleNumber(QString text) {
    text.remove('%');
    text.remove(' ');
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? n : 0;
}

QString ScaleText(int zoom) { return QString::number(zoom / 10) + "%"; }
}  // namespace

TScalePanel::TScalePanel(const TPaintContext& ctx, QWidget* page) : ctx_(ctx) {
    auto [shape, title] = MakeSideHeading(page, "ScaleShape", "ScaleTitle", "Schalen", 4251);
    ScaleShape = shape;
    ScaleTitle = title;

    // Given its own font before it joins the page: an edit lays out its text in every font
    // it is given, and each new font is loaded, so it does not pass through the page's.
    ScaleEdit = new QLineEdit;
    QFont lf("Arial");
    lf.setPixelSize(12);
    ScaleEdit->setFont(lf);  // an own font, so the size class scales it
    ScaleEdit->setText("100%");
    ScaleEdit->setParent(page);
    ScaleEdit->setObjectName("ScaleEdit");
    SetTag(ScaleEdit, 4200);
    ScaleEdit->setGeometry(10, 60, 120, 22);
    ScaleEdit->setFrame(false);
    ScaleEdit->installEventFilter(this);

    ScaleListBox = new QListWidget(page);
    ScaleListBox->setObjectName("ScaleListBox");
    SetTag(ScaleListBox, 4200);
    ScaleListBox->setGeometry(10, 90, 120, 300);
    ScaleListBox->setFrameShape(QFrame::NoFrame);
    ScaleListBox->setFont(lf);
    for (const char* t : {"10 %", "25%", "50%", "75%", "100%", "125%", "150%", "175%", "200%",
                          "250%", "300%", "400%", "500%", "750%", "1000%"})
        ScaleListBox->addItem(t);
    SetDesignStyleSheet(ScaleListBox,
                        "QListWidget { background: black; color: white; }"
                        "QListWidget::item { height: 16px; }"
                        "QListWidget::item:selected { background: rgb(0,0,100); color: white; }");
    ScaleListBox->setCurrentRow(4);
    connect(ScaleListBox, &QListWidget::itemClicked, this, [this] { ScaleListBoxClick(); });
    connect(ScaleListBox, &QListWidget::currentRowChanged, this, [this](int row) {
        // Arrow keys choose a scale as a click does.
        if (row >= 0 && ScaleListBox->hasFocus()) ScaleListBoxClick();
    });
}

bool TScalePanel::eventFilter(QObject* o, QEvent* e) {
    if (o == ScaleEdit && e->type() == QEvent::KeyRelease) {
        auto* ke = static_cast<QKeyEvent*>(e);
        ScaleEditKeyUp(ke->key(), ke->modifiers() & ~Qt::KeypadModifier);
    }
    return false;
}

void TScalePanel::SelectScaleEntry(const QString& text) {
    const QSignalBlocker block(ScaleListBox);
    for (int i = 1; i < ScaleListBox->count(); ++i)
        if (ScaleListBox->item(i)->text().compare(text, Qt::CaseInsensitive) == 0) {
            ScaleListBox->setCurrentRow(i);
            return;
        }
    ScaleListBox->setCurrentRow(-1);
    ScaleListBox->clearSelection();
}

void TScalePanel::ResetScaleDisplay() {
    const QSignalBlocker block(ScaleListBox);
    ScaleListBox->setCurrentRow(4);
    ScaleEdit->setText("100%");
}

void TScalePanel::SyncScaleDisplay() {
    if (!ctx_.Alive()) return;
    const QString text = ScaleText(ctx_.Session.Zoom());
    ScaleEdit->setText(text);
    SelectScaleEntry(text);
}

void TScalePanel::ScaleListBoxClick() {
    if (!ctx_.Alive()) {
        ResetScaleDisplay();
    } else if (QListWidgetItem* item = ScaleListBox->currentItem();
               item && ScaleListBox->currentRow() >= 0) {
        // An entry that does not read as a number (a language file's text) leaves the view.
        const int n = ScaleNumber(item->text());
        if (n > 0) {
            ScaleEdit->setText(item->text());
            ctx_.Session.SetZoom(n * 10);
        } else {
            SyncScaleDisplay();
        }
    }
    ctx_.UpdateStatus();
}

void TScalePanel::ScaleEditKeyUp(int key, Qt::KeyboardModifiers modifiers) {
    if (ctx_.Alive() && modifiers == Qt::NoModifier) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const int n = ScaleNumber(ScaleEdit->text());
            if (n <= 0 || n > 1000) {
                // Refused: the selected entry's text, or the scale shown now without one.
                if (QListWidgetItem* item = ScaleListBox->currentItem();
                    item && ScaleListBox->currentRow() >= 0)
                    ScaleEdit->setText(item->text());
                else
                    ScaleEdit->setText(ScaleText(ctx_.Session.Zoom()));
            } else {
                ScaleEdit->setText(QString::number(n) + "%");
                SelectScaleEntry(ScaleEdit->text());
                ctx_.Session.SetZoom(n * 10);
            }
        }
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        ResetScaleDisplay();
    }
    ctx_.UpdateStatus();
}

void TScalePanel::OriginalSize() {
    if (!ctx_.Alive()) return;
    ctx_.Session.SetZoom(1000);
    {
        const QSignalBlocker block(ScaleListBox);
        ScaleListBox->setCurrentRow(4);
    }
    ScaleListBoxClick();
}

void TScalePanel::Center() {
    if (ctx_.Alive()) ctx_.Session.Centre();
}

void TScalePanel::ShowFullScreen(const QImage& picture) {
    orb::ShowFullScreen(picture, ctx_.Host.Window());
    ctx_.UpdateStatus();
}

}  // namespace orb
