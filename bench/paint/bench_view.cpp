// Repaint of the painting window at the largest zoom the commands reach (FZoom 10000, that is
// 1000 %) against the same at FZoom 1000 (100 %): a 2000 x 2000 picture
// composed into the largest size class's 688 x 688 window (black, the picture stretched
// through the inscribed ellipse), as every pen segment and every drag does.
// Alternating rounds, median per frame, ratio printed.
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "paint/PixelOps.h"
#include "paint/ViewGeometry.h"

namespace {
double FrameMs(const QImage& picture, QImage& buffer, int zoom, int offset, int frames) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        buffer.fill(Qt::black);
        // A small pan each frame, as a drag gives.
        const QRect r = orb::PictureRectFor(buffer.size(), picture.size(), zoom, offset + i % 7, 0);
        orb::StretchIntoEllipse(buffer, r, picture);
    }
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(t1 - t0).count() / frames;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    QImage picture(2000, 2000, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = ((x / 16 + y / 16) & 1) ? qRgb(255, 255, 255) : qRgb(x & 255, y & 255, 90);
    }
    QImage buffer(688, 688, QImage::Format_RGB32);
    std::vector<double> at100, at10000;
    for (int r = 0; r < rounds; ++r) {
        at100.push_back(FrameMs(picture, buffer, 1000, 0, 40));
        at10000.push_back(FrameMs(picture, buffer, 10000, 0, 40));
    }
    const double a = Median(at100), b = Median(at10000);
    std::printf("repaint 688x688 of 2000x2000, median of %d alternating rounds\n", rounds);
    std::printf("  FZoom 1000 (100 %%):    %.3f ms a frame\n", a);
    std::printf("  FZoom 10000 (1000 %%):  %.3f ms a frame\n", b);
    std::printf("  ratio largest / 100 %% = %.2f (aim <= 1.5, and under 2 ms a frame)\n", b / a);
    return 0;
}
