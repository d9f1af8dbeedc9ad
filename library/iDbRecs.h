#pragma once
// The text database ("Mandala.dat"): a flat list of key/value records, each byte stored
// through a self-inverse transform.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <deque>

#include "library/Chains.h"

namespace orb {

// The byte transform of the text database; applying it twice gives the byte back.
inline unsigned char DbTransformByte(unsigned char b) {
    if (b == 0x00 || b == 0xFF) return b;
    return b < 0x80 ? static_cast<unsigned char>(b + 0x7F) : static_cast<unsigned char>(b - 0x7F);
}
// Transforms a block in place.
void DbTransform(char* data, std::size_t size);

// One record. Key and Value point into the file's buffer (not zero-terminated; nullptr when
// the length is 0) and stay valid while the owning TiDbRecFile keeps its contents.
struct TiDbRec {
    int32_t Field = 0;
    uint16_t KeyLen = 0;
    uint16_t ValueLen = 0;
    const char* Key = nullptr;
    const char* Value = nullptr;
    bool Active = false;

    QByteArray KeyBytes() const { return Key ? QByteArray(Key, KeyLen) : QByteArray(); }
    QByteArray ValueBytes() const { return Value ? QByteArray(Value, ValueLen) : QByteArray(); }
};

class TiDbRecFile {
public:
    TiDbRecFile();
    ~TiDbRecFile();
    TiDbRecFile(const TiDbRecFile&) = delete;
    TiDbRecFile& operator=(const TiDbRecFile&) = delete;

    // Replaces all records by the file's. False when the file cannot be opened or ends early;
    // the records read before the end stay.
    bool LoadFromFile(const QString& fileName);
    // Loads from bytes already in memory, with the same rules.
    bool LoadFromBytes(const QByteArray& bytes);
    void ActivateAll();
    int32_t RecordCount() const { return FActiveCount; }
    // The n-th active record (1-based); an all-zero record when n is out of range.
    TiDbRec GetRecord(int32_t n);
    // The same as owned copies of key and value; false (both emptied) when out of range.
    bool GetRecord(int32_t n, QByteArray& key, QByteArray& value);

    // The value of the first active record whose key equals `key` byte for byte. A record
    // without key never matches. False when there is none.
    bool FindValue(const QByteArray& key, QByteArray& value);

    // Total records loaded, active or not.
    int32_t LoadedCount() const { return FRecords.Count(); }

private:
    void Clear();
    bool Load(const QString& fileName);
    // Appends parsed records from FData[pos, have); returns the new position.
    std::size_t ParseAvailable(std::size_t pos, std::size_t have, int32_t& remaining);
    int32_t PositionOf(int32_t activeIndex);

    // A record and whether its bytes in FData are transformed yet. Loading leaves them as
    // stored; a record is transformed in place the first time it is handed out, and key
    // lookups compare against the transformed key instead, so a load costs little more than
    // reading the file.
    struct Slot {
        TiDbRec Rec;
        bool Decoded = false;
    };
    Slot* SlotAt(int32_t position) { return static_cast<Slot*>(FRecords.Get(position)); }
    static const TiDbRec& Decode(Slot* s);

    TPointerChain FRecords{"iDbRecs"};
    std::deque<Slot> FStore;  // stable addresses for the chain's pointers
    QByteArray FData;         // the file's bytes
    int32_t FActiveCount = 0;
    int32_t FCacheIndex = 0;
    int32_t FCachePosition = 0;
};

}  // namespace orb
