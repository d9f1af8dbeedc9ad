// The text database reader: every record handed out, every key looked up.
#include "library/iDbRecs.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orb::TiDbRecFile db;
    db.LoadFromBytes(fuzz::Bytes(data, size));
    db.ActivateAll();
    QByteArray key, value;
    for (int32_t n = 1; n <= db.RecordCount() && n <= 2000; ++n) {
        db.GetRecord(n, key, value);
        db.FindValue(key, value);
    }
    db.GetRecord(0);
    db.GetRecord(db.RecordCount() + 1);
    return 0;
}
