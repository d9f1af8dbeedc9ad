#include "platform/Paths.h"

#include <QDir>
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

QString UserFolder() {
    if (ProgramFolderWritable()) return ProgramFolder() + "User/";
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) + "User/";
}

QString TempFolder() {
    if (ProgramFolderWritable()) return ProgramFolder() + "T/";
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)) + "T/";
}

QString WallpaperFile() {
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) +
           "Mandala.bmp";
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
