// Shared by the fuzz targets: inputs that the readers want as files.
#pragma once

#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// A file of this process holding the input; rewritten for every input.
inline QString InputFile(const char* tag, const uint8_t* data, size_t size) {
    const QString name =
        QStringLiteral("/tmp/orbelle-fuzz-%1-%2").arg(QString::fromLatin1(tag)).arg(::getpid());
    QFile f(name);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    return name;
}

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

}  // namespace fuzz
