#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace orb {
namespace {

QString& FolderRef() {
    static QString folder;
    return folder;
}

QString WithSlash(QString s) {
    if (!s.isEmpty() && !s.endsWith('/')) s += '/';
    return s;
}

bool ProgramFolderWritable() {
    static int cached = -1;
    static QString cachedFor;
    if (cached >= 0 && cachedFor == FolderRef()) return cached == 1;
    QFileInfo info(ProgramFolder());
    cached = info.isDir() && info.isWritable() ? 1 : 0;
    cachedFor = FolderRef();
    return cached == 1;
}

}  // namespace

QString ProgramFolder() {
    if (FolderRef().isEmpty()) FolderRef() = WithSlash(QDir::currentPath());
    return FolderRef();
}

void SetProgramFolder(const QString& folder) {
    FolderRef() = WithSlash(QDir(folder).absolutePath());
}

QString UserDataFolder() {
    // Named here, not by the application's organisation and name: both are "Orbelle", and
    // Qt's application folders would nest them.
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
           "Orbelle/";
}

QString UserCacheFolder() {
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)) +
           "Orbelle/";
}

QString UserFolder() {
    if (ProgramFolderWritable()) return ProgramFolder() + "User/";
    return UserDataFolder() + "User/";
}

QString TempFolder() {
    if (ProgramFolderWritable()) return ProgramFolder() + "T/";
    return UserCacheFolder() + "T/";
}

QString WallpaperFile() { return UserDataFolder() + "Mandala.bmp"; }

namespace {

bool SameContents(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (fa.size() != fb.size()) return false;
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 16) != fb.read(1 << 16)) return false;
    }
    return true;
}

// A free name beside `path`: "roos.bmp" becomes "roos (2).bmp", "roos (3).bmp", ...
QString FreeName(const QString& path) {
    const QFileInfo fi(path);
    const QString base = fi.completeBaseName();
    const QString ext = fi.suffix().isEmpty() ? QString() : "." + fi.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = fi.absolutePath() + "/" + QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(ext);
        if (!QFileInfo::exists(candidate)) return candidate;
    }
}

// Moves one file; across file systems by copy and remove. The source stays when anything fails.
bool MoveFile(const QString& from, const QString& to) {
    if (QFile::rename(from, to)) return true;
    if (!QFile::copy(from, to)) return false;
    if (SameContents(from, to)) return QFile::remove(from);
    QFile::remove(to);
    return false;
}

// Moves everything under `from` into `to`, keeping sub-folders. A file whose name is taken by
// different contents comes over under a free name; an identical one is dropped.
int MoveTree(const QString& from, const QString& to) {
    int failed = 0;
    QDir src(from);
    QDir().mkpath(to);
    const auto entries =
        src.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        const QString target = to + "/" + e.fileName();
        if (e.isDir() && !e.isSymLink()) {
            failed += MoveTree(e.absoluteFilePath(), target);
            src.rmdir(e.fileName());  // only when emptied
            continue;
        }
        if (QFileInfo::exists(target)) {
            if (SameContents(e.absoluteFilePath(), target)) {
                if (!QFile::remove(e.absoluteFilePath())) ++failed;
                continue;
            }
            if (!MoveFile(e.absoluteFilePath(), FreeName(target))) ++failed;
            continue;
        }
        if (!MoveFile(e.absoluteFilePath(), target)) ++failed;
    }
    return failed;
}

}  // namespace

int AdoptEarlierUserData() {
    const QString earlier = UserDataFolder() + "Orbelle/";
    const QString earlierUser = earlier + "User";
    if (!QFileInfo(earlierUser).isDir()) return 0;
    const int failed = MoveTree(earlierUser, UserDataFolder() + "User");
    QDir(earlier).rmdir("User");
    // The earlier wallpaper file stays: the desktop's setting may still name it.
    QDir(UserDataFolder()).rmdir("Orbelle");
    return failed;
}

QString NameToPath(const QString& name) {
    QString p = name;
    p.replace('\\', '/');
    if (p.size() >= 2 && p[1] == ':') return p;  // drive letters keep their form
    return p;
}

QString ProgramFile(const QString& name) {
    QString p = NameToPath(name);
    if (QFileInfo(p).isAbsolute()) return p;
    return ProgramFolder() + p;
}

}  // namespace orb
