#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QWidget>

#include "tools/orbelle-data/DataWriters.h"
#include "platform/Tags.h"
#include "shell/LanguageTexts.h"
#include "tests/datafiles/TestFiles.h"

namespace {

// A language file like the program's: Dutch and English tables for "MainForm".
const QByteArray kLanguages =
    "table Contents\n"
    "column iCountry int32\n"
    "column sCountry string length=63\n"
    "record 31 Nederlands\n"
    "record 44 English\n"
    "\n"
    "table \"MainForm (English)\"\n"
    "column Tag int32\n"
    "column Caption string length=255\n"
    "column Hint string length=255\n"
    "record 2 Yes \"\"\n"
    "record 900 \"Main window\" \"\"\n"
    "record 52 \"\" \"blank caption\"\n"
    "record 4100 \"\" \"list hint\"\n"
    "record 4101 \"never used\" \"\"\n"
    "record 4200 \"\" \"\"\n"
    "record 4201 \"100 %\" \"scale hint\"\n"
    "record 4202 \"200 %\" \"\"\n"
    "record 4300 \"\" \"\"\n"
    "record 4301 \"Colour\" \"tab hint\"\n"
    "record 4302 \"Size\" \"\"\n"
    "record 20 \"Open mandala\" \"\"\n"
    "record 5001 \"First page\" \"page hint\"\n"
    "record 6001 \"Second page\" \"\"\n"
    "record 100 \"Help\" \"Opens the help\"\n"
    "\n"
    "table \"MainForm (Nederlands)\"\n"
    "column Tag int32\n"
    "column Caption string length=255\n"
    "column Hint string length=255\n"
    "record 2 \"Ja (bestand)\" \"\"\n";

class LanguageTexts : public ::testing::Test {
protected:
    void SetUp() override {
        file = dir.filePath("Orbelle.lng");
        Write(kLanguages);
        savedId = orb::LngID();
    }
    void TearDown() override { orb::SetLngID(savedId); }
    void Write(const QByteArray& description) {
        orb::TTableFileIn in;
        QString error;
        ASSERT_TRUE(orb::ParseTableDescription(description, in, error)) << error.toStdString();
        QByteArray bytes;
        ASSERT_TRUE(orb::BuildTableFile(in, bytes, nullptr, error));
        ASSERT_TRUE(orbtest::WriteFile(file, bytes));
    }
    QTemporaryDir dir;
    QString file;
    int savedId = 44;
};

// Stands for the skinned button: a widget whose caption is the "Caption" property.
class CaptionWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
public:
    using QWidget::QWidget;
    QString caption() const { return text; }
    void setCaption(const QString& c) { text = c; }
    QString text;
};

template <typename T>
T* Tagged(QWidget* parent, int tag, const char* name) {
    auto* w = new T(parent);
    w->setObjectName(name);
    orb::SetTag(w, tag);
    return w;
}

}  // namespace

TEST_F(LanguageTexts, LanguageIdChoosesTheTable) {
    orb::SetLngID(44);
    EXPECT_EQ(orb::GetLangText(2, "MainForm", file, "Ja"), "Yes");
    orb::SetLngID(31);
    EXPECT_EQ(orb::GetLangText(2, "MainForm", file, "Ja"), "Ja (bestand)");
    EXPECT_EQ(orb::GetLangText(3, "MainForm", file, "Nee"), "Nee");  // no record: default
    orb::SetLngID(49);                                                 // not in "Contents"
    EXPECT_EQ(orb::GetLangText(2, "MainForm", file, "Ja"), "Ja");
    orb::SetLngID(44);
    EXPECT_EQ(orb::GetLangText(2, "Other", file, "Ja"), "Ja");       // no such section table
    EXPECT_EQ(orb::GetLangText(52, "MainForm", file, "Titel"), "");  // an empty text is a text
    EXPECT_EQ(orb::GetLangText(2, "MainForm", dir.filePath("none.lng"), "Ja"), "Ja");
}

TEST_F(LanguageTexts, FileIsReadAfreshOnEveryCall) {
    orb::SetLngID(44);
    EXPECT_EQ(orb::GetLangText(2, "MainForm", file, "Ja"), "Yes");
    QByteArray changed = kLanguages;
    changed.replace("record 2 Yes", "record 2 Yep");
    Write(changed);
    EXPECT_EQ(orb::GetLangText(2, "MainForm", file, "Ja"), "Yep");
}

TEST_F(LanguageTexts, ApplyLanguageTranslatesTheWindow) {
    orb::SetLngID(44);
    QWidget window;
    orb::SetTag(&window, 900);
    window.setWindowTitle("Orbelle");
    auto* blanked = Tagged<QLabel>(&window, 52, "SubTitleLbl");
    blanked->setText("Kleur mandala's");
    auto* panel = new QWidget(&window);  // nested: owned objects are found depth first
    auto* help = Tagged<QPushButton>(panel, 100, "HelpBtn");
    help->setText("Help");
    auto* untagged = new QLabel("Vast", &window);
    auto* negative = Tagged<QLabel>(&window, -100, "Neg");
    negative->setText("Negatief");

    auto* keeps = Tagged<QListWidget>(&window, 4100, "MandalaLst");  // own Tag has a record
    keeps->addItems({"Roos", "Tulp"});
    auto* scale = Tagged<QComboBox>(&window, 4200 - 1, "ScaleLst");  // items from 4200 on
    scale->addItems({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k",
                     "l", "m", "n", "o", "p", "q", "r", "s", "t", "u"});
    auto* tabs = Tagged<QTabBar>(&window, 4300 - 1, "PaintTabSet");
    tabs->addTab("Kleur");
    tabs->addTab("Formaat");
    auto* pages = Tagged<QStackedWidget>(&window, 5000, "Book");
    for (const char* n : {"Een", "Twee", "Drie"}) {
        auto* page = new QWidget;
        page->setProperty("PageName", n);
        pages->addWidget(page);
    }
    QObject dialog(&window);
    orb::SetTag(&dialog, 20);
    dialog.setProperty("Title", "Mandala openen");

    orb::ApplyLanguage(&window, "MainForm", file);

    EXPECT_EQ(window.windowTitle(), "Main window");
    EXPECT_EQ(blanked->text(), "");  // an empty Caption blanks
    EXPECT_EQ(blanked->toolTip(), "blank caption");
    EXPECT_EQ(help->text(), "Help");
    EXPECT_EQ(help->toolTip(), "Opens the help");
    EXPECT_EQ(untagged->text(), "Vast");
    EXPECT_EQ(negative->text(), "Negatief");
    EXPECT_EQ(keeps->item(0)->text(), "Roos");  // only the hint changes
    EXPECT_EQ(keeps->item(1)->text(), "Tulp");
    EXPECT_EQ(keeps->toolTip(), "list hint");
    // Consecutive records from Tag + 1, whatever their Tags; past the last record: empty.
    ASSERT_EQ(scale->count(), 21);
    EXPECT_EQ(scale->itemText(0), "");       // record 4200 has an empty Caption
    EXPECT_EQ(scale->itemText(1), "100 %");  // 4201
    EXPECT_EQ(scale->itemText(3), "");       // 4300
    EXPECT_EQ(scale->itemText(4), "Colour");
    EXPECT_EQ(scale->itemText(6), "Open mandala");
    EXPECT_EQ(scale->itemText(20), "");
    EXPECT_EQ(scale->toolTip(), "");
    EXPECT_EQ(tabs->tabText(0), "");
    EXPECT_EQ(tabs->tabText(1), "Colour");
    // Pages by Tag i*1000 + Tag + 1; a missing record leaves the page's name.
    EXPECT_EQ(pages->widget(0)->property("PageName").toString(), "First page");
    EXPECT_EQ(pages->widget(1)->property("PageName").toString(), "Second page");
    EXPECT_EQ(pages->widget(2)->property("PageName").toString(), "Drie");
    EXPECT_EQ(pages->toolTip(), "");  // the last lookup found nothing
    EXPECT_EQ(dialog.property("Title").toString(), "Open mandala");
}

TEST_F(LanguageTexts, CaptionPropertyWinsAndSingleComponentsTranslate) {
    orb::SetLngID(44);
    QWidget window;
    auto* skinned = Tagged<CaptionWidget>(&window, 100, "HelpSBtn");
    skinned->text = "Hulp";
    orb::ApplyLanguage(&window, "MainForm", file);
    EXPECT_EQ(skinned->text, "Help");
    EXPECT_EQ(skinned->toolTip(), "Opens the help");

    QLabel label("Hulp", &window);
    orb::SetTag(&label, 100);
    orb::ApplyLanguage(&label, "MainForm", file);  // not a window: itself only
    EXPECT_EQ(label.text(), "Help");

    auto* pages = Tagged<QStackedWidget>(&window, 5000, "Book");
    auto* page = new QWidget;
    page->setProperty("PageName", "Een");
    pages->addWidget(page);
    orb::ApplyLanguage(pages, "MainForm", file);
    EXPECT_EQ(page->property("PageName").toString(), "First page");
    // A page control takes no hint: it would show over every control of its pages.
    EXPECT_TRUE(pages->toolTip().isEmpty());
}

TEST_F(LanguageTexts, MenusAreWalkedWhateverTheirTag) {
    orb::SetLngID(44);
    QWidget window;
    auto* bar = new QMenuBar(&window);  // Tag 0: still translated item by item
    QMenu* menu = bar->addMenu("Hulp");
    orb::SetTag(menu->menuAction(), 100);
    QAction* yes = menu->addAction("Ja");
    orb::SetTag(yes, 2);
    QAction* untagged = menu->addAction("Vast");
    orb::ApplyLanguage(&window, "MainForm", file);
    EXPECT_EQ(menu->menuAction()->text(), "Help");
    EXPECT_EQ(menu->menuAction()->toolTip(), "Opens the help");
    EXPECT_EQ(yes->text(), "Yes");
    EXPECT_EQ(untagged->text(), "Vast");
}

TEST_F(LanguageTexts, NoFileLeavesTheDesignTexts) {
    orb::SetLngID(44);
    QWidget window;
    QLabel label("Hulp", &window);
    orb::SetTag(&label, 100);
    orb::ApplyLanguage(&window, "MainForm", dir.filePath("missing.lng"));
    EXPECT_EQ(label.text(), "Hulp");
    EXPECT_EQ(orb::GetLangText(2, "MainForm", dir.filePath("missing.lng"), "Ja"), "Ja");
}

#include "LanguageTextsTest.moc"
