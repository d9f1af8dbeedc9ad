// The PCX decoder, with the limits the program uses.
#include <QImage>

#include "library/CodecLibrary.h"
#include "library/Pcx.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QImage out;
    orb::DecodePcx(fuzz::Bytes(data, size), out, 4096, qint64(1) << 22);
    return 0;
}
