// Load time per format: our codec layer (and the picture component on top of it) against
// QImageReader alone on the same files, 24-bit reads. PCX, which Qt cannot read, is set
// against Qt reading the same picture as an uncompressed BMP. Files are written by
// ImageMagick at start. Prints the ratios after the table.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>

#include "library/CodecLibrary.h"
#include "library/PictureDepth.h"
#include "library/PictureImage.h"

namespace {

QString g_dir;

struct Format {
    const char* name;
    const char* file;     // ours
    const char* refFile;  // Qt's
    orb::TCodecFormat format;
    QStringList args;
};

const std::vector<Format>& Formats() {
    static const std::vector<Format> f = {
        {"BMP", "p.bmp", "p.bmp", orb::TCodecFormat::Bmp, {"-type", "TrueColor", "BMP3:p.bmp"}},
        {"JPEG", "p.jpg", "p.jpg", orb::TCodecFormat::Jpeg, {"-quality", "90", "p.jpg"}},
        {"PNG", "p.png", "p.png", orb::TCodecFormat::Png, {"PNG24:p.png"}},
        {"TIFF",
         "p.tif",
         "p.tif",
         orb::TCodecFormat::Tiff,
         {"-compress", "LZW", "-type", "TrueColor", "-depth", "8", "p.tif"}},
        {"GIF", "p.gif", "p.gif", orb::TCodecFormat::Gif, {"p.gif"}},
        {"PCX", "p.pcx", "p.bmp", orb::TCodecFormat::Pcx, {"-type", "TrueColor", "p.pcx"}},
    };
    return f;
}

bool Make() {
    QProcess p;
    p.setWorkingDirectory(g_dir);
    p.start("convert", {"-size", "1024x768", "-seed", "7", "plasma:tomato-steelblue", "-blur",
                        "0x1", "PNG24:src.png"});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) return false;
    for (const Format& f : Formats()) {
        p.start("convert", QStringList{"src.png"} + f.args);
        if (!p.waitForFinished(120000) || p.exitCode() != 0) return false;
    }
    return true;
}

void Codec(benchmark::State& st, const Format* f) {
    const QString file = g_dir + "/" + f->file;
    for (auto _ : st) {
        QImage img;
        QVector<QRgb> pal;
        if (orb::codec::Read(f->format, file, 24, false, img, pal) < orb::codec::Ok)
            st.SkipWithError("decode failed");
        benchmark::DoNotOptimize(img.constBits());
    }
}

void Component(benchmark::State& st, const Format* f) {
    const QString file = g_dir + "/" + f->file;
    orb::TPictureImage image;
    image.SetImageReadRes(orb::TLoadResolution::lColorTrue);
    image.SetImageDither(false);
    for (auto _ : st) {
        (void)image.SetImageName(file);
        if (!image.HasPicture()) st.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.Picture().constBits());
    }
}

void QtReader(benchmark::State& st, const Format* f) {
    const QString file = g_dir + "/" + f->refFile;
    for (auto _ : st) {
        QImageReader reader(file);
        QImage img = reader.read();
        if (img.isNull()) st.SkipWithError("Qt decode failed");
        benchmark::DoNotOptimize(img.constBits());
    }
}

double ThreadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The three readers in turn within each iteration, so drift and heap state on a shared
// machine hit all of them alike; the ratios come out as counters.
void Alternating(benchmark::State& st, const Format* f) {
    const QString file = g_dir + "/" + f->file, ref = g_dir + "/" + f->refFile;
    orb::TPictureImage image;
    image.SetImageReadRes(orb::TLoadResolution::lColorTrue);
    image.SetImageDither(false);
    double qt = 0, codec = 0, comp = 0;
    for (auto _ : st) {
        double t0 = ThreadSeconds();
        {
            QImageReader reader(ref);
            QImage img = reader.read();
            benchmark::DoNotOptimize(img.constBits());
        }
        double t1 = ThreadSeconds();
        {
            QImage img;
            QVector<QRgb> pal;
            orb::codec::Read(f->format, file, 24, false, img, pal);
            benchmark::DoNotOptimize(img.constBits());
        }
        double t2 = ThreadSeconds();
        (void)image.SetImageName(file);
        double t3 = ThreadSeconds();
        qt += t1 - t0;
        codec += t2 - t1;
        comp += t3 - t2;
    }
    st.counters["codec/qt"] = codec / qt;
    st.counters["component/qt"] = comp / qt;
}

// Reduction to 256 colours with error diffusion: ours against the offered palette, Qt's
// against the palette it builds itself; both from the decoded true-colour picture.
void ReduceOurs(benchmark::State& st) {
    const QImage src = QImage(g_dir + "/src.png").convertToFormat(QImage::Format_RGB32);
    for (auto _ : st) {
        QImage img = src;
        QVector<QRgb> pal = orb::FixedPalette(8);
        orb::ConvertToDepth(img, 8, true, pal);
        benchmark::DoNotOptimize(img.constBits());
    }
}

// Without dithering both map to the same given palette.
void MapOurs(benchmark::State& st) {
    const QImage src = QImage(g_dir + "/src.png").convertToFormat(QImage::Format_RGB32);
    for (auto _ : st) {
        QImage img = src;
        QVector<QRgb> pal = orb::FixedPalette(8);
        orb::ConvertToDepth(img, 8, false, pal);
        benchmark::DoNotOptimize(img.constBits());
    }
}

void MapQt(benchmark::State& st) {
    const QImage src = QImage(g_dir + "/src.png").convertToFormat(QImage::Format_RGB32);
    for (auto _ : st) {
        QImage img = src.convertToFormat(QImage::Format_Indexed8, orb::FixedPalette(8));
        benchmark::DoNotOptimize(img.constBits());
    }
}

void ReduceQt(benchmark::State& st) {
    const QImage src = QImage(g_dir + "/src.png").convertToFormat(QImage::Format_RGB32);
    for (auto _ : st) {
        QImage img = src.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
        benchmark::DoNotOptimize(img.constBits());
    }
}

// Keeps the processor time per iteration of every run, to print ratios at the end (the
// decoders are single-threaded, and wall time on a shared machine mostly measures waiting).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            times[r.benchmark_name()] = r.GetAdjustedCPUTime();
            for (const auto& [name, c] : r.counters)
                counters[r.benchmark_name() + ":" + name] = c.value;
        }
    }
    std::map<std::string, double> times;
    std::map<std::string, double> counters;
};

}  // namespace

int main(int argc, char** argv) {
    // Keep freed picture memory in the heap: otherwise every run pays for mapping and
    // faulting in fresh pages (costly on virtual machines), and which reader pays for it
    // depends on the order they run in.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = dir.path();
    if (!Make()) {
        std::fprintf(stderr, "ImageMagick could not write the test pictures\n");
        return 1;
    }
    for (const Format& f : Formats()) {
        benchmark::RegisterBenchmark((std::string("QtReader/") + f.name).c_str(), QtReader, &f)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Codec/") + f.name).c_str(), Codec, &f)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Component/") + f.name).c_str(), Component, &f)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Alternating/") + f.name).c_str(), Alternating,
                                     &f)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("Map8/Qt", MapQt)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Map8/Ours", MapOurs)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Reduce8Dither/Qt", ReduceQt)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Reduce8Dither/Ours", ReduceOurs)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatio to QImageReader alone (24-bit reads, 1024x768; aim <= 1.10):\n");
    for (const Format& f : Formats()) {
        const std::string alt = std::string("Alternating/") + f.name;
        if (!reporter.counters.count(alt + ":codec/qt")) continue;
        std::printf(
            "  %-5s codec %.3f  component %.3f%s\n", f.name, reporter.counters[alt + ":codec/qt"],
            reporter.counters[alt + ":component/qt"],
            std::string(f.refFile) != f.file ? "  (Qt reading the same picture as BMP)" : "");
    }
    if (reporter.times.count("Map8/Qt") && reporter.times.count("Map8/Ours"))
        std::printf("  8-bit nearest-colour mapping: %.3f of Qt's, same palette\n",
                    reporter.times["Map8/Ours"] / reporter.times["Map8/Qt"]);
    if (reporter.times.count("Reduce8Dither/Qt") && reporter.times.count("Reduce8Dither/Ours"))
        std::printf("  8-bit dithered reduction: %.3f of Qt's own (which picks its palette)\n",
                    reporter.times["Reduce8Dither/Ours"] / reporter.times["Reduce8Dither/Qt"]);
    benchmark::Shutdown();
    return 0;
}
