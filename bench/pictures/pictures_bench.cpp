// Load time per format, 24-bit reads: our codec layer (and the picture component on top of
// it) against a real decoder of the same file, read from disk the same way. Our own
// decoders are BMP (uncompressed 24-bit) and PCX: BMP is set against QImageReader, PCX
// against ImageMagick's decoder (MagickCore, one thread) on the same PCX file. JPEG, PNG,
// TIFF and GIF go through Qt's reader in our layer too, so there is nothing to compare;
// their figures only show what the layer adds around that reader. Files are written by
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

#ifdef HAVE_MAGICKCORE
#include <magick/MagickCore.h>

#include <QFile>
#endif

namespace {

QString g_dir;

// Who decodes a format in our layer, and so what it is set against.
enum class Decoder { Ours, OursAgainstMagick, Qt };

struct Format {
    const char* name;
    const char* file;     // ours
    const char* refFile;  // the reference's: the same file
    orb::TCodecFormat format;
    QStringList args;
    Decoder decoder;
};

const std::vector<Format>& Formats() {
    static const std::vector<Format> f = {
        {"BMP",
         "p.bmp",
         "p.bmp",
         orb::TCodecFormat::Bmp,
         {"-type", "TrueColor", "BMP3:p.bmp"},
         Decoder::Ours},
        {"JPEG",
         "p.jpg",
         "p.jpg",
         orb::TCodecFormat::Jpeg,
         {"-quality", "90", "p.jpg"},
         Decoder::Qt},
        {"PNG", "p.png", "p.png", orb::TCodecFormat::Png, {"PNG24:p.png"}, Decoder::Qt},
        {"TIFF",
         "p.tif",
         "p.tif",
         orb::TCodecFormat::Tiff,
         {"-compress", "LZW", "-type", "TrueColor", "-depth", "8", "p.tif"},
         Decoder::Qt},
        {"GIF", "p.gif", "p.gif", orb::TCodecFormat::Gif, {"p.gif"}, Decoder::Qt},
        {"PCX",
         "p.pcx",
         "p.pcx",
         orb::TCodecFormat::Pcx,
         {"-type", "TrueColor", "p.pcx"},
         Decoder::OursAgainstMagick},
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

// Qt's reader on the file, or for PCX ImageMagick's decoder: the file read whole into
// memory as our codec reads it, decoded, and handed over as the same 32-bit picture.
QImage ReferenceRead(const Format* f, const QString& file) {
#ifdef HAVE_MAGICKCORE
    if (f->decoder == Decoder::OursAgainstMagick) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) return {};
        const QByteArray data = in.readAll();
        ExceptionInfo* ex = AcquireExceptionInfo();
        ImageInfo* info = CloneImageInfo(nullptr);
        std::snprintf(info->magick, sizeof info->magick, "PCX");
        QImage img;
        if (Image* im = BlobToImage(info, data.constData(), size_t(data.size()), ex)) {
            img = QImage(int(im->columns), int(im->rows), QImage::Format_RGB32);
            if (!ExportImagePixels(im, 0, 0, im->columns, im->rows, "BGRA", CharPixel, img.bits(),
                                   ex))
                img = QImage();
            DestroyImage(im);
        }
        DestroyImageInfo(info);
        DestroyExceptionInfo(ex);
        return img;
    }
#endif
    QImageReader reader(file);
    return reader.read();
}

bool HasReference(const Format& f) {
#ifdef HAVE_MAGICKCORE
    return true;
#else
    return f.decoder != Decoder::OursAgainstMagick;
#endif
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
        QImage img = ReferenceRead(f, file);
        if (img.isNull()) st.SkipWithError("reference decode failed");
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
            QImage img = ReferenceRead(f, ref);
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
    const std::string against = f->decoder == Decoder::OursAgainstMagick ? "magick" : "qt";
    st.counters["codec/" + against] = codec / qt;
    st.counters["component/" + against] = comp / qt;
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
#ifdef HAVE_MAGICKCORE
    MagickCoreGenesis(argv[0], MagickFalse);
    // Our decoders run on one thread, and the timings are the thread's processor time.
    SetMagickResourceLimit(ThreadResource, 1);
#endif
    QTemporaryDir dir;
    g_dir = dir.path();
    if (!Make()) {
        std::fprintf(stderr, "ImageMagick could not write the test pictures\n");
        return 1;
    }
    // The comparison holds only when both sides make the same picture.
    for (const Format& f : Formats()) {
        if (f.decoder != Decoder::OursAgainstMagick || !HasReference(f)) continue;
        QImage ours;
        QVector<QRgb> pal;
        orb::codec::Read(f.format, g_dir + "/" + f.file, 24, false, ours, pal);
        const QImage ref = ReferenceRead(&f, g_dir + "/" + f.refFile);
        if (ours.isNull() || ours.convertToFormat(QImage::Format_RGB32) != ref) {
            std::fprintf(stderr, "%s: ImageMagick's picture differs from ours\n", f.name);
            return 1;
        }
    }
    for (const Format& f : Formats()) {
        const bool magick = f.decoder == Decoder::OursAgainstMagick;
        if (HasReference(f))
            benchmark::RegisterBenchmark(
                (std::string(magick ? "Magick/" : "QtReader/") + f.name).c_str(), QtReader, &f)
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Codec/") + f.name).c_str(), Codec, &f)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Component/") + f.name).c_str(), Component, &f)
            ->Unit(benchmark::kMillisecond);
        if (HasReference(f))
            benchmark::RegisterBenchmark((std::string("Alternating/") + f.name).c_str(),
                                         Alternating, &f)
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
        if (f.decoder == Decoder::Qt)
            std::printf(
                "  %-5s uses Qt's reader; no comparison (our layer around it: codec %.3f, "
                "component %.3f of the reader alone)\n",
                f.name, reporter.counters[alt + ":codec/qt"],
                reporter.counters[alt + ":component/qt"]);
        else
            std::printf("  %-5s codec %.3f  component %.3f\n", f.name,
                        reporter.counters[alt + ":codec/qt"],
                        reporter.counters[alt + ":component/qt"]);
    }
    std::printf(
        "Ratio to ImageMagick's decoder (the same file read whole from disk, one thread; "
        "aim <= 1.10):\n");
    for (const Format& f : Formats()) {
        if (f.decoder != Decoder::OursAgainstMagick) continue;
        const std::string alt = std::string("Alternating/") + f.name;
        if (!HasReference(f))
            std::printf(
                "  %-5s no comparison: built without MagickCore "
                "(libmagickcore-6.q16-dev, which scripts/setup.sh installs)\n",
                f.name);
        else if (reporter.counters.count(alt + ":codec/magick"))
            std::printf("  %-5s codec %.3f  component %.3f\n", f.name,
                        reporter.counters[alt + ":codec/magick"],
                        reporter.counters[alt + ":component/magick"]);
    }
    if (reporter.times.count("Map8/Qt") && reporter.times.count("Map8/Ours"))
        std::printf("  8-bit nearest-colour mapping: %.3f of Qt's, same palette\n",
                    reporter.times["Map8/Ours"] / reporter.times["Map8/Qt"]);
    if (reporter.times.count("Reduce8Dither/Qt") && reporter.times.count("Reduce8Dither/Ours"))
        std::printf("  8-bit dithered reduction: %.3f of Qt's own (which picks its palette)\n",
                    reporter.times["Reduce8Dither/Ours"] / reporter.times["Reduce8Dither/Qt"]);
    benchmark::Shutdown();
#ifdef HAVE_MAGICKCORE
    MagickCoreTerminus();
#endif
    return 0;
}
