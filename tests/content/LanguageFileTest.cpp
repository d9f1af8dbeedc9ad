// The shipped language file: a record for every text id of the program in both languages,
// the Dutch texts equal to the program's own, and list and page texts laid out so that
// translating a window never renames the pages the program navigates by.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QTabBar>
#include <QWidget>
#include <map>

#include "ContentCheck.h"
#include "library/TarnBase.h"
#include "platform/Tags.h"
#include "shell/LanguageTexts.h"

using namespace contenttest;

namespace {

const QString kFile = ProgramFile("Orbelle.lng");

// Every Tag the main window, the about box and the dialogs carry, and every message id.
const std::vector<int> kIds = {
    2,    3,    20,   30,   52,   53,   54,   100,  200,  201,  202,  300,  400,  500,
    1100, 1101, 1300, 1301, 2000, 2100, 2200, 2300, 2301, 4000, 4100, 4111, 4112, 4113,
    4114, 4115, 4151, 4152, 4153, 4200, 4211, 4212, 4213, 4214, 4215, 4216, 4217, 4218,
    4251, 4300, 4311, 4312, 4313, 4314, 4351, 4352, 4353, 4354, 4355, 4362, 4400, 4401};

const char* const kBrushStyles[] = {
    "Vast",  "Horizontaal",    "Verticaal", "Achterwaarts diagonaal", "Voorwaarts diagonaal",
    "Kruis", "Diagonaal Kruis"};

struct LngScope {
    explicit LngScope(int id) : saved(orb::LngID()) { orb::SetLngID(id); }
    ~LngScope() { orb::SetLngID(saved); }
    int saved;
};

QString Hint(int id) {
    orb::TTarnObject db;
    if (!db.Open(kFile, kFile, "", "")) return "<no file>";
    const QByteArray table = orb::LanguageTable(db, "MainForm");
    const int r = db.FindRecord(table, "Tag", QByteArray::number(id));
    return r ? QString::fromLatin1(db.ReadFieldAsText(table, "Hint", r)) : "<no record>";
}

}  // namespace

TEST(LanguageFile, ContentsNamesBothLanguages) {
    orb::TTarnObject db;
    ASSERT_TRUE(db.Open(kFile, kFile, "", ""));
    for (auto [id, name] : {std::pair{31, "Nederlands"}, std::pair{44, "English"}}) {
        const int r = db.FindRecord("Contents", "iCountry", QByteArray::number(id));
        ASSERT_GT(r, 0) << id;
        EXPECT_EQ(db.ReadFieldAsText("Contents", "sCountry", r), QByteArray(name));
        EXPECT_GT(db.FindTable(QByteArray("MainForm (") + name + ")"), 0);
    }
}

TEST(LanguageFile, EveryTextIdHasARecordInBothTables) {
    for (int lng : {31, 44}) {
        LngScope scope(lng);
        orb::TTarnObject db;
        ASSERT_TRUE(db.Open(kFile, kFile, "", ""));
        const QByteArray table = orb::LanguageTable(db, "MainForm");
        ASSERT_FALSE(table.isEmpty());
        for (int id : kIds)
            EXPECT_GT(db.FindRecord(table, "Tag", QByteArray::number(id)), 0)
                << "id " << id << " in " << table.toStdString();
        // The fill style list is translated item by item, so its own Tag has no record.
        EXPECT_EQ(db.FindRecord(table, "Tag", "4356"), 0);
    }
}

TEST(LanguageFile, DutchTextsAreTheProgramsOwn) {
    LngScope scope(31);
    const std::map<int, QString> captions = {{2, "Ja"},
                                             {3, "Nee"},
                                             {20, "Mandala openen"},
                                             {30, "Mandala bewaren"},
                                             {52, "Energie en kracht door"},
                                             {53, "Orbelle"},
                                             {54, "Zelf kleur geven aan ornamenten uit 60 eeuwen"},
                                             {1100, "Geschiedenis"},
                                             {1300, "Inkleuren"},
                                             {2000, "Geschiedenis"},
                                             {2100, "Inhoud"},
                                             {2300, "Menu"},
                                             {4000, "Inkleuren"},
                                             {4151, "Onderwerpen"},
                                             {4152, "Mandala's"},
                                             {4217, "Mandala is veranderd!"},
                                             {4218, "Wilt u de huidige mandala bewaren?"},
                                             {4352, "Tint"},
                                             {4353, "Kleurdiepte"},
                                             {4354, "Helderheid"},
                                             {4355, "Vulstijl"},
                                             {4362, "Pendikte"},
                                             {4400, "Menu"}};
    for (const auto& [id, text] : captions)
        EXPECT_EQ(orb::GetLangText(id, "MainForm", kFile, "<default>"), text) << id;
    const std::map<int, QString> hints = {{100, "Orbelle Online Help"},
                                          {200, "Over Orbelle"},
                                          {201, "Ga naar de website van Tessvale Software"},
                                          {300, "Geluid Aan/Uitzetten"},
                                          {400, "Orbelle Minimaliseren"},
                                          {500, "Orbelle Afsluiten"},
                                          {1101, "Mandala geschiedenis openen"},
                                          {1301, "Zelf mandala's inkleuren"},
                                          {2301, "Mandala geschiedenis afsluiten"},
                                          {4111, "Mandala openen"},
                                          {4112, "Mandala bewaren"},
                                          {4113, "Mandala afdrukken"},
                                          {4114, "Mandala naar het klembord kopieren"},
                                          {4115, "Mandala als desktop-achtergrond instellen"},
                                          {4211, "Mandala centreren"},
                                          {4212, "Mandala verplaatsen"},
                                          {4213, "Mandala op originele grootte weergeven"},
                                          {4214, "Mandala volledig in het scherm weergeven"},
                                          {4215, "Mandala verkleinen"},
                                          {4216, "Mandala vergroten"},
                                          {4311, "Kleur in de mandala kiezen"},
                                          {4312, "Mandala inkleuren met pen"},
                                          {4313, "Mandala inkleuren met verf"},
                                          {4314, "Laatste aktie ongedaan maken"},
                                          {4401, "Zelf mandala's inkleuren afsluiten"}};
    for (const auto& [id, text] : hints) EXPECT_EQ(Hint(id), text) << id;
}

TEST(LanguageFile, EnglishTextsAreTranslated) {
    LngScope scope(44);
    EXPECT_EQ(orb::GetLangText(2, "MainForm", kFile, "Ja"), "Yes");
    EXPECT_EQ(orb::GetLangText(3, "MainForm", kFile, "Nee"), "No");
    int differing = 0, total = 0;
    for (int id : kIds) {
        LngScope nl(31);
        const QString dutch = orb::GetLangText(id, "MainForm", kFile, "");
        orb::SetLngID(44);
        const QString english = orb::GetLangText(id, "MainForm", kFile, "");
        if (dutch.isEmpty() || dutch.size() < 3) continue;  // symbols and empty captions
        ++total;
        EXPECT_FALSE(english.isEmpty()) << id;
        differing += english != dutch;
    }
    EXPECT_GE(differing, total - 3);  // "Orbelle", "Menu" and the like stay as they are
}

TEST(LanguageFile, TranslatingAWindowKeepsPagesAndDataListsAndTranslatesFillStylesAndTabs) {
    for (int lng : {31, 44}) {
        LngScope scope(lng);
        QWidget window;
        auto* label = new QLabel("Tint", &window);
        orb::SetTag(label, 4352);
        auto* styles = new QComboBox(&window);
        for (const char* s : kBrushStyles) styles->addItem(s);
        orb::SetTag(styles, 4356);
        auto* subjects = new QListWidget(&window);
        subjects->addItems({"Bloemen=Bloemen", "Eigen mandala's=User"});
        orb::SetTag(subjects, 4100);
        auto* tabs = new QTabBar(&window);
        for (const char* t : {"Mandala's", "Schalen", "Tekenen"}) tabs->addTab(t);
        orb::SetTag(tabs, 4370);
        const char* pageNames[] = {"FilePage", "SizePage", "ColorPage"};
        auto* paintPages = new QStackedWidget(&window);
        for (const char* n : pageNames) {
            auto* page = new QWidget;
            page->setProperty("PageName", QString(n));
            paintPages->addWidget(page);
        }
        orb::SetTag(paintPages, 4300);
        auto* mainPages = new QStackedWidget(&window);
        for (const char* n : {"Main", "History", "Paint"}) {
            auto* page = new QWidget;
            page->setProperty("PageName", QString(n));
            mainPages->addWidget(page);
        }
        orb::SetTag(mainPages, 4400);

        orb::ApplyLanguage(&window, "MainForm", kFile);

        EXPECT_EQ(label->text(), lng == 31 ? "Tint" : "Hue");
        ASSERT_EQ(styles->count(), 7);
        for (int i = 0; i < 7; ++i) {
            if (lng == 31)
                EXPECT_EQ(styles->itemText(i), kBrushStyles[i]);
            else
                EXPECT_NE(styles->itemText(i), kBrushStyles[i]);
            EXPECT_FALSE(styles->itemText(i).isEmpty());
        }
        if (lng == 44) EXPECT_EQ(styles->itemText(0), "Solid");
        EXPECT_EQ(subjects->item(0)->text(), "Bloemen=Bloemen");
        const QStringList tabTexts = lng == 31 ? QStringList{"Mandala's", "Schalen", "Tekenen"}
                                               : QStringList{"Mandalas", "Scale", "Drawing"};
        for (int i = 0; i < 3; ++i) EXPECT_EQ(tabs->tabText(i), tabTexts[i]);
        // A page control's hint would be inherited by every control on its pages.
        EXPECT_TRUE(mainPages->toolTip().isEmpty());
        EXPECT_TRUE(paintPages->toolTip().isEmpty());
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(paintPages->widget(i)->property("PageName").toString(), pageNames[i]);
        EXPECT_EQ(mainPages->widget(0)->property("PageName").toString(), "Main");
        EXPECT_EQ(mainPages->widget(2)->property("PageName").toString(), "Paint");
    }
}
