// The picture archive: directory, line parsing and member extraction.
#include "library/PictureArchive.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString file = fuzz::InputFile("archive", data, size);
    const auto index = orb::LoadArchiveIndex(file);
    if (!index) return 0;
    QByteArray member;
    int tried = 0;
    for (const QByteArray& line : index->Lines) {
        if (++tried > 64) break;
        const orb::TArchiveEntry e = orb::ParseArchiveLine(line);
        if (orb::ReadArchiveMember(file, e, member) && member.size() != e.Size) __builtin_trap();
    }
    return 0;
}
