#pragma once
// Shared helpers of the picture tests: ImageMagick at run time, message recording.
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <utility>
#include <vector>

#include "platform/Outward.h"

namespace orbtest {

// A set of sample files made once per build tree: `make` fills an empty folder, which is
// kept under the build folder by `key` (change the key when `make` changes) and copied into
// `into`. Parallel test processes may race to make it; the first finished set wins.
bool SampleSet(const QString& key, const std::function<bool(const QString&)>& make,
               const QString& into);

// Runs ImageMagick's convert with `args` in `dir`; true when it succeeded.
bool Convert(const QString& dir, const QStringList& args);
// Output of ImageMagick's identify -format `format` for `file` (empty on failure).
QString Identify(const QString& file, const QString& format);
// ImageMagick's own decoding of `file`, as true colour.
QImage MagickDecode(const QString& file);

// A colourful test picture at `path` (PNG): gradient, circle and hard edges.
bool MakeSource(const QString& dir, const QString& path, int w = 64, int h = 48);

// Largest per-channel difference between two pictures of equal size; -1 if sizes differ.
int MaxDifference(const QImage& a, const QImage& b);

QByteArray ReadAll(const QString& file);
bool WriteAll(const QString& file, const QByteArray& data);

// Records every message box instead of showing it.
class RecordingOutward : public orb::Outward {
public:
    struct Box {
        QString text, caption;
        orb::MessageKind kind;
    };
    RecordingOutward() { orb::SetOutward(this); }
    ~RecordingOutward() override { orb::SetOutward(nullptr); }
    void Message(const QString& text, const QString& caption, orb::MessageKind kind) override {
        boxes.push_back({text, caption, kind});
    }
    QStringList Texts() const {
        QStringList t;
        for (const auto& b : boxes) t << b.text;
        return t;
    }
    std::vector<Box> boxes;
};

}  // namespace orbtest
