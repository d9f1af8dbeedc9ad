// orbelle-data: builds the program's data files from readable sources and reads them back.
// The source formats are described in FORMATS.md beside this file.
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "library/Cp1252.h"
#include "tools/orbelle-data/DataWriters.h"
#include "library/PictureArchive.h"
#include "library/TarnBase.h"
#include "library/iDbRecs.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  orbelle-data db build <source.txt> <out.dat>\n"
    "  orbelle-data db list <file.dat>\n"
    "  orbelle-data db dump <file.dat> [<key>]\n"
    "  orbelle-data archive build <folder> <out.dat> [--prefix P] [--store GLOB]...\n"
    "                             [--date YYYY-MM-DDTHH:MM:SS]\n"
    "  orbelle-data archive list <archive.dat>\n"
    "  orbelle-data archive extract <archive.dat> <member> <target-file>\n"
    "  orbelle-data table build <description.txt> <out> [--definition <out.def>]\n"
    "  orbelle-data table dump <file> [--definition <file.def>] [--password P] [--display]\n"
    "Sources are UTF-8; the files hold Windows-1252. See FORMATS.md.\n";

int Fail(const QString& message) {
    std::fprintf(stderr, "orbelle-data: %s\n", qPrintable(message));
    return 1;
}

bool ReadAll(const QString& name, QByteArray& out) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return false;
    out = f.readAll();
    return f.error() == QFileDevice::NoError;
}

bool WriteAll(const QString& name, const QByteArray& data) {
    const QFileInfo info(name);
    QDir().mkpath(info.absolutePath());
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const bool ok = f.write(data) == data.size();
    f.close();
    return ok && f.error() == QFileDevice::NoError;
}

void Print(const QByteArray& utf8) {
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
}

// Options after the positional arguments: "--name value" pairs and bare flags.
struct Options {
    QStringList positional;
    QMultiMap<QString, QString> values;
    QStringList flags;
};
bool ParseOptions(const QStringList& args, const QStringList& withValue, const QStringList& bare,
                  Options& o, QString& error) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (withValue.contains(a)) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            o.values.insert(a, args[++i]);
        } else if (bare.contains(a)) {
            o.flags << a;
        } else if (a.startsWith("--")) {
            error = "unknown option " + a;
            return false;
        } else {
            o.positional << a;
        }
    }
    return true;
}

// ---- db

bool LoadDb(const QString& file, orb::TiDbRecFile& db, std::vector<orb::TDbSourceRecord>& recs) {
    const bool ok = db.LoadFromFile(file);
    db.ActivateAll();
    recs.clear();
    for (int32_t n = 1; n <= db.RecordCount(); ++n) {
        orb::TDbSourceRecord r;
        db.GetRecord(n, r.Key, r.Value);
        recs.push_back(r);
    }
    return ok;
}

int DbCommand(const QStringList& args) {
    if (args.isEmpty()) return Fail("db needs build, list or dump");
    const QString verb = args[0];
    if (verb == "build" && args.size() == 3) {
        QByteArray source, file;
        if (!ReadAll(args[1], source)) return Fail("cannot read " + args[1]);
        std::vector<orb::TDbSourceRecord> recs;
        QString error;
        QStringList warnings;
        if (!orb::ParseDbSource(source, recs, error, &warnings))
            return Fail(args[1] + ": " + error);
        for (const QString& w : warnings)
            std::fprintf(stderr, "orbelle-data: %s: warning: %s\n", qPrintable(args[1]),
                         qPrintable(w));
        if (!orb::BuildDbFile(recs, file, error)) return Fail(args[1] + ": " + error);
        if (!WriteAll(args[2], file)) return Fail("cannot write " + args[2]);
        return 0;
    }
    if ((verb == "list" && args.size() == 2) ||
        (verb == "dump" && (args.size() == 2 || args.size() == 3))) {
        orb::TiDbRecFile db;
        std::vector<orb::TDbSourceRecord> recs;
        const bool complete = LoadDb(args[1], db, recs);
        if (!complete && recs.empty()) return Fail("cannot read " + args[1]);
        if (!complete) std::fprintf(stderr, "orbelle-data: %s ends early\n", qPrintable(args[1]));
        if (verb == "list") {
            for (size_t i = 0; i < recs.size(); ++i)
                Print(QByteArray::number(qulonglong(i + 1)) + '\t' +
                      orb::FromCp1252(recs[i].Key).toUtf8() + '\t' +
                      QByteArray::number(recs[i].Value.size()) + '\n');
        } else if (args.size() == 2) {
            // A dump that would build a different file is refused, not printed.
            const QStringList losses = orb::DbSourceLosses(recs);
            if (!losses.isEmpty()) {
                for (const QString& l : losses)
                    std::fprintf(stderr, "orbelle-data: %s: %s\n", qPrintable(args[1]),
                                 qPrintable(l));
                return Fail(QStringLiteral("%1 record(s) cannot be dumped exactly; use db dump "
                                           "<file> <key> to see one")
                                .arg(losses.size()));
            }
            Print(orb::DbSourceText(recs));
        } else {
            bool ok = true;
            const QByteArray key = orb::ToCp1252(args[2], &ok);
            QByteArray value;
            if (!ok || !db.FindValue(key, value)) return Fail("no record with key " + args[2]);
            QByteArray text = orb::FromCp1252(value).toUtf8();
            text.replace("\r\n", "\n");
            Print(text + '\n');
        }
        return complete ? 0 : 1;
    }
    return Fail(QString("bad db command\n") + kUsage);
}

// ---- archive

QRegularExpression GlobToRegex(const QString& glob) {
    QString rx = "^";
    for (int i = 0; i < glob.size(); ++i) {
        const QChar c = glob[i];
        if (c == '*')
            rx += ".*";
        else if (c == '?')
            rx += ".";
        else if (c == '[') {
            const int close = glob.indexOf(']', i + 1);
            if (close < 0) {
                rx += "\\[";
            } else {
                QString set = glob.mid(i + 1, close - i - 1);
                if (set.startsWith('!')) set[0] = '^';
                rx += '[' + set + ']';
                i = close;
            }
        } else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(rx + "$");
}

int ArchiveCommand(const QStringList& args) {
    if (args.isEmpty()) return Fail("archive needs build, list or extract");
    const QString verb = args[0];
    if (verb == "build") {
        Options o;
        QString error;
        if (!ParseOptions(args.mid(1), {"--prefix", "--store", "--date"}, {}, o, error))
            return Fail(error);
        if (o.positional.size() != 2)
            return Fail(QString("archive build <folder> <out.dat>\n") + kUsage);
        const QString folder = QDir(o.positional[0]).absolutePath();
        if (!QFileInfo(folder).isDir()) return Fail("no folder " + folder);
        const QString prefix = o.values.contains("--prefix") ? o.values.value("--prefix") : "\\";
        std::vector<QRegularExpression> stores;
        for (const QString& g : o.values.values("--store")) stores.push_back(GlobToRegex(g));
        uint32_t fixedDate = 0;
        if (o.values.contains("--date")) {
            const QDateTime d = QDateTime::fromString(o.values.value("--date"), Qt::ISODate);
            fixedDate = d.isValid() ? orb::QtToDosDateTime(d) : 0;
            if (!fixedDate) return Fail("--date needs YYYY-MM-DDTHH:MM:SS between 1980 and 2107");
        }
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString rel = QDir(folder).relativeFilePath(path);
            bool hidden = false;
            for (const QString& part : rel.split('/'))
                if (part.startsWith('.')) hidden = true;
            if (!hidden) files << rel;
        }
        std::vector<orb::TArchiveMemberIn> members;
        for (const QString& rel : files) {
            orb::TArchiveMemberIn m;
            bool ok = true;
            m.Name = orb::ToCp1252(prefix + QString(rel).replace('/', '\\'), &ok);
            if (!ok) return Fail(rel + ": name has a character that Windows-1252 cannot hold");
            if (!ReadAll(folder + '/' + rel, m.Data)) return Fail("cannot read " + rel);
            if (m.Data.isEmpty()) {
                std::fprintf(stderr, "orbelle-data: warning: %s is empty, skipped\n",
                             qPrintable(rel));
                continue;
            }
            m.FileDate = fixedDate
                             ? fixedDate
                             : orb::QtToDosDateTime(QFileInfo(folder + '/' + rel).lastModified());
            if (!m.FileDate)
                m.FileDate = orb::QtToDosDateTime(QDateTime(QDate(1980, 1, 1), QTime(0, 0)));
            for (const QRegularExpression& rx : stores)
                if (rx.match(rel).hasMatch()) m.ForceStore = true;
            members.push_back(std::move(m));
        }
        std::sort(members.begin(), members.end(),
                  [](const orb::TArchiveMemberIn& a, const orb::TArchiveMemberIn& b) {
                      return a.Name < b.Name;
                  });
        QByteArray file;
        if (!orb::BuildArchive(members, file, error)) return Fail(error);
        if (!WriteAll(o.positional[1], file)) return Fail("cannot write " + o.positional[1]);
        return 0;
    }
    if (verb == "list" && args.size() == 2) {
        const auto index = orb::LoadArchiveIndex(args[1]);
        if (!index) return Fail("no file " + args[1]);
        if (index->Lines.isEmpty()) return Fail("no directory in " + args[1]);
        for (const QByteArray& line : index->Lines) Print(orb::FromCp1252(line).toUtf8() + '\n');
        return 0;
    }
    if (verb == "extract" && args.size() == 4) {
        const auto index = orb::LoadArchiveIndex(args[1]);
        if (!index) return Fail("no file " + args[1]);
        bool found = false;
        const orb::TArchiveEntry e = orb::FindArchiveEntry(*index, args[2], &found);
        if (!found) return Fail("no member " + args[2]);
        if (!orb::ExtractArchiveEntry(args[1], e, args[3]))
            return Fail("cannot extract " + args[2]);
        return 0;
    }
    return Fail(QString("bad archive command\n") + kUsage);
}

// ---- table

int TableCommand(const QStringList& args) {
    if (args.isEmpty()) return Fail("table needs build or dump");
    const QString verb = args[0];
    Options o;
    QString error;
    if (!ParseOptions(args.mid(1), {"--definition", "--password"}, {"--display"}, o, error))
        return Fail(error);
    if (verb == "build" && o.positional.size() == 2) {
        QByteArray source, data, def;
        if (!ReadAll(o.positional[0], source)) return Fail("cannot read " + o.positional[0]);
        orb::TTableFileIn db;
        if (!orb::ParseTableDescription(source, db, error))
            return Fail(o.positional[0] + ": " + error);
        const bool two = o.values.contains("--definition");
        if (!orb::BuildTableFile(db, data, two ? &def : nullptr, error)) return Fail(error);
        if (!WriteAll(o.positional[1], data)) return Fail("cannot write " + o.positional[1]);
        if (two && !WriteAll(o.values.value("--definition"), def))
            return Fail("cannot write " + o.values.value("--definition"));
        return 0;
    }
    if (verb == "dump" && o.positional.size() == 1) {
        orb::TTarnObject db;
        const QString data = o.positional[0];
        const QString def =
            o.values.contains("--definition") ? o.values.value("--definition") : data;
        bool ok = true;
        const QByteArray password = orb::ToCp1252(o.values.value("--password"), &ok);
        if (!db.Open(data, def, QString(), password))
            return Fail("cannot open " + data + " (missing, damaged, or wrong password)");
        if (!o.flags.contains("--display")) {
            Print(orb::TableDescriptionText(db));
            return 0;
        }
        for (int32_t t = 1; t <= db.TableCount(); ++t) {
            const orb::TTarnTable* table = db.Table(t);
            const int32_t n = db.UsableRecords(t);
            for (int32_t r = 1; r <= n; ++r) {
                QByteArray line = table->Name + " / " + QByteArray::number(r) + ":";
                for (int32_t c = 1; c <= table->ColumnCount; ++c) {
                    line += (c > 1 ? " | " : " ") + db.Column(t, c)->Name + '=' +
                            db.ReadFieldAsText(t, c, r);
                }
                Print(orb::FromCp1252(line).toUtf8() + '\n');
            }
        }
        return 0;
    }
    return Fail(QString("bad table command\n") + kUsage);
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 1 : 0;
    }
    const QString kind = args.takeFirst();
    if (kind == "db") return DbCommand(args);
    if (kind == "archive") return ArchiveCommand(args);
    if (kind == "table") return TableCommand(args);
    return Fail(QString("unknown command ") + kind + "\n" + kUsage);
}
