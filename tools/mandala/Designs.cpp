#include "Designs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace mandala {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Everything a motif needs: the painter in a frame whose origin is the centre, the outer
// radius of the design and the line width.
struct Canvas {
    QPainter& p;
    double R;
    double lw;
    Rng& rng;

    QPen pen(double factor = 1.0) const {
        return QPen(Qt::black, lw * factor, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    }
    // White shape with a black outline: later shapes cover earlier ones.
    void shape(const QPainterPath& path, double factor = 1.0) {
        p.setPen(pen(factor));
        p.setBrush(Qt::white);
        p.drawPath(path);
    }
    void line(const QPainterPath& path, double factor = 1.0) {
        p.setPen(pen(factor));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    void disc(double r, double factor = 1.0) {
        QPainterPath path;
        path.addEllipse(QPointF(0, 0), r, r);
        shape(path, factor);
    }
    void circle(double r, double factor = 1.0) {
        QPainterPath path;
        path.addEllipse(QPointF(0, 0), r, r);
        line(path, factor);
    }
    // Runs f once per repetition with the painter turned so that "up" (negative y) points
    // along the repetition's axis.
    void around(int n, double phaseDeg, const std::function<void(int)>& f) {
        for (int i = 0; i < n; ++i) {
            p.save();
            p.rotate(phaseDeg + 360.0 * i / n);
            f(i);
            p.restore();
        }
    }
};

QPointF Polar(double r, double angle) { return {r * std::sin(angle), -r * std::cos(angle)}; }

// A petal in local coordinates: base at radius r0 on the axis, tip at r1, half width w.
enum PetalShape { kLens, kRound, kLotus, kDrop, kHeart, kShapeCount };

QPainterPath Petal(int shape, double r0, double r1, double w) {
    const double L = r1 - r0;
    QPainterPath half;
    half.moveTo(0, -r0);
    switch (shape) {
        case kLens:
            half.cubicTo(w * 1.3, -r0 - L * 0.25, w * 0.55, -r0 - L * 0.8, 0, -r1);
            break;
        case kRound:
            half.cubicTo(w * 1.3, -r0 - L * 0.35, w * 0.8, -r1 + L * 0.02, 0, -r1);
            break;
        case kLotus:
            half.cubicTo(w * 1.5, -r0 - L * 0.45, -w * 0.05, -r1 + L * 0.35, 0, -r1);
            break;
        case kDrop:
            half.cubicTo(w * 0.2, -r0 - L * 0.3, w * 1.55, -r1 + L * 0.1, 0, -r1);
            break;
        default:  // heart: two lobes with a notch at the outer end
            half.cubicTo(w * 0.9, -r0 - L * 0.3, w * 1.35, -r1, w * 0.55, -r1);
            half.cubicTo(w * 0.2, -r1, 0, -r1 + L * 0.08, 0, -r1 + L * 0.2);
            break;
    }
    // Mirror the half outline to make the petal symmetric about its axis.
    QPainterPath path = half;
    QPainterPath mirrored = QTransform::fromScale(-1, 1).map(half).toReversed();
    path.connectPath(mirrored);
    path.closeSubpath();
    return path;
}

// ---------------------------------------------------------------- motifs

struct Band {
    double ri, ro;  // the ring the motif fills
    int n;          // repetitions
    double phase;   // degrees
};

void PetalRing(Canvas& k, const Band& b, int shape, double widthFactor, int detail) {
    const double rmid = (b.ri + b.ro) / 2;
    const double w = std::max(k.lw * 3, widthFactor * rmid * std::sin(kPi / b.n));
    const double r0 = b.ri - (b.ro - b.ri) * 0.12;
    const QPainterPath petal = Petal(shape, std::max(r0, 0.0), b.ro, w);
    k.around(b.n, b.phase, [&](int) {
        k.shape(petal);
        const double L = b.ro - r0;
        if (detail == 1 && w > k.lw * 6 && L > k.lw * 12) {  // petal within the petal
            k.line(Petal(shape, r0 + L * 0.22, b.ro - L * 0.2, w * 0.5));
        } else if (detail == 2 && L > k.lw * 10) {  // midrib
            QPainterPath rib;
            rib.moveTo(0, -(b.ri + L * 0.02));
            rib.lineTo(0, -(b.ro - L * 0.22));
            k.line(rib);
        } else if (detail == 3 && w > k.lw * 5) {  // a round seed near the tip
            const double rr = std::min(w * 0.32, L * 0.14);
            if (rr > k.lw * 2.2) {
                QPainterPath dot;
                dot.addEllipse(QPointF(0, -(r0 + L * 0.62)), rr, rr);
                k.line(dot);
            }
        } else if (detail == 4 && w > k.lw * 6 && L > k.lw * 12) {  // veins
            QPainterPath v;
            v.moveTo(0, -(b.ri + L * 0.05));
            v.lineTo(0, -(b.ro - L * 0.15));
            for (double t : {0.35, 0.6}) {
                v.moveTo(0, -(r0 + L * t));
                v.lineTo(w * 0.55, -(r0 + L * (t + 0.18)));
                v.moveTo(0, -(r0 + L * t));
                v.lineTo(-w * 0.55, -(r0 + L * (t + 0.18)));
            }
            k.line(v);
        }
    });
}

// A disc whose rim follows a repeated profile (scallops, zigzag, arches).
enum Profile { kScallop, kZigzag, kArch, kWave };

void RimDisc(Canvas& k, const Band& b, int profile) {
    QPainterPath path;
    const int steps = 24;
    for (int i = 0; i < b.n; ++i) {
        for (int s = 0; s < steps; ++s) {
            const double t = double(s) / steps;
            double f = 0;
            switch (profile) {
                case kScallop:
                    f = std::pow(std::sin(kPi * t), 0.6);
                    break;
                case kZigzag:
                    f = 1.0 - std::abs(2 * t - 1);
                    break;
                case kArch:  // pointed arch
                    f = std::pow(std::max(0.0, 1 - std::pow(std::abs(2 * t - 1), 1.3)), 0.55);
                    break;
                default:
                    f = 0.5 - 0.5 * std::cos(2 * kPi * t);
                    break;
            }
            const double a = (b.phase * kPi / 180) + 2 * kPi * (i + t) / b.n;
            const QPointF pt = Polar(b.ri + (b.ro - b.ri) * f, a);
            if (i == 0 && s == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
    }
    path.closeSubpath();
    k.shape(path);
}

void DotRing(Canvas& k, double rm, int n, double rad, double phase) {
    k.around(n, phase, [&](int) {
        QPainterPath d;
        d.addEllipse(QPointF(0, -rm), rad, rad);
        k.shape(d);
        // Large dots get an eye, so they read as rings rather than holes.
        if (rad > k.lw * 7) {
            QPainterPath eye;
            eye.addEllipse(QPointF(0, -rm), rad * 0.5, rad * 0.5);
            k.line(eye);
        }
    });
}

// A star outline with alternating radii, optionally with its inner star polygon lines.
void StarShape(Canvas& k, const Band& b, bool innerLines, int skip) {
    QPainterPath path;
    for (int i = 0; i < 2 * b.n; ++i) {
        const double a = b.phase * kPi / 180 + kPi * i / b.n;
        const QPointF pt = Polar(i % 2 == 0 ? b.ro : b.ri, a);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    k.shape(path);
    if (innerLines && skip > 0) {
        QPainterPath lines;
        for (int i = 0; i < b.n; ++i) {
            const double a0 = b.phase * kPi / 180 + 2 * kPi * i / b.n;
            const double a1 = b.phase * kPi / 180 + 2 * kPi * (i + skip) / b.n;
            lines.moveTo(Polar(b.ro, a0));
            lines.lineTo(Polar(b.ro, a1));
        }
        k.p.save();
        k.p.setClipPath(path);
        k.line(lines);
        k.p.restore();
        k.line(path);
    }
}

// Sun rays: long pointed rays, with flames between them drawn in front.
void Rays(Canvas& k, const Band& b, bool flames) {
    const double L = b.ro - b.ri;
    k.around(b.n, b.phase, [&](int) {
        const double w = b.ri * std::sin(kPi / b.n) * (flames ? 0.8 : 0.95);
        QPainterPath r;
        r.moveTo(-w, -(b.ri - L * 0.1));
        r.lineTo(0, -b.ro);
        r.lineTo(w, -(b.ri - L * 0.1));
        r.closeSubpath();
        k.shape(r);
        if (w > k.lw * 4) {
            QPainterPath mid;
            mid.moveTo(0, -(b.ri + L * 0.05));
            mid.lineTo(0, -(b.ro - L * 0.25));
            k.line(mid);
        }
    });
    if (flames) {
        k.around(b.n, b.phase + 180.0 / b.n, [&](int) {
            const double w = (b.ri + L * 0.25) * std::sin(kPi / b.n) * 0.7;
            k.shape(Petal(kLotus, b.ri - L * 0.1, b.ri + L * 0.62, w));
        });
    }
}

// Ring of small lobed figures (trefoils, quatrefoils) as in Gothic tracery.
void FoilRing(Canvas& k, double rm, int n, double rad, int lobes, double phase) {
    k.around(n, phase, [&](int) {
        QPainterPath outer;
        outer.addEllipse(QPointF(0, -rm), rad, rad);
        k.shape(outer);
        QPainterPath foil;
        const double lr = rad * (lobes == 3 ? 0.42 : lobes == 4 ? 0.38 : 0.32);
        const double d = rad - lr - k.lw * 2.2;
        for (int j = 0; j < lobes; ++j) {
            const double a = 2 * kPi * j / lobes;
            QPainterPath lobe;
            lobe.addEllipse(QPointF(0, -rm) + Polar(d, a), lr, lr);
            foil = foil.united(lobe);
        }
        QPainterPath core;
        core.addEllipse(QPointF(0, -rm), d * 0.9, d * 0.9);
        foil = foil.united(core);
        k.line(foil);
    });
}

// Overlapping circles through the centre: the classic compass rosette.
void OverlapRosette(Canvas& k, double rd, int n, double phase, bool clipToDisc) {
    k.disc(rd, 1.2);
    QPainterPath circles;
    k.around(n, phase, [&](int) {});
    for (int i = 0; i < n; ++i) {
        const double a = phase * kPi / 180 + 2 * kPi * i / n;
        circles.addEllipse(Polar(rd / 2, a), rd / 2, rd / 2);
    }
    if (clipToDisc) {
        QPainterPath clip;
        clip.addEllipse(QPointF(0, 0), rd, rd);
        k.p.save();
        k.p.setClipPath(clip);
        k.line(circles);
        k.p.restore();
    } else {
        k.line(circles);
    }
}

// Gothic spokes: pointed arches between radial bars.
void ArchRing(Canvas& k, const Band& b) {
    k.disc(b.ro, 1.2);
    const double L = b.ro - b.ri;
    k.around(b.n, b.phase, [&](int) {
        const double half = kPi / b.n;
        const double w = (b.ri + L * 0.5) * std::sin(half) * 0.78;
        const double base = b.ri + L * 0.08, top = b.ro - L * 0.08;
        QPainterPath arch;
        arch.moveTo(-w * 0.75, -base);
        arch.lineTo(-w, -(base + (top - base) * 0.45));
        arch.cubicTo(-w, -(base + (top - base) * 0.8), -w * 0.3, -top + 1, 0, -top);
        arch.cubicTo(w * 0.3, -top + 1, w, -(base + (top - base) * 0.8), w,
                     -(base + (top - base) * 0.45));
        arch.lineTo(w * 0.75, -base);
        arch.closeSubpath();
        k.shape(arch);
        const double rr = w * 0.42;
        if (rr > k.lw * 3) {
            QPainterPath eye;
            eye.addEllipse(QPointF(0, -(base + (top - base) * 0.62)), rr, rr);
            k.line(eye);
        }
    });
    k.disc(b.ri, 1.2);
}

void Segments(Canvas& k, const Band& b, int ornament) {
    k.disc(b.ro);
    QPainterPath lines;
    const double L = b.ro - b.ri;
    for (int i = 0; i < b.n; ++i) {
        const double a = b.phase * kPi / 180 + 2 * kPi * i / b.n;
        lines.moveTo(Polar(b.ri, a));
        lines.lineTo(Polar(b.ro, a));
    }
    k.line(lines);
    k.around(b.n, b.phase + 180.0 / b.n, [&](int) {
        const double rm = b.ri + L / 2;
        const double w = std::min(L * 0.32, rm * std::sin(kPi / b.n) * 0.55);
        if (w < k.lw * 2.5) return;
        QPainterPath o;
        if (ornament == 0) {
            o.moveTo(0, -(rm - w * 1.3));
            o.lineTo(w, -rm);
            o.lineTo(0, -(rm + w * 1.3));
            o.lineTo(-w, -rm);
            o.closeSubpath();
        } else {
            o.addEllipse(QPointF(0, -rm), w, w);
        }
        k.line(o);
    });
}

// A vine of leaves running around a ring.
void Vine(Canvas& k, const Band& b) {
    const double rm = (b.ri + b.ro) / 2, amp = (b.ro - b.ri) * 0.22;
    QPainterPath stem;
    for (int s = 0; s <= 720; ++s) {
        const double a = 2 * kPi * s / 720;
        const QPointF pt = Polar(rm + amp * std::sin(a * b.n), a);
        if (s == 0)
            stem.moveTo(pt);
        else
            stem.lineTo(pt);
    }
    k.line(stem);
    k.around(2 * b.n, b.phase, [&](int i) {
        const double side = i % 2 ? 1 : -1;
        const double r0 = rm + side * amp * 0.2;
        const double r1 = side > 0 ? b.ro - k.lw : b.ri + k.lw;
        QPainterPath leaf = Petal(kLens, 0, std::abs(r1 - r0), (b.ro - b.ri) * 0.2);
        QTransform t;
        t.translate(0, -r0);
        t.rotate(side > 0 ? 25 : 180 - 25);
        k.shape(t.map(leaf));
    });
}

// Sri-yantra-like interlocking triangles inside a disc.
void Triangles(Canvas& k, double rd, int pairs) {
    k.disc(rd, 1.2);
    QPainterPath clip;
    clip.addEllipse(QPointF(0, 0), rd, rd);
    k.p.save();
    k.p.setClipPath(clip);
    QPainterPath tri;
    for (int i = 0; i < pairs; ++i) {
        const double s = rd * (1.0 - 0.16 * i);
        for (int up = 0; up < 2; ++up) {
            const double sign = up ? -1 : 1;
            const double off = sign * rd * 0.06 * i;
            tri.moveTo(0, sign * s + off);
            tri.lineTo(s * 0.866, -sign * s * 0.5 + off);
            tri.lineTo(-s * 0.866, -sign * s * 0.5 + off);
            tri.closeSubpath();
        }
    }
    k.line(tri);
    k.p.restore();
}

// The square enclosure with four gates of a yantra.
void Gates(Canvas& k, double R) {
    const double h = R * 0.70, g = R * 0.16, d = R * 0.1;
    QPainterPath sq;
    for (int ring = 0; ring < 2; ++ring) {
        const double s = h - ring * d * 0.55;
        const double gg = g - ring * d * 0.55;
        QPainterPath p;
        p.moveTo(-s, -s);
        // Top side with a gate that reaches out by d.
        p.lineTo(-gg, -s);
        p.lineTo(-gg, -s - d);
        p.lineTo(-gg - d * 0.5, -s - d);
        p.lineTo(-gg - d * 0.5, -s - d * 1.7);
        p.lineTo(gg + d * 0.5, -s - d * 1.7);
        p.lineTo(gg + d * 0.5, -s - d);
        p.lineTo(gg, -s - d);
        p.lineTo(gg, -s);
        p.lineTo(s, -s);
        QPainterPath full;
        for (int side = 0; side < 4; ++side) {
            QTransform t;
            t.rotate(90 * side);
            full.addPath(t.map(p));
        }
        if (ring == 0) {
            // Make the outer enclosure one closed white shape.
            QPainterPath outline;
            std::vector<QPointF> pts;
            for (int side = 0; side < 4; ++side) {
                QTransform t;
                t.rotate(90 * side);
                for (int e = 0; e < p.elementCount() - 1; ++e)
                    pts.push_back(t.map(QPointF(p.elementAt(e).x, p.elementAt(e).y)));
            }
            outline.moveTo(pts[0]);
            for (size_t i = 1; i < pts.size(); ++i) outline.lineTo(pts[i]);
            outline.closeSubpath();
            k.shape(outline, 1.3);
        } else {
            k.line(full);
        }
    }
    (void)sq;
}

// ---------------------------------------------------------------- ribbons and knots

struct Strand {
    std::vector<QPointF> pts;  // closed polyline
    std::vector<double> len;   // arc length at each point
};

using Crossing = WeaveCrossing;

void Measure(Strand& s) {
    s.len.assign(s.pts.size() + 1, 0);
    for (size_t i = 0; i < s.pts.size(); ++i) {
        const QPointF d = s.pts[(i + 1) % s.pts.size()] - s.pts[i];
        s.len[i + 1] = s.len[i] + std::hypot(d.x(), d.y());
    }
}

QPointF PointAt(const Strand& s, double at, size_t* segOut = nullptr) {
    const double total = s.len.back();
    at = std::fmod(at, total);
    if (at < 0) at += total;
    const size_t i = size_t(std::upper_bound(s.len.begin(), s.len.end(), at) - s.len.begin()) - 1;
    const size_t j = std::min(i, s.pts.size() - 1);
    const double seg = s.len[j + 1] - s.len[j];
    const double t = seg > 0 ? (at - s.len[j]) / seg : 0;
    if (segOut) *segOut = j;
    return s.pts[j] + (s.pts[(j + 1) % s.pts.size()] - s.pts[j]) * t;
}

QPainterPath Piece(const Strand& s, double from, double to, bool closed) {
    QPainterPath path;
    if (closed) {
        path.moveTo(s.pts[0]);
        for (size_t i = 1; i < s.pts.size(); ++i) path.lineTo(s.pts[i]);
        path.closeSubpath();
        return path;
    }
    const double step = 1.0;
    path.moveTo(PointAt(s, from));
    for (double a = from + step; a < to; a += step) path.lineTo(PointAt(s, a));
    path.lineTo(PointAt(s, to));
    return path;
}

// Draws closed strands as ribbons that pass alternately over and under at every crossing.
void Ribbons(Canvas& k, std::vector<Strand> strands, double width) {
    for (auto& s : strands) Measure(s);
    std::vector<std::vector<QPointF>> lines;
    for (const auto& st : strands) lines.push_back(st.pts);
    std::vector<Crossing> cross = Weave(lines);
    struct Visit {
        double at;
        int crossing, side;
    };
    std::vector<std::vector<Visit>> visits(strands.size());
    for (size_t c = 0; c < cross.size(); ++c)
        for (int side = 0; side < 2; ++side)
            visits[size_t(cross[c].strand[side])].push_back({cross[c].at[side], int(c), side});
    const QPen outer(Qt::black, width + 2 * k.lw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPen inner(Qt::white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    k.p.setBrush(Qt::NoBrush);
    for (const auto& s : strands) {
        k.p.setPen(outer);
        k.p.drawPath(Piece(s, 0, 0, true));
    }
    for (const auto& s : strands) {
        k.p.setPen(inner);
        k.p.drawPath(Piece(s, 0, 0, true));
    }
    QPen outerFlat = outer, innerFlat = inner;
    outerFlat.setCapStyle(Qt::FlatCap);
    innerFlat.setCapStyle(Qt::FlatCap);
    for (const Crossing& c : cross) {
        const int side = c.top;
        const Strand& s = strands[size_t(c.strand[side])];
        const double at = c.at[side];
        // The piece must reach past the other ribbon, but not into the next crossing.
        double gap = 1e9;
        for (const Visit& v : visits[size_t(c.strand[side])]) {
            double d = std::abs(v.at - at);
            d = std::min(d, s.len.back() - d);
            if (d > 1e-6) gap = std::min(gap, d);
        }
        const double half = std::min(width * 1.6 + 3 * k.lw, gap * 0.48);
        const QPainterPath piece = Piece(s, at - half, at + half, false);
        k.p.setPen(outerFlat);
        k.p.drawPath(piece);
        k.p.setPen(innerFlat);
        k.p.drawPath(piece);
    }
}

Strand Curve(const std::function<QPointF(double)>& f, double t0, double t1, int samples) {
    Strand s;
    // Half-step samples: symmetric curves cross exactly at whole steps, and a crossing on a
    // vertex could be found twice or not at all, which would break the over-and-under.
    for (int i = 0; i < samples; ++i) s.pts.push_back(f(t0 + (t1 - t0) * (i + 0.5) / samples));
    return s;
}

// Two strands braided around a ring.
void Braid(Canvas& k, const Band& b) {
    k.disc(b.ro, 1.2);
    const double rm = (b.ri + b.ro) / 2, width = (b.ro - b.ri) * 0.28;
    const double amp = (b.ro - b.ri) / 2 - width / 2 - k.lw * 2.5;
    std::vector<Strand> strands;
    for (int s = 0; s < 2; ++s) {
        strands.push_back(
            Curve([&](double a) { return Polar(rm + amp * std::sin(b.n * a + s * kPi), a); }, 0,
                  2 * kPi, std::max(400, b.n * 40)));
    }
    Ribbons(k, strands, width);
    k.disc(b.ri, 1.2);
}

// One closed curve r = rm + amp * cos(p/q * a), knotted over q turns.
void RoseKnot(Canvas& k, double ri, double ro, int p, int q, double width) {
    const double rm = (ri + ro) / 2, amp = (ro - ri) / 2 - width / 2 - k.lw;
    std::vector<Strand> strands{
        Curve([&](double a) { return Polar(rm + amp * std::cos(double(p) / q * a), a); }, 0,
              2 * kPi * q, 300 * q + 40 * p)};
    Ribbons(k, strands, width);
}

// A chain of interlaced circles around a ring.
void CircleChain(Canvas& k, double rm, int n, double rc, double width) {
    std::vector<Strand> strands;
    for (int i = 0; i < n; ++i) {
        const QPointF c = Polar(rm, 2 * kPi * i / n);
        strands.push_back(
            Curve([&](double a) { return c + QPointF(rc * std::cos(a), rc * std::sin(a)); }, 0,
                  2 * kPi, 240));
    }
    Ribbons(k, strands, width);
}

// ---------------------------------------------------------------- lattices

void Lattice(Canvas& k, double rd, int kind) {
    k.disc(rd, 1.3);
    QPainterPath clip;
    clip.addEllipse(QPointF(0, 0), rd, rd);
    k.p.save();
    k.p.setClipPath(clip);
    QPainterPath lines;
    const double extent = rd * 1.2;
    if (kind == 0) {  // flower of life: circles on a hexagonal grid
        const double a = std::max(rd / 3.0, k.lw * 16);
        for (int j = -6; j <= 6; ++j) {
            for (int i = -6; i <= 6; ++i) {
                const QPointF c(a * (i + 0.5 * j), a * 0.8660254 * j);
                if (std::hypot(c.x(), c.y()) > rd + a * 0.1) continue;
                lines.addEllipse(c, a, a);
            }
        }
    } else if (kind == 1) {  // eight-pointed stars and crosses
        const double s = std::max(rd / 2.2, k.lw * 22);
        for (int j = -4; j <= 4; ++j) {
            for (int i = -4; i <= 4; ++i) {
                const QPointF c(s * i, s * j);
                QPainterPath star;
                for (int v = 0; v < 16; ++v) {
                    const double ang = kPi * v / 8;
                    const double r = v % 2 == 0 ? s * 0.5 : s * 0.5 * 0.62;
                    const QPointF pt = c + Polar(r, ang);
                    if (v == 0)
                        star.moveTo(pt);
                    else
                        star.lineTo(pt);
                }
                star.closeSubpath();
                lines.addPath(star);
                QPainterPath inner;
                inner.addEllipse(c, s * 0.14, s * 0.14);
                lines.addPath(inner);
            }
        }
    } else if (kind == 2) {  // hexagons and six-pointed stars from three families of lines
        const double d = std::max(rd / 3.2, k.lw * 14);
        for (int fam = 0; fam < 3; ++fam) {
            const double ang = kPi / 3 * fam;
            const QPointF dir(std::cos(ang), std::sin(ang)), nrm(-dir.y(), dir.x());
            for (int i = -8; i <= 8; ++i) {
                const double off = d * i + d * 0.5;
                lines.moveTo(nrm * off - dir * extent);
                lines.lineTo(nrm * off + dir * extent);
            }
        }
    } else {  // woven squares: a diagonal grid with circles at the crossings
        const double d = std::max(rd / 3.0, k.lw * 16);
        for (int fam = 0; fam < 2; ++fam) {
            const double ang = kPi / 4 + kPi / 2 * fam;
            const QPointF dir(std::cos(ang), std::sin(ang)), nrm(-dir.y(), dir.x());
            for (int i = -8; i <= 8; ++i) {
                lines.moveTo(nrm * (d * i) - dir * extent);
                lines.lineTo(nrm * (d * i) + dir * extent);
            }
        }
        const double h = d / std::sqrt(2.0);
        for (int j = -8; j <= 8; ++j)
            for (int i = -8; i <= 8; ++i)
                if ((i + j) % 2 == 0) lines.addEllipse(QPointF(h * i, h * j), d * 0.28, d * 0.28);
    }
    k.line(lines);
    k.p.restore();
    k.circle(rd, 1.3);
}

// ---------------------------------------------------------------- centres

void Centre(Canvas& k, double r, int n) {
    if (r < k.lw * 4) return;
    const int kind = k.rng.below(4);
    k.disc(r);
    if (kind == 0) {
        PetalRing(k, {r * 0.3, r * 0.92, std::max(5, n / 2), 0}, k.rng.below(3), 1.0, 0);
        k.disc(r * 0.3);
    } else if (kind == 1) {
        StarShape(k, {r * 0.45, r * 0.92, std::max(5, n / 2), 0}, false, 0);
        k.disc(r * 0.32);
    } else if (kind == 2) {
        DotRing(k, r * 0.62, std::max(6, n / 2), r * 0.2, 0);
        k.disc(r * 0.3);
    } else {
        k.disc(r * 0.65);
        k.disc(r * 0.3);
    }
    if (r * 0.3 > k.lw * 8) k.disc(r * 0.12);
}

// ---------------------------------------------------------------- whole designs

struct Design {
    Canvas& k;
    int N;     // the design's symmetry order
    double r;  // radius still free, from the outside in

    // Repetitions for a ring: a multiple of the symmetry order that grows with the ring's
    // circumference, halved while the pieces would get too narrow at the ring's inner edge.
    int reps(double factor = 1.0, double inner = -1) {
        const double m = std::max(1.0, std::round(r / k.R * 2.2 * factor));
        int n = std::max(3, int(std::lround(N * m)));
        if (inner < 0) inner = r * 0.75;
        while (n > 4 && 2 * kPi * inner / n < k.lw * 7) n = (n % 2 == 0) ? n / 2 : n - 1;
        return n;
    }
    // Starts a new ring: a white disc with outline, covering the bases of outer petals.
    void clear(double factor = 1.0) { k.disc(r, factor); }
};

void Border(Design& d) {
    Canvas& k = d.k;
    k.circle(d.r, 1.6);
    d.r -= k.lw * 4;
    const int kind = k.rng.below(4);
    const double t = k.R * k.rng.range(0.05, 0.08);
    if (kind == 0) {
        RimDisc(k, {d.r - t, d.r, d.reps(2), 0}, kScallop);
    } else if (kind == 1) {
        k.disc(d.r);
        const int n = d.reps(2);
        DotRing(k, d.r - t * 0.5, n, std::min(t * 0.36, d.r * std::sin(kPi / n) * 0.7), 0);
    } else if (kind == 2) {
        Segments(k, {d.r - t, d.r, d.reps(2), 0}, k.rng.below(2));
    } else {
        RimDisc(k, {d.r - t, d.r, d.reps(2), 0}, kArch);
    }
    d.r -= t;
}

void PetalLayer(Design& d, double t, std::vector<int> shapes) {
    Canvas& k = d.k;
    const int shape = k.rng.pick(shapes);
    int n = d.reps(k.rng.pick(std::vector<double>{1, 1, 2, 0.5}));
    // Petals as wide as they are long read as bubbles: add repetitions until they are slim.
    while (2 * kPi * (d.r - t / 2) / n > t * 1.1) n += d.N;
    const bool doubled = k.rng.chance(0.45);
    const int detail = k.rng.below(5);
    d.clear();
    if (doubled) {
        PetalRing(k, {d.r - t, d.r - k.lw, n, 180.0 / n}, shape, 1.1, detail == 1 ? 0 : detail);
        PetalRing(k, {d.r - t, d.r - t * 0.3, n, 0}, shape, 0.9, k.rng.below(4));
    } else {
        PetalRing(k, {d.r - t, d.r - k.lw, n, 0}, shape, k.rng.range(0.9, 1.25), detail);
    }
    d.r -= t;
}

using Layer = std::function<void(Design&, double)>;

LineArt Finish(QImage& img) {
    LineArt art = FromGrey(img);
    Clean(art);
    return art;
}

void Compose(Canvas& k, const std::string& style) {
    Rng& rng = k.rng;
    Design d{k, 8, k.R};
    auto petals = [](std::vector<int> s) {
        return [s](Design& d, double t) { PetalLayer(d, t, s); };
    };
    auto rim = [](int profile) {
        return [profile](Design& d, double t) {
            d.clear();
            RimDisc(d.k, {d.r - t, d.r, d.reps(d.k.rng.pick(std::vector<double>{1.5, 2})), 0},
                    profile);
            d.r -= t;
        };
    };
    Layer dots = [](Design& d, double t) {
        d.clear();
        const int n = d.reps(d.k.rng.pick(std::vector<double>{1, 1.5}));
        const double rad = std::min(t * 0.36, (d.r - t / 2) * std::sin(kPi / n) * 0.8);
        DotRing(d.k, d.r - t / 2, n, rad, 0);
        d.r -= t;
    };
    Layer star = [](Design& d, double t) {
        d.clear();
        const int n = d.reps(d.k.rng.pick(std::vector<double>{1, 1, 2}));
        const bool lines = d.k.rng.chance(0.5);
        StarShape(d.k, {d.r - t, d.r - d.k.lw, n, 0}, lines, n >= 10 ? 3 : 2);
        d.r -= t;
    };
    Layer segments = [](Design& d, double t) {
        Segments(d.k, {d.r - t, d.r, d.reps(2), 0}, d.k.rng.below(2));
        d.r -= t;
    };
    Layer braid = [](Design& d, double t) {
        Braid(d.k, {d.r - t, d.r, d.reps(d.k.rng.pick(std::vector<double>{1, 1.5, 2})), 0});
        d.r -= t;
    };
    Layer vine = [](Design& d, double t) {
        d.clear();
        Vine(d.k, {d.r - t, d.r, d.reps(1), 0});
        d.r -= t;
    };
    Layer rays = [](Design& d, double t) {
        d.clear();
        Rays(d.k,
             {d.r - t, d.r - d.k.lw, d.reps(d.k.rng.pick(std::vector<double>{0.5, 1}), d.r - t), 0},
             d.k.rng.chance(0.6));
        d.r -= t;
    };
    Layer arches = [](Design& d, double t) {
        ArchRing(d.k, {d.r - t, d.r, d.reps(d.k.rng.pick(std::vector<double>{1, 2})), 0});
        d.r -= t;
    };
    Layer foils = [](Design& d, double t) {
        t *= 1.3;
        d.clear();
        const int n = d.reps(1);
        const double rad = std::min(t * 0.45, (d.r - t / 2) * std::sin(kPi / n) * 0.92);
        FoilRing(d.k, d.r - t / 2, n, rad, d.k.rng.pick(std::vector<int>{3, 4, 4, 6}), 0);
        d.r -= t;
    };
    Layer chain = [](Design& d, double t) {
        d.clear();
        const int n = d.reps(1);
        const double rm = d.r - t / 2;
        const double width = t * 0.16;
        const double rc = std::min(t / 2 - width / 2 - d.k.lw, rm * std::sin(kPi / n) * 1.45);
        CircleChain(d.k, rm, n, rc, width);
        d.r -= t;
    };
    Layer roseKnot = [](Design& d, double t) {
        d.clear();
        const int q = d.k.rng.pick(std::vector<int>{2, 3});
        int p = d.reps(1);
        if (p % q == 0) ++p;
        RoseKnot(d.k, d.r - t, d.r, p, q, t * 0.12);
        d.r -= t;
    };

    std::vector<Layer> pool;
    std::vector<int> orders;
    double fracMin = 0.1, fracMax = 0.2;
    std::function<void(Design&)> signature;
    std::function<void(Design&)> heart;

    if (style == "flower") {
        orders = {6, 8, 10, 12, 16};
        pool = {petals({kLens, kLotus, kDrop}),
                petals({kLotus, kHeart, kRound}),
                petals({kLotus, kLens}),
                petals({kLens, kDrop}),
                rim(kScallop),
                dots,
                vine};
        fracMin = 0.12, fracMax = 0.22;
    } else if (style == "star") {
        orders = {5, 6, 8, 10, 12};
        pool = {star, star, rim(kZigzag), petals({kLens, kLotus}), dots, segments};
        signature = [&](Design& d) {
            const double t = d.r * 0.45;
            d.clear();
            StarShape(k, {d.r - t, d.r - k.lw, d.N, 0}, true, d.N >= 10 ? 3 : 2);
            d.r -= t * 0.55;
        };
    } else if (style == "sun") {
        orders = {8, 12, 16, 18, 24};
        pool = {rays, rays, rim(kWave), dots, petals({kDrop, kRound}), rim(kScallop)};
        fracMin = 0.12, fracMax = 0.24;
    } else if (style == "knot") {
        orders = {6, 8, 10, 12};
        pool = {braid, braid, chain, roseKnot, dots, petals({kLens, kRound})};
        fracMin = 0.14, fracMax = 0.22;
        signature = [&](Design& d) {
            const double t = d.r * 0.3;
            braid(d, t);
        };
        heart = [&](Design& d) {
            if (d.r > k.R * 0.2) {
                d.clear();
                // An odd number of lobes, so that the curve closes only after both turns.
                int p = std::max(5, d.N / 2 + 1);
                if (p % 2 == 0) ++p;
                RoseKnot(k, d.r * 0.25, d.r - k.lw * 2, p, 2, d.r * 0.1);
                d.r *= 0.25;
            }
        };
    } else if (style == "rosette") {
        orders = {6, 8, 12, 16};
        pool = {arches, foils, petals({kRound, kLens}), rim(kArch), dots, segments};
        fracMin = 0.12, fracMax = 0.2;
        heart = [&](Design& d) {
            if (d.r > k.R * 0.18) {
                OverlapRosette(k, d.r, d.N % 6 == 0 || rng.chance(0.5) ? 6 : 8, 0, true);
                d.r = 0;
            }
        };
    } else if (style == "lattice") {
        orders = {6, 8, 12};
        pool = {segments, rim(kZigzag), star, dots, rim(kScallop)};
        fracMin = 0.08, fracMax = 0.14;
        heart = [&](Design& d) {
            if (d.r > k.R * 0.2) {
                Lattice(k, d.r, rng.below(4));
                d.r = 0;
            }
        };
    } else if (style == "yantra") {
        orders = {8, 16};
        pool = {petals({kLotus, kLens}), dots, segments};
        fracMin = 0.12, fracMax = 0.16;
        signature = [&](Design& d) {
            // The enclosure with four gates, then the lotus rings inside it.
            Gates(k, d.r);
            d.r *= 0.62;
            d.clear(1.2);
            PetalRing(k, {d.r * 0.78, d.r - k.lw, 16, 0}, kLotus, 1.05, 1);
            d.r *= 0.78;
            d.clear(1.2);
            PetalRing(k, {d.r * 0.74, d.r - k.lw, 8, 0}, kLotus, 1.05, 1);
            d.r *= 0.74;
        };
        heart = [&](Design& d) {
            // Small triangles would close up into black, so a small heart gets fewer.
            if (d.r < k.R * 0.2) return;
            Triangles(k, d.r, d.r > k.R * 0.32 ? rng.pick(std::vector<int>{2, 3}) : 2);
            DotRing(k, 0, 1, std::max(k.lw * 3, d.r * 0.06), 0);
            d.r = 0;
        };
    } else if (style == "palace") {
        // A palace with four gates inside rings of fire, lotus and vajra.
        k.circle(d.r, 1.6);
        d.r -= k.lw * 4;
        d.clear();
        Rays(k, {d.r * 0.86, d.r - k.lw, 24, 0}, true);
        d.r *= 0.86;
        Segments(k, {d.r * 0.9, d.r, 32, 0}, 0);
        d.r *= 0.9;
        d.clear();
        PetalRing(k, {d.r * 0.88, d.r - k.lw, 32, 0}, kLotus, 1.0, 0);
        d.r *= 0.88;
        d.clear(1.3);
        Gates(k, d.r * 1.08);
        QPainterPath diag;
        const double h = d.r * 1.08 * 0.70 * 0.93;
        diag.moveTo(-h, -h);
        diag.lineTo(h, h);
        diag.moveTo(h, -h);
        diag.lineTo(-h, h);
        k.line(diag);
        d.r *= 0.5;
        d.clear(1.2);
        PetalRing(k, {d.r * 0.5, d.r - k.lw, 8, 0}, kLotus, 1.0, 1);
        d.r *= 0.5;
        k.disc(d.r);
        k.disc(d.r * 0.4);
        return;
    } else if (style == "bowl") {
        // A painted bowl: dark figures turning around the middle, as painted in clay.
        k.circle(d.r, 2.0);
        d.r -= k.lw * 3;
        d.clear();
        RimDisc(k, {d.r * 0.9, d.r, 40, 0}, kZigzag);
        d.r *= 0.9;
        d.clear();
        k.p.setPen(k.pen());
        k.p.setBrush(Qt::black);
        k.around(8, 0, [&](int) {
            QPainterPath fish = Petal(kDrop, d.r * 0.64, d.r * 0.94, d.r * 0.09);
            QTransform t;
            t.translate(0, -d.r * 0.79);
            t.rotate(70);
            t.translate(0, d.r * 0.79);
            k.p.drawPath(t.map(fish));
        });
        d.r *= 0.58;
        k.disc(d.r, 1.3);
        k.p.setPen(k.pen());
        k.p.setBrush(Qt::black);
        k.around(4, 0, [&](int) {
            // A crescent swinging round the centre.
            QPainterPath outer, inner;
            outer.addEllipse(QPointF(d.r * 0.22, -d.r * 0.5), d.r * 0.36, d.r * 0.36);
            inner.addEllipse(QPointF(d.r * 0.36, -d.r * 0.58), d.r * 0.32, d.r * 0.32);
            k.p.drawPath(outer.subtracted(inner));
        });
        QPainterPath dot;
        dot.addEllipse(QPointF(0, 0), d.r * 0.1, d.r * 0.1);
        k.p.drawPath(dot);
        return;
    } else if (style == "womb") {
        // The central court of a painted mandala: a lotus of eight petals in a square hall.
        k.circle(d.r, 1.6);
        d.r -= k.lw * 4;
        d.clear();
        DotRing(k, d.r * 0.93, 32, d.r * 0.05, 0);
        d.r *= 0.86;
        QPainterPath hall;
        const double h = d.r * 0.70;
        hall.addRect(QRectF(-h, -h, 2 * h, 2 * h));
        k.shape(hall, 1.3);
        QPainterPath inner;
        inner.addRect(QRectF(-h * 0.9, -h * 0.9, 1.8 * h, 1.8 * h));
        k.line(inner);
        d.r = h * 0.88;
        d.clear(1.2);
        PetalRing(k, {d.r * 0.32, d.r - k.lw, 8, 22.5}, kLens, 0.9, 0);
        PetalRing(k, {d.r * 0.32, d.r * 0.9, 8, 0}, kRound, 1.0, 3);
        k.disc(d.r * 0.32);
        k.disc(d.r * 0.14);
        return;
    } else if (style == "spiral") {
        // Three spirals joined in one line, as carved on stone.
        QPainterPath path;
        for (int arm = 0; arm < 3; ++arm) {
            const double a0 = 2 * kPi * arm / 3;
            const QPointF c = Polar(d.r * 0.42, a0);
            const double turns = 3.2, rs = d.r * 0.4;
            for (int s2 = 0; s2 <= 400; ++s2) {
                const double t = double(s2) / 400;
                const double ang = a0 + kPi + turns * 2 * kPi * t;
                const QPointF pt = c + Polar(rs * (1 - t) + k.lw * 2, ang);
                if (s2 == 0)
                    path.moveTo(pt);
                else
                    path.lineTo(pt);
            }
        }
        QPen groove(Qt::black, k.lw * 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        k.p.setPen(groove);
        k.p.setBrush(Qt::NoBrush);
        k.p.drawPath(path);
        k.p.drawEllipse(QPointF(0, 0), d.r * 0.98, d.r * 0.98);
        return;
    } else {
        throw std::invalid_argument("unknown style " + style);
    }

    d.N = rng.pick(orders);
    if (style != "yantra") Border(d);
    int layer = 0;
    const double stopAt = k.R * rng.range(0.14, 0.22);
    bool signed_ = !signature;
    while (d.r > stopAt && layer < 9) {
        if (!signed_ && (layer >= 1 || style == "yantra") && rng.chance(0.6 + 0.2 * layer)) {
            signature(d);
            signed_ = true;
        } else {
            const double t = std::max(k.R * rng.range(fracMin, fracMax), k.lw * 9);
            pool[size_t(rng.below(int(pool.size())))](d, std::min(t, d.r - stopAt * 0.5));
        }
        ++layer;
        // Patterns show their lattice large; other styles keep some rings around the heart.
        if (style == "lattice" && d.r < k.R * 0.62) break;
        if (heart && d.r < k.R * 0.45 && rng.chance(0.5)) break;
    }
    if (heart) heart(d);
    if (d.r > 0) Centre(k, d.r, d.N);
}

}  // namespace

std::vector<WeaveCrossing> Weave(const std::vector<std::vector<QPointF>>& strands) {
    std::vector<std::vector<double>> len(strands.size());
    for (size_t k = 0; k < strands.size(); ++k) {
        const auto& pts = strands[k];
        len[k].assign(pts.size() + 1, 0);
        for (size_t i = 0; i < pts.size(); ++i) {
            const QPointF d = pts[(i + 1) % pts.size()] - pts[i];
            len[k][i + 1] = len[k][i] + std::hypot(d.x(), d.y());
        }
    }
    // Each segment owns its start but not its end. The window is shifted by a hair, so that
    // a crossing on a shared vertex lands in exactly one of the two segments even when
    // rounding puts it a little before or after the vertex.
    constexpr double kEps = 1e-9;
    std::vector<WeaveCrossing> cross;
    for (size_t a = 0; a < strands.size(); ++a) {
        for (size_t b = a; b < strands.size(); ++b) {
            const auto& A = strands[a];
            const auto& B = strands[b];
            if (A.size() < 2 || B.size() < 2) continue;
            for (size_t i = 0; i < A.size(); ++i) {
                const QPointF p1 = A[i], p2 = A[(i + 1) % A.size()];
                for (size_t j = (a == b ? i + 2 : 0); j < B.size(); ++j) {
                    if (a == b && i == 0 && j == B.size() - 1) continue;
                    const QPointF q1 = B[j], q2 = B[(j + 1) % B.size()];
                    const QPointF r = p2 - p1, s = q2 - q1;
                    const double den = r.x() * s.y() - r.y() * s.x();
                    if (std::abs(den) < 1e-12) continue;
                    const QPointF qp = q1 - p1;
                    const double t = (qp.x() * s.y() - qp.y() * s.x()) / den;
                    const double u = (qp.x() * r.y() - qp.y() * r.x()) / den;
                    if (t < -kEps || t >= 1 - kEps || u < -kEps || u >= 1 - kEps) continue;
                    WeaveCrossing c;
                    c.strand[0] = int(a);
                    c.strand[1] = int(b);
                    c.at[0] = len[a][i] + std::max(0.0, t) * (len[a][i + 1] - len[a][i]);
                    c.at[1] = len[b][j] + std::max(0.0, u) * (len[b][j + 1] - len[b][j]);
                    cross.push_back(c);
                }
            }
        }
    }
    // Walk each strand and alternate over and under; a crossing keeps what the first strand
    // to reach it decided.
    struct Visit {
        double at;
        int crossing, side;
    };
    std::vector<std::vector<Visit>> visits(strands.size());
    for (size_t c = 0; c < cross.size(); ++c)
        for (int side = 0; side < 2; ++side)
            visits[size_t(cross[c].strand[side])].push_back({cross[c].at[side], int(c), side});
    for (auto& v : visits) {
        std::sort(v.begin(), v.end(), [](const Visit& x, const Visit& y) { return x.at < y.at; });
        bool over = true;
        for (const Visit& visit : v) {
            WeaveCrossing& c = cross[size_t(visit.crossing)];
            if (c.top < 0) c.top = over ? visit.side : 1 - visit.side;
            over = !(c.top == visit.side);
        }
    }
    return cross;
}

const std::vector<std::string>& Styles() {
    static const std::vector<std::string> styles{"flower",  "star",    "sun",   "knot",
                                                 "rosette", "lattice", "yantra"};
    return styles;
}

QImage RenderGrey(const std::string& style, uint64_t seed, int size) {
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(size / 2.0, size / 2.0);
    Rng rng(seed);
    const double lw = 2.4 * size / 430.0;
    Canvas k{p, size / 2.0 - 2.5 * lw, lw, rng};
    Compose(k, style);
    p.end();
    return img;
}

LineArt MakeDrawing(const std::string& style, uint64_t seed, int size) {
    QImage grey = RenderGrey(style, seed, size);
    return Finish(grey);
}

}  // namespace mandala
