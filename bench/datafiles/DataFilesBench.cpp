// Data file readers against the plainest way to do the same work, measured in the same run:
// loading the text database against reading its file; extracting archive members against
// the plainest extraction: read the member's bytes from the archive file, zlib's own
// uncompress, write the target file. Both sides read the same file each iteration, and
// write the same files where they write. The "ratio" counter is ours / reference.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <chrono>
#include <random>

#include "tools/orbelle-data/DataWriters.h"
#include "library/PictureArchive.h"
#include "library/iDbRecs.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Generated inputs are kept between runs (they take minutes to compress).
QDir Scratch() {
    QDir dir(QDir::tempPath() + "/orbelle-datafiles-bench");
    dir.mkpath(".");
    return dir;
}

bool Write(const QString& name, const QByteArray& data) {
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// Text like the history pages: words, markup and line breaks.
QByteArray Prose(std::mt19937& rng, int size) {
    static const char* words[] = {
        "mandala",  "<B>cirkel</B>",           "kleur",  "Tibet",    "het", "de",
        "ornament", "<IMG NAME=\"roos.png\">", "eeuwen", "\xe9\xe9n"};
    QByteArray out;
    while (out.size() < size) {
        out += words[rng() % 10];
        out += (rng() % 12 == 0) ? "\r\n" : " ";
    }
    out.truncate(size);
    return out;
}

QString MakeDatabase() {
    const QString name = Scratch().filePath("Mandala.dat");
    if (QFile::exists(name)) return name;
    std::mt19937 rng(7);
    std::vector<orb::TDbSourceRecord> recs;
    qint64 total = 0;
    while (total < 20 * 1024 * 1024) {
        orb::TDbSourceRecord r;
        r.Key = "Page_" + QByteArray::number(qulonglong(recs.size())) + "_44|||";
        r.Value = Prose(rng, 200 + int(rng() % 6000));
        total += 8 + r.Key.size() + r.Value.size();
        recs.push_back(std::move(r));
    }
    QByteArray file;
    QString error;
    orb::BuildDbFile(recs, file, error);
    Write(name, file);
    return name;
}

void BM_TextDatabaseLoad(benchmark::State& state) {
    const QString name = MakeDatabase();
    double ours = 0, reference = 0;
    int64_t records = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        {
            QFile f(name);
            f.open(QIODevice::ReadOnly);
            QByteArray all(f.size(), Qt::Uninitialized);
            f.read(all.data(), all.size());
            benchmark::DoNotOptimize(all.data());
        }
        const auto t1 = Clock::now();
        {
            orb::TiDbRecFile db;
            db.LoadFromFile(name);
            db.ActivateAll();
            records = db.RecordCount();
            benchmark::DoNotOptimize(records);
        }
        const auto t2 = Clock::now();
        reference += Seconds(t0, t1);
        ours += Seconds(t1, t2);
        state.SetIterationTime(Seconds(t1, t2));
    }
    state.counters["records"] = double(records);
    state.counters["reference_ms"] = 1000 * reference / double(state.iterations());
    state.counters["ratio"] = ours / reference;
}
BENCHMARK(BM_TextDatabaseLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

struct Archive {
    QString name;
    std::vector<orb::TArchiveEntry> entries;
    qint64 stored = 0;
};

Archive& Index(Archive& a);

// Picture-like members (runs with some noise, as in scanned line drawings), 100 MB in all,
// each stored zlib-compressed.
Archive& MakeArchive() {
    static Archive a;
    if (!a.entries.empty()) return a;
    a.name = Scratch().filePath("orbelle.dat");
    if (QFile::exists(a.name)) return Index(a);
    std::mt19937 rng(11);
    std::vector<orb::TArchiveMemberIn> members;
    qint64 total = 0;
    for (int i = 0; total < 100 * 1024 * 1024; ++i) {
        QByteArray data(4 * 1024 * 1024, '\0');
        for (int p = 0; p < data.size();) {
            const int run = 1 + int(rng() % 64);
            const char v = (rng() % 3 == 0) ? char(rng()) : char(0xFF);
            for (int k = 0; k < run && p < data.size(); ++k, ++p)
                data[p] = (rng() % 16 == 0) ? char(rng() & 0x0F) : v;
        }
        total += data.size();
        members.push_back({"\\m\\" + QByteArray::number(i) + ".bmp", data,
                           orb::QtToDosDateTime(QDateTime::currentDateTime()), false});
    }
    QByteArray file;
    QString error;
    orb::BuildArchive(members, file, error);
    Write(a.name, file);
    return Index(a);
}

Archive& Index(Archive& a) {
    const auto index = orb::LoadArchiveIndex(a.name);
    for (const QByteArray& line : index->Lines) {
        const orb::TArchiveEntry e = orb::ParseArchiveLine(line);
        a.entries.push_back(e);
        a.stored += e.StoredSize;
    }
    return a;
}

void BM_ArchiveExtract(benchmark::State& state) {
    Archive& a = MakeArchive();
    // Each member goes to a new file, as in the program (which deletes it after loading;
    // here that happens outside the timed part).
    QStringList targets;
    for (size_t i = 0; i < a.entries.size(); ++i)
        targets << Scratch().filePath("T/member" + QString::number(i) + ".bmp");
    double ours = 0, reference = 0, inMemory = 0, referenceInMemory = 0;
    // The stored bytes of a member, read from the archive file as an extraction reads them.
    auto readStored = [&](const orb::TArchiveEntry& e) {
        QFile f(a.name);
        f.open(QIODevice::ReadOnly);
        f.seek(e.Offset);
        return f.read(e.StoredSize);
    };
    auto inflate = [](const orb::TArchiveEntry& e, const QByteArray& stored) {
        QByteArray out(e.Size, Qt::Uninitialized);
        uLongf len = uLongf(out.size());
        uncompress(reinterpret_cast<Bytef*>(out.data()), &len,
                   reinterpret_cast<const Bytef*>(stored.constData()), uLong(stored.size()));
        return out;
    };
    auto referenceExtract = [&] {
        for (size_t i = 0; i < a.entries.size(); ++i) {
            const QByteArray out = inflate(a.entries[i], readStored(a.entries[i]));
            QFile target(targets[i]);
            target.open(QIODevice::WriteOnly | QIODevice::Truncate);
            target.write(out);
            target.close();
        }
    };
    auto oursExtract = [&] {
        for (size_t i = 0; i < a.entries.size(); ++i)
            benchmark::DoNotOptimize(orb::ExtractArchiveEntry(a.name, a.entries[i], targets[i]));
    };
    // The same without the target file: archive read and inflation alone, both sides.
    auto referenceRead = [&] {
        for (const orb::TArchiveEntry& e : a.entries) {
            const QByteArray out = inflate(e, readStored(e));
            benchmark::DoNotOptimize(out.constData());
        }
    };
    auto oursRead = [&] {
        for (const orb::TArchiveEntry& e : a.entries) {
            QByteArray data;
            benchmark::DoNotOptimize(orb::ReadArchiveMember(a.name, e, data));
        }
    };
    auto timed = [](const auto& work) {
        const auto t0 = Clock::now();
        work();
        return Seconds(t0, Clock::now());
    };
    auto removeTargets = [&] {
        for (const QString& t : targets) QFile::remove(t);
    };
    Scratch().mkpath("T");
    bool oursFirst = false;
    for (auto _ : state) {
        // Which side goes first alternates, so the page cache and the machine's drift
        // favour neither.
        double o, r, om, rm;
        if (oursFirst) {
            o = timed(oursExtract);
            removeTargets();
            r = timed(referenceExtract);
            om = timed(oursRead);
            rm = timed(referenceRead);
        } else {
            r = timed(referenceExtract);
            removeTargets();
            o = timed(oursExtract);
            rm = timed(referenceRead);
            om = timed(oursRead);
        }
        removeTargets();
        oursFirst = !oursFirst;
        reference += r;
        ours += o;
        inMemory += om;
        referenceInMemory += rm;
        state.SetIterationTime(o);
    }
    state.counters["ratio_no_file_write"] = inMemory / referenceInMemory;
    state.counters["members"] = double(a.entries.size());
    state.counters["size_MB"] = 100;
    state.counters["stored_MB"] = double(a.stored) / (1024 * 1024);
    state.counters["reference_ms"] = 1000 * reference / double(state.iterations());
    state.counters["ratio"] = ours / reference;
}
BENCHMARK(BM_ArchiveExtract)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    // Extraction lets pending events run, as it does in the program.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
