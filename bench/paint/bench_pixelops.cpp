// Flood fill and the ellipse stretch of the painting window. Ratios against references run in
// the same process are printed after the table, since these machines are noisy.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "paint/PixelOps.h"

#if defined(ORBELLE_HAVE_OPENCV)
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

constexpr int kSide = 4000;
constexpr QRgb kA = 0xffffffff, kB = 0xffe03010;

QImage Plain() {
    QImage img(kSide, kSide, QImage::Format_RGB32);
    img.fill(kA);
    return img;
}

// A perfect maze of one-pixel corridors, walls one pixel thick: a single region made of
// millions of spans of one to a few pixels.
QImage Maze() {
    const int cells = (kSide - 1) / 2;
    QImage img(2 * cells + 1, 2 * cells + 1, QImage::Format_RGB32);
    img.fill(0xff000000);
    auto set = [&](int x, int y) { reinterpret_cast<QRgb*>(img.scanLine(y))[x] = kA; };
    std::mt19937 rng(7);
    std::vector<char> seen(size_t(cells) * cells, 0);
    std::vector<std::pair<int, int>> stack{{0, 0}};
    seen[0] = 1;
    set(1, 1);
    while (!stack.empty()) {
        auto [cx, cy] = stack.back();
        std::pair<int, int> next[4];
        int n = 0;
        for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            const int nx = cx + dx, ny = cy + dy;
            if (nx >= 0 && ny >= 0 && nx < cells && ny < cells && !seen[size_t(ny) * cells + nx])
                next[n++] = {nx, ny};
        }
        if (n == 0) {
            stack.pop_back();
            continue;
        }
        auto [nx, ny] = next[rng() % n];
        seen[size_t(ny) * cells + nx] = 1;
        set(cx + nx + 1, cy + ny + 1);
        set(2 * nx + 1, 2 * ny + 1);
        stack.push_back({nx, ny});
    }
    return img;
}

// A plain picture as large as a picture gets: the fill is bound by memory, not by the search.
QImage PlainLarge() {
    QImage img(10000, 10000, QImage::Format_RGB32);
    img.fill(kA);
    return img;
}

// The largest drawing the program ships, as the archive holds it (made by the build).
QImage Mandala() {
    QImage img(QStringLiteral(ORBELLE_BENCH_MANDALA));
    if (img.isNull()) {
        std::fprintf(stderr, "bench_pixelops: cannot read %s\n", ORBELLE_BENCH_MANDALA);
        std::exit(1);
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

// The worst case for looking at the whole picture: a maze in one corner, walled off from a
// picture full of small cells of the same colour, so the picture holds far more runs of the
// seed colour than the region does.
QImage Islands() {
    QImage img(kSide, kSide, QImage::Format_RGB32);
    for (int y = 0; y < kSide; ++y) {
        auto* p = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < kSide; ++x) p[x] = (x % 4 == 3 || y % 4 == 3) ? 0xff000000 : kA;
    }
    const QImage maze = Maze().copy(0, 0, 999, 999);
    for (int y = 0; y < 1001; ++y)
        for (int x = 0; x < 1001; ++x)
            img.setPixel(x, y, x < 999 && y < 999 ? maze.pixel(x, y) : 0xff000000);
    return img;
}

// A cell of a hundred pixels in the middle of a large plain picture: what a fill costs beyond
// its region.
QImage BoxedCell() {
    QImage img = Plain();
    const int c = kSide / 2;
    for (int k = -6; k <= 5; ++k) {
        img.setPixel(c + k, c - 6, 0xff000000);
        img.setPixel(c + k, c + 5, 0xff000000);
        img.setPixel(c - 6, c + k, 0xff000000);
        img.setPixel(c + 5, c + k, 0xff000000);
    }
    return img;
}

const QImage& BoxedCellPicture() {
    static const QImage img = BoxedCell();
    return img;
}

const QImage& IslandsPicture() {
    static const QImage img = Islands();
    return img;
}

const QImage& PlainPicture() {
    static const QImage img = Plain();
    return img;
}
const QImage& PlainLargePicture() {
    static const QImage img = PlainLarge();
    return img;
}
const QImage& MazePicture() {
    static const QImage img = Maze();
    return img;
}
const QImage& MandalaPicture() {
    static const QImage img = Mandala();
    return img;
}

// The background is the white around the drawing's circle; the cell is the first small white
// region met walking from the centre to the right.
QPoint MandalaBackground() { return {0, 0}; }
QPoint MandalaCell() {
    static const QPoint seed = [] {
        const QImage& img = MandalaPicture();
        const int y = img.height() / 2;
        for (int x = img.width() / 2; x < img.width(); ++x) {
            if (img.pixel(x, y) != kA) continue;
            size_t n = 0;
            for (const orb::Span& s : orb::FloodRegion(img, {x, y})) n += size_t(s.x2 - s.x1 + 1);
            if (n >= 50 && n <= 5000) return QPoint(x, y);
        }
        return QPoint(img.width() / 2, y);
    }();
    return seed;
}

size_t RegionBytes(const QImage& img, QPoint seed) {
    size_t n = 0;
    for (const orb::Span& s : orb::FloodRegion(img, seed)) n += size_t(s.x2 - s.x1 + 1);
    return n * 4;
}

// The naive fill: a stack of pixels, each recoloured as it is taken.
void NaiveFill(QImage& img, QPoint seed, QRgb colour) {
    const QRgb old = img.pixel(seed);
    if (old == colour) return;
    const int w = img.width(), h = img.height();
    std::vector<QPoint> stack{seed};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        QRgb& px = reinterpret_cast<QRgb*>(img.scanLine(p.y()))[p.x()];
        if (px != old) continue;
        px = colour;
        if (p.x() > 0) stack.push_back({p.x() - 1, p.y()});
        if (p.x() + 1 < w) stack.push_back({p.x() + 1, p.y()});
        if (p.y() > 0) stack.push_back({p.x(), p.y() - 1});
        if (p.y() + 1 < h) stack.push_back({p.x(), p.y() + 1});
    }
}

// Every fill, ours and the references alike, starts from the picture as it was: the rows the
// seed's region covers (and the first `alsoBytes` of the buffer, for the memset) are put back,
// untimed and the same way for every side, before each run, so each run does the same work
// from the same cache state.
template <typename Fill>
void FillRestored(benchmark::State& state, const QImage& picture, QPoint seed, Fill fill,
                  size_t alsoBytes = 0) {
    QImage img = picture;
    img.bits();  // the picture's own copy, made before the loop
    int top = picture.height(), bottom = -1;
    for (const orb::Span& s : orb::FloodRegion(picture, seed)) {
        top = std::min(top, s.y);
        bottom = std::max(bottom, s.y);
    }
    const size_t bpl = size_t(picture.bytesPerLine());
    const size_t from = alsoBytes ? 0 : size_t(top) * bpl;
    const size_t to = std::max(alsoBytes, size_t(bottom + 1) * bpl);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(img.bits() + from, picture.constBits() + from, to - from);
        state.ResumeTiming();
        fill(img);
        benchmark::DoNotOptimize(img.constBits());
        benchmark::ClobberMemory();
    }
}

void FillOurs(benchmark::State& state, const QImage& picture, QPoint seed,
              size_t budget = orb::kAutoSpans) {
    FillRestored(state, picture, seed, [&](QImage& img) {
        orb::FloodFill(img, seed, kB, orb::FillStyle::Solid, budget);
    });
}

// A hatch leaves the region's old colour between its lines; the solid fill is measured the
// same way to compare.
void FillStyled(benchmark::State& state, const QImage& picture, QPoint seed) {
    const auto style = orb::FillStyle(state.range(0));
    FillRestored(state, picture, seed, [&](QImage& img) { orb::FloodFill(img, seed, kB, style); });
}

void RegionOnly(benchmark::State& state, const QImage& picture, QPoint seed) {
    size_t spans = 0;
    for (auto _ : state) {
        spans = orb::FloodRegion(picture, seed).size();
        benchmark::DoNotOptimize(spans);
    }
    state.counters["spans"] = double(spans);
    state.counters["pixels"] = double(RegionBytes(picture, seed) / 4);
}

void FillNaive(benchmark::State& state, const QImage& picture, QPoint seed) {
    FillRestored(state, picture, seed, [&](QImage& img) { NaiveFill(img, seed, kB); });
}

// The floor: writing as many bytes as the region holds, in one block of the same picture
// buffer (for a plain picture, every byte the fill writes).
void FillMemset(benchmark::State& state, const QImage& picture, QPoint seed) {
    const size_t bytes = RegionBytes(picture, seed);
    FillRestored(
        state, picture, seed, [&](QImage& img) { std::memset(img.bits(), 0x5a, bytes); }, bytes);
}

#if defined(ORBELLE_HAVE_OPENCV)
// OpenCV fills the very pixels ours does: a 32-bit single-channel view of the picture's buffer
// (its simple fill, without a mask or colour tolerance, takes 32-bit integer pixels), painted
// with the same value.
void FillOpenCv(benchmark::State& state, const QImage& picture, QPoint seed) {
    const double value = double(std::int32_t(kB));
    FillRestored(state, picture, seed, [&](QImage& img) {
        cv::Mat mat(img.height(), img.width(), CV_32SC1, img.bits(), size_t(img.bytesPerLine()));
        cv::floodFill(mat, cv::Point(seed.x(), seed.y()), cv::Scalar(value), nullptr, cv::Scalar(),
                      cv::Scalar(), 4);
    });
}

// Both fills must leave the same picture, or the comparison means nothing.
bool SameAsOpenCv(const QImage& picture, QPoint seed) {
    QImage ours = picture, theirs = picture;
    orb::FloodFill(ours, seed, kB, orb::FillStyle::Solid);
    cv::Mat mat(theirs.height(), theirs.width(), CV_32SC1, theirs.bits(),
                size_t(theirs.bytesPerLine()));
    cv::floodFill(mat, cv::Point(seed.x(), seed.y()), cv::Scalar(double(std::int32_t(kB))), nullptr,
                  cv::Scalar(), cv::Scalar(), 4);
    return ours == theirs;
}
#endif

// The picture at 100 % and 1000 % in the 688-pixel painting window, centred.
constexpr int kWindow = 688, kPicture = 2000;

const QImage& StretchSource() {
    static const QImage img = [] {
        QImage s(kPicture, kPicture, QImage::Format_RGB32);
        std::mt19937 rng(3);
        for (int y = 0; y < kPicture; ++y) {
            auto* p = reinterpret_cast<QRgb*>(s.scanLine(y));
            for (int x = 0; x < kPicture; ++x) p[x] = 0xff000000u | (rng() & 0xffffffu);
        }
        return s;
    }();
    return img;
}

QRect Placement(int zoomPercent) {
    const int side = kPicture * zoomPercent / 100;
    return {(kWindow - side) / 2, (kWindow - side) / 2, side, side};
}

void StretchOurs(benchmark::State& state) {
    QImage dst(kWindow, kWindow, QImage::Format_RGB32);
    const QRect rect = Placement(int(state.range(0)));
    for (auto _ : state) {
        dst.fill(0xff000000);
        orb::StretchIntoEllipse(dst, rect, StretchSource());
        benchmark::DoNotOptimize(dst.constBits());
    }
}

// What a plain painter does with an elliptic clip and a stretched image.
void StretchPainter(benchmark::State& state) {
    QImage dst(kWindow, kWindow, QImage::Format_RGB32);
    const QRect rect = Placement(int(state.range(0)));
    for (auto _ : state) {
        dst.fill(0xff000000);
        QPainter p(&dst);
        QPainterPath clip;
        clip.addEllipse(rect);
        p.setClipPath(clip);
        p.drawImage(rect, StretchSource());
        p.end();
        benchmark::DoNotOptimize(dst.constBits());
    }
}

constexpr QPoint kCorner{1, 1};
constexpr size_t kNever = size_t(-1);

void Plain_Ours(benchmark::State& s) { FillOurs(s, PlainPicture(), kCorner); }
void Plain_Spans(benchmark::State& s) { FillOurs(s, PlainPicture(), kCorner, kNever); }
void Plain_Rows(benchmark::State& s) { FillOurs(s, PlainPicture(), kCorner, 0); }
void Plain_RegionOnly(benchmark::State& s) { RegionOnly(s, PlainPicture(), kCorner); }
void Plain_Naive(benchmark::State& s) { FillNaive(s, PlainPicture(), kCorner); }
void Plain_Memset(benchmark::State& s) { FillMemset(s, PlainPicture(), kCorner); }
void Plain_Style(benchmark::State& s) { FillStyled(s, PlainPicture(), kCorner); }
void Large_Ours(benchmark::State& s) { FillOurs(s, PlainLargePicture(), kCorner); }
void Large_Memset(benchmark::State& s) { FillMemset(s, PlainLargePicture(), kCorner); }
void Maze_Ours(benchmark::State& s) { FillOurs(s, MazePicture(), kCorner); }
void Maze_Spans(benchmark::State& s) { FillOurs(s, MazePicture(), kCorner, kNever); }
void Maze_Rows(benchmark::State& s) { FillOurs(s, MazePicture(), kCorner, 0); }
void Maze_RegionOnly(benchmark::State& s) { RegionOnly(s, MazePicture(), kCorner); }
void Maze_Naive(benchmark::State& s) { FillNaive(s, MazePicture(), kCorner); }
void Maze_Memset(benchmark::State& s) { FillMemset(s, MazePicture(), kCorner); }
void Maze_Style(benchmark::State& s) { FillStyled(s, MazePicture(), kCorner); }
// The maze corner among cells, the region found each way.
void IslandsFill(benchmark::State& s, size_t budget) {
    FillRestored(s, IslandsPicture(), kCorner, [&](QImage& img) {
        orb::FloodFill(img, kCorner, kB, orb::FillStyle::Solid, budget);
    });
}
void Islands_Ours(benchmark::State& s) { IslandsFill(s, orb::kAutoSpans); }
void Islands_Spans(benchmark::State& s) { IslandsFill(s, kNever); }
void Islands_Rows(benchmark::State& s) { IslandsFill(s, 0); }
void Islands_Naive(benchmark::State& s) {
    FillRestored(s, IslandsPicture(), kCorner, [](QImage& img) { NaiveFill(img, kCorner, kB); });
}
constexpr QPoint kBoxed{kSide / 2, kSide / 2};
void Cell_Ours(benchmark::State& s) { FillOurs(s, BoxedCellPicture(), kBoxed); }
void Cell_Naive(benchmark::State& s) { FillNaive(s, BoxedCellPicture(), kBoxed); }
void MandalaBk_Ours(benchmark::State& s) { FillOurs(s, MandalaPicture(), MandalaBackground()); }
void MandalaBk_Spans(benchmark::State& s) {
    FillOurs(s, MandalaPicture(), MandalaBackground(), kNever);
}
void MandalaBk_Rows(benchmark::State& s) { FillOurs(s, MandalaPicture(), MandalaBackground(), 0); }
void MandalaBk_Naive(benchmark::State& s) { FillNaive(s, MandalaPicture(), MandalaBackground()); }
void MandalaBk_Style(benchmark::State& s) { FillStyled(s, MandalaPicture(), MandalaBackground()); }
void MandalaCell_Ours(benchmark::State& s) { FillOurs(s, MandalaPicture(), MandalaCell()); }
void MandalaCell_Rows(benchmark::State& s) { FillOurs(s, MandalaPicture(), MandalaCell(), 0); }
void MandalaCell_Naive(benchmark::State& s) { FillNaive(s, MandalaPicture(), MandalaCell()); }
#if defined(ORBELLE_HAVE_OPENCV)
void Plain_OpenCv(benchmark::State& s) { FillOpenCv(s, PlainPicture(), kCorner); }
void Large_OpenCv(benchmark::State& s) { FillOpenCv(s, PlainLargePicture(), kCorner); }
void Maze_OpenCv(benchmark::State& s) { FillOpenCv(s, MazePicture(), kCorner); }
void MandalaBk_OpenCv(benchmark::State& s) { FillOpenCv(s, MandalaPicture(), MandalaBackground()); }
void Cell_OpenCv(benchmark::State& s) { FillOpenCv(s, BoxedCellPicture(), kBoxed); }
void MandalaCell_OpenCv(benchmark::State& s) { FillOpenCv(s, MandalaPicture(), MandalaCell()); }
#endif

#define FILL_BENCH(name) BENCHMARK(name)->Unit(benchmark::kMillisecond)
FILL_BENCH(Plain_Ours);
FILL_BENCH(Plain_Spans);
FILL_BENCH(Plain_Rows);
FILL_BENCH(Plain_RegionOnly);
FILL_BENCH(Plain_Memset);
FILL_BENCH(Plain_Naive);
FILL_BENCH(Plain_Style)->DenseRange(0, 6);
FILL_BENCH(Large_Ours);
FILL_BENCH(Large_Memset);
FILL_BENCH(Maze_Ours);
FILL_BENCH(Maze_Spans);
FILL_BENCH(Maze_Rows);
FILL_BENCH(Maze_RegionOnly);
FILL_BENCH(Maze_Memset);
FILL_BENCH(Maze_Naive);
FILL_BENCH(Maze_Style)->DenseRange(0, 6);
FILL_BENCH(Islands_Ours);
FILL_BENCH(Islands_Spans);
FILL_BENCH(Islands_Rows);
FILL_BENCH(Islands_Naive);
FILL_BENCH(Cell_Ours);
FILL_BENCH(Cell_Naive);
FILL_BENCH(MandalaBk_Ours);
FILL_BENCH(MandalaBk_Spans);
FILL_BENCH(MandalaBk_Rows);
FILL_BENCH(MandalaBk_Naive);
FILL_BENCH(MandalaBk_Style)->DenseRange(0, 6);
FILL_BENCH(MandalaCell_Ours);
FILL_BENCH(MandalaCell_Rows);
FILL_BENCH(MandalaCell_Naive);
#if defined(ORBELLE_HAVE_OPENCV)
FILL_BENCH(Plain_OpenCv);
FILL_BENCH(Large_OpenCv);
FILL_BENCH(Maze_OpenCv);
FILL_BENCH(MandalaBk_OpenCv);
FILL_BENCH(Cell_OpenCv);
FILL_BENCH(MandalaCell_OpenCv);
#endif
BENCHMARK(StretchOurs)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(StretchPainter)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// Keeps every repetition's CPU time per iteration so the ratios can be printed at the end.
// With repetitions (the default below) the repetitions of all cases run shuffled together,
// each ratio is the ratio of the medians, and its spread is the range of the ratios of the
// two sides' first repetitions, their second, and so on.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                times_[r.run_name.str()].push_back(r.GetAdjustedCPUTime());
            // The table shows single runs and the repetitions' medians.
            if (r.run_type == Run::RT_Iteration ? r.repetitions <= 1 : r.aggregate_name == "median")
                shown.push_back(r);
        }
        if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
    }

    bool Has(const std::string& name) const { return times_.count(name) != 0; }
    double Median(const std::string& name) const { return MedianOf(times_.at(name)); }

    void Ratio(const char* label, const std::string& a, const std::string& b, const char* aim) {
        if (!Has(a) || !Has(b) || Median(b) <= 0) return;
        const auto& ta = times_.at(a);
        const auto& tb = times_.at(b);
        std::vector<double> paired;
        for (size_t i = 0; i < std::min(ta.size(), tb.size()); ++i)
            if (tb[i] > 0) paired.push_back(ta[i] / tb[i]);
        std::printf("  %-44s %9.3g   %s\n", label, Median(a) / Median(b), aim);
        if (paired.size() > 1) {
            const auto [lo, hi] = std::minmax_element(paired.begin(), paired.end());
            std::printf("      (%.3g .. %.3g over %zu repetitions)\n", *lo, *hi, paired.size());
        }
    }

private:
    static double MedianOf(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    std::map<std::string, std::vector<double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
    // Unless told otherwise, five repetitions of every case, all shuffled together, so a burst
    // of load on the shared machine lands on both sides of a ratio alike.
    std::vector<char*> args(argv, argv + argc);
    bool repeated = false;
    for (int i = 1; i < argc; ++i)
        repeated = repeated || std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
    static char kRepeat[] = "--benchmark_repetitions=5";
    static char kInterleave[] = "--benchmark_enable_random_interleaving=true";
    if (!repeated) {
        args.push_back(kRepeat);
        args.push_back(kInterleave);
    }
    int n = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&n, args.data());
#if defined(ORBELLE_HAVE_OPENCV)
    // Checked outside the timing: both fills leave the same pixels.
    for (const auto& [name, picture, seed] :
         {std::tuple{"plain", &PlainPicture(), kCorner},
          {"maze", &MazePicture(), kCorner},
          {"mandala background", &MandalaPicture(), MandalaBackground()}})
        if (!SameAsOpenCv(*picture, seed)) {
            std::fprintf(stderr, "bench_pixelops: OpenCV's fill of the %s differs from ours\n",
                         name);
            return 1;
        }
#endif
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf(
        "\nRatios of CPU time per iteration (medians when repeated), same run (the machine is "
        "shared);\nunder each, the range of the ratios of the two sides' repetitions in turn:\n");
    reporter.Ratio("plain fill / memset of its bytes", "Plain_Ours", "Plain_Memset", "aim <= 2.5");
    reporter.Ratio("plain fill / naive pixel fill", "Plain_Ours", "Plain_Naive", "aim <= 1");
    reporter.Ratio("10000x10000 plain fill / memset", "Large_Ours", "Large_Memset", "aim <= 2.5");
    reporter.Ratio("maze fill / memset of its bytes", "Maze_Ours", "Maze_Memset", "");
    reporter.Ratio("maze fill / naive pixel fill", "Maze_Ours", "Maze_Naive", "aim <= 1");
    reporter.Ratio("maze: scanline only / chosen", "Maze_Spans", "Maze_Ours", "");
    reporter.Ratio("maze: rows only / chosen", "Maze_Rows", "Maze_Ours", "");
    reporter.Ratio("plain: rows only / chosen", "Plain_Rows", "Plain_Ours", "");
    reporter.Ratio("maze corner among cells / naive", "Islands_Ours", "Islands_Naive", "aim <= 1");
    reporter.Ratio("maze corner: scanline only / chosen", "Islands_Spans", "Islands_Ours", "");
    reporter.Ratio("maze corner: rows only / chosen", "Islands_Rows", "Islands_Ours", "");
    reporter.Ratio("small cell in a large picture / naive", "Cell_Ours", "Cell_Naive", "aim <= 1");
    reporter.Ratio("mandala background / naive", "MandalaBk_Ours", "MandalaBk_Naive", "aim <= 1");
    reporter.Ratio("mandala background: scanline only / chosen", "MandalaBk_Spans",
                   "MandalaBk_Ours", "");
    reporter.Ratio("mandala background: rows only / chosen", "MandalaBk_Rows", "MandalaBk_Ours",
                   "");
    reporter.Ratio("mandala cell / naive", "MandalaCell_Ours", "MandalaCell_Naive", "aim <= 1");
    reporter.Ratio("mandala cell: rows only / chosen", "MandalaCell_Rows", "MandalaCell_Ours", "");
    for (const char* pic : {"Plain", "Maze", "MandalaBk"})
        for (int s = 1; s <= 6; ++s) {
            const std::string name = std::string(pic) + "_Style/" + std::to_string(s);
            const std::string label = std::string(pic) + " style " + std::to_string(s) + " / solid";
            reporter.Ratio(label.c_str(), name, std::string(pic) + "_Style/0", "aim <= 1.3");
        }
#if defined(ORBELLE_HAVE_OPENCV)
    reporter.Ratio("plain fill / OpenCV floodFill", "Plain_Ours", "Plain_OpenCv", "aim <= 0.33");
    reporter.Ratio("10000x10000 plain fill / OpenCV", "Large_Ours", "Large_OpenCv", "");
    reporter.Ratio("maze fill / OpenCV floodFill", "Maze_Ours", "Maze_OpenCv", "aim <= 0.33");
    reporter.Ratio("mandala background / OpenCV", "MandalaBk_Ours", "MandalaBk_OpenCv", "");
    reporter.Ratio("small cell in a large picture / OpenCV", "Cell_Ours", "Cell_OpenCv", "");
    reporter.Ratio("mandala cell / OpenCV", "MandalaCell_Ours", "MandalaCell_OpenCv", "");
#else
    std::printf("  (OpenCV not found: no floodFill comparison)\n");
#endif
    reporter.Ratio("stretch 1000 % / 100 %", "StretchOurs/1000", "StretchOurs/100", "aim <= 1.5");
    reporter.Ratio("stretch 100 % / painter 100 %", "StretchOurs/100", "StretchPainter/100", "");
    reporter.Ratio("stretch 1000 % / painter 1000 %", "StretchOurs/1000", "StretchPainter/1000",
                   "");
    if (reporter.Has("StretchOurs/1000"))
        std::printf("  stretch frame at 1000 %%: %.2f ms\n", reporter.Median("StretchOurs/1000"));
    // The physical limit beside the peers: writing the region's bytes, nothing else.
    for (const std::string pic : {"Plain", "Maze"}) {
        if (!reporter.Has(pic + "_Ours") || !reporter.Has(pic + "_Memset")) continue;
        std::printf("  %s: ours %.2f ms, memset of its bytes %.2f ms", pic.c_str(),
                    reporter.Median(pic + "_Ours"), reporter.Median(pic + "_Memset"));
        if (reporter.Has(pic + "_OpenCv"))
            std::printf(", OpenCV %.2f ms", reporter.Median(pic + "_OpenCv"));
        std::printf(" (medians)\n");
    }
    benchmark::Shutdown();
    return 0;
}
