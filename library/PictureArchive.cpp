#include "library/PictureArchive.h"

#include <zlib.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <new>

#include "library/Cp1252.h"

namespace orb {

namespace {

void ReadIndex(TArchiveIndex& index);

}  // namespace

std::unique_ptr<TArchiveIndex> LoadArchiveIndex(const QString& fileName) {
    if (!QFileInfo::exists(fileName)) return nullptr;
    auto index = std::make_unique<TArchiveIndex>();
    index->FileName = fileName;
    try {
        ReadIndex(*index);
    } catch (const std::bad_alloc&) {
        // A directory too large for memory reads as a damaged one.
        index->Lines.clear();
    }
    return index;
}

namespace {

void ReadIndex(TArchiveIndex& index) {
    QFile file(index.FileName);
    if (!file.open(QIODevice::ReadOnly)) return;
    const qint64 size = file.size();
    if (size < 4 || !file.seek(size - 4)) return;
    char tail[4];
    if (file.read(tail, 4) != 4) return;
    int32_t len;
    std::memcpy(&len, tail, 4);
    // A length pointing outside the file is a corrupt directory.
    if (len < 0 || qint64(len) > size - 4) return;
    if (!file.seek(size - 4 - len)) return;
    const QByteArray text = file.read(len);
    if (text.size() != len) return;
    // CR LF separated; a lone CR or LF also ends a line, and a final line end adds no line.
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i == n || text[i] == '\r' || text[i] == '\n') {
            if (i < n || start < n) index.Lines.append(text.mid(start, i - start));
            if (i < n && text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
}

}  // namespace

namespace {

// Reads the decimal number up to the next ';' from `p`; false when the ';' is missing or
// the text is no number.
bool NumberField(const QByteArray& line, qsizetype& p, int64_t& out) {
    const qsizetype semi = line.indexOf(';', p);
    if (semi < 0) return false;
    bool ok = false;
    const int64_t v = line.mid(p, semi - p).trimmed().toLongLong(&ok);
    p = semi + 1;
    if (!ok) return false;
    out = v;
    return true;
}

QByteArray NameOf(const QByteArray& line) {
    const qsizetype eq = line.indexOf('=');
    return eq < 0 ? line : line.left(eq);
}

}  // namespace

TArchiveEntry ParseArchiveLine(const QByteArray& line) {
    TArchiveEntry e;
    const qsizetype eq = line.indexOf('=');
    e.Name = eq < 0 ? line : line.left(eq);
    if (eq < 0 || eq + 1 >= line.size()) return e;
    qsizetype p = eq + 1;
    int64_t v;
    if (!NumberField(line, p, v)) return e;
    e.FileDate = static_cast<uint32_t>(v);  // written unsigned; a signed value keeps its bits
    if (NumberField(line, p, v)) {
        e.Size = v;
        if (NumberField(line, p, v)) {
            e.StoredSize = v;
            if (NumberField(line, p, v)) e.Offset = v;
        }
    }
    return e;
}

TArchiveEntry FindArchiveEntry(const TArchiveIndex& index, const QString& name, bool* found) {
    if (found) *found = false;
    for (const QByteArray& line : index.Lines) {
        if (FromCp1252(NameOf(line)).compare(name, Qt::CaseInsensitive) == 0) {
            if (found) *found = true;
            return ParseArchiveLine(line);
        }
    }
    return TArchiveEntry{};
}

QDateTime DosDateTimeToQt(uint32_t dos) {
    const int day = dos >> 16 & 0x1F, month = dos >> 21 & 0x0F, year = 1980 + (dos >> 25);
    const int sec = (dos & 0x1F) * 2, min = dos >> 5 & 0x3F, hour = dos >> 11 & 0x1F;
    const QDate d(year, month, day);
    const QTime t(hour, min, sec);
    if (!d.isValid() || !t.isValid()) return QDateTime();
    return QDateTime(d, t, Qt::LocalTime);
}

uint32_t QtToDosDateTime(const QDateTime& dt) {
    const QDateTime l = dt.toLocalTime();
    const QDate d = l.date();
    const QTime t = l.time();
    if (!d.isValid() || d.year() < 1980 || d.year() > 2107) return 0;
    return uint32_t(d.year() - 1980) << 25 | uint32_t(d.month()) << 21 | uint32_t(d.day()) << 16 |
           uint32_t(t.hour()) << 11 | uint32_t(t.minute()) << 5 | uint32_t(t.second() / 2);
}

namespace {

// zlib cannot expand data by more than about 1032 to 1; a larger claim is a corrupt entry,
// and refusing it keeps a hostile size from allocating without bound.
bool PlausibleSizes(int64_t size, int64_t stored) {
    return size > 0 && stored > 0 && stored <= size && size / 1032 <= stored + 1 &&
           size <= MaxArchiveMemberSize;
}

bool Inflate(const QByteArray& in, int64_t size, QByteArray& out) {
    // The output grows with what the stream gives, so a claimed size costs nothing
    // until the data backs it.
    out.resize(std::min<int64_t>(size, int64_t(1) << 20));
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    zs.avail_in = static_cast<uInt>(in.size());
    // Inflate a slice at a time and let pending events run in between, so the window stays
    // responsive during a long member.
    constexpr uInt kSlice = 1u << 20;
    int64_t left = size;
    int rc = Z_OK;
    while (left > 0) {
        const uInt slice = left < kSlice ? static_cast<uInt>(left) : kSlice;
        const int64_t done = size - left;
        if (done + slice > out.size()) out.resize(std::min<int64_t>(size, 2 * (done + slice)));
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + done);
        zs.avail_out = slice;
        rc = inflate(&zs, Z_NO_FLUSH);
        left -= slice - zs.avail_out;
        if (rc == Z_STREAM_END || (rc != Z_OK && rc != Z_BUF_ERROR)) break;
        if (rc == Z_BUF_ERROR && zs.avail_in == 0) break;  // input ran out early
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }
    inflateEnd(&zs);
    // The stream must end exactly at the member's size.
    return rc == Z_STREAM_END && left == 0;
}

}  // namespace

namespace {

bool ReadMember(const QString& archiveFile, const TArchiveEntry& entry, QByteArray& data) {
    data.clear();
    if (entry.Offset < 0 || !PlausibleSizes(entry.Size, entry.StoredSize)) return false;
    QByteArray stored;
    {
        QFile file(archiveFile);
        if (!file.open(QIODevice::ReadOnly)) return false;
        // A stored size reaching past the end of the file is refused before allocating.
        if (entry.Offset > file.size() || entry.StoredSize > file.size() - entry.Offset)
            return false;
        if (!file.seek(entry.Offset)) return false;
        stored = file.read(entry.StoredSize);
        if (stored.size() != entry.StoredSize) return false;
    }
    if (entry.StoredSize == entry.Size) {
        data = std::move(stored);
        return true;
    }
    if (!Inflate(stored, entry.Size, data)) {
        data.clear();
        return false;
    }
    return true;
}

}  // namespace

bool ReadArchiveMember(const QString& archiveFile, const TArchiveEntry& entry, QByteArray& data) {
    try {
        return ReadMember(archiveFile, entry, data);
    } catch (const std::bad_alloc&) {
        data = QByteArray();
        return false;
    }
}

bool ExtractArchiveEntry(const QString& archiveFile, const TArchiveEntry& entry,
                         const QString& targetFile) {
    QByteArray data;
    if (!ReadArchiveMember(archiveFile, entry, data)) return false;
    // Past this point only the file system can fail: the data is in memory.
    const QFileInfo info(targetFile);
    if (!QDir().mkpath(info.absolutePath())) return false;
    QFile out(targetFile);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    // Flushed first: a later write would stamp the file with the current time again.
    bool ok = out.write(data) == data.size() && out.flush();
    const QDateTime when = DosDateTimeToQt(entry.FileDate);
    ok = ok && when.isValid() && out.setFileTime(when, QFileDevice::FileModificationTime);
    out.close();
    ok = ok && out.error() == QFileDevice::NoError;
    if (!ok) {
        out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        out.remove();
    }
    return ok;
}

bool ExtractArchiveEntry(const TArchiveIndex& index, const QString& name,
                         const QString& targetFile) {
    bool found = false;
    const TArchiveEntry e = FindArchiveEntry(index, name, &found);
    return found && ExtractArchiveEntry(index.FileName, e, targetFile);
}

}  // namespace orb
