#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>
#include <cstring>

#include "tools/orbelle-data/DataWriters.h"
#include "library/TarnBase.h"
#include "tests/datafiles/TestFiles.h"

using orb::TTarnObject;

namespace {

const QByteArray kAllTypes =
    "table Countries\n"
    "column Code int32\n"
    "column Name string length=20\n"
    "record 31 Nederland\n"
    "record 44 England\n"
    "record 49 Deutschland\n"
    "\n"
    "table Fields\n"
    "column B0 bool\n"
    "column B1 bool style=1\n"
    "column B2 bool style=2\n"
    "column By byte\n"
    "column I64 int64 decimals=2 style=1\n"
    "column I32 int32\n"
    "column D datetime style=2\n"
    "column T datetime style=4\n"
    "column X extended decimals=3\n"
    "column C6 6\n"
    "column C7 7\n"
    "column Dbl double decimals=2 style=2\n"
    "column R48 real48 decimals=1\n"
    "column L list table=1 column=2 count=4\n"
    "column Unknown 20\n"
    "column Sh shortint\n"
    "column Sg single decimals=1\n"
    "column S string length=12\n"
    "column W word\n"
    "record yes yes off 200 1234567890123 -5 2024-03-01 2024-03-01T13:45 2.5 6 7 12.5 -7.3 "
    "2,0,1 \"\" -100 0.5 \"Grün \\\"x\\\"\" 65535\n"
    "record no no on\n";

struct Built {
    QTemporaryDir dir;
    QString file;
    QByteArray bytes;
    QByteArray definition;
};

void Build(Built& b, const QByteArray& description, bool twoFiles = false) {
    orb::TTableFileIn in;
    QString error;
    ASSERT_TRUE(orb::ParseTableDescription(description, in, error)) << error.toStdString();
    ASSERT_TRUE(orb::BuildTableFile(in, b.bytes, twoFiles ? &b.definition : nullptr, error));
    b.file = b.dir.filePath("db.tb");
    ASSERT_TRUE(orbtest::WriteFile(b.file, b.bytes));
    if (twoFiles) {
        ASSERT_TRUE(orbtest::WriteFile(b.dir.filePath("db.def"), b.definition));
    }
}

}  // namespace

TEST(TableFile, EveryTypeReadsAsItsText) {
    Built b;
    Build(b, kAllTypes);
    TTarnObject db;
    ASSERT_TRUE(db.Open(b.file, b.file, QString(), QByteArray()));
    EXPECT_EQ(db.FindTable("Fields"), 2);
    EXPECT_EQ(db.FindTable("fields"), 0);  // exact names
    EXPECT_EQ(db.FindColumn(2, "W"), 19);
    EXPECT_EQ(db.FindColumn(1, "W"), 0);
    auto f = [&](const char* column, int record = 1) {
        return db.ReadFieldAsText("Fields", column, record);
    };
    EXPECT_EQ(f("B0"), "Yes");
    EXPECT_EQ(f("B1"), "True");
    EXPECT_EQ(f("B2"), "Off");
    EXPECT_EQ(f("B0", 2), "No");
    EXPECT_EQ(f("B1", 2), "False");
    EXPECT_EQ(f("B2", 2), "On");
    EXPECT_EQ(f("By"), "200");
    EXPECT_EQ(f("I64"), "1234567890123,00");
    EXPECT_EQ(f("I32"), "-5");
    const QLocale loc = QLocale::system();
    EXPECT_EQ(QString::fromLatin1(f("D")), loc.toString(QDate(2024, 3, 1), QLocale::ShortFormat));
    EXPECT_EQ(QString::fromLatin1(f("T")), loc.toString(QTime(13, 45), QLocale::ShortFormat));
    EXPECT_EQ(f("X"), "2.500");
    EXPECT_EQ(f("C6"), "6");
    EXPECT_EQ(f("C7"), "7");
    EXPECT_EQ(f("Dbl"), "12.50%");
    EXPECT_EQ(f("R48"), "-7.3");
    EXPECT_EQ(f("L"), "England,Nederland");  // zero entries skipped, no trailing ","
    EXPECT_EQ(f("Unknown"), "");
    EXPECT_EQ(f("Sh"), "-100");
    EXPECT_EQ(f("Sg"), "0.5");
    EXPECT_EQ(f("S"), "Gr\xfcn \"x\"");
    EXPECT_EQ(f("W"), "65535");
    EXPECT_EQ(f("L", 2), "");
    EXPECT_EQ(f("S", 2), "");
    EXPECT_EQ(f("S", 3), "");  // no such record
    EXPECT_EQ(f("Nope"), "");
    EXPECT_EQ(db.FindRecord("Countries", "Code", "44"), 2);
    EXPECT_EQ(db.FindRecord("Countries", "Name", "Deutschland"), 3);
    EXPECT_EQ(db.FindRecord("Countries", "Name", "Deutsch"), 0);
    db.Close();
    EXPECT_EQ(db.ReadFieldAsText("Countries", "Name", 1), "");
}

TEST(TableFile, RecordLayoutAndDescriptionRoundTrip) {
    Built b;
    Build(b, kAllTypes);
    // Header fields where the readers of other programs expect them.
    EXPECT_EQ(b.bytes.mid(5, 9), QByteArray("\x08TarnBase"));
    int16_t version;
    std::memcpy(&version, b.bytes.constData() + 270, 2);
    EXPECT_EQ(version, 100);
    EXPECT_EQ(uchar(b.bytes[272 + 4]), 9);  // first table name's length byte
    TTarnObject db;
    ASSERT_TRUE(db.Open(b.file, b.file, QString(), QByteArray()));
    const int64_t recLen =
        1 + 1 + 1 + 1 + 8 + 4 + 8 + 8 + 10 + 4 + 4 + 8 + 6 + 16 + 0 + 1 + 4 + 12 + 2;
    EXPECT_EQ(db.Table(2)->RecordLength, recLen);
    EXPECT_EQ(int64_t(b.bytes.size()), int64_t(db.Table(2)->FirstOffset) + 2 * recLen);
    Built again;
    Build(again, orb::TableDescriptionText(db));
    EXPECT_EQ(again.bytes, b.bytes);
}

TEST(TableFile, StringTransformIsStoredAndUndone) {
    Built b;
    Build(b, "transform on\ntable T\ncolumn S string length=8\nrecord \"\\x01Abc\\x7f\\x80\"\n");
    // Stored: b < 127 as b + 127, others as b - 127; the padding too.
    const QByteArray stored = b.bytes.right(8);
    EXPECT_EQ(stored, QByteArray("\x80\xc0\xe1\xe2\x00\x01\x7f\x7f", 8));
    TTarnObject db;
    ASSERT_TRUE(db.Open(b.file, b.file, QString(), QByteArray()));
    EXPECT_EQ(db.ReadFieldAsText("T", "S", 1),
              "\x01"
              "Abc\x7f\x80");
    orb::TTableFileIn in;
    QString error;
    EXPECT_FALSE(orb::ParseTableDescription(
        "transform on\ntable T\ncolumn S string\nrecord \xc3\xbf\n", in, error));
}

TEST(TableFile, OpenChecksSignatureVersionFilesAndPassword) {
    Built b;
    Build(b, kAllTypes);
    TTarnObject db;
    QByteArray bad = b.bytes;
    bad[270] = 101;
    ASSERT_TRUE(orbtest::WriteFile(b.dir.filePath("v.tb"), bad));
    EXPECT_FALSE(db.Open(b.dir.filePath("v.tb"), b.dir.filePath("v.tb"), QString(), QByteArray()));
    bad = b.bytes;
    bad[9] = 'b';
    ASSERT_TRUE(orbtest::WriteFile(b.dir.filePath("s.tb"), bad));
    EXPECT_FALSE(db.Open(b.dir.filePath("s.tb"), b.dir.filePath("s.tb"), QString(), QByteArray()));
    // A third file that exists keeps the database shut.
    ASSERT_TRUE(orbtest::WriteFile(b.dir.filePath("lock"), "x"));
    EXPECT_FALSE(db.Open(b.file, b.file, b.dir.filePath("lock"), QByteArray()));
    EXPECT_TRUE(db.Open(b.file, b.file, b.dir.filePath("nolock"), QByteArray()));
    EXPECT_FALSE(
        db.Open(b.dir.filePath("missing"), b.dir.filePath("missing"), QString(), QByteArray()));
    EXPECT_FALSE(db.IsOpen());

    Built p;
    Build(p, "password \"Geheim\"\ntable T\ncolumn N int32\nrecord 5\n");
    EXPECT_FALSE(db.Open(p.file, p.file, QString(), QByteArray()));
    EXPECT_FALSE(db.Open(p.file, p.file, QString(), "geheim"));
    ASSERT_TRUE(db.Open(p.file, p.file, QString(), "Geheim"));
    EXPECT_EQ(db.ReadFieldAsText("T", "N", 1), "5");
    // An unknown password marker stays shut whatever the password.
    bad = p.bytes;
    const float two = 2.0f;
    std::memcpy(bad.data() + 14, &two, 4);
    ASSERT_TRUE(orbtest::WriteFile(p.file, bad));
    EXPECT_FALSE(db.Open(p.file, p.file, QString(), "Geheim"));
}

TEST(TableFile, TwoFilesCountRecordsFromTheDataWhenFlagged) {
    for (int flag : {0, 1}) {
        Built b;
        Build(b,
              "table T flag=" + QByteArray::number(flag) +
                  "\ncolumn N int32\nrecord 1\nrecord 2\nrecord 3\n",
              true);
        // Add one record to the data file behind the definition's back.
        ASSERT_TRUE(orbtest::WriteFile(b.file, b.bytes + QByteArray("\x04\0\0\0", 4)));
        TTarnObject db;
        ASSERT_TRUE(db.Open(b.file, b.dir.filePath("db.def"), QString(), QByteArray()));
        EXPECT_EQ(db.Table(1)->RecordCount, flag == 0 ? 4 : 3);
        EXPECT_EQ(db.FindRecord("T", "N", "4"), flag == 0 ? 4 : 0);
        EXPECT_FALSE(db.Open(b.file, b.dir.filePath("none.def"), QString(), QByteArray()));
    }
}

TEST(TableFile, HostileListsAndCountsStayQuiet) {
    // A list into a missing table, a list into itself, a huge declared count.
    Built b;
    Build(b,
          "table T\n"
          "column Missing list table=7 column=1 count=2\n"
          "column Self list table=1 column=2 count=2\n"
          "column Name string length=4\n"
          "record 1,1 1,1 abc\n");
    QByteArray bad = b.bytes;
    const int32_t huge = 0x7FFFFFFF;
    std::memcpy(bad.data() + 272 + 68, &huge, 4);
    ASSERT_TRUE(orbtest::WriteFile(b.file, bad));
    TTarnObject db;
    ASSERT_TRUE(db.Open(b.file, b.file, QString(), QByteArray()));
    EXPECT_EQ(db.ReadFieldAsText("T", "Missing", 1), "");
    EXPECT_EQ(db.ReadFieldAsText("T", "Self", 1), ",");  // the inner lists are not followed
    // Lookups visit only the records the data part holds, not two billion failing reads.
    EXPECT_EQ(db.UsableRecords(1), 1);
    EXPECT_EQ(db.FindRecord("T", "Name", "zzz"), 0);
    EXPECT_EQ(db.ReadFieldAsText("T", "Name", 2), "");
    EXPECT_EQ(db.ReadFieldAsText("T", "Name", huge), "");
}

TEST(TableFile, FieldsPastTheFileReadEmpty) {
    Built b;
    Build(b, "table T\ncolumn S string length=300\ncolumn N int32\nrecord abc 7\n");
    TTarnObject db;
    // Cut the record short: the number after the string is gone.
    ASSERT_TRUE(orbtest::WriteFile(b.file, b.bytes.left(b.bytes.size() - 4)));
    ASSERT_TRUE(db.Open(b.file, b.file, QString(), QByteArray()));
    EXPECT_EQ(db.ReadFieldAsText("T", "S", 1), "abc");
    EXPECT_EQ(db.ReadFieldAsText("T", "N", 1), "");
    ASSERT_TRUE(orbtest::WriteFile(b.file, b.bytes.left(b.bytes.size() - 5)));
    ASSERT_TRUE(db.Open(b.file, b.file, QString(), QByteArray()));
    EXPECT_EQ(db.ReadFieldAsText("T", "S", 1), "");  // a string is read whole or not at all
    // A declared string length that no record can hold.
    QByteArray bad = b.bytes;
    const uint16_t len = 60000;
    std::memcpy(bad.data() + 272 + 77 + 71, &len, 2);
    ASSERT_TRUE(orbtest::WriteFile(b.file, bad));
    ASSERT_TRUE(db.Open(b.file, b.file, QString(), QByteArray()));
    EXPECT_EQ(db.ReadFieldAsText("T", "S", 1), "");
}

TEST(TableFile, DamagedFilesNeverCrash) {
    Built b;
    Build(b,
          "table Contents\ncolumn iCountry int32\ncolumn sCountry string length=10\n"
          "record 31 Nederlands\n"
          "table L\ncolumn Tag int32\ncolumn Caption string length=8\n"
          "column Refs list table=1 column=2 count=2\nrecord 2 Ja 1,2\n");
    const QString name = b.dir.filePath("bad.tb");
    orbtest::ForEachDamaged(b.bytes, 400, 400, [&](const QByteArray& bad) {
        ASSERT_TRUE(orbtest::WriteFile(name, bad));
        TTarnObject db;
        if (!db.Open(name, name, QString(), QByteArray())) return;
        for (int t = 1; t <= std::min(db.TableCount(), 4); ++t) {
            const orb::TTarnTable* table = db.Table(t);
            for (int c = 1; c <= std::min(table->ColumnCount, 4); ++c)
                for (int r = 0; r <= 3; ++r) EXPECT_LE(db.ReadFieldAsText(t, c, r).size(), 255);
            db.FindRecord(table->Name, db.Column(t, 1) ? db.Column(t, 1)->Name : "", "2");
        }
    });
}

TEST(TableFile, LookupsAcrossColumnsTablesAndFilesFindTheFirstMatch) {
    // Repeated searches in a column are answered from an index of it: equal texts give the
    // first record, and a search in another column, table or file does not answer from
    // the previous index.
    Built a;
    Build(a,
          "table T\ncolumn Tag int32\ncolumn Name string length=8\n"
          "record 7 first\nrecord 8 other\nrecord 7 second\nrecord 9 first\n\n"
          "table U\ncolumn Tag int32\nrecord 9\nrecord 7\n");
    Built b;
    Build(b, "table T\ncolumn Tag int32\ncolumn Name string length=8\nrecord 9 x\nrecord 7 y\n");
    TTarnObject db;
    ASSERT_TRUE(db.Open(a.file, a.file, QString(), QByteArray()));
    EXPECT_EQ(db.FindRecord("T", "Tag", "7"), 1);
    EXPECT_EQ(db.FindRecord("T", "Tag", "9"), 4);
    EXPECT_EQ(db.FindRecord("T", "Name", "first"), 1);
    EXPECT_EQ(db.FindRecord("T", "Name", "9"), 0);
    EXPECT_EQ(db.FindRecord("U", "Tag", "7"), 2);
    EXPECT_EQ(db.FindRecord("T", "Tag", "7"), 1);
    EXPECT_EQ(db.FindRecord("T", "Tag", "8"), 2);
    EXPECT_EQ(db.FindRecord("T", "Tag", "7"), 1);
    EXPECT_EQ(db.FindRecord("T", "Nope", "7"), 0);
    ASSERT_TRUE(db.Open(b.file, b.file, QString(), QByteArray()));
    EXPECT_EQ(db.FindRecord("T", "Tag", "7"), 2);
    EXPECT_EQ(db.FindRecord("T", "Tag", "9"), 1);
    EXPECT_EQ(db.FindRecord("T", "Tag", "8"), 0);
    db.Close();
    EXPECT_EQ(db.FindRecord("T", "Tag", "7"), 0);
}
