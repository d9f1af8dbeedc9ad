// The table file (one file holding definition and data): open, then read every field.
#include "library/TarnBase.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString file = fuzz::InputFile("tarn", data, size);
    orb::TTarnObject db;
    if (!db.Open(file, file, QString(), QByteArray())) return 0;
    for (int32_t t = 1; t <= db.TableCount() && t <= 16; ++t) {
        const int32_t records = std::min<int32_t>(db.UsableRecords(t), 64);
        for (int32_t c = 1; c <= 64 && db.Column(t, c); ++c)
            for (int32_t r = 1; r <= records; ++r) db.ReadFieldAsText(t, c, r);
    }
    return 0;
}
