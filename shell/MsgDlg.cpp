#include "shell/MsgDlg.h"

#include "platform/Cursors.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

#include "platform/Outward.h"
#include "platform/Paths.h"
#include "shell/Basics.h"
#include "shell/Bk.h"
#include "shell/LangState.h"
#include "shell/LanguageTexts.h"
#include "shell/MMBtns.h"
#include "shell/Pictures.h"

namespace orb {

namespace {
// The window a dialog belongs to: the active one, else the largest visible window.
QWidget* OwnerWindow() {
    if (QWidget* w = QApplication::activeWindow()) return w;
    QWidget* best = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->isMinimized() && !qobject_cast<QDialog*>(w) &&
            (!best || w->width() * w->height() > best->width() * best->height()))
            best = w;
    return best;
}

// Long words such as paths may break after a separator.
QString Breakable(QString text) {
    text.replace('/', QStringLiteral("/\u200B"));
    text.replace('\\', QStringLiteral("\\\u200B"));
    return text;
}
}  // namespace

void StyleDialogButton(TBaseBtn* b) {
    b->SetBrush(QColor(0, 0, 100));
    b->SetPen(QPen(QColor(255, 153, 51), 1, Qt::DotLine));
    b->CaptionXOffset = b->CaptionYOffset = 0.1;
    b->CaptionXRound = b->CaptionYRound = 16;
    b->FaceWidth = b->FaceHeight = 1.0;
    b->FaceXOffset = b->FaceYOffset = 0;
    b->ShadowColor = QColor(0, 0, 100);
    b->ShadowXOffset = 0.02;
    b->ShadowYOffset = 0.05;
    b->CaptionPenVisible = false;
    QPalette pal = b->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    b->setPalette(pal);
    // The caption is underlined while the mouse is over an enabled button.
    b->OnMouseIn = [b](QObject*) {
        if (!b->isEnabled()) return;
        QFont f = b->font();
        f.setUnderline(true);
        b->setFont(f);
    };
    b->OnMouseOut = [b](QObject*) {
        QFont f = b->font();
        f.setUnderline(false);
        b->setFont(f);
    };
}

TMessageDialog::TMessageDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("MessageDialog");
    setModal(true);
    resize(312, 113);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    QFont f("Palisade");
    f.setPixelSize(11);
    setFont(f);

    Bk = new TBkControl(this);
    Bk->setObjectName("Bk");
    Bk->setGeometry(0, 0, 312, 113);
    Bk->Background().SetBrush(Qt::NoBrush);
    Bk->Background().SetPen(QPen(Qt::black));

    auto label = [this](const char* name, const QRect& r) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setGeometry(r);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setAttribute(Qt::WA_TranslucentBackground, true);
        return l;
    };
    HCaption = label("HCaption", QRect(10, 8, 290, 18));
    QFont bold = font();
    bold.setBold(true);
    HCaption->setFont(bold);
    MsgDlgMsg = label("MsgDlgMsg", QRect(10, 30, 290, 50));

    YesBtn = new TBaseBtn(this);
    YesBtn->setObjectName("YesBtn");
    YesBtn->setGeometry(75, 90, 110, 18);
    YesBtn->SetCaption("Ja");
    NoBtn = new TBaseBtn(this);
    NoBtn->setObjectName("NoBtn");
    NoBtn->setGeometry(190, 90, 110, 18);
    NoBtn->SetCaption("Nee");
    for (TBaseBtn* b : {YesBtn, NoBtn}) {
        StyleDialogButton(b);
        b->setFont(font());
    }
    YesBtn->OnClick = [this](QObject*) { accept(); };
    NoBtn->OnClick = [this](QObject*) { reject(); };

    // 1. Scaled with the size class.
    const SizeClass cls = CurrentSizeClass();
    const int m = SizeClassNum(cls), d = SizeClassDen(cls);
    if (m != d) {
        ScaleChildren(this, m, d);
        QFont sf = font();
        sf.setPixelSize(MulDiv(11, m, d));
        setFont(sf);
        resize(MulDiv(312, m, d), MulDiv(113, m, d));
    }
    // 2. The background picture, when present.
    const QString abk = ProgramFile("I/B/abk");
    if (QFile::exists(abk)) Bk->Background().SetImage(LoadPictureFile(abk));
    ShapeAndPlace();
}

void TMessageDialog::ShapeAndPlace() {
    // The rounded window region, centred on the program's window.
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width(), height()), 20, 20);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
    if (QWidget* top = OwnerWindow()) move(top->geometry().center() - rect().center());
}

void TMessageDialog::FitMessage() {
    const QFontMetrics fm(MsgDlgMsg->font());
    const int need = fm.boundingRect(QRect(0, 0, MsgDlgMsg->width(), 1 << 20),
                                     Qt::TextWordWrap, MsgDlgMsg->text())
                         .height() +
                     fm.descent();
    int extra = need - MsgDlgMsg->height();
    if (const QScreen* sc = screen(); sc && extra > 0)
        extra = std::min(extra, sc->availableGeometry().height() * 3 / 4 - height());
    if (extra > 0) {
        MsgDlgMsg->resize(MsgDlgMsg->width(), MsgDlgMsg->height() + extra);
        for (QWidget* b : {static_cast<QWidget*>(YesBtn), static_cast<QWidget*>(NoBtn)})
            b->move(b->x(), b->y() + extra);
        resize(width(), height() + extra);
        Bk->resize(size());
    }
    ShapeAndPlace();
}

void TMessageDialog::Setup(const QString& title, const QString& message, const QString& yes,
                           const QString& no) {
    HCaption->setText(title);
    MsgDlgMsg->setText(message);
    YesBtn->SetCaption(yes);
    YesBtn->setVisible(!yes.isEmpty());
    NoBtn->SetCaption(no);
    NoBtn->setVisible(!no.isEmpty());
}

void TMessageDialog::keyPressEvent(QKeyEvent* e) {
    // Enter and Esc count only without Shift, Ctrl or Alt.
    const Qt::KeyboardModifiers mods =
        e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier) {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            accept();
            return;
        }
        if (e->key() == Qt::Key_Escape) {
            reject();
            return;
        }
    }
    e->accept();  // everything else, Esc with a modifier included, does nothing
}

bool AskYesNo(const QString& title, const QString& message, const QString& yesCaption,
              const QString& noCaption) {
    if (std::optional<bool> scripted = Out().YesNo(title, message)) return *scripted;
    ReleaseCursors();  // a dialog to answer has its pointer shapes, even during start-up
    TMessageDialog dialog(OwnerWindow());
    dialog.Setup(title, message, yesCaption, noCaption);
    dialog.FitMessage();
    return dialog.exec() == QDialog::Accepted;
}

namespace {
struct TQuestionTexts {
    QString title, text, yes, no;
};
TQuestionTexts TextsOf(const TQuestion& q) {
    const QString sec = "MainForm", lng = LngFileName();
    return {GetLangText(q.TitleTag, sec, lng, q.Title), GetLangText(q.TextTag, sec, lng, q.Text),
            GetLangText(2, sec, lng, "Ja"), GetLangText(3, sec, lng, "Nee")};
}
}  // namespace

bool Ask(const TQuestion& q) {
    const TQuestionTexts t = TextsOf(q);
    return AskYesNo(t.title, t.text, t.yes, t.no);
}

void PrepareQuestion(TMessageDialog& dialog, const TQuestion& q) {
    const TQuestionTexts t = TextsOf(q);
    dialog.Setup(t.title, t.text, t.yes, t.no);
    dialog.FitMessage();
}

void ShowMessageBox(const QString& text, const QString& caption, MessageKind kind) {
    (void)kind;  // one look for every kind, as the question dialog has
    ReleaseCursors();
    TMessageDialog dialog(OwnerWindow());
    PrepareMessageBox(dialog, text, caption);
    dialog.exec();
}

void PrepareMessageBox(TMessageDialog& dialog, const QString& text, const QString& caption) {
    const QString sec = "MainForm";
    QString title = caption;
    if (caption == "Error")
        title = GetLangText(5001, sec, LngFileName(), "Fout");
    else if (caption == "Information")
        title = GetLangText(5002, sec, LngFileName(), "Informatie");
    else if (caption == "Warning")
        title = GetLangText(5003, sec, LngFileName(), "Waarschuwing");
    dialog.setObjectName("MessageBox");
    dialog.Setup(title, Breakable(text), GetLangText(5000, sec, LngFileName(), "OK"), QString());
    // The one button stands where the question's "Nee" stands.
    dialog.YesBtn->move(dialog.NoBtn->pos());
    dialog.FitMessage();
}

}  // namespace orb
