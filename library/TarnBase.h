#pragma once
// Table files: a small typed database of named tables with fixed-size records, kept as a
// definition part and a data part (one file or two). The language file is one.
#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "library/Chains.h"

namespace orb {

// Column type codes.
enum TTarnType : uint8_t {
    ttBoolean = 0,
    ttByte = 1,
    ttInt64 = 2,
    ttInteger = 3,
    ttDateTime = 4,
    ttExtended = 5,
    ttInteger6 = 6,
    ttInteger7 = 7,
    ttDouble = 8,
    ttReal48 = 9,
    ttList = 10,
    ttShortInt = 11,
    ttSingle = 12,
    ttString = 13,
    ttWord = 14,
};

// Sizes of the on-disk records.
constexpr int kTarnHeaderSize = 272;
constexpr int kTarnTableSize = 77;
constexpr int kTarnColumnSize = 137;
constexpr int kTarnNameMax = 63;
constexpr int16_t kTarnVersion = 100;

struct TTarnColumn {
    QByteArray Name;
    uint8_t Type = 0;
    uint8_t Params[66] = {};
    int64_t Size = 0;    // bytes in a record
    int64_t Offset = 0;  // position inside the record

    uint8_t Style() const { return Params[0]; }
    uint8_t Decimals() const { return Params[1]; }
    int StringLength() const;  // declared length, default 63
    int32_t ListTable() const;
    int32_t ListColumn() const;
    uint32_t ListCount() const;  // default 10
};

struct TTarnTable {
    QByteArray Name;
    int32_t ColumnCount = 0;
    int32_t RecordCount = 0;
    uint8_t Flag = 0;
    uint32_t FirstOffset = 0;
    int64_t RecordLength = 0;
    int32_t FirstColumn = 0;  // 1-based position of its first column in the "Columns" chain
};

// Size a field of this type takes in a record.
int64_t TarnFieldSize(uint8_t type, const uint8_t* params);
// The string transform of string fields when the header flag is set.
inline unsigned char TarnTransformByte(unsigned char b) {
    return b < 127 ? static_cast<unsigned char>(b + 127) : static_cast<unsigned char>(b - 127);
}
// The 80-bit extended and 6-byte real formats, as doubles.
double TarnExtendedToDouble(const uint8_t* p);
double TarnReal48ToDouble(const uint8_t* p);
// The password data for a password: 16 salt bytes then SHA-256(salt + password).
void TarnPasswordData(const QByteArray& salt, const QByteArray& password, float data[63]);

class TTarnObject {
public:
    TTarnObject();
    ~TTarnObject();
    TTarnObject(const TTarnObject&) = delete;
    TTarnObject& operator=(const TTarnObject&) = delete;

    // Equal data and definition names select one file holding both. Fails when a file named
    // `thirdFile` exists, or when a password is set and `password` does not match it.
    bool Open(const QString& dataFile, const QString& definitionFile, const QString& thirdFile,
              const QByteArray& password);
    void Close();
    bool IsOpen() const { return FOpen; }

    int32_t TableCount() const { return FTables.Count(); }
    // 1-based numbers, 0 when absent; names compare byte for byte.
    int32_t FindTable(const QByteArray& name);
    int32_t FindColumn(int32_t table, const QByteArray& name);
    // Record number of the first record whose field text equals `value`, 0 when none.
    int32_t FindRecord(const QByteArray& table, const QByteArray& column, const QByteArray& value);
    // The field as display text (Windows-1252, at most 255 bytes), empty on any failure.
    QByteArray ReadFieldAsText(const QByteArray& table, const QByteArray& column, int32_t record);
    QByteArray ReadFieldAsText(int32_t table, int32_t column, int32_t record);
    // The field's raw bytes; false when the record or column does not exist.
    bool ReadFieldBytes(int32_t table, int32_t column, int32_t record, QByteArray& bytes);

    const TTarnTable* Table(int32_t table);
    const TTarnColumn* Column(int32_t table, int32_t column);
    bool StringTransform() const { return FTransform; }
    // Records that are both declared and present in the data part.
    int32_t UsableRecords(int32_t table);

private:
    bool ReadDefinition(const QByteArray& def, const QByteArray& password);
    QByteArray FieldText(int32_t table, int32_t column, int32_t record, int depth);

    // First record of each field text in one column, built by the second search in it: a
    // window's texts are looked up by tag one after another, a whole scan each otherwise.
    int32_t FIndexTable = 0, FIndexColumn = 0, FScanTable = 0, FScanColumn = 0;
    QHash<QByteArray, int32_t> FIndex;

    TPointerChain FTables{"Tables"};
    TPointerChain FColumns{"Columns"};
    std::vector<std::unique_ptr<TTarnTable>> FTableStore;
    std::vector<std::unique_ptr<TTarnColumn>> FColumnStore;
    QFile FDataFile;
    const uchar* FData = nullptr;  // the data part, mapped or read
    QByteArray FDataCopy;
    int64_t FDataSize = 0;
    bool FTransform = false;
    bool FOpen = false;
};

}  // namespace orb
