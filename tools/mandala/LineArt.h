#pragma once
// One-bit line art: the drawings are black lines on white, and every white area must be a
// clean region for a 4-connected flood fill. These routines turn a rendered grey picture
// into such line art, check it, and read and write it as 1-bit BMP.
#include <cstdint>
#include <string>
#include <vector>

class QImage;

namespace mandala {

// Pixels are 0 (black) or 1 (white), row by row.
struct LineArt {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> px;

    LineArt() = default;
    LineArt(int w, int h, uint8_t fill = 1) : width(w), height(h), px(size_t(w) * h, fill) {}
    uint8_t at(int x, int y) const { return px[size_t(y) * width + x]; }
    uint8_t& at(int x, int y) { return px[size_t(y) * width + x]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Threshold a grey rendering at half intensity.
LineArt FromGrey(const QImage& grey);
QImage ToImage(const LineArt& art);

// Labels the white pixels by 4-connected region (black pixels get -1); returns the number
// of regions and fills the area of each.
int LabelWhite(const LineArt& art, std::vector<int>& label, std::vector<int>& area,
               bool eightConnected = false);

struct Problems {
    int diagonalPairs = 0;  // 2x2 blocks whose white pixels touch only at a corner
    int specks = 0;         // white regions smaller than the minimum area
    int necks = 0;          // regions joined only through a channel of one or two pixels
    int greyPixels = 0;     // pixels that are neither pure black nor pure white (images only)
    bool ok() const { return diagonalPairs == 0 && specks == 0 && necks == 0 && greyPixels == 0; }
    std::string describe() const;
};

// What a region must have at least to be worth colouring, and what a channel between two
// areas must be wide at least not to count as a leak.
struct Rules {
    int minRegion = 12;  // pixels
    int minPart = 60;    // pixels of each side of a neck before it counts as a leak
};

Problems Check(const LineArt& art, const Rules& rules = {});
// Checks a decoded picture: pure black and white only, then the line-art rules.
Problems CheckImage(const QImage& image, const Rules& rules = {});

// Makes the art clean: removes black dust, closes corner contacts and narrow necks, fills
// specks. Returns the number of passes that changed something.
int Clean(LineArt& art, const Rules& rules = {});

// 1-bit Windows BMP (palette: black, white).
std::vector<uint8_t> EncodeBmp1(const LineArt& art);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& data);

}  // namespace mandala
