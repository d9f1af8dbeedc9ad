#pragma once
// Windows-1252, the 8-bit code page of every text in the data files. Texts stay bytes inside
// the readers (keys compare byte for byte) and become QString only at the boundary.
#include <QByteArray>
#include <QString>

namespace orb {

// Every byte maps to one character; the five bytes the code page leaves undefined map to
// the control characters of the same value, so decoding never loses a byte.
QString FromCp1252(const char* data, qsizetype size);
inline QString FromCp1252(const QByteArray& bytes) {
    return FromCp1252(bytes.constData(), bytes.size());
}

// Characters the code page cannot hold become '?', or make `ok` false when given.
QByteArray ToCp1252(const QString& text, bool* ok = nullptr);

}  // namespace orb
