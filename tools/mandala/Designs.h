#pragma once
// Procedural mandala line drawings. A drawing is fixed by its style, seed and size; the
// same three give the same picture on every run.
#include <QPointF>
#include <cstdint>
#include <string>
#include <vector>

#include "LineArt.h"

class QImage;

namespace mandala {

// Small deterministic generator (splitmix64), independent of the standard library's
// distributions so that a seed means the same drawing everywhere.
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
    uint64_t next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double a, double b) { return a + (b - a) * uniform(); }
    int below(int n) { return n <= 0 ? 0 : int(next() % uint64_t(n)); }
    bool chance(double p) { return uniform() < p; }
    template <class T>
    const T& pick(const std::vector<T>& v) {
        return v[size_t(below(int(v.size())))];
    }

private:
    uint64_t s_;
};

// A crossing of two closed polylines (possibly the same one twice): the strands, the arc
// length along each at which they cross, and which of the two (0 or 1) passes over.
struct WeaveCrossing {
    int strand[2] = {0, 0};
    double at[2] = {0, 0};
    int top = -1;
};

// Finds every crossing of the strands, each once, also where it falls on a vertex, and lets
// each strand pass alternately over and under along its length.
std::vector<WeaveCrossing> Weave(const std::vector<std::vector<QPointF>>& strands);

// The styles a catalogue line may name.
const std::vector<std::string>& Styles();

// Renders the drawing in grey (anti-aliased); FromGrey and Clean make the line art.
QImage RenderGrey(const std::string& style, uint64_t seed, int size);
// The finished, cleaned line art. Throws std::invalid_argument for an unknown style.
LineArt MakeDrawing(const std::string& style, uint64_t seed, int size);

}  // namespace mandala
