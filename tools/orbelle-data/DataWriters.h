#pragma once
// Writers of the three data formats and readers of their readable sources, for the
// orbelle-data tool and the tests. The program itself only reads the data files.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace orb {

// ---- text database ----
struct TDbSourceRecord {
    QByteArray Key;    // Windows-1252
    QByteArray Value;  // Windows-1252, lines joined by CR LF
};
// Parses the readable source (UTF-8). On failure `error` names the line.
bool ParseDbSource(const QByteArray& source, std::vector<TDbSourceRecord>& records, QString& error,
                   QStringList* warnings = nullptr);
// The source text for records (inverse of ParseDbSource).
QByteArray DbSourceText(const std::vector<TDbSourceRecord>& records);
// The records (1-based, with the reason) that DbSourceText cannot write so that
// ParseDbSource gives them back unchanged: a lone CR or LF in a value, a value ending
// in a line end, a key with a line end or trailing blanks, a byte the source cannot hold.
QStringList DbSourceLosses(const std::vector<TDbSourceRecord>& records);
// The database file; false when a key or value is longer than 65535 bytes.
bool BuildDbFile(const std::vector<TDbSourceRecord>& records, QByteArray& file, QString& error);

// ---- picture archive ----
struct TArchiveMemberIn {
    QByteArray Name;  // Windows-1252
    QByteArray Data;
    uint32_t FileDate = 0;  // DOS date-time
    bool ForceStore = false;
};
// Members are written in the order given; each is compressed when that makes it smaller.
bool BuildArchive(const std::vector<TArchiveMemberIn>& members, QByteArray& file, QString& error);

// ---- table files ----
struct TTableColumnIn {
    QByteArray Name;
    uint8_t Type = 0;
    uint8_t Params[66] = {};
};
struct TTableIn {
    QByteArray Name;
    uint8_t Flag = 1;
    std::vector<TTableColumnIn> Columns;
    std::vector<QByteArray> Records;  // each exactly the record length
};
struct TTableFileIn {
    bool Transform = false;
    bool HasPassword = false;
    QByteArray Password;  // Windows-1252
    QByteArray Salt;      // 16 bytes; random when empty
    std::vector<TTableIn> Tables;
};
// Parses a table description (UTF-8).
bool ParseTableDescription(const QByteArray& source, TTableFileIn& db, QString& error);
// Writes one file (definition then data) when `definition` is null, else the two parts.
bool BuildTableFile(const TTableFileIn& db, QByteArray& data, QByteArray* definition,
                    QString& error);
// A description rebuilding the open database's data (without its password).
class TTarnObject;
QByteArray TableDescriptionText(TTarnObject& db);

}  // namespace orb
