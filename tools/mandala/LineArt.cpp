#include "LineArt.h"

#include <QImage>
#include <cstdio>
#include <deque>
#include <sstream>

namespace mandala {

LineArt FromGrey(const QImage& src) {
    QImage grey = src.convertToFormat(QImage::Format_Grayscale8);
    LineArt art(grey.width(), grey.height());
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) art.at(x, y) = row[x] >= 128 ? 1 : 0;
    }
    return art;
}

QImage ToImage(const LineArt& art) {
    QImage img(art.width, art.height, QImage::Format_RGB32);
    for (int y = 0; y < art.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < art.width; ++x) row[x] = art.at(x, y) ? 0xFFFFFFFFu : 0xFF000000u;
    }
    return img;
}

namespace {

// Labels the pixels of one colour; returns the number of components.
int Label(const LineArt& art, uint8_t colour, bool eight, std::vector<int>& label,
          std::vector<int>& area) {
    const int w = art.width, h = art.height;
    label.assign(size_t(w) * h, -1);
    area.clear();
    std::vector<int> stack;
    for (int start = 0; start < w * h; ++start) {
        if (art.px[start] != colour || label[start] >= 0) continue;
        const int id = int(area.size());
        area.push_back(0);
        label[start] = id;
        stack.push_back(start);
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            ++area[id];
            const int x = p % w, y = p / w;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if ((dx == 0 && dy == 0) || (!eight && dx != 0 && dy != 0)) continue;
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    const int q = ny * w + nx;
                    if (art.px[q] == colour && label[q] < 0) {
                        label[q] = id;
                        stack.push_back(q);
                    }
                }
            }
        }
    }
    return int(area.size());
}

bool DiagonalBlock(const LineArt& a, int x, int y) {
    const uint8_t tl = a.at(x, y), tr = a.at(x + 1, y), bl = a.at(x, y + 1),
                  br = a.at(x + 1, y + 1);
    return (tl && br && !tr && !bl) || (tr && bl && !tl && !br);
}

// Lines thickened by one pixel on every side (4-neighbourhood).
LineArt Thicken(const LineArt& a) {
    LineArt t = a;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (!a.at(x, y)) continue;
            const bool blackNear =
                (x > 0 && !a.at(x - 1, y)) || (x + 1 < a.width && !a.at(x + 1, y)) ||
                (y > 0 && !a.at(x, y - 1)) || (y + 1 < a.height && !a.at(x, y + 1));
            if (blackNear) t.at(x, y) = 0;
        }
    }
    return t;
}

struct NeckScan {
    std::vector<int> regionLabel, regionArea, coreLabel, coreArea;
    // For each region: the significant cores inside it.
    std::vector<std::vector<int>> coresOf;
    int necks = 0;
};

NeckScan ScanNecks(const LineArt& a, const Rules& rules) {
    NeckScan s;
    Label(a, 1, false, s.regionLabel, s.regionArea);
    Label(Thicken(a), 1, false, s.coreLabel, s.coreArea);
    s.coresOf.assign(s.regionArea.size(), {});
    std::vector<int> regionOfCore(s.coreArea.size(), -1);
    for (size_t p = 0; p < a.px.size(); ++p) {
        const int c = s.coreLabel[p];
        if (c < 0 || regionOfCore[c] >= 0) continue;
        regionOfCore[c] = s.regionLabel[p];
        if (s.coreArea[c] >= rules.minPart) s.coresOf[s.regionLabel[p]].push_back(c);
    }
    for (auto& cores : s.coresOf)
        if (cores.size() > 1) s.necks += int(cores.size()) - 1;
    return s;
}

int RemoveBlackDust(LineArt& a, int maxArea) {
    std::vector<int> label, area;
    Label(a, 0, true, label, area);
    int changed = 0;
    for (size_t p = 0; p < a.px.size(); ++p)
        if (label[p] >= 0 && area[label[p]] <= maxArea) a.px[p] = 1, ++changed;
    return changed;
}

int CloseDiagonals(LineArt& a) {
    int changed = 0;
    for (bool again = true; again;) {
        again = false;
        for (int y = 0; y + 1 < a.height; ++y) {
            for (int x = 0; x + 1 < a.width; ++x) {
                if (!DiagonalBlock(a, x, y)) continue;
                // Blacken the white pixel of the pair that sits on the upper row.
                if (a.at(x, y))
                    a.at(x, y) = 0;
                else
                    a.at(x + 1, y) = 0;
                ++changed;
                again = true;
            }
        }
    }
    return changed;
}

// Splits every region whose thickened cores fall apart: each white pixel goes to the core
// it reaches first, and where two cores meet a wall is drawn.
int CloseNecks(LineArt& a, const Rules& rules) {
    NeckScan s = ScanNecks(a, rules);
    if (s.necks == 0) return 0;
    const int w = a.width, h = a.height;
    std::vector<int> owner(a.px.size(), -1);
    std::deque<int> queue;
    for (size_t p = 0; p < a.px.size(); ++p) {
        const int r = s.regionLabel[p];
        if (r < 0 || s.coresOf[r].size() < 2) continue;
        const int c = s.coreLabel[p];
        if (c >= 0 && s.coreArea[c] >= rules.minPart) {
            owner[p] = c;
            queue.push_back(int(p));
        }
    }
    const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
    while (!queue.empty()) {
        const int p = queue.front();
        queue.pop_front();
        const int x = p % w, y = p / w;
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[k], ny = y + dy[k];
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
            const int q = ny * w + nx;
            if (a.px[q] && owner[q] < 0) {
                owner[q] = owner[p];
                queue.push_back(q);
            }
        }
    }
    int changed = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int p = y * w + x;
            if (owner[p] < 0) continue;
            for (int k = 0; k < 4; ++k) {
                const int nx = x + dx[k], ny = y + dy[k];
                if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                const int q = ny * w + nx;
                if (owner[q] >= 0 && owner[q] > owner[p]) {
                    a.px[q] = 0;
                    ++changed;
                }
            }
        }
    }
    return changed;
}

int FillSpecks(LineArt& a, int minArea) {
    std::vector<int> label, area;
    Label(a, 1, false, label, area);
    int changed = 0;
    for (size_t p = 0; p < a.px.size(); ++p)
        if (label[p] >= 0 && area[label[p]] < minArea) a.px[p] = 0, ++changed;
    return changed;
}

}  // namespace

int LabelWhite(const LineArt& art, std::vector<int>& label, std::vector<int>& area,
               bool eightConnected) {
    return Label(art, 1, eightConnected, label, area);
}

std::string Problems::describe() const {
    std::ostringstream s;
    s << diagonalPairs << " corner contacts, " << specks << " specks, " << necks
      << " narrow necks, " << greyPixels << " grey pixels";
    return s.str();
}

Problems Check(const LineArt& a, const Rules& rules) {
    Problems pr;
    for (int y = 0; y + 1 < a.height; ++y)
        for (int x = 0; x + 1 < a.width; ++x)
            if (DiagonalBlock(a, x, y)) ++pr.diagonalPairs;
    std::vector<int> label, area;
    Label(a, 1, false, label, area);
    for (int ar : area)
        if (ar < rules.minRegion) ++pr.specks;
    pr.necks = ScanNecks(a, rules).necks;
    return pr;
}

Problems CheckImage(const QImage& image, const Rules& rules) {
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    LineArt art(rgb.width(), rgb.height());
    int grey = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = row[x] & 0xFFFFFFu;
            if (c != 0 && c != 0xFFFFFFu) ++grey;
            art.at(x, y) = c == 0xFFFFFFu ? 1 : 0;
        }
    }
    Problems pr = Check(art, rules);
    pr.greyPixels = grey;
    return pr;
}

int Clean(LineArt& a, const Rules& rules) {
    int passes = 0;
    for (int round = 0; round < 12; ++round) {
        int changed = RemoveBlackDust(a, 5);
        changed += CloseDiagonals(a);
        changed += CloseNecks(a, rules);
        changed += CloseDiagonals(a);
        changed += FillSpecks(a, rules.minRegion);
        if (changed == 0) break;
        ++passes;
    }
    return passes;
}

std::vector<uint8_t> EncodeBmp1(const LineArt& a) {
    const uint32_t rowBytes = ((uint32_t(a.width) + 31) / 32) * 4;
    const uint32_t dataSize = rowBytes * uint32_t(a.height);
    const uint32_t offset = 14 + 40 + 8;
    std::vector<uint8_t> out(offset + dataSize, 0);
    auto put16 = [&](size_t at, uint16_t v) {
        out[at] = uint8_t(v);
        out[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, uint32_t(out.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, uint32_t(a.width));
    put32(22, uint32_t(a.height));
    put16(26, 1);
    put16(28, 1);
    put32(30, 0);  // no compression
    put32(34, dataSize);
    put32(38, 3780);  // 96 dpi
    put32(42, 3780);
    put32(46, 2);  // colours used
    put32(50, 2);
    // Palette entry 0 black, entry 1 white (blue, green, red, reserved).
    out[58] = out[59] = out[60] = 255;
    for (int y = 0; y < a.height; ++y) {
        uint8_t* row = &out[offset + size_t(a.height - 1 - y) * rowBytes];
        for (int x = 0; x < a.width; ++x)
            if (a.at(x, y)) row[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace mandala
