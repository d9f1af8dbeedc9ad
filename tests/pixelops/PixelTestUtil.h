#pragma once
// Small helpers shared by the pixel operation tests: random pictures and comparisons.
#include <QImage>
#include <QPainter>
#include <random>
#include <vector>

namespace orbtest {

inline QImage Filled(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// Noise from a few colours: many small regions with diagonal-only contacts.
inline QImage RandomNoise(std::mt19937& rng, int w, int h, int colours) {
    static const QRgb kSet[] = {0xffffffff, 0xff000000, 0xffff0000, 0xff00ff00};
    QImage img(w, h, QImage::Format_RGB32);
    std::uniform_int_distribution<int> pick(0, colours - 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, kSet[pick(rng)]);
    return img;
}

// Black line art on white, aliased like the drawings.
inline QImage RandomLineArt(std::mt19937& rng, int w, int h) {
    QImage img = Filled(w, h, 0xffffffff);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    std::uniform_int_distribution<int> px(-10, w + 10), py(-10, h + 10), pr(2, w / 2);
    for (int i = 0; i < 12; ++i) {
        if (i % 2)
            p.drawLine(px(rng), py(rng), px(rng), py(rng));
        else
            p.drawEllipse(QPoint(px(rng), py(rng)), pr(rng), pr(rng));
    }
    return img;
}

// A perfect maze of one-pixel corridors: one region made of many short spans.
inline QImage Maze(std::mt19937& rng, int cellsX, int cellsY) {
    QImage img = Filled(2 * cellsX + 1, 2 * cellsY + 1, 0xff000000);
    std::vector<char> seen(cellsX * cellsY, 0);
    std::vector<std::pair<int, int>> stack{{0, 0}};
    seen[0] = 1;
    img.setPixel(1, 1, 0xffffffff);
    while (!stack.empty()) {
        auto [cx, cy] = stack.back();
        std::vector<std::pair<int, int>> next;
        for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            const int nx = cx + dx, ny = cy + dy;
            if (nx >= 0 && ny >= 0 && nx < cellsX && ny < cellsY && !seen[ny * cellsX + nx])
                next.push_back({nx, ny});
        }
        if (next.empty()) {
            stack.pop_back();
            continue;
        }
        auto [nx, ny] = next[std::uniform_int_distribution<size_t>(0, next.size() - 1)(rng)];
        seen[ny * cellsX + nx] = 1;
        img.setPixel(cx + nx + 1, cy + ny + 1, 0xffffffff);
        img.setPixel(2 * nx + 1, 2 * ny + 1, 0xffffffff);
        stack.push_back({nx, ny});
    }
    return img;
}

// Positions where two pictures differ, for readable failures.
inline int CountDiff(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

}  // namespace orbtest
