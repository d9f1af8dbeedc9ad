#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "tools/orbelle-data/DataWriters.h"
#include "library/PictureArchive.h"
#include "library/TarnBase.h"
#include "library/iDbRecs.h"
#include "tests/datafiles/TestFiles.h"

namespace {

int RunTool(const QStringList& args, QByteArray* out = nullptr) {
    QProcess p;
    p.start(QString(ORBELLE_PROGRAM_DIR) + "/orbelle-data", args);
    if (!p.waitForFinished(60000)) return -1;
    if (out) *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

TEST(OrbelleDataTool, DatabaseBuildListDump) {
    QTemporaryDir dir;
    ASSERT_TRUE(
        orbtest::WriteFile(dir.filePath("src.txt"),
                           "@@ Content_31|||\nA|Eerste\n\tB|Tweede \xe2\x82\xac\n\n@@ k2\nv\n"));
    ASSERT_EQ(RunTool({"db", "build", dir.filePath("src.txt"), dir.filePath("a.dat")}), 0);
    orb::TiDbRecFile db;
    ASSERT_TRUE(db.LoadFromFile(dir.filePath("a.dat")));
    db.ActivateAll();
    QByteArray value;
    ASSERT_TRUE(db.FindValue("Content_31|||", value));
    EXPECT_EQ(value, "A|Eerste\r\n\tB|Tweede \x80");
    QByteArray out;
    ASSERT_EQ(RunTool({"db", "list", dir.filePath("a.dat")}, &out), 0);
    EXPECT_EQ(out, "1\tContent_31|||\t21\n2\tk2\t1\n");
    ASSERT_EQ(RunTool({"db", "dump", dir.filePath("a.dat"), "Content_31|||"}, &out), 0);
    EXPECT_EQ(out, "A|Eerste\n\tB|Tweede \xe2\x82\xac\n");
    ASSERT_EQ(RunTool({"db", "dump", dir.filePath("a.dat")}, &out), 0);
    ASSERT_TRUE(orbtest::WriteFile(dir.filePath("again.txt"), out));
    ASSERT_EQ(RunTool({"db", "build", dir.filePath("again.txt"), dir.filePath("b.dat")}), 0);
    EXPECT_EQ(orbtest::ReadFile(dir.filePath("b.dat")), orbtest::ReadFile(dir.filePath("a.dat")));
    // A character outside Windows-1252 is an error, not a silent '?'.
    ASSERT_TRUE(orbtest::WriteFile(dir.filePath("bad.txt"), "@@ k\n\xe2\x88\x9e\n"));
    EXPECT_EQ(RunTool({"db", "build", dir.filePath("bad.txt"), dir.filePath("c.dat")}), 1);
    EXPECT_EQ(RunTool({"db", "dump", dir.filePath("a.dat"), "nope"}), 1);
}

TEST(OrbelleDataTool, DatabaseDumpIsExactOrRefused) {
    QTemporaryDir dir;
    // Records an outside writer may make: every one the source can carry survives the
    // round trip byte for byte, and a database with one it cannot is refused loudly.
    const std::vector<orb::TDbSourceRecord> fine{{"k1", "a\r\n\r\nb"},
                                                 {"", "no key"},
                                                 {"k3", ""},
                                                 {"k4", "@@ at\r\n@@@x\r\n@@y"},
                                                 {"k5", "\t lead and trail \t"},
                                                 {"k6", "lone\rreturn"}};
    const std::vector<orb::TDbSourceRecord> lossy{{"crlf", "ends in a line end\r\n"},
                                                  {"lf", "lone\nfeed"},
                                                  {"cr", "ends in a return\r"},
                                                  {"blank ", "key ends in a space"},
                                                  {"k", "x\r\n\r\n"}};
    EXPECT_TRUE(orb::DbSourceLosses(fine).isEmpty())
        << orb::DbSourceLosses(fine).join('\n').toStdString();
    EXPECT_EQ(orb::DbSourceLosses(lossy).size(), qsizetype(lossy.size()));
    QByteArray file, out;
    QString error;
    ASSERT_TRUE(orb::BuildDbFile(fine, file, error));
    ASSERT_TRUE(orbtest::WriteFile(dir.filePath("fine.dat"), file));
    ASSERT_EQ(RunTool({"db", "dump", dir.filePath("fine.dat")}, &out), 0);
    ASSERT_TRUE(orbtest::WriteFile(dir.filePath("fine.txt"), out));
    ASSERT_EQ(RunTool({"db", "build", dir.filePath("fine.txt"), dir.filePath("again.dat")}), 0);
    EXPECT_EQ(orbtest::ReadFile(dir.filePath("again.dat")), file);
    for (const auto& rec : lossy) {
        std::vector<orb::TDbSourceRecord> one = fine;
        one.push_back(rec);
        ASSERT_TRUE(orb::BuildDbFile(one, file, error));
        ASSERT_TRUE(orbtest::WriteFile(dir.filePath("lossy.dat"), file));
        EXPECT_EQ(RunTool({"db", "dump", dir.filePath("lossy.dat")}, &out), 1) << rec.Key.data();
        EXPECT_TRUE(out.isEmpty());
    }
}

TEST(OrbelleDataTool, ArchiveFromAFolder) {
    QTemporaryDir dir;
    const QString src = dir.filePath("pics");
    QDir().mkpath(src + "/Bloemen");
    QDir().mkpath(src + "/.hidden");
    ASSERT_TRUE(orbtest::WriteFile(src + "/Bloemen/roos.bmp", QByteArray(4000, 'r')));
    ASSERT_TRUE(orbtest::WriteFile(src + "/Bloemen/tulp.png", QByteArray(3000, 't')));
    ASSERT_TRUE(orbtest::WriteFile(src + "/.hidden/x.bmp", "x"));
    ASSERT_TRUE(orbtest::WriteFile(src + "/leeg.bmp", ""));
    const QString ar = dir.filePath("orbelle.dat");
    ASSERT_EQ(
        RunTool({"archive", "build", src, ar, "--store", "*.png", "--date", "2001-02-03T04:05:06"}),
        0);
    QByteArray out;
    ASSERT_EQ(RunTool({"archive", "list", ar}, &out), 0);
    const QList<QByteArray> lines = out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);  // hidden and empty files are left out
    const orb::TArchiveEntry roos = orb::ParseArchiveLine(lines[0]);
    const orb::TArchiveEntry tulp = orb::ParseArchiveLine(lines[1]);
    EXPECT_EQ(roos.Name, "\\Bloemen\\roos.bmp");
    EXPECT_LT(roos.StoredSize, roos.Size);
    EXPECT_EQ(tulp.StoredSize, tulp.Size);
    EXPECT_EQ(orb::DosDateTimeToQt(roos.FileDate), QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
    ASSERT_EQ(RunTool({"archive", "extract", ar, "\\bloemen\\TULP.png", dir.filePath("T/t.png")}),
              0);
    EXPECT_EQ(orbtest::ReadFile(dir.filePath("T/t.png")), QByteArray(3000, 't'));
    EXPECT_EQ(RunTool({"archive", "extract", ar, "\\nope", dir.filePath("T/n")}), 1);
}

TEST(OrbelleDataTool, TableBuildAndDump) {
    QTemporaryDir dir;
    ASSERT_TRUE(orbtest::WriteFile(dir.filePath("lng.txt"),
                                   "table Contents\ncolumn iCountry int32\ncolumn sCountry string\n"
                                   "record 44 English\n"));
    ASSERT_EQ(RunTool({"table", "build", dir.filePath("lng.txt"), dir.filePath("O.lng")}), 0);
    orb::TTarnObject db;
    ASSERT_TRUE(db.Open(dir.filePath("O.lng"), dir.filePath("O.lng"), QString(), QByteArray()));
    EXPECT_EQ(db.ReadFieldAsText("Contents", "sCountry", 1), "English");
    QByteArray out;
    ASSERT_EQ(RunTool({"table", "dump", dir.filePath("O.lng"), "--display"}, &out), 0);
    EXPECT_EQ(out, "Contents / 1: iCountry=44 | sCountry=English\n");
    ASSERT_EQ(RunTool({"table", "dump", dir.filePath("O.lng")}, &out), 0);
    ASSERT_TRUE(orbtest::WriteFile(dir.filePath("again.txt"), out));
    ASSERT_EQ(RunTool({"table", "build", dir.filePath("again.txt"), dir.filePath("P.lng"),
                       "--definition", dir.filePath("P.def")}),
              0);
    ASSERT_TRUE(db.Open(dir.filePath("P.lng"), dir.filePath("P.def"), QString(), QByteArray()));
    EXPECT_EQ(db.FindRecord("Contents", "iCountry", "44"), 1);
    ASSERT_TRUE(orbtest::WriteFile(dir.filePath("bad.txt"), "table T\ncolumn N int32\nrecord x\n"));
    EXPECT_EQ(RunTool({"table", "build", dir.filePath("bad.txt"), dir.filePath("Q.lng")}), 1);
}
