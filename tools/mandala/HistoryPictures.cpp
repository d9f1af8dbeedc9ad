#include "HistoryPictures.h"

#include <QDir>
#include <QImage>
#include <algorithm>
#include <cmath>

#include "Designs.h"
#include "LineArt.h"

namespace mandala {

namespace {

struct Recipe {
    const char* name;
    const char* style;
    uint64_t seed;
    int size;  // pixels of the finished picture
    std::vector<QRgb> palette;
    QRgb line, background;
    bool quadrants;  // colour the four quarters differently, as in a palace plan
};

const std::vector<Recipe>& Recipes() {
    // Palettes follow the materials: stone, clay, glass, sand, tiles.
    static const std::vector<Recipe> recipes{
        {"rozet.png",
         "flower",
         301,
         200,
         {0xFFD9A441, 0xFF2E5E8C, 0xFFF2E3C6, 0xFFB5452F, 0xFF3E8C6E},
         0xFF3A2A1A,
         0xFFF4EBDB,
         false},
        {"spiraal.png", "spiral", 1, 200, {0xFFB8B0A0}, 0xFF4A4438, 0xFF9C9484, false},
        {"kom.png",
         "bowl",
         1,
         200,
         {0xFFE6CFA3, 0xFFEAD5AB, 0xFFE2C99A},
         0xFF6A3018,
         0xFFF4EBDB,
         false},
        {"yantra.png",
         "yantra",
         74,
         200,
         {0xFFE2B33C, 0xFFC0392B, 0xFFF5E6B8, 0xFF1F6E8C, 0xFFE67E22, 0xFF8E2D5A},
         0xFF2A1A0A,
         0xFFF4EBDB,
         false},
        {"zandmandala.png",
         "palace",
         1,
         240,
         {0xFFF1F1F1, 0xFF2A6EBB, 0xFFE8C547, 0xFFC73A32, 0xFF3B9C5A, 0xFF1B2F6E},
         0xFF202020,
         0xFFF4EBDB,
         true},
        {"knoop.png",
         "knot",
         42,
         200,
         {0xFF2F7D4F, 0xFFD8B24A, 0xFFF3ECD8, 0xFF7A2E2E},
         0xFF1E1E1E,
         0xFFF4EBDB,
         false},
        {"sterpatroon.png",
         "lattice",
         62,
         200,
         {0xFF1C5D99, 0xFFF5F5F0, 0xFF2BA89B, 0xFFE0B44C, 0xFF123B66},
         0xFF1A1A1A,
         0xFFF4EBDB,
         false},
        {"roosvenster.png",
         "rosette",
         52,
         240,
         {0xFF1D3F8F, 0xFFB3202A, 0xFFE5B830, 0xFF2D7A3E, 0xFF6A2C8A, 0xFF3A7BC8},
         0xFF141414,
         0xFFF4EBDB,
         false},
        {"zonnesteen.png",
         "sun",
         34,
         200,
         {0xFFBFB39A, 0xFFA89C82, 0xFFD4C9B0, 0xFF8F836A},
         0xFF4A4234,
         0xFFF4EBDB,
         false},
        {"caleidoscoop.png",
         "star",
         25,
         200,
         {0xFFE94B3C, 0xFFF4C542, 0xFF3FA9F5, 0xFF7BC043, 0xFFA35BC4, 0xFFFF8C42},
         0xFF202020,
         0xFFF4EBDB,
         false},
        {"lotus.png",
         "flower",
         316,
         120,
         {0xFFF2A7B8, 0xFFE8C547, 0xFF3B9C5A, 0xFFFFF3E0},
         0xFF5A2440,
         0xFFF4EBDB,
         false},
        {"knoopje.png",
         "knot",
         47,
         120,
         {0xFF3A6EA5, 0xFFEFD9A0, 0xFFB5452F},
         0xFF1E1E1E,
         0xFFF4EBDB,
         false},
        {"lotus8.png",
         "womb",
         1,
         120,
         {0xFFF3D9A4, 0xFFB5452F, 0xFF2E5E8C, 0xFFE2B33C, 0xFF3E8C6E},
         0xFF2A1A0A,
         0xFFF4EBDB,
         false},
        {"zandschildering.png",
         "sun",
         36,
         120,
         {0xFFEDE3CC, 0xFF3A6EA5, 0xFFE3C15A, 0xFF1E1E1E, 0xFFB5452F},
         0xFF4A3A2A,
         0xFFD9C3A0,
         false},
        {"gouden-bloem.png",
         "flower",
         17,
         120,
         {0xFFE8B923, 0xFF1F3F8F, 0xFFF6E7B4, 0xFFB5452F, 0xFF2D7A3E},
         0xFF1A1A1A,
         0xFFF4EBDB,
         false},
        {"kleurplaat.png",
         "flower",
         19,
         200,
         {0xFFFF9933, 0xFF3FBEFE, 0xFFF4EBDB, 0xFF00A07A, 0xFFE84A5F, 0xFFFFD24C},
         0xFF000000,
         0xFFF4EBDB,
         false},
    };
    return recipes;
}

QImage Colour(const Recipe& r) {
    // Drawn at twice the size and reduced, so the coloured picture is smooth.
    const int big = r.size * 2;
    const LineArt art = MakeDrawing(r.style, r.seed, big);
    std::vector<int> label, area;
    const int regions = LabelWhite(art, label, area);
    std::vector<double> sx(regions, 0), sy(regions, 0);
    std::vector<bool> border(regions, false);
    for (int y = 0; y < big; ++y) {
        for (int x = 0; x < big; ++x) {
            const int l = label[size_t(y) * big + x];
            if (l < 0) continue;
            sx[l] += x;
            sy[l] += y;
            if (x == 0 || y == 0 || x == big - 1 || y == big - 1) border[l] = true;
        }
    }
    // Regions that are copies of each other under the design's symmetry lie at the same
    // distance from the centre and have the same area: group them, so they share a colour.
    const double c = big / 2.0;
    std::vector<double> dist(regions);
    std::vector<int> order;
    for (int l = 0; l < regions; ++l) {
        dist[l] = std::hypot(sx[l] / area[l] - c, sy[l] / area[l] - c);
        if (!border[l]) order.push_back(l);
    }
    std::sort(order.begin(), order.end(), [&](int x, int y) { return dist[x] < dist[y]; });
    std::vector<int> group(regions, 0);
    int groups = 0;
    for (size_t i = 0; i < order.size();) {
        size_t j = i + 1;
        while (j < order.size() && dist[order[j]] - dist[order[j - 1]] <= 1.5) ++j;
        // Within one distance, split by area.
        std::vector<int> ring(order.begin() + long(i), order.begin() + long(j));
        std::sort(ring.begin(), ring.end(), [&](int x, int y) { return area[x] < area[y]; });
        for (size_t m = 0; m < ring.size(); ++m) {
            if (m == 0 || area[ring[m]] > area[ring[m - 1]] * 1.15 + 4) ++groups;
            group[ring[m]] = groups;
        }
        i = j;
    }
    std::vector<QRgb> colour(regions);
    for (int l = 0; l < regions; ++l) {
        if (border[l]) {
            colour[l] = r.background;
            continue;
        }
        long key = group[l];
        if (r.quadrants) {
            const double dx = sx[l] / area[l] - c, dy = sy[l] / area[l] - c;
            const double a = std::atan2(dy, dx) + 3.14159265358979 / 4 + 2 * 3.14159265358979;
            key += long(std::floor(a / (3.14159265358979 / 2))) % 4 * 3;
        }
        colour[l] = r.palette[size_t(key % long(r.palette.size()))];
    }
    QImage img(big, big, QImage::Format_RGB32);
    for (int y = 0; y < big; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < big; ++x) {
            const int l = label[size_t(y) * big + x];
            row[x] = l < 0 ? r.line : colour[l];
        }
    }
    return img.scaled(r.size, r.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

const std::vector<std::string>& HistoryPictureNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const auto& r : Recipes()) v.push_back(r.name);
        return v;
    }();
    return names;
}

bool WriteHistoryPictures(const std::string& outDir) {
    const QString dir = QString::fromStdString(outDir) + "/H";
    if (!QDir().mkpath(dir)) return false;
    for (const auto& r : Recipes())
        if (!Colour(r).save(dir + "/" + r.name, "PNG")) return false;
    return true;
}

}  // namespace mandala
