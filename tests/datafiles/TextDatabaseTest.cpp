#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>

#include "tools/orbelle-data/DataWriters.h"
#include "library/iDbRecs.h"
#include "tests/datafiles/TestFiles.h"

using orb::TDbSourceRecord;
using orb::TiDbRecFile;

namespace {

QByteArray BuildSource(const QByteArray& source) {
    std::vector<TDbSourceRecord> recs;
    QString error;
    EXPECT_TRUE(orb::ParseDbSource(source, recs, error)) << error.toStdString();
    QByteArray file;
    EXPECT_TRUE(orb::BuildDbFile(recs, file, error));
    return file;
}

const QByteArray kSource =
    "# catalogue\n"
    "@@ Mandala_Subjects_31|||\n"
    "Bloemen=Bloemen\n"
    "Mijn eigen tekeningen=User\n"
    "\n"
    "@@ Content_44|||  \n"
    "Origins|Where \xc3\xa9 \xe2\x82\xac\n"
    "\tTibet|Sand\n"
    "\n"
    "inner blank above\n"
    "@@@@ not a key\n"
    "\n\n"
    "@@ empty\n"
    "@@ Last\n"
    "x";

}  // namespace

TEST(TextDatabase, ByteTransformEdges) {
    EXPECT_EQ(orb::DbTransformByte(0x00), 0x00);
    EXPECT_EQ(orb::DbTransformByte(0xFF), 0xFF);
    EXPECT_EQ(orb::DbTransformByte(0x7F), 0xFE);
    EXPECT_EQ(orb::DbTransformByte(0x80), 0x01);
    EXPECT_EQ(orb::DbTransformByte(0x01), 0x80);
    EXPECT_EQ(orb::DbTransformByte(0xFE), 0x7F);
    // The block transform (vectorised) agrees with the byte rule at every length and offset.
    QByteArray all;
    for (int i = 0; i < 256 * 3 + 7; ++i) all += char(i * 7 + 3);
    for (int start = 0; start < 17; ++start) {
        QByteArray block = all.mid(start);
        orb::DbTransform(block.data(), size_t(block.size()));
        for (int i = 0; i < block.size(); ++i)
            ASSERT_EQ(uchar(block[i]), orb::DbTransformByte(uchar(all[start + i])));
        orb::DbTransform(block.data(), size_t(block.size()));
        ASSERT_EQ(block, all.mid(start));
    }
}

TEST(TextDatabase, SourceBuildsTheRecordsAsWritten) {
    const QByteArray file = BuildSource(kSource);
    TiDbRecFile db;
    ASSERT_TRUE(db.LoadFromBytes(file));
    EXPECT_EQ(db.RecordCount(), 0);  // nothing active before ActivateAll
    db.ActivateAll();
    ASSERT_EQ(db.RecordCount(), 4);
    QByteArray key, value;
    ASSERT_TRUE(db.GetRecord(2, key, value));
    EXPECT_EQ(key, "Content_44|||");  // trailing blanks of the key line dropped
    // UTF-8 source to Windows-1252, lines joined by CR LF, trailing blank lines dropped,
    // inner blank lines and leading tabs kept, "@@@" unescaped once.
    EXPECT_EQ(value,
              "Origins|Where \xe9 \x80\r\n\tTibet|Sand\r\n\r\ninner blank above\r\n@@@ not a key");
    ASSERT_TRUE(db.GetRecord(3, key, value));
    EXPECT_EQ(key, "empty");
    EXPECT_TRUE(value.isEmpty());
    const orb::TiDbRec rec = db.GetRecord(3);
    EXPECT_EQ(rec.ValueLen, 0);
    EXPECT_EQ(rec.Value, nullptr);
    // Out of range gives the all-zero record.
    const orb::TiDbRec none = db.GetRecord(5);
    EXPECT_EQ(none.Key, nullptr);
    EXPECT_EQ(none.KeyLen, 0);
    EXPECT_FALSE(db.GetRecord(0, key, value));
}

TEST(TextDatabase, FileLayoutIsTheStoredOne) {
    std::vector<TDbSourceRecord> recs{{"A\x7f", "\x80\xff"}};
    QByteArray file;
    QString error;
    ASSERT_TRUE(orb::BuildDbFile(recs, file, error));
    const QByteArray expect(
        "\x01\0\0\0"
        "\0\0\0\0"
        "\x02\0"
        "\x02\0"
        "\xc0\xfe"
        "\x01\xff",
        16);
    EXPECT_EQ(file, expect);
    // Longer than 16 bits is refused rather than cut.
    recs[0].Value = QByteArray(65536, 'x');
    EXPECT_FALSE(orb::BuildDbFile(recs, file, error));
}

TEST(TextDatabase, DumpSourceRoundTripsByteForByte) {
    const QByteArray file = BuildSource(kSource);
    TiDbRecFile db;
    ASSERT_TRUE(db.LoadFromBytes(file));
    db.ActivateAll();
    std::vector<TDbSourceRecord> recs;
    for (int n = 1; n <= db.RecordCount(); ++n) {
        TDbSourceRecord r;
        db.GetRecord(n, r.Key, r.Value);
        recs.push_back(r);
    }
    EXPECT_EQ(BuildSource(orb::DbSourceText(recs)), file);
}

TEST(TextDatabase, LookupTakesTheFirstEqualKeyAndNeverAnEmptyOne) {
    std::vector<TDbSourceRecord> recs{
        {"", "no key"}, {"k", "first"}, {"K", "case"}, {"k", "second"}};
    QByteArray file, value;
    QString error;
    ASSERT_TRUE(orb::BuildDbFile(recs, file, error));
    TiDbRecFile db;
    ASSERT_TRUE(db.LoadFromBytes(file));
    db.ActivateAll();
    // Records already handed out and records not yet touched both match.
    EXPECT_EQ(db.GetRecord(3).KeyBytes(), "K");
    EXPECT_TRUE(db.FindValue("k", value));
    EXPECT_EQ(value, "first");
    EXPECT_TRUE(db.FindValue("k", value));
    EXPECT_EQ(value, "first");
    EXPECT_TRUE(db.FindValue("K", value));
    EXPECT_EQ(value, "case");
    EXPECT_FALSE(db.FindValue("", value));
    EXPECT_FALSE(db.FindValue("k ", value));
    EXPECT_EQ(db.GetRecord(1).Key, nullptr);
}

TEST(TextDatabase, LoadFromFileMatchesAndReplacesContents) {
    QTemporaryDir dir;
    const QString name = dir.filePath("Mandala.dat");
    // Big enough to arrive in several pieces, with records straddling the piece borders.
    std::vector<TDbSourceRecord> recs;
    for (int i = 0; i < 400; ++i)
        recs.push_back(
            {"key" + QByteArray::number(i), QByteArray(1000 + i * 7, char('a' + i % 26))});
    QByteArray file;
    QString error;
    ASSERT_TRUE(orb::BuildDbFile(recs, file, error));
    ASSERT_TRUE(orbtest::WriteFile(name, file));
    TiDbRecFile db;
    ASSERT_TRUE(db.LoadFromFile(name));
    db.ActivateAll();
    ASSERT_EQ(db.RecordCount(), 400);
    QByteArray key, value;
    // Random order exercises the cached position in both directions.
    for (int n : {1, 400, 200, 201, 199, 3, 398, 57}) {
        ASSERT_TRUE(db.GetRecord(n, key, value));
        EXPECT_EQ(key, recs[n - 1].Key);
        EXPECT_EQ(value, recs[n - 1].Value);
    }
    // A second load replaces everything; a missing file leaves nothing.
    EXPECT_FALSE(db.LoadFromFile(dir.filePath("missing.dat")));
    db.ActivateAll();
    EXPECT_EQ(db.RecordCount(), 0);
}

TEST(TextDatabase, ShortFilesKeepTheRecordsReadSoFar) {
    const QByteArray file = BuildSource(kSource);
    TiDbRecFile db;
    // Cut inside the third record (head, then key): two records stay, the load fails.
    std::vector<TDbSourceRecord> recs;
    QString error;
    ASSERT_TRUE(orb::ParseDbSource(kSource, recs, error));
    recs.resize(2);
    QByteArray two;
    ASSERT_TRUE(orb::BuildDbFile(recs, two, error));
    for (int extra : {5, 8 + 2}) {
        EXPECT_FALSE(db.LoadFromBytes(file.left(two.size() + extra)));
        db.ActivateAll();
        EXPECT_EQ(db.RecordCount(), 2);
    }
    // A count far beyond what the file holds is no reason to allocate or spin.
    QByteArray huge = file;
    const int32_t count = 0x7FFFFFFF;
    std::memcpy(huge.data(), &count, 4);
    EXPECT_FALSE(db.LoadFromBytes(huge));
    db.ActivateAll();
    EXPECT_EQ(db.RecordCount(), 4);
    // A negative count reads as none.
    const int32_t negative = -5;
    std::memcpy(huge.data(), &negative, 4);
    EXPECT_TRUE(db.LoadFromBytes(huge));
    db.ActivateAll();
    EXPECT_EQ(db.RecordCount(), 0);
}

TEST(TextDatabase, DamagedFilesNeverCrash) {
    QTemporaryDir dir;
    const QString name = dir.filePath("bad.dat");
    const QByteArray file = BuildSource(kSource);
    orbtest::ForEachDamaged(file, 400, 300, [&](const QByteArray& bad) {
        ASSERT_TRUE(orbtest::WriteFile(name, bad));
        TiDbRecFile db;
        const bool ok = db.LoadFromFile(name);
        db.ActivateAll();
        if (bad.size() < 4) {
            EXPECT_FALSE(ok);
        }
        QByteArray key, value;
        for (int n = 1; n <= db.RecordCount(); ++n) {
            ASSERT_TRUE(db.GetRecord(n, key, value));
            EXPECT_LE(key.size() + value.size(), bad.size());
        }
        db.FindValue("Content_44|||", value);
    });
}
