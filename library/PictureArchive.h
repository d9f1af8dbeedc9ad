#pragma once
// The picture archive ("orbelle.dat"): members stored whole or as zlib streams, found
// through a text directory at the end of the file.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>
#include <memory>

namespace orb {

// One parsed directory line.
struct TArchiveEntry {
    QByteArray Name;        // Windows-1252, as stored
    uint32_t FileDate = 0;  // DOS date-time
    int64_t Size = 0;
    int64_t StoredSize = 0;
    int64_t Offset = -1;
};

// The directory of one archive: its lines as stored, and the file they came from.
struct TArchiveIndex {
    QString FileName;
    QList<QByteArray> Lines;
};

// Nothing when the file does not exist; an empty directory when it cannot be read.
std::unique_ptr<TArchiveIndex> LoadArchiveIndex(const QString& fileName);

// The entry of the first line whose name equals `name` without regard to case, or the
// empty entry (Offset -1). `found` tells whether a line had the name at all.
TArchiveEntry FindArchiveEntry(const TArchiveIndex& index, const QString& name,
                               bool* found = nullptr);
// Parses one directory line.
TArchiveEntry ParseArchiveLine(const QByteArray& line);

// Writes the member to `targetFile` (creating its folder) with the member's file date.
bool ExtractArchiveEntry(const QString& archiveFile, const TArchiveEntry& entry,
                         const QString& targetFile);
// Finds `name` in the index and extracts it from the index's archive.
bool ExtractArchiveEntry(const TArchiveIndex& index, const QString& name,
                         const QString& targetFile);

// Largest member the readers accept: no picture or text of ours comes near it.
constexpr int64_t MaxArchiveMemberSize = int64_t(256) << 20;

// The member's bytes in memory (inflated when compressed); false on any fault, running out
// of memory included.
bool ReadArchiveMember(const QString& archiveFile, const TArchiveEntry& entry, QByteArray& data);

// DOS date-time (local time) to and from QDateTime; an invalid DOS value gives an invalid
// QDateTime.
QDateTime DosDateTimeToQt(uint32_t dos);
uint32_t QtToDosDateTime(const QDateTime& dt);

}  // namespace orb
