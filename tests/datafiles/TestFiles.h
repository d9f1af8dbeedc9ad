#pragma once
// Helpers shared by the data file tests: scratch folders and files.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <random>

namespace orbtest {

inline bool WriteFile(const QString& name, const QByteArray& data) {
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(data) == data.size();
}

inline QByteArray ReadFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every prefix of `data` up to `limit` bytes, then `rounds` copies with random bytes changed.
template <typename Check>
void ForEachDamaged(const QByteArray& data, int limit, int rounds, Check check) {
    for (int len = 0; len < data.size() && len <= limit; ++len) check(data.left(len));
    std::mt19937 rng(12345);
    for (int r = 0; r < rounds; ++r) {
        QByteArray bad = data;
        const int changes = 1 + int(rng() % 8);
        for (int k = 0; k < changes; ++k) bad[int(rng() % bad.size())] = char(rng() & 0xFF);
        check(bad);
    }
}

}  // namespace orbtest
