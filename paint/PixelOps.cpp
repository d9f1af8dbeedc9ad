#include "paint/PixelOps.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <limits>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace orb {

namespace {

using i64 = std::int64_t;
using i128 = __int128;

constexpr quint32 kOpaque = 0xff000000u;

// The raw-pixel code below needs 32 bits per pixel; anything else is converted once.
bool MakeWritable32(QImage& img) {
    if (img.isNull() || img.width() <= 0 || img.height() <= 0) return false;
    if (img.depth() != 32) img = img.convertToFormat(QImage::Format_RGB32);
    return !img.isNull();
}

inline quint32* Row(QImage& img, int y) { return reinterpret_cast<quint32*>(img.scanLine(y)); }

// Sets p[x1..x2] to v. The C library's wide fill is vectorised; a plain loop is not at -O2,
// and solid fills of whole drawings are this loop.
inline void FillRun(quint32* p, i64 x1, i64 x2, quint32 v) {
    if (x2 - x1 < 16) {
        for (i64 x = x1; x <= x2; ++x) p[x] = v;
    } else if constexpr (sizeof(wchar_t) == sizeof(quint32)) {
        std::wmemset(reinterpret_cast<wchar_t*>(p + x1), static_cast<wchar_t>(v),
                     static_cast<size_t>(x2 - x1 + 1));
    } else {
        std::fill(p + x1, p + x2 + 1, v);
    }
}

// FillRun for pictures far larger than the caches: streaming stores skip reading every line
// before overwriting it, which is most of the cost of a solid fill of a whole drawing.
inline void FillRunStreaming(quint32* p, i64 x1, i64 x2, quint32 v) {
#if defined(__SSE2__)
    i64 x = x1;
    for (; x <= x2 && (reinterpret_cast<std::uintptr_t>(p + x) & 15u) != 0; ++x) p[x] = v;
    const __m128i vv = _mm_set1_epi32(static_cast<int>(v));
    for (; x + 16 <= x2 + 1; x += 16) {
        __m128i* q = reinterpret_cast<__m128i*>(p + x);
        _mm_stream_si128(q, vv);
        _mm_stream_si128(q + 1, vv);
        _mm_stream_si128(q + 2, vv);
        _mm_stream_si128(q + 3, vv);
    }
    for (; x <= x2; ++x) p[x] = v;
#else
    FillRun(p, x1, x2, v);
#endif
}

inline void StreamingDone() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

// ---- Row scanning -------------------------------------------------------------------------

// First i in [from, to) with p[i] != c, or to.
inline int SkipEqual(const quint32* p, int from, int to, quint32 c) {
    int i = from;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(static_cast<int>(c));
    auto eq = [&](int k) {
        return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k)), v);
    };
    for (; i + 16 <= to; i += 16) {
        // Long runs are read at the speed of memory: ask for the lines ahead early.
        _mm_prefetch(reinterpret_cast<const char*>(p + i) + 2048, _MM_HINT_T0);
        const __m128i all =
            _mm_and_si128(_mm_and_si128(eq(i), eq(i + 4)), _mm_and_si128(eq(i + 8), eq(i + 12)));
        if (_mm_movemask_epi8(all) != 0xffff) break;
    }
    for (; i + 4 <= to; i += 4) {
        const int m = _mm_movemask_epi8(eq(i));
        if (m != 0xffff) return i + __builtin_ctz(~m & 0xffff) / 4;
    }
#endif
    while (i < to && p[i] == c) ++i;
    return i;
}

// First i in [from, to) with p[i] == c, or to.
inline int SkipDifferent(const quint32* p, int from, int to, quint32 c) {
    int i = from;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(static_cast<int>(c));
    auto eq = [&](int k) {
        return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k)), v);
    };
    for (; i + 16 <= to; i += 16) {
        const __m128i any =
            _mm_or_si128(_mm_or_si128(eq(i), eq(i + 4)), _mm_or_si128(eq(i + 8), eq(i + 12)));
        if (_mm_movemask_epi8(any) != 0) break;
    }
    for (; i + 4 <= to; i += 4) {
        const int m = _mm_movemask_epi8(eq(i));
        if (m != 0) return i + __builtin_ctz(m) / 4;
    }
#endif
    while (i < to && p[i] != c) ++i;
    return i;
}

// Lowest i >= lo such that p[i..from] all equal c; p[from] must equal c.
inline int SkipEqualBack(const quint32* p, int from, int lo, quint32 c) {
    int i = from;  // p[i..from] known equal
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(static_cast<int>(c));
    while (i - 4 >= lo) {
        const int m = _mm_movemask_epi8(
            _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 4)), v));
        if (m != 0xffff) return i - 4 + (31 - __builtin_clz(~m & 0xffff)) / 4 + 1;
        i -= 4;
    }
#endif
    while (i > lo && p[i - 1] == c) --i;
    return i;
}

// One bit per pixel: set once the pixel's run has been taken into the region.
// The storage is kept between fills of the window thread: a fresh map for a large drawing
// costs more in page faults than the fill itself. Kept storage is all clear between fills, and
// only the rows a fill marked are cleared after it, so a small cell in a large drawing costs
// what the cell costs.
class VisitedBits {
public:
    VisitedBits(int w, int h) : words_((static_cast<size_t>(w) + 63) / 64), bits_(Storage()) {
        const size_t n = words_ * static_cast<size_t>(h);
        if (n > kKeep) {
            own_.assign(n, 0);
            data_ = own_.data();
        } else {
            if (bits_.size() < n) bits_.resize(n, 0);
            data_ = bits_.data();
        }
    }
    ~VisitedBits() {
        if (own_.empty() && lo_ <= hi_)
            std::fill(RowBits(lo_), RowBits(hi_) + words_, std::uint64_t{0});
    }
    VisitedBits(const VisitedBits&) = delete;
    VisitedBits& operator=(const VisitedBits&) = delete;

    std::uint64_t* RowBits(int y) { return data_ + static_cast<size_t>(y) * words_; }

    static bool Test(const std::uint64_t* r, int x) { return (r[x >> 6] >> (x & 63)) & 1u; }

    void Mark(int y, int x1, int x2) {
        lo_ = std::min(lo_, y);
        hi_ = std::max(hi_, y);
        std::uint64_t* r = RowBits(y);
        int w1 = x1 >> 6, w2 = x2 >> 6;
        const std::uint64_t first = ~std::uint64_t{0} << (x1 & 63);
        const std::uint64_t last = ~std::uint64_t{0} >> (63 - (x2 & 63));
        if (w1 == w2) {
            r[w1] |= first & last;
            return;
        }
        r[w1] |= first;
        for (int k = w1 + 1; k < w2; ++k) r[k] = ~std::uint64_t{0};
        r[w2] |= last;
    }

    // First x' >= x whose bit is clear (the padding past the row's end is always clear).
    int FirstClear(const std::uint64_t* r, int x) const {
        size_t k = static_cast<size_t>(x >> 6);
        std::uint64_t inv = ~r[k] & (~std::uint64_t{0} << (x & 63));
        while (inv == 0) {
            if (++k == words_) return static_cast<int>(k * 64);
            inv = ~r[k];
        }
        return static_cast<int>(k * 64 + __builtin_ctzll(inv));
    }

private:
    static constexpr size_t kKeep = size_t{1} << 21;  // 16 MB: a 128-megapixel picture
    static std::vector<std::uint64_t>& Storage() {
        thread_local std::vector<std::uint64_t> kept;
        return kept;
    }
    size_t words_;
    int lo_ = std::numeric_limits<int>::max(), hi_ = -1;  // rows marked
    std::vector<std::uint64_t>& bits_;
    std::vector<std::uint64_t> own_;
    std::uint64_t* data_ = nullptr;
};

// ---- Exact integer helpers -----------------------------------------------------------------

i128 FloorDiv(i128 a, i128 b) {  // b > 0
    i128 q = a / b;
    if (a % b != 0 && a < 0) --q;
    return q;
}

i128 CeilDiv(i128 a, i128 b) {  // b > 0
    i128 q = a / b;
    if (a % b != 0 && a > 0) ++q;
    return q;
}

// floor(sqrt(v)) for 0 <= v < 2^125.
i64 ISqrt(i128 v) {
    if (v <= 0) return 0;
    i128 s = static_cast<i128>(std::sqrt(static_cast<long double>(v)));
    if (s <= 0) s = 1;
    s = (s + v / s) / 2;  // one Newton step absorbs the estimate's rounding
    while (s * s > v) --s;
    while ((s + 1) * (s + 1) <= v) ++s;
    return static_cast<i64>(s);
}

i64 Clamp64(i128 v, i64 lo, i64 hi) { return v < lo ? lo : (v > hi ? hi : static_cast<i64>(v)); }

// ---- Pen -----------------------------------------------------------------------------------

inline void Apply(quint32& px, quint32 pen, int rop) {
    px = kOpaque | PenRasterPixel(rop, pen, px);
}

// Classic one-pixel line along its major axis: n steps from (a0, b0), end point excluded;
// step i lies at b0 + sb * floor((2 i nb + na) / (2 na)). Only the steps inside the picture
// are walked, so far-away end points cost nothing.
template <typename Plot>
void MajorAxisLine(i64 a0, i64 b0, int sa, int sb, i64 na, i64 nb, i64 aMax, i64 bMax, Plot plot) {
    // Steps whose major coordinate lies in [0, aMax].
    i64 lo = 0, hi = na - 1;
    if (sa > 0) {
        lo = std::max(lo, -a0);
        hi = std::min(hi, aMax - a0);
    } else {
        lo = std::max(lo, a0 - aMax);
        hi = std::min(hi, a0);
    }
    if (lo > hi) return;
    auto minorAt = [&](i64 i) -> i64 {
        const i128 q = (static_cast<i128>(2) * i * nb + na) / (static_cast<i128>(2) * na);
        return b0 + sb * static_cast<i64>(q);
    };
    // The minor coordinate is monotone in i: bisect for the steps where it lies in [0, bMax].
    auto inside = [&](i64 i, bool wantLow) {
        const i64 b = minorAt(i);
        // wantLow: has b already entered the range from the start's side
        return wantLow ? (sb > 0 ? b >= 0 : b <= bMax) : (sb > 0 ? b <= bMax : b >= 0);
    };
    {  // first step that is not before the range
        i64 l = lo, h = hi + 1;
        while (l < h) {
            const i64 m = l + (h - l) / 2;
            if (inside(m, true))
                h = m;
            else
                l = m + 1;
        }
        lo = l;
    }
    {  // last step that is not beyond the range
        i64 l = lo - 1, h = hi;
        while (l < h) {
            const i64 m = l + (h - l + 1) / 2;
            if (inside(m, false))
                l = m;
            else
                h = m - 1;
        }
        hi = l;
    }
    if (lo > hi) return;
    i64 a = a0 + sa * lo;
    i64 b = minorAt(lo);
    const i64 twoNa = 2 * na, twoNb = 2 * nb;
    i64 rem = static_cast<i64>((static_cast<i128>(2) * lo * nb + na) % twoNa);
    for (i64 i = lo; i <= hi; ++i) {
        plot(a, b);
        a += sa;
        rem += twoNb;
        if (rem >= twoNa) {
            rem -= twoNa;
            b += sb;
        }
    }
}

void ThinLine(QImage& img, QPoint from, QPoint to, quint32 pen, int rop) {
    const i64 x0 = from.x(), y0 = from.y();
    const i64 dx = i64{to.x()} - x0, dy = i64{to.y()} - y0;
    const i64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    if (adx == 0 && ady == 0) return;
    const i64 w = img.width(), h = img.height();
    if (adx >= ady) {
        MajorAxisLine(x0, y0, sx, sy, adx, ady, w - 1, h - 1,
                      [&](i64 x, i64 y) { Apply(Row(img, static_cast<int>(y))[x], pen, rop); });
    } else {
        MajorAxisLine(y0, x0, sy, sx, ady, adx, h - 1, w - 1,
                      [&](i64 y, i64 x) { Apply(Row(img, static_cast<int>(y))[x], pen, rop); });
    }
}

// Wide pen: every pixel whose centre lies within width/2 of the segment. Coordinates are
// doubled so pixel centres are odd numbers; odd widths put the segment through the centres
// of the end pixels, even widths through their top-left corners, so a straight line always
// covers exactly `width` rows or columns.
void WideLine(QImage& img, QPoint from, QPoint to, int width, quint32 pen, int rop) {
    const i64 off = (width & 1) ? 1 : 0;
    const i64 ax = 2 * i64{from.x()} + off, ay = 2 * i64{from.y()} + off;
    const i64 bx = 2 * i64{to.x()} + off, by = 2 * i64{to.y()} + off;
    const i64 r = width;  // radius in half pixels
    const i64 dX = bx - ax, dY = by - ay;
    const i128 den = static_cast<i128>(dX) * dX + static_cast<i128>(dY) * dY;
    const i64 band = den > 0 ? ISqrt(static_cast<i128>(r) * r * den) : 0;  // floor(r |d|)

    const i64 w = img.width(), h = img.height();
    // Bounding box in pixels, clipped to the picture first.
    const i64 yTop = std::max<i64>(0, (std::min(ay, by) - r - 1) / 2 - 1);
    const i64 yBot = std::min<i64>(h - 1, (std::max(ay, by) + r) / 2 + 1);
    const i64 xLeft = std::max<i64>(0, (std::min(ax, bx) - r - 1) / 2 - 1);
    const i64 xRight = std::min<i64>(w - 1, (std::max(ax, bx) + r) / 2 + 1);
    if (yTop > yBot || xLeft > xRight) return;

    constexpr i64 kFar = i64{1} << 40;
    for (i64 y = yTop; y <= yBot; ++y) {
        const i64 yc = 2 * y + 1;
        // Covered centres X (odd) form one interval: the union of the two end discs and the
        // band along the segment, each found exactly in integers (no rounding at the edges).
        i64 lo = kFar, hi = -kFar;
        auto disc = [&](i64 cx, i64 cy) {
            const i64 ddy = yc - cy;
            if (ddy > r || ddy < -r) return;
            const i64 s = ISqrt(static_cast<i128>(r) * r - static_cast<i128>(ddy) * ddy);
            lo = std::min(lo, cx - s);
            hi = std::max(hi, cx + s);
        };
        disc(ax, ay);
        disc(bx, by);
        if (den > 0) {
            // Along the row X = ax + u: cross = u dY - K, dot = u dX + (yc - ay) dY.
            const i128 py = yc - ay;
            const i128 K = py * dX;
            i128 uLo = -(static_cast<i128>(1) << 100), uHi = static_cast<i128>(1) << 100;
            bool ok = true;
            auto limit = [&](i128 slope, i128 offset, i128 a, i128 b) {
                // a <= u * slope + offset <= b
                if (slope == 0) {
                    if (offset < a || offset > b) ok = false;
                } else if (slope > 0) {
                    uLo = std::max(uLo, CeilDiv(a - offset, slope));
                    uHi = std::min(uHi, FloorDiv(b - offset, slope));
                } else {
                    uLo = std::max(uLo, CeilDiv(offset - b, -slope));
                    uHi = std::min(uHi, FloorDiv(offset - a, -slope));
                }
            };
            limit(dY, -K, -static_cast<i128>(band), band);
            limit(dX, py * dY, 0, den);
            if (ok && uLo <= uHi) {
                lo = std::min(lo, Clamp64(ax + uLo, -kFar, kFar));
                hi = std::max(hi, Clamp64(ax + uHi, -kFar, kFar));
            }
        }
        if (lo > hi) continue;
        // Odd X = 2x + 1 within [lo, hi].
        const i64 x1 = std::max<i64>(xLeft, static_cast<i64>(CeilDiv(lo - 1, 2)));
        const i64 x2 = std::min<i64>(xRight, static_cast<i64>(FloorDiv(hi - 1, 2)));
        if (x1 > x2) continue;
        quint32* p = Row(img, static_cast<int>(y));
        if (rop == 0 || rop < 0 || rop > 6) {
            FillRun(p, x1, x2, kOpaque | pen);
        } else {
            for (i64 x = x1; x <= x2; ++x) Apply(p[x], pen, rop);
        }
    }
}

}  // namespace

// ---- Flood fill ----------------------------------------------------------------------------
//
// Two ways to find a region, one result. The scanline search follows the region span by span
// and costs what the region costs, so a small cell in a large drawing is cheap; on a region of
// millions of tiny spans (the background around fine line art) its jumps through the picture
// cost far more than the pixels do. Past a budget of spans it hands over to a row labelling
// that reads the picture once in order: a bit mask of the seed colour, the mask's runs joined
// row to row in a union-find, then the runs of the seed's label.

namespace {

// Rows of a 32-bit picture, read only.
struct Pixels {
    const uchar* base;
    qsizetype bpl;
    int w, h;
    const quint32* Row(int y) const { return reinterpret_cast<const quint32*>(base + y * bpl); }
};

// The scanline search. Calls onSpan(y, x1, x2) once for each maximal run of c it takes and
// marks it in `visited`. Run(budget) stops, returning false, once more than `budget` spans are
// taken; it can be run again with a larger budget. onSpan may repaint the run at once: a
// painted pixel is no longer c, and every pixel still c inside a taken run is marked, so
// neither is taken twice.
template <typename OnSpan>
class SpanSearch {
public:
    SpanSearch(const Pixels& px, QPoint seed, quint32 c, VisitedBits& visited, OnSpan& onSpan)
        : px_(px), c_(c), visited_(visited), onSpan_(onSpan) {
        const quint32* p = px.Row(seed.y());
        Take(seed.y(), SkipEqualBack(p, seed.x(), 0, c), SkipEqual(p, seed.x(), px.w, c) - 1, 0, 0,
             -1);
    }

    bool Run(size_t budget) {
        const int h = px_.h;
        while (!pending_.empty()) {
            if (taken_ > budget) return false;
            const Pending s = pending_.back();
            pending_.pop_back();
            if (s.dir == 0) {
                if (s.y > 0) Scan(s.y - 1, s.x1, s.x2, -1, s.x1, s.x2);
                if (s.y + 1 < h) Scan(s.y + 1, s.x1, s.x2, 1, s.x1, s.x2);
                continue;
            }
            const int ahead = s.y + s.dir, back = s.y - s.dir;
            if (ahead >= 0 && ahead < h) Scan(ahead, s.x1, s.x2, s.dir, s.x1, s.x2);
            // Back towards the parent only where this span reaches past it.
            if (s.x1 < s.p1) Scan(back, s.x1, s.p1 - 1, -s.dir, s.x1, s.x2);
            if (s.x2 > s.p2) Scan(back, s.p2 + 1, s.x2, -s.dir, s.x1, s.x2);
        }
        return true;
    }

    size_t Taken() const { return taken_; }
    // The box of the spans taken so far.
    QRect Reached() const { return QRect(QPoint(left_, top_), QPoint(right_, bottom_)); }

private:
    // A span still to be looked past: its rows above and below. `dir` points away from the
    // span it was found from (0 for the seed's), whose columns p1..p2 need no second look.
    struct Pending {
        int y, x1, x2, dir, p1, p2;
    };

    void Take(int y, int x1, int x2, int dir, int p1, int p2) {
        left_ = std::min(left_, x1);
        right_ = std::max(right_, x2);
        top_ = std::min(top_, y);
        bottom_ = std::max(bottom_, y);
        visited_.Mark(y, x1, x2);
        onSpan_(y, x1, x2);
        ++taken_;
        pending_.push_back({y, x1, x2, dir, p1, p2});
    }

    // Finds the unvisited runs of c in row y that touch columns a..b, seen from a span of row
    // y - dir with columns p1..p2. Every run found is maximal and marked whole, so a visited
    // pixel of colour c means its whole run is done and can be jumped over on the bit map.
    void Scan(int y, int a, int b, int dir, int p1, int p2) {
        const quint32* p = px_.Row(y);
        std::uint64_t* bits = visited_.RowBits(y);
        int x = a;
        while (x <= b) {
            x = SkipDifferent(p, x, b + 1, c_);
            if (x > b) break;
            if (VisitedBits::Test(bits, x)) {
                x = visited_.FirstClear(bits, x);
                continue;
            }
            // Left of x inside a..b is a different colour, so only a run at a can reach further.
            const int s = x == a ? SkipEqualBack(p, x, 0, c_) : x;
            const int e = SkipEqual(p, x + 1, px_.w, c_) - 1;
            Take(y, s, e, dir, p1, p2);
            x = e + 2;
        }
    }

    const Pixels& px_;
    const quint32 c_;
    VisitedBits& visited_;
    OnSpan& onSpan_;
    std::vector<Pending> pending_;
    size_t taken_ = 0;
    int left_ = INT_MAX, right_ = -1, top_ = INT_MAX, bottom_ = -1;
};

// One row of the mask: bit x set where p[x] == c or the visited row has it; the bits past
// w stay clear.
void MaskRow(const quint32* p, int w, quint32 c, const std::uint64_t* also, std::uint64_t* m,
             size_t words) {
    int x = 0;
    size_t k = 0;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(static_cast<int>(c));
    auto eq16 = [&](int at) {  // 16 pixels to 16 bits
        auto eq = [&](int o) {
            return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at + o)),
                                   v);
        };
        const __m128i lo = _mm_packs_epi32(eq(0), eq(4)), hi = _mm_packs_epi32(eq(8), eq(12));
        return static_cast<std::uint64_t>(
            static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(lo, hi))));
    };
    for (; x + 64 <= w; x += 64, ++k)
        m[k] = eq16(x) | eq16(x + 16) << 16 | eq16(x + 32) << 32 | eq16(x + 48) << 48;
#endif
    for (; k < words; ++k) {
        std::uint64_t bits = 0;
        const int end = std::min(w, x + 64);
        for (int i = x; i < end; ++i) bits |= std::uint64_t{p[i] == c} << (i - x);
        m[k] = bits;
        x += 64;
    }
    if (also)
        for (k = 0; k < words; ++k) m[k] |= also[k];
}

// Calls f(x1, x2) for each run of set bits of a mask row, left to right.
template <typename F>
inline void ForEachRun(const std::uint64_t* r, size_t words, F&& f) {
    size_t k = 0;
    std::uint64_t cur = r[0];  // bits of word k not yet consumed
    for (;;) {
        while (cur == 0) {
            if (++k == words) return;
            cur = r[k];
        }
        const int s = __builtin_ctzll(cur);
        const int x1 = static_cast<int>(k * 64) + s;
        const std::uint64_t rest = ~cur & (~std::uint64_t{0} << s);  // clear bits from s on
        int x2;
        if (rest != 0) {
            const int e = __builtin_ctzll(rest);
            x2 = static_cast<int>(k * 64) + e - 1;
            cur &= ~std::uint64_t{0} << e;
        } else {
            while (++k < words && r[k] == ~std::uint64_t{0}) {
            }
            if (k == words) {
                f(x1, static_cast<int>(words * 64) - 1);
                return;
            }
            const int e = __builtin_ctzll(~r[k]);
            x2 = static_cast<int>(k * 64) + e - 1;
            cur = r[k] & (~std::uint64_t{0} << e);
        }
        f(x1, x2);
    }
}

// Run starts of a mask row: set bits whose left neighbour is clear.
[[gnu::always_inline]] inline std::uint64_t Starts(const std::uint64_t* m, size_t k) {
    const std::uint64_t before = k ? m[k - 1] >> 63 : 0;
    return m[k] & ~(m[k] << 1 | before);
}

// The row labelling. Every run of the mask (the seed colour, with the runs the search has
// taken) is a label, numbered in raster order; firstRun[y] is the first label of row y.
// Where a run touches a run of the row above, the two share a column, and each such touching
// pair is exactly one run of the two rows' common bits, so the joins are found from bits
// alone: the run holding a column is the count of run starts up to it. A root is the first run
// of its set (parent[i] <= i), so one pass in order flattens every chain.
struct RowMasks {
    size_t words = 0;
    std::vector<std::uint64_t> bits;      // words per row, bits past the width clear
    std::vector<std::uint32_t> firstRun;  // per row, and the total after the last row
    const std::uint64_t* Row(int y) const { return bits.data() + static_cast<size_t>(y) * words; }
    size_t Runs() const { return firstRun.back(); }
};

// The joins of one row with the row above. The runs of a row are joined in column order, so
// all joins of one run come together: its first join hangs it under the root above (a run
// not yet joined is its own root), later ones merge that root with theirs. The common case
// runs without a branch that depends on the picture.
[[gnu::always_inline]] inline void JoinRowImpl(const std::uint64_t* m, const std::uint64_t* above,
                                               size_t words, std::uint32_t cur, std::uint32_t prev,
                                               std::uint32_t* parent) {
    auto root = [parent](std::uint32_t l) {
        while (parent[l] != l) l = parent[l] = parent[parent[l]];
        return l;
    };
    std::uint64_t commonBefore = 0;
    std::uint32_t lastRun = ~std::uint32_t{0}, lastRoot = 0;
    for (size_t k = 0; k < words; ++k) {
        const std::uint64_t sc = Starts(m, k), sa = Starts(above, k);
        const std::uint64_t common = m[k] & above[k];
        std::uint64_t joins = common & ~(common << 1 | commonBefore);
        commonBefore = common >> 63;
        while (joins) {
            const std::uint64_t upTo = joins ^ (joins - 1);  // bits up to the lowest join
            joins &= joins - 1;
            const std::uint32_t a =
                cur + static_cast<std::uint32_t>(__builtin_popcountll(sc & upTo)) - 1;
            const std::uint32_t u =
                prev + static_cast<std::uint32_t>(__builtin_popcountll(sa & upTo)) - 1;
            // Most runs above sit at most two steps under their root.
            const std::uint32_t p1 = parent[u], p2 = parent[p1];
            std::uint32_t ru = parent[p2];
            if (__builtin_expect(ru != p2, 0)) ru = root(ru);
            parent[u] = ru;
            const bool first = a != lastRun;
            const std::uint32_t lo = first ? ru : std::min(ru, lastRoot);
            const std::uint32_t hi = first ? a : std::max(ru, lastRoot);
            parent[hi] = lo;
            lastRoot = lo;
            lastRun = a;
        }
        cur += static_cast<std::uint32_t>(__builtin_popcountll(sc));
        prev += static_cast<std::uint32_t>(__builtin_popcountll(sa));
    }
}

// Joins every row with the row above. parent holds Runs() labels and 64 more past them.
[[gnu::always_inline]] inline void JoinRowsImpl(const RowMasks& rows, int h,
                                                std::uint32_t* parent) {
    // Each row's labels start as their own roots just before the row is joined, while they
    // are in the cache.
    auto ownRoots = [parent](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) parent[i] = static_cast<std::uint32_t>(i);
    };
    ownRoots(rows.firstRun[0], rows.firstRun[1]);
    for (int y = 1; y < h; ++y) {
        ownRoots(rows.firstRun[y], rows.firstRun[y + 1]);
        JoinRowImpl(rows.Row(y), rows.Row(y - 1), rows.words, rows.firstRun[y],
                    rows.firstRun[y - 1], parent);
    }
    ownRoots(rows.Runs(), rows.Runs() + 64);
}

void JoinRowsGeneric(const RowMasks& rows, int h, std::uint32_t* parent) {
    JoinRowsImpl(rows, h, parent);
}

size_t CountRowRunsGeneric(const std::uint64_t* m, size_t words) {
    size_t runs = 0;
    for (size_t k = 0; k < words; ++k)
        runs += static_cast<size_t>(__builtin_popcountll(Starts(m, k)));
    return runs;
}

// Fills out the chosen run starts `t` of mask word m to their whole runs (carry in and out
// for runs crossing words): adding a start's bit runs a carry to the end of its run, which
// leaves the run's sum bits clear.
[[gnu::always_inline]] inline std::uint64_t WholeRuns(std::uint64_t m, std::uint64_t t,
                                                      unsigned& carry) {
    unsigned long long sum;
    const bool c1 = __builtin_uaddll_overflow(m, t, &sum);
    const bool c2 = __builtin_uaddll_overflow(sum, carry, &sum);
    carry = (c1 || c2) ? 1u : 0u;
    return m & (t | ~sum);
}

// The region's bits of one row: the runs whose root is `root`. Rows must come in order from
// the top: each flattens its runs' labels, relying on those of the rows before.
[[gnu::always_inline]] inline bool RegionRowImpl(const std::uint64_t* m, size_t words,
                                                 std::uint32_t* parent, std::uint32_t first,
                                                 std::uint32_t root, std::uint64_t* out) {
    std::uint32_t* label = parent + first;
    unsigned carry = 0;
    std::uint64_t any = 0;
    for (size_t k = 0; k < words; ++k) {
        std::uint64_t s = Starts(m, k), t = 0;
        while (s) {
            const int b = __builtin_ctzll(s);
            s &= s - 1;
            const std::uint32_t r = parent[*label];
            *label++ = r;
            t |= static_cast<std::uint64_t>(r == root) << b;
        }
        out[k] = WholeRuns(m[k], t, carry);
        any |= out[k];
    }
    return any != 0;
}

bool RegionRowGeneric(const std::uint64_t* m, size_t words, std::uint32_t* parent,
                      std::uint32_t first, std::uint32_t root, std::uint64_t* out) {
    return RegionRowImpl(m, words, parent, first, root, out);
}

#if defined(__x86_64__)
// The same with the processor's bit count: the joins count run starts for every join.
[[gnu::target("popcnt")]] void JoinRowsPopcnt(const RowMasks& rows, int h, std::uint32_t* parent) {
    JoinRowsImpl(rows, h, parent);
}

[[gnu::target("popcnt")]] size_t CountRowRunsPopcnt(const std::uint64_t* m, size_t words) {
    size_t runs = 0;
    for (size_t k = 0; k < words; ++k)
        runs += static_cast<size_t>(__builtin_popcountll(Starts(m, k)));
    return runs;
}

// Sixteen labels at a time: each lane follows its parents to the root (the labels of earlier
// rows are flat already, so that is one or two steps), and the lanes that reach the region's
// root are dealt onto the word's run starts. Lanes past the word's runs read and flatten the
// next runs' labels, or the spare labels past the last, which are their own roots.
[[gnu::target("popcnt,bmi,bmi2,avx512f")]] bool RegionRowAvx512(const std::uint64_t* m,
                                                                size_t words, std::uint32_t* parent,
                                                                std::uint32_t first,
                                                                std::uint32_t root,
                                                                std::uint64_t* out) {
    const __m512i want = _mm512_set1_epi32(static_cast<int>(root));
    std::uint32_t* label = parent + first;
    unsigned carry = 0;
    std::uint64_t any = 0;
    for (size_t k = 0; k < words; ++k) {
        const std::uint64_t s = Starts(m, k);
        const int n = __builtin_popcountll(s);
        std::uint64_t chosen = 0;
        for (int j = 0; j < n; j += 16) {
            const __m512i p = _mm512_loadu_si512(label + j);
            __m512i r = _mm512_mask_i32gather_epi32(p, 0xffff, p, parent, 4);
            // Parents before these sixteen labels are roots already; a parent among them
            // may not be yet: those lanes go on up.
            const __m512i self = _mm512_set1_epi32(static_cast<int>(label + j - parent));
            __mmask16 more = _mm512_cmpge_epu32_mask(p, self);
            while (more) {
                const __m512i up = _mm512_mask_i32gather_epi32(r, more, r, parent, 4);
                more = _mm512_mask_cmpneq_epi32_mask(more, up, r);
                r = up;
            }
            _mm512_storeu_si512(label + j, r);
            chosen |= static_cast<std::uint64_t>(_mm512_cmpeq_epi32_mask(r, want)) << j;
        }
        label += n;
        out[k] = WholeRuns(m[k], _pdep_u64(chosen, s), carry);
        any |= out[k];
    }
    return any != 0;
}
#endif

#if defined(__x86_64__)
// What the processor offers, as the fast paths ask it. ORBELLE_PLAIN_CPU in the environment
// answers no to everything, so the portable paths can be run and tested on any machine.
bool CpuHas(const char* feature) {
    static const bool plain = qEnvironmentVariableIsSet("ORBELLE_PLAIN_CPU");
    if (plain) return false;
    if (std::strcmp(feature, "popcnt") == 0) return __builtin_cpu_supports("popcnt");
    if (std::strcmp(feature, "bmi2") == 0) return __builtin_cpu_supports("bmi2");
    if (std::strcmp(feature, "avx512f") == 0) return __builtin_cpu_supports("avx512f");
    return false;
}

const bool kHavePopcnt = CpuHas("popcnt");
const bool kHaveAvx512 = CpuHas("avx512f") && CpuHas("bmi2") && CpuHas("popcnt");
#endif

// Runs of one mask row: what the labelling costs.
size_t CountRowRuns(const std::uint64_t* m, size_t words) {
#if defined(__x86_64__)
    if (kHavePopcnt) return CountRowRunsPopcnt(m, words);
#endif
    return CountRowRunsGeneric(m, words);
}

// Runs of one mask row that start in columns x1..x2, or that reach x1 from the left.
size_t CountRowRunsIn(const std::uint64_t* m, int x1, int x2) {
    if (x2 < x1) return 0;
    const size_t k1 = static_cast<size_t>(x1) >> 6, k2 = static_cast<size_t>(x2) >> 6;
    size_t runs = (m[k1] >> (x1 & 63)) & 1;  // a run that covers x1 counts once
    for (size_t k = k1; k <= k2; ++k) {
        std::uint64_t s = Starts(m, k);
        if (k == k1) s &= ~std::uint64_t{0} << (x1 & 63);
        if (k == k2 && (x2 & 63) != 63) s &= (std::uint64_t{1} << ((x2 & 63) + 1)) - 1;
        if (k == k1) s &= ~(std::uint64_t{1} << (x1 & 63));  // counted above when set
        runs += static_cast<size_t>(__builtin_popcountll(s));
    }
    return runs;
}

// Spans the search takes before it weighs itself against labelling the whole picture.
size_t FirstSpanBudget(int w, int h) {
    return std::max<size_t>(2048, static_cast<size_t>(w) * static_cast<size_t>(h) / 256);
}

// Spans taken before the search weighs itself against labelling (most fills are small cells).
constexpr size_t kFreeSpans = 256;

// The cost model that chooses between going on with the search and labelling the whole
// picture. It reads only the picture, so the same click always takes the same path:
// - labelling costs a pass over every pixel (building the mask) plus a cost per run of the
//   mask (joins, flattening and painting), measured on mazes of millions of runs;
// - a search span costs from a few nanoseconds (region in the cache) to tens (a fragmented
//   region spread over a large picture).
// The search goes on while it has cost less than a share of the labelling: a region that is
// still growing by then is likely to be large. It stops sooner when the runs of the colour
// inside the box it has reached (from the sampled rows) already outnumber that share: the
// region holds at least those, so the search could not end within its share.
// Both measures are taken again every few thousand spans.
constexpr double kMaskNsPerPixel = 0.25;
constexpr double kLabelNsPerRun = 9.0;
constexpr double kSearchNsPerSpan = 40.0;
constexpr double kSearchShare = 0.15;
constexpr int kSampleEvery = 16;  // one row in so many is sampled to estimate the labelling

// Finds the seed's region: spans go to onSpan as the search takes them; if the search stops,
// onSwitch() is called and every row holding part of the region goes to onRow(y, bits, words),
// the runs already given to onSpan included.
template <typename OnSpan, typename OnSwitch, typename OnRow>
void FindRegion(const Pixels& px, QPoint seed, quint32 c, size_t spanBudget, OnSpan&& onSpan,
                OnSwitch&& onSwitch, OnRow&& onRow) {
    const int w = px.w, h = px.h;
    VisitedBits visited(w, h);
    SpanSearch<OnSpan> search(px, seed, c, visited, onSpan);
    const bool automatic = spanBudget == kAutoSpans;
    if (search.Run(automatic ? kFreeSpans : spanBudget)) return;
    if (automatic && search.Run(FirstSpanBudget(w, h))) return;

    const size_t words = (static_cast<size_t>(w) + 63) / 64;
    if (automatic) {
        // A sixteenth of the rows' masks tells how many runs labelling the picture would meet.
        // The sampled rows are kept: the runs inside the box the search has reached so far are
        // the least the region still holds.
        std::vector<std::uint64_t> sample(
            words * static_cast<size_t>((h + kSampleEvery - 1) / kSampleEvery));
        std::vector<int> sampleRow;
        size_t runs = 0;
        // One row from each block, at a different place in every block, so pictures that
        // repeat every few rows (mazes, grids) are not seen at one phase only.
        for (int b = 0; b * kSampleEvery < h; ++b) {
            const int y = std::min(h - 1, b * kSampleEvery + ((b * 7 + 3) & (kSampleEvery - 1)));
            std::uint64_t* m = sample.data() + sampleRow.size() * words;
            MaskRow(px.Row(y), w, c, nullptr, m, words);
            runs += CountRowRuns(m, words);
            sampleRow.push_back(y);
        }
        const double labelNs = static_cast<double>(w) * h * kMaskNsPerPixel +
                               kSampleEvery * static_cast<double>(runs) * kLabelNsPerRun;
        const auto searchSpans = static_cast<size_t>(kSearchShare * labelNs / kSearchNsPerSpan);
        // Runs of the sampled rows inside the reached box, scaled to all rows.
        auto runsReached = [&] {
            const QRect box = search.Reached();
            size_t n = 0;
            for (size_t i = 0; i < sampleRow.size(); ++i)
                if (sampleRow[i] >= box.top() && sampleRow[i] <= box.bottom())
                    n += CountRowRunsIn(sample.data() + i * words, box.left(), box.right());
            return kSampleEvery * n;
        };
        while (search.Taken() < searchSpans) {
            // The region already reaches so far that the search would spend its share before
            // it ends: label now rather than after.
            if (runsReached() > searchSpans) break;
            if (search.Run(std::min(searchSpans, search.Taken() + 4096))) return;
        }
    }
    // The mask: the seed colour, and the runs the search has taken (painted since, maybe).
    RowMasks rows;
    rows.words = words;
    rows.bits.resize(words * static_cast<size_t>(h));
    rows.firstRun.resize(static_cast<size_t>(h) + 1);
    size_t runs = 0;
    for (int y = 0; y < h; ++y) {
        std::uint64_t* m = rows.bits.data() + static_cast<size_t>(y) * words;
        MaskRow(px.Row(y), w, c, visited.RowBits(y), m, words);
        rows.firstRun[static_cast<size_t>(y)] = static_cast<std::uint32_t>(runs);
        runs += CountRowRuns(m, words);
    }
    rows.firstRun[static_cast<size_t>(h)] = static_cast<std::uint32_t>(runs);
    onSwitch();

    const std::unique_ptr<std::uint32_t[]> parent(new std::uint32_t[runs + 64]);
#if defined(__x86_64__)
    if (kHavePopcnt)
        JoinRowsPopcnt(rows, h, parent.get());
    else
#endif
        JoinRowsGeneric(rows, h, parent.get());
    std::uint32_t root;
    {
        const std::uint64_t* m = rows.Row(seed.y());
        const int sx = seed.x();
        std::uint32_t before = 0;  // run starts in the seed's row up to the seed
        for (int k = 0; k <= (sx >> 6); ++k) {
            std::uint64_t st = Starts(m, static_cast<size_t>(k));
            if (k == (sx >> 6)) st &= ~std::uint64_t{0} >> (63 - (sx & 63));
            before += static_cast<std::uint32_t>(__builtin_popcountll(st));
        }
        root = rows.firstRun[static_cast<size_t>(seed.y())] + before - 1;
        while (parent[root] != root) root = parent[root];
    }
    std::vector<std::uint64_t> out(words);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t first = rows.firstRun[static_cast<size_t>(y)];
        bool any;
#if defined(__x86_64__)
        if (kHaveAvx512)
            any = RegionRowAvx512(rows.Row(y), words, parent.get(), first, root, out.data());
        else
#endif
            any = RegionRowGeneric(rows.Row(y), words, parent.get(), first, root, out.data());
        if (any) onRow(y, out.data(), words);
    }
}

}  // namespace

std::vector<Span> FloodRegion(const QImage& picture, QPoint seed, size_t spanBudget) {
    std::vector<Span> region;
    if (picture.isNull() || seed.x() < 0 || seed.y() < 0 || seed.x() >= picture.width() ||
        seed.y() >= picture.height())
        return region;
    QImage converted;
    const QImage* img = &picture;
    if (picture.depth() != 32) {
        converted = picture.convertToFormat(QImage::Format_RGB32);
        img = &converted;
    }
    const Pixels px{img->constBits(), img->bytesPerLine(), img->width(), img->height()};
    const quint32 c = px.Row(seed.y())[seed.x()];
    FindRegion(
        px, seed, c, spanBudget,
        [&](int y, int x1, int x2) {
            region.push_back({y, x1, x2});
        },
        [&] { region.clear(); },
        [&](int y, const std::uint64_t* bits, size_t words) {
            ForEachRun(bits, words, [&](int x1, int x2) { region.push_back({y, x1, x2}); });
        });
    return region;
}

// ---- Fill styles ---------------------------------------------------------------------------

FillStyle FillStyleFromIndex(int index) {
    if (index < 0 || index > 6) return FillStyle::Solid;
    return static_cast<FillStyle>(index);
}

// The hatches: horizontal rows y = 0 mod 8, vertical columns x = 0 mod 8, "\" where
// x - y = 0 mod 8, "/" where x + y = 7 mod 8. Unsigned arithmetic keeps the modulo right
// for negative coordinates.
bool HatchCovers(FillStyle s, int x, int y) {
    const unsigned ux = static_cast<unsigned>(x), uy = static_cast<unsigned>(y);
    const bool hor = (uy & 7u) == 0, ver = (ux & 7u) == 0;
    const bool fdiag = ((ux - uy) & 7u) == 0, bdiag = ((ux + uy) & 7u) == 7u;
    switch (s) {
        case FillStyle::Solid:
            return true;
        case FillStyle::Horizontal:
            return hor;
        case FillStyle::Vertical:
            return ver;
        case FillStyle::FDiagonal:
            return fdiag;
        case FillStyle::BDiagonal:
            return bdiag;
        case FillStyle::Cross:
            return hor || ver;
        case FillStyle::DiagCross:
            return fdiag || bdiag;
    }
    return true;
}

namespace {

// Every eighth pixel of p[x1..x2] whose column is `phase` mod 8.
inline void PaintEvery8(quint32* p, int x1, int x2, unsigned phase, quint32 v) {
    for (int x = x1 + static_cast<int>((phase - static_cast<unsigned>(x1)) & 7u); x <= x2; x += 8)
        p[x] = v;
}

// The style's pixels of a row of 64 columns starting at a multiple of 8, as bits.
std::uint64_t HatchBits(FillStyle style, int y) {
    constexpr std::uint64_t kCol0 = 0x0101010101010101ull;  // columns 0 mod 8
    const unsigned uy = static_cast<unsigned>(y);
    const bool hatchRow = (uy & 7u) == 0;
    const std::uint64_t f = kCol0 << (uy & 7u), b = kCol0 << ((7u - uy) & 7u);
    switch (style) {
        case FillStyle::Solid:
            return ~std::uint64_t{0};
        case FillStyle::Horizontal:
            return hatchRow ? ~std::uint64_t{0} : 0;
        case FillStyle::Vertical:
            return kCol0;
        case FillStyle::FDiagonal:
            return f;
        case FillStyle::BDiagonal:
            return b;
        case FillStyle::Cross:
            return hatchRow ? ~std::uint64_t{0} : kCol0;
        case FillStyle::DiagCross:
            return f | b;
    }
    return ~std::uint64_t{0};
}

#if defined(__SSE2__)
// Blend masks for four pixels, one per nibble of bits.
alignas(16) const std::uint32_t kNibble[16][4] = {
    {0, 0, 0, 0},     {~0u, 0, 0, 0},     {0, ~0u, 0, 0},     {~0u, ~0u, 0, 0},
    {0, 0, ~0u, 0},   {~0u, 0, ~0u, 0},   {0, ~0u, ~0u, 0},   {~0u, ~0u, ~0u, 0},
    {0, 0, 0, ~0u},   {~0u, 0, 0, ~0u},   {0, ~0u, 0, ~0u},   {~0u, ~0u, 0, ~0u},
    {0, 0, ~0u, ~0u}, {~0u, 0, ~0u, ~0u}, {0, ~0u, ~0u, ~0u}, {~0u, ~0u, ~0u, ~0u}};

inline void Blend4(quint32* p, const __m128i sel, const __m128i vv) {
    __m128i* q = reinterpret_cast<__m128i*>(p);
    _mm_storeu_si128(
        q, _mm_or_si128(_mm_andnot_si128(sel, _mm_loadu_si128(q)), _mm_and_si128(sel, vv)));
}
#endif

// p[x1..x2] painted where the 8-pixel pattern (bit i: columns i mod 8) has its bits. Long
// hatched runs: eight pixels in two blends instead of a store every eighth pixel.
void PaintPatternRun(quint32* p, int x1, int x2, unsigned pattern, quint32 v) {
    int x = x1;
    for (; x <= x2 && (x & 7) != 0; ++x)
        if ((pattern >> (x & 7)) & 1u) p[x] = v;
#if defined(__SSE2__)
    const __m128i vv = _mm_set1_epi32(static_cast<int>(v));
    const __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i*>(kNibble[pattern & 15u]));
    const __m128i hi = _mm_load_si128(reinterpret_cast<const __m128i*>(kNibble[pattern >> 4]));
    for (; x + 8 <= x2 + 1; x += 8) {
        Blend4(p + x, lo, vv);
        Blend4(p + x + 4, hi, vv);
    }
#endif
    for (; x <= x2; ++x)
        if ((pattern >> (x & 7)) & 1u) p[x] = v;
}

#if defined(__x86_64__)
// The same with masked stores of sixteen pixels: one store, no load, per sixteen pixels. A
// pattern that repeats every eight columns repeats every sixteen, so one mask serves the run.
[[gnu::target("avx512f")]] void PaintPatternRunAvx512(quint32* p, int x1, int x2, unsigned pattern,
                                                      quint32 v) {
    const __m512i vv = _mm512_set1_epi32(static_cast<int>(v));
    const unsigned r = static_cast<unsigned>(x1) & 7u;  // bit i of the mask: column x1 + i
    const unsigned rot = ((pattern >> r) | (pattern << (8u - r))) & 0xffu;
    const auto m = static_cast<__mmask16>(rot | rot << 8);
    int x = x1;
    for (; x + 64 <= x2 + 1; x += 64) {
        _mm512_mask_storeu_epi32(p + x, m, vv);
        _mm512_mask_storeu_epi32(p + x + 16, m, vv);
        _mm512_mask_storeu_epi32(p + x + 32, m, vv);
        _mm512_mask_storeu_epi32(p + x + 48, m, vv);
    }
    for (; x + 16 <= x2 + 1; x += 16) _mm512_mask_storeu_epi32(p + x, m, vv);
    if (x <= x2) {
        const unsigned left = (1u << (x2 - x + 1)) - 1u;  // fewer than 16 columns
        _mm512_mask_storeu_epi32(p + x, static_cast<__mmask16>(m & left), vv);
    }
}
#endif

using PaintPatternRunFn = void (*)(quint32*, int, int, unsigned, quint32);
PaintPatternRunFn ChoosePaintPatternRun() {
#if defined(__x86_64__)
    if (CpuHas("avx512f")) return PaintPatternRunAvx512;
#endif
    return PaintPatternRun;
}

// Paints p[x1..x2] of row y (inside the picture) with the style's pixels. Inlined: regions of
// millions of one-pixel runs call it for each.
[[gnu::always_inline]] inline void PaintRun(quint32* p, int y, int x1, int x2, quint32 v,
                                            FillStyle style, bool streaming) {
    const unsigned uy = static_cast<unsigned>(y);
    const bool hatchRow = (uy & 7u) == 0;
    if (style != FillStyle::Solid && x2 - x1 >= 32) {
        const unsigned pattern = static_cast<unsigned>(HatchBits(style, y) & 0xffu);
        if (pattern == 0xffu)
            FillRun(p, x1, x2, v);
        else if (pattern != 0) {
            static const PaintPatternRunFn paintPattern = ChoosePaintPatternRun();
            paintPattern(p, x1, x2, pattern, v);
        }
        return;
    }
    switch (style) {
        case FillStyle::Solid:
            if (streaming && x2 - x1 >= 256)
                FillRunStreaming(p, x1, x2, v);
            else
                FillRun(p, x1, x2, v);
            break;
        case FillStyle::Horizontal:
            if (hatchRow) FillRun(p, x1, x2, v);
            break;
        case FillStyle::Vertical:
            PaintEvery8(p, x1, x2, 0, v);
            break;
        case FillStyle::FDiagonal:
            PaintEvery8(p, x1, x2, uy & 7u, v);
            break;
        case FillStyle::BDiagonal:
            PaintEvery8(p, x1, x2, (7u - uy) & 7u, v);
            break;
        case FillStyle::Cross:
            if (hatchRow)
                FillRun(p, x1, x2, v);
            else
                PaintEvery8(p, x1, x2, 0, v);
            break;
        case FillStyle::DiagCross:
            PaintEvery8(p, x1, x2, uy & 7u, v);
            PaintEvery8(p, x1, x2, (7u - uy) & 7u, v);
            break;
    }
}

// Paints the pixels of row p (w wide) whose bits are set, with the style.
void PaintMaskRow(quint32* p, int w, int y, const std::uint64_t* bits, size_t words, quint32 v,
                  FillStyle style) {
    const std::uint64_t hatch = HatchBits(style, y);
#if defined(__SSE2__)
    const __m128i vv = _mm_set1_epi32(static_cast<int>(v));
#endif
    for (size_t k = 0; k < words; ++k) {
        std::uint64_t m = bits[k] & hatch;
        if (m == 0) continue;
        const int x0 = static_cast<int>(k * 64);
        if (m == ~std::uint64_t{0}) {  // only whole words reach here, never past the row
            FillRun(p, x0, x0 + 63, v);
            continue;
        }
        int x = x0;
#if defined(__SSE2__)
        for (; x + 4 <= w && m != 0; x += 4, m >>= 4) {
            const unsigned nib = static_cast<unsigned>(m & 15u);
            if (nib == 0) continue;
            __m128i* q = reinterpret_cast<__m128i*>(p + x);
            const __m128i sel = _mm_load_si128(reinterpret_cast<const __m128i*>(kNibble[nib]));
            _mm_storeu_si128(
                q, _mm_or_si128(_mm_andnot_si128(sel, _mm_loadu_si128(q)), _mm_and_si128(sel, vv)));
        }
#endif
        for (; m != 0; ++x, m >>= 1)
            if (m & 1u) p[x] = v;
    }
}

#if defined(__x86_64__)
// The same with masked stores of sixteen pixels: no blend and no branch per pixel group.
[[gnu::target("avx512f")]] void PaintMaskRowAvx512(quint32* p, int w, int y,
                                                   const std::uint64_t* bits, size_t words,
                                                   quint32 v, FillStyle style) {
    const std::uint64_t hatch = HatchBits(style, y);
    const __m512i vv = _mm512_set1_epi32(static_cast<int>(v));
    // The last word may reach past the row; it is left to the plain code.
    const size_t whole = static_cast<size_t>(w) / 64;
    for (size_t k = 0; k < whole; ++k) {
        const std::uint64_t m = bits[k] & hatch;
        if (m == 0) continue;
        quint32* q = p + k * 64;
        _mm512_mask_storeu_epi32(q, static_cast<__mmask16>(m), vv);
        _mm512_mask_storeu_epi32(q + 16, static_cast<__mmask16>(m >> 16), vv);
        _mm512_mask_storeu_epi32(q + 32, static_cast<__mmask16>(m >> 32), vv);
        _mm512_mask_storeu_epi32(q + 48, static_cast<__mmask16>(m >> 48), vv);
    }
    if (whole < words)
        PaintMaskRow(p + whole * 64, w - static_cast<int>(whole * 64), y, bits + whole,
                     words - whole, v, style);
}
#endif

using PaintMaskRowFn = void (*)(quint32*, int, int, const std::uint64_t*, size_t, quint32,
                                FillStyle);
PaintMaskRowFn ChoosePaintMaskRow() {
#if defined(__x86_64__)
    if (CpuHas("avx512f")) return PaintMaskRowAvx512;
#endif
    return PaintMaskRow;
}

// Pictures far larger than the caches are painted with streaming stores.
bool StreamingFor(const QImage& img) { return img.sizeInBytes() > (qsizetype{32} << 20); }

}  // namespace

void PaintSpans(QImage& img, const std::vector<Span>& spans, QRgb colour, FillStyle style) {
    if (spans.empty() || !MakeWritable32(img)) return;
    const quint32 v = kOpaque | colour;
    const int w = img.width(), h = img.height();
    uchar* base = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    const bool streaming = StreamingFor(img);
    for (const Span& s : spans) {
        if (s.y < 0 || s.y >= h) continue;
        const int x1 = std::max(s.x1, 0), x2 = std::min(s.x2, w - 1);
        if (x1 > x2) continue;
        PaintRun(reinterpret_cast<quint32*>(base + s.y * bpl), s.y, x1, x2, v, style, streaming);
    }
    if (streaming) StreamingDone();
}

void FloodFill(QImage& img, QPoint seed, QRgb colour, FillStyle style, size_t spanBudget) {
    if (!img.rect().contains(seed) || !MakeWritable32(img)) return;
    uchar* base = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    const Pixels px{base, bpl, img.width(), img.height()};
    const quint32 c = px.Row(seed.y())[seed.x()];
    const quint32 v = kOpaque | colour;
    if (v == c) return;  // every pixel the brush touches already has its colour
    // Runs are painted as they are found, while their row is still in the cache: plain stores
    // then cost no more than writing the picture (streaming stores would throw the row out
    // of the cache just read and write it again).
    auto paint = [&](int y, int x1, int x2) {
        PaintRun(reinterpret_cast<quint32*>(base + y * bpl), y, x1, x2, v, style, false);
    };
    static const PaintMaskRowFn paintRow = ChoosePaintMaskRow();
    FindRegion(
        px, seed, c, spanBudget, paint, [] {},
        [&](int y, const std::uint64_t* bits, size_t words) {
            paintRow(reinterpret_cast<quint32*>(base + y * bpl), px.w, y, bits, words, v, style);
        });
}

// ---- Pen -----------------------------------------------------------------------------------

quint32 PenRasterPixel(int index, quint32 pen, quint32 dst) {
    quint32 r;
    switch (index) {
        case 1:
            r = dst;
            break;
        case 2:
            r = ~dst;
            break;
        case 3:
            r = ~pen;
            break;
        case 4:
            r = pen | ~dst;
            break;
        case 5:
            r = pen & ~dst;
            break;
        case 6:
            r = ~pen | dst;
            break;
        default:
            r = pen;
            break;
    }
    return r & 0x00ffffffu;
}

void DrawPenLine(QImage& img, QPoint from, QPoint to, int width, QRgb colour, int rasterIndex) {
    if (!MakeWritable32(img)) return;
    if (rasterIndex == 1) return;  // D: leaves every pixel as it is
    const quint32 pen = colour & 0x00ffffffu;
    width = std::clamp(width, 1, 100);
    if (width == 1)
        ThinLine(img, from, to, pen, rasterIndex);
    else
        WideLine(img, from, to, width, pen, rasterIndex);
}

// ---- Stretch -------------------------------------------------------------------------------

void StretchIntoEllipse(QImage& dst, const QRect& rect, const QImage& source) {
    if (source.isNull() || source.width() <= 0 || source.height() <= 0) return;
    const i64 l = rect.left(), t = rect.top();
    const i64 rw = i64{rect.right()} - l + 1, rh = i64{rect.bottom()} - t + 1;
    // Holding the source makes a picture drawn into itself detach before it is written.
    const QImage held = source;
    if (rw <= 0 || rh <= 0 || !MakeWritable32(dst)) return;
    QImage converted;
    const QImage* src = &held;
    if (held.depth() != 32) {
        converted = held.convertToFormat(QImage::Format_RGB32);
        src = &converted;
    }
    const i64 dw = dst.width(), dh = dst.height();
    const i64 sw = src->width(), sh = src->height();

    // Columns of the rectangle that are on the picture, and their source columns by stepping.
    const i64 cx0 = std::max<i64>(0, l), cx1 = std::min<i64>(dw - 1, l + rw - 1);
    const i64 cy0 = std::max<i64>(0, t), cy1 = std::min<i64>(dh - 1, t + rh - 1);
    if (cx0 > cx1 || cy0 > cy1) return;
    std::vector<int> column(static_cast<size_t>(cx1 - cx0 + 1));
    {
        const i64 n0 = (cx0 - l) * sw;
        i64 q = n0 / rw, rem = n0 % rw;
        const i64 stepQ = sw / rw, stepR = sw % rw;
        for (auto& c : column) {
            c = static_cast<int>(q);
            q += stepQ;
            rem += stepR;
            if (rem >= rw) {
                rem -= rw;
                ++q;
            }
        }
    }
    // A pixel is inside when its centre is inside or on the inscribed ellipse. In doubled
    // coordinates from the centre (X = 2(x - l) + 1 - rw, likewise Y): X² rh² + Y² rw² <= rw² rh².
    const i128 rw2 = static_cast<i128>(rw) * rw, rh2 = static_cast<i128>(rh) * rh;
    const uchar* sbase = src->constBits();
    const qsizetype sbpl = src->bytesPerLine();
    const int* col = column.data() - cx0;
    const bool oneToOne = sw == rw;  // columns map straight across: copy whole runs
    uchar* dbase = dst.bits();
    const qsizetype dbpl = dst.bytesPerLine();
    auto gather = [&](quint32* d, const quint32* s, i64 a, i64 b) {
        if (a > b) return;
        if (oneToOne)
            std::memcpy(d + a, s + col[a], static_cast<size_t>(b - a + 1) * sizeof(quint32));
        else
            for (i64 x = a; x <= b; ++x) d[x] = s[col[x]];
    };
    // Zoomed in, neighbouring rows show the same source row: their common part is copied.
    i64 prevSy = -1, px1 = 0, px2 = -1;
    const quint32* prev = nullptr;
    for (i64 y = cy0; y <= cy1; ++y) {
        const i64 Y = 2 * (y - t) + 1 - rh;
        const i64 xm = ISqrt(rw2 * (rh2 - static_cast<i128>(Y) * Y)) / rh;  // largest |X|
        const i64 x1 = std::max(cx0, l + static_cast<i64>(CeilDiv(rw - 1 - xm, 2)));
        const i64 x2 = std::min(cx1, l + static_cast<i64>(FloorDiv(rw - 1 + xm, 2)));
        if (x1 > x2) continue;
        const i64 sy = (y - t) * sh / rh;
        const quint32* s = reinterpret_cast<const quint32*>(sbase + sy * sbpl);
        quint32* d = reinterpret_cast<quint32*>(dbase + y * dbpl);
        const i64 o1 = std::max(x1, px1), o2 = std::min(x2, px2);
        if (sy == prevSy && o1 <= o2) {
            std::memcpy(d + o1, prev + o1, static_cast<size_t>(o2 - o1 + 1) * sizeof(quint32));
            gather(d, s, x1, o1 - 1);
            gather(d, s, o2 + 1, x2);
        } else {
            gather(d, s, x1, x2);
        }
        prevSy = sy;
        px1 = x1;
        px2 = x2;
        prev = d;
    }
}

}  // namespace orb
