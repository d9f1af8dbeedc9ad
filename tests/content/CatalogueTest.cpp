// The catalogue as the paint page reads it: subject and mandala lists per language, each
// line resolving to a drawing in the archive that a fill tool can colour cleanly.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <set>

#include "ContentCheck.h"

using namespace contenttest;

namespace {

struct Lists {
    QStringList subjects, files;
};

Lists ListsFor(int lng) {
    bool found = false;
    Lists l;
    l.subjects = Lines(QString("Mandala_Subjects_%1|||").arg(lng), &found);
    EXPECT_TRUE(found) << lng;
    l.files = Lines(QString("Mandala_Files_%1|||").arg(lng), &found);
    EXPECT_TRUE(found) << lng;
    return l;
}

QString After(const QString& line) {
    const int eq = line.indexOf('=');
    return eq < 0 ? line : line.mid(eq + 1);
}

}  // namespace

TEST(Catalogue, ShippedFilesExist) {
    ASSERT_TRUE(QFile::exists(ProgramFile("Mandala.dat")));
    ASSERT_TRUE(Data().archive) << "orbelle.dat missing";
    EXPECT_FALSE(Data().archive->Lines.isEmpty());
    EXPECT_GT(Data().db.RecordCount(), 4);
}

TEST(Catalogue, SubjectsInBothLanguagesWithTheUsersLast) {
    for (int lng : {31, 44}) {
        const Lists l = ListsFor(lng);
        ASSERT_GE(l.subjects.size(), 7) << lng;
        // Saving selects the last subject to show the new file, so "=User" must be last
        // and nowhere else.
        EXPECT_TRUE(l.subjects.back().contains("=User")) << l.subjects.back().toStdString();
        for (int i = 0; i + 1 < l.subjects.size(); ++i) {
            EXPECT_FALSE(l.subjects[i].contains("=User")) << l.subjects[i].toStdString();
            EXPECT_GT(l.subjects[i].indexOf('='), 0) << "subject without a name";
        }
    }
    // The two languages list the same folders in the same order, under different names.
    const Lists nl = ListsFor(31), en = ListsFor(44);
    ASSERT_EQ(nl.subjects.size(), en.subjects.size());
    int translated = 0;
    for (int i = 0; i < nl.subjects.size(); ++i) {
        EXPECT_EQ(After(nl.subjects[i]), After(en.subjects[i]));
        translated += nl.subjects[i] != en.subjects[i];
    }
    EXPECT_GE(translated, nl.subjects.size() - 2);
}

TEST(Catalogue, EverySubjectHasAtLeastEightDrawingsThatResolve) {
    for (int lng : {31, 44}) {
        const Lists l = ListsFor(lng);
        for (const QString& subject : l.subjects) {
            if (subject.contains("=User")) continue;
            // The paint page keeps the lines that hold "\" + folder + "\".
            const QString needle = "\\" + After(subject) + "\\";
            int count = 0;
            for (const QString& line : l.files) {
                if (!line.contains(needle)) continue;
                ++count;
                EXPECT_GT(line.indexOf('='), 0) << "mandala without a name: " << line.toStdString();
                bool found = false;
                orb::FindArchiveEntry(*Data().archive, After(line), &found);
                EXPECT_TRUE(found) << After(line).toStdString();
            }
            EXPECT_GE(count, 8) << subject.toStdString();
        }
    }
}

TEST(Catalogue, EveryDrawingDecodesAsCleanLineArt) {
    const Lists l = ListsFor(44);
    std::set<QString> bareNames;
    int stored = 0, compressed = 0;
    for (const QString& line : l.files) {
        const QString member = After(line);
        SCOPED_TRACE(member.toStdString());
        // Members are extracted as "T\" + bare name, so bare names must not collide.
        EXPECT_TRUE(bareNames.insert(member.section('\\', -1).toLower()).second);
        orb::TArchiveEntry entry;
        const QImage img = Member(member, &entry);
        ASSERT_FALSE(img.isNull());
        (entry.StoredSize == entry.Size ? stored : compressed)++;
        EXPECT_EQ(img.width(), img.height());
        EXPECT_GE(img.width(), 430);
        EXPECT_LE(img.width(), 688);
        const ArtReport r = InspectLineArt(img);
        EXPECT_EQ(r.notBlackOrWhite, 0);
        // A 4-connected fill covers exactly what the eye sees as one area: no two white
        // areas touch at a corner only.
        EXPECT_EQ(r.regions4, r.regions8);
        EXPECT_GE(r.smallest, 12);
        EXPECT_EQ(r.necks, 0);
        EXPECT_GE(r.regions4, 80) << "too plain to be worth colouring";
    }
    EXPECT_GT(compressed, stored);
    EXPECT_GT(stored, 0);
}

TEST(Catalogue, DutchAndEnglishListTheSameDrawings) {
    const Lists nl = ListsFor(31), en = ListsFor(44);
    ASSERT_EQ(nl.files.size(), en.files.size());
    ASSERT_GE(nl.files.size(), 48);
    for (int i = 0; i < nl.files.size(); ++i) EXPECT_EQ(After(nl.files[i]), After(en.files[i]));
}

TEST(Catalogue, ExtractedMemberLoadsByItsExtension) {
    // The paint page extracts a drawing to the temporary folder under its bare name and
    // loads it from there, recognising the format by the extension.
    const QString member = After(ListsFor(31).files.first());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.path() + "/T/" + member.section('\\', -1);
    ASSERT_TRUE(orb::ExtractArchiveEntry(*Data().archive, member, target));
    QImage img(target);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img, Member(member));
}
