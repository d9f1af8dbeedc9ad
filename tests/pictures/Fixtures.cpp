#include "Fixtures.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

namespace orbtest {

namespace {
bool CopyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        const QString rel = QDir(from).relativeFilePath(f);
        const QString target = to + "/" + rel;
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        if (!QFile::copy(f, target)) return false;
    }
    return true;
}
}  // namespace

bool SampleSet(const QString& key, const std::function<bool(const QString&)>& make,
               const QString& into) {
    const QString name = QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    const QString base = QString(ORBELLE_BINARY_DIR) + "/picture-samples";
    const QString done = base + "/" + name;
    if (!QFileInfo::exists(done + "/.complete")) {
        QDir().mkpath(base);
        QTemporaryDir work(base + "/making-XXXXXX");
        work.setAutoRemove(true);
        if (!work.isValid() || !make(work.path())) return false;
        WriteAll(work.path() + "/.complete", "1");
        // Another process may have finished first; then its set is used.
        if (QDir().rename(work.path(), done)) work.setAutoRemove(false);
        if (!QFileInfo::exists(done + "/.complete")) return false;
    }
    return CopyTree(done, into);
}

bool Convert(const QString& dir, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start("convert", args);
    if (!p.waitForFinished(60000)) return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString Identify(const QString& file, const QString& format) {
    QProcess p;
    p.start("identify", {"-format", format, file});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QImage MagickDecode(const QString& file) {
    QTemporaryDir dir;
    const QString out = dir.path() + "/ref.png";
    if (!Convert(dir.path(), {file + "[0]", "-depth", "8", "PNG24:" + out})) return {};
    return QImage(out).convertToFormat(QImage::Format_RGB32);
}

bool MakeSource(const QString& dir, const QString& path, int w, int h) {
    const QString size = QString("%1x%2").arg(w).arg(h);
    return Convert(
        dir,
        {"-size", size, "gradient:#ff2000-#1040ff", "-fill", "#ffe040", "-draw",
         QString("circle %1,%2 %1,%3").arg(w / 2).arg(h / 2).arg(h / 5), "-fill", "#000000",
         "-draw", QString("rectangle 2,2 %1,%2").arg(w / 4).arg(h / 6), "-fill", "#ffffff", "-draw",
         QString("rectangle %1,%2 %3,%4").arg(w - w / 4).arg(h - h / 6).arg(w - 3).arg(h - 3),
         "-type", "TrueColor", "PNG24:" + path});
}

int MaxDifference(const QImage& a0, const QImage& b0) {
    if (a0.size() != b0.size()) return -1;
    const QImage a = a0.convertToFormat(QImage::Format_RGB32);
    const QImage b = b0.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

QByteArray ReadAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& file, const QByteArray& data) {
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

}  // namespace orbtest
