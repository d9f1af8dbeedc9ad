#include <gtest/gtest.h>
#include <zlib.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>

#include "tools/orbelle-data/DataWriters.h"
#include "library/PictureArchive.h"
#include "tests/datafiles/TestFiles.h"

using orb::TArchiveEntry;
using orb::TArchiveMemberIn;

namespace {

QByteArray Pattern(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = char((i / 37) % 5 == 0 ? i % 251 : 'w');
    return b;
}

QByteArray Noise(int size) {
    QByteArray b(size, '\0');
    uint32_t x = 2463534242u;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = char(x);
    }
    return b;
}

const uint32_t kDate = orb::QtToDosDateTime(QDateTime(QDate(2003, 7, 14), QTime(13, 45, 22)));

struct Archive {
    QTemporaryDir dir;
    QString name;
    QByteArray bytes;
    std::vector<TArchiveMemberIn> members;

    Archive() {
        members = {{"\\Bloemen\\roos.bmp", Pattern(300000), kDate, false},
                   {"\\Bloemen\\ruis.bin", Noise(5000), kDate, false},
                   {"\\hist\\Rozet.png", Pattern(2000), kDate, true}};
        QString error;
        EXPECT_TRUE(orb::BuildArchive(members, bytes, error));
        name = dir.filePath("orbelle.dat");
        EXPECT_TRUE(orbtest::WriteFile(name, bytes));
    }
};

}  // namespace

TEST(PictureArchive, DirectoryLinesAsWritten) {
    Archive a;
    const auto index = orb::LoadArchiveIndex(a.name);
    ASSERT_TRUE(index);
    ASSERT_EQ(index->Lines.size(), 3);
    const TArchiveEntry roos = orb::ParseArchiveLine(index->Lines[0]);
    EXPECT_EQ(roos.Name, "\\Bloemen\\roos.bmp");
    EXPECT_EQ(roos.FileDate, kDate);
    EXPECT_EQ(roos.Size, 300000);
    EXPECT_LT(roos.StoredSize, roos.Size);  // compresses well: compressed
    EXPECT_EQ(roos.Offset, 0);
    const TArchiveEntry ruis = orb::ParseArchiveLine(index->Lines[1]);
    EXPECT_EQ(ruis.StoredSize, ruis.Size);  // noise does not shrink: stored
    EXPECT_EQ(ruis.Offset, roos.StoredSize);
    const TArchiveEntry rozet = orb::ParseArchiveLine(index->Lines[2]);
    EXPECT_EQ(rozet.StoredSize, rozet.Size);  // stored on request
    EXPECT_EQ(index->Lines[2], "\\hist\\Rozet.png=" + QByteArray::number(kDate) + ";2000;2000;" +
                                   QByteArray::number(ruis.Offset + 5000) + ";");
    // The stored member is the file's bytes as they are.
    EXPECT_EQ(a.bytes.mid(rozet.Offset, 2000), a.members[2].Data);
}

TEST(PictureArchive, ExtractsByNameWithoutRegardToCase) {
    Archive a;
    const auto index = orb::LoadArchiveIndex(a.name);
    ASSERT_TRUE(index);
    for (size_t i = 0; i < a.members.size(); ++i) {
        const QString target = a.dir.filePath("T/sub/" + QString::number(i));
        const QString upper = QString::fromLatin1(a.members[i].Name).toUpper();
        ASSERT_TRUE(orb::ExtractArchiveEntry(*index, upper, target)) << i;
        EXPECT_EQ(orbtest::ReadFile(target), a.members[i].Data);
        EXPECT_EQ(QFileInfo(target).lastModified(),
                  QDateTime(QDate(2003, 7, 14), QTime(13, 45, 22)));
    }
    bool found = true;
    const TArchiveEntry none = orb::FindArchiveEntry(*index, "\\Bloemen\\tulp.bmp", &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(none.Offset, -1);
    EXPECT_FALSE(orb::ExtractArchiveEntry(*index, "\\Bloemen\\tulp.bmp", a.dir.filePath("x")));
}

TEST(PictureArchive, PendingEventsRunDuringALongInflation) {
    QTemporaryDir dir;
    std::vector<TArchiveMemberIn> big{{"\\big.bmp", Pattern(3 << 20), kDate, false}};
    QByteArray bytes;
    QString error;
    ASSERT_TRUE(orb::BuildArchive(big, bytes, error));
    ASSERT_TRUE(orbtest::WriteFile(dir.filePath("a.dat"), bytes));
    const auto index = orb::LoadArchiveIndex(dir.filePath("a.dat"));
    bool ran = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(orb::ExtractArchiveEntry(*index, "\\big.bmp", dir.filePath("big.bmp")));
    EXPECT_TRUE(ran);
}

TEST(PictureArchive, LineParsingDefaults) {
    TArchiveEntry e = orb::ParseArchiveLine("name=");
    EXPECT_EQ(e.Name, "name");
    EXPECT_EQ(e.FileDate, 0u);
    EXPECT_EQ(e.Size, 0);
    EXPECT_EQ(e.Offset, -1);
    QTemporaryDir dir;
    EXPECT_FALSE(orb::ExtractArchiveEntry(dir.filePath("any"), e, dir.filePath("out")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out")));
    // A missing last ";" leaves the offset unreadable.
    e = orb::ParseArchiveLine("a=1;10;10;0");
    EXPECT_EQ(e.Size, 10);
    EXPECT_EQ(e.StoredSize, 10);
    EXPECT_EQ(e.Offset, -1);
    // Names hold everything before the first "=".
    e = orb::ParseArchiveLine("a;b=c=1;2;3;4;");
    EXPECT_EQ(e.Name, "a;b");
    EXPECT_EQ(e.FileDate, 0u);
}

TEST(PictureArchive, MissingFileIsNothingAndBadDirectoryIsEmpty) {
    QTemporaryDir dir;
    EXPECT_FALSE(orb::LoadArchiveIndex(dir.filePath("none.dat")));
    Archive a;
    for (int32_t len : {-1, int32_t(a.bytes.size()), 0x7FFFFFFF}) {
        QByteArray bad = a.bytes;
        std::memcpy(bad.data() + bad.size() - 4, &len, 4);
        ASSERT_TRUE(orbtest::WriteFile(dir.filePath("bad.dat"), bad));
        const auto index = orb::LoadArchiveIndex(dir.filePath("bad.dat"));
        ASSERT_TRUE(index);
        EXPECT_TRUE(index->Lines.isEmpty()) << len;
    }
}

TEST(PictureArchive, RefusesEntriesThatDoNotFit) {
    Archive a;
    const auto index = orb::LoadArchiveIndex(a.name);
    const TArchiveEntry good = orb::FindArchiveEntry(*index, "\\Bloemen\\roos.bmp");
    const QString out = a.dir.filePath("out.bmp");
    QByteArray data;
    TArchiveEntry e = good;
    e.StoredSize = a.bytes.size() + 1;  // past the end of the file
    EXPECT_FALSE(orb::ReadArchiveMember(a.name, e, data));
    e = good;
    e.Size = int64_t(1) << 40;  // no zlib stream expands that far: refused before allocating
    EXPECT_FALSE(orb::ReadArchiveMember(a.name, e, data));
    e = good;
    e.Size = good.Size + 1;  // the stream ends early
    EXPECT_FALSE(orb::ExtractArchiveEntry(a.name, e, out));
    e.Size = good.Size - 1;  // the stream is longer than the member
    EXPECT_FALSE(orb::ExtractArchiveEntry(a.name, e, out));
    e = good;
    e.StoredSize = good.Size + 1;  // stored larger than the member
    EXPECT_FALSE(orb::ExtractArchiveEntry(a.name, e, out));
    e = good;
    e.Offset = 1;  // not a zlib stream there
    EXPECT_FALSE(orb::ExtractArchiveEntry(a.name, e, out));
    e = good;
    e.FileDate = 0;  // no valid date: the file does not stay
    EXPECT_FALSE(orb::ExtractArchiveEntry(a.name, e, out));
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_TRUE(orb::ExtractArchiveEntry(a.name, good, out));
}

TEST(PictureArchive, HugeClaimedMemberIsRefused) {
    // 130 MB "stored" (a sparse file) claiming 128 GB: plausible for zlib's ratio, far
    // beyond memory. The readers answer false; they do not end the program.
    QTemporaryDir dir;
    const QString name = dir.filePath("huge.dat");
    const int64_t stored = int64_t(130) << 20;
    const QByteArray line = "\\big.bmp=" + QByteArray::number(kDate) + ";" +
                            QByteArray::number(int64_t(128) << 30) + ";" +
                            QByteArray::number(stored) + ";0;\r\n";
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(stored));
        ASSERT_TRUE(f.seek(stored));
        f.write(line);
        const int32_t len = int32_t(line.size());
        f.write(reinterpret_cast<const char*>(&len), 4);
    }
    const auto index = orb::LoadArchiveIndex(name);
    ASSERT_TRUE(index);
    ASSERT_EQ(index->Lines.size(), 1);
    QByteArray data;
    const TArchiveEntry e = orb::ParseArchiveLine(index->Lines[0]);
    EXPECT_FALSE(orb::ReadArchiveMember(name, e, data));
    EXPECT_FALSE(orb::ExtractArchiveEntry(*index, "\\big.bmp", dir.filePath("big.bmp")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("big.bmp")));

    // Within the member limit a claim the stream does not back fails without taking the
    // claimed memory first.
    Archive a;
    const auto small = orb::LoadArchiveIndex(a.name);
    TArchiveEntry claim = orb::FindArchiveEntry(*small, "\\Bloemen\\roos.bmp");
    claim.Size = std::min<int64_t>(orb::MaxArchiveMemberSize, claim.StoredSize * 1000);
    EXPECT_FALSE(orb::ReadArchiveMember(a.name, claim, data));
    EXPECT_TRUE(data.isEmpty());
}

TEST(PictureArchive, DamagedArchivesNeverCrash) {
    Archive a;
    // A small archive so that every truncation of it is tried.
    std::vector<TArchiveMemberIn> small{{"\\a\\x.bmp", Pattern(700), kDate, false},
                                        {"\\a\\y.bmp", Noise(60), kDate, false}};
    QByteArray bytes;
    QString error;
    ASSERT_TRUE(orb::BuildArchive(small, bytes, error));
    const QString name = a.dir.filePath("d.dat");
    const QString out = a.dir.filePath("d.out");
    orbtest::ForEachDamaged(bytes, 400, 300, [&](const QByteArray& bad) {
        ASSERT_TRUE(orbtest::WriteFile(name, bad));
        const auto index = orb::LoadArchiveIndex(name);
        ASSERT_TRUE(index);
        for (const QByteArray& line : index->Lines) {
            const TArchiveEntry e = orb::ParseArchiveLine(line);
            if (orb::ExtractArchiveEntry(name, e, out)) {
                EXPECT_EQ(QFileInfo(out).size(), e.Size);
            }
        }
    });
}

TEST(PictureArchive, WriterRefusesNamesThatCannotBeFound) {
    QByteArray bytes;
    QString error;
    std::vector<TArchiveMemberIn> dup{{"\\A\\x.bmp", "1", kDate, false},
                                      {"\\a\\X.BMP", "2", kDate, false}};
    EXPECT_FALSE(orb::BuildArchive(dup, bytes, error));
    std::vector<TArchiveMemberIn> eq{{"a=b", "1", kDate, false}};
    EXPECT_FALSE(orb::BuildArchive(eq, bytes, error));
}

TEST(PictureArchive, DosDateTimes) {
    const QDateTime t(QDate(2021, 2, 28), QTime(23, 59, 58));
    EXPECT_EQ(orb::DosDateTimeToQt(orb::QtToDosDateTime(t)), t);
    // Two-second steps: odd seconds go down.
    EXPECT_EQ(orb::DosDateTimeToQt(orb::QtToDosDateTime(t.addSecs(1))), t);
    EXPECT_FALSE(orb::DosDateTimeToQt(0).isValid());
    EXPECT_EQ(orb::QtToDosDateTime(QDateTime(QDate(1979, 12, 31), QTime(0, 0))), 0u);
}
