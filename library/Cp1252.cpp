#include "library/Cp1252.h"

namespace orb {
namespace {

// 0x80..0x9F; 0 where the code page has no character (the byte decodes to itself).
const char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

QString FromCp1252(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    QChar* p = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        char16_t c = b;
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80]) c = kHigh[b - 0x80];
        p[i] = QChar(c);
    }
    return out;
}

QByteArray ToCp1252(const QString& text, bool* ok) {
    QByteArray out(text.size(), Qt::Uninitialized);
    bool good = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        char b = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            b = static_cast<char>(c);
        } else if (c >= 0x80 && c < 0xA0) {
            // Undefined bytes round-trip through their control characters.
            if (!kHigh[c - 0x80])
                b = static_cast<char>(c);
            else
                good = false;
        } else {
            bool found = false;
            for (int k = 0; k < 32; ++k) {
                if (kHigh[k] == c) {
                    b = static_cast<char>(0x80 + k);
                    found = true;
                    break;
                }
            }
            if (!found) good = false;
        }
        out[i] = b;
    }
    if (ok) *ok = good;
    return out;
}

}  // namespace orb
