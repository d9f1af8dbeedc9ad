#include "tools/orbelle-data/DataWriters.h"

#include <zlib.h>

#include <QDate>
#include <QRandomGenerator>
#include <QSet>
#include <QTime>
#include <cmath>
#include <cstring>

#include "library/Cp1252.h"
#include "library/TarnBase.h"
#include "library/iDbRecs.h"

namespace orb {
namespace {

QList<QByteArray> SourceLines(QByteArray source) {
    if (source.startsWith("\xEF\xBB\xBF")) source.remove(0, 3);
    QList<QByteArray> lines = source.split('\n');
    for (QByteArray& l : lines)
        if (l.endsWith('\r')) l.chop(1);
    return lines;
}

bool LineToCp1252(const QByteArray& utf8, int lineNo, QByteArray& out, QString& error) {
    const QString text = QString::fromUtf8(utf8);
    if (text.toUtf8() != utf8) {
        error = QStringLiteral("line %1: not valid UTF-8").arg(lineNo);
        return false;
    }
    bool ok = true;
    out = ToCp1252(text, &ok);
    if (!ok) {
        error = QStringLiteral("line %1: a character that Windows-1252 cannot hold").arg(lineNo);
        return false;
    }
    return true;
}

template <typename T>
void Put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

}  // namespace

// ---------------------------------------------------------------- text database

bool ParseDbSource(const QByteArray& source, std::vector<TDbSourceRecord>& records, QString& error,
                   QStringList* warnings) {
    records.clear();
    const QList<QByteArray> lines = SourceLines(source);
    bool inRecord = false;
    QList<QByteArray> value;
    QSet<QByteArray> seen;
    auto finish = [&]() {
        while (!value.isEmpty() && value.last().isEmpty()) value.removeLast();
        records.back().Value = value.join("\r\n");
        value.clear();
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.startsWith("@@ ")) {
            if (inRecord) finish();
            QByteArray key = line.mid(3);
            while (!key.isEmpty() && (key.endsWith(' ') || key.endsWith('\t'))) key.chop(1);
            TDbSourceRecord rec;
            if (!LineToCp1252(key, i + 1, rec.Key, error)) return false;
            if (warnings && seen.contains(rec.Key))
                warnings->append(QStringLiteral("line %1: duplicate key").arg(i + 1));
            seen.insert(rec.Key);
            records.push_back(rec);
            inRecord = true;
            continue;
        }
        if (!inRecord) continue;  // header comments
        QByteArray v;
        if (!LineToCp1252(line.startsWith("@@@") ? line.mid(1) : line, i + 1, v, error))
            return false;
        value.append(v);
    }
    if (inRecord) finish();
    return true;
}

QByteArray DbSourceText(const std::vector<TDbSourceRecord>& records) {
    QByteArray out = "# text database\n";
    for (const TDbSourceRecord& r : records) {
        out += "@@ " + FromCp1252(r.Key).toUtf8() + "\n";
        if (!r.Value.isEmpty()) {
            for (const QByteArray& line : r.Value.split('\n')) {
                QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
                if (l.startsWith("@@ ") || l.startsWith("@@@")) l.prepend('@');
                out += FromCp1252(l).toUtf8() + "\n";
            }
        }
        out += "\n";
    }
    return out;
}

QStringList DbSourceLosses(const std::vector<TDbSourceRecord>& records) {
    // Each record alone through the writer and back: whatever the source format
    // cannot carry shows as a difference, whichever rule it falls under.
    QStringList losses;
    for (size_t i = 0; i < records.size(); ++i) {
        const TDbSourceRecord& r = records[i];
        std::vector<TDbSourceRecord> back;
        QString error;
        const bool parsed = ParseDbSource(DbSourceText({r}), back, error);
        QString why;
        if (!parsed)
            why = error;
        else if (back.size() != 1 || back[0].Key != r.Key)
            why = QStringLiteral("key");
        else if (back[0].Value != r.Value)
            why = QStringLiteral("value");
        if (!why.isEmpty())
            losses << QStringLiteral("record %1 (%2): %3 cannot be written as source text")
                          .arg(i + 1)
                          .arg(FromCp1252(r.Key).left(40), why);
    }
    return losses;
}

bool BuildDbFile(const std::vector<TDbSourceRecord>& records, QByteArray& file, QString& error) {
    file.clear();
    if (records.size() > size_t(INT32_MAX)) {
        error = QStringLiteral("too many records");
        return false;
    }
    Put<int32_t>(file, int32_t(records.size()));
    for (size_t i = 0; i < records.size(); ++i) {
        const TDbSourceRecord& r = records[i];
        if (r.Key.size() > 65535 || r.Value.size() > 65535) {
            error = QStringLiteral("record %1: key or value longer than 65535 bytes").arg(i + 1);
            return false;
        }
        Put<int32_t>(file, 0);
        Put<uint16_t>(file, uint16_t(r.Key.size()));
        Put<uint16_t>(file, uint16_t(r.Value.size()));
        const qsizetype at = file.size();
        file += r.Key;
        file += r.Value;
        DbTransform(file.data() + at, size_t(file.size() - at));
    }
    return true;
}

// ---------------------------------------------------------------- picture archive

bool BuildArchive(const std::vector<TArchiveMemberIn>& members, QByteArray& file, QString& error) {
    file.clear();
    QByteArray dir;
    QSet<QString> names;
    for (const TArchiveMemberIn& m : members) {
        if (m.Name.isEmpty() || m.Name.contains('=') || m.Name.contains('\r') ||
            m.Name.contains('\n') || m.Name.contains('\0')) {
            error = QStringLiteral("member name not allowed: %1").arg(FromCp1252(m.Name));
            return false;
        }
        const QString folded = FromCp1252(m.Name).toCaseFolded();
        if (names.contains(folded)) {
            error =
                QStringLiteral("two members named %1 (letter case aside)").arg(FromCp1252(m.Name));
            return false;
        }
        names.insert(folded);
        if (m.Data.isEmpty()) {
            error = QStringLiteral("member %1 is empty").arg(FromCp1252(m.Name));
            return false;
        }
        const qint64 offset = file.size();
        QByteArray stored = m.Data;
        if (!m.ForceStore) {
            uLongf len = compressBound(uLong(m.Data.size()));
            QByteArray z(qsizetype(len), Qt::Uninitialized);
            if (compress2(reinterpret_cast<Bytef*>(z.data()), &len,
                          reinterpret_cast<const Bytef*>(m.Data.constData()), uLong(m.Data.size()),
                          Z_BEST_COMPRESSION) == Z_OK &&
                qsizetype(len) < m.Data.size()) {
                z.truncate(qsizetype(len));
                stored = z;
            }
        }
        file += stored;
        dir += m.Name + '=' + QByteArray::number(m.FileDate) + ';' +
               QByteArray::number(qint64(m.Data.size())) + ';' +
               QByteArray::number(qint64(stored.size())) + ';' + QByteArray::number(offset) +
               ";\r\n";
    }
    if (dir.size() > INT32_MAX) {
        error = QStringLiteral("directory too long");
        return false;
    }
    file += dir;
    Put<int32_t>(file, int32_t(dir.size()));
    return true;
}

// ---------------------------------------------------------------- table files

namespace {

struct TypeName {
    const char* name;
    uint8_t code;
};
const TypeName kTypes[] = {{"bool", 0},     {"byte", 1},      {"int64", 2},   {"int32", 3},
                           {"datetime", 4}, {"extended", 5},  {"double", 8},  {"real48", 9},
                           {"list", 10},    {"shortint", 11}, {"single", 12}, {"string", 13},
                           {"word", 14}};

QByteArray TypeNameOf(uint8_t code) {
    for (const TypeName& t : kTypes)
        if (t.code == code) return t.name;
    return QByteArray::number(code);
}

// Splits a description line into words; quoted words may hold escapes.
bool Words(const QByteArray& line, int lineNo, QList<QByteArray>& words, QString& error) {
    words.clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= n || line[i] == '#') break;
        QByteArray w;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    w += c;
                    continue;
                }
                if (i >= n) break;
                const char e = line[i++];
                switch (e) {
                    case 'n':
                        w += '\n';
                        break;
                    case 'r':
                        w += '\r';
                        break;
                    case 't':
                        w += '\t';
                        break;
                    case '"':
                        w += '"';
                        break;
                    case '\\':
                        w += '\\';
                        break;
                    case 'x': {
                        bool ok = false;
                        const int v = line.mid(i, 2).toInt(&ok, 16);
                        if (!ok || i + 2 > n) {
                            error = QStringLiteral("line %1: bad \\x escape").arg(lineNo);
                            return false;
                        }
                        // One Windows-1252 byte, kept as its UTF-8 character for now.
                        w += FromCp1252(QByteArray(1, char(v))).toUtf8();
                        i += 2;
                        break;
                    }
                    default:
                        error = QStringLiteral("line %1: unknown escape \\%2").arg(lineNo).arg(e);
                        return false;
                }
            }
            if (!closed) {
                error = QStringLiteral("line %1: unclosed quote").arg(lineNo);
                return false;
            }
            words.append(w);
            // A quoted word is never a comment marker or an option: mark it.
            words.last().prepend('\x01');
        } else {
            while (i < n && line[i] != ' ' && line[i] != '\t') w += line[i++];
            words.append(w);
        }
    }
    return true;
}

QByteArray Plain(const QByteArray& w) { return w.startsWith('\x01') ? w.mid(1) : w; }

bool ParseIntWord(const QByteArray& w, qint64 lo, qint64 hi, qint64& v) {
    bool ok = false;
    v = Plain(w).toLongLong(&ok);
    return ok && v >= lo && v <= hi;
}

void PutExtended(uchar* p, double v) {
    std::memset(p, 0, 10);
    uint16_t se = std::signbit(v) ? 0x8000 : 0;
    v = std::fabs(v);
    uint64_t mant = 0;
    if (std::isnan(v)) {
        se |= 0x7FFF;
        mant = 0xC000000000000000ull;
    } else if (std::isinf(v)) {
        se |= 0x7FFF;
        mant = 0x8000000000000000ull;
    } else if (v != 0.0) {
        int e;
        const double m = std::frexp(v, &e);  // v = m * 2^e, 0.5 <= m < 1
        mant = uint64_t(std::ldexp(m, 64));
        se |= uint16_t(e - 1 + 16383);
    }
    std::memcpy(p, &mant, 8);
    std::memcpy(p + 8, &se, 2);
}

bool PutReal48(uchar* p, double v) {
    std::memset(p, 0, 6);
    if (v == 0.0) return true;
    if (!std::isfinite(v)) return false;
    int e;
    const double m = std::frexp(std::fabs(v), &e);  // 0.5 <= m < 1: 1.f * 2^(e-1)
    const int exp = e - 1 + 129;
    if (exp < 1 || exp > 255) return false;
    uint64_t frac = uint64_t(std::llround(std::ldexp(m * 2.0 - 1.0, 39)));
    if (frac >> 39) return false;
    if (std::signbit(v)) frac |= uint64_t(1) << 39;
    p[0] = uchar(exp);
    for (int i = 1; i <= 5; ++i) p[i] = uchar(frac >> (8 * (i - 1)));
    return true;
}

bool ParseDateTime(const QByteArray& w, double& stored) {
    bool ok = false;
    const double plain = w.toDouble(&ok);
    if (ok) {
        stored = plain;
        return true;
    }
    const QString s = QString::fromUtf8(w);
    QDate d = QDate::fromString(s.left(10), Qt::ISODate);
    if (!d.isValid()) return false;
    double frac = 0;
    if (s.size() > 10) {
        if (s[10] != 'T' && s[10] != ' ') return false;
        QTime t = QTime::fromString(s.mid(11), Qt::ISODateWithMs);
        if (!t.isValid()) return false;
        frac = t.msecsSinceStartOfDay() / 86400000.0;
    }
    // The date part counts from 1899-12-30; negative days keep a positive time fraction.
    const double days = double(QDate(1899, 12, 30).daysTo(d));
    stored = (days < 0 ? days - frac : days + frac) + 693594.0;
    return true;
}

bool EncodeValue(const TTableColumnIn& c, bool transform, const QByteArray& word, uchar* p,
                 int64_t size, QString& why) {
    std::memset(p, 0, size_t(size));
    const QByteArray w = Plain(word);
    const bool quoted = word.startsWith('\x01');
    if (!quoted && w.startsWith("raw:")) {
        const QByteArray raw = QByteArray::fromHex(w.mid(4));
        if (raw.size() != size || raw.toHex() != w.mid(4).toLower()) {
            why = QStringLiteral("raw value needs %1 bytes in hex").arg(size);
            return false;
        }
        std::memcpy(p, raw.constData(), size_t(size));
        return true;
    }
    qint64 iv = 0;
    bool ok = false;
    switch (c.Type) {
        case ttBoolean: {
            const QByteArray l = w.toLower();
            if (l == "yes" || l == "true" || l == "on")
                p[0] = 1;
            else if (l == "no" || l == "false" || l == "off" || l.isEmpty())
                p[0] = 0;
            else if (ParseIntWord(w, 0, 255, iv))
                p[0] = uchar(iv);
            else
                return why = "not a Boolean", false;
            return true;
        }
        case ttByte:
            if (w.isEmpty()) return true;
            if (!ParseIntWord(w, 0, 255, iv)) return why = "not a byte", false;
            p[0] = uchar(iv);
            return true;
        case ttShortInt:
            if (w.isEmpty()) return true;
            if (!ParseIntWord(w, -128, 127, iv)) return why = "not a small integer", false;
            p[0] = uchar(int8_t(iv));
            return true;
        case ttWord: {
            if (w.isEmpty()) return true;
            if (!ParseIntWord(w, 0, 65535, iv)) return why = "not a 16-bit number", false;
            const uint16_t v = uint16_t(iv);
            std::memcpy(p, &v, 2);
            return true;
        }
        case ttInteger:
        case ttInteger6:
        case ttInteger7: {
            if (w.isEmpty()) return true;
            if (!ParseIntWord(w, INT32_MIN, INT32_MAX, iv))
                return why = "not a 32-bit number", false;
            const int32_t v = int32_t(iv);
            std::memcpy(p, &v, 4);
            return true;
        }
        case ttInt64: {
            if (w.isEmpty()) return true;
            const qlonglong v = w.toLongLong(&ok);
            if (!ok) return why = "not a 64-bit number", false;
            std::memcpy(p, &v, 8);
            return true;
        }
        case ttDateTime: {
            if (w.isEmpty()) return true;
            double v;
            if (!ParseDateTime(w, v)) return why = "not a date", false;
            std::memcpy(p, &v, 8);
            return true;
        }
        case ttDouble:
        case ttSingle:
        case ttExtended:
        case ttReal48: {
            if (w.isEmpty()) return true;
            const double v = w.toDouble(&ok);
            if (!ok) return why = "not a number", false;
            if (c.Type == ttDouble) std::memcpy(p, &v, 8);
            if (c.Type == ttSingle) {
                const float f = float(v);
                std::memcpy(p, &f, 4);
            }
            if (c.Type == ttExtended) PutExtended(p, v);
            if (c.Type == ttReal48 && !PutReal48(p, v)) return why = "out of range", false;
            return true;
        }
        case ttList: {
            if (w.isEmpty() || w == "-") return true;
            const QList<QByteArray> parts = w.split(',');
            if (parts.size() * 4 > size) return why = "more entries than the list holds", false;
            for (int i = 0; i < parts.size(); ++i) {
                if (!ParseIntWord(parts[i], INT32_MIN, INT32_MAX, iv))
                    return why = "not a record number", false;
                const int32_t v = int32_t(iv);
                std::memcpy(p + 4 * i, &v, 4);
            }
            return true;
        }
        case ttString: {
            bool good = true;
            const QByteArray s = ToCp1252(QString::fromUtf8(w), &good);
            if (!good) return why = "a character that Windows-1252 cannot hold", false;
            if (s.size() > size)
                return why = QStringLiteral("longer than %1 bytes").arg(size), false;
            if (s.contains('\0')) return why = "holds a zero byte", false;
            std::memcpy(p, s.constData(), size_t(s.size()));
            if (transform) {
                for (int64_t i = 0; i < size; ++i) {
                    if (p[i] == 0xFE || p[i] == 0xFF)
                        return why =
                                   "the string transform cannot store the characters \xc3\xbe and "
                                   "\xc3\xbf",
                               false;
                    p[i] = TarnTransformByte(p[i]);
                }
            }
            return true;
        }
        default:
            return true;  // takes no bytes
    }
}

}  // namespace

bool ParseTableDescription(const QByteArray& source, TTableFileIn& db, QString& error) {
    db = TTableFileIn{};
    const QList<QByteArray> lines = SourceLines(source);
    QList<QByteArray> words;
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        if (!Words(lines[i], lineNo, words, error)) return false;
        if (words.isEmpty()) continue;
        const QByteArray cmd = words[0];
        auto fail = [&](const QString& what) {
            error = QStringLiteral("line %1: %2").arg(lineNo).arg(what);
            return false;
        };
        if (cmd == "transform") {
            if (words.size() != 2) return fail("transform on|off");
            if (!db.Tables.empty()) return fail("transform must come before the tables");
            if (words[1] == "on")
                db.Transform = true;
            else if (words[1] == "off")
                db.Transform = false;
            else
                return fail("transform on|off");
        } else if (cmd == "password") {
            if (words.size() != 2) return fail("password TEXT");
            bool ok = true;
            db.Password = ToCp1252(QString::fromUtf8(Plain(words[1])), &ok);
            if (!ok) return fail("a character that Windows-1252 cannot hold");
            db.HasPassword = true;
        } else if (cmd == "table") {
            if (words.size() < 2) return fail("table NAME [flag=N]");
            TTableIn t;
            bool ok = true;
            t.Name = ToCp1252(QString::fromUtf8(Plain(words[1])), &ok);
            if (!ok) return fail("a character that Windows-1252 cannot hold");
            if (t.Name.isEmpty() || t.Name.size() > kTarnNameMax)
                return fail("table names are 1 to 63 bytes");
            for (int k = 2; k < words.size(); ++k) {
                qint64 v;
                if (words[k].startsWith("flag=") && ParseIntWord(words[k].mid(5), 0, 255, v))
                    t.Flag = uint8_t(v);
                else
                    return fail("unknown table option " + QString::fromUtf8(words[k]));
            }
            db.Tables.push_back(t);
        } else if (cmd == "column") {
            if (db.Tables.empty()) return fail("column before any table");
            if (!db.Tables.back().Records.empty()) return fail("column after records");
            if (words.size() < 3) return fail("column NAME TYPE [options]");
            TTableColumnIn c;
            bool ok = true;
            c.Name = ToCp1252(QString::fromUtf8(Plain(words[1])), &ok);
            if (!ok) return fail("a character that Windows-1252 cannot hold");
            if (c.Name.isEmpty() || c.Name.size() > kTarnNameMax)
                return fail("column names are 1 to 63 bytes");
            qint64 code = -1;
            for (const TypeName& t : kTypes)
                if (words[2] == t.name) code = t.code;
            if (code < 0 && !ParseIntWord(words[2], 0, 255, code))
                return fail("unknown type " + QString::fromUtf8(words[2]));
            c.Type = uint8_t(code);
            if (c.Type == ttString) c.Params[0] = 63;
            if (c.Type == ttList) c.Params[8] = 10;
            for (int k = 3; k < words.size(); ++k) {
                const qsizetype eq = words[k].indexOf('=');
                qint64 v;
                const QByteArray opt = words[k].left(eq);
                if (eq < 0) return fail("option NAME=VALUE expected");
                const QByteArray val = words[k].mid(eq + 1);
                if (opt == "style" && ParseIntWord(val, 0, 255, v))
                    c.Params[0] = uchar(v);
                else if (opt == "decimals" && ParseIntWord(val, 0, 255, v))
                    c.Params[1] = uchar(v);
                else if (opt == "length" && ParseIntWord(val, 1, 65535, v)) {
                    const uint16_t l = uint16_t(v);
                    std::memcpy(c.Params, &l, 2);
                } else if ((opt == "table" || opt == "column") &&
                           ParseIntWord(val, INT32_MIN, INT32_MAX, v)) {
                    const int32_t x = int32_t(v);
                    std::memcpy(c.Params + (opt == "table" ? 0 : 4), &x, 4);
                } else if (opt == "count" && ParseIntWord(val, 1, 1 << 20, v)) {
                    const uint32_t x = uint32_t(v);
                    std::memcpy(c.Params + 8, &x, 4);
                } else {
                    return fail("bad option " + QString::fromUtf8(words[k]));
                }
            }
            db.Tables.back().Columns.push_back(c);
        } else if (cmd == "record") {
            if (db.Tables.empty()) return fail("record before any table");
            TTableIn& t = db.Tables.back();
            if (int(words.size()) - 1 > int(t.Columns.size()))
                return fail("more values than columns");
            int64_t length = 0;
            for (const TTableColumnIn& c : t.Columns) length += TarnFieldSize(c.Type, c.Params);
            QByteArray rec(length, '\0');
            int64_t at = 0;
            for (size_t k = 0; k < t.Columns.size(); ++k) {
                const TTableColumnIn& c = t.Columns[k];
                const int64_t size = TarnFieldSize(c.Type, c.Params);
                const QByteArray word = k + 1 < size_t(words.size()) ? words[k + 1] : QByteArray();
                QString why;
                if (!EncodeValue(c, db.Transform, word, reinterpret_cast<uchar*>(rec.data() + at),
                                 size, why))
                    return fail("column " + FromCp1252(c.Name) + ": " + why);
                at += size;
            }
            t.Records.push_back(rec);
        } else {
            return fail("unknown line " + QString::fromUtf8(cmd));
        }
    }
    return true;
}

bool BuildTableFile(const TTableFileIn& db, QByteArray& data, QByteArray* definition,
                    QString& error) {
    data.clear();
    QByteArray def;
    Put<uint32_t>(def, uint32_t(db.Tables.size()));
    def += char(db.Transform ? 1 : 0);
    def += '\x08';
    def += "TarnBase";
    float pw[63] = {};
    float marker = 0.0f;
    if (db.HasPassword) {
        QByteArray salt = db.Salt;
        if (salt.size() != 16) {
            salt.resize(16);
            for (char& ch : salt) ch = char(QRandomGenerator::system()->bounded(256));
        }
        TarnPasswordData(salt, db.Password, pw);
        marker = 1.0f;
    }
    Put<float>(def, marker);
    def.append(reinterpret_cast<const char*>(pw), sizeof pw);
    Put<int16_t>(def, kTarnVersion);

    int64_t defSize = kTarnHeaderSize;
    for (const TTableIn& t : db.Tables)
        defSize += kTarnTableSize + int64_t(t.Columns.size()) * kTarnColumnSize;
    int64_t offset = definition ? 0 : defSize;
    QByteArray body;
    for (const TTableIn& t : db.Tables) {
        if (offset > UINT32_MAX) {
            error = QStringLiteral("data part larger than 4 GB");
            return false;
        }
        Put<int32_t>(def, int32_t(t.Columns.size()));
        QByteArray name(64, '\0');
        name[0] = char(t.Name.size());
        std::memcpy(name.data() + 1, t.Name.constData(), size_t(t.Name.size()));
        def += name;
        Put<int32_t>(def, int32_t(t.Records.size()));
        def += char(t.Flag);
        Put<uint32_t>(def, uint32_t(offset));
        for (const TTableColumnIn& c : t.Columns) {
            QByteArray col(kTarnColumnSize, '\0');
            col[5] = char(c.Name.size());
            std::memcpy(col.data() + 6, c.Name.constData(), size_t(c.Name.size()));
            col[70] = char(c.Type);
            std::memcpy(col.data() + 71, c.Params, sizeof c.Params);
            def += col;
        }
        for (const QByteArray& r : t.Records) body += r;
        for (const QByteArray& r : t.Records) offset += r.size();
    }
    if (definition) {
        *definition = def;
        data = body;
    } else {
        data = def + body;
    }
    return true;
}

namespace {

QByteArray Quote(const QByteArray& cp1252) {
    QByteArray out = "\"";
    for (char ch : cp1252) {
        const uchar b = uchar(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (b < 0x20 || b == 0x7F ||
                   (b >= 0x80 && b < 0xA0 && FromCp1252(QByteArray(1, ch))[0].unicode() == b)) {
            out += "\\x" + QByteArray::number(b, 16).rightJustified(2, '0');
        } else {
            out += FromCp1252(QByteArray(1, ch)).toUtf8();
        }
    }
    return out + '"';
}

QByteArray NaturalValue(TTarnObject& db, const TTarnColumn& c, const QByteArray& raw) {
    const auto* p = reinterpret_cast<const uchar*>(raw.constData());
    switch (c.Type) {
        case ttBoolean:
        case ttByte:
            return QByteArray::number(p[0]);
        case ttShortInt:
            return QByteArray::number(int(int8_t(p[0])));
        case ttWord: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            return QByteArray::number(v);
        }
        case ttInteger:
        case ttInteger6:
        case ttInteger7: {
            int32_t v;
            std::memcpy(&v, p, 4);
            return QByteArray::number(v);
        }
        case ttInt64: {
            qlonglong v;
            std::memcpy(&v, p, 8);
            return QByteArray::number(v);
        }
        case ttDateTime:
        case ttDouble: {
            double v;
            std::memcpy(&v, p, 8);
            return QByteArray::number(v, 'g', 17);
        }
        case ttSingle: {
            float v;
            std::memcpy(&v, p, 4);
            return QByteArray::number(double(v), 'g', 9);
        }
        case ttExtended:
            return QByteArray::number(TarnExtendedToDouble(p), 'g', 17);
        case ttReal48:
            return QByteArray::number(TarnReal48ToDouble(p), 'g', 17);
        case ttList: {
            QList<QByteArray> parts;
            int last = -1;
            for (int i = 0; i + 4 <= raw.size(); i += 4) {
                int32_t v;
                std::memcpy(&v, p + i, 4);
                parts.append(QByteArray::number(v));
                if (v != 0) last = i / 4;
            }
            if (last < 0) return "-";
            return parts.mid(0, last + 1).join(',');
        }
        case ttString: {
            QByteArray s = raw;
            if (db.StringTransform())
                for (char& ch : s) ch = char(TarnTransformByte(uchar(ch)));
            const qsizetype zero = s.indexOf('\0');
            if (zero >= 0) s.truncate(zero);
            return Quote(s);
        }
        default:
            return QByteArray();
    }
}

}  // namespace

QByteArray TableDescriptionText(TTarnObject& db) {
    QByteArray out = "# table file\n";
    if (db.StringTransform()) out += "transform on\n";
    for (int32_t t = 1; t <= db.TableCount(); ++t) {
        const TTarnTable* table = db.Table(t);
        out += "\ntable " + Quote(table->Name);
        if (table->Flag != 1) out += " flag=" + QByteArray::number(table->Flag);
        out += '\n';
        for (int32_t c = 1; c <= table->ColumnCount; ++c) {
            const TTarnColumn* col = db.Column(t, c);
            out += "column " + Quote(col->Name) + ' ' + TypeNameOf(col->Type);
            if (col->Type == ttString) {
                out += " length=" + QByteArray::number(col->StringLength());
            } else if (col->Type == ttList) {
                out += " table=" + QByteArray::number(col->ListTable()) +
                       " column=" + QByteArray::number(col->ListColumn()) +
                       " count=" + QByteArray::number(col->ListCount());
            }
            if (col->Style() && col->Type != ttString && col->Type != ttList)
                out += " style=" + QByteArray::number(col->Style());
            if (col->Decimals()) out += " decimals=" + QByteArray::number(col->Decimals());
            out += '\n';
        }
        const int32_t n = db.UsableRecords(t);
        for (int32_t r = 1; r <= n; ++r) {
            out += "record";
            for (int32_t c = 1; c <= table->ColumnCount; ++c) {
                const TTarnColumn* col = db.Column(t, c);
                QByteArray raw;
                db.ReadFieldBytes(t, c, r, raw);
                if (col->Size == 0) {
                    out += " \"\"";
                    continue;
                }
                // The readable form when it stores the same bytes, else the raw bytes.
                QByteArray word = NaturalValue(db, *col, raw);
                TTableColumnIn in;
                in.Type = col->Type;
                std::memcpy(in.Params, col->Params, sizeof in.Params);
                QByteArray back(col->Size, '\0');
                QString why;
                QList<QByteArray> parsed;
                QString err;
                Words(word, 0, parsed, err);
                const QByteArray w = parsed.isEmpty() ? QByteArray() : parsed[0];
                if (word.isEmpty() ||
                    !EncodeValue(in, db.StringTransform(), w, reinterpret_cast<uchar*>(back.data()),
                                 col->Size, why) ||
                    back != raw)
                    word = "raw:" + raw.toHex();
                out += ' ' + word;
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace orb
