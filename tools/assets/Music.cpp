// A calm background loop: a soft pad over six chords, a low bass and a few bell notes
// on the D major pentatonic scale. Every sound is added into a circular buffer, and the
// echo and the tone filter run around it too, so the end flows into the start without a
// click when the player loops.
#include <QtEndian>
#include <algorithm>
#include <cmath>

#include "Assets.h"

namespace assets {
namespace {

constexpr double kPi = 3.14159265358979323846;

double MidiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

struct Loop {
    std::vector<double> buf;
    int rate;
    // Adds a partial starting at `start` seconds; env(t) gives its amplitude at t seconds.
    template <class Env>
    void Add(double start, double length, double hz, double phase, Env env) {
        const long n0 = std::lround(start * rate);
        const long count = std::lround(length * rate);
        const long size = long(buf.size());
        const double step = 2 * kPi * hz / rate;
        for (long i = 0; i < count; ++i) {
            const double t = double(i) / rate;
            long at = (n0 + i) % size;
            if (at < 0) at += size;
            buf[size_t(at)] += env(t) * std::sin(phase + step * double(i));
        }
    }
};

double SmoothStep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(kPi * x);
}

}  // namespace

std::vector<int16_t> SynthesiseMusic(const MusicFormat& f) {
    Loop loop{std::vector<double>(size_t(std::lround(f.seconds * f.rate)), 0.0), f.rate};
    Loop bells{std::vector<double>(loop.buf.size(), 0.0), f.rate};
    Rng rng(20511);

    static const int kChords[6][5] = {{50, 57, 61, 64, 66}, {47, 54, 57, 62, 66},
                                      {43, 50, 54, 59, 64}, {40, 52, 55, 59, 66},
                                      {43, 50, 57, 59, 62}, {45, 52, 57, 62, 64}};
    const double chordLen = f.seconds / 6.0;
    const double attack = 2.5, release = 3.5;

    for (int c = 0; c < 6; ++c) {
        const double start = c * chordLen;
        const double total = chordLen + release;
        auto padEnv = [=](double t) {
            const double in = SmoothStep(t / attack);
            const double out = t < chordLen ? 1.0 : 1.0 - SmoothStep((t - chordLen) / release);
            return in * out;
        };
        for (int note : kChords[c]) {
            for (double cents : {-5.0, 0.0, 5.0}) {
                const double hz = MidiHz(note + cents / 100.0);
                const double ph = rng.Range(0, 2 * kPi);
                const double amp = 0.045 * (note < 48 ? 0.8 : 1.0);
                loop.Add(start, total, hz, ph, [&](double t) { return amp * padEnv(t); });
                loop.Add(start, total, 2 * hz, ph,
                         [&](double t) { return amp * 0.12 * padEnv(t); });
            }
        }
        // Bass: the chord's root an octave down, struck gently twice per chord.
        const double root = MidiHz(kChords[c][0] - 12);
        for (double beat : {0.0, chordLen / 2}) {
            loop.Add(start + beat, chordLen / 2 + 2.0, root, 0.0,
                     [](double t) { return 0.16 * SmoothStep(t / 0.08) * std::exp(-t / 2.2); });
        }
        // Bells: a slow, wandering line of pentatonic notes that suit the chord.
        static const int kScale[8] = {62, 64, 66, 69, 71, 74, 76, 78};
        int pos = 3 + int(rng.Next() % 3);
        for (double beat = 0.5; beat < chordLen - 0.25; beat += 0.5) {
            if (rng.Unit() > (std::fmod(beat, 1.0) < 0.01 ? 0.42 : 0.18)) continue;
            pos = std::clamp(pos + int(rng.Next() % 5) - 2, 0, 7);
            const double hz = MidiHz(kScale[pos]);
            const double vel = rng.Range(0.55, 1.0);
            const double when = start + beat;
            for (auto [mult, amp, tau] :
                 {std::tuple{1.0, 0.13, 1.9}, std::tuple{2.0, 0.03, 0.8},
                  std::tuple{3.0, 0.012, 0.5}, std::tuple{4.16, 0.006, 0.35}}) {
                bells.Add(when, 6.0, hz * mult, 0.0, [=](double t) {
                    return vel * amp * SmoothStep(t / 0.006) * std::exp(-t / tau);
                });
            }
        }
    }

    // Echo on the bells, around the loop: two passes reach the periodic steady state.
    const size_t n = bells.buf.size();
    const size_t delay = size_t(std::lround(0.75 * f.rate));
    std::vector<double> echoed = bells.buf;
    for (size_t k = 0; k < 3 * n; ++k) {
        const size_t i = k % n;
        echoed[i] = bells.buf[i] + 0.35 * echoed[(i + n - delay) % n];
    }
    for (size_t i = 0; i < n; ++i) loop.buf[i] += echoed[i];

    // A gentle low-pass for warmth, also run around the loop.
    const double a = 1.0 - std::exp(-2 * kPi * 3500.0 / f.rate);
    double y = 0;
    std::vector<double> warm(n);
    for (size_t k = 0; k < 2 * n; ++k) {
        const size_t i = k % n;
        y += a * (loop.buf[i] - y);
        warm[i] = y;
    }
    double peak = 1e-9;
    for (double v : warm) peak = std::max(peak, std::abs(v));
    const double gain = 0.6 * 32767.0 / peak;
    std::vector<int16_t> out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = int16_t(std::clamp<long>(std::lround(warm[i] * gain), -32767, 32767));
    return out;
}

QByteArray EncodeWav(const std::vector<int16_t>& samples, int rate) {
    auto put32 = [](QByteArray& b, quint32 v) {
        char c[4];
        qToLittleEndian(v, c);
        b.append(c, 4);
    };
    auto put16 = [](QByteArray& b, quint16 v) {
        char c[2];
        qToLittleEndian(v, c);
        b.append(c, 2);
    };
    const quint32 data = quint32(samples.size() * 2);
    QByteArray b;
    b.append("RIFF", 4);
    put32(b, 36 + data);
    b.append("WAVEfmt ", 8);
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 1);  // mono
    put32(b, quint32(rate));
    put32(b, quint32(rate * 2));
    put16(b, 2);
    put16(b, 16);
    b.append("data", 4);
    put32(b, data);
    for (int16_t s : samples) put16(b, quint16(s));
    return b;
}

}  // namespace assets
