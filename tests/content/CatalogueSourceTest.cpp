// The catalogue source is checked when the build reads it, so a slip in it stops the build
// instead of shipping a catalogue line that resolves to nothing.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "Catalogue.h"

namespace {

bool Read(const QByteArray& text, std::string& error, mandala::Catalogue* out = nullptr) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/catalogue.txt";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(text);
    f.close();
    mandala::Catalogue cat;
    const bool ok = mandala::ReadCatalogue(path.toStdString(), cat, error);
    if (out) *out = cat;
    return ok;
}

const QByteArray kSubjects =
    "subject Bloemen | Bloemen | Flowers\n"
    "subject User | Eigen mandala's | My own mandalas\n";

}  // namespace

TEST(CatalogueSource, TheShippedSourceReads) {
    mandala::Catalogue cat;
    std::string error;
    ASSERT_TRUE(mandala::ReadCatalogue(ORBELLE_CONTENT_SOURCE "/mandala/catalogue.txt", cat, error))
        << error;
    EXPECT_EQ(cat.subjects.back().folder, "User");
}

TEST(CatalogueSource, ReadsSubjectsAndDrawings) {
    mandala::Catalogue cat;
    std::string error;
    ASSERT_TRUE(Read(kSubjects + "Bloemen roos.bmp flower 3 516 | Roos | Rose\n", error, &cat))
        << error;
    ASSERT_EQ(cat.drawings.size(), 1u);
    EXPECT_EQ(cat.drawings[0].member(), "M\\Bloemen\\roos.bmp");
    EXPECT_EQ(cat.drawings[0].seed, 3u);
    EXPECT_EQ(cat.drawings[0].english, "Rose");
}

TEST(CatalogueSource, RefusesWhatWouldBreakTheCatalogue) {
    std::string error;
    const char* bad[] = {
        // the user's subject must come last, since saving selects the last subject
        "subject User | Eigen | Own\nsubject Bloemen | Bloemen | Flowers\n",
        // bare names collide in the temporary folder
        "Bloemen a.bmp flower 1 430 | A | A\nBloemen a.bmp flower 2 430 | B | B\n",
        // a size outside the round opening's range, an unknown style, an unknown folder
        "Bloemen a.bmp flower 1 429 | A | A\n",
        "Bloemen a.bmp tulip 1 430 | A | A\n",
        "Dieren a.bmp flower 1 430 | A | A\n",
        // "=" would split the list line in the wrong place; a missing English name
        "Bloemen a.bmp flower 1 430 | A=B | A\n",
        "Bloemen a.bmp flower 1 430 | A |\n",
    };
    for (const char* b : bad) {
        const QByteArray text =
            QByteArray(b).startsWith("subject User") ? QByteArray(b) : kSubjects + b;
        EXPECT_FALSE(Read(text, error)) << b;
        EXPECT_FALSE(error.empty());
    }
}
